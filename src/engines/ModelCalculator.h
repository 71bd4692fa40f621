// Every model of the program at a temperature, pressure and oxygen fugacity the user chooses,
// for one melt: what a published worked example gives, so that a model can be checked against
// it away from a liquidus. The command line's `calc` and the Python module call these.
//
// The melt's iron is split once, at the given conditions, by the run's oxidation model; every
// model then sees that melt. The mineral models give their own liquidus (without the user's
// H2O and pressure corrections, which belong to the engines) and their mineral at the given
// temperature. A model that fails gives no value and says why in the diagnostics log.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/RunReporter.h"
#include "engines/MLA.h"
#include "models/RunState.h"

namespace varnodel {

struct CalcConditions {
    double temperatureC = 1200.0;
    double pressureKbar = 0.001;
    // The melt's log fO2; without it the run's oxidation setting (a buffer and its shift, a
    // fixed Fe2/Fe3, ...) splits the iron at the temperature.
    std::optional<double> logFO2;
    double fluidH2O = 1.0;  // mole fraction of H2O in the fluid (Moore et al. 1998)
};

// Models are named, not pointed to: a result outlives the snapshot it was calculated with.
struct ModelName {
    std::string displayName;
    std::string shortName;
};

struct CalcOxidation {
    ModelName model;
    std::optional<double> fe3OverFeTotal;  // cation ratio
    std::optional<double> fe2o3OverFeO;    // by weight
};

struct CalcBuffer {
    std::string buffer;
    double logFO2 = 0.0;
};

struct CalcMineral {
    Phase mineral = Phase::Olivine;
    ModelName model;
    std::optional<double> liquidusK;
    std::optional<double> value;  // Fo, An, Mg#, Cr# as a fraction, at the given temperature
};

struct CalcKd {
    std::string option;  // as the run report names it
    std::optional<double> kd;
    std::optional<double> fo;  // the olivine of that Kd, as a fraction
};

struct CalcResult {
    std::string sample;
    TAnalysis melt;                // wt%, normalised, the iron split at the conditions
    std::optional<double> logFO2;  // of that melt; none when it holds no ferric iron
    std::vector<CalcOxidation> oxidation;
    std::vector<CalcBuffer> buffers;
    std::optional<double> h2oWtPercent;  // Moore et al. (1998), saturated at the conditions
    std::optional<double> densityLange;
    std::optional<double> densityNelson;
    std::optional<double> lnViscosityBottinga;
    std::optional<double> lnViscosityGiordano;
    std::vector<CalcMineral> minerals;
    std::vector<CalcKd> kds;
};

// Every model for the melt of `analysis` (wt%, traces in ppm, as read from a data file) at
// `conditions`, the mineral models of `models`. Throws EInputError for conditions out of range
// or a melt without oxides, FatalError when the oxidation setting cannot split the iron.
CalcResult calculateModels(RunSnapshot& snapshot, const TAssemblage& analysis,
                           const CalcConditions& conditions, const MlaModels& models,
                           RunReporter& reporter);

}  // namespace varnodel
