// Lines that the run reports of every calculation share: the liquidus corrections of a mineral
// and how the melt's Fe2O3 is calculated. Numbers in the shortest general form.
#pragma once

#include <string>
#include <vector>

#include "core/Parameters.h"

namespace varnodel {

// "    The correction for the effect of H2O on <mineral> liquidus temperature is: dT = -
// a*H2O(wt%)^b"
std::string h2oCorrectionLine(const std::string& mineral, const TMineralOptions& options);
// "    The correction for the effect of pressure on <mineral> liquidus temperature is: s deg /
// kbar"
std::string pressureCorrectionLine(const std::string& mineral, const TMineralOptions& options);
// "    Olivine composition is calculated using " and the chosen Fe-Mg Kd option; empty when no
// option is on.
std::string olivineKdLine(const TParameters& parameters);
// "Fe2O3 in the melt is calculated using " and the oxidation mode of the run.
std::string oxidationMethodLine(const TParameters& parameters);

// "Melt density is calculated following the model of ..." and the viscosity's.
std::string densityModelLine(const TParameters& parameters);
std::string viscosityModelLine(const TParameters& parameters);
// The lines of the stop targets that are on, after "Parameters to stop calculations at:".
std::vector<std::string> stopTargetLines(const TStopBlock& stop);

// (Fe/Mg)olivine / (Fe/Mg)melt from Fo and the melt's molar FeO and MgO.
double olivineKd(double fo, const TAnalysis& melt);

}  // namespace varnodel
