// Composition lines of the logs and composition fields of the result tables, shared by every
// calculation's output.
#pragma once

#include <string>
#include <vector>

#include "core/Composition.h"

namespace varnodel {

// The volatile and trace elements present in the run's data, traces in their column order.
struct PresentElements {
    bool h2o = false;
    std::vector<std::size_t> traces;  // trace indices 1-37
    int traceDecimals = 1;            // of their fields in the result tables

    static PresentElements from(const ActiveElements& active);
};

// The melt, a mineral or the magma in wt% (oxides, H2O) and ppm (traces) from the molar form.
struct WeightComposition {
    Oxides oxides{};
    double h2o = 0.0;
    std::array<double, kTraceCount> tracesPpm{};
    std::array<bool, kOxideCount> notDetermined{};

    static WeightComposition fromMolar(const TAnalysis& molar);
};

// The part after the nine-character prefix of the label line: each oxide label after one blank,
// "   " + each present volatile, "     " + each present trace element.
std::string labelLine(const PresentElements& present);

// The values under that label line: oxides "  n.d." or padded with two decimals, the volatile
// likewise, traces in ppm with one decimal in seven characters. With `blankZeros` a value of 0
// is written as six blanks (minerals).
std::string valueLine(const WeightComposition& c, const PresentElements& present,
                      bool blankZeros = false);

// Result-table fields: each oxide (w, d as given, "-1.00," when not determined), the present
// volatile, the present traces in ppm (5.1), every field followed by ",".
std::string compositionFields(const WeightComposition& c, const PresentElements& present,
                              int width = 7, int decimals = 4);

// Header fields of a composition group: each oxide label, "H2O" and each present trace element,
// followed by `suffix` (e.g. "_melt,").
std::string compositionHeader(const PresentElements& present, const std::string& suffix);

}  // namespace varnodel
