// varnodel-cli ironloss: the settings it leaves for the diffusion profiles, and the inputs it
// refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "CliRunner.h"
#include "core/NumberFormat.h"
#include "io/SettingsFile.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;

const std::string kInclusions = std::string(VARNODEL_TEST_DATA_DIR) + "/melt_inclusions.csv";

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    std::stringstream in(line);
    for (std::string part; std::getline(in, part, ',');)
        parts.push_back(part);
    return parts;
}

// The reconstructed melt (row No. 3) becomes the profiles' starting melt, the measured
// inclusion's liquidus (row No. 1) their T_exp, with the reheating switched on; the file reads
// back as settings.
TEST(CliIronLoss, WritesTheSettingsOfTheProfiles) {
    test::ScratchDir dir("varnodel_ironloss");
    const auto run = runCli(
        "ironloss --data '" + kInclusions + "' --analysis 4 --quiet --write-settings profiles.toml",
        dir.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::stringstream table(readFile(dir.path() / "Varnodel_Output_IRL.csv"));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(table, line);)
        rows.push_back(fields(line));
    ASSERT_EQ(rows.size(), 4u);

    RunState state;
    MlaChoice mla = MlaChoice::selectedIn(state.registry());
    loadSettings(state, mla, dir.path() / "profiles.toml");
    ASSERT_EQ(state.profileComposition.phases.size(), 1u);
    const TAnalysis& melt = state.profileComposition.phases[0];
    for (std::size_t k = 0; k < kOxideCount; ++k)
        EXPECT_NEAR(melt.oxides[k], std::stod(rows[3][k]), 0.0005) << kOxides[k].label;
    const TMeltInclusionSettings& mi = state.settings.parameters.meltInclusions;
    EXPECT_NEAR(mi.reheatingTemperature, std::stod(rows[1][13]), 0.5);
    EXPECT_TRUE(mi.simulateReheating);
    EXPECT_EQ(state.composition.name, "MI-4 just below target");
}

struct Refusal {
    const char* name;
    const char* data;  // the data file's lines
    const char* options;
    const char* text;  // in stderr
};

class CliIronLossRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(CliIronLossRefuses, WithItsText) {
    const Refusal c = GetParam();
    test::ScratchDir dir("varnodel_ironloss");
    { std::ofstream(dir.path() / "data.csv") << c.data; }
    const auto run =
        runCli(std::string("ironloss --data data.csv --quiet ") + c.options, dir.path().string());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.path() / "Varnodel_Output_IRL.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliIronLossRefuses,
    ::testing::Values(
        Refusal{"NoHostFo",
                "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3\n"
                "A,49.8,1.2,16.2,7.0,0.15,7.6,12.6,2.5,0.12,0.12,0.05\n",
                "",
                " The data file chosen does not contain values for host Fo and/or final FeO "
                "content of the inclusions. Add required data and reload the file."},
        Refusal{"SettingsOfAWholeFile",
                "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O,FO_HOST,"
                "FEO_FINAL\nA,49.8,1.2,16.2,7.0,0.15,7.6,12.6,2.5,0.12,0.12,0.05,0,88,9\n"
                "B,49.8,1.2,16.2,7.0,0.15,7.6,12.6,2.5,0.12,0.12,0.05,0,88,9\n",
                "--write-settings p.toml", "--write-settings takes the melt of one inclusion"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnodel
