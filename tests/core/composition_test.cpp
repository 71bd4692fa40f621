#include "core/Composition.h"

#include <gtest/gtest.h>

#include "core/Assemblage.h"

namespace varnodel {
namespace {

TAnalysis named(std::string name, double silica) {
    TAnalysis a;
    a.name = std::move(name);
    a.oxides[Ox::SiO2] = silica;
    return a;
}

TEST(Composition, BlankAnalysisHasNamesAndZeros) {
    const TAnalysis blank;
    EXPECT_EQ(blank.volatile_.name, "H2O");
    ASSERT_EQ(blank.traces.size(), 37u);
    EXPECT_EQ(blank.traces[0].name, "B ");
    EXPECT_EQ(blank.traces[3].name, "V ");
    EXPECT_EQ(blank.traces[36].name, "U ");
    for (double v : blank.oxides)
        EXPECT_EQ(v, 0.0);
    for (const auto& t : blank.traces)
        EXPECT_EQ(t.value, 0.0);
    EXPECT_TRUE(blank.name.empty());
    EXPECT_TRUE(blank.text.empty());
}

TEST(Composition, TablesInTheirFixedOrder) {
    EXPECT_EQ(kOxides[Ox::SiO2].label, " SiO2");
    EXPECT_EQ(kOxides[Ox::Fe2O3].massPerCation, 79.845);
    EXPECT_EQ(kOxides[Ox::Cr2O3].label, "Cr2O3");
    EXPECT_EQ(kOxides[Ox::Na2O].cationsPerFormula, 2);
    EXPECT_EQ(kPhases[0].name, "melt");
    EXPECT_EQ(phaseName(Phase::Magnetite), "magnetite");
    EXPECT_EQ(phaseInfo(Phase::Clinopyroxene).compositionLabel, "Mg#Cpx");
    EXPECT_EQ(phaseInfo(Phase::Olivine).compositionLabel, "Fo    ");
    EXPECT_EQ(phaseInfo(Phase::Melt).abbreviation, "M  ");
}

TEST(Composition, ElementAndMineralIndicesAreOneBased) {
    EXPECT_EQ(elementIndex("B "), 1u);
    EXPECT_EQ(elementIndex("Ni"), 6u);
    EXPECT_EQ(elementIndex("U "), 37u);
    EXPECT_EQ(elementIndex("H2O"), 38u);
    EXPECT_EQ(elementIndex("U"), 0u);  // names keep their blank
    EXPECT_EQ(mineralIndex("olivine"), 1u);
    EXPECT_EQ(mineralIndex("magnetite"), 8u);
    EXPECT_EQ(mineralIndex("melt"), 0u);
    EXPECT_EQ(mineralIndex("Olivine"), 0u);
}

TEST(FindPhase, AbsentNameGivesTheBlankAnalysis) {
    const std::vector<TAnalysis> phases{named("melt", 50.0)};
    const TAnalysis found = findPhase(phases, "olivine");
    EXPECT_EQ(found.oxides[Ox::SiO2], 0.0);
    EXPECT_EQ(found.volatile_.name, "H2O");
    EXPECT_EQ(found.traces[5].name, "Ni");
    EXPECT_TRUE(found.name.empty());
}

TEST(FindPhase, ComparesExactlyAndTheLastMatchWins) {
    const std::vector<TAnalysis> phases{named("melt", 50.0), named("olivine", 40.0),
                                        named("melt", 52.0)};
    EXPECT_EQ(findPhase(phases, "melt").oxides[Ox::SiO2], 52.0);
    EXPECT_EQ(findPhase(phases, "Melt").oxides[Ox::SiO2], 0.0);
}

TEST(StorePhase, OverwritesEveryMatchOrAppends) {
    std::vector<TAnalysis> phases{named("melt", 50.0), named("olivine", 40.0),
                                  named("olivine", 41.0)};
    storePhase(phases, named("", 39.0), "olivine");
    ASSERT_EQ(phases.size(), 3u);
    EXPECT_EQ(phases[1].oxides[Ox::SiO2], 39.0);
    EXPECT_EQ(phases[2].oxides[Ox::SiO2], 39.0);
    EXPECT_EQ(phases[2].name, "olivine");  // an unnamed analysis takes the name

    storePhase(phases, named("", 55.0), "plagioclase");
    ASSERT_EQ(phases.size(), 4u);
    EXPECT_EQ(phases[3].name, "plagioclase");
}

TEST(StorePhase, KeepsTheAnalysisOwnName) {
    std::vector<TAnalysis> phases;
    storePhase(phases, named("sample 7", 48.0), "melt");
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_EQ(phases[0].name, "sample 7");
}

TEST(AddScaled, MovesOxidesAlwaysAndOnlyActiveElements) {
    TAnalysis a, b;
    a.oxides[Ox::MgO] = 10.0;
    b.oxides[Ox::MgO] = 4.0;
    a.volatile_.value = 1.0;
    b.volatile_.value = 2.0;
    a.traces[5].value = 100.0;  // Ni
    b.traces[5].value = 50.0;
    a.traces[10].value = 300.0;  // Sr
    b.traces[10].value = 10.0;

    ActiveElements active;
    active.traces[5] = true;
    const TAnalysis sum = addScaled(a, b, -0.5, active);
    EXPECT_DOUBLE_EQ(sum.oxides[Ox::MgO], 8.0);
    EXPECT_DOUBLE_EQ(sum.traces[5].value, 75.0);
    EXPECT_DOUBLE_EQ(sum.traces[10].value, 300.0);  // inactive: value of a
    EXPECT_DOUBLE_EQ(sum.volatile_.value, 1.0);     // H2O not active

    active.volatile_ = true;
    EXPECT_DOUBLE_EQ(addScaled(a, b, -0.5, active).volatile_.value, 0.0);
}

TEST(Assemblage, StoreMineralNamesThePhase) {
    TAssemblage assemblage;
    Oxides wt{};
    wt[Ox::SiO2] = 40.0;
    storeMineral(assemblage, Phase::Olivine, wt);
    EXPECT_EQ(findPhase(assemblage.phases, "olivine").oxides[Ox::SiO2], 40.0);
    EXPECT_EQ(meltOf(assemblage).oxides[Ox::SiO2], 0.0);
}

}  // namespace
}  // namespace varnodel
