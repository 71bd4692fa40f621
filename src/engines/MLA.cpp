#include "engines/MLA.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <new>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/RunErrors.h"
#include "models/_models_H2O.h"

namespace varnodel {

namespace {

constexpr double kFe2O3Tolerance = 1e-5;  // cation moles of Fe2O3 between two passes
constexpr int kPasses = 101;
// The iron of the melt is split once before the first model; each model then moves the split to
// its own liquidus. A basaltic liquidus is a start from which every mode converges in a few
// passes.
constexpr double kStartTemperature = 1473.0;
// Quellmark (2001): the pressure that brings the "Quellmark, 2001" olivine and clinopyroxene onto
// a cotectic is their liquidus gap at 1 bar times 0.182 kbar per degree (clinopyroxene gains on
// olivine by 1 degree per 0.182 kbar).
constexpr double kCotecticKbarPerKelvin = 0.182;
constexpr std::string_view kQuellmark = "Quellmark, 2001";

bool finiteOxides(const TAnalysis& a) {
    for (double v : a.oxides)
        if (!std::isfinite(v)) return false;
    return std::isfinite(a.volatile_.value);
}

// The deviation from the buffer as "+0.0;-0.0;#": a sign and one decimal, nothing for a
// deviation that rounds to zero.
std::string deviationText(double shift) {
    const std::string text = fixedField(std::fabs(shift), 0, 1);
    if (text.find_first_not_of("0.") == std::string::npos) return "";
    return (shift > 0.0 ? "+" : "-") + text;
}

}  // namespace

MlaModels mlaSelectedModels(const ModelRegistry& registry) {
    MlaModels models;
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const auto& set = registry.mineralSets()[s]->models;
        for (std::size_t i = 0; i < set.size(); ++i)
            if (set[i]->selected) models[s].push_back(i);
    }
    return models;
}

std::vector<TModel*> mlaModelsOf(const ModelRegistry& registry, const MlaModels& models,
                                 Phase mineral) {
    const TSetOfModels& set = registry.mineralSet(mineral);
    std::vector<TModel*> result;
    for (std::size_t i : models.at(static_cast<std::size_t>(mineral) - 1))
        result.push_back(set.models.at(i).get());
    return result;
}

TMLAThread::TMLAThread(RunSnapshot& snapshot, TAssemblage analysis, MlaModels models,
                       MlaOutput& output, RunReporter& reporter, std::stop_token stop)
    : snap_(snapshot),
      analysis_(std::move(analysis)),
      models_(std::move(models)),
      output_(output),
      reporter_(reporter),
      stop_(std::move(stop)),
      routines_(snapshot, reporter) {}

// --- start ----------------------------------------------------------------------------------

void TMLAThread::setUp() {
    pressure_ = analysis_.pressureBlock.pressure * 1000.0;
    analysis_.pressure = pressure_;

    meltIndex_ = analysis_.phases.size();
    for (std::size_t k = 0; k < analysis_.phases.size(); ++k)
        if (analysis_.phases[k].name == phaseName(Phase::Melt)) meltIndex_ = k;
    if (meltIndex_ == analysis_.phases.size()) {
        snap_.context().errorText = "The analysis has no melt";
        throw FatalError(snap_.context().errorText);
    }

    TAnalysis& m = meltRef();
    // An H2O of -1 stands for "not determined": the melt is taken as dry.
    h2oNotDetermined_ = m.volatile_.value == -1.0;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (m.notDetermined[k]) m.oxides[k] = 0.0;
    if (h2oNotDetermined_) m.volatile_.value = 0.0;
    conv_.ppmToWt(m);
    conv_.wtToMoles(m);
    output_.startingComposition(analysis_.name, m);

    conv_.molesToWt(m);
    normalizeTotal(m, "none", 0.0);
    conv_.wtToMoles(m);
    m.notDetermined[Ox::Fe2O3] = false;
    m.notDetermined[Ox::FeO] = false;

    routines_.configureOxidation();
    try {
        routines_.splitIron(analysis_, kStartTemperature);
    } catch (const EModelError_GetT& e) {
        // The olivine of the equation mode has no Fo here: the first model splits the iron.
        reporter_.debugLine(e.what());
    }
}

// --- the models -----------------------------------------------------------------------------

MlaModelResult TMLAThread::evaluate(Phase mineral, TModel& model) {
    const auto i = static_cast<std::size_t>(mineral);
    const bool equationMode = parameters().equationMode;
    MlaModelResult r{mineral, &model, false, -1.0, 0.0};
    try {
        double before = melt().oxides[Ox::Fe2O3];
        bool settled = false;
        for (int pass = 0; pass < kPasses && !settled && !stop_.stop_requested(); ++pass) {
            // A model that leaves a message gives no liquidus here.
            double T = routines_.modelLiquidus(model, analysis_, pressure_, ModelMessage::Failure);
            double X = 0.0;
            model.Get_Mineral_Composition(analysis_, X, T);
            routines_.takeMessage(model);
            // "Dependence from Olivine composition" takes the olivine at the model's own liquidus.
            if (equationMode) routines_.splitIron(analysis_, T);
            T = routines_.correction(i, melt(), pressure_).corrected(T);
            if (!equationMode) routines_.splitIron(analysis_, T);
            r.T = T;
            r.X = X;
            const double now = melt().oxides[Ox::Fe2O3];
            settled = std::fabs(now - before) < kFe2O3Tolerance;
            before = now;
        }
        if (!settled && !stop_.stop_requested()) {
            reporter_.debugLine("Could not reach the target difference between the old and");
            reporter_.debugLine(
                " new Fe3+ values in 100 cycles. The Fe2+/Fe3+ value is approximated for " +
                model.displayName + " (" + std::string(phaseName(mineral)) + ").");
        }
    } catch (const EModelError_GetT& e) {
        routines_.takeMessage(model);
        reporter_.debugLine(e.what());
        r.failed = true;
        return r;
    }
    // Nothing that is not a number may reach a line or a file: such a result is the model's
    // failure.
    const TAnalysis phase = findPhase(analysis_.phases, phaseName(mineral));
    if (!std::isfinite(r.T) || !std::isfinite(r.X) || !finiteOxides(phase)) {
        reporter_.debugLine(model.displayName + " (" + std::string(phaseName(mineral)) +
                            ") gave a result that is not a number");
        r.failed = true;
    } else if (const std::string why = MineralRoutines::impossibleMineral(model, i, phase);
               !why.empty()) {
        reporter_.debugLine(why);
        r.failed = true;
    }
    return r;
}

void TMLAThread::report(const MlaModelResult& r, TModel& model) {
    const auto i = static_cast<std::size_t>(r.mineral);
    const double celsius = r.T - kCelsiusOffset;
    const double percent = r.X * 100.0;
    lines_[0] += "  " + snap_.registry->mineralSet(r.mineral).displayName + "    ";
    lines_[1] += model.shortName + " ";
    lines_[2] += (celsius > 1000.0 ? " " : "  ") + fixedText(celsius, 6, 1) + "  ";
    lines_[3] += " " + std::string(kPhases[i].compositionLabel) + "  ";
    lines_[4] += (percent > 10.0 ? " " : "  ") + fixedText(percent, 5, 2) + "   ";
    output_.mineralRow({analysis_.name, r.mineral, &model,
                        findPhase(analysis_.phases, phaseName(r.mineral)), r.T, r.X});
}

std::optional<double> TMLAThread::liquidusAtOneBar(TModel& model) {
    analysis_.pressure = 1.0;
    double T = 0.0;
    bool ok = true;
    try {
        model.Get_Temperature(analysis_, T);
        ++snap_.context().modelCalls;
        ok = model.message.empty() && std::isfinite(T);
        routines_.takeMessage(model);
    } catch (const EModelError_GetT& e) {
        routines_.takeMessage(model);
        reporter_.debugLine(e.what());
        ok = false;
    }
    analysis_.pressure = pressure_;
    if (!ok) return std::nullopt;
    return T;
}

void TMLAThread::cotecticBookkeeping(Phase mineral, TModel& model) {
    if (model.displayName != kQuellmark) return;
    switch (mineral) {
        case Phase::Olivine:
            if (const auto T = liquidusAtOneBar(model)) {
                olivineQuellmark_ = true;
                olivineAtOneBar_ = *T;
            }
            break;
        case Phase::Plagioclase:
            plagioclaseQuellmark_ = true;
            break;
        case Phase::Clinopyroxene:
            if (const auto T = liquidusAtOneBar(model)) {
                clinopyroxeneQuellmark_ = true;
                clinopyroxeneAtOneBar_ = *T;
            }
            break;
        default:
            break;
    }
}

bool TMLAThread::evaluateModels() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        const std::vector<TModel*> chosen = mlaModelsOf(*snap_.registry, models_, mineral);
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            if (stop_.stop_requested()) return false;
            TModel& model = *chosen[k];
            MlaModelResult r;
            try {
                r = evaluate(mineral, model);
            } catch (const FatalError& e) {
                // The sample ends here; this model and those not reached keep their columns.
                std::string& errorText = snap_.context().errorText;
                reporter_.message((errorText.empty() ? std::string(e.what()) : errorText) +
                                  ". Analysis " + analysis_.name);
                errorText.clear();
                for (std::size_t rest = k; rest < chosen.size(); ++rest)
                    results_.push_back({mineral, chosen[rest], true, -1.0, 0.0});
                for (std::size_t j = i + 1; j < kPhaseCount; ++j) {
                    const auto later = static_cast<Phase>(j);
                    for (TModel* m : mlaModelsOf(*snap_.registry, models_, later))
                        results_.push_back({later, m, true, -1.0, 0.0});
                }
                writeRow();
                throw;
            }
            if (stop_.stop_requested()) return false;
            results_.push_back(r);
            if (r.failed) continue;
            report(r, model);
            cotecticBookkeeping(mineral, model);
        }
    }
    return true;
}

// --- after the last model -------------------------------------------------------------------

void TMLAThread::estimateCotecticH2O() {
    TModelH2O_Quellmark2001 estimate(*snap_.registry,
                                     snap_.slots[static_cast<std::size_t>(Phase::Olivine)]);
    double h2o = -1.0;
    try {
        estimate.getMeltH2O(analysis_, h2o, 0.0, 0.0);
    } catch (const EModelError_GetT& e) {
        if (estimate.message.empty()) estimate.message = e.what();
    }
    if (estimate.message.empty() && !std::isfinite(h2o))
        estimate.message = estimate.displayName + ": no finite H2O estimate";
    if (!estimate.message.empty()) {
        output_.reportLine(estimate.message);
        return;
    }
    estimatedH2O_ = h2o;
    output_.reportLine(" Estimated H2O content for an Olv-Plg cotectic = " +
                       fixedText(h2o * kVolatileMass, 5, 2) + " wt%");
}

void TMLAThread::finish() {
    for (const std::string& line : lines_)
        output_.reportLine(line);
    if (olivineQuellmark_ && plagioclaseQuellmark_) estimateCotecticH2O();
    if (olivineQuellmark_ && clinopyroxeneQuellmark_) {
        estimatedPressure_ = (olivineAtOneBar_ - clinopyroxeneAtOneBar_) * kCotecticKbarPerKelvin;
        output_.reportLine(" Estimated Pressure for an Olv-Cpx cotectic = " +
                           fixedText(estimatedPressure_, 6, 3) + " kbar");
    }
    output_.reportLine(" ");
    writeRow();
}

// --- the row --------------------------------------------------------------------------------

std::string TMLAThread::oxygenText() const {
    const TParameters& p = parameters();
    const Oxides& o = melt().oxides;
    const bool records =
        p.bufferMode && !isFe3FreeBuffer(p.bufferModel) && o[Ox::Fe2O3] > 0.0 && o[Ox::FeO] > 0.0;
    return records ? p.bufferModel + deviationText(p.bufferOffset) : "n.d.";
}

void TMLAThread::writeRow() {
    if (!finiteOxides(melt()))
        throw EFloatingPointError("The melt of " + analysis_.name + " is not a number");
    output_.resultRow({analysis_.name, melt(), h2oNotDetermined_, pressure_, oxygenText(),
                       estimatedPressure_, estimatedH2O_, results_});
}

// --- the run --------------------------------------------------------------------------------

RunOutcome TMLAThread::run() {
    const std::string& sample = analysis_.name;
    std::string& errorText = snap_.context().errorText;
    // The models read the settings in the run's units (the equation's A for Fo as a fraction);
    // the snapshot has the entered ones back at the end, for the next sample.
    const ScaledRunSettings scaled(snap_, snap_.settings());
    RunOutcome outcome = RunOutcome::Completed;
    outcome_ = AnalysisOutcome{};
    try {
        setUp();
        if (evaluateModels()) {
            finish();
            outcome_.printedSteps = 1;
        } else {
            outcome = RunOutcome::Interrupted;
            outcome_.kind = OutcomeKind::Interrupted;
        }
    } catch (const FatalError&) {
        // A fatal error of a model was shown where it happened; one at the start is shown here.
        if (!errorText.empty()) reporter_.message(errorText + ". Analysis " + sample);
        errorText.clear();
        outcome = RunOutcome::Failed;
        outcome_.kind = OutcomeKind::ModelFailure;
    } catch (...) {
        if (!reportRunError(std::current_exception(), sample, snap_.context(), reporter_)) throw;
        outcome = RunOutcome::Failed;
        outcome_.kind = OutcomeKind::Error;
    }
    for (const MlaModelResult& result : results_)
        if (result.failed && result.model != nullptr)
            outcome_.mineralsLeft.push_back(
                {std::string(phaseName(result.mineral)) + " (" + result.model->displayName + ")",
                 "no liquidus temperature"});
    return outcome;
}

}  // namespace varnodel
