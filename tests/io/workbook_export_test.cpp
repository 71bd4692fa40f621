#include "io/WorkbookExport.h"

#include <gtest/gtest.h>

#include "support/ScratchDir.h"
#include "support/WorkbookCheck.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;

class WorkbookExportTest : public ::testing::Test {
  protected:
    std::vector<std::string> folderListing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch_.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchDir scratch_{"varnodel_workbook"};
    std::string base_ = (scratch_.path() / "run_MLA").string();
};

TEST_F(WorkbookExportTest, OneSheetPerResultFileHoldingItsCells) {
    if (!test::haveWorkbookReader()) GTEST_SKIP() << "no Python with openpyxl";
    const auto table = scratch_.write("run_MLA.csv",
                                      "Model   ,  T,C,   SiO2,lgfO2,dNNO,Sample\n"
                                      "Ford83  , 1234, 50.1230,n.d.,n.d.,\"Kil, \"\"a\"\"\"\r\n"
                                      "Beat93  ,   -1, -1.00,-8.25,,1E5\n"
                                      "Toplis05,0.1,2.675,1e-7,,\n");
    const auto report = scratch_.write("run_MLA_calc_param.csv",
                                       "****************** New calculation ********************\n"
                                       "   Olivine: Ford et al., 1983, Beattie, 1993\n"
                                       "Temperature 1200 \xC2\xB0"
                                       "C\n");
    const auto olivine = scratch_.write("run_MLA_Olv.csv",
                                        "T\xB0"
                                        "C,Fo\n1200,  89.5\n");
    const auto empty = scratch_.write("run_MLA_Spl.csv", "");
    for (const char* other : {"run_MLA.txt", "other_MLA.csv", "run_REV.csv", "run_MLA.xlsx"})
        scratch_.write(other, "not a result of this run\n");

    const WorkbookExport out = exportWorkbook(base_);
    EXPECT_EQ(out.workbook, fs::path(base_ + ".xlsx"));
    EXPECT_EQ(out.sheets, (std::vector<std::string>{"run_MLA", "Olv", "Spl", "calc_param"}));
    EXPECT_EQ(out.failure, "");
    EXPECT_EQ(test::workbookDifferences(
                  out.workbook,
                  {{"run_MLA", table}, {"Olv", olivine}, {"Spl", empty}, {"calc_param", report}}),
              "");
    EXPECT_EQ(folderListing().size(), 8u);  // the old workbook replaced, nothing left over
}

TEST_F(WorkbookExportTest, SheetNamesShortUniqueAndAllowed) {
    const std::string x40(40, 'x');
    const auto names = worksheetNames(
        "r_FRAC", {"r_FRAC.csv", "r_FRAC_Olv.csv", "r_FRAC_olv.csv", "r_FRAC_a[b]:c.csv",
                   "r_FRAC_History.csv", "r_FRAC_" + x40 + ".csv", "r_FRAC_" + x40 + "y.csv",
                   "r_FRAC_" + x40 + "z.csv"});
    EXPECT_EQ(names,
              (std::vector<std::string>{"r_FRAC", "Olv", "r_FRAC_olv", "a_b__c", "r_FRAC_History",
                                        std::string(31, 'x'), "r_FRAC_" + std::string(24, 'x'),
                                        "r_FRAC_" + std::string(22, 'x') + "~2"}));
}

TEST_F(WorkbookExportTest, FailuresKeepWhatIsWholeAndLeaveNoHalfFile) {
    EXPECT_THROW(exportWorkbook(base_), EInputError);

    // A file the workbook cannot hold ends the export there; the sheets before it stay.
    const auto table = scratch_.write("run_MLA.csv", "T,Sample\n1200,a\n");
    scratch_.write("run_MLA_wide.csv", std::string(16384, ',') + "\n");
    const WorkbookExport partial = exportWorkbook(base_);
    EXPECT_EQ(partial.sheets, std::vector<std::string>{"run_MLA"});
    EXPECT_NE(partial.failure.find(base_ + "_wide.csv"), std::string::npos) << partial.failure;
    if (test::haveWorkbookReader()) {
        EXPECT_EQ(test::workbookDifferences(partial.workbook, {{"run_MLA", table}}), "");
    }

    // A workbook that cannot be written: its folder is missing, or a folder stands in its way.
    fs::create_directory(scratch_.path() / "in_the_way.xlsx");
    for (const auto& target :
         {scratch_.path() / "missing" / "out.xlsx", scratch_.path() / "in_the_way.xlsx"})
        EXPECT_THROW(exportWorkbook(base_, target), EWorkbookError) << target;
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"in_the_way.xlsx", "run_MLA.csv",
                                                         "run_MLA.xlsx", "run_MLA_wide.csv"}));
}

}  // namespace
}  // namespace varnodel
