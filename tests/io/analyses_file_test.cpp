#include "io/AnalysesFile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/RecordingReporter.h"

namespace varnodel {
namespace {

struct Loaded {
    AnalysesData data;
    test::RecordingReporter reporter;
};

Loaded read(const std::string& text) {
    Loaded loaded;
    std::istringstream in(text);
    loaded.data = readAnalyses(in, "glasses.csv", "Fractional crystallization", loaded.reporter);
    return loaded;
}

TEST(AnalysesFile, SemicolonHeaderWithTotalIron) {
    const auto loaded = read(
        "Name;SiO2;TiO2;Al2O3;FeOt;MnO;MgO;CaO;Na2O;K2O;P2O5\n"
        "VG-2;50.81;1.85;14.06;11.84;0.22;6.71;11.12;2.62;0.19;0.20\n");
    EXPECT_EQ(loaded.data.separator, ';');
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const auto& sample = loaded.data.analyses[0];
    EXPECT_EQ(sample.name, "VG-2");
    EXPECT_EQ(sample.number, 1);
    ASSERT_EQ(sample.phases.size(), 1u);
    const TAnalysis& melt = sample.phases[0];
    EXPECT_EQ(melt.name, "melt");
    EXPECT_EQ(melt.oxides[Ox::FeO], 11.84);
    EXPECT_EQ(melt.oxides[Ox::Fe2O3], 0.0);
    EXPECT_EQ(melt.oxides[Ox::Cr2O3], 0.0);
    EXPECT_EQ(melt.oxides[Ox::P2O5], 0.20);
    EXPECT_FALSE(loaded.data.h2oPresent);
    EXPECT_EQ(loaded.reporter.log.back(),
              "Assemblage for Fractional crystallization loaded successfuly");
}

TEST(AnalysesFile, SeparatorIsTheFirstOfTheFourInTheHeader) {
    EXPECT_EQ(read("Name|SiO2,x;MgO|CaO|FeO|more padding\n").data.separator, '|');
    EXPECT_EQ(read("Name\tSiO2\tMgO\tCaO\tFeO\tpadding\n").data.separator, '\t');
}

TEST(AnalysesFile, KeywordsIgnoreCaseSuffixAndSurroundingBlanks) {
    const auto loaded = read(
        "Sample, sio2 ,Mg O,MgO_melt,cao,FEO*,h2o_melt,Ni,sr_MELT,Ni\n"
        "A,50,99,8,11,9,1.5,120,300,150\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const TAnalysis& melt = loaded.data.analyses[0].phases[0];
    EXPECT_EQ(melt.oxides[Ox::SiO2], 50);
    EXPECT_EQ(melt.oxides[Ox::MgO], 8);  // "Mg O" maps to nothing
    EXPECT_EQ(melt.volatile_.value, 1.5);
    EXPECT_EQ(melt.traces[5].value, 150);  // the later Ni column wins
    EXPECT_EQ(melt.traces[10].value, 300);
    EXPECT_TRUE(loaded.data.h2oPresent);
    EXPECT_EQ(loaded.data.presentTraces, (std::vector<std::size_t>{6, 11}));
    const ActiveElements active = activeElements(loaded.data);
    EXPECT_TRUE(active.volatile_);
    EXPECT_TRUE(active.traces[5]);
    EXPECT_FALSE(active.traces[0]);
}

TEST(AnalysesFile, NameFromTheLastColumnWithoutANameKeyword) {
    const auto loaded = read("SiO2,MgO,CaO,FeO,Label\n50,8,11,9,first glass \n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, "first glass ");  // the last field is not trimmed
}

TEST(AnalysesFile, LaterTemperatureColumnWins) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO,T C,T_C\nA,50,8,11,9,1150,1200\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].temperature, 1200);
}

TEST(AnalysesFile, RejectsRowsWithoutIronAndShortRows) {
    const auto loaded = read(
        "Name,SiO2,MgO,CaO,FeO,Fe2O3\n"
        "good,50,8,11,9,1\n"
        "noiron,50,8,11,0,0\n"
        "a,1,2\n"
        "nomg,50,0,11,9,0\n"
        "also good,49,7,10,0,2\n");
    ASSERT_EQ(loaded.data.analyses.size(), 2u);
    EXPECT_EQ(loaded.data.analyses[1].name, "also good");
    EXPECT_EQ(loaded.data.analyses[1].number, 2);
    const std::vector<std::string> expected{
        "Analysis from line 3 is not correct: Analysis noiron missed",
        "Line 4 is too short: missed", "Analysis from line 5 is not correct: Analysis nomg missed",
        "Assemblage for Fractional crystallization loaded successfuly"};
    EXPECT_EQ(loaded.reporter.log, expected);
}

TEST(AnalysesFile, NumbersAreReadLenientlyAndClamped) {
    const auto loaded = read(
        "Name,SiO2,MgO,CaO,FeO,Na2O,Ba,LGFO2\n"
        "A,50.5 wt%,120,11,9,-2,2000000,-150\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const auto& sample = loaded.data.analyses[0];
    const TAnalysis& melt = sample.phases[0];
    EXPECT_EQ(melt.oxides[Ox::SiO2], 50.5);
    EXPECT_EQ(melt.oxides[Ox::MgO], 100);
    EXPECT_EQ(melt.oxides[Ox::Na2O], 0);
    EXPECT_EQ(melt.traces[15].value, 1e6);
    EXPECT_EQ(sample.lgfO2, -100);
}

TEST(AnalysesFile, DecimalCommaSplitsAValueInACommaFile) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO\nA,50,5,8,11,9\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].phases[0].oxides[Ox::MgO], 5);
    EXPECT_EQ(loaded.data.analyses[0].phases[0].oxides[Ox::FeO], 11);
}

TEST(AnalysesFile, StopTargetsOnlyWhenPositive) {
    const auto loaded = read(
        "Name,SiO2,MgO,CaO,FeO,LAST_FO,LastTemp,LAST_MGO\n"
        "zero,50,8,11,9,0,0,0\n"
        "set,50,8,11,9,88,1150,4.5\n");
    ASSERT_EQ(loaded.data.analyses.size(), 2u);
    EXPECT_FALSE(loaded.data.analyses[0].hasStopBlock);
    EXPECT_FALSE(loaded.data.analyses[0].stop.flags[Stop::Fo]);
    const auto& set = loaded.data.analyses[1];
    EXPECT_TRUE(set.hasStopBlock);
    EXPECT_TRUE(set.stop.flags[Stop::Fo]);
    EXPECT_EQ(set.stop.values[Stop::Fo], 88);
    EXPECT_EQ(set.stop.values[Stop::Temperature], 1150);  // a temperature, not capped at 100
    EXPECT_EQ(set.stop.values[Stop::MeltMgO], 4.5);
    EXPECT_FALSE(set.stop.flags[Stop::Crystallisation]);
    EXPECT_TRUE(loaded.data.stopFromFile);
}

TEST(AnalysesFile, ZeroStopTargetsDoNotSetTheFileFlag) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO,LAST_FO\nA,50,8,11,9,0\n");
    EXPECT_FALSE(loaded.data.stopFromFile);
}

TEST(AnalysesFile, MeltInclusionAndConditionColumns) {
    const auto loaded =
        read("Name,SiO2,MgO,CaO,FeO,Fo_host,FeO_rock,P kbar\nA,50,8,11,9,88.5,10.2,2\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const auto& sample = loaded.data.analyses[0];
    EXPECT_EQ(sample.meltInclusions.hostFo, "88.5");
    EXPECT_EQ(sample.meltInclusions.wholeRockFeO, "10.2");
    EXPECT_EQ(sample.pressureBlock.pressure, 2);
}

TEST(AnalysesFile, AllRowsRejectedEndsWithTheNotCompatibleLines) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO\nA,50,0,11,9\n");
    EXPECT_TRUE(loaded.data.analyses.empty());
    ASSERT_EQ(loaded.reporter.log.size(), 3u);
    EXPECT_EQ(loaded.reporter.log[1],
              "glasses.csv is not compatible to Fractional crystallization");
    EXPECT_EQ(loaded.reporter.log[2], "Please, see Varnodel manual for details");
}

TEST(AnalysesFile, InvalidHeaderRefusesTheFile) {
    for (const char* text : {"Name,SiO2\nA,50\n", "Name SiO2 MgO CaO FeO Na2O\nA 50 8 11 9 2\n"}) {
        const auto loaded = read(text);
        EXPECT_TRUE(loaded.data.analyses.empty());
        EXPECT_EQ(loaded.reporter.log.back(), "Please, see Varnodel manual for details");
    }
}

TEST(AnalysesFile, RowWithTooFewFieldsIsSkipped) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO,Na2O\nshort,50,8,11,9\nfull,50,8,11,9,2\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, "full");
    EXPECT_EQ(loaded.reporter.log[0], "Line 2 has fewer fields than the header: missed");
}

TEST(AnalysesFile, WindowsLineEndings) {
    const auto loaded = read("Name,SiO2,MgO,CaO,FeO\r\nA,50,8,11,9.5\r\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].phases[0].oxides[Ox::FeO], 9.5);
}

TEST(AnalysesFile, ReferenceGlassesLoad) {
    test::RecordingReporter reporter;
    const auto data =
        loadAnalysesFile(std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv",
                         "Fractional crystallization", reporter);
    ASSERT_EQ(data.analyses.size(), 7u);
    EXPECT_EQ(data.analyses[0].name, "VG-2 Juan de Fuca MORB glass");
    EXPECT_EQ(data.analyses[6].phases[0].oxides[Ox::MgO], 22.4);
    EXPECT_TRUE(data.h2oPresent);
}

TEST(AnalysesFile, MissingFileGivesAnEmptyList) {
    test::RecordingReporter reporter;
    const auto data =
        loadAnalysesFile("/nonexistent/file.csv", "Fractional crystallization", reporter);
    EXPECT_TRUE(data.analyses.empty());
    EXPECT_EQ(reporter.log.front(),
              "/nonexistent/file.csv is not compatible to Fractional crystallization");
    EXPECT_TRUE(reporter.messages.empty());
}

}  // namespace
}  // namespace varnodel
