#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/RunState.h"
#include "models/_models_traces.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

constexpr std::size_t kCo = 5, kNi = 6, kSr = 11, kBa = 16;  // positions in the trace table
constexpr std::size_t kOl = 1, kPl = 2;                      // mineral indices

TAnalysis phaseOf(std::string name, const Oxides& cationMoles) {
    TAnalysis a;
    a.name = std::move(name);
    a.oxides = cationMoles;
    return a;
}

double traceOf(const TAssemblage& a, Phase p, std::size_t element) {
    return findPhase(a.phases, phaseName(p)).traces[element - 1].value;
}

// A melt holding 1 of Sr and of Ba, and a plagioclase (cation moles) of anorthite fraction xAn
// whose Sr and Ba start at 7.
TAssemblage plagioclaseAssemblage(double xAn) {
    TAssemblage a;
    TAnalysis melt = phaseOf("melt", {0.5, 0, 0.3, 0, 0, 0, 0, 0.1, 0.1, 0, 0, 0});
    melt.traces[kSr - 1].value = 1.0;
    melt.traces[kBa - 1].value = 1.0;
    TAnalysis plagioclase =
        phaseOf("plagioclase", {2.0 + (1 - xAn), 0, 2.0 - (1 - xAn), 0, 0, 0, 0, xAn, 1 - xAn});
    plagioclase.traces[kSr - 1].value = 7.0;
    plagioclase.traces[kBa - 1].value = 7.0;
    a.phases = {melt, plagioclase};
    return a;
}

TEST(TraceModels, RegisteredInOrderWithTheirFlags) {
    TSetOfModels set;
    registerTraceModels(set);
    struct Expected {
        const char* display;
        const char* shortName;
        std::size_t mineral;
        std::vector<std::size_t> elements;
    };
    const Expected expected[] = {
        {"Blundy & Wood, 1991", "Bl_Wo91 ", kPl, {kSr, kBa}},
        {"Kinzler et al, 1990", "Kinzl90 ", kOl, {kNi}},
        {"Beattie, 1993", "Beatt91 ", kOl, {kCo, kNi}},
    };
    ASSERT_EQ(set.models.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TModel& m = *set.models[i];
        SCOPED_TRACE(expected[i].display);
        EXPECT_EQ(m.displayName, expected[i].display);
        EXPECT_EQ(m.shortName, expected[i].shortName);
        EXPECT_TRUE(m.hasTraces);
        EXPECT_FALSE(m.selected || m.isDefault || m.usesPressure || m.usesWater);
        for (std::size_t p = 0; p < kPhaseCount; ++p)
            EXPECT_EQ(m.forMineral[p], p == expected[i].mineral) << p;
        for (std::size_t e = 1; e <= kTraceCount; ++e)
            EXPECT_EQ(m.forTrace[e - 1],
                      std::count(expected[i].elements.begin(), expected[i].elements.end(), e) == 1)
                << e;
        EXPECT_EQ(m.clone()->shortName, m.shortName);
    }
}

// Blundy & Wood 1991: RT ln D_Sr = 26800 - 26700 X_An, RT ln D_Ba = 10200 - 38200 X_An (J/mol).
struct BlundyWoodCase {
    double xAn;
    double dSr;
    double dBa;
};

class BlundyWood : public ::testing::TestWithParam<BlundyWoodCase> {};

TEST_P(BlundyWood, SetsMeltTimesDAtTheAnorthiteFraction) {
    TModelTrace_Blundy_Wood1991 model;
    model.context().settings.minerals[kPl].traceChoices[kSr - 1] = "Bl_Wo91 ";
    model.context().settings.minerals[kPl].traceChoices[kBa - 1] = "Bl_Wo91 ";
    TAssemblage a = plagioclaseAssemblage(GetParam().xAn);
    model.get_Trace(a, 1473.0);
    EXPECT_NEAR(traceOf(a, Phase::Plagioclase, kSr), GetParam().dSr, 1e-12);
    EXPECT_NEAR(traceOf(a, Phase::Plagioclase, kBa), GetParam().dBa, 1e-12);
    EXPECT_EQ(traceOf(a, Phase::Melt, kSr), 1.0);
    EXPECT_TRUE(model.message.empty());
}

// Computed once in Python: exp((a + b X_An) / (8.314472 * 1473)). For pure anorthite
// D_Sr = exp(100 / (8.314472 * 1473)), just above 1.
INSTANTIATE_TEST_SUITE_P(
    TraceModels, BlundyWood,
    ::testing::Values(BlundyWoodCase{1.0, 1.0081985456232252, 0.10164858768633604},
                      BlundyWoodCase{0.5, 2.998789345741464, 0.4835040003185368}));

TEST(TraceModels, BlundyWoodChangesOnlyTheElementsAssignedToIt) {
    TModelTrace_Blundy_Wood1991 model;
    auto& choices = model.context().settings.minerals[kPl].traceChoices;
    for (const char* other : {"Kd", "Model", "Bl_Wo91", "Beatt91 "}) {
        SCOPED_TRACE(other);
        choices[kSr - 1] = other;
        choices[kBa - 1] = other;
        TAssemblage a = plagioclaseAssemblage(0.5);
        model.get_Trace(a, 1473.0);
        EXPECT_EQ(traceOf(a, Phase::Plagioclase, kSr), 7.0);
        EXPECT_EQ(traceOf(a, Phase::Plagioclase, kBa), 7.0);
    }
    // Assigned to plagioclase in another mineral's column: no effect on plagioclase.
    model.context().settings.minerals[kOl].traceChoices[kSr - 1] = "Bl_Wo91 ";
    choices[kBa - 1] = "Bl_Wo91 ";
    TAssemblage a = plagioclaseAssemblage(0.5);
    model.get_Trace(a, 1473.0);
    EXPECT_EQ(traceOf(a, Phase::Plagioclase, kSr), 7.0);
    EXPECT_NEAR(traceOf(a, Phase::Plagioclase, kBa), 0.4835040003185368, 1e-12);
}

TEST(TraceModels, WithoutPlagioclaseOrMeltNothingChangesAndTheMessageSaysSo) {
    TModelTrace_Blundy_Wood1991 model;
    model.context().settings.minerals[kPl].traceChoices[kSr - 1] = "Bl_Wo91 ";
    for (const char* missing : {"plagioclase", "melt"}) {
        SCOPED_TRACE(missing);
        TAssemblage a = plagioclaseAssemblage(0.6);
        std::erase_if(a.phases, [&](const TAnalysis& p) { return p.name == missing; });
        const TAssemblage before = a;
        model.message.clear();
        model.get_Trace(a, 1473.0);
        EXPECT_EQ(model.message, "Melt or plagioclase does not exist in the assemblage");
        ASSERT_EQ(a.phases.size(), before.phases.size());
        for (std::size_t i = 0; i < a.phases.size(); ++i)
            for (std::size_t e = 0; e < kTraceCount; ++e)
                EXPECT_EQ(a.phases[i].traces[e].value, before.phases[i].traces[e].value);
    }
}

TEST(TraceModels, BlundyWoodOnAPlagioclaseWithoutCaAndNaIsAModelError) {
    TModelTrace_Blundy_Wood1991 model;
    model.context().settings.minerals[kPl].traceChoices[kSr - 1] = "Bl_Wo91 ";
    TAssemblage a = plagioclaseAssemblage(0.5);
    a.phases[1].oxides[Ox::CaO] = a.phases[1].oxides[Ox::Na2O] = 0.0;
    EXPECT_THROW(model.get_Trace(a, 1473.0), EModelError_GetT);
}

// Beattie, Ford & Russell 1991 with molar D: X_M(ol) = (s D_Mg + c) X_M(melt), cation
// fractions over the twelve oxides. Juan de Fuca MORB glass (cation moles per 100 g) with an
// olivine Fo80 written from its three-cation formula. Computed once in Python:
//   X_Mg(ol) = 2/3 * 0.8 = 0.5333, X_Mg(melt) = 0.16651/1.76871 -> D_Mg = 5.665506357278757,
//   D_Ni = 3.346 D_Mg - 3.665 = 15.291784271454723, D_Co = 0.786 D_Mg - 0.385 = 4.068087996821104,
//   cation moles per 100 g: olivine 1.9569471624266144, melt 1.7687134455958653.
TEST(TraceModels, BeattieSetsNiAndCoFromTheMolarPartitionOfMg) {
    TModelTrace_Beattie1991 model;
    model.context().settings.minerals[kOl].traceChoices[kNi - 1] = "Beatt91 ";
    model.context().settings.minerals[kOl].traceChoices[kCo - 1] = "Beatt91 ";
    TAssemblage a = test::meltAssemblage(test::referenceGlasses().at(0));
    a.phases[0].traces[kNi - 1].value = 2.5e-4;
    a.phases[0].traces[kCo - 1].value = 8e-5;
    Oxides fractions{};
    fractions[Ox::SiO2] = 1.0 / 3.0;
    fractions[Ox::MgO] = 2.0 / 3.0 * 0.8;
    fractions[Ox::FeO] = 2.0 / 3.0 - fractions[Ox::MgO];
    TAnalysis olivine = phaseOf("olivine", cationFractionsToWtPercent(fractions));
    TMoleConversions().wtToMoles(olivine);
    a.phases.push_back(olivine);

    model.get_Trace(a, 1473.0);
    const double toHeld = 1.9569471624266144 / 1.7687134455958653;
    EXPECT_NEAR(traceOf(a, Phase::Olivine, kNi), 2.5e-4 * 15.291784271454723 * toHeld, 1e-15);
    EXPECT_NEAR(traceOf(a, Phase::Olivine, kCo), 8e-5 * 4.068087996821104 * toHeld, 1e-15);
    EXPECT_TRUE(model.message.empty());
}

TEST(TraceModels, BeattieTakesANegativeCoefficientAsZero) {
    // Equal Mg cation fractions (0.2 of one mole of cations each): D_Mg = 1, so
    // D_Ni = 3.346 - 3.665 < 0 -> 0 and D_Co = 0.786 - 0.385 = 0.401.
    TModelTrace_Beattie1991 model;
    auto& choices = model.context().settings.minerals[kOl].traceChoices;
    choices[kNi - 1] = choices[kCo - 1] = "Beatt91 ";
    TAnalysis melt = phaseOf("melt", {0.8, 0, 0, 0, 0, 0, 0.2});
    melt.traces[kNi - 1].value = melt.traces[kCo - 1].value = 1.0;
    TAssemblage a;
    a.phases = {melt, phaseOf("olivine", {1.0 / 3.0, 0, 0, 0, 2.0 / 3.0 - 0.2, 0, 0.2})};
    model.get_Trace(a, 1473.0);
    EXPECT_EQ(traceOf(a, Phase::Olivine, kNi), 0.0);
    EXPECT_NEAR(traceOf(a, Phase::Olivine, kCo), 0.401, 1e-12);

    a.phases[0].oxides[Ox::MgO] = 0.0;  // D_Mg infinite
    EXPECT_THROW(model.get_Trace(a, 1473.0), EModelError_GetT);
}

TEST(TraceModels, OlivineModelsWithoutOlivineLeaveTheirMessage) {
    TModelTrace_Beattie1991 beattie;
    TModelTrace_Kinzler1990 kinzler;
    for (TModel* model : {static_cast<TModel*>(&beattie), static_cast<TModel*>(&kinzler)}) {
        model->context().settings.minerals[kOl].traceChoices[kNi - 1] = model->shortName;
        TAssemblage a = plagioclaseAssemblage(0.5);
        model->get_Trace(a, 1473.0);
        EXPECT_EQ(model->message, "Melt or olivine does not exist in the assemblage");
        EXPECT_EQ(traceOf(a, Phase::Plagioclase, kSr), 7.0);
    }
}

TEST(TraceModels, KinzlerEndsTheRunRatherThanWriteAnUnpublishedNi) {
    TModelTrace_Kinzler1990 model;
    TAssemblage a = test::meltAssemblage(test::referenceGlasses().at(0));
    a.phases.push_back(phaseOf("olivine", {0.5, 0, 0, 0, 0.2, 0, 0.8}));
    model.get_Trace(a, 1473.0);  // not assigned: nothing happens
    EXPECT_TRUE(model.context().errorText.empty());
    model.context().settings.minerals[kOl].traceChoices[kNi - 1] = "Kinzl90 ";
    EXPECT_THROW(model.get_Trace(a, 1473.0), FatalError);
    EXPECT_EQ(model.context().errorText, model.unavailable);
}

TEST(TraceModels, OnlyKinzlerIsUnavailable) {
    RunState state;
    for (const auto& model : state.registry().traceModels().models)
        EXPECT_EQ(model->unavailable.empty(), model->shortName != "Kinzl90 ") << model->displayName;
}

TEST(TraceModels, TraceKdLooksUpByExactElementAndMineralNames) {
    TKdTable kd;
    kd.at(kPl, kSr) = 1.7;
    kd.at(8, kH2OElementIndex) = 0.25;
    kd.at(kOl, 1) = 0.5;
    EXPECT_EQ(kd.traceKd("Sr", "plagioclase"), 1.7);
    EXPECT_EQ(kd.traceKd("H2O", "magnetite"), 0.25);
    EXPECT_EQ(kd.traceKd("B ", "olivine"), 0.5);
    EXPECT_EQ(kd.traceKd("Sr", "olivine"), 0.0);
    for (auto [element, mineral] : {std::pair{"B", "olivine"},
                                    {"sr", "plagioclase"},
                                    {"Sr", "Plagioclase"},
                                    {"Sr", "melt"},
                                    {"", "olivine"}})
        EXPECT_THROW(kd.traceKd(element, mineral), std::invalid_argument)
            << element << "/" << mineral;
}

}  // namespace
}  // namespace varnodel
