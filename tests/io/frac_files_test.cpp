// The forward run's texts, field by field: the run header, a printed step of the main log, the
// row of the export table and the per-mineral file. Every expected text is written out by hand
// from the layout the program's users read (labels, blanks, decimals, column order), so that a
// slip in one format or one word shows.
#include "io/FracFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "models/_models_cpx.h"
#include "models/_models_ol.h"
#include "models/_models_pl.h"
#include "support/RecordingReporter.h"

namespace varnodel {
namespace {

// Keeps every line in memory, by file; a file's header is kept once, before its first line.
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

// A phase in the molar form from wt% and the Ni content in ppm.
TAnalysis molar(const Oxides& wt, double h2o, double niPpm, const char* name) {
    TAnalysis a;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        a.oxides[k] = wt[k] / kOxides[k].massPerCation;
    a.volatile_.value = h2o / kVolatileMass;
    a.traces[5].value = niPpm / 10000.0 / kTraces[5].mass;
    a.name = name;
    return a;
}

// H2O and Ni present.
const PresentElements kPresent{true, {6}};

struct FracFileLayout : ::testing::Test {
    FracFileLayout() {
        models[1] = &ford;
        models[2] = &langmuir;
        models[3] = &ariskin;
        info.analysisName = "VG-2";
        info.settings = &settings;
        info.userSettings = &settings;
        info.models = models;
        info.pressureBlock = &block;

        // The melt: P2O5 not determined (0, flagged), with Fe2O3 and FeO.
        melt = molar({50.0, 1.5, 15.0, 1.2, 9.0, 0.2, 8.0, 11.0, 2.5, 0.3, 0.0, 0.05}, 1.1, 150.0,
                     "melt");
        melt.notDetermined[Ox::P2O5] = true;

        // Plagioclase leads; olivine crystallised before and sits in magma and cumulate;
        // clinopyroxene has a model but has never crystallised.
        state.leader = 2;
        state.inAssemblage[1] = state.inAssemblage[2] = true;
        state.activeSincePrint[2] = true;
        state.composition = {0.0, 0.85123, 0.6543, -0.01, -0.01, -0.01, -0.01, -0.01, -0.01};
        state.T[1] = 1463.26;
        state.T[2] = 1473.04;
        state.T[3] = 1450.0;
        state.meltFraction = 0.896;
        state.fluidFraction = 0.004;
        state.crystalsInMagma[1] = 0.02;
        state.crystalsInMagma[2] = 0.03;
        state.crystalsInCumulate[1] = 0.05;
        state.lgfO2 = -8.234;
        state.dNNO = -0.44;
        state.density = 2.71234;
        state.lnViscosity = 5.0;
        state.crystals.push_back(
            molar({40.5, 0.0, 0.0, 0.0, 12.0, 0.2, 47.0, 0.3, 0.0, 0.0, 0.0, 0.0}, 0.0, 1500.0,
                  "olivine"));
        state.crystals.push_back(
            molar({52.0, 0.0, 30.0, 0.0, 0.5, 0.0, 0.2, 13.3, 4.0, 0.0, 0.0, 0.0}, 0.0, 0.0,
                  "plagioclase"));
        // The olivine cumulate, Fo = (45 / 40.3) / (45 / 40.3 + 10 / 71.85) = 0.88917.
        const TAnalysis cumulate = molar(
            {0.0, 0.0, 0.0, 0.0, 10.0, 0.0, 45.0, 0.0, 0.0, 0.0, 0.0, 0.0}, 0.0, 0.0, "olivine");
        state.cumulate.push_back(cumulate);
        state.magma = melt;
        state.cumulateTotal = cumulate;
    }

    TModelOlivine_Ford1983 ford;
    TModelPlagioclase_Langmuir1992 langmuir;
    TModelClinoPyroxene_Ariskin1986 ariskin;
    PerPhase<const TModel*> models{};
    RunSettings settings;
    TPressureBlock block;
    FracRunInfo info;
    TAnalysis melt;
    FracState state;
    test::RecordingReporter reporter;
    MemorySink sink;
};

// Six blanks stand for an oxide of 0 in a mineral line, seven for a trace.
const std::string b6(6, ' ');
const std::string b7(7, ' ');
const std::string kLabels = std::string(9, ' ') +
                            "  SiO2  TiO2 Al2O3 Fe2O3   FeO   MnO   MgO   CaO  Na2O   K2O  P2O5"
                            " Cr2O3   H2O     Ni";
const std::string kMeltValues =
    " 50.00  1.50 15.00  1.20  9.00  0.20  8.00 11.00  2.50  0.30  n.d."
    "  0.05  1.10  150.0";

TEST_F(FracFileLayout, PrintedStepOfTheMainLog) {
    FracFiles files("out_FRAC", kPresent, reporter, sink, true);
    files.printedStep(info, state, melt, 1000.0, true);
    // Kd(Olv-Melt) = ((1 - 0.85123) / 0.85123) x (8 / 40.3) / (9 / 71.85) = 0.277.
    // T - 273: 1200.04, 1190.26 and 1177.0; exp(5) = 148.4 poise.
    const std::vector<std::string> expected{
        "",
        "                    The final composition:",
        "",
        kLabels,
        "Magma    " + kMeltValues,
        "Melt     " + kMeltValues,
        "Plg       52.00" + b6 + " 30.00" + b6 + "  0.50" + b6 + "  0.20" + " 13.30" + "  4.00" +
            b6 + b6 + b6 + b6 + b7,
        "Olv       40.50" + b6 + b6 + b6 + " 12.00" + "  0.20" + " 47.00" + "  0.30" + b6 + b6 +
            b6 + b6 + b6 + " 1500.0",
        "An= 65.43; Fo= 85.12(88.92) Kd(Olv-Melt)= 0.277; ",
        "T=1200.0 (Plg); Lg(fO2)= -8.2 dNNO=-0.4; TOlv=1190.3 TCpx=1177.0",
        "Amounts (wt%) of magma components: Melt 89.600; Fluid  0.400; Olv  2.000; Plg  3.000*;",
        "Pressure:   1.000 kbar; Density:   2.712 g/cm3  Viscosity: v= 148 poise; ln(v)=  5.0",
        kLabels,
        "Cumulate   0.00  0.00  0.00  0.00 10.00  0.00 45.00  0.00  0.00  0.00  0.00  0.00  0.00"
        "    0.0",
        "Amounts (wt%) of cumulate minerals: Olv  5.000;",
    };
    EXPECT_EQ(reporter.log, expected);
}

TEST_F(FracFileLayout, ExportRowAndMineralFile) {
    FracFiles files("out_FRAC", kPresent, reporter, sink, true);
    files.printedStep(info, state, melt, 1000.0, false);

    const std::string meltFields =
        "50.0000, 1.5000,15.0000, 1.2000, 9.0000, 0.2000, 8.0000,"
        "11.0000, 2.5000, 0.3000,-1.00, 0.0500, 1.1000,150.0,";
    const std::string cumulateFields =
        " 0.0000, 0.0000, 0.0000, 0.0000,10.0000, 0.0000,45.0000,"
        " 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000,  0.0,";
    const std::string expectedStart =
        meltFields + meltFields + cumulateFields +
        "1200.040,1190.260,1200.040,1177.000,"    // leader, then Olv, Plg, Cpx
        "85.12,0.277,65.43,-1.00,"                // numbers in the magma, Olv with its Kd
        "88.92,-1.00,-1.00,"                      // numbers in the cumulate
        "  1.000, -8.23,-0.4, 2.712, 5.00,"       // P, Lg(fO2), dNNO, density, ln(v)
        "89.6000, 2.0000,N, 3.0000,N, 0.0000,N,"  // melt, then per mineral and peritectic
        " 0.4000, 5.0000, 0.0000, 0.0000,VG-2,";  // fluid, cumulate per mineral, sample
    const auto& table = sink.files["out_FRAC.csv"];
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(table[0].size(), expectedStart.size() + 19) << "YYYY-MM-DD HH:MM:SS";

    // Only plagioclase crystallised since the last print.
    EXPECT_EQ(sink.files.count("out_FRAC_Olv.csv"), 0u);
    const auto& plg = sink.files["out_FRAC_Plg.csv"];
    const std::vector<std::string> expectedPlg{
        " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,Ni,"
        "T (C),Melt fraction,An    ,Model,Sample",
        "52.0000, 0.0000,30.0000, 0.0000, 0.5000, 0.0000, 0.2000,13.3000, 4.0000, 0.0000,"
        " 0.0000, 0.0000, 0.0000,  0.0,1200.0,89.6000,65.4300,\"Plg-Langmuir et al., 1992\",VG-2"};
    EXPECT_EQ(plg, expectedPlg);
}

TEST_F(FracFileLayout, RunHeaderLinesAndParameterFile) {
    TParameters& p = settings.parameters;
    p.bufferMode = false;
    p.fixedRatioMode = true;
    p.fixedRatio = 9.0;
    p.toplisOption = true;
    p.calculationStep = 0.5;
    p.stop.flags.fill(false);
    p.stop.flags[Stop::An] = true;
    p.stop.values[Stop::An] = 55.0;
    p.stop.flags[Stop::Temperature] = true;
    p.stop.values[Stop::Temperature] = 1050.0;
    settings.minerals[1].h2oCorrection = true;
    settings.minerals[1].h2oA = 40.4;
    settings.minerals[1].h2oB = 0.7;
    settings.minerals[2].fractionation = 50.0;
    settings.minerals[2].pressureCorrection = true;
    settings.minerals[2].pressureSlope = 4.5;
    models[3] = nullptr;
    info.models = models;
    block.pressure = 2.0;
    block.stepsMode = true;
    block.steps[1] = {1.5, 10.0};
    block.steps[2] = {1.0, 25.0};

    FracFiles files("out_FRAC", {}, reporter, sink, false);
    files.runHeader(info);
    const std::vector<std::string> expected{
        "",
        "****************** New calculation ********************",
        "",
        "Modelling Crystallisation",
        "Minerals chosen for calculations are:",
        "   Olv, Plg",
        "   The model used for Olv is: Ford et al., 1983",
        "    Olivine composition is calculated using KD(Fe-Mg) after Toplis 2005;",
        "    Olv fractionation is: 100 %",
        "    The correction for the effect of H2O on Olv liquidus temperature is: dT = - "
        "40.4*H2O(wt%)^0.7",
        "   The model used for Plg is: Langmuir et al., 1992",
        "    Plg fractionation is: 50.00 %",
        "    The correction for the effect of pressure on Plg liquidus temperature is: 4.5 deg / "
        "kbar",
        "Fe2O3 in the melt is calculated using (Fe2/Fe3)melt = 9",
        "Initial Pressure = 2 kbar",
        "   During calculations Pressure is changed at 10 % crystallisation to 1.5 kbars",
        "                                             at 25 % crystallisation to 1 kbars",
        "Melt density is calculated following the model of Lange & Carmichael 1987",
        "Melt viscosity is calculated following the model of Bottinga & Weill 1972",
        "Parameters to stop calculations at:",
        "   Final Plg composition: An = 55 mol%",
        "   Final temperature: 1050(C)",
        "The amount of a mineral phase which will be extracted from",
        "   100% of melt on each step is:    0.5 %",
    };
    EXPECT_EQ(reporter.log, expected);
    // The file has each line as one CSV field: quoted where it holds a comma.
    std::vector<std::string> quoted = expected;
    for (std::size_t k : {5, 6, 7, 10})
        quoted[k] = "\"" + quoted[k] + "\"";
    EXPECT_EQ(sink.files["out_FRAC_calc_param.csv"], quoted);
}

}  // namespace
}  // namespace varnodel
