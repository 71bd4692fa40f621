// The reverse run's texts, field by field: the results header, a printed step of the main log,
// its results row and per-mineral row, and the parameter report. Every expected text is written
// out by hand from the layout the program's users read.
#include "io/RevFiles.h"

#include <gtest/gtest.h>

#include <map>

#include "models/_models_cpx.h"
#include "models/_models_ol.h"
#include "models/_models_pl.h"
#include "support/RecordingReporter.h"

namespace varnodel {
namespace {

class MemorySink : public OutputSink {
  public:
    void createFile(const std::filesystem::path& file) override { files[file.string()].clear(); }
    void appendLine(const std::filesystem::path& file, const std::string& line) override {
        files[file.string()].push_back(line);
    }
    void appendLine(const std::filesystem::path& file, const std::string& line,
                    const std::string& header) override {
        auto& lines = files[file.string()];
        if (lines.empty() && !header.empty()) lines.push_back(header);
        lines.push_back(line);
    }
    std::map<std::string, std::vector<std::string>> files;
};

TAnalysis molar(const Oxides& wt, const char* name) {
    TAnalysis a;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        a.oxides[k] = wt[k] / kOxides[k].massPerCation;
    a.name = name;
    return a;
}

const PresentElements kDry{false, {}};
const std::string b6(6, ' ');  // an oxide of 0 in a mineral line

struct RevFileLayout : ::testing::Test {
    RevFileLayout() {
        models[1] = &ford;
        models[2] = &langmuir;
        models[3] = &ariskin;
        info.analysisName = "MORB-1";
        info.settings = &settings;
        info.userSettings = &settings;
        info.models = models;
        info.pressureBlock = &block;
        info.oxidationModelName = "Borisov and Shapkin, 1990";
        melt = molar({50.0, 1.5, 15.0, 1.2, 9.0, 0.2, 8.0, 11.0, 2.5, 0.3, 0.1, 0.05}, "melt");

        // Plagioclase leads; olivine was added before; clinopyroxene has a model and a
        // liquidus but was never added.
        state.leader = 2;
        state.active[1] = state.active[2] = state.active[3] = true;
        state.hasBeenAdded[1] = state.hasBeenAdded[2] = true;
        state.composition = {0.0, 0.85123, 0.6543, -0.01, -0.01, -0.01, -0.01, -0.01, -0.01};
        state.T[1] = 1463.26;
        state.T[2] = 1453.04;
        state.T[3] = 1470.0;
        state.totalMass = 1.25;
        state.fluid = -0.0125;  // fluid taken up by the melt
        state.added[1] = 0.15;
        state.added[2] = 0.1;
        state.oxidationDefined = true;
        state.lgfO2 = -8.234;
        state.dNNO = -0.44;
        state.density = 2.71234;
        state.lnViscosity = 5.0;
        state.minerals.push_back(
            molar({40.5, 0.0, 0.0, 0.0, 12.0, 0.2, 47.0, 0.3, 0.0, 0.0, 0.0, 0.0}, "olivine"));
        state.minerals.push_back(
            molar({52.0, 0.0, 30.0, 0.0, 0.5, 0.0, 0.2, 13.3, 4.0, 0.0, 0.0, 0.0}, "plagioclase"));
    }

    TModelOlivine_Ford1983 ford;
    TModelPlagioclase_Langmuir1992 langmuir;
    TModelClinoPyroxene_Ariskin1986 ariskin;
    PerPhase<const TModel*> models{};
    RunSettings settings;
    TPressureBlock block;
    RevRunInfo info;
    TAnalysis melt;
    RevState state;
    test::RecordingReporter reporter;
    MemorySink sink;
};

TEST(RevResultsHeader, OlivineAndPlagioclase) {
    PerPhase<bool> chosen{};
    chosen[1] = chosen[2] = true;
    EXPECT_EQ(revResultsHeader(chosen, PresentElements{true, {6}}),
              " SiO2_melt, TiO2_melt,Al2O3_melt,Fe2O3_melt,  FeO_melt,  MnO_melt,  MgO_melt,"
              "  CaO_melt, Na2O_melt,  K2O_melt, P2O5_melt,Cr2O3_melt,H2O_melt,Ni_melt,"
              "Temperature,Temperature_Olv,Temperature_Plg,Olv_Fo    ,Olv_Kd,Plg_An    ,"
              "Pressure(kbar),Lg(fO2),dNNO,density,Ln(viscosity),Starting_melt_%,Olv_%,Plg_%,"
              "Fluid_%,Sample");
}

TEST_F(RevFileLayout, PrintedStepLogRowAndMineralFile) {
    RevFiles files("out_REV", kDry, reporter, sink, true);
    files.printedStep(info, state, melt, 2500.0);

    // Kd(Olv-Melt) = ((1 - 0.85123) / 0.85123) x (8 / 40.3) / (9 / 71.85) = 0.277; shares of
    // M = 1.25: Olv 12 %, Plg 8 %, starting melt (1 + 0.0125) / 1.25 = 81 %, fluid 1 %.
    const std::vector<std::string> expectedLog{
        std::string(9, ' ') +
            "  SiO2  TiO2 Al2O3 Fe2O3   FeO   MnO   MgO   CaO  Na2O   K2O  P2O5 Cr2O3",
        "Melt      50.00  1.50 15.00  1.20  9.00  0.20  8.00 11.00  2.50  0.30  0.10  0.05",
        "Plg       52.00" + b6 + " 30.00" + b6 + "  0.50" + b6 + "  0.20" + " 13.30" + "  4.00" +
            b6 + b6 + b6,
        "Olv       40.50" + b6 + b6 + b6 + " 12.00" + "  0.20" + " 47.00" + "  0.30" + b6 + b6 +
            b6 + b6,
        "An= 65.43; Fo= 85.12 Kd(Olv-Melt)= 0.277; ",
        "T=1180.0 (Plg); Lg(fO2)=-8.2 dNNO=-0.4; TOlv=1190.3 TCpx=1197.0",
        "Proportions (wt%) : Olv 12.000; Plg 8.000; The starting melt 81.000; The amount of fluid "
        "added into the melt 1.000",
        "Pressure: 2.500 kbar; Density: 2.712 g/cm3  Viscosity: v=148 poise; ln(v)=5.0",
    };
    EXPECT_EQ(reporter.log, expectedLog);

    const std::vector<std::string> expectedRow{
        "50.0000, 1.5000,15.0000, 1.2000, 9.0000, 0.2000, 8.0000,11.0000, 2.5000, 0.3000,"
        " 0.1000, 0.0500,"
        "1180.0,1190.3,1180.0,1197.0,"  // leader, then Olv, Plg, Cpx
        "85.12,0.277,65.43,-1.00,"      // Cpx never added
        "  2.500, -8.23,-0.4, 2.712, 5.00,"
        "81.0000,12.0000, 8.0000, 0.0000,-1.0000,MORB-1"};
    EXPECT_EQ(sink.files["out_REV.csv"], expectedRow);

    // Every active mineral that has a composition; clinopyroxene has none yet.
    EXPECT_EQ(sink.files.count("out_REV_Cpx.csv"), 0u);
    const std::vector<std::string> expectedPlg{
        " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,"
        "T (C),Melt fraction,An    ,Model,Sample",
        "52.0000, 0.0000,30.0000, 0.0000, 0.5000, 0.0000, 0.2000,13.3000, 4.0000, 0.0000,"
        " 0.0000, 0.0000,1180.0,125.0000,65.4300,Plg-" +
            langmuir.shortName + ",MORB-1"};
    EXPECT_EQ(sink.files["out_REV_Plg.csv"], expectedPlg);
}

// With the buffer "Fe3=0" there is no fO2: "n.d." in the row, nothing in the log; a positive
// fluid is a fluid.
TEST_F(RevFileLayout, WithoutOxidationStateAndWithFluid) {
    state.oxidationDefined = false;
    state.fluid = 0.025;
    RevFiles files("out_REV", kDry, reporter, sink, true);
    files.printedStep(info, state, melt, 1.0);
    EXPECT_EQ(reporter.log[5], "T=1180.0 (Plg); TOlv=1190.3 TCpx=1197.0");
    EXPECT_EQ(reporter.log[6],
              "Proportions (wt%) : Olv 12.000; Plg 8.000; The starting melt 78.000; Fluid 2.000");
    const std::string row = sink.files["out_REV.csv"].at(0);
    EXPECT_NE(row.find("  0.001,n.d.,n.d., 2.712,"), std::string::npos) << row;
}

TEST_F(RevFileLayout, NoticesOfAStep) {
    RevFiles files("out_REV", kDry, reporter, sink, true);
    state.finalStep = true;
    state.excludedNow[2] = true;
    files.stepNotices(info, state);
    const std::vector<std::string> expected{
        "", "                    The final composition:", "",
        "         plagioclase will be excluded from calculations after this step"};
    EXPECT_EQ(reporter.log, expected);
}

TEST_F(RevFileLayout, ParameterReport) {
    TParameters& p = settings.parameters;
    p.bufferOffset = -1.5;
    p.fixedKdOption = true;
    p.calculationStep = 0.05;
    p.stop.flags.fill(false);
    p.stop.flags[Stop::MeltMgO] = true;
    p.stop.values[Stop::MeltMgO] = 12.5;
    settings.minerals[2].pressureCorrection = true;
    settings.minerals[2].pressureSlope = 4.5;
    settings.minerals[2].exclusionFlags[Exclusion::Composition] = true;
    settings.minerals[2].otherSettings[Exclusion::Composition] = 80.0;
    settings.minerals[3].exclusionFlags[Exclusion::Temperature] = true;
    settings.minerals[3].exclusionFlags[Exclusion::MeltMgO] = true;
    block.pressure = 2.0;
    block.stepsMode = true;
    block.steps[1] = {5.0, 10.0};
    block.steps[2] = {8.0, 25.0};
    RevFiles files("out_REV", kDry, reporter, sink, true);
    files.runHeader(info);

    const std::vector<std::string> expected{
        "****************** New calculation ********************",
        "Modelling reverse of fractional crystallisation",
        "Minerals chosen for calculations are:",
        "   Olv, Plg, Cpx",
        "   The model used for Olv is: " + ford.displayName,
        "    Olivine composition is calculated using KD(Fe-Mg) = 0.3",
        "   The model used for Plg is: " + langmuir.displayName,
        "    The correction for the effect of pressure on Plg liquidus temperature is: 4.5 deg / "
        "kbar",
        "   The model used for Cpx is: " + ariskin.displayName,
        "Fe2O3 in the melt is calculated using QFM buffer of oxygen fugacity",
        "   f(O2) is calculated following the model of Borisov and Shapkin, 1990",
        "    deviation from the buffer equals -1.5 log units",
        "Initial Pressure = 2 kbar",
        "   During calculations Pressure is increased at 10 % crystals added to 5 kbars",
        "                                             at 25 % crystals added to 8 kbars",
        "Melt density is calculated following the model of Lange & Carmichael 1987",
        "Melt viscosity is calculated following the model of Bottinga & Weill 1972",
        "Parameters for excluding Plg from calculations:",
        "   Upper compositional limit for Plg: 80 mol%",
        "Parameters for excluding Cpx from calculations:",
        "   Upper temperature limit for Cpx: 1200(C)",
        "   Max melt MgO content for Cpx: 9 wt%",
        "Parameters to stop calculations at:",
        "   Final melt MgO content: 12.5 wt%",
        "The amount of a mineral phase which will be added to",
        "   100% of melt on each step is:    0.05 %",
    };
    EXPECT_EQ(reporter.log, expected);
    // The file is comma-separated: a line with a comma is one quoted field.
    std::vector<std::string> inFile;
    for (const std::string& line : expected)
        inFile.push_back(line.find(',') == std::string::npos ? line : "\"" + line + "\"");
    EXPECT_EQ(sink.files["out_REV_calc_param.csv"], inFile);
}

}  // namespace
}  // namespace varnodel
