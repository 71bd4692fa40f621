#include "models/RunState.h"

#include <gtest/gtest.h>

namespace varnodel {
namespace {

TEST(ModelRegistry, MineralSetsInTheirFixedOrder) {
    const ModelRegistry registry;
    const char* names[] = {"Olivine",   "Plagioclase", "Clinopyroxene", "Orthopyroxene",
                           "Pigeonite", "Spinel",      "Ilmenite",      "Magnetite"};
    for (std::size_t i = 0; i < kMineralCount; ++i) {
        const auto mineral = static_cast<Phase>(i + 1);
        EXPECT_EQ(registry.mineralSet(mineral).displayName, names[i]);
        EXPECT_EQ(registry.mineralSet(mineral).abbreviation, phaseInfo(mineral).abbreviation);
    }
}

TEST(ModelRegistry, EveryModelSharesTheRegistryContext) {
    const ModelRegistry registry;
    registry.forEachModel([&](TModel& model) {
        EXPECT_EQ(&model.context(), &registry.context()) << model.displayName;
    });
}

TEST(ModelRegistry, CloneHasItsOwnModelsAndContext) {
    ModelRegistry registry;
    registry.context().olPlGap = 12.0;
    const auto copy = registry.clone();
    EXPECT_NE(&copy->context(), &registry.context());
    EXPECT_EQ(copy->context().olPlGap, 12.0);
    copy->context().olPlGap = 3.0;
    EXPECT_EQ(registry.context().olPlGap, 12.0);
    std::size_t models = 0, clones = 0;
    registry.forEachModel([&](TModel&) { ++models; });
    copy->forEachModel([&](TModel& model) {
        ++clones;
        EXPECT_EQ(&model.context(), &copy->context());
    });
    EXPECT_EQ(models, clones);
    registry.forEachModel([&](TModel& model) {
        TModel* twin = copy->counterpart(&model, registry);
        ASSERT_NE(twin, nullptr);
        EXPECT_NE(twin, &model);
        EXPECT_EQ(twin->displayName, model.displayName);
    });
    EXPECT_EQ(copy->counterpart(nullptr, registry), nullptr);
}

TEST(RunState, ResetAppliesEveryDefault) {
    RunState state;
    state.settings.parameters.calculationStep = 5;
    state.settings.minerals[2].fractionation = 10;
    state.analyses.push_back(TAssemblage{});
    state.options.outputName = "x";
    state.reset();

    const TParameters& p = state.settings.parameters;
    EXPECT_EQ(p.oxidationModel, "Boris90 ");
    EXPECT_TRUE(p.bufferMode);
    EXPECT_FALSE(p.equationMode || p.fixedRatioMode || p.closedSystemMode);
    EXPECT_EQ(p.equationA, 0.0);
    EXPECT_EQ(p.equationB, 9.0);
    EXPECT_EQ(p.bufferOffset, 0.0);
    EXPECT_EQ(p.fixedRatio, 9.0);
    EXPECT_EQ(p.bufferModel, "QFM");
    EXPECT_EQ(p.outputCrystallisation, 1.0);
    EXPECT_EQ(p.outputTemperature, 10.0);
    for (double interval :
         {p.outputFo, p.outputPigeonite, p.outputClinopyroxene, p.outputAn, p.outputOrthopyroxene})
        EXPECT_EQ(interval, 1.0);
    EXPECT_TRUE(p.outputByCrystallisation);
    EXPECT_FALSE(p.outputByFo || p.outputByAn || p.outputByClinopyroxene ||
                 p.outputByOrthopyroxene || p.outputByPigeonite || p.outputByTemperature);
    const auto& mi = p.meltInclusions;
    EXPECT_EQ(mi.coolingInterval, 100.0);
    EXPECT_EQ(mi.inclusionRadius, 150.0);
    EXPECT_EQ(mi.rimStep, 1e-4);
    EXPECT_EQ(mi.finalExtent, 50.0);
    EXPECT_EQ(mi.coolingRate, 240.0);
    EXPECT_EQ(mi.reheatingTemperature, 1250.0);
    EXPECT_FALSE(mi.simulateReheating || mi.loadLastResult || mi.coolingRateMode);
    EXPECT_TRUE(mi.instantCooling);

    const std::array<double, kStopKinds> stops{0, 5, 1100, 85, 80, 80, 80, 80};
    EXPECT_EQ(p.stop.values, stops);
    EXPECT_TRUE(p.stop.flags[Stop::Crystallisation]);
    for (std::size_t k = 1; k < kStopKinds; ++k)
        EXPECT_FALSE(p.stop.flags[k]) << k;

    EXPECT_EQ(p.calculationStep, 0.01);
    EXPECT_EQ(p.kdFeMg, 0.3);
    EXPECT_EQ(p.lnKdA, 0.0);
    EXPECT_EQ(p.lnKdB, 0.0);
    EXPECT_EQ(p.lnKdC, -1.204);
    EXPECT_FALSE(p.cotecticOption || p.h2oSaturatedOption || p.fixedKdOption ||
                 p.sobolevQuellmarkOption || p.lnKdOption || p.toplisOption ||
                 p.olivineKdModelOption);
    EXPECT_EQ(p.densityModel, DensityModel::LangeCarmichael1987);
    EXPECT_EQ(p.viscosityModel, ViscosityModel::BottingaWeill1972);

    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TMineralOptions& o = state.settings.minerals[m];
        EXPECT_EQ(o.fractionation, 100.0) << m;
        EXPECT_FALSE(o.pressureCorrection || o.h2oCorrection) << m;
        EXPECT_EQ(o.pressureSlope, 0.0);
        EXPECT_EQ(o.h2oA, 0.0);
        EXPECT_EQ(o.h2oB, 0.0);
        for (const auto& choice : o.traceChoices)
            EXPECT_EQ(choice, "Kd") << m;
        const bool oxide = m == 7 || m == 8;
        EXPECT_EQ(o.otherSettings[0], oxide ? 1100.0 : 1200.0) << m;
        EXPECT_EQ(o.otherSettings[1], oxide ? 6.0 : 9.0) << m;
    }
    EXPECT_EQ(state.settings.kd.traceKd("Ni", "olivine"), 0.0);

    // Only the olivine slot is filled, with the first registered olivine model.
    const auto& olivine = state.registry().mineralSet(Phase::Olivine).models;
    EXPECT_EQ(state.slots[1], olivine.empty() ? nullptr : olivine.front().get());
    for (std::size_t m = 2; m < kPhaseCount; ++m)
        EXPECT_EQ(state.slots[m], nullptr) << m;

    EXPECT_EQ(state.composition.name, "VarnodelDefault");
    ASSERT_EQ(state.composition.phases.size(), 1u);
    EXPECT_EQ(state.composition.phases[0].name, "melt");
    EXPECT_EQ(state.composition.phases[0].oxides, kDefaultMeltOxides);
    EXPECT_TRUE(state.analyses.empty());
    EXPECT_EQ(state.options.outputName, "Varnodel_Output");
    EXPECT_FALSE(state.options.wholeFile || state.options.stopFromFile);
}

TEST(RunState, DefaultMeltAsInANewGrid) {
    const Oxides expected{50.0, 1.0, 15.0, 0.0, 9.0, 0.1, 10.0, 12.0, 2.5, 0.2, 0.1, 0.1};
    EXPECT_EQ(RunState::defaultComposition().phases[0].oxides, expected);
}

TEST(RunState, SnapshotIsIndependentOfLaterEdits) {
    RunState state;
    state.settings.parameters.kdFeMg = 0.33;
    state.settings.kd.at(1, 6) = 12.0;  // Ni in olivine
    const RunSnapshot snap = state.snapshot();
    state.settings.parameters.kdFeMg = 0.28;
    state.settings.kd.at(1, 6) = 1.0;
    EXPECT_EQ(snap.settings().parameters.kdFeMg, 0.33);
    EXPECT_EQ(snap.settings().kd.traceKd("Ni", "olivine"), 12.0);
    EXPECT_NE(&snap.context(), &state.registry().context());
    for (std::size_t m = 0; m < kPhaseCount; ++m) {
        if (state.slots[m] == nullptr) {
            EXPECT_EQ(snap.slots[m], nullptr);
        } else {
            EXPECT_NE(snap.slots[m], state.slots[m]);
            EXPECT_EQ(snap.slots[m]->displayName, state.slots[m]->displayName);
            EXPECT_EQ(&snap.slots[m]->context(), &snap.context());
        }
    }
}

TEST(KdTable, LookupByNames) {
    TKdTable kd;
    kd.at(2, 11) = 1.8;  // Sr in plagioclase
    kd.at(8, 38) = 0.5;  // H2O in magnetite
    EXPECT_EQ(kd.traceKd("Sr", "plagioclase"), 1.8);
    EXPECT_EQ(kd.traceKd("H2O", "magnetite"), 0.5);
    EXPECT_THROW(kd.traceKd("Sr", "melt"), std::invalid_argument);
    EXPECT_THROW(kd.traceKd("Xx", "olivine"), std::invalid_argument);
}

}  // namespace
}  // namespace varnodel
