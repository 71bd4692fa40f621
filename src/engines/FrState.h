// The working state of one forward crystallisation run, and the interface through which the
// engine hands out what it reports.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/Parameters.h"

namespace varnodel {

class TModel;

// Per-mineral arrays are indexed 0..8 like the phases, 0 being the melt.
template <class T>
using PerPhase = std::array<T, kPhaseCount>;

// Masses are fractions of the initial magma (1); compositions are in the molar form (cation
// moles per 100 g, traces as wt% / atomic mass); temperatures in kelvin.
struct FracState {
    double meltFraction = 1.0;
    double magmaFraction = 1.0;  // melt + crystals kept in it + fluid
    double fluidFraction = 0.0;
    PerPhase<double> crystalsInMagma{};
    PerPhase<double> crystalsInCumulate{};
    PerPhase<double> peritecticAmount{};

    PerPhase<double> T{};       // corrected liquidus temperatures
    PerPhase<double> modelT{};  // as the models gave them
    PerPhase<double> previousT{};
    PerPhase<double> dTwater{};
    PerPhase<double> dTpressure{};
    std::size_t leader = 1;

    PerPhase<double> composition{};  // composition numbers (Fo, An, Mg#...), -0.01 when none
    PerPhase<double> residual{};     // of the last mass balance of each mineral
    PerPhase<bool> inAssemblage{};
    PerPhase<bool> activeSincePrint{};
    PerPhase<bool> excluded{};
    PerPhase<double> fractionation{};  // degree of fractionation as a fraction

    std::vector<TAnalysis> crystals;  // each mineral's crystals after its last step
    std::vector<TAnalysis> cumulate;  // mass-weighted mean of each mineral's cumulate
    TAnalysis fluid;

    double stepFraction = 0.0;
    double baseStep = 0.0;
    double lgfO2 = -1.0;
    double dNNO = -1.0;
    double h2oSolubility = 0.0;
    bool stopped = false;
    bool printThisStep = false;

    // A peritectic reaction found at the end of the last mass balance: the mineral (0 = none).
    std::size_t peritecticMineral = 0;

    // What a printed step shows besides the state above.
    TAnalysis magma;          // melt plus the crystals kept in the magma
    TAnalysis cumulateTotal;  // the whole cumulate
    double density = 0.0;     // g/cm3
    double thermalExpansion = 0.0;
    double lnViscosity = 0.0;  // ln of poise
};

// What stays fixed during a run and the reports need to name things.
struct FracRunInfo {
    std::string analysisName;
    const RunSettings* settings = nullptr;      // scaled as the engine uses them
    const RunSettings* userSettings = nullptr;  // as the user entered them
    PerPhase<const TModel*> models{};           // the run's model per mineral (null = none)
    std::string oxidationModelName;
    bool h2oAdjusted = false;  // the cotectic or saturated option changed the H2O
    const TPressureBlock* pressureBlock = nullptr;  // as entered (kbar, %)
    bool meltHasH2O = false;                        // the starting melt, as entered
};

// Receives everything a forward run reports: the run header, the starting composition and each
// printed step. The text and files are the output layer's business.
class FracOutput {
  public:
    virtual ~FracOutput() = default;
    virtual void runHeader(const FracRunInfo& info) = 0;
    virtual void startingComposition(const FracRunInfo& info, const TAnalysis& melt) = 0;
    // `melt` is the current melt; `pressureBar` the current pressure; `finalStep` for the
    // stopped step.
    virtual void printedStep(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                             double pressureBar, bool finalStep) = 0;
};

}  // namespace varnodel
