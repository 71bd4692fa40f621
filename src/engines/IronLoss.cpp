#include "engines/IronLoss.h"

#include <chrono>
#include <cmath>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/RunErrors.h"
#include "engines/ScaledSettings.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;
constexpr double kCoarseFoGap = 0.002;
constexpr double kExchangeStep = 0.0003;
constexpr double kCoarseOlivineStep = 0.006;
constexpr double kFineOlivineStep = 0.0003;
constexpr double kCoarseRemovalGap = 0.3;   // wt% FeO* above the target
constexpr double kCoarseAdditionGap = 0.2;  // wt% FeO* below the target
constexpr int kCoarseProgressEvery = 75;
constexpr int kFineProgressEvery = 50;

// Loops that the models could keep from ending (a liquidus that does not answer to MgO, a
// target FeO* that no amount of olivine reaches) end the run instead of running for ever.
constexpr int kMaxRepetitions = 200000;
constexpr double kMaxMeltFraction = 10.0;  // olivine added back: 9 times the inclusion
constexpr double kMinMeltFraction = 0.1;   // olivine taken: 90 % of it

double wtPercent(const TAnalysis& molar, std::size_t oxide) {
    return molar.oxides[oxide] * kOxides[oxide].massPerCation;
}

}  // namespace

double hostFoOf(const TAssemblage& analysis) {
    return parseBounded(analysis.meltInclusions.hostFo);
}

double finalFeOOf(const TAssemblage& analysis) {
    return parseBounded(analysis.meltInclusions.wholeRockFeO);
}

void applyIronLossResult(const IronLossResult& result, RunState& state) {
    if (result.melt) {
        TAnalysis melt = *result.melt;
        melt.name = std::string(phaseName(Phase::Melt));
        std::vector<TAnalysis>& phases = state.profileComposition.phases;
        if (phases.empty()) phases.emplace_back();
        phases[0] = melt;
    }
    TMeltInclusionSettings& mi = state.settings.parameters.meltInclusions;
    if (result.reheatingTemperature) mi.reheatingTemperature = *result.reheatingTemperature;
    mi.simulateReheating = mi.simulateReheating || result.simulateReheating;
}

TIronLossThread::TIronLossThread(RunSnapshot& snapshot, TAssemblage analysis,
                                 IronLossOutput& output, RunReporter& reporter,
                                 std::stop_token stop)
    : snap_(snapshot),
      analysis_(std::move(analysis)),
      output_(output),
      reporter_(reporter),
      stop_(std::move(stop)) {}

RunOutcome TIronLossThread::run() {
    const auto started = std::chrono::steady_clock::now();
    outcome_ = AnalysisOutcome{};
    RunOutcome outcome = RunOutcome::Completed;
    const std::string& sample = analysis_.name;
    std::string& errorText = snap_.context().errorText;
    try {
        execute();
        reporter_.debugLine(
            fixedText(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                6, 2) +
            " sec");
        if (stopRequested()) outcome = RunOutcome::Interrupted;
    } catch (const FatalError&) {
        outcome = RunOutcome::Failed;  // the reason is in the error text, shown below
        outcome_.kind = OutcomeKind::ModelFailure;
    } catch (...) {
        if (!reportRunError(std::current_exception(), sample, snap_.context(), reporter_)) throw;
        outcome = RunOutcome::Failed;
        outcome_.kind = OutcomeKind::Error;
    }
    finish();
    if (!errorText.empty()) {
        reporter_.message(errorText + ". Analysis " + sample);
        errorText.clear();
        if (outcome != RunOutcome::Failed) outcome_.kind = OutcomeKind::ModelFailure;
        outcome = RunOutcome::Failed;
    }
    if (outcome == RunOutcome::Interrupted) outcome_.kind = OutcomeKind::Interrupted;
    outcome_.printedSteps = static_cast<int>(rows_.size());
    return outcome;
}

void TIronLossThread::finish() {
    if (!om_) return;
    if (stopRequested()) {
        result_ = IronLossResult{};  // an interrupted reconstruction hands nothing on
        return;
    }
    TAnalysis melt = om_->melt();
    conv_.molesToWt(melt);
    for (TElement& t : melt.traces)
        t.value *= 10000.0;  // back to ppm
    for (double v : melt.oxides)
        if (!std::isfinite(v)) return;  // nothing sound to hand on
    result_.melt = melt;
}

void TIronLossThread::execute() {
    // The reconstruction is done at 1 bar, whatever the analysis says.
    analysis_.pressure = 1.0;
    const ScaledRunSettings scaled(snap_, snap_.settings());
    const TParameters& p = snap_.settings().parameters;
    foHost_ = hostFoOf(analysis_) / 100.0;
    feoTarget_ = finalFeOOf(analysis_);
    output_.progressHeader();

    om_.emplace(snap_, analysis_, reporter_, p.meltInclusions.olivineMinorSet);
    TAnalysis& melt = om_->melt();
    conv_.ppmToWt(melt);
    conv_.wtToMoles(melt);
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (melt.notDetermined[k]) melt.oxides[k] = 0.0;
    melt.notDetermined[Ox::Fe2O3] = false;
    melt.notDetermined[Ox::FeO] = false;
    meltFraction_ = 1.0;
    olivineFraction_ = 0.0;

    om_->equilibriumStep();
    tRun_ = om_->T() - kCelsius;
    result_.reheatingTemperature = tRun_;
    al2o3Start_ = wtPercent(om_->melt(), Ox::Al2O3);
    writeRow(1);

    if (om_->fo() > foHost_) {
        LowerMeltMgNumber(1, kExchangeStep);
    } else if (om_->fo() < foHost_) {
        RaiseMeltMgNumber(1, kExchangeStep);
    }
    // A stage cut short by an interrupt is no result: its row would pass half-reached values
    // off as a reconstruction, so the rows end with the last stage that finished.
    if (stopRequested()) return;
    om_->olivineComposition();
    writeRow(2);

    savedOlivine_ = om_->olivine();
    bringFeOToTarget();
    if (stopRequested()) return;
    writeRow(3);
    reporter_.logLine("Inclusion No. " + std::to_string(analysis_.number) + " is done !");
}

void TIronLossThread::bringFeOToTarget() {
    const auto removeOlivine = [&](double f) {
        om_->GetMeltAndOlivTdown(f);
        olivineFraction_ += f * meltFraction_;
        meltFraction_ -= f * meltFraction_;
        tRun_ = om_->T() - kCelsius;
        requireFractions();
        RaiseMeltMgNumber(2, f);
    };
    const auto addOlivine = [&](double f) {
        meltFraction_ /= 1.0 - f;
        olivineFraction_ -= f * meltFraction_;
        // The melt's own olivine is what its walls crystallised: the Fo of its host. Its Fo is
        // needed at once, for the exchange that follows.
        om_->mixOlivine(f, savedOlivine_);
        tRun_ = om_->T() - kCelsius;
        requireFractions();
        LowerMeltMgNumber(2, f);
    };
    if (om_->feoTotal() > feoTarget_) {
        if (om_->feoTotal() >= feoTarget_ + kCoarseRemovalGap) {
            do {
                removeOlivine(kCoarseOlivineStep);
            } while (om_->feoTotal() > feoTarget_ + kCoarseRemovalGap && !stopRequested());
        }
        while (om_->feoTotal() > feoTarget_ && !stopRequested())
            removeOlivine(kFineOlivineStep);
    } else if (om_->feoTotal() < feoTarget_) {
        // Olivine added back takes the melt towards the olivine's own FeO*, never beyond.
        if (feoTarget_ >= varnodel::feoTotal(savedOlivine_))
            fail("The final FeO* of " + fixedText(feoTarget_, 5, 2) +
                 " wt% cannot be reached: it is not below the FeO* of the host olivine. "
                 "Calculation aborted");
        // The coarse addition does not look at the interrupt: an interrupt takes effect once
        // the melt is within the fine loop's reach of the target.
        if (om_->feoTotal() <= feoTarget_ - kCoarseAdditionGap) {
            do {
                addOlivine(kCoarseOlivineStep);
            } while (om_->feoTotal() < feoTarget_ - kCoarseAdditionGap);
        }
        do {
            addOlivine(kFineOlivineStep);
        } while (om_->feoTotal() < feoTarget_ && !stopRequested());
    }
}

void TIronLossThread::requireFractions() {
    if (meltFraction_ <= kMaxMeltFraction && meltFraction_ >= kMinMeltFraction) return;
    fail(std::string("The reconstruction would ") +
         (meltFraction_ > 1.0 ? "add more than 9 times the inclusion's mass of olivine to it"
                              : "take more than 90 % of the inclusion's mass from it as olivine") +
         " (host Fo " + fixedText(foHost_ * 100.0, 5, 2) + ", final FeO* " +
         fixedText(feoTarget_, 5, 2) + " wt%). Calculation aborted");
}

void TIronLossThread::LowerMeltMgNumber(int mode, double a) {
    if (mode == 1 && om_->fo() >= foHost_ + kCoarseFoGap)
        exchangeStage(false, 20.0 * a, foHost_ + kCoarseFoGap, kCoarseProgressEvery);
    exchangeStage(false, a, foHost_, kFineProgressEvery);
}

void TIronLossThread::RaiseMeltMgNumber(int mode, double a) {
    if (mode == 1 && foHost_ - kCoarseFoGap >= om_->fo())
        exchangeStage(true, 20.0 * a, foHost_ - kCoarseFoGap, kCoarseProgressEvery);
    exchangeStage(true, a, foHost_, kFineProgressEvery);
}

void TIronLossThread::exchangeStage(bool raise, double c, double foLimit, int progressEvery) {
    const double x = c / 128.0, g = c / 512.0;
    const auto notThere = [&] { return raise ? om_->fo() < foLimit : om_->fo() > foLimit; };
    // FeO for MgO raises the liquidus, and olivine crystallises until it is back at T_run;
    // MgO for FeO lowers it, and olivine is added back.
    const auto offLiquidus = [&] {
        const double t = om_->T() - kCelsius;
        return raise ? t > tRun_ : t < tRun_;
    };
    for (int rep = 1; notThere() && !stopRequested(); ++rep) {
        // A host Fo that no melt of these oxides reaches (Fo 100, Fo 10) would empty the melt
        // of FeO or MgO before the models fail on it.
        if (om_->melt().oxides[raise ? Ox::FeO : Ox::MgO] <= x)
            fail("The host Fo of " + fixedText(foHost_ * 100.0, 5, 2) +
                 " cannot be reached by the Fe-Mg exchange. Calculation aborted");
        om_->exchangeFeForMg(raise ? x : -x);
        om_->equilibriumStep();
        int portions = 0;
        do {
            if (raise) {
                om_->GetMeltAndOlivTdown(g);
                olivineFraction_ += g * meltFraction_;
                meltFraction_ = (1.0 - g) * meltFraction_;
            } else {
                meltFraction_ /= 1.0 - g;
                olivineFraction_ -= g * meltFraction_;
                om_->mixOlivine(g, om_->olivine());
            }
            requireFractions();
            if (++portions > kMaxRepetitions)
                fail("The olivine liquidus did not return to " + fixedText(tRun_, 6, 1) +
                     " C after the Fe-Mg exchange. Calculation aborted");
        } while (offLiquidus() && !stopRequested());
        if (rep % progressEvery == 0) postProgress();
        if (rep > kMaxRepetitions)
            fail(
                "The Fo of olivine did not reach the host's by the Fe-Mg exchange. Calculation "
                "aborted");
    }
}

void TIronLossThread::fail(const std::string& text) {
    snap_.context().errorText = text;
    throw FatalError(text);
}

void TIronLossThread::postProgress() {
    IronLossProgress line;
    line.tRun = tRun_;
    line.T = om_->T();
    line.meltMgO = wtPercent(om_->melt(), Ox::MgO);
    line.foHost = foHost_;
    line.foCalc = om_->fo();
    line.feoTarget = feoTarget_;
    line.feoMelt = om_->feoTotal();
    line.analysisNumber = analysis_.number;
    line.sample = analysis_.name;
    output_.progress(line);
}

void TIronLossThread::writeRow(int number) {
    IronLossRow row;
    row.number = number;
    row.melt = om_->melt();
    conv_.molesToWt(row.melt);
    row.T = om_->T();
    row.tRun = tRun_;
    row.foCalc = om_->fo();
    row.foHost = foHost_;
    row.feoTotal = om_->feoTotal();
    row.feoTarget = feoTarget_;
    row.olivineFraction = olivineFraction_;
    row.meltFraction = meltFraction_;
    row.corrCoef = al2o3Start_ > 0.0 ? row.melt.oxides[Ox::Al2O3] / al2o3Start_ : -1.0;
    row.sample = analysis_.name;
    row.analysisNumber = analysis_.number;
    const auto finite = [](double v) { return std::isfinite(v); };
    bool ok = finite(row.T) && finite(row.foCalc) && finite(row.feoTotal) &&
              finite(row.meltFraction) && finite(row.olivineFraction) && finite(row.corrCoef) &&
              finite(row.melt.volatile_.value);
    for (double v : row.melt.oxides)
        ok = ok && finite(v);
    if (!ok)
        throw EFloatingPointError("A value of result row " + std::to_string(number) +
                                  " that is not a number");
    output_.resultRow(row);
    rows_.push_back(row);
}

}  // namespace varnodel
