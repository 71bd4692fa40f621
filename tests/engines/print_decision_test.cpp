// Which steps of a forward run are printed.
#include <gtest/gtest.h>

#include "engines/FrPrint.h"

namespace varnodel {
namespace {

// The decision on a forward run's state, as the engine asks it.
bool decide(PrintDecision& decision, const FracState& s, bool requested) {
    return decision.decide(s.T[s.leader], s.composition, s.inAssemblage, 1.0 - s.meltFraction,
                           requested);
}

// The parameters as the engine scales them (fractions), every kind of output off.
TParameters noOutput() {
    TParameters p;
    p.outputByCrystallisation = false;
    return p;
}

// Marks fall on multiples of the interval (here 1/8, so that every sum is exact): a step that
// passes a mark moves it on by one interval, not to where the step ended, and a long step is
// caught up one interval per decision.
TEST(PrintDecision, CrystallisationMarksFallOnMultiplesOfTheInterval) {
    TParameters p = noOutput();
    p.outputByCrystallisation = true;
    p.outputCrystallisation = 0.125;
    PrintDecision decision(p);
    FracState s;
    const auto at = [&](double crystallised) {
        s.meltFraction = 1.0 - crystallised;
        return decide(decision, s, false);
    };
    EXPECT_FALSE(at(0.0625));
    EXPECT_TRUE(at(0.125));  // mark 0.125
    EXPECT_FALSE(at(0.15625));
    EXPECT_TRUE(at(0.28125));  // mark 0.25
    EXPECT_TRUE(at(0.375));    // 0.125 past the mark at 0.25; mark 0.375
    EXPECT_FALSE(at(0.375));
    EXPECT_TRUE(at(0.75));  // mark 0.5
    EXPECT_TRUE(at(0.75));  // mark 0.625
    EXPECT_TRUE(at(0.75));  // mark 0.75
    EXPECT_FALSE(at(0.75));
}

// By temperature: a change of at least the interval since the last printed temperature, either
// way (kelvin; the interval is not scaled).
TEST(PrintDecision, ByTemperature) {
    TParameters p = noOutput();
    p.outputByTemperature = true;
    p.outputTemperature = 10.0;
    PrintDecision decision(p);
    FracState s;
    s.leader = 2;
    const auto at = [&](double T) {
        s.T[2] = T;
        return decide(decision, s, false);
    };
    EXPECT_TRUE(at(1500.0));
    EXPECT_FALSE(at(1495.0));
    EXPECT_FALSE(at(1490.5));
    EXPECT_TRUE(at(1490.0));
    EXPECT_FALSE(at(1481.0));
    EXPECT_TRUE(at(1500.0));
}

// By Fo: only while olivine is in the assemblage; the change since the last printed Fo counts.
// Olivine's joining is itself a change of the assemblage.
TEST(PrintDecision, ByFo) {
    TParameters p = noOutput();
    p.outputByFo = true;
    p.outputFo = 0.0625;
    PrintDecision decision(p);
    FracState s;
    s.composition[1] = 0.875;
    EXPECT_FALSE(decide(decision, s, false));
    s.inAssemblage[1] = true;
    EXPECT_TRUE(decide(decision, s, false));  // Fo 0.875 from 0
    s.composition[1] = 0.84375;
    EXPECT_TRUE(decide(decision, s, false));  // olivine joined
    EXPECT_FALSE(decide(decision, s, false));
    s.composition[1] = 0.8125;
    EXPECT_TRUE(decide(decision, s, false));
}

// Every change of the number of minerals outside the assemblage prints, a mineral joining or
// one leaving after its model failed.
TEST(PrintDecision, AssemblageChanges) {
    PrintDecision decision(noOutput());
    FracState s;
    EXPECT_FALSE(decide(decision, s, false));
    s.inAssemblage[1] = true;
    EXPECT_TRUE(decide(decision, s, false));
    EXPECT_FALSE(decide(decision, s, false));
    s.inAssemblage[2] = true;
    EXPECT_TRUE(decide(decision, s, false));
    s.inAssemblage[1] = false;
    EXPECT_TRUE(decide(decision, s, false));
    EXPECT_FALSE(decide(decision, s, false));
    EXPECT_TRUE(decide(decision, s, true));  // a print asked for during the step
}

}  // namespace
}  // namespace varnodel
