#include "io/CalcTable.h"

#include "core/Constants.h"
#include "core/NumberFormat.h"

namespace varnodel {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string value(const std::optional<double>& v, int decimals, double scale = 1.0) {
    return v ? fixedField(*v * scale, 0, decimals) : "-1";
}

std::string celsius(const std::optional<double>& kelvin) {
    return kelvin ? fixedField(*kelvin - kCelsiusOffset, 0, 2) : "-1";
}

std::string mineralLabel(const CalcMineral& m) {
    return std::string(phaseInfo(m.mineral).abbreviation) + " " + trimmed(m.model.shortName);
}

}  // namespace

std::string calcHeader(const CalcResult& first) {
    std::vector<std::string> f{"Sample", "T(C)", "P(kbar)", "log(fO2)"};
    for (const auto& oxide : kOxides)
        f.push_back(trimmed(oxide.label));
    for (const CalcOxidation& o : first.oxidation) {
        f.push_back("Fe3/FeT " + trimmed(o.model.shortName));
        f.push_back("Fe2O3/FeO " + trimmed(o.model.shortName));
    }
    for (const CalcBuffer& b : first.buffers)
        f.push_back("log(fO2) " + b.buffer);
    f.insert(f.end(), {"X(H2O) fluid", "H2O(wt%) Moore98", "density Lange87", "density Nelson79",
                       "ln(viscosity) Bottinga72", "ln(viscosity) Giordano03"});
    for (const CalcMineral& m : first.minerals) {
        f.push_back("T " + mineralLabel(m));
        f.push_back(trimmed(phaseInfo(m.mineral).compositionLabel) + " " +
                    trimmed(m.model.shortName));
    }
    for (const CalcKd& k : first.kds) {
        f.push_back("Kd " + k.option);
        f.push_back("Fo " + k.option);
    }
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i)
        line += (i == 0 ? "" : ",") + csvField(f[i]);
    return line;
}

std::string calcRow(const CalcResult& r, const CalcConditions& c) {
    std::vector<std::string> f{csvField(r.sample), fixedField(c.temperatureC, 0, 2),
                               fixedField(c.pressureKbar, 0, 3), value(r.logFO2, 3)};
    for (double oxide : r.melt.oxides)
        f.push_back(fixedField(oxide, 0, 4));
    for (const CalcOxidation& o : r.oxidation) {
        f.push_back(value(o.fe3OverFeTotal, 5));
        f.push_back(value(o.fe2o3OverFeO, 5));
    }
    for (const CalcBuffer& b : r.buffers)
        f.push_back(fixedField(b.logFO2, 0, 3));
    f.insert(f.end(), {fixedField(c.fluidH2O, 0, 3), value(r.h2oWtPercent, 4),
                       value(r.densityLange, 4), value(r.densityNelson, 4),
                       value(r.lnViscosityBottinga, 3), value(r.lnViscosityGiordano, 3)});
    for (const CalcMineral& m : r.minerals) {
        f.push_back(celsius(m.liquidusK));
        f.push_back(value(m.value, 3, 100.0));
    }
    for (const CalcKd& k : r.kds) {
        f.push_back(value(k.kd, 5));
        f.push_back(value(k.fo, 3, 100.0));
    }
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i)
        line += (i == 0 ? "" : ",") + f[i];
    return line;
}

std::vector<std::string> calcTable(const CalcResult& r, const CalcConditions& c) {
    constexpr std::size_t kName = 48;
    // What a model could not give: its reason is in the diagnostics log.
    const auto shown = [](const std::optional<double>& v, int decimals, double scale = 1.0) {
        return v ? value(v, decimals, scale) : std::string("failed");
    };
    const auto row = [&](const std::string& name, const std::vector<std::string>& values) {
        std::string line = "  " + leftAligned(name, kName - 2);
        for (const std::string& v : values)
            line += rightAligned(v, 11);
        return line;
    };
    std::vector<std::string> lines{
        r.sample,
        "  T = " + fixedField(c.temperatureC, 0, 1) +
            " C, P = " + fixedField(c.pressureKbar, 0, 3) +
            " kbar, log fO2 = " + shown(r.logFO2, 3) + (c.logFO2 ? " (given)" : ""),
        leftAligned("Oxidation state of the melt", kName) + rightAligned("Fe3+/FeT", 11) +
            rightAligned("Fe2O3/FeO", 11)};
    for (const CalcOxidation& o : r.oxidation)
        lines.push_back(
            row(o.model.displayName, {shown(o.fe3OverFeTotal, 4), shown(o.fe2o3OverFeO, 4)}));
    lines.push_back(leftAligned("Oxygen buffers", kName) + rightAligned("log fO2", 11));
    for (const CalcBuffer& b : r.buffers)
        lines.push_back(row(b.buffer, {fixedField(b.logFO2, 0, 3)}));
    lines.push_back("H2O solubility, fluid X(H2O) = " + fixedField(c.fluidH2O, 0, 3));
    lines.push_back(row("Moore et al., 1998 (wt%)", {shown(r.h2oWtPercent, 4)}));
    lines.push_back("Melt density (g/cm3)");
    lines.push_back(row("Lange, Carmichael 1987", {shown(r.densityLange, 4)}));
    lines.push_back(row("Nelson, Carmichael 1979", {shown(r.densityNelson, 4)}));
    lines.push_back("Melt viscosity, ln(poise)");
    lines.push_back(row("Bottinga, Weill 1972", {shown(r.lnViscosityBottinga, 3)}));
    lines.push_back(row("Giordano, Dingwell 2003", {shown(r.lnViscosityGiordano, 3)}));
    if (!r.minerals.empty()) {
        lines.push_back(leftAligned("Minerals", kName) + rightAligned("liquidus C", 11) +
                        rightAligned("at T", 11));
        for (const CalcMineral& m : r.minerals)
            lines.push_back(row(
                std::string(phaseInfo(m.mineral).abbreviation) + " " + m.model.displayName,
                {(m.liquidusK ? celsius(m.liquidusK) : "failed"),
                 trimmed(phaseInfo(m.mineral).compositionLabel) + " " + shown(m.value, 2, 100.0)}));
    }
    lines.push_back(leftAligned("Olivine-melt Fe-Mg exchange", kName) + rightAligned("Kd", 11) +
                    rightAligned("Fo", 11));
    for (const CalcKd& k : r.kds)
        lines.push_back(row(k.option, {shown(k.kd, 4), shown(k.fo, 2, 100.0)}));
    lines.push_back("");
    return lines;
}

}  // namespace varnodel
