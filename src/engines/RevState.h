// The working state of one reverse crystallisation run, and the interface through which the
// engine hands out what it reports.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/Parameters.h"
#include "engines/FrState.h"

namespace varnodel {

class TModel;

// Masses are fractions of the starting (evolved) melt, which is 1; compositions in the molar
// form; temperatures in kelvin.
struct RevState {
    double totalMass = 1.0;    // M: the starting melt, the minerals added and the fluid
    double fluid = 0.0;        // F; below 0 when the melt has taken up fluid from outside
    PerPhase<double> added{};  // mass of each mineral added so far

    PerPhase<double> T{};       // corrected liquidus temperatures; 0 = none
    PerPhase<double> modelT{};  // as the models gave them
    PerPhase<double> dTwater{};
    PerPhase<double> dTpressure{};
    std::size_t leader = 0;  // 0 until a mineral leads
    // The temperature that the stop target, the exclusion test and the melt properties use.
    double comparisonT = 0.0;

    PerPhase<double> composition{};  // Fo, An, Mg#, Cr# as fractions; -0.01 until computed
    PerPhase<bool> active{};         // takes part (has a model, not excluded)
    PerPhase<bool> hasBeenAdded{};
    PerPhase<bool> excluded{};  // an exclusion condition was met
    // Excluded in this step: the step reports it.
    PerPhase<bool> excludedNow{};
    std::vector<TAnalysis> minerals;  // each mineral's equilibrium composition (molar form)

    bool oxidationDefined = false;  // lgfO2 and dNNO exist
    double lgfO2 = 0.0;
    double dNNO = 0.0;
    double h2oSolubility = 0.0;  // cation moles per 100 g

    bool finalStep = false;
    bool printThisStep = false;

    double density = 0.0;  // g/cm3
    double thermalExpansion = 0.0;
    double lnViscosity = 0.0;  // ln of poise

    // The share of the primitive system that the minerals added make up.
    double addedFraction() const { return 1.0 - (1.0 - fluid) / totalMass; }
};

// What stays fixed during a run and the reports need to name things.
struct RevRunInfo {
    std::string analysisName;
    const RunSettings* settings = nullptr;      // scaled as the engine uses them
    const RunSettings* userSettings = nullptr;  // as the user entered them
    PerPhase<const TModel*> models{};           // the run's model per mineral (null = none)
    std::string oxidationModelName;
    const TPressureBlock* pressureBlock = nullptr;  // as entered (kbar, %)
    bool meltHasH2O = false;                        // the starting melt, as entered
};

// Receives everything a reverse run reports: the parameter report, the starting composition,
// the notices of each step and each printed step.
class RevOutput {
  public:
    virtual ~RevOutput() = default;
    virtual void runHeader(const RevRunInfo& info) = 0;
    virtual void startingComposition(const RevRunInfo& info, const TAnalysis& melt) = 0;
    // Every step, printed or not: the heading of the final step, the minerals excluded in it.
    virtual void stepNotices(const RevRunInfo& info, const RevState& state) = 0;
    // `melt` is the current melt (molar form), `pressureBar` the current pressure.
    virtual void printedStep(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                             double pressureBar) = 0;
};

}  // namespace varnodel
