#include "core/Composition.h"

namespace varnodel {

std::size_t elementIndex(std::string_view name) {
    if (name == kVolatileName) return kH2OElementIndex;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (kTraces[i].name == name) return i + 1;
    return 0;
}

std::size_t mineralIndex(std::string_view name) {
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (kPhases[i].name == name) return i;
    return 0;
}

double compositionNumber(std::size_t mineral, const TAnalysis& molar) {
    const auto ratio = [](double x, double y) { return x + y > 0.0 ? x / (x + y) : 0.0; };
    const Oxides& o = molar.oxides;
    switch (static_cast<Phase>(mineral)) {
        case Phase::Plagioclase:
            return ratio(o[Ox::CaO], o[Ox::Na2O]);
        case Phase::Spinel:
            return ratio(o[Ox::Cr2O3], o[Ox::Al2O3]);
        default:
            return ratio(o[Ox::MgO], o[Ox::FeO]);
    }
}

TAnalysis findPhase(const std::vector<TAnalysis>& phases, std::string_view name) {
    for (auto it = phases.rbegin(); it != phases.rend(); ++it)
        if (it->name == name) return *it;
    return TAnalysis{};
}

void storePhase(std::vector<TAnalysis>& phases, TAnalysis analysis, std::string_view name) {
    if (analysis.name.empty()) analysis.name = std::string(name);
    bool stored = false;
    for (auto& phase : phases) {
        if (phase.name == name) {
            phase = analysis;
            stored = true;
        }
    }
    if (!stored) phases.push_back(std::move(analysis));
}

TAnalysis addScaled(const TAnalysis& a, const TAnalysis& b, double k,
                    const ActiveElements& active) {
    TAnalysis sum = a;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        sum.oxides[i] = a.oxides[i] + k * b.oxides[i];
    if (active.volatile_) sum.volatile_.value = a.volatile_.value + k * b.volatile_.value;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (active.traces[i]) sum.traces[i].value = a.traces[i].value + k * b.traces[i].value;
    return sum;
}

}  // namespace varnodel
