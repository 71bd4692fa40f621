// Every result and parameter file of every calculation, read as a user reads it: by Python's
// csv module and by pandas (tests/cli/read_result_files.py), with sample names that hold the
// characters a CSV reader splits on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::runCli;

// Two reference glasses in a tab-separated file, whose names a comma-separated file could not
// hold as they are.
const char* const kData =
    "Name\tSiO2\tTiO2\tAl2O3\tFeOt\tMnO\tMgO\tCaO\tNa2O\tK2O\tP2O5\tCr2O3\tH2O\n"
    "VG-2, Juan de Fuca\t50.81\t1.85\t14.06\t11.84\t0.22\t6.71\t11.12\t2.62\t0.19\t0.20\t0\t0\n"
    "KL2-G; \"Kilauea\"\t50.32\t2.56\t13.30\t10.70\t0.17\t7.34\t10.90\t2.35\t0.48\t0.23\t0.04\t0\n";
const char* const kNames = "VG-2, Juan de Fuca\nKL2-G; \"Kilauea\"\n";

// Every mineral set with its models, so that every per-mineral file is written.
const char* const kSettings =
    "[models]\nolivine = \"Ford et al., 1983\"\nplagioclase = \"Langmuir et al., 1992\"\n"
    "clinopyroxene = \"Langm92\"\n"
    "[mla]\nolivine = [\"*\"]\nplagioclase = [\"*\"]\nclinopyroxene = [\"*\"]\n"
    "orthopyroxene = [\"*\"]\npigeonite = [\"*\"]\nspinel = [\"*\"]\nilmenite = [\"*\"]\n"
    "magnetite = [\"*\"]\n"
    "[run]\nstep = 0.5\n[stop]\ncondition = \"crystallisation\"\nvalue = 40.0\n";

struct Calculation {
    const char* subcommand;
    const char* suffix;    // of the files it writes under --output out
    const char* options;   // beside --data and --settings
    std::size_t minFiles;  // the table, its parameters, per-mineral files
};
// Each calculation of the command line; one that writes result files belongs here.
const Calculation kCalculations[] = {
    {"frac", "_FRAC", " --output out --quiet", 4},
    {"mla", "_MLA", " --output out --quiet", 4},
    {"calc", "_CALC", " --temperature 1150 --output out_CALC.csv --csv", 1},
};

class CsvReaders : public ::testing::TestWithParam<Calculation> {};

TEST_P(CsvReaders, ReadEveryFileWithTheHeadersColumnsInEveryRow) {
    test::ScratchDir scratch{"varnodel_csv_readers"};
    scratch.write("glasses.txt", kData);
    scratch.write("names.txt", kNames);
    scratch.write("settings.toml", kSettings);
    const auto run = runCli(std::string(GetParam().subcommand) +
                                " --data glasses.txt --settings settings.toml" + GetParam().options,
                            scratch.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::string files;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(std::string("out") + GetParam().suffix, 0) != 0) continue;
        if (name.ends_with("_settings.toml")) continue;  // the run's settings record, no table
        files += " '" + name + "'";
        ++count;
    }
    ASSERT_GE(count, GetParam().minFiles);
    const std::string command = "cd '" + scratch.path().string() + "' && '" VARNODEL_PYTHON3 +
                                "' '" VARNODEL_TEST_SCRIPTS_DIR "/read_result_files.py' names.txt" +
                                files + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << out << "(the check needs python3 with pandas: python3-pandas)";
}

INSTANTIATE_TEST_SUITE_P(Calculations, CsvReaders, ::testing::ValuesIn(kCalculations),
                         [](const auto& info) { return std::string(info.param.subcommand); });

}  // namespace
}  // namespace varnodel
