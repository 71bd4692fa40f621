// Forward fractional crystallisation of one starting melt: the melt cools step by step, the
// mineral with the highest liquidus temperature crystallises a small mass in equilibrium with
// it, part of the crystals leaves for the cumulate, and the melt's composition, oxidation state,
// H2O and pressure follow, until a stop condition is met.
#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/MoleConversions.h"
#include "core/RunReporter.h"
#include "engines/AnalysisOutcome.h"
#include "engines/FrPressure.h"
#include "engines/FrPrint.h"
#include "engines/FrState.h"
#include "engines/MineralRoutines.h"
#include "engines/RunErrors.h"
#include "engines/ScaledSettings.h"
#include "models/RunState.h"
#include "models/TOxydationState.h"

namespace varnodel {

class TFracThread {
  public:
    // The snapshot is the run's own copy of the settings and models; `analysis` holds the melt
    // (wt%, traces in ppm) and the pressure block as entered.
    TFracThread(RunSnapshot& snapshot, TAssemblage analysis, FracOutput& output,
                RunReporter& reporter, std::stop_token stop = {});

    // The whole run, failures included: they are reported and end the run.
    RunOutcome run();
    // How the run ended, for the batch's status: filled by run().
    const AnalysisOutcome& outcome() const { return outcome_; }

    const FracState& state() const { return st_; }
    // The melt in the molar form.
    const TAnalysis& melt() const { return analysis_.phases[meltIndex_]; }
    double pressure() const { return pressure_.pressure(); }
    // The melt at the end of set-up (molar form, 100 g) - the reference of every mass balance.
    const TAnalysis& startingMelt() const { return startingMelt_; }
    std::uint64_t modelEvaluations() const { return snap_.context().modelCalls; }

  private:
    // Set-up and the main loop.
    void setUp();
    void stepOnce();
    void oxidationBookkeeping();
    void chooseStepSize();
    void printStep(bool finalStep);

    // Temperatures.
    void computeCorrections();
    void computeTemperatures();
    void getFe2Fe3(std::size_t mineral);
    void recomputeAllTemperatures();
    // The run's flags of a mineral that left it.
    void onDrop(std::size_t mineral);

    // Assemblage and stop conditions.
    void checkNoSolution();
    void resorbLeftBehind();
    void dissolveMineral(std::size_t mineral);
    void updateCompositions();
    // Null when the mineral's model failed and the mineral left the run.
    std::optional<TAnalysis> equilibriumComposition(std::size_t mineral);
    void checkStopConditions();
    void findPeritectic();

    // Mass transfer.
    // False when the leader left the run during its mass balance: nothing crystallised.
    bool crystalliseLeader();
    void bookFractionation();
    void degas(bool atSetUp);
    void updateSolubility();
    void applyCr2O3Floor();
    void computeMagmaAndCumulate();

    TAnalysis& meltRef() { return analysis_.phases[meltIndex_]; }
    TAnalysis phaseOf(std::size_t mineral, const std::vector<TAnalysis>& phases) const;
    TModel* model(std::size_t mineral) const { return routines_.model(mineral); }
    bool hasModel(std::size_t mineral) const { return routines_.hasModel(mineral); }
    void normalise(TAnalysis& molar) const;
    bool stopRequested() const { return stop_.stop_requested(); }

    RunSnapshot& snap_;
    RunSettings& settings_;     // the snapshot's, scaled from set-up on
    RunSettings userSettings_;  // as entered, with the analysis's stop values
    std::optional<ScaledRunSettings> scaled_;
    TAssemblage analysis_;
    std::size_t meltIndex_ = 0;
    TAnalysis startingMelt_;
    FracOutput& output_;
    RunReporter& reporter_;
    std::stop_token stop_;
    MineralRoutines routines_;
    TMoleConversions conv_;
    PressurePath pressure_;
    PrintDecision printDecision_;
    FracState st_;
    FracRunInfo info_;
    PerPhase<double> totalAtLastPrint_{};
    AnalysisOutcome outcome_;
    std::string stopReason_;  // the stop condition that ended the run
};

}  // namespace varnodel
