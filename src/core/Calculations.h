// The calculations of the program and everything that names them: the mode the dispatcher is
// started with, the suffix of the result files, the tab a data file is loaded for and the
// writing routines the error texts name. Every decision that depends on the calculation reads
// this table, so that a new calculation is added in one place.
#pragma once

#include <array>
#include <string_view>

namespace varnodel {

enum class Calculation { Fractional, Reverse, MLA, IronLoss, ProfileIC, ProfileCR };

struct CalculationInfo {
    Calculation calculation;
    std::string_view mode;           // the dispatcher's mode name: "Fractional", ...
    std::string_view suffix;         // of the base name: "_FRAC", ...
    std::string_view tabCaption;     // the tab that starts it: "Crystallisation", ...
    std::string_view resultsWriter;  // names the routine writing the results table
    std::string_view mineralWriter;  // names the routine writing the per-mineral files
};

inline constexpr std::array<CalculationInfo, 6> kCalculations{{
    {Calculation::Fractional, "Fractional", "_FRAC", "Crystallisation", "Fr.PrintFileForExport",
     "Fr.PrintFileForExport"},
    {Calculation::Reverse, "Reverse", "_REV", "Reverse Crystallisation", "Rev.PrintFileForExport",
     "Fr.PrintFileForExport"},
    {Calculation::MLA, "MLA", "_MLA", "Melt Liquidus Association", "MLA.PrintFileForExport",
     "MLA.PrintMineralFiles"},
    {Calculation::IronLoss, "IronLoss", "_IRL", "Olivine MI", "IronLoss.PrintFileForExport",
     "IronLoss.PrintFileForExport"},
    {Calculation::ProfileIC, "Profile_IC", "_PIC", "Olivine MI", "Profile_IC.PrintFileForExport",
     "Profile_IC.PrintFileForExport"},
    {Calculation::ProfileCR, "Profile_CR", "_PCR", "Olivine MI", "Profile_CR.PrintFileForExport",
     "Profile_CR.PrintFileForExport"},
}};

const CalculationInfo& calculationInfo(Calculation calculation);

// The calculation of a mode name; an unknown name throws EInputError naming it.
Calculation calculationOfMode(std::string_view mode);

inline std::string_view modeName(Calculation c) {
    return calculationInfo(c).mode;
}
inline std::string_view resultSuffix(Calculation c) {
    return calculationInfo(c).suffix;
}
inline std::string_view tabCaption(Calculation c) {
    return calculationInfo(c).tabCaption;
}

}  // namespace varnodel
