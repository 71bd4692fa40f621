// A few dozen generated hostile data files, run as a front end runs them (the longer run of
// thousands is bench/fuzz, `make fuzz`).
#include <gtest/gtest.h>

#include "support/HostileRun.h"

namespace varnodel {
namespace {

class HostileDataFuzz : public ::testing::TestWithParam<int> {};

TEST_P(HostileDataFuzz, RunsCleanlyOrIsRefused) {
    for (const auto& problem : test::hostileRunProblems(static_cast<std::uint64_t>(GetParam())))
        ADD_FAILURE() << problem;
}

INSTANTIATE_TEST_SUITE_P(Seeds, HostileDataFuzz, ::testing::Range(1, 41));

}  // namespace
}  // namespace varnodel
