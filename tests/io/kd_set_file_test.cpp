#include "io/KdSetFile.h"

#include <gtest/gtest.h>

#include "support/ScratchDir.h"

namespace varnodel {
namespace {

constexpr std::size_t kOl = 1, kPl = 2, kSp = 6;
constexpr std::size_t kB = 1, kBe = 2, kSc = 3, kV = 4, kNi = 6, kSr = 11, kBa = 16;

TModel* modelNamed(const RunState& state, Phase mineral, const std::string& shortName) {
    return state.registry().mineralSet(mineral).getByNameShort(shortName);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(KdSetFile, SaveThenLoadRestoresTheSetAndSavesTheSameBytes) {
    RunState saved;
    auto& kd = saved.settings.kd;
    kd.at(kOl, kNi) = 12.5;
    kd.at(kOl, kH2OElementIndex) = 0.001;
    kd.at(kPl, kSr) = 1.8;
    kd.at(kSp, kV) = 1e-5;
    saved.slots[kOl] = modelNamed(saved, Phase::Olivine, "Beatt93 ");
    ASSERT_NE(saved.slots[kOl], nullptr);
    saved.settings.minerals[kOl].traceChoices[kNi - 1] = "Model";
    saved.settings.minerals[kPl].traceChoices[kSr - 1] = "Bl_Wo91 ";
    saved.settings.minerals[kPl].traceChoices[kBa - 1] = "Bl_Wo91 ";
    test::ScratchDir scratch("varnodel_kdset");
    const auto file = scratch.path() / "set.conf";
    writeKdSetFile(saved, file);

    const auto lines = linesOf(scratch.read("set.conf"));
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[0].substr(0, 20), "Mineral\tB \tBe\tSc\tV \t");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 7), "\tU \tH2O");
    EXPECT_EQ(lines[10], lines[0]);
    EXPECT_EQ(lines[9], "-----------------------------------------");
    EXPECT_EQ(lines[6].substr(0, 14), "Spl\t0\t0\t0\t1E-5");
    EXPECT_EQ(lines[11].substr(0, 30), "Olv\tKd\tKd\tKd\tKd\tKd\tM:Beatt93 \t");
    EXPECT_EQ(std::count(lines[12].begin(), lines[12].end(), '\t'), 38);

    RunState loaded;
    const KdSetLoad load = readKdSetFile(loaded, file);
    EXPECT_TRUE(load.found);
    EXPECT_TRUE(load.skipped.empty());
    EXPECT_EQ(loaded.settings.kd, saved.settings.kd);
    for (std::size_t m = 1; m <= kMineralCount; ++m)
        EXPECT_EQ(loaded.settings.minerals[m].traceChoices, saved.settings.minerals[m].traceChoices)
            << m;
    EXPECT_EQ(loaded.slots[kOl], modelNamed(loaded, Phase::Olivine, "Beatt93 "));
    EXPECT_EQ(kdSetText(loaded), kdSetText(saved));
}

TEST(KdSetFile, ReadingRules) {
    const std::string header = "Mineral\tignored\n";
    const std::string text = header +
                             "Olv\t0.3abc\t250\t0\t-2\n"
                             "Plg\n"  // does not split
                             "\n\n\n\n\n\n-----\n" +
                             header +
                             "Olv\tM:Arisk93\tKd\tBl_Wo91\tNoSuch\tM:Nothing\n"
                             "Plg\tKd\tKd\tKd\tKd\tKd\tKd\tKd\tKd\tKd\tKd\tBl_Wo91\n";
    RunState state;
    state.settings.kd.at(kOl, kSc) = 7.0;
    state.settings.kd.at(kPl, kB) = 2.0;
    for (std::size_t e : {kSc, kV})
        state.settings.minerals[kOl].traceChoices[e - 1] = "Model";
    TModel* before = state.slots[kOl];

    const KdSetLoad load = readKdSetText(state, text, "t.conf");
    const auto& kd = state.settings.kd;
    const auto& olivine = state.settings.minerals[kOl].traceChoices;
    EXPECT_EQ(kd.at(kOl, kB), 0.3);   // trailing letters dropped
    EXPECT_EQ(kd.at(kOl, kBe), 100);  // clamped
    EXPECT_EQ(kd.at(kOl, kSc), 7.0);  // 0 leaves the Kd alone
    EXPECT_EQ(kd.at(kOl, kV), 0.0);   // so does a negative one, clamped to 0
    EXPECT_EQ(kd.at(kPl, kB), 2.0);   // the line that does not split
    EXPECT_EQ(olivine[kB - 1], "Model");
    EXPECT_NE(state.slots[kOl], before);
    EXPECT_EQ(state.slots[kOl], modelNamed(state, Phase::Olivine, "Arisk93 "));
    EXPECT_EQ(olivine[kBe - 1], "Kd");
    EXPECT_EQ(olivine[kSc - 1], "Model");  // Bl_Wo91 is no olivine model: skipped
    EXPECT_EQ(olivine[kV - 1], "Model");   // NoSuch: skipped
    EXPECT_EQ(state.settings.minerals[kPl].traceChoices[kSr - 1], "Bl_Wo91 ");
    ASSERT_EQ(load.skipped.size(), 3u);
    EXPECT_EQ(load.skipped[0],
              "t.conf, line 12, Sc in olivine: \"Bl_Wo91\" does not compute this element in "
              "this mineral");

    RunState untouched;
    EXPECT_FALSE(readKdSetFile(untouched, "/nonexistent/set.conf").found);
}

}  // namespace
}  // namespace varnodel
