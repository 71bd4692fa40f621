#include <gtest/gtest.h>

#include "CliRunner.h"
#include "models/ModelRegistry.h"

namespace varnodel {
namespace {

using test::runCli;

TEST(CliBasics, VersionAndHelpSucceed) {
    const auto version = runCli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("Varnodel ") + VARNODEL_VERSION + "\n");

    const auto help = runCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("models"), std::string::npos);
    EXPECT_TRUE(help.err.empty());
}

struct UsageCase {
    const char* arguments;
    const char* errorText;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << '"' << c.arguments << '"';
}

class CliUsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageErrors, AreReportedOnStderrWithExitCode2) {
    const auto result = runCli(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(GetParam().errorText), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageErrors,
    ::testing::Values(UsageCase{"frobnicate", "unknown command \"frobnicate\""},
                      UsageCase{"--bogus", "--bogus"}, UsageCase{"models --bogus", "--bogus"},
                      UsageCase{"", "a command is required"}));

TEST(CliModels, ListsEverySetAndModelInRegistrationOrder) {
    const auto result = runCli("models");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const ModelRegistry registry;
    std::size_t position = 0;
    const auto expectNext = [&](const std::string& text) {
        const auto found = result.out.find(text, position);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << text;
        position = found + text.size();
    };
    for (const auto& set : registry.mineralSets()) {
        expectNext(set->displayName + " (" + set->abbreviation + ")");
        for (const auto& model : set->models) {
            expectNext(model->displayName);
            expectNext('"' + model->shortName + '"');  // blanks visible inside the quotes
        }
    }
    expectNext("Oxidation state of the melt");
    for (const auto& model : registry.oxidationModels().models)
        expectNext(model->displayName);
    expectNext("Oxygen buffers");
    for (std::size_t i = 0; i < registry.bufferTable().count(); ++i)
        expectNext(registry.bufferTable().getItemByIndex(i)->displayName);
    expectNext("Trace-element partitioning");
    for (const auto& model : registry.traceModels().models)
        expectNext(model->displayName);
}

TEST(CliModels, RowsShowTheShortNameAndFlags) {
    const auto result = runCli("models");
    ASSERT_EQ(result.exitCode, 0);
    for (const char* row : {
             "\n  Model                         Short name   P  W  Tr  Default\n",
             "\n  Ford et al., 1983             \"Ford83  \"   Y         default\n",
             "\n  Ariskin et al., 1986          \"Arisk86 \"\n",
             "\n  Beattie, 1993                 \"Beatt93 \"   Y     Y   default\n",
             "\n  Putirka, 2005 (C-D)           \"Put05cd \"      Y      default\n",
             "\n  QFM                           \"QFM\"                  default\n",
             "\n  Kinzler et al, 1990           \"Kinzl90 \"         Y     (not available)\n",
             "Columns: P = the model accounts for pressure, W = for H2O in the melt",
             "\nH2O of the melt\n  Moore et al., 1998  (H2O solubility",
             "\nMelt density (run.density)\n  Lange, Carmichael 1987  (default)\n"
             "  Nelson, Carmichael 1979\n",
             "\nMelt viscosity (run.viscosity)\n  Bottinga, Weill 1972  (default)\n",
         })
        EXPECT_NE(result.out.find(row), std::string::npos) << row;
}

}  // namespace
}  // namespace varnodel
