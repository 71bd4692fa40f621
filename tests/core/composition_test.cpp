#include "core/Composition.h"

#include <gtest/gtest.h>

namespace varnodel {
namespace {

TEST(Composition, BlankAnalysisHasNamesAndZeros) {
    const TAnalysis blank;
    EXPECT_EQ(blank.volatile_.name, "H2O");
    EXPECT_EQ(blank.traces.front().name, "B ");
    EXPECT_EQ(blank.traces.back().name, "U ");
    for (double v : blank.oxides) EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(blank.name.empty());
    EXPECT_TRUE(blank.text.empty());
}

}  // namespace
}  // namespace varnodel
