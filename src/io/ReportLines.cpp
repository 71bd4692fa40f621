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
