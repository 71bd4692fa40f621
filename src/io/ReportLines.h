// Lines that the run reports of every calculation share: the liquidus corrections of a mineral
// and how the melt's Fe2O3 is calculated. Numbers in the shortest general form.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/Composition.h"
#include "core/Model.h"
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

// A mineral model that a run uses (mineral index 1-8).
struct MineralModel {
    std::size_t mineral = 0;
    const TModel* model = nullptr;
};

// The mineral models of a run, from its model per mineral index (null: none).
std::vector<MineralModel> mineralModels(const std::array<const TModel*, kPhaseCount>& models);

// The models of `models` that leave the H2O of a melt out of its liquidus: no W flag and no H2O
// correction for their mineral.
std::vector<MineralModel> modelsIgnoringH2O(const RunSettings& settings,
                                            const std::vector<MineralModel>& models);
// The models of `models` whose mineral has an H2O correction although they account for H2O
// themselves (W): the melt's H2O lowers their liquidus twice.
std::vector<MineralModel> modelsCountingH2OTwice(const RunSettings& settings,
                                                 const std::vector<MineralModel>& models);

// The warning block of a run's report ("***************** Warning!!! ...") for a melt with
// H2O: the models that leave it out and those that count it twice. Empty when neither, and for
// a dry melt. A mineral with several models of the run names each.
std::vector<std::string> h2oWarningLines(const RunSettings& settings,
                                         const std::vector<MineralModel>& models, bool meltHasH2O);

// (Fe/Mg)olivine / (Fe/Mg)melt from Fo and the melt's molar FeO and MgO.
double olivineKd(double fo, const TAnalysis& melt);

}  // namespace varnodel
