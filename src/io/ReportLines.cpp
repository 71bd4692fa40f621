#include "io/ReportLines.h"

#include "core/NumberFormat.h"

namespace varnodel {

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

}  // namespace varnodel
