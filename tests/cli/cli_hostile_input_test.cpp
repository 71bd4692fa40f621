// The command line against bad input: every refusal names the input (file and line, option or
// key), exits with 2 and writes nothing; input the file rules accept is run and never lets a
// NaN or an infinity into a log or a result file; the files the user gave are never
// overwritten or deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;

const std::string kHeader = "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O\n";
const std::string kGlasses = kHeader +
                             "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n"
                             "KL2-G,50.3,2.56,13.3,10.7,0.17,7.34,10.9,2.35,0.48,0.23,0.04,0\n";

// Olivine alone and an early stop: every run takes a moment.
const std::string kSettings =
    "[models]\nolivine = \"Ford et al., 1983\"\n[run]\nstep = 0.1\n"
    "[stop]\ncondition = \"crystallisation\"\nvalue = 3.0\n";

// A text with NUL bytes in it, all of the literal.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

std::string glassRows(int count) {
    std::string rows;
    for (int k = 1; k <= count; ++k)
        rows += "G" + std::to_string(k) +
                ",50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n";
    return rows;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// A number written as "nan", "inf", "-nan" and the like, anywhere in a text.
bool holdsNonFinite(const std::string& text) {
    static const std::regex nonFinite(R"((^|[^A-Za-z])[-+]?(nan|inf)([^A-Za-z]|$))",
                                      std::regex::icase);
    return std::regex_search(text, nonFinite);
}

class CliHostile : public ::testing::Test {
  protected:
    void SetUp() override {
        write("glasses.csv", kGlasses);
        write("settings.toml", kSettings);
    }
    void write(const std::string& name, const std::string& text) { scratch_.write(name, text); }
    std::string read(const std::string& name) { return scratch_.read(name); }
    test::CliResult mla(const std::string& arguments) {
        return runCli("mla --settings settings.toml " + arguments, dir_.string());
    }
    // The result files in the folder (and its sub-folders).
    std::vector<std::string> results() {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            if (name.find("_MLA") != std::string::npos || name.find("_FRAC") != std::string::npos)
                found.push_back(fs::relative(entry.path(), dir_).string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    test::ScratchDir scratch_{"varnodel_hostile"};
    fs::path dir_ = scratch_.path();
};

// --- data files the reader refuses -------------------------------------------------------------

struct RefusedFile {
    const char* label;
    std::string content;
    const char* problem;  // the line before "no analysis of bad.csv can be used"
};

void PrintTo(const RefusedFile& c, std::ostream* os) {
    *os << c.label;
}

class CliHostileDataFiles : public CliHostile, public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(CliHostileDataFiles, AreRefusedNamingThePlaceWithExitCode2) {
    write("bad.csv", GetParam().content);
    const auto result = mla("--data bad.csv");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, std::string("varnodel-cli: ") + GetParam().problem +
                              "\nvarnodel-cli: no analysis of bad.csv can be used\n");
    const auto log = linesOf(result.out);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "bad.csv is not compatible to Melt Liquidus Association");
    EXPECT_EQ(log.back(), "Please, see Varnodel manual for details");
    EXPECT_TRUE(results().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliHostileDataFiles,
    ::testing::Values(RefusedFile{"empty", "", "bad.csv: the file is empty"},
                      RefusedFile{"binary",
                                  bytes("\x7f"
                                        "ELF\x02\x01\x01\0\0\0,;|\t\n"),
                                  "bad.csv:1: a NUL byte: this is not a text file"},
                      RefusedFile{"no MgO column",
                                  "Name,SiO2,TiO2,Al2O3,FeOt,CaO\nA,50,1,14,9,11\n",
                                  "bad.csv:1: the header has no column for MgO"},
                      RefusedFile{"no line ends",
                                  kGlasses + std::string((std::size_t{1} << 20) + 1, '1'),
                                  "bad.csv:4: the line is longer than 1048576 characters"}));

TEST_F(CliHostile, AMissingOrFolderDataFileIsNamed) {
    fs::create_directory(dir_ / "folder.csv");
    EXPECT_EQ(mla("--data missing.csv").err,
              "varnodel-cli: the data file missing.csv does not exist\n");
    EXPECT_EQ(mla("--data folder.csv").err, "varnodel-cli: the data file folder.csv is a folder\n");
}

// --- data the reader takes, with warnings ------------------------------------------------------

TEST_F(CliHostile, FieldsNotReadAsWrittenAreWarnedOnStderrAndRunFinite) {
    write("odd.csv",
          "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O,Total\n"
          "A,50.81,nan,14.06,11.84,-inf,1e999,11.12,2.62 wt%,-0.19,,n.d.,inf,99\n");
    const auto result = mla("--data odd.csv --quiet");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto err = linesOf(result.err);
    const std::vector<std::string> expected{
        "varnodel-cli: warning: odd.csv:1: columns not read: 14 (Total)",
        "varnodel-cli: warning: odd.csv:2: column 3 (TiO2): \"nan\" is not a number; 0 is used",
        "varnodel-cli: warning: odd.csv:2: column 6 (MnO): \"-inf\" is not a number; 0 is used",
        "varnodel-cli: warning: odd.csv:2: column 7 (MgO): \"1e999\" is not a number; it reads "
        "as 1E99, outside 0 to 100; 100 is used",
        "varnodel-cli: warning: odd.csv:2: column 9 (Na2O): \"2.62 wt%\" is not a number; 2.62 "
        "is used",
        "varnodel-cli: warning: odd.csv:2: column 10 (K2O): -0.19 is outside 0 to 100; 0 is "
        "used",
        "varnodel-cli: warning: odd.csv:2: column 12 (Cr2O3): \"n.d.\" is not a number; 0 is "
        "used",
        "varnodel-cli: warning: odd.csv:2: column 13 (H2O): \"inf\" is not a number; 0 is used",
    };
    ASSERT_GE(err.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(err.begin(), err.begin() + 8), expected);
    for (const auto& name : results())
        EXPECT_FALSE(holdsNonFinite(read(name))) << name;
}

TEST_F(CliHostile, WarningsBeyondTwentyAreCounted) {
    std::string rows = kHeader;
    for (int k = 0; k < 25; ++k)
        rows += "A,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,n.d.,0\n";
    write("nd.csv", rows);
    const auto result = mla("--data nd.csv --quiet");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto err = linesOf(result.err);
    ASSERT_EQ(err.size(), 22u) << result.err;
    EXPECT_EQ(err[21], "varnodel-cli: 25 completed");
    EXPECT_EQ(err[19],
              "varnodel-cli: warning: nd.csv:21: column 12 (Cr2O3): \"n.d.\" is not a number; 0 "
              "is used");
    EXPECT_EQ(err[20], "varnodel-cli: warning: nd.csv: 5 more warnings");
}

// Compositions the file rules accept however odd: each runs, or fails as a run error, but no
// non-finite number reaches the log or a result file.
TEST_F(CliHostile, OddButAcceptedCompositionsNeverPrintNonFiniteNumbers) {
    write("odd.csv",
          "Name,SiO2,TiO2,Al2O3,FeOt,Fe2O3,MnO,MgO,CaO,Na2O,K2O,H2O,Ni,P kbar,T C,LGFO2,LAST_TEMP\n"
          "tiny,1e-300,0,0,1e-300,0,0,1e-300,1e-300,0,0,0,0,0,0,0,0\n"
          "capped,100,100,100,100,100,100,100,100,100,100,100,1e6,100,3500,10,3000\n"
          "four,100,0,0,100,0,0,100,100,0,0,0,0,0,0,-100,0\n"
          "wet,40,1,10,10,0,0.2,10,10,2,1,100,0,0,0,0,0\n"
          "ferric,50,1,14,0,10,0.2,8,11,2.5,0.2,0,0,0,0,0,0\n");
    for (const char* command : {"mla", "frac"}) {
        const auto result = runCli(std::string(command) +
                                       " --settings settings.toml --data "
                                       "odd.csv --jobs 2 --output odd",
                                   dir_.string());
        EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1)
            << command << ": " << result.exitCode << " " << result.err;
        EXPECT_FALSE(holdsNonFinite(result.out)) << command;
        EXPECT_FALSE(holdsNonFinite(result.err)) << command;
        for (const auto& name : results())
            EXPECT_FALSE(holdsNonFinite(read(name))) << name;
    }
}

TEST(CliHostileHelpers, NonFiniteNumbersAreSpotted) {
    for (const char* text : {"1.0,nan,2", "-nan", " inf,", "x,-INF", "NaN"})
        EXPECT_TRUE(holdsNonFinite(text)) << text;
    for (const char* text : {"Infiltration", "financial", "Ln(viscosity)", "1.5,2"})
        EXPECT_FALSE(holdsNonFinite(text)) << text;
}

// --- options -------------------------------------------------------------------------------

struct OptionCase {
    const char* arguments;  // after "mla" (and "--settings settings.toml" unless it has its own)
    const char* error;      // the first line on stderr
};

void PrintTo(const OptionCase& c, std::ostream* os) {
    *os << c.arguments;
}

class CliHostileOptions : public CliHostile, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CliHostileOptions, AreRefusedBeforeAnythingIsWritten) {
    write("r_MLA_glasses.csv", kGlasses);
    write("r_MLA_settings.csv", kSettings);
    const std::string arguments = GetParam().arguments;
    const std::string settings =
        arguments.find("--settings") == std::string::npos ? "--settings settings.toml " : "";
    const auto result = runCli("mla " + settings + arguments, dir_.string());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(linesOf(result.err).front(), std::string("varnodel-cli: ") + GetParam().error);
    EXPECT_EQ(result.out.find("New calculation"), std::string::npos);
    // The user's files are left as they were.
    EXPECT_EQ(read("glasses.csv"), kGlasses);
    EXPECT_EQ(read("settings.toml"), kSettings);
    EXPECT_EQ(read("r_MLA_glasses.csv"), kGlasses);
    EXPECT_EQ(read("r_MLA_settings.csv"), kSettings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliHostileOptions,
    ::testing::Values(
        OptionCase{"--data glasses.csv --jobs 0",
                   "--jobs: \"0\" is not a whole number from 1 to 1024"},
        OptionCase{"--data glasses.csv --jobs 100000",
                   "--jobs: \"100000\" is not a whole number from 1 to 1024"},
        OptionCase{"--data glasses.csv --jobs abc",
                   "--jobs: \"abc\" is not a whole number from 1 to 1024"},
        OptionCase{"--data glasses.csv --analysis 0",
                   "--analysis: \"0\" is not a whole number from 1 to 2147483647"},
        OptionCase{"--data glasses.csv --analysis 99999999999",
                   "--analysis: \"99999999999\" is not a whole number from 1 to 2147483647"},
        OptionCase{"--data glasses.csv --analysis 3",
                   "--analysis 3: glasses.csv holds 2 usable analyses"},
        OptionCase{"--analysis 1", "--analysis requires --data"},
        OptionCase{"--data glasses.csv --output ''", "--output: an empty path names no file"},
        OptionCase{"--data glasses.csv --output r.xlsx",
                   "--output r.xlsx: the program writes comma-separated text files named from "
                   "r; give a name without .xlsx and make a workbook of them with varnodel-cli "
                   "export"},
        OptionCase{"--data glasses.csv --output glasses.csv/x",
                   "the output folder glasses.csv is not a folder"},
        OptionCase{"--data glasses.csv --debug-log glasses.csv",
                   "--debug-log glasses.csv is the data file: choose another name"},
        OptionCase{"--data glasses.csv --debug-log ./settings.toml",
                   "--debug-log ./settings.toml is the settings file: choose another name"},
        OptionCase{"--data glasses.csv --output r --debug-log r_MLA_log.csv",
                   "--debug-log r_MLA_log.csv would be deleted as an old result of r_MLA.csv: "
                   "choose another name"},
        OptionCase{"--data glasses.csv --output r --settings r_MLA_settings.csv",
                   "the settings file r_MLA_settings.csv would be deleted as an old result of "
                   "r_MLA.csv: choose another output name"}));

// The data file among the old results is refused by the dispatcher, in its own words.
TEST_F(CliHostile, ADataFileAmongTheOldResultsIsKept) {
    write("r_MLA_glasses.csv", kGlasses);
    const auto result = mla("--data r_MLA_glasses.csv --output r");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "The data file r_MLA_glasses.csv would be deleted as an old result of r_MLA.csv: "
              "choose another output name\n");
    EXPECT_EQ(read("r_MLA_glasses.csv"), kGlasses);
}

// --output names a folder and a name; a folder alone takes the default name.
TEST_F(CliHostile, OutputFolderForms) {
    fs::create_directory(dir_ / "out");
    for (const auto& [output, table] : std::vector<std::pair<std::string, std::string>>{
             {"out", "out/Varnodel_Output_MLA.csv"},
             {"out/", "out/Varnodel_Output_MLA.csv"},
             {".", "Varnodel_Output_MLA.csv"},
             {"out/run.csv", "out/run_MLA.csv"},
             {"run", "run_MLA.csv"},
         }) {
        const auto result = mla("--data glasses.csv --quiet --output " + output);
        ASSERT_EQ(result.exitCode, 0) << output << ": " << result.err;
        EXPECT_EQ(linesOf(read(table)).size(), 3u) << output;
        fs::remove(dir_ / table);
    }
    EXPECT_FALSE(fs::exists(dir_ / "._MLA.csv"));
    EXPECT_FALSE(fs::exists(dir_ / "out_MLA.csv"));
}

// --- standard output -----------------------------------------------------------------------

// A reader that goes away (`| head`) costs the log, not the results: the run completes.
TEST_F(CliHostile, ABrokenPipeOnStdoutLetsTheRunComplete) {
    write("many.csv", kHeader + glassRows(600));
    const std::string command = "cd '" + dir_.string() + "' && ('" + VARNODEL_CLI_PATH +
                                "' mla --settings settings.toml --data many.csv --jobs 2 "
                                "2>err.txt; echo $? > rc.txt) | true";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read("rc.txt"), "0\n");
    EXPECT_EQ(linesOf(read("Varnodel_Output_MLA.csv")).size(), 601u);
    EXPECT_NE(read("err.txt").find(
                  "varnodel-cli: warning: the main log could not be written to the output\n"),
              std::string::npos)
        << read("err.txt");
}

// What `models` and `settings` print is their product: a failed write is an error.
TEST_F(CliHostile, AFullDiskOnStdoutFailsTheListings) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const char* command : {"models", "settings"}) {
        const std::string line = "cd '" + dir_.string() + "' && '" + VARNODEL_CLI_PATH + "' " +
                                 command + " >/dev/full 2>err.txt; echo $? > rc.txt";
        ASSERT_EQ(std::system(line.c_str()), 0);
        EXPECT_EQ(read("rc.txt"), "1\n") << command;
        EXPECT_EQ(read("err.txt"), "varnodel-cli: the output could not be written\n") << command;
    }
}

}  // namespace
}  // namespace varnodel
