// A batch a scientist can trust and repeat: one status row per row of the data file, a
// summary, diagnostics that name their sample, and a settings record that repeats the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::runCli;

// Two basalts that reach the stop, an andesite whose olivine gives no liquidus at QFM, and two
// planted bad rows.
const char* const kBatch =
    "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O\n"
    "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n"
    "x\n"
    "no MgO,50.3,2.56,13.3,10.7,0.17,0,10.9,2.35,0.48,0.23,0.04,0\n"
    "StHs6/80-G,63.7,0.70,17.8,4.37,0.08,1.97,5.28,4.44,1.29,0.16,0,0\n"
    "KL2-G,50.3,2.56,13.3,10.7,0.17,7.34,10.9,2.35,0.48,0.23,0.04,0\n";

const char* const kSettings =
    "[models]\nolivine = \"Ford et al., 1983\"\n"
    "[oxidation]\nmode = \"buffer\"\nbuffer = \"QFM\"\n"
    "[run]\nstep = 0.2\n"
    "[stop]\ncondition = \"crystallisation\"\nvalue = 20.0\n";

class CliBatch : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch_.write("batch.csv", kBatch);
        scratch_.write("settings.toml", kSettings);
    }
    test::ScratchDir scratch_{"varnodel_batch"};
    fs::path dir_ = scratch_.path();
};

// The rows of a result table without the date and time that ends a forward row.
std::string withoutDates(std::string text) {
    static const std::regex dateTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    return std::regex_replace(text, dateTime, "");
}

TEST_F(CliBatch, StatusFileSummaryAndNamedDiagnostics) {
    const auto result = runCli(
        "frac --settings settings.toml --data batch.csv --output b --debug-log debug.txt --jobs 2",
        dir_.string());
    EXPECT_EQ(result.exitCode, 1) << result.err;  // the andesite ended with an error
    EXPECT_NE(result.err.find("varnodel-cli: 2 completed, 1 ended early, 2 rows rejected\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.out.find("2 completed, 1 ended early, 2 rows rejected\n"), std::string::npos);

    const std::string status = scratch_.read("b_FRAC_status.csv");
    const std::string stopped =
        ",stopped by its stop condition,stop condition: degree of "
        "crystallisation,,";
    EXPECT_TRUE(std::regex_match(
        status,
        std::regex("Line,Sample,Outcome,Reason,Minerals left,Printed steps\n"
                   "2,VG-2" +
                   stopped +
                   "[1-9][0-9]*\n"
                   "3,,rejected row,the line is too short,,0\n"
                   "4,no MgO,rejected row,\"SiO2, MgO, CaO and FeO \\+ Fe2O3 must be above 0\",,0\n"
                   "5,StHs6/80-G,ended: no minerals left,No minerals left in calculations with "
                   "StHs6/80-G\\. Calculation aborted\\.,\"olivine: [^\n]+\",[0-9]+\n"
                   "6,KL2-G" +
                   stopped + "[1-9][0-9]*\n")))
        << status;

    // Every diagnostics line starts with the name of its sample.
    std::stringstream debug(scratch_.read("debug.txt"));
    std::string line;
    int lines = 0;
    while (std::getline(debug, line)) {
        ++lines;
        EXPECT_TRUE(std::regex_search(line, std::regex("^(VG-2|StHs6/80-G|KL2-G): "))) << line;
    }
    EXPECT_GT(lines, 0);
}

TEST_F(CliBatch, SettingsRecordRepeatsTheRun) {
    const auto first =
        runCli("frac --settings settings.toml --data batch.csv --output a --set run.step=0.5",
               dir_.string());
    ASSERT_EQ(first.exitCode, 1) << first.err;
    const std::string record = scratch_.read("a_FRAC_settings.toml");
    EXPECT_TRUE(std::regex_search(
        record, std::regex("^# Settings of a run of Varnodel [^\n]+, \\d{4}-\\d\\d-\\d\\d "
                           "\\d\\d:\\d\\d:\\d\\d UTC\n# Command line: \\S*varnodel-cli frac "
                           "--settings settings.toml --data batch.csv --output a --set "
                           "run.step=0.5\n# Data file: batch.csv\n"
                           "# Data file SHA-256: [0-9a-f]{64}\n")))
        << record;
    EXPECT_NE(record.find("step = 0.5"), std::string::npos);

    const auto again =
        runCli("frac --settings a_FRAC_settings.toml --data batch.csv --output c", dir_.string());
    ASSERT_EQ(again.exitCode, 1) << again.err;
    for (const char* suffix :
         {"_FRAC.csv", "_FRAC_Olv.csv", "_FRAC_calc_param.csv", "_FRAC_status.csv"})
        EXPECT_EQ(withoutDates(scratch_.read(std::string("c") + suffix)),
                  withoutDates(scratch_.read(std::string("a") + suffix)))
            << suffix;
}

TEST_F(CliBatch, AMissingOutputFolderIsCreated) {
    const auto result = runCli(
        "frac --settings settings.toml --data batch.csv --analysis 1 --output new/sub/x --quiet",
        dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "varnodel-cli: created the output folder new/sub\n");
    EXPECT_TRUE(fs::exists(dir_ / "new/sub/x_FRAC.csv"));
}

TEST_F(CliBatch, ColumnsTheCalculationDoesNotUseAreWarnedOnce) {
    scratch_.write("conditions.csv",
                   "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,P KBAR,FO_HOST\n"
                   "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,2,88\n"
                   "KL2-G,50.3,2.56,13.3,10.7,0.17,7.34,10.9,2.35,0.48,0.23,0.04,3,87\n");
    const auto result =
        runCli("frac --settings settings.toml --data conditions.csv --quiet", dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err,
              "varnodel-cli: warning: conditions.csv: columns P KBAR, FO_HOST not used by "
              "Crystallisation (the settings give its pressure and conditions)\n"
              "varnodel-cli: 2 completed\n");
}

TEST_F(CliBatch, StrictRefusesALenientReading) {
    scratch_.write("comma.csv",
                   "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3\n"
                   "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,n.d.\n");
    const auto lenient =
        runCli("frac --settings settings.toml --data comma.csv --output l --quiet", dir_.string());
    EXPECT_EQ(lenient.exitCode, 0) << lenient.err;
    const auto strict =
        runCli("frac --settings settings.toml --data comma.csv --strict", dir_.string());
    EXPECT_EQ(strict.exitCode, 2);
    EXPECT_TRUE(strict.err.ends_with(
        "varnodel-cli: --strict: comma.csv was not read as written (1 warning)\n"))
        << strict.err;
    EXPECT_FALSE(fs::exists(dir_ / "Varnodel_Output_FRAC.csv"));
    // Columns the calculation does not use are no reading of the file.
    EXPECT_EQ(runCli("frac --settings settings.toml --data batch.csv --strict --analysis 1 --quiet",
                     dir_.string())
                  .exitCode,
              0);
}

TEST_F(CliBatch, SampleChoosesTheAnalysisByName) {
    const auto one =
        runCli("frac --settings settings.toml --data batch.csv --sample KL2-G --output s --quiet",
               dir_.string());
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const std::string table = scratch_.read("s_FRAC.csv");
    EXPECT_NE(table.find(",KL2-G,"), std::string::npos);
    EXPECT_EQ(table.find("VG-2"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "s_FRAC_status.csv"));  // one analysis is no batch

    const auto none =
        runCli("frac --settings settings.toml --data batch.csv --sample Nobody", dir_.string());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err,
              "varnodel-cli: --sample Nobody: no analysis of the data file has this name\n");
}

// A wet melt that the chosen model leaves out of its liquidus, with no correction for it: every
// calculation says so in its report and on stderr, naming the sample; a correction set silences
// it, and one on a model that accounts for H2O itself is reported as counting it twice.
TEST_F(CliBatch, H2OThatNoModelNorCorrectionTakesIsWarnedByEveryCalculation) {
    scratch_.write("wet.csv",
                   "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O\n"
                   "dry,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n"
                   "wet arc,50.3,2.56,13.3,10.7,0.17,7.34,10.9,2.35,0.48,0.23,0.04,2.5\n");
    const std::string warned =
        "varnodel-cli: warning: wet arc holds H2O, which the olivine model Ford et al., 1983 "
        "does not incorporate, and no correction for H2O has been set "
        "(minerals.olivine.h2o_correction)\n";
    const std::string block =
        "***************** Warning!!! *************************\n"
        "The chosen olivine model does not incorporate the effect of H2O\n"
        "  and no correction for H2O has been set.\n";
    for (const std::string command : {"frac", "rev", "mla --set 'mla.olivine=[\"Ford83\"]'"}) {
        const std::string run = command + " --settings settings.toml --data wet.csv --quiet";
        const auto bare = runCli(run + " --output bare", dir_.string());
        EXPECT_NE(bare.err.find(warned), std::string::npos) << command << bare.err;
        const std::string suffix = command.substr(0, command.find(' ')) == "frac" ? "_FRAC"
                                   : command == "rev"                             ? "_REV"
                                                                                  : "_MLA";
        EXPECT_NE(scratch_.read("bare" + suffix + "_calc_param.csv").find(block), std::string::npos)
            << command;

        const auto corrected = runCli(
            run + " --output corr --set minerals.olivine.h2o_correction=default", dir_.string());
        EXPECT_EQ(corrected.err.find("holds H2O"), std::string::npos) << command << corrected.err;
        EXPECT_EQ(scratch_.read("corr" + suffix + "_calc_param.csv").find("Warning!!!"),
                  std::string::npos)
            << command;
    }
    const auto twice = runCli(
        "frac --settings settings.toml --data wet.csv --quiet --output w --set "
        "'models.olivine=\"Quellm01\"' --set minerals.olivine.h2o_correction=default",
        dir_.string());
    EXPECT_NE(scratch_.read("w_FRAC_calc_param.csv")
                  .find("The chosen olivine model incorporates the effect of H2O itself\n"
                        "  and a correction for H2O lowers its liquidus a second time.\n"),
              std::string::npos)
        << twice.err;
}

// output.trace_decimals widens the 5:1 field of the trace elements in the result tables; an
// [mla] table that leaves minerals out says that they get no model.
TEST_F(CliBatch, TraceDecimalsAndAnMlaTableOfOneMineral) {
    scratch_.write("traces.csv",
                   "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O,Lu\n"
                   "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0,0.4321\n");
    const std::string run =
        "mla --settings settings.toml --data traces.csv --quiet --set 'mla.olivine=[\"Ford83\"]'";
    const auto one = runCli(run, dir_.string());
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(one.err.find("mla: a mineral the table does not name has no model evaluated "
                           "(plagioclase, clinopyroxene, orthopyroxene, pigeonite, spinel, "
                           "ilmenite, magnetite)"),
              std::string::npos)
        << one.err;
    EXPECT_NE(scratch_.read("Varnodel_Output_MLA.csv").find(",  0.4,"), std::string::npos);
    ASSERT_EQ(runCli(run + " --set output.trace_decimals=3", dir_.string()).exitCode, 0);
    EXPECT_NE(scratch_.read("Varnodel_Output_MLA.csv").find(",0.434,"), std::string::npos);
    const auto half = runCli(run + " --set output.trace_decimals=2.5", dir_.string());
    EXPECT_EQ(half.exitCode, 2);
    EXPECT_NE(half.err.find("output.trace_decimals: expected a whole number of decimals"),
              std::string::npos)
        << half.err;
}

}  // namespace
}  // namespace varnodel
