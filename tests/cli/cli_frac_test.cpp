#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "CliRunner.h"
#include "io/CompositionText.h"
#include "io/FracFiles.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;

const char* const kGlasses =
    "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O\n"
    "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n"
    "KL2-G,50.3,2.56,13.3,10.7,0.17,7.34,10.9,2.35,0.48,0.23,0.04,0\n";

// Olivine alone, a coarse step and an early stop: runs in a moment.
const char* const kSettings =
    "[models]\n"
    "olivine = \"Ford et al., 1983\"\n"
    "[run]\n"
    "step = 0.1\n"
    "[stop]\n"
    "condition = \"crystallisation\"\n"
    "value = 3.0\n";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line))
        result.push_back(line);
    return result;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        result.push_back(field);
    return result;
}

class CliFrac : public ::testing::Test {
  protected:
    void SetUp() override {
        write("glasses.csv", kGlasses);
        write("settings.toml", kSettings);
    }
    void write(const std::string& name, const std::string& text) { scratch_.write(name, text); }
    std::string read(const std::string& name) { return scratch_.read(name); }
    test::CliResult frac(const std::string& arguments) {
        return runCli("frac --settings settings.toml " + arguments, dir_.string());
    }

    test::ScratchDir scratch_{"varnodel_frac"};
    fs::path dir_ = scratch_.path();
};

TEST_F(CliFrac, WholeFileWritesEveryAnalysisIntoTheTables) {
    const auto result = frac("--data glasses.csv");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Assemblage for Crystallisation loaded successfuly"),
              std::string::npos);
    EXPECT_NE(result.out.find("The starting composition VG-2 has been recalculated to 100%"),
              std::string::npos);
    EXPECT_NE(result.out.find("The starting composition KL2-G has been recalculated to 100%"),
              std::string::npos);

    const auto table = lines(read("Varnodel_Output_FRAC.csv"));
    ASSERT_GT(table.size(), 4u);
    PerPhase<bool> olivine{};
    olivine[1] = true;
    EXPECT_EQ(table[0], fracExportHeader(olivine, PresentElements{true, {}}));
    EXPECT_EQ(table[0].substr(0, 24), " SiO2_magma, TiO2_magma,");
    EXPECT_NE(table[0].find(",Olv_Fo    _magma,Olv_Kd,"), std::string::npos);
    const std::size_t columns = fields(table[0]).size();
    const std::regex timestamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    bool sawFirst = false, sawSecond = false;
    for (std::size_t k = 1; k < table.size(); ++k) {
        const auto row = fields(table[k]);
        ASSERT_EQ(row.size(), columns) << table[k];  // the last column the date and time
        EXPECT_TRUE(std::regex_match(row.back(), timestamp)) << row.back();
        sawFirst = sawFirst || row[columns - 2] == "VG-2";
        sawSecond = sawSecond || row[columns - 2] == "KL2-G";
        EXPECT_EQ(table[k].find("nan"), std::string::npos);
    }
    EXPECT_TRUE(sawFirst && sawSecond);

    // The parameter report holds the header of the last analysis.
    const auto report = lines(read("Varnodel_Output_FRAC_calc_param.csv"));
    ASSERT_GT(report.size(), 6u);
    EXPECT_EQ(report[0], "");
    EXPECT_EQ(report[1], "****************** New calculation ********************");
    EXPECT_EQ(report[3], "Modelling Crystallisation");
    EXPECT_EQ(report[4], "Minerals chosen for calculations are:");
    EXPECT_EQ(report[5], "   Olv");
    EXPECT_EQ(report[6], "\"   The model used for Olv is: Ford et al., 1983\"");
    EXPECT_EQ(report.back(), "   100% of melt on each step is:    0.1 %");

    const auto olivineRows = lines(read("Varnodel_Output_FRAC_Olv.csv"));
    ASSERT_GT(olivineRows.size(), 2u);
    EXPECT_EQ(olivineRows[0],
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,"
              "T (C),Melt fraction,Fo    ,Model,Sample");
    EXPECT_NE(olivineRows[1].find(",\"Olv-Ford et al., 1983\",VG-2"), std::string::npos);
}

TEST_F(CliFrac, OneAnalysisAndTheOutputName) {
    fs::create_directory(dir_ / "out");
    const auto result = frac("--data glasses.csv --analysis 2 --output out/results.txt --quiet");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.out.empty());
    const std::string table = read("out/results_FRAC.csv");
    EXPECT_NE(table.find(",KL2-G,"), std::string::npos);
    EXPECT_EQ(table.find(",VG-2,"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "out/results_FRAC_calc_param.csv"));
}

TEST_F(CliFrac, DeletesTheOldFilesOfTheSameCalculationOnly) {
    write("Varnodel_Output_FRAC_Plg.csv", "old\n");
    write("Varnodel_Output_FRAC.csv", "old\n");
    write("Varnodel_Output_REV.csv", "keep\n");
    const auto result = frac("--data glasses.csv --analysis 1 --quiet");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "Varnodel_Output_FRAC_Plg.csv"));
    EXPECT_EQ(read("Varnodel_Output_REV.csv"), "keep\n");
    EXPECT_EQ(read("Varnodel_Output_FRAC.csv").find("old"), std::string::npos);
}

TEST_F(CliFrac, NeverDeletesTheDataFile) {
    write("run_FRAC_glasses.csv", kGlasses);
    const auto result = frac("--data run_FRAC_glasses.csv --output run");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("run_FRAC_glasses.csv"), std::string::npos) << result.err;
    EXPECT_EQ(read("run_FRAC_glasses.csv"), kGlasses);
}

TEST_F(CliFrac, UnwritableResultTableStopsBeforeTheCalculation) {
    fs::create_directory(dir_ / "Varnodel_Output_FRAC.csv");  // a folder where the table goes
    const auto result = frac("--data glasses.csv");
    EXPECT_EQ(result.exitCode, 2);  // the output path is bad input: nothing ran
    EXPECT_NE(result.err.find("Cannot open file for export Varnodel_Output_FRAC. Check if the "
                              "file is open in another program."),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out.find("New calculation"), std::string::npos);
}

struct BadInput {
    const char* arguments;
    const char* errorText;
};

void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.arguments;
}

class CliFracBadInput : public CliFrac, public ::testing::WithParamInterface<BadInput> {};

TEST_P(CliFracBadInput, IsNamedWithExitCode2) {
    write("empty.csv", "");
    write("noiron.csv", "Name,SiO2,MgO,CaO,FeO\nA,50,8,11,0\n");
    write("badsettings.toml", "[run]\nstepp = 0.1\n");
    fs::create_directory(dir_ / "folder.csv");
    const auto result = runCli(std::string("frac ") + GetParam().arguments, dir_.string());
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find(GetParam().errorText), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFracBadInput,
    ::testing::Values(BadInput{"--data missing.csv", "missing.csv does not exist"},
                      BadInput{"--data folder.csv", "folder.csv is a folder"},
                      BadInput{"--data empty.csv", "no analysis of empty.csv can be used"},
                      BadInput{"--data noiron.csv", "no analysis of noiron.csv can be used"},
                      BadInput{"--data glasses.csv --analysis 3", "holds 2 usable analyses"},
                      BadInput{"--settings badsettings.toml", "stepp"},
                      BadInput{"--settings nowhere.toml", "nowhere.toml"},
                      BadInput{"--set run.step=abc", "run.step"},
                      BadInput{"--output nofolder/x.ods", "export"}));

TEST_F(CliFrac, RejectedRowsAreLoggedAndTheRestRuns) {
    write("mixed.csv", std::string(kGlasses) + "bad,50,1,14,0,0.2,6,11,2,0.2,0.2,0,0\nx\n");
    const auto result = frac("--data mixed.csv");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Analysis from line 4 is not correct: Analysis bad missed"),
              std::string::npos);
    EXPECT_NE(result.out.find("Line 5 is too short: missed"), std::string::npos);
}

TEST_F(CliFrac, DefaultSettingsReproduceADefaultRun) {
    const auto printed = runCli("settings", dir_.string());
    ASSERT_EQ(printed.exitCode, 0);
    write("defaults.toml", printed.out);
    const auto withFile = runCli("frac --settings defaults.toml --quiet --output a", dir_.string());
    const auto without = runCli("frac --quiet --output b", dir_.string());
    ASSERT_EQ(withFile.exitCode, 0) << withFile.err;
    ASSERT_EQ(without.exitCode, 0) << without.err;
    // Same rows but for the date and time.
    const auto strip = [](const std::string& table) {
        return std::regex_replace(table, std::regex(R"(,\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "");
    };
    EXPECT_EQ(strip(read("a_FRAC.csv")), strip(read("b_FRAC.csv")));
    EXPECT_EQ(read("a_FRAC_calc_param.csv"), read("b_FRAC_calc_param.csv"));
}

TEST_F(CliFrac, ParallelAnalysesWriteTheSameFiles) {
    std::string more = kGlasses;
    more += "BHVO-2G,49.3,2.79,13.6,11.3,0.17,7.13,11.4,2.40,0.51,0.27,0.04,0\n";
    more += "GOR132-G,45.5,0.29,11.0,10.2,0.17,22.4,8.5,0.80,0.03,0.02,0.34,0\n";
    write("four.csv", more);
    const auto one = frac("--data four.csv --jobs 1 --output one --debug-log one.log");
    const auto two = frac("--data four.csv --jobs 2 --output two --debug-log two.log");
    ASSERT_EQ(one.exitCode, 0) << one.err;
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(one.out, two.out);  // each analysis's log in one piece, in analysis order
    EXPECT_EQ(read("one.log"), read("two.log"));
    const auto strip = [](const std::string& table) {
        return std::regex_replace(table, std::regex(R"(,\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "");
    };
    for (const char* suffix : {"_FRAC.csv", "_FRAC_Olv.csv", "_FRAC_calc_param.csv"})
        EXPECT_EQ(strip(read(std::string("one") + suffix)),
                  strip(read(std::string("two") + suffix)))
            << suffix;
}

TEST_F(CliFrac, InterruptEndsTheBatchAfterTheCurrentAnalysis) {
    std::string many = "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O\n";
    for (int k = 1; k <= 20; ++k)
        many +=
            "G" + std::to_string(k) + ",50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.2,0,0\n";
    write("many.csv", many);
    write("slow.toml",
          "[models]\nolivine = \"Ford83\"\nplagioclase = \"Langm92\"\n[run]\n"
          "step = 0.01\n[stop]\ncondition = \"crystallisation\"\nvalue = 60\n");
    const std::string command =
        "cd '" + dir_.string() + "' && ('" + VARNODEL_CLI_PATH +
        "' frac --settings slow.toml --data many.csv --quiet --jobs 1 2>err.txt & "
        "pid=$!; sleep 1; kill -INT $pid; wait $pid; echo $? > rc.txt)";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read("rc.txt"), "130\n");
    EXPECT_NE(read("err.txt").find("Calculations terminated"), std::string::npos);
    const std::string table = read("Varnodel_Output_FRAC.csv");
    EXPECT_EQ(table.find(",G2,"), std::string::npos);  // no further analysis started
}

}  // namespace
}  // namespace varnodel
