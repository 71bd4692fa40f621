// Reverse crystallisation of one evolved melt: step by step, the mineral in equilibrium with the
// melt that has the lowest liquidus is added back to it, so that the melt heats up towards a
// more primitive one, until a stop target of that melt or of its minerals is reached. It answers
// which parental melt could have given the evolved one by fractionating the chosen minerals.
#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "core/MoleConversions.h"
#include "core/RunReporter.h"
#include "engines/Fr.h"
#include "engines/FrPressure.h"
#include "engines/FrPrint.h"
#include "engines/MineralRoutines.h"
#include "engines/RevState.h"
#include "engines/ScaledSettings.h"
#include "models/RunState.h"

namespace varnodel {

class TReverseThread {
  public:
    // The snapshot is the run's own copy of the settings and models; `analysis` holds the melt
    // (wt%, traces in ppm) and the pressure block as entered.
    TReverseThread(RunSnapshot& snapshot, TAssemblage analysis, RevOutput& output,
                   RunReporter& reporter, std::stop_token stop = {});

    // The whole run, failures included: they are reported and end the run.
    RunOutcome run();
    // How the last run() ended, in the terms a batch reports.
    const AnalysisOutcome& outcome() const { return outcome_; }

    const RevState& state() const { return st_; }
    // The melt in the molar form.
    const TAnalysis& melt() const { return analysis_.phases[meltIndex_]; }
    double pressure() const { return pressure_.pressure(); }
    std::uint64_t modelEvaluations() const { return snap_.context().modelCalls; }

  private:
    void setUp();
    void stepOnce();
    void settleOxidation();
    void computeLiquidus();
    void chooseLeader();
    void onDrop(std::size_t mineral);
    void solubilityBeforeAdding();
    void oxygenFugacity();
    void updateCompositions();
    void checkStopTargets();
    void checkExclusions();
    void printStep();
    void addLeader();
    void exchangeFluid();
    void removeBlankPhase(double y);
    void deactivateExcluded();

    TAnalysis& meltRef() { return analysis_.phases[meltIndex_]; }
    TModel* model(std::size_t mineral) const { return routines_.model(mineral); }
    bool hasModel(std::size_t mineral) const { return routines_.hasModel(mineral); }
    double meltWt(std::size_t oxide) const;
    // The melt brought to 100 g with its H2O (wt%) kept as it stands.
    void renormaliseKeepingH2O();
    bool stopRequested() const { return stop_.stop_requested(); }

    RunSnapshot& snap_;
    RunSettings& settings_;  // the snapshot's, scaled from set-up on
    RunSettings userSettings_;
    std::optional<ScaledRunSettings> scaled_;
    TAssemblage analysis_;
    std::size_t meltIndex_ = 0;
    RevOutput& output_;
    RunReporter& reporter_;
    std::stop_token stop_;
    MineralRoutines routines_;
    TMoleConversions conv_;
    PressurePath pressure_;
    PrintDecision printDecision_;
    RevState st_;
    RevRunInfo info_;
    double stepFraction_ = 0.0;
    // The exclusion limits in the run's units: K, wt%, fractions.
    PerPhase<std::array<double, 4>> exclusionLimits_{};
    bool cotecticWarned_ = false;
    bool anyAdded_ = false;  // M is still exactly 1
    AnalysisOutcome outcome_;
    std::string stopReason_;  // the stop target that ended the run
};

}  // namespace varnodel
