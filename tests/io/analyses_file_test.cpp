#include "io/AnalysesFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <string_view>

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

TEST(AnalysesFile, QuotedNamesKeepTheirSeparatorsAndQuotes) {
    const auto loaded = read(
        "Name,SiO2,MgO,CaO,FeO\n"
        "\"Kil, 1959\",50,8,11,10\n"
        " \"say \"\"KL2\"\"\",50,8,11,10\n");
    ASSERT_EQ(loaded.data.analyses.size(), 2u);
    EXPECT_EQ(loaded.data.analyses[0].name, "Kil, 1959");
    EXPECT_EQ(loaded.data.analyses[1].name, "say \"KL2\"");
    EXPECT_EQ(loaded.data.analyses[1].phases[0].oxides[Ox::FeO], 10.0);
}

TEST(AnalysesFile, AmountsNoAnalysisReportsRefuseTheRow) {
    const auto loaded = read(
        "Name,SiO2,MgO,CaO,FeO\n"
        "subnormal FeO,50,8,11,1e-310\n"
        "tiny MgO,50,1e-300,11,10\n"
        "real,50,8,11,10\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, "real");
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

// --- hostile files -----------------------------------------------------------------------------

const std::string kHeader = "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5";
const std::string kRow = "VG-2,50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20";

struct LineEndCase {
    const char* label;
    std::string text;
};

void PrintTo(const LineEndCase& c, std::ostream* os) {
    *os << c.label;
}

class AnalysesFileLineEnds : public ::testing::TestWithParam<LineEndCase> {};

// Spreadsheets on every system save the same table: the rows and the last field (the name when
// it stands last) come out the same whatever ends the lines.
TEST_P(AnalysesFileLineEnds, GiveTheSameAnalyses) {
    const auto loaded = read(GetParam().text);
    ASSERT_EQ(loaded.data.analyses.size(), 2u) << ::testing::PrintToString(loaded.reporter.log);
    for (const auto& sample : loaded.data.analyses) {
        EXPECT_EQ(sample.name, "VG-2");
        EXPECT_EQ(sample.phases[0].oxides[Ox::P2O5], 0.20);
    }
    EXPECT_TRUE(loaded.data.warnings.empty()) << loaded.data.warnings.front();
    EXPECT_EQ(loaded.reporter.log,
              (std::vector<std::string>{
                  "Line 3 is too short: missed",
                  "Assemblage for Fractional crystallization loaded successfuly",
              }));
}

const std::string kReversed = "SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5,Name";
const std::string kReversedRow = "50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20,VG-2";

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysesFileLineEnds,
    ::testing::Values(
        LineEndCase{"LF", kHeader + "\n" + kRow + "\n\n" + kRow + "\n"},
        LineEndCase{"CRLF", kHeader + "\r\n" + kRow + "\r\n\r\n" + kRow + "\r\n"},
        LineEndCase{"lone CR", kHeader + "\r" + kRow + "\r\r" + kRow + "\r"},
        LineEndCase{"mixed, no final end", kHeader + "\r\n" + kRow + "\n\r" + kRow},
        LineEndCase{"name last, CRLF",
                    kReversed + "\r\n" + kReversedRow + "\r\n\r\n" + kReversedRow + "\r\n"},
        LineEndCase{"name last, lone CR", kReversed + "\r" + kReversedRow + "\r\r" + kReversedRow},
        LineEndCase{"UTF-8 byte-order mark",
                    "\xEF\xBB\xBF" + kReversed + "\n" + kReversedRow + "\n\n" + kReversedRow}));

struct RefusedCase {
    const char* label;
    std::string text;
    std::string problem;  // after "glasses.csv"
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.label;
}

class AnalysesFileRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(AnalysesFileRefused, GivesNoAnalysisAndSaysWhy) {
    const auto loaded = read(GetParam().text);
    EXPECT_TRUE(loaded.data.analyses.empty());
    EXPECT_EQ(loaded.data.problem, "glasses.csv" + GetParam().problem);
    ASSERT_GE(loaded.reporter.log.size(), 2u);
    EXPECT_EQ(loaded.reporter.log[loaded.reporter.log.size() - 2],
              "glasses.csv is not compatible to Fractional crystallization");
    EXPECT_EQ(loaded.reporter.log.back(), "Please, see Varnodel manual for details");
}

const std::string kRowsOk = kHeader + "\n" + kRow + "\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysesFileRefused,
    ::testing::Values(
        RefusedCase{"empty", "", ": the file is empty"},
        RefusedCase{"header only", kHeader + "\n", ": no data rows below the header"},
        RefusedCase{"short header", "Name,SiO2\nA,50\n",
                    ":1: the header needs at least 20 characters and a tab, \",\", \";\" or "
                    "\"|\" between its column names"},
        RefusedCase{"blank-separated header", "Name SiO2 MgO CaO FeO Na2O\nA 50 8 11 9 2\n",
                    ":1: the header needs at least 20 characters and a tab, \",\", \";\" or "
                    "\"|\" between its column names"},
        RefusedCase{"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                    ":1: the header needs at least 20 characters and a tab, \",\", \";\" or "
                    "\"|\" between its column names"},
        RefusedCase{"NUL in the header", std::string("Name,SiO2,MgO,CaO,FeO\0,K2O\n", 27),
                    ":1: a NUL byte: this is not a text file"},
        RefusedCase{"NUL in a later row", kRowsOk + kRow + "\n" + std::string("B,5\0", 4),
                    ":4: a NUL byte: this is not a text file"},
        RefusedCase{"UTF-16 little-endian", std::string("\xFF\xFEN\0a\0m\0e\0,\0", 12),
                    ": the file is UTF-16 text; save it as UTF-8 text"},
        RefusedCase{"UTF-16 big-endian", std::string("\xFE\xFF\0N\0a\0m\0e\0,", 12),
                    ": the file is UTF-16 text; save it as UTF-8 text"},
        RefusedCase{"endless header", std::string(kMaxDataLine + 1, 'x'),
                    ":1: the line is longer than 1048576 characters"},
        RefusedCase{"endless row", kRowsOk + "B," + std::string(kMaxDataLine, '5'),
                    ":3: the line is longer than 1048576 characters"},
        RefusedCase{"no SiO2 column", "Name,TiO2,Al2O3,FeO,MgO,CaO\nA,1,14,9,8,11\n",
                    ":1: the header has no column for SiO2"},
        RefusedCase{"no iron column", "Name,SiO2,Al2O3,MnO,CaO,K2O\nA,50,14,0.2,11,0.2\n",
                    ":1: the header has no column for MgO, FeO or Fe2O3"},
        RefusedCase{"one bad row", kHeader + "\nA,50,1,14,0,0.2,8,11,2,0.2,0.2\n",
                    ": its one data row is not usable: a row needs at least 7 characters, the "
                    "fields of the header and SiO2, MgO, CaO and FeO + Fe2O3 above 0"},
        RefusedCase{
            "every row bad",
            kHeader + "\nA\t50\t1\t14\t9\t0.2\t8\t11\t2\t0.2\t0.2\nx\nB,50,1,14,9,0.2,nan,11\n",
            ": none of its 3 data rows is usable: a row needs at least 7 characters, "
            "the fields of the header and SiO2, MgO, CaO and FeO + Fe2O3 above 0"}));

struct FieldCase {
    const char* text;  // the Na2O field
    double value;
    const char* warning;  // after "glasses.csv:2: column 9 (Na2O): "; "" for none
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class AnalysesFileFields : public ::testing::TestWithParam<FieldCase> {};

// The file rules read every field leniently into its range; a field that does not read as
// written is named, and no value is ever anything but a finite number inside the range.
TEST_P(AnalysesFileFields, ReadLenientlyAndNameWhatIsNotAsWritten) {
    const auto loaded = read(kHeader + "\nA,50.81,1.85,14.06,11.84,0.22,6.71,11.12," +
                             GetParam().text + ",0.19,0.20\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const double value = loaded.data.analyses[0].phases[0].oxides[Ox::Na2O];
    EXPECT_EQ(value, GetParam().value);
    EXPECT_TRUE(std::isfinite(value) && value >= 0.0 && value <= 100.0);
    const std::string warning = GetParam().warning;
    if (warning.empty()) {
        EXPECT_TRUE(loaded.data.warnings.empty()) << loaded.data.warnings.front();
    } else {
        EXPECT_EQ(loaded.data.warnings,
                  std::vector<std::string>{"glasses.csv:2: column 9 (Na2O): " + warning});
    }
    EXPECT_EQ(loaded.data.warningCount, loaded.data.warnings.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysesFileFields,
    ::testing::Values(
        FieldCase{"2.62", 2.62, ""}, FieldCase{"  12.0  ", 12.0, ""}, FieldCase{"", 0.0, ""},
        FieldCase{"nan", 0.0, "\"nan\" is not a number; 0 is used"},
        FieldCase{"inf", 0.0, "\"inf\" is not a number; 0 is used"},
        FieldCase{"n.d.", 0.0, "\"n.d.\" is not a number; 0 is used"},
        FieldCase{"0x10", 0.0, "\"0x10\" is not a number; 0 is used"},
        FieldCase{"12.0abc", 12.0, "\"12.0abc\" is not a number; 12 is used"},
        FieldCase{"2.5 wt%", 2.5, "\"2.5 wt%\" is not a number; 2.5 is used"},
        FieldCase{"1e", 1.0, "\"1e\" is not a number; 1 is used"},
        FieldCase{"1e999", 100.0,
                  "\"1e999\" is not a number; it reads as 1E99, outside 0 to 100; 100 is used"},
        FieldCase{"-2.62", 0.0, "-2.62 is outside 0 to 100; 0 is used"},
        FieldCase{"1e6", 100.0, "1000000 is outside 0 to 100; 100 is used"},
        FieldCase{"-0", 0.0, ""}));

// --- every header keyword -------------------------------------------------------------------

using SampleValue = double (*)(const TAssemblage&);

struct KeywordCase {
    const char* keyword;       // as a scientist might write it; matched upper-cased and trimmed
    SampleValue value;         // where the field's number must land
    double below;              // what a field far below its range reads as (its lower end)
    double above;              // what a field far above its range reads as (its upper end)
    const char* iron = "FeO";  // the other iron column, which keeps every row acceptable
};

void PrintTo(const KeywordCase& c, std::ostream* os) {
    *os << '"' << c.keyword << '"';
}

double oxide(const TAssemblage& s, std::size_t k) {
    return s.phases.at(0).oxides[k];
}
double trace(const TAssemblage& s, std::string_view name) {
    return s.phases.at(0).traces[elementIndex(name) - 1].value;
}
double stopValue(const TAssemblage& s, std::size_t kind) {
    // A value read as 0 sets no target: its place then keeps the blank 0 as well.
    return s.stop.values[kind];
}

class AnalysesFileKeywords : public ::testing::TestWithParam<KeywordCase> {};

// Each keyword of the data-file header puts its column into one place, read within that
// place's range: 7.5 lands as written, -1e9 and 1e9 land on the ends of the range (the stop
// targets keep nothing for the lower end, which is 0: no target).
TEST_P(AnalysesFileKeywords, FillTheirPlaceWithinTheirRange) {
    const KeywordCase& c = GetParam();
    const std::string header =
        "Name,SiO2,MgO,CaO," + std::string(c.iron) + "," + c.keyword + ",Note\n";
    const auto loaded =
        read(header + "in,50,8,11,9,7.5,x\nlow,50,8,11,9,-1e9,x\nhigh,50,8,11,9,1e9,x\n");
    ASSERT_EQ(loaded.data.analyses.size(), 3u);
    EXPECT_EQ(loaded.data.analyses[0].name, "in");  // the keyword did not take the name
    EXPECT_EQ(c.value(loaded.data.analyses[0]), 7.5);
    EXPECT_EQ(c.value(loaded.data.analyses[1]), c.below);
    EXPECT_EQ(c.value(loaded.data.analyses[2]), c.above);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnalysesFileKeywords,
    ::testing::Values(
        KeywordCase{"TiO2", [](const TAssemblage& s) { return oxide(s, Ox::TiO2); }, 0, 100},
        KeywordCase{"AL2O3_MELT", [](const TAssemblage& s) { return oxide(s, Ox::Al2O3); }, 0, 100},
        KeywordCase{"fe2o3", [](const TAssemblage& s) { return oxide(s, Ox::Fe2O3); }, 0, 100},
        KeywordCase{"MnO_melt", [](const TAssemblage& s) { return oxide(s, Ox::MnO); }, 0, 100},
        KeywordCase{"Na2O", [](const TAssemblage& s) { return oxide(s, Ox::Na2O); }, 0, 100},
        KeywordCase{"K2O", [](const TAssemblage& s) { return oxide(s, Ox::K2O); }, 0, 100},
        KeywordCase{"P2O5", [](const TAssemblage& s) { return oxide(s, Ox::P2O5); }, 0, 100},
        KeywordCase{"Cr2O3_melt", [](const TAssemblage& s) { return oxide(s, Ox::Cr2O3); }, 0, 100},
        KeywordCase{"FeO*", [](const TAssemblage& s) { return oxide(s, Ox::FeO); }, 0, 100,
                    "Fe2O3"},
        KeywordCase{"FeOt", [](const TAssemblage& s) { return oxide(s, Ox::FeO); }, 0, 100,
                    "Fe2O3"},
        KeywordCase{"H2O", [](const TAssemblage& s) { return s.phases.at(0).volatile_.value; }, 0,
                    100},
        KeywordCase{"H2O_melt", [](const TAssemblage& s) { return s.phases.at(0).volatile_.value; },
                    0, 100},
        KeywordCase{"B", [](const TAssemblage& s) { return trace(s, "B "); }, 0, 1e6},
        KeywordCase{"Ni_melt", [](const TAssemblage& s) { return trace(s, "Ni"); }, 0, 1e6},
        KeywordCase{" u ", [](const TAssemblage& s) { return trace(s, "U "); }, 0, 1e6},
        KeywordCase{"Fo_h", [](const TAssemblage& s) { return std::stod(s.meltInclusions.hostFo); },
                    0, 100},
        KeywordCase{"FO_HOST",
                    [](const TAssemblage& s) { return std::stod(s.meltInclusions.hostFo); }, 0,
                    100},
        KeywordCase{"FeO_fin",
                    [](const TAssemblage& s) { return std::stod(s.meltInclusions.wholeRockFeO); },
                    0, 100},
        KeywordCase{"FeO_rock",
                    [](const TAssemblage& s) { return std::stod(s.meltInclusions.wholeRockFeO); },
                    0, 100},
        KeywordCase{"FEO_FINAL",
                    [](const TAssemblage& s) { return std::stod(s.meltInclusions.wholeRockFeO); },
                    0, 100},
        KeywordCase{"T C", [](const TAssemblage& s) { return s.temperature; }, 0, 3500},
        KeywordCase{"t_c", [](const TAssemblage& s) { return s.temperature; }, 0, 3500},
        KeywordCase{"P kbar", [](const TAssemblage& s) { return s.pressureBlock.pressure; }, 0,
                    100},
        KeywordCase{"lgfO2", [](const TAssemblage& s) { return s.lgfO2; }, -100, 10},
        KeywordCase{"LastFrac",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Crystallisation); }, 0,
                    100},
        KeywordCase{"LAST_FRAC",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Crystallisation); }, 0,
                    100},
        KeywordCase{"LastFo", [](const TAssemblage& s) { return stopValue(s, Stop::Fo); }, 0, 100},
        KeywordCase{"LAST_FO", [](const TAssemblage& s) { return stopValue(s, Stop::Fo); }, 0, 100},
        // Read with the stop dialog's range rather than capped at 100 degrees.
        KeywordCase{"LastTemp",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Temperature); }, 0, 3000},
        KeywordCase{"LAST_TEMP",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Temperature); }, 0, 3000},
        KeywordCase{"LastCpx",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Clinopyroxene); }, 0, 100},
        KeywordCase{"LAST_CPX",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Clinopyroxene); }, 0, 100},
        KeywordCase{"LastPig", [](const TAssemblage& s) { return stopValue(s, Stop::Pigeonite); },
                    0, 100},
        KeywordCase{"LAST_PIG", [](const TAssemblage& s) { return stopValue(s, Stop::Pigeonite); },
                    0, 100},
        KeywordCase{"LastAn", [](const TAssemblage& s) { return stopValue(s, Stop::An); }, 0, 100},
        KeywordCase{"LAST_AN", [](const TAssemblage& s) { return stopValue(s, Stop::An); }, 0, 100},
        KeywordCase{"LastOpx",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Orthopyroxene); }, 0, 100},
        KeywordCase{"LAST_OPX",
                    [](const TAssemblage& s) { return stopValue(s, Stop::Orthopyroxene); }, 0, 100},
        KeywordCase{"LastMgO", [](const TAssemblage& s) { return stopValue(s, Stop::MeltMgO); }, 0,
                    100},
        KeywordCase{"LAST_MGO", [](const TAssemblage& s) { return stopValue(s, Stop::MeltMgO); }, 0,
                    100}));

class AnalysesFileNameKeywords : public ::testing::TestWithParam<const char*> {};

// Any of the four name keywords names the analyses, wherever it stands (not the last column).
TEST_P(AnalysesFileNameKeywords, NameTheAnalyses) {
    const auto loaded = read(std::string("SiO2,") + GetParam() + ",MgO,CaO,FeO,Note\n" +
                             "50,Kilauea 1959,8,11,9,picrite\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, "Kilauea 1959");
}

INSTANTIATE_TEST_SUITE_P(Table, AnalysesFileNameKeywords,
                         ::testing::Values("Name", "NUMBER", "sample", " Analysis "));

TEST(AnalysesFileHostile, DecimalCommaInACommaFileIsNamed) {
    const auto loaded =
        read(kHeader + "\nA,50,81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.20\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);  // read as the file rules say ...
    EXPECT_EQ(loaded.data.analyses[0].phases[0].oxides[Ox::SiO2], 50);
    EXPECT_EQ(loaded.data.analyses[0].phases[0].oxides[Ox::TiO2], 81);
    EXPECT_EQ(loaded.data.warnings,  // ... and named
              std::vector<std::string>{"glasses.csv:2: 12 fields where the header has 11: a "
                                       "decimal comma splits a number in two and moves the "
                                       "fields after it"});
}

TEST(AnalysesFileHostile, ExtraFieldsElsewhereAreNamedUnlessBlank) {
    const auto loaded = read(
        "Name;SiO2;TiO2;Al2O3;FeOt;MgO;CaO\n"
        "A;50;1;14;9;8;11;;\n"
        "B;50;1;14;9;8;11;note\n");
    ASSERT_EQ(loaded.data.analyses.size(), 2u);
    EXPECT_EQ(loaded.data.warnings,
              std::vector<std::string>{"glasses.csv:3: 8 fields where the header has 7: the "
                                       "fields after column 7 are not read"});
}

TEST(AnalysesFileHostile, HeaderColumnsThatAreNotReadOrReplacedAreNamed) {
    const auto loaded = read(
        "Name,SiO2,SiO2_melt,FeOt,FeO,MgO,CaO,Mg O,,Total,T C,T_C\n"
        "A,50,51,9,10,8,11,1,,99,1100,1150\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    const auto& sample = loaded.data.analyses[0];
    EXPECT_EQ(sample.phases[0].oxides[Ox::SiO2], 51);
    EXPECT_EQ(sample.phases[0].oxides[Ox::FeO], 10);
    EXPECT_EQ(sample.temperature, 1150);
    EXPECT_EQ(loaded.data.warnings,
              (std::vector<std::string>{
                  "glasses.csv:1: column 3 (SiO2_melt) replaces column 2 (SiO2)",
                  "glasses.csv:1: column 5 (FeO) replaces column 4 (FeOt)",
                  "glasses.csv:1: column 12 (T_C) replaces column 11 (T C)",
                  "glasses.csv:1: columns not read: 8 (Mg O), 10 (Total)",
              }));
}

TEST(AnalysesFileHostile, TheLastColumnTakenAsNameIsNotListedAsUnread) {
    const auto loaded = read("SiO2,MgO,CaO,FeO,Remark,Label\n50,8,11,9,x,first\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, "first");
    EXPECT_EQ(loaded.data.warnings,
              std::vector<std::string>{"glasses.csv:1: columns not read: 5 (Remark)"});
}

TEST(AnalysesFileHostile, WarningsAreCountedBeyondTheOnesKept) {
    std::string text = kHeader + "\n";
    for (int k = 0; k < 30; ++k)
        text += "A,50,1,14,9,0.2,8,11,n.d.,0.2,0.2\n";
    const auto loaded = read(text);
    EXPECT_EQ(loaded.data.analyses.size(), 30u);
    EXPECT_EQ(loaded.data.warnings.size(), kMaxKeptWarnings);
    EXPECT_EQ(loaded.data.warningCount, 30u);
    EXPECT_EQ(loaded.data.warnings.back(),
              "glasses.csv:" + std::to_string(kMaxKeptWarnings + 1) +
                  ": column 9 (Na2O): \"n.d.\" is not a number; 0 is used");
}

TEST(AnalysesFileHostile, LongTextsAreCutInWarnings) {
    const auto loaded =
        read(kHeader + "\nA,50,1,14,9,0.2,8,11," + std::string(100, 'x') + ",0.2,0.2\n");
    ASSERT_EQ(loaded.data.warnings.size(), 1u);
    EXPECT_EQ(loaded.data.warnings[0], "glasses.csv:2: column 9 (Na2O): \"" + std::string(40, 'x') +
                                           "...\" is not a number; 0 is used");
}

TEST(AnalysesFileHostile, AMegabyteLineIsReadWhole) {
    const std::string name(1000000, 'n');
    const auto loaded = read(kHeader + "\n" + name + ",50,1,14,9,0.2,8,11,2,0.2,0.2\n");
    ASSERT_EQ(loaded.data.analyses.size(), 1u);
    EXPECT_EQ(loaded.data.analyses[0].name, name);
}

TEST(AnalysesFileHostile, TheReferenceGlassesGiveNoWarning) {
    test::RecordingReporter reporter;
    const auto data =
        loadAnalysesFile(std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv",
                         "Fractional crystallization", reporter);
    EXPECT_TRUE(data.warnings.empty()) << data.warnings.front();
    EXPECT_TRUE(data.problem.empty());
}

TEST(AnalysesFileHostile, AMissingFileSaysSo) {
    test::RecordingReporter reporter;
    const auto data = loadAnalysesFile("/nonexistent/file.csv", "Crystallisation", reporter);
    EXPECT_EQ(data.problem, "/nonexistent/file.csv: the file does not exist");
}

}  // namespace
}  // namespace varnodel
