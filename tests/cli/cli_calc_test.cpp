// `varnodel-cli calc`: the README's worked example and the refusals of bad conditions.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

using test::runCli;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

// The basalt of Moore et al. (1998) as VESIcal's documentation computes it: 1000 C, 1 kbar,
// X(H2O) of the fluid 0.5 -> 2.2434 wt% H2O (2.2431 here).
const char* const kMoore =
    "[composition]\nname = \"Moore basalt\"\npressure = 1.0\n"
    "oxides = { SiO2 = 47.95, TiO2 = 1.67, Al2O3 = 17.32, Fe2O3 = 0.1, FeO = 10.24, MnO = 0.1, "
    "MgO = 5.76, CaO = 10.93, Na2O = 3.45, K2O = 1.99, P2O5 = 0.51, Cr2O3 = 0 }\n"
    "[mla]\nolivine = [\"Ford83\"]\n";

TEST(CliCalc, WorkedExampleGivesMooreH2OInOneRowUnderItsHeader) {
    test::ScratchDir scratch{"varnodel_cli_calc"};
    scratch.write("moore.toml", kMoore);
    const auto run = runCli("calc --settings moore.toml --temperature 1000 --xh2o 0.5 --csv",
                            scratch.path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = split(run.out, '\n');
    ASSERT_EQ(lines.size(), 2u) << run.out;
    const auto header = split(lines[0], ','), row = split(lines[1], ',');
    ASSERT_EQ(header.size(), row.size());
    for (std::size_t k = 0; k < header.size(); ++k) {
        if (header[k] == "H2O(wt%) Moore98") {
            EXPECT_EQ(row[k], "2.2431");
        }
        if (header[k] == "log(fO2) QFM") {
            EXPECT_EQ(row[k], row[3]);  // the melt is on the settings' buffer
        }
        EXPECT_NE(row[k], "-1") << header[k];
    }
    EXPECT_EQ(row[0], "Moore basalt");
    EXPECT_EQ(header.back(), "Fo KD(Fe-Mg) after Toplis 2005");
}

TEST(CliCalc, RefusesConditionsItCannotUse) {
    test::ScratchDir scratch{"varnodel_cli_calc"};
    for (const char* arguments :
         {"calc", "calc --temperature 1200 --xh2o 1.5", "calc --temperature 1200 --pressure -2",
          "calc --temperature abc", "calc --temperature nan"}) {
        const auto run = runCli(arguments, scratch.path().string());
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err, "") << arguments;
        EXPECT_EQ(run.out, "") << arguments;
    }
}

}  // namespace
}  // namespace varnodel
