// The real command-line program through forward runs and liquidus associations of the reference
// glasses and of hostile melts, with many models at once, in parallel: it never crashes, and no
// log line and no file it writes holds a number that is not one ("nan", "-nan", "inf").
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CliRunner.h"
#include "support/NonNumberText.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::hasNonNumberToken;
using test::readFile;
using test::runCli;

// The reference glasses, then melts that no model was calibrated on.
std::string sweepData() {
    std::string data = readFile(std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv");
    if (!data.empty() && data.back() != '\n') data += '\n';
    data +=
        "all SiO2,100,0,0,0,0,0,0,0,0,0,0,0\n"
        "no MgO,50.81,1.85,14.06,11.84,0.22,0,11.12,2.62,0.19,0.20,0,0\n"
        "no FeO,50.81,1.85,14.06,0,0.22,6.71,11.12,2.62,0.19,0.20,0,0\n"
        "no CaO,50.81,1.85,14.06,11.84,0.22,6.71,0,2.62,0.19,0.20,0,0\n"
        "no alkalis,50.81,1.85,14.06,11.84,0.22,6.71,11.12,0,0,0.20,0,0\n"
        "picrite 25 MgO,45,1.0,9.5,11.5,0.18,25,6.5,1.2,0.3,0.1,0.25,0\n"
        "rhyolite 75 SiO2,75,0.2,13,1.5,0.05,0.3,1.2,4.0,4.5,0.05,0,0\n"
        "30 H2O,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,0,30\n"
        "fayalite melt,50,0,0,50,0,0,0,0,0,0,0,0\n";
    return data;
}

struct SweepRun {
    const char* name;
    const char* command;  // "frac" or "mla"
    const char* settings;
};

const SweepRun kRuns[] = {
    {"BasaltAndOxidesQfm", "frac",
     "[models]\n"
     "olivine = \"Ford et al., 1983\"\n"
     "plagioclase = \"Langmuir et al., 1992\"\n"
     "clinopyroxene = \"Langmuir et al., 1992\"\n"
     "spinel = \"Ariskin & Nikolaev, 1996\"\n"
     "ilmenite = \"Ariskin & Barmina,1999\"\n"
     "magnetite = \"Ariskin, Barmina 1999\"\n"
     "[run]\nstep = 1.0\n[stop]\ncondition = \"crystallisation\"\nvalue = 10.0\n"},
    {"NielsenRatioAtPressure", "frac",
     "[composition]\npressure = 5.0\n"
     "[models]\n"
     "olivine = \"Nielsen 1988\"\n"
     "plagioclase = \"Nielsen, 1985\"\n"
     "clinopyroxene = \"Nielsen, 1988\"\n"
     "pigeonite = \"Nielsen, 1988\"\n"
     "spinel = \"Nielsen, 1985\"\n"
     "ilmenite = \"Nielsen, 1985\"\n"
     "[oxidation]\nmode = \"ratio\"\nratio = 9.0\n"
     "[run]\nstep = 1.0\n[stop]\ncondition = \"crystallisation\"\nvalue = 10.0\n"},
    {"WetModelsCorrected", "frac",
     "[composition]\npressure = 2.0\n"
     "[models]\n"
     "olivine = \"Putirka, 2005 (C-D)\"\n"
     "plagioclase = \"Brisande&Gerya, 1998\"\n"
     "orthopyroxene = \"Beattie, 1983\"\n"
     "[minerals.olivine]\nh2o_correction = [74.403, 0.352]\npressure_correction = 4.0\n"
     "[oxidation]\nmode = \"closed\"\n"
     "[run]\nstep = 1.0\ndensity = \"Nelson, Carmichael 1979\"\n"
     "viscosity = \"Giordano, Dingwell 2003\"\n"
     "[stop]\ncondition = \"crystallisation\"\nvalue = 10.0\n"},
    {"OlivineEquation", "frac",
     "[composition]\npressure = 2.0\n"
     "[models]\nolivine = \"Ford et al., 1983\"\n"
     "[oxidation]\nmode = \"olivine\"\na = 0.05\nb = 4.0\n"
     "[run]\nstep = 1.0\n[stop]\ncondition = \"crystallisation\"\nvalue = 10.0\n"},
    {"EveryModelQfm", "mla",
     "[mla]\n"
     "olivine = [\"*\"]\nplagioclase = [\"*\"]\nclinopyroxene = [\"*\"]\n"
     "orthopyroxene = [\"*\"]\npigeonite = [\"*\"]\nspinel = [\"*\"]\n"
     "ilmenite = [\"*\"]\nmagnetite = [\"*\"]\n"},
    {"EveryModelRatioAtPressure", "mla",
     "[composition]\npressure = 5.0\n"
     "[oxidation]\nmode = \"ratio\"\nratio = 4.0\n"
     "[minerals.plagioclase]\nh2o_correction = [121.75, 0.512]\npressure_correction = 3.0\n"
     "[mla]\n"
     "olivine = [\"*\"]\nplagioclase = [\"*\"]\nclinopyroxene = [\"*\"]\n"
     "orthopyroxene = [\"*\"]\npigeonite = [\"*\"]\nspinel = [\"*\"]\n"
     "ilmenite = [\"*\"]\nmagnetite = [\"*\"]\n"},
};

class CliSweep : public ::testing::TestWithParam<SweepRun> {
  protected:
    void SetUp() override {
        scratch_.write("melts.csv", sweepData());
        scratch_.write("settings.toml", GetParam().settings);
    }

    test::ScratchDir scratch_{"varnodel_cli_sweep"};
    fs::path dir_ = scratch_.path();
};

// Each line of `text` that shows a number that is not one, with where it stands.
std::string nonNumberLines(const std::string& where, const std::string& text) {
    std::string found;
    std::stringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (hasNonNumberToken(line)) found += where + ":" + std::to_string(n) + ": " + line + "\n";
    }
    return found;
}

TEST_P(CliSweep, NoCrashAndNoNumberThatIsNotOne) {
    const SweepRun& run = GetParam();
    const auto result = runCli(std::string(run.command) +
                                   " --data melts.csv --settings settings.toml --output sweep "
                                   "--debug-log debug.log --jobs 2",
                               dir_.string());
    // 0: every analysis ran; 1: some ended with one of the program's error reports.
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode << result.err;
    EXPECT_NE(result.out.find("fayalite melt"), std::string::npos);  // the last one was reached

    std::string found = nonNumberLines("stdout", result.out) + nonNumberLines("stderr", result.err);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        const std::string name = entry.path().filename().string();
        if (name == "melts.csv" || name == "settings.toml") continue;
        ++files;
        found += nonNumberLines(name, readFile(entry.path()));
    }
    EXPECT_GE(files, 4);  // the table, the run description, a mineral file, the diagnostics
    EXPECT_EQ(found, "");
}

INSTANTIATE_TEST_SUITE_P(ModelsAndMelts, CliSweep, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnodel
