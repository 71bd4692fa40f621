// Golden runs: each case folder of tests/data/golden holds the arguments and settings of a run of
// the reference glasses and the files that run wrote when the fixtures were recorded. Every run
// must give them again - same files, same rows, same texts, every number within one unit of its
// last printed decimal - so that a change meant to make the program faster cannot change a
// result unnoticed. tests/data/golden/regenerate.sh rewrites the fixtures when a result is
// meant to change.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;

const fs::path kGoldenDir = fs::path(VARNODEL_TEST_DATA_DIR) / "golden";

// Forward crystallisation (frac): olivine alone, olivine with plagioclase and clinopyroxene of
// Langmuir et al. (1992), and the Ariskin models with the Fe-Ti oxides of Ariskin & Barmina
// (1999), each with the QFM buffer and with a fixed Fe2/Fe3. Melt liquidus association (mla):
// every registered mineral model with QFM, with a fixed Fe2/Fe3 and below Ni-NiO. Reverse
// crystallisation (rev): olivine alone with QFM; olivine, plagioclase and clinopyroxene with a
// fixed Fe2/Fe3, a pressure stage and plagioclase excluded by its An; the Ariskin models with the
// Fe-Ti oxides. Fe-loss reconstruction (ironloss) of the melt inclusions of melt_inclusions.csv;
// the diffusion profiles (profile-ic reheated, profile-cr in two steps) of its first inclusion.
const char* const kCases[] = {
    "frac_ford_qfm",     "frac_ford_ratio",    "frac_langmuir_qfm",   "frac_langmuir_ratio",
    "frac_ariskin_qfm",  "frac_ariskin_ratio", "mla_all_qfm",         "mla_all_ratio",
    "mla_all_nno",       "rev_ford_qfm",       "rev_langmuir_ratio",  "rev_ariskin_qfm",
    "ironloss_ford_qfm", "ironloss_kd_morb",   "profile_ic_ford_qfm", "profile_cr_ford_qfm",
};

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A field that is one number as printed, and one unit of its last printed decimal
// ("1173.407" -> 0.001, "1.235E4" -> 10).
struct PrintedNumber {
    double value = 0.0;
    int decimals = 0;
    double unit = 1.0;
};

std::optional<PrintedNumber> printedNumber(const std::string& field) {
    const std::string text = trimmed(field);
    static const std::regex number(R"([-+]?(\d+)(\.(\d*))?([eE]([-+]?\d+))?)");
    std::smatch m;
    if (!std::regex_match(text, m, number)) return std::nullopt;
    PrintedNumber n;
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    std::from_chars(begin, text.data() + text.size(), n.value);
    n.decimals = static_cast<int>(m[3].length());
    const int exponent = m[5].matched ? std::stoi(m[5].str()) : 0;
    n.unit = std::pow(10.0, exponent - n.decimals);
    return n;
}

bool isDateTime(const std::string& field) {
    static const std::regex dateTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    return std::regex_match(field, dateTime);
}

// The differences of `got` from the fixture `expected`, one text each (at most `limit`).
std::vector<std::string> differences(const std::string& expected, const std::string& got,
                                     std::size_t limit = 12) {
    std::vector<std::string> found;
    const auto expectedLines = splitOn(expected, '\n');
    const auto gotLines = splitOn(got, '\n');
    if (expectedLines.size() != gotLines.size())
        found.push_back(std::to_string(gotLines.size()) + " lines instead of " +
                        std::to_string(expectedLines.size()));
    const auto header =
        expectedLines.empty() ? std::vector<std::string>{} : splitOn(expectedLines.front(), ',');
    const std::size_t lines = std::min(expectedLines.size(), gotLines.size());
    for (std::size_t k = 0; k < lines && found.size() < limit; ++k) {
        const auto want = splitOn(expectedLines[k], ',');
        const auto have = splitOn(gotLines[k], ',');
        const std::string where = "line " + std::to_string(k + 1);
        if (want.size() != have.size()) {
            found.push_back(where + ": " + std::to_string(have.size()) + " fields instead of " +
                            std::to_string(want.size()) + "\n  fixture: " + expectedLines[k] +
                            "\n  run:     " + gotLines[k]);
            continue;
        }
        for (std::size_t f = 0; f < want.size() && found.size() < limit; ++f) {
            const std::string column =
                f < header.size() && k > 0 ? " (" + trimmed(header[f]) + ")" : std::string();
            const std::string at = where + ", field " + std::to_string(f + 1) + column + ": \"" +
                                   have[f] + "\" instead of \"" + want[f] + "\"";
            // The date and time a row was written.
            if (isDateTime(want[f])) {
                if (!isDateTime(have[f])) found.push_back(at);
                continue;
            }
            const auto a = printedNumber(want[f]);
            if (!a) {
                if (have[f] != want[f]) found.push_back(at);
                continue;
            }
            const auto b = printedNumber(have[f]);
            // Same decimals (the format is part of the result), values within one unit of the
            // last decimal (an unchanged result may round the other way).
            if (!b || b->decimals != a->decimals ||
                std::fabs(b->value - a->value) > a->unit * (1.0 + 1e-9))
                found.push_back(at);
        }
    }
    return found;
}

std::vector<std::string> resultFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        // The settings record holds the date and the command line of its run.
        if (name.rfind("golden_", 0) == 0 && !name.ends_with("_settings.toml"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CliGolden : public ::testing::TestWithParam<const char*> {
  protected:
    fs::path fixture_ = kGoldenDir / GetParam();
    test::ScratchDir scratch_{"varnodel_golden"};
    fs::path dir_ = scratch_.path();
};

TEST_P(CliGolden, RunGivesTheRecordedResults) {
    ASSERT_TRUE(fs::exists(fixture_ / "arguments")) << fixture_;
    std::string arguments = readFile(fixture_ / "arguments");
    arguments.erase(arguments.find_last_not_of("\r\n") + 1);
    // The command line of regenerate.sh, with the fixture's settings and data in place; on two
    // threads, whose files must be those of the one-thread recording.
    std::string data = "reference_glasses.csv";
    if (fs::exists(fixture_ / "data_file")) {
        data = readFile(fixture_ / "data_file");
        data.erase(data.find_last_not_of("\r\n") + 1);
    }
    const auto result = runCli(arguments + " --settings '" + (fixture_ / "settings.toml").string() +
                                   "' --data '" + (kGoldenDir.parent_path() / data).string() +
                                   "' --output golden --quiet --jobs 2",
                               dir_.string());

    EXPECT_EQ(std::to_string(result.exitCode) + "\n", readFile(fixture_ / "exit_code"));
    for (const auto& d : differences(readFile(fixture_ / "stderr.txt"), result.err))
        ADD_FAILURE() << "stderr: " << d;

    const auto expectedFiles = resultFiles(fixture_);
    ASSERT_FALSE(expectedFiles.empty()) << "no golden_* files in " << fixture_;
    EXPECT_EQ(resultFiles(dir_), expectedFiles);
    for (const auto& name : expectedFiles) {
        if (!fs::exists(dir_ / name)) continue;  // reported above
        for (const auto& d : differences(readFile(fixture_ / name), readFile(dir_ / name)))
            ADD_FAILURE() << name << ": " << d;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliGolden, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param); });

// Every case folder is run by the test above: a fixture nobody compares protects nothing.
TEST(CliGoldenFolders, EveryCaseFolderIsATestCase) {
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(kGoldenDir))
        if (entry.is_directory()) folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    std::vector<std::string> cases(std::begin(kCases), std::end(kCases));
    std::sort(cases.begin(), cases.end());
    EXPECT_EQ(folders, cases);
}

// The comparison itself: one unit of the last decimal passes, two do not; texts, decimals and
// line counts must match; the date and time of a row are ignored.
TEST(CliGoldenCompare, ToleratesOneUnitOfTheLastDecimalOnly) {
    const std::string fixture = "T,Fo,Sample,When\n1173.407, 0.88,VG-2,2026-01-01 10:00:00\n";
    EXPECT_TRUE(differences(fixture, fixture).empty());
    EXPECT_TRUE(differences(fixture, "T,Fo,Sample,When\n1173.408, 0.87,VG-2,2027-05-05 11:11:11\n")
                    .empty());
    EXPECT_EQ(
        differences(fixture, "T,Fo,Sample,When\n1173.409, 0.88,VG-2,2026-01-01 10:00:00\n").size(),
        1u);
    EXPECT_EQ(
        differences(fixture, "T,Fo,Sample,When\n1173.41, 0.88,VG-2,2026-01-01 10:00:00\n").size(),
        1u);  // a decimal less
    EXPECT_EQ(
        differences(fixture, "T,Fo,Sample,When\n1173.407, 0.88,VG-3,2026-01-01 10:00:00\n").size(),
        1u);
    EXPECT_EQ(differences(fixture, "T,Fo,Sample,When\n1173.407, 0.88,VG-2,x\n").size(), 1u);
    EXPECT_FALSE(differences(fixture, "T,Fo,Sample,When\n").empty());
    EXPECT_FALSE(differences(fixture, "T,Fo,Sample\n1173.407, 0.88,VG-2\n").empty());
    EXPECT_TRUE(differences("1.235E4,-1.00\n", "1.236E4,-1.00\n").empty());
    EXPECT_EQ(differences("1.235E4,-1.00\n", "1.237E4,-0.99\n").size(), 1u);
}

}  // namespace
}  // namespace varnodel
