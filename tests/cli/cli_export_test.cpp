#include <gtest/gtest.h>

#include "CliRunner.h"
#include "support/ScratchDir.h"
#include "support/WorkbookCheck.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::runCli;

const std::string kGlasses = std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv";

class CliExport : public ::testing::Test {
  protected:
    test::ScratchDir scratch_{"varnodel_cli_export"};
    fs::path dir_ = scratch_.path();
};

TEST_F(CliExport, WorkbookOfEachCalculationsFiles) {
    if (!test::haveWorkbookReader()) GTEST_SKIP() << "no Python with openpyxl";
    scratch_.write("s.toml",
                   "[mla]\nolivine = [\"Ford et al., 1983\"]\n"
                   "plagioclase = [\"Drake, 1976\"]\n");
    fs::create_directory(dir_ / "out");
    ASSERT_EQ(runCli("mla --quiet --data '" + kGlasses +
                         "' --analysis 1 --settings s.toml --output out/run",
                     dir_.string())
                  .exitCode,
              0);
    const auto mla = runCli("export --last mla --settings s.toml --output out/run", dir_.string());
    EXPECT_EQ(mla.exitCode, 0) << mla.err;
    EXPECT_EQ(mla.out, "out/run_MLA.xlsx\n");
    const fs::path out = dir_ / "out";
    EXPECT_EQ(test::workbookDifferences(out / "run_MLA.xlsx",
                                        {{"run_MLA", out / "run_MLA.csv"},
                                         {"Olv", out / "run_MLA_Olv.csv"},
                                         {"Plg", out / "run_MLA_Plg.csv"},
                                         {"calc_param", out / "run_MLA_calc_param.csv"}}),
              "");

    ASSERT_EQ(runCli("frac --quiet --output out/run", dir_.string()).exitCode, 0);
    const auto frac = runCli("export out/run_FRAC.csv --output book", dir_.string());
    EXPECT_EQ(frac.exitCode, 0) << frac.err;
    EXPECT_EQ(frac.out, "book.xlsx\n");
    EXPECT_EQ(test::workbookDifferences(dir_ / "book.xlsx",
                                        {{"run_FRAC", out / "run_FRAC.csv"},
                                         {"Olv", out / "run_FRAC_Olv.csv"},
                                         {"calc_param", out / "run_FRAC_calc_param.csv"}}),
              "");

    const auto none = runCli("export out/run_REV", dir_.string());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "varnodel-cli: No result files out/run_REV*.csv to export\n");
}

// The set of a settings file written as a Kd set file, and loaded by another settings file
// (named from that file's folder) before a run: the same set comes out.
TEST_F(CliExport, KdSetWrittenAndLoadedBack) {
    scratch_.write("s.toml",
                   "[minerals.olivine]\nkd = { Ni = 12.5, H2O = 0.001 }\n"
                   "[minerals.plagioclase]\nkd = { Sr = 1.8 }\ntraces = { Sr = \"Bl_Wo91\" }\n");
    const auto written = runCli("kd-set k.conf --settings s.toml", dir_.string());
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(written.out, "k.conf\n");
    const std::string set = scratch_.read("k.conf");
    EXPECT_NE(set.find("\nOlv\t0\t0\t0\t0\t0\t12.5\t"), std::string::npos) << set;

    fs::create_directory(dir_ / "sub");
    scratch_.write("sub/k.conf", set);
    scratch_.write("sub/t.toml", "[traces]\nkd_file = \"k.conf\"\n");
    const auto again = runCli("kd-set k2.conf --settings sub/t.toml", dir_.string());
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(scratch_.read("k2.conf"), set);

    const auto missing = runCli("kd-set k3.conf --set traces.kd_file=nope.conf", dir_.string());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err,
              "varnodel-cli: --set traces.kd_file=nope.conf: traces.kd_file: the Kd set file "
              "nope.conf does not exist\n");
}

}  // namespace
}  // namespace varnodel
