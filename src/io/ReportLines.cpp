#include "io/ReportLines.h"

#include "core/NumberFormat.h"

#include <algorithm>

namespace varnodel {

std::vector<MineralModel> mineralModels(const std::array<const TModel*, kPhaseCount>& models) {
    std::vector<MineralModel> found;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (models[i] != nullptr) found.push_back({i, models[i]});
    return found;
}

std::vector<MineralModel> modelsIgnoringH2O(const RunSettings& settings,
                                            const std::vector<MineralModel>& models) {
    std::vector<MineralModel> found;
    for (const MineralModel& m : models)
        if (!m.model->usesWater && !settings.minerals[m.mineral].h2oCorrection) found.push_back(m);
    return found;
}

std::vector<MineralModel> modelsCountingH2OTwice(const RunSettings& settings,
                                                 const std::vector<MineralModel>& models) {
    std::vector<MineralModel> found;
    for (const MineralModel& m : models)
        if (m.model->usesWater && settings.minerals[m.mineral].h2oCorrection) found.push_back(m);
    return found;
}

std::vector<std::string> h2oWarningLines(const RunSettings& settings,
                                         const std::vector<MineralModel>& models, bool meltHasH2O) {
    const auto named = [&](const MineralModel& m) {
        const bool several =
            std::count_if(models.begin(), models.end(),
                          [&](const MineralModel& o) { return o.mineral == m.mineral; }) > 1;
        return "The chosen " + std::string(kPhases[m.mineral].name) + " model" +
               (several ? " " + m.model->displayName : std::string());
    };
    // Without H2O in the melt no correction applies: the report stays as it always was.
    if (!meltHasH2O) return {};
    std::vector<std::string> lines;
    const auto ignoring = modelsIgnoringH2O(settings, models);
    for (const MineralModel& m : ignoring)
        lines.push_back(named(m) + " does not incorporate the effect of H2O");
    if (!ignoring.empty()) lines.emplace_back("  and no correction for H2O has been set.");
    for (const MineralModel& m : modelsCountingH2OTwice(settings, models)) {
        lines.push_back(named(m) + " incorporates the effect of H2O itself");
        lines.emplace_back("  and a correction for H2O lowers its liquidus a second time.");
    }
    if (!lines.empty())
        lines.insert(lines.begin(), {"", "***************** Warning!!! *************************"});
    return lines;
}

std::string h2oCorrectionLine(const std::string& mineral, const TMineralOptions& o) {
    return "    The correction for the effect of H2O on " + mineral +
           " liquidus temperature is: dT = - " + shortestGeneral(o.h2oA) + "*H2O(wt%)^" +
           shortestGeneral(o.h2oB);
}

std::string pressureCorrectionLine(const std::string& mineral, const TMineralOptions& o) {
    return "    The correction for the effect of pressure on " + mineral +
           " liquidus temperature is: " + shortestGeneral(o.pressureSlope) + " deg / kbar";
}

std::string olivineKdLine(const TParameters& p) {
    std::string kd;
    if (p.fixedKdOption) kd = "KD(Fe-Mg) = " + shortestGeneral(p.kdFeMg);
    if (p.sobolevQuellmarkOption) kd = "KD(Fe-Mg) after Sobolev & Quellmark 1994;";
    if (p.lnKdOption)
        kd = "Ln(KD(Fe-Mg)) = " + shortestGeneral(p.lnKdA) + " / T + " + shortestGeneral(p.lnKdB) +
             " * P / T + " + shortestGeneral(p.lnKdC) + ";";
    if (p.toplisOption) kd = "KD(Fe-Mg) after Toplis 2005;";
    return kd.empty() ? kd : "    Olivine composition is calculated using " + kd;
}

std::string oxidationMethodLine(const TParameters& p) {
    std::string line = "Fe2O3 in the melt is calculated using ";
    if (p.equationMode) {
        line += " the equation (Fe2/Fe3)melt = " + shortestGeneral(p.equationA) + " * Fo + " +
                shortestGeneral(p.equationB);
    } else if (p.fixedRatioMode) {
        line += "(Fe2/Fe3)melt = " + shortestGeneral(p.fixedRatio);
    } else if (p.closedSystemMode) {
        line += " an assumption of closed system for oxygen";
    } else {
        line += p.bufferModel + " buffer of oxygen fugacity";
    }
    return line;
}

std::string densityModelLine(const TParameters& p) {
    return std::string("Melt density is calculated following the model of ") +
           (p.densityModel == DensityModel::LangeCarmichael1987 ? "Lange & Carmichael 1987"
                                                                : "Nelson & Carmichael 1979");
}

std::string viscosityModelLine(const TParameters& p) {
    return std::string("Melt viscosity is calculated following the model of ") +
           (p.viscosityModel == ViscosityModel::BottingaWeill1972 ? "Bottinga & Weill 1972"
                                                                  : "Giordano & Dingwell 2003");
}

std::vector<std::string> stopTargetLines(const TStopBlock& stop) {
    struct Target {
        std::size_t kind;
        const char* text;
        const char* unit;
    };
    static constexpr Target kTargets[] = {
        {Stop::Fo, "   Final Olv composition: Fo = ", " mol%"},
        {Stop::An, "   Final Plg composition: An = ", " mol%"},
        {Stop::Clinopyroxene, "   Final Mg# of Cpx: ", " mol%"},
        {Stop::Orthopyroxene, "   Final Mg# of Opx: ", " mol%"},
        {Stop::Pigeonite, "   Final Mg# of Pig: ", " mol%"},
        {Stop::Temperature, "   Final temperature: ", "(C)"},
        {Stop::MeltMgO, "   Final melt MgO content: ", " wt%"},
        {Stop::Crystallisation, "   Final degree of fractionation: ", " %"},
    };
    std::vector<std::string> lines;
    for (const Target& t : kTargets)
        if (stop.flags[t.kind])
            lines.push_back(t.text + shortestGeneral(stop.values[t.kind]) + t.unit);
    return lines;
}

double olivineKd(double fo, const TAnalysis& melt) {
    return (1.0 - fo) / fo * (melt.oxides[Ox::MgO] / melt.oxides[Ox::FeO]);
}

}  // namespace varnodel
