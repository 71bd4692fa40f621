// The texts of the Fe-loss reconstruction: the header and a row of its results table, a progress
// line of the log and the lines of its run-parameter file.
#include <gtest/gtest.h>

#include "io/IronLossFiles.h"

namespace varnodel {
namespace {

TEST(IronLossFiles, HeaderAndRowLayout) {
    EXPECT_EQ(ironLossHeader(),
              " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,T_CALC,"
              "T_RUN,FO_CALC,FO_Host,FEO*,FEO_Final,OL_PER,MELT_PER,CORR_COEF,SAMP_NO,No.");
    IronLossRow row;
    row.number = 3;
    row.melt.oxides = {49.8, 1.2, 16.2, 0.0, 7.0, 0.15, 7.6, 12.6, 2.5, 0.12, 0.12, 0.05};
    row.melt.volatile_.value = 2.5;
    row.T = 1473.4;
    row.tRun = 1180.4;
    row.foCalc = 0.88004;
    row.foHost = 0.88;
    row.feoTotal = 7.0;
    row.feoTarget = 9.0;
    row.olivineFraction = -0.105;
    row.meltFraction = 1.105;
    row.corrCoef = 0.952;
    row.sample = "MI-1";
    EXPECT_EQ(ironLossRow(row),
              "49.800, 1.200,16.200, 0.000, 7.000, 0.150, 7.600,12.600, 2.500, 0.120, 0.120, "
              "0.050, 2.500,1200,1180,88.00,88.00, 7.000, 9.00,-10.50,110.50,0.952,MI-1,3");
}

// One blank more before MgO, FeO*f and FeO*m below 10, so that the columns stay under the
// header.
TEST(IronLossFiles, ProgressLineKeepsItsColumns) {
    IronLossProgress p{1180.44, 1453.5, 7.6, 0.88, 0.8812, 9.0, 10.25, 3, "MI"};
    EXPECT_EQ(ironLossProgressLine(p), "1180.4 1180.5  7.60 88.00 88.12  9.00 10.25  3  MI");
    EXPECT_EQ(std::string(kIronLossProgressHeader),
              " T_run T_calc   MgO  Fo_h  Fo_c FeO*f FeO*m  No    Analysis");
}

TEST(IronLossFiles, ParameterLines) {
    const ModelRegistry registry;
    const TModel& ford = *registry.mineralSet(Phase::Olivine).getByName("Ford et al., 1983");
    RunSettings s;
    const std::vector<std::string> head{
        "", "****************** New calculation ********************",
        "", "Correcting MI in olivine for post-entrapment re-equilibration",
        "", "The model used for Olv is: Ford et al., 1983"};
    std::vector<std::string> wet = head;
    wet.insert(wet.end(),
               {"Fe2O3 in the melt is calculated using QFM buffer of oxygen fugacity",
                "   f(O2) is calculated following the model of Borisov and Shapkin, 1990",
                "Calculation Pressure = 1 atm",
                "Choice for minor elements in olivine (Ca Mn Cr) is: all set to 0", "",
                "***************** Warning!!! *************************",
                "The chosen olivine model does not incorporate the effect of H2O",
                "  and no correction for H2O has been set.", ""});
    EXPECT_EQ(ironLossParameterLines(s, registry, ford, true, false), wet);

    TParameters& p = s.parameters;
    p.fixedKdOption = true;
    p.bufferOffset = 1.5;
    p.meltInclusions.olivineMinorSet = OlivineMinorSet::MorbBabb;
    TMineralOptions& o = s.minerals[1];
    o.h2oCorrection = true;
    o.h2oA = 74.403;
    o.h2oB = 0.352;
    std::vector<std::string> corrected = head;
    corrected.insert(
        corrected.end(),
        {"    Olivine composition is calculated using KD(Fe-Mg) = 0.3",
         "    The correction for the effect of H2O on Olv liquidus temperature is: dT = - "
         "74.403*H2O(wt%)^0.352",
         "Fe2O3 in the melt is calculated using QFM buffer of oxygen fugacity",
         "   f(O2) is calculated following the model of Borisov and Shapkin, 1990",
         "    deviation from the buffer equals 1.5 log units", "Calculation Pressure = 1 atm",
         "Choice for minor elements in olivine (Ca Mn Cr) is: MORB/BABB", ""});
    EXPECT_EQ(ironLossParameterLines(s, registry, ford, true, false), corrected);
}

}  // namespace
}  // namespace varnodel
