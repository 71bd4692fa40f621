#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "CliRunner.h"
#include "engines/MLA.h"
#include "io/MlaFiles.h"
#include "models/ModelRegistry.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;

const std::string kGlasses = std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::size_t fieldCount(const std::string& line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

std::vector<std::string> glassNames() {
    std::vector<std::string> names;
    const auto lines = linesOf(readFile(kGlasses));
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!lines[i].empty()) names.push_back(lines[i].substr(0, lines[i].find(',')));
    return names;
}

class CliMla : public ::testing::Test {
  protected:
    void writeSettings(const std::string& text) { scratch_.write("settings.toml", text); }
    std::string read(const std::string& name) const { return scratch_.read(name); }

    test::ScratchDir scratch_{"varnodel_cli_mla"};
    fs::path dir_ = scratch_.path();
};

TEST_F(CliMla, EveryRegisteredModelOnEveryReferenceGlass) {
    writeSettings(
        "[mla]\nolivine = [\"*\"]\nplagioclase = [\"*\"]\nclinopyroxene = [\"*\"]\n"
        "orthopyroxene = [\"*\"]\npigeonite = [\"*\"]\nspinel = [\"*\"]\nilmenite = [\"*\"]\n"
        "magnetite = [\"*\"]\n");
    const auto result = runCli("mla --data '" + kGlasses +
                                   "' --settings settings.toml --output results.txt "
                                   "--debug-log debug.txt",
                               dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;

    // The header names every model of every set; each glass has a row under it.
    const ModelRegistry registry;
    MlaModels all;
    for (std::size_t s = 0; s < kMineralCount; ++s)
        for (std::size_t i = 0; i < registry.mineralSets()[s]->models.size(); ++i)
            all[s].push_back(i);
    const auto table = linesOf(read("results_MLA.csv"));
    const auto names = glassNames();
    ASSERT_EQ(table.size(), names.size() + 1);
    EXPECT_EQ(table[0], mlaResultsHeader(registry, all, PresentElements{true, {}}));
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& row = table[k + 1];
        EXPECT_EQ(fieldCount(row), fieldCount(table[0])) << row;
        EXPECT_EQ(row.substr(row.size() - names[k].size()), names[k]);
        EXPECT_EQ(row.find("nan"), std::string::npos) << row;
        EXPECT_EQ(row.find("inf"), std::string::npos) << row;
    }

    // The parameter report, and one file per mineral whose rows all carry a sample name.
    const auto report = linesOf(read("results_MLA_calc_param.csv"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0], "Estimation of Melt liquidus assemblage");
    EXPECT_EQ(report.back(), "Pressure = 0.001 kbar");
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        const std::string file =
            "results_MLA_" + std::string(phaseInfo(mineral).abbreviation) + ".csv";
        ASSERT_TRUE(fs::exists(dir_ / file)) << file;
        const auto rows = linesOf(read(file));
        ASSERT_GE(rows.size(), 2u) << file;
        EXPECT_EQ(rows[0], mlaMineralHeader(mineral, PresentElements{true, {}}));
        for (std::size_t k = 1; k < rows.size(); ++k)
            EXPECT_EQ(fieldCount(rows[k]), fieldCount(rows[0])) << rows[k];
    }
    EXPECT_NE(result.out.find("Estimation of Melt liquidus assemblage"), std::string::npos);
    EXPECT_EQ(result.out.find("nan"), std::string::npos);
}

TEST_F(CliMla, TheQuellmarkOlivineAndClinopyroxeneGiveThePressureEstimateOnly) {
    writeSettings("[mla]\nolivine = [\"Quellmark, 2001\"]\nclinopyroxene = [\"Quellm01\"]\n");
    const auto result = runCli(
        "mla --data '" + kGlasses + "' --analysis 1 --settings settings.toml", dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto log = linesOf(result.out);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].rfind(" Estimated Pressure for an Olv-Cpx cotectic = ", 0), 0u)
        << log[log.size() - 2];
    EXPECT_EQ(log.back(), " ");
    EXPECT_EQ(result.out.find("Estimated H2O"), std::string::npos);

    const auto table = linesOf(read("Varnodel_Output_MLA.csv"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0],
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,"
              "P(kbar),log(fO2),Pcalc,H2Ocalc,T Quellm01,Fo Quellm01,T Quellm01,Mg#Cpx Quellm01,"
              "Sample");
    // Pcalc is the logged estimate, H2Ocalc "-1".
    const std::string logged = log[log.size() - 2];
    const std::string estimate = logged.substr(logged.find("= ") + 2);
    const auto row = table[1];
    std::vector<std::string> fields;
    std::stringstream in(row);
    for (std::string f; std::getline(in, f, ',');)
        fields.push_back(f);
    ASSERT_EQ(fields.size(), 22u);
    EXPECT_EQ(fields[15].substr(fields[15].find_first_not_of(' ')) + " kbar", estimate);
    EXPECT_EQ(fields[16], "-1");
    EXPECT_EQ(fields[21], glassNames()[0]);
}

TEST_F(CliMla, WithNoModelChosenTheRowHoldsOnlyTheMeltColumns) {
    writeSettings("[mla]\n");
    const auto result = runCli("mla --quiet --settings settings.toml", dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.out.empty());
    const auto table = linesOf(read("Varnodel_Output_MLA.csv"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0],
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,"
              "P(kbar),log(fO2),Pcalc,H2Ocalc,Sample");
    EXPECT_EQ(fieldCount(table[1]), 17u);
    EXPECT_EQ(table[1].substr(table[1].size() - 38), "  0.001,QFM, -1.000,-1,VarnodelDefault");
    for (const char* mineral : {"Olv", "Plg", "Cpx"})
        EXPECT_FALSE(fs::exists(dir_ / ("Varnodel_Output_MLA_" + std::string(mineral) + ".csv")));
}

TEST_F(CliMla, WithoutAnMlaTableTheSelectedModelsAreEvaluated) {
    const auto result = runCli("mla --quiet", dir_.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const ModelRegistry registry;
    const auto table = linesOf(read("Varnodel_Output_MLA.csv"));
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0], mlaResultsHeader(registry, mlaSelectedModels(registry), {}));
}

TEST_F(CliMla, ASecondRunReplacesTheFilesOfTheFirst) {
    writeSettings("[mla]\nolivine = [\"Ford et al., 1983\"]\n");
    ASSERT_EQ(runCli("mla --quiet --settings settings.toml", dir_.string()).exitCode, 0);
    ASSERT_TRUE(fs::exists(dir_ / "Varnodel_Output_MLA_Olv.csv"));
    const auto second =
        runCli("mla --quiet --set 'mla.plagioclase=[\"Langmuir et al., 1992\"]'", dir_.string());
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_FALSE(fs::exists(dir_ / "Varnodel_Output_MLA_Olv.csv"));
    EXPECT_EQ(linesOf(read("Varnodel_Output_MLA_Plg.csv")).size(), 2u);
    EXPECT_EQ(linesOf(read("Varnodel_Output_MLA.csv")).size(), 2u);
}

TEST_F(CliMla, AnUnknownModelIsAUsageError) {
    writeSettings("[mla]\nolivine = [\"Nobody, 2024\"]\n");
    const auto result = runCli("mla --settings settings.toml", dir_.string());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Nobody, 2024"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "Varnodel_Output_MLA.csv"));
}

}  // namespace
}  // namespace varnodel
