#include "core/Calculations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/Errors.h"

namespace varnodel {
namespace {

struct Row {
    Calculation calculation;
    const char* mode;
    const char* suffix;
    const char* tab;
    const char* resultsWriter;
};

// Every calculation maps to its texts and back; no two share a mode or a suffix, so the base
// name of a run never names another calculation's files.
TEST(Calculations, EveryModeMapsBothWaysAndAnUnknownOneIsRefused) {
    const Row rows[] = {
        {Calculation::Fractional, "Fractional", "_FRAC", "Crystallisation",
         "Fr.PrintFileForExport"},
        {Calculation::Reverse, "Reverse", "_REV", "Reverse Crystallisation",
         "Rev.PrintFileForExport"},
        {Calculation::MLA, "MLA", "_MLA", "Melt Liquidus Association", "MLA.PrintFileForExport"},
        {Calculation::IronLoss, "IronLoss", "_IRL", "Olivine MI", "IronLoss.PrintFileForExport"},
        {Calculation::ProfileIC, "Profile_IC", "_PIC", "Olivine MI",
         "Profile_IC.PrintFileForExport"},
        {Calculation::ProfileCR, "Profile_CR", "_PCR", "Olivine MI",
         "Profile_CR.PrintFileForExport"},
    };
    ASSERT_EQ(std::size(rows), kCalculations.size());
    std::set<std::string_view> suffixes;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        EXPECT_EQ(calculationOfMode(row.mode), row.calculation);
        EXPECT_EQ(modeName(row.calculation), row.mode);
        EXPECT_EQ(resultSuffix(row.calculation), row.suffix);
        EXPECT_EQ(tabCaption(row.calculation), row.tab);
        EXPECT_EQ(calculationInfo(row.calculation).resultsWriter, row.resultsWriter);
        suffixes.insert(resultSuffix(row.calculation));
    }
    EXPECT_EQ(suffixes.size(), std::size(rows));

    for (const char* unknown : {"", "fractional", "Profile", "IRL"}) {
        try {
            calculationOfMode(unknown);
            ADD_FAILURE() << "\"" << unknown << "\" was taken";
        } catch (const EInputError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Unknown calculation \"" + std::string(unknown) + "\"");
        }
    }
}

}  // namespace
}  // namespace varnodel
