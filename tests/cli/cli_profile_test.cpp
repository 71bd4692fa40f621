// varnodel-cli profile-ic / profile-cr with "Load last result": the two texts of a missing or
// unreadable LAST_RES.DAT, and a run that starts from what the run before left in the output
// folder.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "CliRunner.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

using test::readFile;
using test::runCli;

const std::string kLoadLast = " --set melt_inclusions.load_last_result=true --quiet";

TEST(CliProfile, LoadLastResultTextsAndReadBack) {
    test::ScratchDir dir("varnodel_profile_last");
    const std::string at = dir.path().string();

    auto run = runCli("profile-ic" + kLoadLast, at);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              "varnodel-cli: File LAST_RES.DAT with the results of the previous calculation does "
              "not exist. You must perfrom calculations once at least to use this option.\n");
    dir.write("LAST_RES.DAT", "  1.0000 x\n");
    run = runCli("profile-cr" + kLoadLast, at);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              "varnodel-cli: Cannot retrieve the results of the previous calculation from file "
              "LAST_RES.DAT. Contact authors if this problem persists.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Varnodel_Output_PCR.csv"));

    // A small instant-cooling run of the default melt, then a cooling-rate run from its result:
    // the inclusion inside the rim it grew, its melt and its name.
    run = runCli(
        "profile-ic --set melt_inclusions.inclusion_radius=30 --set "
        "melt_inclusions.cooling_interval=20 --set melt_inclusions.final_extent=10 --quiet",
        at);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream last(readFile(dir.path() / "LAST_RES.DAT"));
    double radius = 0.0, feo = 0.0;
    last >> radius >> feo;
    ASSERT_GT(radius, 29.0);
    ASSERT_LT(radius, 30.0);

    run = runCli("profile-cr --set melt_inclusions.cooling_interval=10" + kLoadLast, at);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ostringstream want;
    want << "Inclusion radius: " << std::fixed << std::setprecision(2) << radius << " micron\n";
    EXPECT_NE(readFile(dir.path() / "Varnodel_Output_PCR_calc_param.csv").find(want.str()),
              std::string::npos);
    const std::string comp = readFile(dir.path() / "Varnodel_Output_PCR_COMP.csv");
    EXPECT_NE(comp.find(",VarnodelDefault\n"), std::string::npos) << comp;
    // The new run rewrote LAST_RES.DAT inside the rim it grew in its turn.
    std::istringstream again(readFile(dir.path() / "LAST_RES.DAT"));
    double inner = 0.0;
    again >> inner;
    EXPECT_LT(inner, radius);
}

}  // namespace
}  // namespace varnodel
