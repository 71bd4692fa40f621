#include "models/RunState.h"

namespace varnodel {

RunState::RunState() : registry_(std::make_unique<ModelRegistry>()) {
    reset();
}

TAssemblage RunState::defaultComposition() {
    TAnalysis melt;
    melt.oxides = kDefaultMeltOxides;
    melt.name = std::string(phaseName(Phase::Melt));
    TAssemblage composition;
    composition.name = "VarnodelDefault";
    composition.phases.push_back(melt);
    return composition;
}

void RunState::reset() {
    settings = RunSettings{};
    slots.fill(nullptr);
    const auto& olivine = registry_->mineralSet(Phase::Olivine);
    if (!olivine.models.empty())
        slots[static_cast<std::size_t>(Phase::Olivine)] = olivine.models.front().get();
    composition = defaultComposition();
    analyses.clear();
    rejectedRows.clear();
    profileComposition = TAssemblage{};
    options = TOptions{};
}

namespace {

RunSnapshot cloneOf(const ModelRegistry& registry, const RunSettings& settings,
                    const std::array<TModel*, kPhaseCount>& slots) {
    RunSnapshot snap;
    snap.registry = registry.clone();
    snap.registry->context() = RunContext{};
    snap.registry->context().settings = settings;
    for (std::size_t i = 0; i < kPhaseCount; ++i)
        snap.slots[i] = snap.registry->counterpart(slots[i], registry);
    return snap;
}

}  // namespace

RunSnapshot RunState::snapshot() const {
    return cloneOf(*registry_, settings, slots);
}

RunSnapshot RunSnapshot::clone() const {
    return cloneOf(*registry, settings(), slots);
}

}  // namespace varnodel
