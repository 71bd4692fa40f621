#include "engines/MineralRoutines.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/PhaseChecks.h"
#include "models/TModelOlivine_Kd.h"
#include "models/_models_H2O.h"

namespace varnodel {

namespace {

constexpr double kFe3Tolerance = 1e-7;  // cation moles of Fe2O3 between two cycles
constexpr int kFe3CycleLimit = 100;
constexpr std::size_t kOlivine = static_cast<std::size_t>(Phase::Olivine);

const TAnalysis& meltIn(const TAssemblage& assemblage) {
    for (const TAnalysis& phase : assemblage.phases)
        if (phase.name == kPhases[0].name) return phase;
    throw FatalError("The analysis has no melt");
}

std::string name(std::size_t mineral) {
    return std::string(kPhases[mineral].name);
}

}  // namespace

std::size_t prepareMelt(TAssemblage& analysis, RunContext& context) {
    std::size_t index = analysis.phases.size();
    for (std::size_t k = 0; k < analysis.phases.size(); ++k)
        if (analysis.phases[k].name == kPhases[0].name) index = k;
    if (index == analysis.phases.size()) {
        context.errorText = "The analysis has no melt";
        throw FatalError(context.errorText);
    }
    TAnalysis& m = analysis.phases[index];
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (m.notDetermined[k]) m.oxides[k] = 0.0;
    m.notDetermined[Ox::Fe2O3] = false;
    m.notDetermined[Ox::FeO] = false;
    return index;
}

void requireFinite(double value, const char* what) {
    if (!std::isfinite(value))
        throw EFloatingPointError(std::string("A value that is not a number: ") + what);
}

MineralRoutines::MineralRoutines(RunSnapshot& snapshot, RunReporter& reporter)
    : snap_(snapshot), reporter_(reporter) {}

void MineralRoutines::configureOxidation() {
    oxidation_.configure(settings().parameters, snap_.registry->bufferTable());
}

void MineralRoutines::takeMessage(TModel& model) const {
    if (model.message.empty()) return;
    reporter_.debugLine(model.message);
    model.message.clear();
}

double MineralRoutines::modelLiquidus(TModel& model, TAssemblage& assemblage, double pressureBar,
                                      ModelMessage message) {
    assemblage.pressure = pressureBar;
    double T = 0.0;
    model.Get_Temperature(assemblage, T);
    ++snap_.context().modelCalls;
    if (message == ModelMessage::Failure && !model.message.empty()) {
        const std::string text = model.message;
        model.message.clear();
        throw EModelError_GetT(text);
    }
    takeMessage(model);
    if (!std::isfinite(T))
        throw EModelError_GetT(model.displayName +
                               " gave a liquidus temperature that is not a number");
    if (T < 0.0)
        throw EModelError_GetT(model.displayName +
                               " gave a liquidus temperature below absolute zero");
    return T;
}

LiquidusCorrection MineralRoutines::correction(std::size_t mineral, const TAnalysis& melt,
                                               double pressureBar) const {
    return liquidusCorrection(settings().minerals[mineral], melt.volatile_.value * kVolatileMass,
                              pressureBar);
}

void MineralRoutines::splitIron(TAssemblage& assemblage, double T) {
    oxidation_.setMeltIronRatio(assemblage, snap_.context(), T, model(kOlivine));
}

void MineralRoutines::splitIronOrDropOlivine(TAssemblage& assemblage, double T) {
    try {
        splitIron(assemblage, T);
    } catch (const EModelError_GetT& e) {
        // The equation mode takes its Fo from the olivine model: an olivine that cannot give one
        // has failed, and leaves the run as one without a liquidus does.
        if (TModel* olivine = model(kOlivine)) takeMessage(*olivine);
        dropMineral(kOlivine, e.what());
    }
}

std::optional<MineralLiquidus> MineralRoutines::liquidus(std::size_t i, TAssemblage& assemblage,
                                                         double pressureBar,
                                                         const LiquidusCorrection& correction) {
    TModel* m = model(i);
    if (m == nullptr) return std::nullopt;
    try {
        const double t = modelLiquidus(*m, assemblage, pressureBar);
        return MineralLiquidus{t, correction.corrected(t)};
    } catch (const EModelError_GetT& e) {
        takeMessage(*m);
        dropMineral(i, e.what());
        return std::nullopt;
    }
}

std::optional<MineralLiquidus> MineralRoutines::settleIron(std::size_t i, TAssemblage& assemblage,
                                                           double pressureBar,
                                                           const LiquidusCorrection& correction,
                                                           IronSettling how) {
    if (!hasModel(i)) return std::nullopt;
    MineralLiquidus liquidus;
    // False when the mineral has no model (any more) or its model failed and it left the run.
    const auto evaluate = [&] {
        const auto found = this->liquidus(i, assemblage, pressureBar, correction);
        if (found) liquidus = *found;
        return found.has_value();
    };
    const bool equation = settings().parameters.equationMode;
    double remembered = meltIn(assemblage).oxides[Ox::Fe2O3];
    int cycles = 0;
    bool settled = false;
    while (true) {
        if (!evaluate()) return std::nullopt;
        splitIronOrDropOlivine(assemblage, equation ? liquidus.modelT : liquidus.T);
        const double now = meltIn(assemblage).oxides[Ox::Fe2O3];
        if (std::fabs(now - remembered) < kFe3Tolerance) {
            settled = true;
            break;
        }
        if (cycles + 1 > kFe3CycleLimit) break;
        remembered = now;
        ++cycles;
    }
    const bool inclusion = how == IronSettling::InclusionMelt;
    if (!settled) {
        reporter_.debugLine("Could not reach the target difference between the old and");
        reporter_.debugLine(" new Fe3+ values in 100 cycles. The Fe2+/Fe3+ value is approximated " +
                            (inclusion ? std::string() : "for " + name(i) + " ") +
                            "during this step.");
        if (inclusion) reporter_.debugLine("");
    }
    if (inclusion) {
        for (TAnalysis& phase : assemblage.phases) {
            if (phase.name != kPhases[0].name) continue;
            conv_.molesToWt(phase);
            normalizeTotal(phase, "none", 0.0);
            conv_.wtToMoles(phase);
        }
    }
    if (!evaluate()) return std::nullopt;
    return liquidus;
}

std::string MineralRoutines::impossibleMineral(const TModel& model, std::size_t mineral,
                                               const TAnalysis& phase) {
    // A mineral with an oxide below zero is no mineral: the model is outside its melts.
    const std::string why = impossibleComposition(phase, ActiveElements{});
    if (why.empty()) return why;
    return model.displayName + " gave " + withArticle(kPhases[mineral].name) + " with " + why;
}

std::optional<TAnalysis> MineralRoutines::equilibriumMineral(std::size_t i, TAssemblage& assemblage,
                                                             const MineralLiquidus& liquidus) {
    const RunSettings& s = settings();
    // Olivine from the chosen exchange coefficient at the corrected temperature, or the
    // mineral's own model at the temperature it gave.
    const bool byKd = s.parameters.olivineKdModelOption && i == kOlivine;
    std::optional<TModelOlivine_Kd> kdModel;
    if (byKd) {
        kdModel.emplace();
        kdModel->setContext(snap_.registry->sharedContext());
    }
    TModel& m = byKd ? *kdModel : *model(i);
    double value = 0.0;
    try {
        m.Get_Mineral_Composition(assemblage, value, byKd ? liquidus.T : liquidus.modelT);
    } catch (const EModelError_GetT& e) {
        // A model that cannot give its mineral leaves the run, as one without a liquidus does.
        takeMessage(m);
        dropMineral(i, e.what());
        return std::nullopt;
    }
    takeMessage(m);
    const std::string phase = name(i);
    const auto found = std::find_if(assemblage.phases.begin(), assemblage.phases.end(),
                                    [&](const TAnalysis& a) { return a.name == phase; });
    if (found == assemblage.phases.end()) {
        snap_.context().errorText =
            "Error in the chosen model for" + phase + ". Calculation Aborted";
        throw FatalError(snap_.context().errorText);
    }
    // The models write the mineral in wt%; the engines work in the molar form.
    TAnalysis mineral = *found;
    conv_.wtToMoles(mineral);
    for (double v : mineral.oxides)
        requireFinite(v, "mineral composition");
    if (const std::string why = impossibleMineral(m, i, mineral); !why.empty()) {
        dropMineral(i, why);
        return std::nullopt;
    }

    // Trace elements by constant partition coefficient, or by a trace-element model.
    const auto& choices = s.minerals[i].traceChoices;
    const TAnalysis& liquid = meltIn(assemblage);
    std::vector<TModel*> traceModels;
    for (std::size_t e = 0; e < kTraceCount; ++e) {
        if (!s.active.traces[e]) continue;
        if (choices[e] == "Kd") {
            mineral.traces[e].value = s.kd.at(i, e + 1) * liquid.traces[e].value;
        } else if (choices[e] != "Model") {
            if (auto* t = snap_.registry->traceModels().getByNameShort(choices[e]))
                if (std::find(traceModels.begin(), traceModels.end(), t) == traceModels.end())
                    traceModels.push_back(t);
        }
    }
    *found = mineral;
    for (TModel* t : traceModels) {
        try {
            t->get_Trace(assemblage, liquidus.modelT);
        } catch (const EModelError_GetT& e) {
            // The mineral's traces are part of the mineral: without them it cannot crystallise.
            takeMessage(*t);
            dropMineral(i, std::string(e.what()) + "; " + phase + " leaves the calculation");
            return std::nullopt;
        }
        takeMessage(*t);
    }
    return findPhase(assemblage.phases, kPhases[i].name);
}

void MineralRoutines::dropMineral(std::size_t i, const std::string& why) {
    reporter_.debugLine(why);
    exits_.push_back({std::string(kPhases[i].name), why});
    snap_.slots[i] = nullptr;
    if (onDrop_) onDrop_(i);
    bool anyLeft = false;
    for (std::size_t k = 1; k < kPhaseCount; ++k)
        anyLeft = anyLeft || hasModel(k);
    if (!anyLeft) throw ENoMineralsLeft(why);
}

double MineralRoutines::h2oSolubility(TAssemblage& assemblage, double pressureBar, double T,
                                      const std::string& whereT) {
    assemblage.pressure = pressureBar;
    double h2o = 0.0;
    TModel& moore = snap_.registry->h2oSolubilityModel();
    try {
        moore.getMeltH2O(assemblage, h2o, 1.0, T);
    } catch (const EModelError_GetT& e) {
        // Not a mineral that can leave the run: without the melt's H2O solubility the run
        // cannot go on. The temperature is the usual culprit (a liquidus that an H2O term has
        // pushed far below any magma's), so the text names it.
        takeMessage(moore);
        snap_.context().errorText =
            std::string(e.what()) + " at " + fixedText(T - kCelsiusOffset, 6, 1) + " C, " + whereT;
        throw FatalError(snap_.context().errorText);
    }
    takeMessage(moore);
    requireFinite(h2o, "H2O solubility");
    return h2o;
}

}  // namespace varnodel
