#include "ui/RunLabels.h"

#include "core/NumberFormat.h"
#include "io/SettingsKeys.h"

namespace varnodel::ui {

namespace {

QString number(double value) {
    return QString::fromStdString(shortestGeneral(value));
}

// In the order of the stop block: crystallisation, melt MgO, temperature, then the minerals.
constexpr const char* kStopUnits[kStopKinds] = {
    "% of fractionation",         " wt% MgO in the Melt",       "\u00b0C",
    " mol% of Fo in Olivine",     " mol% of An in Plagioclase", " mol% Mgn in Clinopyroxene",
    " mol% Mgn in Orthopyroxene", " mol% Mgn in Pigeonite"};

}  // namespace

QString stopLabel(const RunState& state) {
    if (state.options.stopFromFile && state.options.wholeFile)
        return "Use stop conditions from data file";
    const TStopBlock& stop = state.settings.parameters.stop;
    for (std::size_t k = 0; k < kStopKinds; ++k)
        if (stop.flags[k])
            return "Stop at " + number(stop.values[k]) + QString::fromUtf8(kStopUnits[k]);
    return "press to set";
}

QString pressureModeLabel(const TPressureBlock& pressure) {
    if (pressure.dPdTMode) return "dP/dT = " + number(pressure.dPdT);
    if (pressure.stepsMode) return " dP/dF";
    return " Keep constant";
}

QString oxidationLabel(const RunState& state) {
    const TParameters& p = state.settings.parameters;
    QString mode;
    if (p.bufferMode) {
        mode = "Buffer: '" + QString::fromStdString(p.bufferModel) + "'";
        if (p.bufferOffset != 0.0)
            mode += (p.bufferOffset > 0 ? " +" : " ") + number(p.bufferOffset);
    } else if (p.fixedRatioMode) {
        mode = "Fe2/Fe3 ratio = " + number(p.fixedRatio);
    } else if (p.closedSystemMode) {
        mode = "Fe2/Fe3 as in closed system ";
    } else if (p.equationMode) {
        mode = "Fe2/Fe3 = " + number(p.equationA) + "*Fo(%)+" + number(p.equationB);
    } else {
        return "press to select";
    }
    return "Initial oxidation state: " + mode;
}

QString oxidationModelLabel(const RunState& state) {
    for (const auto& m : state.registry().oxidationModels().models)
        if (m->shortName == state.settings.parameters.oxidationModel)
            return "Oxidation model: " + QString::fromStdString(m->displayName);
    return "press to select";
}

QString correctionMark(bool model, bool correction) {
    return QString(model ? "Y" : "") + (correction ? "c" : "");
}

}  // namespace varnodel::ui
