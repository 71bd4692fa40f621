#include "io/ResultTable.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Errors.h"

namespace varnodel {
namespace {

const std::string kData = VARNODEL_TEST_DATA_DIR;

struct Recognised {
    const char* file;
    ResultKind kind;
    std::optional<Calculation> calculation;
    std::size_t rows;
    const char* mineral;
};

class ResultTableKinds : public testing::TestWithParam<Recognised> {};

// Every table the calculations write is told apart by its header, whatever its name.
TEST_P(ResultTableKinds, RecognisesTheFileAndReadsEveryRow) {
    const Recognised& r = GetParam();
    const ResultTable t = readResultTable(kData + "/" + r.file);
    EXPECT_EQ(t.kind, r.kind);
    EXPECT_EQ(t.calculation, r.calculation);
    EXPECT_EQ(t.rows, r.rows);
    EXPECT_EQ(t.mineral, r.mineral);
    for (const ResultColumn& c : t.columns) {
        EXPECT_EQ(c.values.size(), t.rows) << c.name;
        EXPECT_EQ(c.name.find(" _"), std::string::npos) << c.name;
        ASSERT_FALSE(c.name.empty());
        EXPECT_NE(c.name.front(), ' ');
        EXPECT_NE(c.name.back(), ' ');
    }
}

INSTANTIATE_TEST_SUITE_P(
    GoldenFiles, ResultTableKinds,
    testing::Values(
        Recognised{"golden/frac_ariskin_qfm/golden_FRAC.csv", ResultKind::Fractional,
                   Calculation::Fractional, 25, ""},
        Recognised{"golden/frac_ariskin_qfm/golden_FRAC_Plg.csv", ResultKind::Mineral,
                   Calculation::Fractional, 24, "Plg"},
        Recognised{"golden/rev_ford_qfm/golden_REV.csv", ResultKind::Reverse, Calculation::Reverse,
                   112, ""},
        Recognised{"golden/rev_ford_qfm/golden_REV_Olv.csv", ResultKind::Mineral,
                   Calculation::Reverse, 112, "Olv"},
        Recognised{"golden/mla_all_qfm/golden_MLA.csv", ResultKind::MLA, Calculation::MLA, 7, ""},
        Recognised{"golden/mla_all_qfm/golden_MLA_Spl.csv", ResultKind::Mineral, Calculation::MLA,
                   8, "Spl"},
        Recognised{"golden/ironloss_ford_qfm/golden_IRL.csv", ResultKind::IronLoss,
                   Calculation::IronLoss, 15, ""},
        Recognised{"plots/plots_PIC.csv", ResultKind::Profile, Calculation::ProfileIC, 6, ""},
        Recognised{"plots/plots_PCR_PR.csv", ResultKind::CoolingProfiles, Calculation::ProfileCR, 5,
                   ""},
        Recognised{"plots/plots_PCR_COMP.csv", ResultKind::CoolingMelts, Calculation::ProfileCR, 3,
                   ""}));

TEST(ResultTable, ReadsValuesPlaceholdersAndTexts) {
    const ResultTable t = readResultTable(kData + "/golden/frac_ariskin_qfm/golden_FRAC.csv");
    // First row: "55.0494," ... "-1.00," for plagioclase before it joins, the sample and date.
    EXPECT_EQ(t.column("SiO2_magma")->values[0], 55.0494);
    EXPECT_EQ(t.column("Olv_Fo_magma")->values[0], 64.03);
    EXPECT_FALSE(t.column("Plg_An_magma")->values[0].has_value());
    EXPECT_EQ(t.column("Plg_An_magma")->values[1], 37.87);
    EXPECT_EQ(t.sample(0), "BCR-2G Columbia River basalt glass");
    EXPECT_FALSE(t.column("Date")->numeric);
    EXPECT_EQ(t.column("Date")->texts[0], "2026-12-08 20:05:38");

    const ResultTable mla = readResultTable(kData + "/golden/mla_all_qfm/golden_MLA.csv");
    EXPECT_EQ(mla.column("T Ford83")->values[0], 1160.77);
    EXPECT_EQ(mla.column("log(fO2)")->texts[0], "QFM");

    // A model's quoted name that holds a comma stays one field.
    const ResultTable olv = readResultTable(kData + "/golden/frac_ariskin_qfm/golden_FRAC_Olv.csv");
    EXPECT_EQ(olv.column("Model")->texts[0], "Olv-Ford et al., 1983");
    EXPECT_EQ(olv.column("Fo")->values[0], 64.03);

    const ResultTable nd = parseResultTable(
        " SiO2, TiO2,Al2O3,Fe2O3,  FeO,  MnO,  MgO,  CaO, Na2O,  K2O, P2O5,Cr2O3,H2O,"
        "T (C),Fo    ,Model,Sample\n"
        "38.8,n.d., 0.0000,-1.00,20.7, 0.0000,40.4,-1,0,0,0,0,0,1160.8,-1.0000,Olv-Ford83  ,A\n",
        "x_MLA_Olv.csv");
    EXPECT_FALSE(nd.column("TiO2")->values[0].has_value());
    EXPECT_FALSE(nd.column("Fe2O3")->values[0].has_value());
    EXPECT_FALSE(nd.column("CaO")->values[0].has_value());
    EXPECT_EQ(nd.column("Fo")->values[0], -1.0);  // a value, not the placeholder "-1.00"
    EXPECT_TRUE(nd.column("TiO2")->numeric);
}

TEST(ResultTable, RefusesAnythingElseNamingTheFile) {
    for (const std::string& file : {kData + "/golden/frac_ariskin_qfm/golden_FRAC_calc_param.csv",
                                    kData + "/reference_glasses.csv", kData + "/no_such.csv"}) {
        try {
            readResultTable(file);
            ADD_FAILURE() << file;
        } catch (const EInputError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(parseResultTable("", "empty.csv"), EInputError);
}

}  // namespace
}  // namespace varnodel
