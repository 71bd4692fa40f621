#include "engines/rev.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Constants.h"
#include "core/Errors.h"
#include "engines/RunErrors.h"
#include "models/MeltProperties.h"
#include "models/_models_H2O.h"

namespace varnodel {

namespace {

constexpr int kOxidationPasses = 101;
constexpr double kFe2O3Tolerance = 1e-5;  // wt% between passes
constexpr double kModelTolerance = 1e-4;

std::string_view trimmedLabel(std::string_view label) {
    const auto first = label.find_first_not_of(' ');
    const auto last = label.find_last_not_of(' ');
    return first == std::string_view::npos ? label : label.substr(first, last - first + 1);
}

std::string name(std::size_t mineral) {
    return std::string(kPhases[mineral].name);
}

// Ilmenite and magnetite have no Fo or composition condition of exclusion.
bool excludedByComposition(std::size_t mineral) {
    return mineral != static_cast<std::size_t>(Phase::Ilmenite) &&
           mineral != static_cast<std::size_t>(Phase::Magnetite);
}

}  // namespace

TReverseThread::TReverseThread(RunSnapshot& snapshot, TAssemblage analysis, RevOutput& output,
                               RunReporter& reporter, std::stop_token stop)
    : snap_(snapshot),
      settings_(snapshot.settings()),
      userSettings_(snapshot.settings()),
      analysis_(std::move(analysis)),
      output_(output),
      reporter_(reporter),
      stop_(std::move(stop)),
      routines_(snapshot, reporter),
      pressure_(analysis_.pressureBlock, PathDirection::Heating),
      printDecision_(settings_.parameters) {
    routines_.onDrop([this](std::size_t mineral) { onDrop(mineral); });
}

double TReverseThread::meltWt(std::size_t oxide) const {
    return melt().oxides[oxide] * kOxides[oxide].massPerCation;
}

void TReverseThread::renormaliseKeepingH2O() {
    TAnalysis& m = meltRef();
    conv_.molesToWt(m);
    normalizeTotal(m, "fluid", m.volatile_.value);
    conv_.wtToMoles(m);
}

// --- set-up ---------------------------------------------------------------------------------

void TReverseThread::setUp() {
    if (analysis_.hasStopBlock) userSettings_.parameters.stop = analysis_.stop;
    info_.analysisName = analysis_.name;
    info_.settings = &settings_;
    info_.userSettings = &userSettings_;
    info_.pressureBlock = &analysis_.pressureBlock;
    info_.meltHasH2O = meltOf(analysis_).volatile_.value > 0.0;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        info_.models[i] = model(i);
    if (auto* ox = snap_.registry->oxidationModels().getByNameShort(
            userSettings_.parameters.oxidationModel))
        info_.oxidationModelName = ox->displayName;
    output_.runHeader(info_);

    routines_.configureOxidation();
    // From here on the run, its models included, reads the settings in its own units.
    scaled_.emplace(snap_, userSettings_);
    const TParameters& p = settings_.parameters;
    printDecision_ = PrintDecision(p);
    stepFraction_ = p.calculationStep;

    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto& entered = userSettings_.minerals[i].otherSettings;
        exclusionLimits_[i] = {entered[Exclusion::Temperature] + kCelsiusOffset,
                               entered[Exclusion::MeltMgO], entered[Exclusion::Fo] / 100.0,
                               entered[Exclusion::Composition] / 100.0};
        st_.composition[i] = -0.01;
        st_.active[i] = hasModel(i);
        if (hasModel(i)) model(i)->tolerance = kModelTolerance;
    }

    // The melt in the molar form at 100 g, not-determined oxides at 0; the run computes the
    // iron split.
    meltIndex_ = prepareMelt(analysis_, snap_.context());
    TAnalysis& m = meltRef();
    conv_.ppmToWt(m);
    normalizeTotal(m, "none", 1.0);
    conv_.wtToMoles(m);
    analysis_.pressure = pressure_.pressure();

    if (p.cotecticOption) {
        TModelH2O_Quellmark2001 cotectic(*snap_.registry, model(1));
        cotectic.setContext(snap_.registry->sharedContext());
        double h2o = melt().volatile_.value;
        try {
            cotectic.getMeltH2O(analysis_, h2o, 1.0, 0.0);
        } catch (const EModelError_GetT& e) {
            // No estimate: the melt keeps its H2O, and the message box says why.
            h2o = melt().volatile_.value;
            cotectic.message += (cotectic.message.empty() ? "" : " ") + std::string(e.what());
        }
        requireFinite(h2o, "cotectic H2O");
        meltRef().volatile_.value = h2o;
        renormaliseKeepingH2O();
        if (!cotectic.message.empty()) reporter_.message(cotectic.message + ": " + analysis_.name);
    }
    // A melt with H2O carries it through every transfer of mass, present in the data or not.
    if (melt().volatile_.value > 0.0 || p.h2oSaturatedOption) settings_.active.volatile_ = true;

    // The iron split at the liquidus of the mineral that would be added first.
    if (std::any_of(st_.active.begin(), st_.active.end(), [](bool a) { return a; })) {
        computeLiquidus();
        chooseLeader();
        routines_.splitIronOrDropOlivine(
            analysis_, p.equationMode ? st_.modelT[st_.leader] : st_.T[st_.leader]);
        pressure_.startAt(st_.T[st_.leader]);
    }
    output_.startingComposition(info_, melt());
}

// --- one step -------------------------------------------------------------------------------

RunOutcome TReverseThread::run() {
    const auto anyActive = [this] {
        return std::any_of(st_.active.begin() + 1, st_.active.end(), [](bool a) { return a; });
    };
    outcome_ = AnalysisOutcome{};
    stopReason_.clear();
    const RunOutcome outcome = runCrystallisation(
        [&] {
            setUp();
            while (anyActive() && !st_.finalStep && !stopRequested())
                stepOnce();
            return !st_.finalStep && stopRequested() ? RunOutcome::Interrupted
                                                     : RunOutcome::Completed;
        },
        analysis_.name, snap_.context(), reporter_, outcome_);
    scaled_.reset();
    if (outcome_.kind == OutcomeKind::Completed && !stopReason_.empty()) {
        outcome_.kind = OutcomeKind::StopCondition;
        outcome_.reason = stopReason_;
    } else if (outcome_.kind == OutcomeKind::Completed && !anyActive()) {
        outcome_.reason = "no mineral left to add";
    }
    outcome_.mineralsLeft = routines_.exits();
    return outcome;
}

void TReverseThread::stepOnce() {
    analysis_.pressure = pressure_.pressure();
    settleOxidation();
    if (stopRequested()) return;
    oxygenFugacity();
    const std::size_t leader = st_.leader;
    st_.hasBeenAdded[leader] = true;
    updateCompositions();
    // A leader whose model failed on its composition adds nothing: the next step chooses again.
    if (!st_.active[leader]) return;
    checkStopTargets();
    bool print =
        st_.finalStep || printDecision_.decide(st_.T[leader], st_.composition, st_.hasBeenAdded,
                                               st_.addedFraction(), st_.printThisStep);
    checkExclusions();
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        print = print || st_.excludedNow[i];
    output_.stepNotices(info_, st_);
    if (print) printStep();
    st_.printThisStep = false;
    st_.excludedNow.fill(false);
    if (st_.finalStep) return;

    addLeader();
    if (pressure_.update(st_.addedFraction(), st_.T[leader])) st_.printThisStep = true;
    exchangeFluid();
    deactivateExcluded();
}

void TReverseThread::settleOxidation() {
    const TParameters& p = settings_.parameters;
    double previous = meltWt(Ox::Fe2O3);
    bool settled = false;
    int pass = 1;
    for (; pass <= kOxidationPasses && !stopRequested(); ++pass) {
        computeLiquidus();
        chooseLeader();
        if (!anyAdded_) solubilityBeforeAdding();
        const std::size_t l = st_.leader;
        routines_.splitIronOrDropOlivine(analysis_, p.equationMode ? st_.modelT[l] : st_.T[l]);
        if (!st_.active[st_.leader]) continue;  // the olivine of the equation mode failed
        const double now = meltWt(Ox::Fe2O3);
        if (std::fabs(now - previous) < kFe2O3Tolerance) {
            settled = true;
            break;
        }
        previous = now;
    }
    if (!settled && pass > kOxidationPasses) {
        reporter_.debugLine("Could not reach the target difference between the old and");
        reporter_.debugLine(
            " new Fe3+ values in 100 cycles. The Fe2+/Fe3+ value is approximated during this "
            "step.");
    }
    // The olivine of the equation mode may have left in the last pass.
    if (!st_.active[st_.leader]) {
        computeLiquidus();
        chooseLeader();
    }
}

void TReverseThread::computeLiquidus() {
    const double P = pressure_.pressure();
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        st_.T[i] = 0.0;
        st_.modelT[i] = 0.0;
        if (!st_.active[i]) continue;
        const LiquidusCorrection c = routines_.correction(i, melt(), P);
        st_.dTwater[i] = c.water;
        st_.dTpressure[i] = c.pressure;
        if (const auto liquidus = routines_.liquidus(i, analysis_, P, c)) {
            st_.modelT[i] = liquidus->modelT;
            // A model's 0 is "no liquidus": corrected, it would pass for the lowest of all.
            st_.T[i] = liquidus->modelT == 0.0 ? 0.0 : liquidus->T;
        }
    }
}

void TReverseThread::chooseLeader() {
    double lowest = std::numeric_limits<double>::infinity();
    std::size_t leader = 0;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (st_.active[i] && st_.T[i] != 0.0 && st_.T[i] < lowest) {
            lowest = st_.T[i];
            leader = i;
        }
    if (leader == 0) throw ENoMineralsLeft("No mineral gives a liquidus temperature");
    st_.leader = leader;
    // The comparison temperature is the leader's corrected liquidus, the temperature printed:
    // the H2O and pressure corrections count once, as in every other use of a liquidus. Taking
    // them off and on again would count them twice, a temperature no model and no correction
    // stands for, and a target the user reads off a printed temperature would then be met at
    // another one.
    st_.comparisonT = st_.T[leader];
}

void TReverseThread::onDrop(std::size_t i) {
    st_.printThisStep = true;
    st_.active[i] = false;
    st_.hasBeenAdded[i] = false;
    st_.T[i] = 0.0;
    st_.modelT[i] = 0.0;
}

void TReverseThread::solubilityBeforeAdding() {
    const TParameters& p = settings_.parameters;
    const std::size_t l = st_.leader;
    st_.h2oSolubility =
        routines_.h2oSolubility(analysis_, pressure_.pressure(), st_.T[l],
                                "the liquidus of " + name(l) + " (" + model(l)->displayName + ")");
    if (p.h2oSaturatedOption) {
        meltRef().volatile_.value = st_.h2oSolubility;
        renormaliseKeepingH2O();
    }
    if (melt().volatile_.value > st_.h2oSolubility) {
        if (p.cotecticOption && !cotecticWarned_) {
            reporter_.message(
                "H2O content required for the Olv-Plg cotectic exceeds H2O solubility in the "
                "melt at the chosen pressure");
            cotecticWarned_ = true;
        }
        const double before = melt().volatile_.value * kVolatileMass;
        meltRef().volatile_.value = st_.h2oSolubility;
        renormaliseKeepingH2O();
        const double after = melt().volatile_.value * kVolatileMass;
        st_.fluid = (before - after) / (100.0 - after);
    }
}

void TReverseThread::oxygenFugacity() {
    const TParameters& p = settings_.parameters;
    const Oxides& o = melt().oxides;
    const double T = st_.T[st_.leader];
    st_.oxidationDefined = o[Ox::Fe2O3] != 0.0 && o[Ox::FeO] != 0.0 &&
                           !(p.bufferMode && isFe3FreeBuffer(p.bufferModel));
    if (st_.oxidationDefined) {
        routines_.oxidation().setMelt(o);
        st_.lgfO2 = routines_.oxidation().logFO2FromMelt(o, T);
        const TModel* nno = snap_.registry->bufferTable().getItem("Ni-NiO");
        st_.dNNO = st_.lgfO2 - nno->getLogFO2(0.0, T);
        requireFinite(st_.lgfO2, "lg fO2 of the melt");
        requireFinite(st_.dNNO, "dNNO of the melt");
        snap_.context().lgfO2 = st_.lgfO2;
    } else {
        // What the models read for a melt without a recorded fO2.
        snap_.context().lgfO2 = o[Ox::FeO] > 0.0 ? -20.0 : -0.2;
    }
}

void TReverseThread::updateCompositions() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (!st_.active[i] || !st_.hasBeenAdded[i]) continue;
        if (const auto mineral =
                routines_.equilibriumMineral(i, analysis_, {st_.modelT[i], st_.T[i]})) {
            st_.composition[i] = compositionNumber(i, *mineral);
            TAnalysis stored = *mineral;
            stored.name = name(i);
            storePhase(st_.minerals, stored, kPhases[i].name);
        }
    }
}

void TReverseThread::checkStopTargets() {
    const TStopBlock& stop = settings_.parameters.stop;
    const auto reached = [&](std::size_t kind, Phase mineral) {
        const auto i = static_cast<std::size_t>(mineral);
        return stop.flags[kind] && st_.hasBeenAdded[i] && st_.composition[i] >= stop.values[kind];
    };
    const bool hit[] = {
        reached(Stop::Fo, Phase::Olivine),
        stop.flags[Stop::Temperature] && st_.comparisonT >= stop.values[Stop::Temperature],
        stop.flags[Stop::MeltMgO] && meltWt(Ox::MgO) >= stop.values[Stop::MeltMgO],
        stop.flags[Stop::Crystallisation] &&
            st_.addedFraction() >= stop.values[Stop::Crystallisation],
        reached(Stop::An, Phase::Plagioclase),
        reached(Stop::Clinopyroxene, Phase::Clinopyroxene),
        reached(Stop::Orthopyroxene, Phase::Orthopyroxene),
        reached(Stop::Pigeonite, Phase::Pigeonite),
    };
    for (std::size_t k = 0; k < std::size(hit); ++k) {
        if (hit[k] && !st_.finalStep)
            stopReason_ = std::string("stop condition: ") + kStopConditionNames[k];
        st_.finalStep = st_.finalStep || hit[k];
    }
}

void TReverseThread::checkExclusions() {
    for (std::size_t i = 2; i < kPhaseCount; ++i) {
        if (!st_.hasBeenAdded[i] || st_.excluded[i] || !st_.active[i]) continue;
        const auto& flags = userSettings_.minerals[i].exclusionFlags;
        const auto& limit = exclusionLimits_[i];
        const bool byComposition = excludedByComposition(i);
        const bool hit =
            (flags[Exclusion::Temperature] && st_.comparisonT >= limit[Exclusion::Temperature]) ||
            (flags[Exclusion::MeltMgO] && meltWt(Ox::MgO) >= limit[Exclusion::MeltMgO]) ||
            (byComposition && flags[Exclusion::Fo] && st_.hasBeenAdded[1] &&
             st_.composition[1] >= limit[Exclusion::Fo]) ||
            (byComposition && flags[Exclusion::Composition] &&
             st_.composition[i] >= limit[Exclusion::Composition]);
        if (hit) {
            st_.excluded[i] = true;
            st_.excludedNow[i] = true;
        }
    }
}

void TReverseThread::printStep() {
    const double T = st_.comparisonT;
    requireFinite(T, "leader temperature");
    requireFinite(st_.totalMass, "total mass");
    requireFinite(st_.fluid, "fluid");
    for (double v : melt().oxides)
        requireFinite(v, "melt composition");
    requireFinite(melt().volatile_.value, "melt H2O");
    const MeltDensity density = meltDensity(melt(), T, settings_.parameters.densityModel);
    st_.density = density.density;
    st_.thermalExpansion = density.thermalExpansion;
    st_.lnViscosity = meltViscosity(melt(), T, settings_.parameters.viscosityModel);
    snap_.context().density = st_.density;
    snap_.context().thermalExpansion = st_.thermalExpansion;
    snap_.context().viscosity = st_.lnViscosity;
    output_.printedStep(info_, st_, melt(), pressure_.pressure());
    ++outcome_.printedSteps;
}

// --- mass transfer --------------------------------------------------------------------------

void TReverseThread::addLeader() {
    const std::size_t leader = st_.leader;
    const double x = stepFraction_;
    const TAnalysis mineral = findPhase(st_.minerals, kPhases[leader].name);
    meltRef() = combineByMass(melt(), mineral, mineral, 1.0 - x, x, 0.0, settings_.active);
    // The new melt is x mineral and 1 - x of the old melt by mass: the mineral added is x / (1 -
    // x) of the melt as it was. (x of it would lose a share x of every addition from the mass
    // balance, a melt richer in the mineral than the masses say.)
    const double amount = (st_.totalMass - st_.fluid) * x / (1.0 - x);
    requireFinite(amount, "mass of the mineral added");
    st_.added[leader] += amount;
    st_.totalMass += amount;
    anyAdded_ = true;
}

void TReverseThread::exchangeFluid() {
    const TParameters& p = settings_.parameters;
    if (!(st_.fluid > 0.0 || p.h2oSaturatedOption)) return;
    const std::size_t l = st_.leader;
    const double before = melt().volatile_.value * kVolatileMass;
    st_.h2oSolubility =
        routines_.h2oSolubility(analysis_, pressure_.pressure(), st_.T[l],
                                "the liquidus of " + name(l) + " (" + model(l)->displayName + ")");
    meltRef().volatile_.value = st_.h2oSolubility;
    renormaliseKeepingH2O();
    const double now = melt().volatile_.value * kVolatileMass;
    // The fluid the melt takes up (below 0: gives off) to stay saturated.
    const double e = (now - before) * (st_.totalMass - st_.fluid) / (100.0 - now);
    requireFinite(e, "fluid taken up by the melt");
    if (p.h2oSaturatedOption) {
        if (e > st_.fluid) st_.totalMass += e - st_.fluid;
        st_.fluid -= e;
    } else if (st_.fluid >= e) {
        st_.fluid -= e;
    } else {
        removeBlankPhase((e - st_.fluid) / (st_.totalMass + e));
        st_.fluid = 0.0;
    }
}

void TReverseThread::removeBlankPhase(double y) {
    TAnalysis& m = meltRef();
    const double iron = m.oxides[Ox::FeO] + m.oxides[Ox::Fe2O3];
    const double ferricShare = iron > 0.0 ? m.oxides[Ox::Fe2O3] / iron : 0.0;
    m.oxides[Ox::FeO] = iron;
    m.oxides[Ox::Fe2O3] = 0.0;
    const double scale = 1.0 / (1.0 - y);
    for (double& v : m.oxides)
        v *= scale;
    m.volatile_.value *= scale;
    for (auto& t : m.traces)
        t.value *= scale;
    const double total = m.oxides[Ox::FeO];
    m.oxides[Ox::Fe2O3] = total * ferricShare;
    m.oxides[Ox::FeO] = total - m.oxides[Ox::Fe2O3];

    std::string negative;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (m.oxides[k] < 0.0)
            negative += std::string(trimmedLabel(kOxides[k].label)) +
                        " content < 0 wt%. Calculation aborted. ";
    if (m.volatile_.value < 0.0) negative += "H2O content < 0 wt%. Calculation aborted. ";
    for (std::size_t e = 0; e < kTraceCount; ++e)
        if (settings_.active.traces[e] && m.traces[e].value < 0.0)
            negative += std::string(trimmedLabel(kTraces[e].name)) +
                        " content < 0 wt%. Calculation aborted. ";
    if (!negative.empty()) {
        snap_.context().errorText = negative;
        throw FatalError(negative);
    }
}

void TReverseThread::deactivateExcluded() {
    // Spinel stays whatever its limits say.
    for (std::size_t i : {2, 3, 4, 5, 7, 8})
        if (st_.excluded[i] && st_.active[i]) {
            st_.active[i] = false;
            st_.T[i] = 0.0;
            st_.modelT[i] = 0.0;
        }
}

}  // namespace varnodel
