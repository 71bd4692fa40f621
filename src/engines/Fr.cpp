#include "engines/Fr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <new>
#include <optional>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/PhaseChecks.h"
#include "engines/RunErrors.h"
#include "models/MeltProperties.h"
#include "models/_models_H2O.h"

namespace varnodel {

namespace {

constexpr double kSetUpTolerance = 1e-4;  // degrees
constexpr int kSetUpCycleLimit = 100;
constexpr double kMassBalanceTolerance = 1e-7;  // x meltFraction
constexpr int kMassBalanceCycles = 21;
constexpr double kAcceptedResidual = 5e-4;  // residual x 100
constexpr double kOxideStepFactor = 0.1;
constexpr double kCr2O3Floor = 7.895e-5;
constexpr double kPureFluidH2O = 100.0 / 18.0;
constexpr double kNoSolutionGap = 3e4;  // x stepFraction, degrees
constexpr double kResorptionGap = 2e3;
constexpr int kResorptionCycles = 100;
constexpr int kPeritecticCycles = 1000;
constexpr double kPeritecticResolution = 1e-6;
constexpr double kModelTolerance = 1e-4;

const char* const kNoSolutionText =
    "Calculations stopped as there is no solution possible for this degree of fractionation "
    "with the current set of models and parameters. You can try to increase degree of "
    "fractionation for each phase where it is < 100";

bool isOxide(std::size_t mineral) {
    return mineral >= 6;
}

std::string name(std::size_t mineral) {
    return std::string(kPhases[mineral].name);
}

}  // namespace

TFracThread::TFracThread(RunSnapshot& snapshot, TAssemblage analysis, FracOutput& output,
                         RunReporter& reporter, std::stop_token stop)
    : snap_(snapshot),
      settings_(snapshot.settings()),
      userSettings_(snapshot.settings()),
      analysis_(std::move(analysis)),
      output_(output),
      reporter_(reporter),
      stop_(std::move(stop)),
      routines_(snapshot, reporter),
      pressure_(analysis_.pressureBlock),
      printDecision_(settings_.parameters) {
    routines_.onDrop([this](std::size_t mineral) { onDrop(mineral); });
}

// --- helpers --------------------------------------------------------------------------------

TAnalysis TFracThread::phaseOf(std::size_t mineral, const std::vector<TAnalysis>& phases) const {
    return findPhase(phases, kPhases[mineral].name);
}

void TFracThread::normalise(TAnalysis& molar) const {
    TMoleConversions conv;
    conv.molesToWt(molar);
    normalizeTotal(molar, "none", 0.0);
    conv.wtToMoles(molar);
}

// --- set-up ---------------------------------------------------------------------------------

void TFracThread::setUp() {
    TParameters& p = settings_.parameters;
    if (analysis_.hasStopBlock) userSettings_.parameters.stop = analysis_.stop;
    info_.analysisName = analysis_.name;
    info_.settings = &settings_;
    info_.userSettings = &userSettings_;
    info_.pressureBlock = &analysis_.pressureBlock;
    info_.meltHasH2O = meltOf(analysis_).volatile_.value > 0.0;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        info_.models[i] = model(i);
    if (auto* ox = snap_.registry->oxidationModels().getByNameShort(p.oxidationModel))
        info_.oxidationModelName = ox->displayName;
    output_.runHeader(info_);

    routines_.configureOxidation();
    // From here on the run, its models included, reads the settings in its own units.
    scaled_.emplace(snap_, userSettings_);
    printDecision_ = PrintDecision(settings_.parameters);
    st_.stepFraction = p.calculationStep;
    st_.baseStep = p.calculationStep;

    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        st_.fractionation[i] = settings_.minerals[i].fractionation / 100.0;
        st_.composition[i] = -0.01;
        if (hasModel(i)) model(i)->tolerance = kModelTolerance;
    }

    // The melt in the molar form, not-determined oxides at 0; the run computes the iron split.
    meltIndex_ = prepareMelt(analysis_, snap_.context());
    TAnalysis& m = meltRef();
    conv_.ppmToWt(m);
    conv_.wtToMoles(m);

    computeCorrections();
    st_.lgfO2 = -1.0;
    st_.dNNO = -1.0;
    st_.fluid = TAnalysis{};

    // Liquidus, iron split and H2O solubility settle together.
    for (int cycle = 0;; ++cycle) {
        st_.previousT = st_.T;
        computeTemperatures();
        updateSolubility();
        if (std::fabs(st_.T[st_.leader] - st_.previousT[st_.leader]) < kSetUpTolerance) break;
        if (cycle == kSetUpCycleLimit) {
            reporter_.debugLine("The liquidus temperature did not settle in " +
                                std::to_string(kSetUpCycleLimit) +
                                " cycles at set-up; the last value is used.");
            break;
        }
    }

    // The H2O that puts the melt on the olivine-plagioclase cotectic.
    std::string cotecticMessage;
    if (p.cotecticOption) {
        TModelH2O_Quellmark2001 cotectic(*snap_.registry, model(1));
        cotectic.setContext(snap_.registry->sharedContext());
        analysis_.pressure = pressure_.pressure();
        double h2o = melt().volatile_.value;
        try {
            cotectic.getMeltH2O(analysis_, h2o, 1.0, st_.T[st_.leader]);
        } catch (const EModelError_GetT& e) {
            // No estimate (a Quellmark model found no liquidus): the melt keeps its H2O, and the
            // message box says why.
            h2o = melt().volatile_.value;
            cotectic.message += (cotectic.message.empty() ? "" : " ") + std::string(e.what());
        }
        requireFinite(h2o, "cotectic H2O");
        meltRef().volatile_.value = h2o;
        cotecticMessage = cotectic.message;
        if (!cotecticMessage.empty()) reporter_.message(analysis_.name + ": " + cotecticMessage);
        info_.h2oAdjusted = true;
    }
    if (p.h2oSaturatedOption) {
        meltRef().volatile_.value = st_.h2oSolubility;
        info_.h2oAdjusted = true;
    }

    // Back to 100 g: with an adjusted H2O the dry part makes up the rest.
    {
        TAnalysis& melt = meltRef();
        conv_.molesToWt(melt);
        if (info_.h2oAdjusted) {
            normalizeTotal(melt, "fluid", melt.volatile_.value);
        } else {
            normalizeTotal(melt, "none", 1.0);
        }
        conv_.wtToMoles(melt);
    }
    startingMelt_ = melt();
    // A melt with H2O carries it through every transfer of mass, present in the data or not.
    if (melt().volatile_.value > 0.0) settings_.active.volatile_ = true;

    if (melt().volatile_.value > st_.h2oSolubility) {
        degas(true);
        if (p.cotecticOption && cotecticMessage.empty())
            reporter_.message(analysis_.name +
                              " : H2O content required for the Olv-Plg cotectic exceeds H2O "
                              "solubility in the melt at the chosen pressure. To keep melt on "
                              "the cotectic, increase pressure");
    }

    computeTemperatures();
    pressure_.startAt(st_.T[st_.leader]);
    output_.startingComposition(info_, melt());
}

// --- temperatures ---------------------------------------------------------------------------

void TFracThread::computeCorrections() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const LiquidusCorrection c = routines_.correction(i, melt(), pressure_.pressure());
        st_.dTwater[i] = c.water;
        st_.dTpressure[i] = c.pressure;
    }
}

void TFracThread::getFe2Fe3(std::size_t i) {
    // A mineral that failed keeps its last values on record.
    if (const auto liquidus = routines_.settleIron(i, analysis_, pressure_.pressure(),
                                                   {st_.dTwater[i], st_.dTpressure[i]})) {
        st_.modelT[i] = liquidus->modelT;
        st_.T[i] = liquidus->T;
    }
}

void TFracThread::onDrop(std::size_t i) {
    st_.printThisStep = true;
    st_.inAssemblage[i] = false;
    st_.activeSincePrint[i] = false;
    st_.excluded[i] = true;
}

void TFracThread::computeTemperatures() {
    const PerPhase<double> savedT = st_.T, savedModelT = st_.modelT;
    st_.T.fill(0.0);
    st_.modelT.fill(0.0);
    double best = -10000.0;
    double leaderFe2O3 = melt().oxides[Ox::Fe2O3];
    bool found = false;
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (!hasModel(i)) {
            // Keep what an excluded mineral last had, for the record.
            st_.T[i] = savedT[i];
            st_.modelT[i] = savedModelT[i];
            continue;
        }
        getFe2Fe3(i);
        if (hasModel(i) && st_.T[i] != 0.0 && st_.T[i] > best) {
            best = st_.T[i];
            st_.leader = i;
            leaderFe2O3 = melt().oxides[Ox::Fe2O3];
            found = true;
        }
    }
    if (!found) throw ENoMineralsLeft("No mineral gives a liquidus temperature");
    // The melt keeps the iron split found for the leader, its total iron unchanged.
    TAnalysis& m = meltRef();
    m.oxides[Ox::FeO] += m.oxides[Ox::Fe2O3] - leaderFe2O3;
    m.oxides[Ox::Fe2O3] = leaderFe2O3;
}

void TFracThread::recomputeAllTemperatures() {
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (i != st_.leader) getFe2Fe3(i);
    getFe2Fe3(st_.leader);
}

void TFracThread::updateSolubility() {
    const TModel* leader = info_.models[st_.leader];
    st_.h2oSolubility =
        routines_.h2oSolubility(analysis_, pressure_.pressure(), st_.T[st_.leader],
                                "the liquidus of " + name(st_.leader) +
                                    (leader != nullptr ? " (" + leader->displayName + ")" : ""));
}

// --- one step -------------------------------------------------------------------------------

RunOutcome TFracThread::run() {
    outcome_ = AnalysisOutcome{};
    outcome_.kind = OutcomeKind::StopCondition;
    const RunOutcome outcome = runCrystallisation(
        [this] {
            setUp();
            while (!st_.stopped && !stopRequested())
                stepOnce();
            return !st_.stopped && stopRequested() ? RunOutcome::Interrupted
                                                   : RunOutcome::Completed;
        },
        analysis_.name, snap_.context(), reporter_, outcome_);
    if (outcome_.kind == OutcomeKind::StopCondition) outcome_.reason = stopReason_;
    outcome_.mineralsLeft = routines_.exits();
    return outcome;
}

void TFracThread::stepOnce() {
    computeCorrections();
    computeTemperatures();
    st_.inAssemblage[st_.leader] = true;
    st_.activeSincePrint[st_.leader] = true;

    oxidationBookkeeping();

    checkNoSolution();
    if (!st_.stopped) {
        resorbLeftBehind();
        updateCompositions();
        checkStopConditions();
    }
    if (st_.stopped) {
        storePhase(st_.crystals, phaseOf(st_.leader, analysis_.phases), kPhases[st_.leader].name);
        printStep(true);
        return;
    }

    // A leader whose model failed in the phase checks (its composition) or during its mass
    // balance crystallises nothing: the next step chooses another.
    if (!hasModel(st_.leader)) return;
    chooseStepSize();
    if (!crystalliseLeader()) return;
    bookFractionation();
    checkStopConditions();
    const bool print = printDecision_.decide(st_.T[st_.leader], st_.composition, st_.inAssemblage,
                                             1.0 - st_.meltFraction, st_.printThisStep);
    if (print || st_.stopped) printStep(st_.stopped);

    if (pressure_.update(1.0 - st_.meltFraction, st_.T[st_.leader])) st_.printThisStep = true;

    computeCorrections();
    updateSolubility();
    if (melt().volatile_.value > st_.h2oSolubility) degas(false);
}

void TFracThread::oxidationBookkeeping() {
    const TParameters& p = settings_.parameters;
    const bool noFerric = p.bufferMode && isFe3FreeBuffer(p.bufferModel);
    if (noFerric) return;
    const double T = st_.T[st_.leader];
    const Oxides& o = melt().oxides;
    if (o[Ox::Fe2O3] != 0.0 && o[Ox::FeO] != 0.0) {
        if (!p.bufferMode) routines_.splitIronOrDropOlivine(analysis_, T);
        routines_.oxidation().setMelt(melt().oxides);
        st_.lgfO2 = routines_.oxidation().logFO2FromMelt(melt().oxides, T);
        const TModel* nno = snap_.registry->bufferTable().getItem("Ni-NiO");
        st_.dNNO = st_.lgfO2 - nno->getLogFO2(0.0, T);
    } else {
        st_.lgfO2 = o[Ox::FeO] > 0.0 ? -20.0 : -0.2;
    }
    snap_.context().lgfO2 = st_.lgfO2;
}

void TFracThread::chooseStepSize() {
    if (isOxide(st_.leader)) {
        // On consecutive oxide-led steps the step alternates between a tenth of the base and
        // the base.
        st_.stepFraction = st_.stepFraction > kOxideStepFactor * st_.baseStep
                               ? kOxideStepFactor * st_.baseStep
                               : st_.baseStep;
    } else {
        st_.stepFraction = st_.baseStep;
    }
}

// --- assemblage and stop conditions ---------------------------------------------------------

void TFracThread::checkNoSolution() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (i == st_.leader || !hasModel(i) || st_.crystalsInMagma[i] <= 0.0) continue;
        if (st_.T[st_.leader] - st_.T[i] > kNoSolutionGap * st_.stepFraction) {
            st_.stopped = true;
            snap_.context().errorText = kNoSolutionText;
            return;
        }
    }
}

void TFracThread::resorbLeftBehind() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (i == st_.leader || !hasModel(i) || st_.crystalsInMagma[i] <= 0.0) continue;
        if (st_.T[st_.leader] - st_.T[i] > kResorptionGap * st_.stepFraction) dissolveMineral(i);
    }
}

void TFracThread::dissolveMineral(std::size_t i) {
    const double target = st_.T[st_.leader] - kResorptionGap * st_.stepFraction;
    const double startT = st_.T[i], startModelT = st_.modelT[i];
    const double increment = st_.stepFraction * st_.meltFraction / 20.0;
    const TAnalysis kept = melt();
    const TAnalysis mineral = phaseOf(i, st_.crystals);
    const ActiveElements active = settings_.active;
    double amount = 0.0;
    int k = 1;
    for (; k <= kResorptionCycles; ++k) {
        amount = std::min(k * increment, st_.crystalsInMagma[i]);
        // The melt as it stands (mass meltFraction) takes up `amount` of the crystals. The
        // peritectic search weighs its melt as meltFraction x (1 - stepFraction), the melt left
        // after the leader's crystals; resorption runs before the leader crystallises, so that
        // weight here would give the melt a composition that does not match the meltFraction +
        // amount booked for it, and the whole system would no longer keep its composition.
        meltRef() = combineByMass(kept, mineral, mineral, st_.meltFraction, amount, 0.0, active);
        computeCorrections();
        getFe2Fe3(i);
        if (!hasModel(i)) break;
        if (st_.T[i] < startT) {
            meltRef() = kept;
            st_.T[i] = startT;
            st_.modelT[i] = startModelT;
            amount = 0.0;
            break;
        }
        if (st_.T[i] >= target || stopRequested()) break;
        if (amount == st_.crystalsInMagma[i]) break;
    }
    if (k > kResorptionCycles)
        reporter_.debugLine("Exit from DissolveMineral at 100 number of cycles");
    if (!hasModel(i)) {
        meltRef() = kept;
        return;
    }
    if (amount > 0.0) {
        st_.crystalsInMagma[i] -= amount;
        st_.meltFraction += amount;
        if (st_.crystalsInMagma[i] <= 0.0) {
            st_.crystalsInMagma[i] = 0.0;
            st_.activeSincePrint[i] = false;
        }
    }
}

void TFracThread::updateCompositions() {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (!hasModel(i) || !st_.inAssemblage[i]) continue;
        if (const auto mineral = equilibriumComposition(i))
            st_.composition[i] = compositionNumber(i, *mineral);
    }
}

std::optional<TAnalysis> TFracThread::equilibriumComposition(std::size_t i) {
    return routines_.equilibriumMineral(i, analysis_, {st_.modelT[i], st_.T[i]});
}

void TFracThread::checkStopConditions() {
    const TStopBlock& stop = settings_.parameters.stop;
    const auto composition = [&](Phase mineral) {
        const auto i = static_cast<std::size_t>(mineral);
        return st_.inAssemblage[i] &&
               st_.composition[i] <=
                   stop.values[mineral == Phase::Olivine         ? Stop::Fo
                               : mineral == Phase::Plagioclase   ? Stop::An
                               : mineral == Phase::Clinopyroxene ? Stop::Clinopyroxene
                               : mineral == Phase::Orthopyroxene ? Stop::Orthopyroxene
                                                                 : Stop::Pigeonite];
    };
    const double meltMgO = melt().oxides[Ox::MgO] * kOxides[Ox::MgO].massPerCation;
    const bool hit[] = {
        stop.flags[Stop::Fo] && composition(Phase::Olivine),
        stop.flags[Stop::Temperature] && st_.T[st_.leader] <= stop.values[Stop::Temperature],
        stop.flags[Stop::MeltMgO] && meltMgO <= stop.values[Stop::MeltMgO],
        stop.flags[Stop::Crystallisation] &&
            1.0 - st_.meltFraction >= stop.values[Stop::Crystallisation],
        stop.flags[Stop::An] && composition(Phase::Plagioclase),
        stop.flags[Stop::Clinopyroxene] && composition(Phase::Clinopyroxene),
        stop.flags[Stop::Orthopyroxene] && composition(Phase::Orthopyroxene),
        stop.flags[Stop::Pigeonite] && composition(Phase::Pigeonite),
    };
    for (std::size_t k = 0; k < std::size(hit); ++k) {
        if (hit[k] && !st_.stopped)
            stopReason_ = std::string("stop condition: ") + kStopConditionNames[k];
        st_.stopped = st_.stopped || hit[k];
    }
}

void TFracThread::findPeritectic() {
    std::size_t reacting = 0;
    double largestFall = 0.0;
    for (std::size_t j = 1; j < kPhaseCount; ++j) {
        if (j == st_.leader || !hasModel(j) || st_.crystalsInMagma[j] <= 0.0) continue;
        const double fall = st_.previousT[j] - st_.T[j];
        if (st_.T[j] < st_.previousT[j] && st_.T[j] < st_.T[st_.leader] &&
            (reacting == 0 || fall > largestFall)) {
            reacting = j;
            largestFall = fall;
        }
    }
    if (reacting == 0) return;
    const std::size_t j = reacting;
    const TAnalysis mineral = phaseOf(j, st_.crystals);
    const double referenceT = st_.T[st_.leader];
    double amount = std::min(st_.stepFraction * st_.meltFraction, st_.crystalsInMagma[j]);
    double increment = amount / 100.0;
    double lastGap = largestFall;
    const TAnalysis kept = melt();
    const PerPhase<double> keptT = st_.T, keptModelT = st_.modelT;
    const double meltMass = st_.meltFraction * (1.0 - st_.stepFraction);
    bool reaction = false;
    for (int k = 0; k < kPeritecticCycles && !stopRequested(); ++k) {
        meltRef() = combineByMass(kept, mineral, mineral, meltMass, amount, 0.0, settings_.active);
        getFe2Fe3(j);
        getFe2Fe3(st_.leader);
        if (!hasModel(j) || !hasModel(st_.leader)) break;
        if (st_.T[st_.leader] <= referenceT) break;
        const double gap = st_.T[st_.leader] - st_.T[j];
        if (gap > lastGap) break;
        lastGap = gap;
        if (gap > 0.0) {
            if (kPeritecticResolution * st_.meltFraction >= increment) {
                reaction = true;
                break;
            }
            increment /= 2.0;
            amount += increment;
        } else {
            amount -= increment;
        }
        amount = std::min(amount, st_.crystalsInMagma[j]);
    }
    if (!reaction || !hasModel(j)) {
        meltRef() = kept;
        st_.T = keptT;
        st_.modelT = keptModelT;
        return;
    }
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (i != st_.leader && i != j) getFe2Fe3(i);
    getFe2Fe3(st_.leader);
    if (hasModel(j)) {
        // The remaining crystals keep the composition that the consumed ones took into the
        // melt: by mass balance their mean is unchanged. Giving them the new equilibrium
        // composition without an exchange with the melt would create or destroy MgO and FeO.
        if (const auto reequilibrated = equilibriumComposition(j))
            st_.composition[j] = compositionNumber(j, *reequilibrated);
    }
    st_.peritecticAmount[j] = amount;
    st_.peritecticMineral = j;
    if (amount >= st_.crystalsInMagma[j]) st_.activeSincePrint[j] = false;
}

// --- mass transfer --------------------------------------------------------------------------

bool TFracThread::crystalliseLeader() {
    const std::size_t leader = st_.leader;
    const double m = st_.stepFraction * st_.meltFraction;
    const ActiveElements& active = settings_.active;
    st_.previousT = st_.T;
    if (st_.peritecticMineral != 0) {
        // The reacting crystals are already in the melt; the temperatures follow.
        recomputeAllTemperatures();
        st_.previousT = st_.T;
        st_.peritecticMineral = 0;
        st_.peritecticAmount.fill(0.0);
    }
    const TAnalysis start = melt();
    const double cm = st_.crystalsInMagma[leader];
    const bool first = cm <= 0.0 && st_.crystalsInCumulate[leader] <= 0.0;
    const TAnalysis previous =
        first ? phaseOf(leader, analysis_.phases) : phaseOf(leader, st_.crystals);
    const auto meltWith = [&](const TAnalysis& crystals) {
        return combineByMass(start, previous, crystals, st_.meltFraction, cm, m + cm, active);
    };
    // Crystals that take more of a component than the melt holds cannot form from it (a model
    // can write an oxide that the melt lacks; a step times a large partition coefficient can ask
    // for more of a trace than there is): the mineral leaves the run.
    const auto cannotForm = [&](const std::string& left, const std::string& why) {
        meltRef() = start;
        routines_.dropMineral(leader, info_.models[leader]->displayName + ": crystallising " +
                                          name(leader) + " would leave " + left + why + "; " +
                                          name(leader) + " leaves the calculation");
        return false;
    };
    // The leader's equilibrium crystals for the melt left by `guess`, and their number.
    const auto equilibriumFor = [&](const TAnalysis& guess, TAnalysis& equilibrium) {
        if (!hasModel(leader)) return false;  // it left in the temperatures of a peritectic
        meltRef() = meltWith(guess);
        // A trial melt below zero is no melt a model can be asked about.
        if (const std::string why = impossibleMelt(melt(), active); !why.empty())
            return cannotForm("a melt with ", why);
        computeCorrections();
        getFe2Fe3(leader);
        if (!hasModel(leader)) return false;
        const auto mineral = equilibriumComposition(leader);
        if (!mineral) return false;
        equilibrium = *mineral;
        return true;
    };

    TAnalysis g1 = previous;
    double x1 = first ? compositionNumber(leader, g1) : st_.composition[leader];
    TAnalysis d, firstModelComposition;
    double residual = 0.0, r1 = 0.0, r2 = 0.0;
    bool failed = false;
    for (int k = 1; k <= kMassBalanceCycles; ++k) {
        TAnalysis m1;
        if (!equilibriumFor(g1, m1)) {
            meltRef() = start;
            return false;
        }
        const double x1eq = compositionNumber(leader, m1);
        if (k == 1) {
            d = addScaled(m1, g1, -1.0, active);
            firstModelComposition = m1;
        } else if ((r1 > 0.0 && r2 <= 0.0) || (r1 < 0.0 && r2 >= 0.0)) {
            d = addScaled(d, d, -0.5, active);
        }
        const TAnalysis g2 = addScaled(g1, d, 1.0, active);
        const double x2 = compositionNumber(leader, g2);
        TAnalysis m2;
        if (!equilibriumFor(g2, m2)) {
            meltRef() = start;
            return false;
        }
        const double x2eq = compositionNumber(leader, m2);
        r1 = x1 - x1eq;
        r2 = x2 - x2eq;
        if (r1 == r2) {
            failed = true;
            break;
        }
        const double t = r1 / (r1 - r2);
        const bool converged = std::fabs(r1) < kMassBalanceTolerance * st_.meltFraction;
        if (k < kMassBalanceCycles || !converged) {
            g1 = addScaled(g1, d, t, active);
            normalise(g1);
            x1 = compositionNumber(leader, g1);
            residual = r1;
        }
        if (converged) break;
    }
    // The secant moves the whole composition, traces included, along its search step: an
    // extrapolation can take a component below zero while the composition number converges.
    // Such crystals are no result either.
    if (failed || !(std::fabs(100.0 * residual) <= kAcceptedResidual) || x1 < 0.0 || x1 > 1.0 ||
        !impossibleComposition(g1, active).empty()) {
        reporter_.debugLine("Couldn't calculate the equilibrium composition of " + name(leader) +
                            " during this step. The composition is approximated. Melt % =" +
                            shortestGeneral(st_.meltFraction * 100.0) + "; Error in " +
                            std::string(kPhases[leader].compositionLabel) +
                            "(in %) = " + shortestGeneral(residual * 100.0));
        g1 = firstModelComposition;
        x1 = compositionNumber(leader, g1);
    }
    // Even the model's own crystals can fall below zero (in a trace that a large partition
    // coefficient times the step asks more of than there is).
    if (const std::string why = impossibleComposition(g1, active); !why.empty())
        return cannotForm("crystals with ", why);
    const TAnalysis finalMelt = meltWith(g1);
    if (const std::string why = impossibleMelt(finalMelt, active); !why.empty())
        return cannotForm("a melt with ", why);
    meltRef() = finalMelt;
    g1.name = name(leader);
    storePhase(st_.crystals, g1, kPhases[leader].name);
    st_.composition[leader] = x1;
    st_.residual[leader] = residual;
    recomputeAllTemperatures();
    applyCr2O3Floor();
    findPeritectic();
    return true;
}

void TFracThread::applyCr2O3Floor() {
    double& cr = meltRef().oxides[Ox::Cr2O3];
    if (cr <= kCr2O3Floor) cr = 0.0;
}

void TFracThread::bookFractionation() {
    const std::size_t leader = st_.leader;
    const double m = st_.stepFraction * st_.meltFraction;
    const double f = st_.fractionation[leader];
    if (f * m > 0.0) {
        const TAnalysis crystals = phaseOf(leader, st_.crystals);
        TAnalysis mean = phaseOf(leader, st_.cumulate);
        mean = combineByMass(mean, crystals, crystals, st_.crystalsInCumulate[leader], f * m, 0.0,
                             settings_.active);
        mean.name = name(leader);
        storePhase(st_.cumulate, mean, kPhases[leader].name);
        st_.crystalsInCumulate[leader] += f * m;
    }
    st_.crystalsInMagma[leader] += (1.0 - f) * m;
    st_.meltFraction -= m;
    st_.magmaFraction -= f * m;
    if (st_.peritecticMineral != 0) {
        const std::size_t j = st_.peritecticMineral;
        st_.crystalsInMagma[j] -= st_.peritecticAmount[j];
        st_.meltFraction += st_.peritecticAmount[j];
    }
}

void TFracThread::degas(bool atSetUp) {
    const double excess = melt().volatile_.value - st_.h2oSolubility;
    const double dF = excess * st_.meltFraction / (kPureFluidH2O - st_.h2oSolubility);
    requireFinite(dF, "mass of exsolved fluid");
    TAnalysis fluid;
    fluid.volatile_.value = kPureFluidH2O;
    ActiveElements active = settings_.active;
    active.volatile_ = true;
    meltRef() = combineByMass(melt(), fluid, fluid, st_.meltFraction, st_.fluidFraction,
                              st_.fluidFraction + dF, active);
    st_.fluid = fluid;
    st_.fluidFraction += dF;
    st_.meltFraction -= dF;
    if (atSetUp) {
        st_.magmaFraction = st_.meltFraction;
    } else {
        st_.magmaFraction -= dF;
    }
}

void TFracThread::computeMagmaAndCumulate() {
    const ActiveElements& active = settings_.active;
    TAnalysis magma = melt();
    double mass = st_.meltFraction;
    TAnalysis cumulate;
    double cumulateMass = 0.0;
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (st_.crystalsInMagma[i] > 0.0) {
            const TAnalysis crystals = phaseOf(i, st_.crystals);
            magma =
                combineByMass(magma, crystals, crystals, mass, st_.crystalsInMagma[i], 0.0, active);
            mass += st_.crystalsInMagma[i];
        }
        if (st_.crystalsInCumulate[i] > 0.0) {
            const TAnalysis mean = phaseOf(i, st_.cumulate);
            cumulate = cumulateMass > 0.0 ? combineByMass(cumulate, mean, mean, cumulateMass,
                                                          st_.crystalsInCumulate[i], 0.0, active)
                                          : mean;
            cumulateMass += st_.crystalsInCumulate[i];
        }
    }
    st_.magma = magma;
    st_.cumulateTotal = cumulate;
}

void TFracThread::printStep(bool finalStep) {
    const double T = st_.T[st_.leader];
    requireFinite(T, "leader temperature");
    requireFinite(st_.meltFraction, "melt fraction");
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
    computeMagmaAndCumulate();

    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const double total = st_.crystalsInMagma[i] + st_.crystalsInCumulate[i];
        if (total > 0.0 && total == totalAtLastPrint_[i]) st_.activeSincePrint[i] = false;
    }
    output_.printedStep(info_, st_, melt(), pressure_.pressure(), finalStep);
    ++outcome_.printedSteps;
    st_.printThisStep = false;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        totalAtLastPrint_[i] = st_.crystalsInMagma[i] + st_.crystalsInCumulate[i];
}

}  // namespace varnodel
