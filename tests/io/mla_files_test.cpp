#include "io/MlaFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/NumberFormat.h"
#include "models/RunState.h"
#include "support/RecordingReporter.h"
#include "support/ReferenceGlasses.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;

// H2O and two traces, Sr before Ni as in the data file's header.
const PresentElements kPresent{true, {11, 6}};

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t positionOf(const ModelRegistry& registry, Phase mineral, const std::string& name) {
    const auto& models = registry.mineralSet(mineral).models;
    for (std::size_t i = 0; i < models.size(); ++i)
        if (models[i]->displayName == name) return i;
    ADD_FAILURE() << "no model " << name;
    return 0;
}

MlaModels fordArisk93Langmuir(const ModelRegistry& registry) {
    MlaModels models;
    models[0] = {positionOf(registry, Phase::Olivine, "Ford et al., 1983"),
                 positionOf(registry, Phase::Olivine, "Ariskin et al., 1993")};
    models[1] = {positionOf(registry, Phase::Plagioclase, "Langmuir et al., 1992")};
    return models;
}

TEST(MlaFileLayout, ResultsHeaderNamesTwoColumnsPerChosenModel) {
    const ModelRegistry registry;
    EXPECT_EQ(mlaResultsHeader(registry, fordArisk93Langmuir(registry), kPresent),
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,Sr,Ni,"
              "P(kbar),log(fO2),Pcalc,H2Ocalc,"
              "T Ford83  ,Fo Ford83  ,T Arisk93 ,Fo Arisk93 ,T Langm92 ,An Langm92 ,Sample");
    EXPECT_EQ(mlaResultsHeader(registry, {}, {}),
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,"
              "P(kbar),log(fO2),Pcalc,H2Ocalc,Sample");
}

TEST(MlaFileLayout, MineralHeaderKeepsTheLabelsBlanks) {
    EXPECT_EQ(mlaMineralHeader(Phase::Olivine, kPresent),
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,Sr,Ni,"
              "T (C),Fo    ,Model,Sample");
    EXPECT_EQ(mlaMineralHeader(Phase::Clinopyroxene, {}),
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,"
              "T (C),Mg#Cpx,Model,Sample");
}

// A melt in the molar form from wt% and ppm.
TAnalysis molarMelt() {
    TAnalysis melt;
    const Oxides wt{50.81, 1.85, 14.06, 1.2, 9.8, 0.22, 6.71, 11.12, 2.62, 0.19, 0.2, 0.0};
    for (std::size_t k = 0; k < kOxideCount; ++k)
        melt.oxides[k] = wt[k] / kOxides[k].massPerCation;
    melt.notDetermined[Ox::MnO] = true;
    melt.volatile_.value = 1.5 / 18.0;
    melt.traces[10].value = 250.0 / 10000.0 / kTraces[10].mass;  // Sr
    melt.traces[5].value = 120.5 / 10000.0 / kTraces[5].mass;    // Ni
    return melt;
}

TEST(MlaFileLayout, ResultsRowFieldByField) {
    const ModelRegistry registry;
    const auto& olivine = registry.mineralSet(Phase::Olivine).models;
    MlaResultRow row;
    row.sample = "Sample A";
    row.melt = molarMelt();
    row.pressureBar = 2000.0;
    row.oxygen = "QFM+1.0";
    row.estimatedPressure = 1.25;
    row.estimatedH2O = 0.1;  // 1.8 wt%
    row.models = {{Phase::Olivine, olivine[0].get(), false, 1473.456, 0.875},
                  {Phase::Olivine, olivine[1].get(), true, -1.0, 0.0},
                  {Phase::Olivine, olivine[2].get(), false, 1373.0, 0.5}};
    EXPECT_EQ(mlaResultsRow(row, kPresent),
              "50.8100, 1.8500,14.0600, 1.2000, 9.8000,-1.00, 6.7100,11.1200, 2.6200, 0.1900,"
              " 0.2000, 0.0000, 1.5000,250.0,120.5,  2.000,QFM+1.0,  1.250, 1.8000,"
              "1200.46,87.50,-1,-1,1100.00,50.00,Sample A");

    // Without estimates, and with H2O not determined.
    row.h2oNotDetermined = true;
    row.estimatedPressure = -1.0;
    row.estimatedH2O = -1.0;
    row.oxygen = "n.d.";
    row.models.clear();
    EXPECT_EQ(mlaResultsRow(row, kPresent),
              "50.8100, 1.8500,14.0600, 1.2000, 9.8000,-1.00, 6.7100,11.1200, 2.6200, 0.1900,"
              " 0.2000, 0.0000,-1,250.0,120.5,  2.000,n.d., -1.000,-1,Sample A");
}

TEST(MlaFileLayout, MineralRowInWeightPercentWithTheFractionAndTheModel) {
    const ModelRegistry registry;
    MlaMineralRow row;
    row.sample = "Sample A";
    row.mineral = Phase::Olivine;
    row.model = registry.mineralSet(Phase::Olivine).models[0].get();
    row.composition.oxides = {40.1, 0.0, 0.0, 0.0, 12.25, 0.2, 47.45, 0.0, 0.0, 0.0, 0.0, 0.0};
    row.T = 1473.456;
    row.X = 0.875;
    EXPECT_EQ(mlaMineralFileRow(row, kPresent),
              "40.1000, 0.0000, 0.0000, 0.0000,12.2500, 0.2000,47.4500, 0.0000, 0.0000, 0.0000,"
              " 0.0000, 0.0000, 0.0000,  0.0,  0.0,1200.5, 0.8750,Olv-Ford83  ,Sample A");
}

// --- the run-parameter file -----------------------------------------------------------------

TEST(MlaParameterReport, ModelsCorrectionsBufferAndPressure) {
    RunState state;
    MlaModels models;
    models[0] = {positionOf(state.registry(), Phase::Olivine, "Ford et al., 1983"),
                 positionOf(state.registry(), Phase::Olivine, "Quellmark, 2001")};
    models[1] = {positionOf(state.registry(), Phase::Plagioclase, "Langmuir et al., 1992")};
    RunSettings& s = state.settings;
    s.minerals[1].h2oCorrection = true;
    s.minerals[1].h2oA = 74.403;
    s.minerals[1].h2oB = 0.352;
    s.minerals[2].pressureCorrection = true;
    s.minerals[2].pressureSlope = 5.5;
    s.minerals[3].h2oCorrection = true;  // no clinopyroxene model chosen: not reported
    s.parameters.bufferOffset = -1.0;
    const std::vector<std::string> expected{
        "Estimation of Melt liquidus assemblage",
        "Minerals and models chosen for calculations are:",
        "   Olivine: Ford et al., 1983, Quellmark, 2001",
        "   Plagioclase: Langmuir et al., 1992",
        "    The correction for the effect of H2O on Olv liquidus temperature is: dT = - "
        "74.403*H2O(wt%)^0.352",
        "    The correction for the effect of pressure on Plg liquidus temperature is: 5.5 deg / "
        "kbar",
        "Fe2O3 in the melt is calculated using QFM buffer of oxygen fugacity",
        "  following the model of Borisov and Shapkin, 1990",
        "    deviation from the buffer equals -1 log units",
        "Pressure = 2.5 kbar",
    };
    EXPECT_EQ(mlaParameterLines(s, state.registry(), models, 2.5), expected);
}

struct OxidationCase {
    const char* name;
    void (*configure)(TParameters&);
    std::vector<std::string> lines;  // between the models and the pressure
};

void PrintTo(const OxidationCase& c, std::ostream* os) {
    *os << c.name;
}

class MlaParameterOxidation : public ::testing::TestWithParam<OxidationCase> {};

TEST_P(MlaParameterOxidation, OneLineForEachMode) {
    RunState state;
    GetParam().configure(state.settings.parameters);
    auto lines = mlaParameterLines(state.settings, state.registry(), {}, 0.001);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "Pressure = 0.001 kbar");
    const std::vector<std::string> middle(lines.begin() + 2, lines.end() - 1);
    EXPECT_EQ(middle, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MlaParameterOxidation,
    ::testing::Values(
        OxidationCase{"Equation",
                      [](TParameters& p) {
                          p.bufferMode = false;
                          p.equationMode = true;
                          p.equationA = 0.5;
                          p.equationB = 9.0;
                      },
                      {"Fe2O3 in the melt is calculated using  the equation (Fe2/Fe3)melt = 0.5 "
                       "* Fo + 9"}},
        OxidationCase{"FixedRatio",
                      [](TParameters& p) {
                          p.bufferMode = false;
                          p.fixedRatioMode = true;
                          p.fixedRatio = 4.5;
                      },
                      {"Fe2O3 in the melt is calculated using (Fe2/Fe3)melt = 4.5"}},
        OxidationCase{"ClosedSystem",
                      [](TParameters& p) {
                          p.bufferMode = false;
                          p.closedSystemMode = true;
                      },
                      {"Fe2O3 in the melt is calculated using  an assumption of closed system "
                       "for oxygen"}},
        OxidationCase{"NoFerricBuffer",
                      [](TParameters& p) {
                          p.bufferModel = "Fe3=0";
                          p.bufferOffset = 0.5;
                      },
                      {"Fe2O3 in the melt is calculated using Fe3=0 buffer of oxygen fugacity",
                       "    deviation from the buffer equals 0.5 log units"}},
        OxidationCase{"KressOnNNO",
                      [](TParameters& p) {
                          p.bufferModel = "Ni-NiO";
                          p.oxidationModel = "Kress88 ";
                      },
                      {"Fe2O3 in the melt is calculated using Ni-NiO buffer of oxygen fugacity",
                       "  following the model of Kress and Carmichael, 1988"}}));

// --- the files ------------------------------------------------------------------------------

class MlaFilesTest : public ::testing::Test {
  protected:
    test::ScratchDir scratch_{"varnodel_mla"};
    fs::path folder_ = scratch_.path();
    test::RecordingReporter reporter_;
    DirectSink disk_;
};

TEST_F(MlaFilesTest, AMineralFileGetsItsHeaderOnceAndTheRowsOfEverySample) {
    const ModelRegistry registry;
    const std::string base = (folder_ / "out_MLA").string();
    MlaFiles files(base, kPresent, reporter_, disk_);
    MlaMineralRow row;
    row.mineral = Phase::Plagioclase;
    row.model = registry.mineralSet(Phase::Plagioclase).models[0].get();
    row.T = 1473.0;
    row.X = 0.75;
    row.sample = "A";
    files.mineralRow(row);
    row.sample = "B";
    files.mineralRow(row);
    MlaResultRow result;
    result.sample = "A";
    result.oxygen = "n.d.";
    files.resultRow(result);

    const std::string plagioclase = readText(base + "_Plg.csv");
    EXPECT_EQ(plagioclase,
              mlaMineralHeader(Phase::Plagioclase, kPresent) + "\n" +
                  mlaMineralFileRow({"A", row.mineral, row.model, {}, 1473.0, 0.75}, kPresent) +
                  "\n" + mlaMineralFileRow(row, kPresent) + "\n");
    EXPECT_EQ(readText(base + ".csv"), mlaResultsRow(result, kPresent) + "\n");
    EXPECT_FALSE(fs::exists(base + "_Olv.csv"));
}

TEST_F(MlaFilesTest, TheStartingCompositionIsLoggedUnderTheSampleName) {
    MlaFiles files((folder_ / "out_MLA").string(), {}, reporter_, disk_);
    TAnalysis melt;
    melt.oxides[Ox::SiO2] = 50.0 / kOxides[Ox::SiO2].massPerCation;
    melt.oxides[Ox::MgO] = 9.995 / kOxides[Ox::MgO].massPerCation;
    melt.notDetermined[Ox::P2O5] = true;
    files.startingComposition("Glass 1", melt);
    const std::vector<std::string> expected{
        "", "Glass 1",
        "           SiO2  TiO2 Al2O3 Fe2O3   FeO   MnO   MgO   CaO  Na2O   K2O  P2O5 Cr2O3",
        "          50.00  0.00  0.00  0.00  0.00  0.00 10.00  0.00  0.00  0.00  n.d.  0.00"};
    EXPECT_EQ(reporter_.log, expected);
}

TEST_F(MlaFilesTest, ARowThatCannotBeWrittenNamesTheWriterAndTheSample) {
    const std::string base = (folder_ / "missing" / "out_MLA").string();
    MlaFiles files(base, {}, reporter_, disk_);
    const ModelRegistry registry;
    MlaMineralRow row;
    row.model = registry.mineralSet(Phase::Olivine).models[0].get();
    row.sample = "Glass 1";
    EXPECT_THROW(files.mineralRow(row), std::ios_base::failure);
    MlaResultRow result;
    result.sample = "Glass 2";
    EXPECT_THROW(files.resultRow(result), std::ios_base::failure);
    const std::vector<std::string> expected{
        "An error writing to " + base +
            " (from MLA.PrintMineralFiles with Glass 1). Either the file with this name is opened "
            "in another program, or there is a disk problem. Calculation aborted.",
        "An error writing to " + base +
            " (from MLA.PrintFileForExport with Glass 2). Either the file with this name is "
            "opened in another program, or there is a disk problem. Calculation aborted."};
    EXPECT_EQ(reporter_.messages, expected);
}

// The writer names the file it could not write; the run then ends as an input/output error, as
// a forward run does.
TEST_F(MlaFilesTest, ARunWhoseFilesCannotBeWrittenEndsAsAnInputOutputError) {
    RunState state;
    MlaModels models;
    models[0] = {0};
    RunSnapshot snapshot = state.snapshot();
    MlaFiles files((folder_ / "missing" / "out_MLA").string(), {}, reporter_, disk_);
    const auto glass = test::referenceGlasses().at(0);
    TAssemblage start;
    start.name = glass.name;
    start.phases = {glass.melt};
    TMLAThread engine(snapshot, start, models, files, reporter_);
    EXPECT_EQ(engine.run(), RunOutcome::Failed);
    ASSERT_EQ(reporter_.messages.size(), 2u);
    EXPECT_NE(reporter_.messages[0].find("(from MLA.PrintMineralFiles with " + glass.name),
              std::string::npos);
    EXPECT_EQ(reporter_.messages[1],
              "A Input/Output error with " + glass.name + ". Calculation aborted.");
}

TEST_F(MlaFilesTest, TheParameterReportGoesToTheFileAndTheLog) {
    RunState state;
    const std::string base = (folder_ / "out_MLA").string();
    writeMlaParameterReport(base, reporter_, disk_, state.settings, state.registry(), {}, 0.001);
    const auto lines = mlaParameterLines(state.settings, state.registry(), {}, 0.001);
    std::string text;
    for (const auto& line : lines)
        text += csvField(line) + "\n";
    EXPECT_EQ(readText(base + "_calc_param.csv"), text);
    EXPECT_EQ(reporter_.log, lines);
}

}  // namespace
}  // namespace varnodel
