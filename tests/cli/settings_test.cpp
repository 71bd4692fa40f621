#include "io/SettingsFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CliRunner.h"
#include "core/Errors.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

// A stand-in model, so that name lookups can be tested whatever models the sets hold.
class FakeModel : public ModelClone<FakeModel> {
  public:
    FakeModel(std::string display, std::string shortName) {
        displayName = std::move(display);
        this->shortName = std::move(shortName);
    }
};

TModel& addFake(TSetOfModels& set, std::string display, std::string shortName) {
    set.add(std::make_unique<FakeModel>(std::move(display), std::move(shortName)));
    return *set.models.back();
}

// Gives the registry of `state` the names the example file and the defaults use, where the
// registry does not have them yet.
void ensureExampleNames(RunState& state) {
    ModelRegistry& registry = state.registry();
    const auto ensure = [](TSetOfModels& set, const char* display, const char* shortName) {
        if (set.getByName(display) == nullptr) addFake(set, display, shortName);
    };
    ensure(registry.mineralSet(Phase::Olivine), "Ford et al., 1983", "Ford83  ");
    ensure(registry.mineralSet(Phase::Plagioclase), "Langmuir et al., 1992", "Langm92 ");
    ensure(registry.mineralSet(Phase::Clinopyroxene), "Langmuir et al., 1992", "Langm92 ");
    ensure(registry.oxidationModels(), "Borisov and Shapkin, 1990", "Boris90 ");
    for (const char* buffer : {"QFM", "Fe3=0"})
        if (registry.bufferTable().getItem(buffer) == nullptr)
            registry.bufferTable().add(buffer, std::make_unique<FakeModel>(buffer, buffer));
}

// Everything a settings file can set, compared at once.
void expectSameSettings(const RunState& actual, const MlaChoice& actualMla,
                        const RunState& expected, const MlaChoice& expectedMla) {
    EXPECT_TRUE(actual.settings.parameters == expected.settings.parameters);
    for (std::size_t m = 0; m < kPhaseCount; ++m)
        EXPECT_TRUE(actual.settings.minerals[m] == expected.settings.minerals[m])
            << "mineral " << m;
    EXPECT_TRUE(actual.settings.kd == expected.settings.kd);
    EXPECT_TRUE(actual.settings.active == expected.settings.active);
    EXPECT_TRUE(actual.composition == expected.composition);
    // The slots point into each state's own registry: compare the models' places in their sets.
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const auto place = [m](const RunState& state) -> std::ptrdiff_t {
            const auto& models = state.registry().mineralSet(static_cast<Phase>(m)).models;
            for (std::size_t i = 0; i < models.size(); ++i)
                if (models[i].get() == state.slots[m]) return static_cast<std::ptrdiff_t>(i);
            return state.slots[m] == nullptr ? -1 : -2;
        };
        EXPECT_EQ(place(actual), place(expected)) << "slot of " << phaseName(static_cast<Phase>(m));
        EXPECT_NE(place(actual), -2);
    }
    EXPECT_TRUE(actualMla == expectedMla);
}

// Every setting moved away from its default, in a combination the windows allow.
void scramble(RunState& state, MlaChoice& mla) {
    ModelRegistry& registry = state.registry();
    TModel& olivine = addFake(registry.mineralSet(Phase::Olivine), "Scrambled olivine", "ScrOl   ");
    addFake(registry.mineralSet(Phase::Spinel), "Scrambled spinel", "ScrSp   ").forTrace[0] = true;
    TModel& trace = addFake(registry.traceModels(), "Scrambled traces", "ScrTr   ");
    trace.forMineral[static_cast<std::size_t>(Phase::Spinel)] = true;
    trace.forTrace[5] = true;  // Ni

    TParameters& p = state.settings.parameters;
    p.bufferMode = false;
    p.fixedRatioMode = true;
    p.equationA = -1.5;
    p.equationB = 7.25;
    p.bufferOffset = -2.5;
    p.fixedRatio = 4.5;
    p.outputCrystallisation = 2.5;
    p.outputTemperature = 20.0;
    p.outputFo = 0.5;
    p.outputPigeonite = 3.0;
    p.outputClinopyroxene = 4.0;
    p.outputAn = 5.0;
    p.outputOrthopyroxene = 6.0;
    p.outputByCrystallisation = false;
    p.outputByFo = p.outputByAn = p.outputByClinopyroxene = true;
    p.outputByOrthopyroxene = p.outputByPigeonite = p.outputByTemperature = true;
    p.meltInclusions = {50.0, 300.0, 1e-4, 75.0, -12.5, 1180.0, true, true, false, true};
    p.stop.values[Stop::Temperature] = 1150.0;
    p.stop.flags = {false, false, true, false, false, false, false, false};
    p.calculationStep = 0.5;
    p.kdFeMg = 0.33;
    p.lnKdA = 1000.0;
    p.lnKdB = 0.25;
    p.lnKdC = -1.1;
    p.h2oSaturatedOption = true;
    p.toplisOption = true;
    p.olivineKdModelOption = true;
    p.densityModel = DensityModel::NelsonCarmichael1979;
    p.viscosityModel = ViscosityModel::GiordanoDingwell2003;

    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        TMineralOptions& options = state.settings.minerals[m];
        options.pressureCorrection = true;
        options.pressureSlope = 3.0 + static_cast<double>(m);
        options.h2oCorrection = true;
        options.h2oA = 74.403;
        options.h2oB = 0.352;
        options.fractionation = 90.0 - static_cast<double>(m);
        options.otherSettings = {1000.0 + static_cast<double>(m), 5.5, 80.0,
                                 70.0 + static_cast<double>(m)};
        options.exclusionFlags[m % 4] = true;
        options.traceChoices[0] = "Model";
        state.settings.kd.at(m, 6) = 0.125 * static_cast<double>(m);
        state.settings.kd.at(m, kH2OElementIndex) = 0.01;
    }
    state.settings.minerals[static_cast<std::size_t>(Phase::Spinel)].traceChoices[5] =
        trace.shortName;

    olivine.forTrace[0] = true;  // its "Model" choice
    state.slots[static_cast<std::size_t>(Phase::Olivine)] = &olivine;
    state.slots[static_cast<std::size_t>(Phase::Spinel)] =
        registry.mineralSet(Phase::Spinel).models.back().get();

    TAssemblage& c = state.composition;
    c.name = "Scrambled \"melt\"";
    c.pressureBlock = {2.5, -3.0, false, true, {}};
    c.pressureBlock.steps[1] = {5.0, 10.0};
    c.pressureBlock.steps[2] = {3.0, 30.0};
    c.meltInclusions = {"88.5", "12.25"};
    TAnalysis melt = meltOf(c);
    melt.oxides = {48.0, 1.5, 16.0, 1.25, 8.0, 0.2, 9.0, 11.0, 3.0, 0.3, 0.2, 0.0};
    melt.notDetermined[Ox::Cr2O3] = true;
    melt.volatile_.value = 1.5;
    melt.traces[5].value = 250.0;  // Ni
    melt.traces[16].value = 4.5;   // La
    storePhase(c.phases, melt, "melt");
    state.settings.active.volatile_ = true;
    state.settings.active.traces[5] = state.settings.active.traces[16] = true;

    mla = MlaChoice{};
    mla.models[0] = {registry.mineralSet(Phase::Olivine).models.size() - 1};
}

// --- defaults and round trips -------------------------------------------------------------

TEST(CliSettingsRoundTrip, PrintedDefaultsTurnAnyStateBackIntoTheResetOne) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState reference;
    ensureExampleNames(reference);
    reference.reset();
    const MlaChoice referenceMla = MlaChoice::selectedIn(reference.registry());
    const auto file = dir.write("defaults.toml", settingsText(reference, referenceMla));

    RunState state;
    ensureExampleNames(state);
    state.reset();
    MlaChoice mla;
    scramble(state, mla);
    // Every key is printed: a setting the text left out would keep its scrambled value.
    const auto warnings = loadSettings(state, mla, file);
    EXPECT_TRUE(warnings.empty()) << warnings.front();

    RunState reset;
    ensureExampleNames(reset);
    MlaChoice unused;
    scramble(reset, unused);  // the same fake models in the same places
    reset.reset();
    expectSameSettings(state, mla, reset, MlaChoice::selectedIn(reset.registry()));
}

TEST(CliSettingsRoundTrip, AnyStateReadsBackAsItWasWritten) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState written;
    ensureExampleNames(written);
    MlaChoice writtenMla;
    scramble(written, writtenMla);
    const auto file = dir.write("state.toml", settingsText(written, writtenMla));

    RunState read;
    ensureExampleNames(read);
    MlaChoice readMla;
    scramble(read, readMla);  // the same fake models in the same places
    read.reset();
    readMla = MlaChoice::selectedIn(read.registry());
    const auto warnings = loadSettings(read, readMla, file);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    expectSameSettings(read, readMla, written, writtenMla);
}

TEST(CliSettingsRoundTrip, TheDefaultFileOfTheProgramLoadsIntoAFreshState) {
    test::ScratchDir dir{"varnodel_settings"};
    const auto file = dir.write("defaults.toml", defaultSettingsText());
    RunState state;
    ensureExampleNames(state);  // only adds what the registry does not have yet
    state.reset();
    state.settings.parameters.calculationStep = 7.0;
    state.composition.name = "changed";
    MlaChoice mla;
    EXPECT_TRUE(loadSettings(state, mla, file).empty());
    RunState reset;
    ensureExampleNames(reset);
    reset.reset();
    EXPECT_TRUE(state.settings == reset.settings);
    EXPECT_TRUE(state.composition == reset.composition);
}

TEST(CliSettingsCommand, PrintsTheDefaultSettingsFile) {
    const auto result = test::runCli("settings");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, defaultSettingsText());
    EXPECT_TRUE(result.err.empty()) << result.err;
}

// --- the example file ----------------------------------------------------------------------

void expectExampleValues(const RunState& state) {
    const TAnalysis melt = meltOf(state.composition);
    EXPECT_EQ(state.composition.name, "MyMelt");
    EXPECT_EQ(state.composition.pressureBlock.pressure, 0.001);
    const Oxides expected{50.0, 1.0, 15.0, 0.0, 9.0, 0.1, 10.0, 12.0, 2.5, 0.2, 0.1, 0.1};
    EXPECT_EQ(melt.oxides, expected);
    EXPECT_EQ(melt.volatile_.value, 0.0);
    EXPECT_FALSE(state.settings.active.volatile_);
    const TParameters& p = state.settings.parameters;
    EXPECT_TRUE(p.bufferMode);
    EXPECT_FALSE(p.equationMode || p.fixedRatioMode || p.closedSystemMode);
    EXPECT_EQ(p.bufferModel, "QFM");
    EXPECT_EQ(p.oxidationModel, "Boris90 ");
    EXPECT_FALSE(state.composition.pressureBlock.dPdTMode ||
                 state.composition.pressureBlock.stepsMode);
    const auto& steps = state.composition.pressureBlock.steps;
    EXPECT_EQ(steps[1], (std::array<double, 2>{5.0, 10.0}));
    EXPECT_EQ(steps[2], (std::array<double, 2>{3.0, 30.0}));
    EXPECT_EQ(steps[3], (std::array<double, 2>{0.0, 0.0}));
    EXPECT_EQ(p.calculationStep, 0.01);
    EXPECT_EQ(p.densityModel, DensityModel::LangeCarmichael1987);
    EXPECT_EQ(p.viscosityModel, ViscosityModel::BottingaWeill1972);
    EXPECT_EQ(p.stop.values[Stop::Crystallisation], 50.0);
    EXPECT_EQ(p.stop.flags, (std::array<bool, kStopKinds>{true}));
    EXPECT_EQ(p.outputCrystallisation, 1.0);
    const auto& slot = [&](Phase m) { return state.slots[static_cast<std::size_t>(m)]; };
    ASSERT_NE(slot(Phase::Olivine), nullptr);
    ASSERT_NE(slot(Phase::Plagioclase), nullptr);
    ASSERT_NE(slot(Phase::Clinopyroxene), nullptr);
    EXPECT_EQ(slot(Phase::Olivine)->displayName, "Ford et al., 1983");
    EXPECT_EQ(slot(Phase::Plagioclase)->displayName, "Langmuir et al., 1992");
    EXPECT_EQ(slot(Phase::Clinopyroxene)->shortName, "Langm92 ");
    EXPECT_EQ(slot(Phase::Orthopyroxene), nullptr);
}

const std::filesystem::path kExample =
    std::filesystem::path(VARNODEL_EXAMPLES_DIR) / "settings.toml";

TEST(CliSettingsExample, LoadsAsWrittenWithTheNamesItUses) {
    RunState state;
    ensureExampleNames(state);
    MlaChoice mla;
    const auto warnings = loadSettings(state, mla, kExample);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    expectExampleValues(state);
}

TEST(CliSettingsExample, LoadsWithTheRegisteredModels) {
    RunState state;
    const ModelRegistry& registry = state.registry();
    for (Phase m : {Phase::Olivine, Phase::Plagioclase, Phase::Clinopyroxene})
        if (registry.mineralSet(m).models.empty())
            GTEST_SKIP() << "the " << phaseName(m) << " models are not registered on this branch";
    if (registry.oxidationModels().models.empty() || registry.bufferTable().count() == 0)
        GTEST_SKIP() << "the oxidation-state models and buffers are not registered on this branch";
    MlaChoice mla;
    EXPECT_TRUE(loadSettings(state, mla, kExample).empty());
    expectExampleValues(state);
}

// --- overrides -----------------------------------------------------------------------------

class CliSettingsOverrides : public ::testing::Test {
  protected:
    CliSettingsOverrides() { ensureExampleNames(state); }
    std::vector<std::string> load(const std::vector<std::string>& overrides) {
        return loadSettings(state, mla, kExample, overrides);
    }
    RunState state;
    MlaChoice mla;
};

TEST_F(CliSettingsOverrides, ReplaceOneKeyOfTheFile) {
    EXPECT_TRUE(load({"stop.value=85"}).empty());
    EXPECT_EQ(state.settings.parameters.stop.values[Stop::Crystallisation], 85.0);
    EXPECT_TRUE(state.settings.parameters.stop.flags[Stop::Crystallisation]);
    EXPECT_EQ(state.composition.name, "MyMelt");  // the rest of the file still applies
}

TEST_F(CliSettingsOverrides, TakeBareWordsAsTexts) {
    load({"oxidation.mode=ratio", "oxidation.ratio = 5", "run.density=Nelson, Carmichael 1979",
          "stop.condition=temperature", "stop.value=1150", "composition.name=Sample 12"});
    const TParameters& p = state.settings.parameters;
    EXPECT_TRUE(p.fixedRatioMode);
    EXPECT_FALSE(p.bufferMode);
    EXPECT_EQ(p.fixedRatio, 5.0);
    EXPECT_EQ(p.densityModel, DensityModel::NelsonCarmichael1979);
    EXPECT_TRUE(p.stop.flags[Stop::Temperature]);
    EXPECT_FALSE(p.stop.flags[Stop::Crystallisation]);
    EXPECT_EQ(p.stop.values[Stop::Temperature], 1150.0);
    EXPECT_EQ(state.composition.name, "Sample 12");
}

TEST_F(CliSettingsOverrides, MergeIntoTablesButInlineTablesReplaceThem) {
    load({"composition.oxides.SiO2=48"});
    Oxides expected{48.0, 1.0, 15.0, 0.0, 9.0, 0.1, 10.0, 12.0, 2.5, 0.2, 0.1, 0.1};
    EXPECT_EQ(meltOf(state.composition).oxides, expected);

    load({"composition.oxides={ SiO2 = 47, MgO = 9, Fe2O3 = \"n.d.\" }"});
    expected = {47.0, 0, 0, 0, 0, 0, 9.0, 0, 0, 0, 0, 0};
    EXPECT_EQ(meltOf(state.composition).oxides, expected);
    EXPECT_TRUE(meltOf(state.composition).notDetermined[Ox::Fe2O3]);
}

TEST_F(CliSettingsOverrides, TakeArraysAndTheLastOverrideWins) {
    load({"pressure.mode=steps", "pressure.steps=[[8, 5]]", "run.step=0.1", "run.step=0.05"});
    const TPressureBlock& block = state.composition.pressureBlock;
    EXPECT_TRUE(block.stepsMode);
    EXPECT_EQ(block.steps[1], (std::array<double, 2>{8.0, 5.0}));
    EXPECT_EQ(block.steps[2], (std::array<double, 2>{0.0, 0.0}));
    EXPECT_EQ(state.settings.parameters.calculationStep, 0.05);
}

TEST_F(CliSettingsOverrides, WorkWithoutAFile) {
    RunState plain;
    MlaChoice plainMla;
    applySettingOverrides(plain, plainMla, {"minerals.olivine.fractionation=40"});
    EXPECT_EQ(plain.settings.minerals[1].fractionation, 40.0);
    EXPECT_EQ(plain.settings.minerals[2].fractionation, 100.0);
}

struct ErrorCase {
    const char* overrideText;
    const char* message;  // the whole text of the error
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.overrideText;
}

class CliSettingsOverrideErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliSettingsOverrideErrors, NameTheOverrideAndTheKey) {
    RunState state;
    MlaChoice mla;
    try {
        applySettingOverrides(state, mla, {GetParam().overrideText});
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSettingsOverrideErrors,
    ::testing::Values(
        ErrorCase{"stop.value=high",
                  "--set stop.value=high: stop.value: expected a number, got a text"},
        ErrorCase{"stop.vaule=3", "--set stop.vaule=3: stop.vaule: unknown key"},
        ErrorCase{"oxidation.mode=bufer",
                  "--set oxidation.mode=bufer: oxidation.mode: unknown mode \"bufer\" (buffer, "
                  "olivine, ratio or closed)"},
        ErrorCase{"run.step", "--set run.step: expected KEY=VALUE"},
        ErrorCase{"=3", "--set =3: expected KEY=VALUE"},
        ErrorCase{"run..step=3", "--set run..step=3: \"run..step\" is not a key"}));

// --- errors --------------------------------------------------------------------------------

class CliSettingsErrors : public ::testing::TestWithParam<ErrorCase> {};

// `overrideText` holds the file here; `message` what follows the file's path.
TEST_P(CliSettingsErrors, NameTheFileThePlaceAndTheKey) {
    test::ScratchDir dir{"varnodel_settings"};
    const auto file = dir.write("bad.toml", GetParam().overrideText);
    RunState state;
    MlaChoice mla;
    try {
        loadSettings(state, mla, file);
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_EQ(std::string(e.what()), file.string() + GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSettingsErrors,
    ::testing::Values(
        ErrorCase{"[run]\nstepp = 1\n", ":2:1: run.stepp: unknown key"},
        ErrorCase{"[minerals.plagiclase]\nfractionation = 1\n",
                  ":1:11: minerals.plagiclase: unknown table"},
        ErrorCase{"[optput]\n", ":1:2: optput: unknown table"},
        ErrorCase{"speed = 3\n", ":1:1: speed: unknown key"},
        ErrorCase{"[models]\nquartz = \"\"\n", ":2:1: models.quartz: unknown key"},
        ErrorCase{"[composition]\noxides = { SiO3 = 50 }\n",
                  ":2:12: composition.oxides.SiO3: unknown key"},
        ErrorCase{"[composition]\ntraces = { Xx = 5 }\n",
                  ":2:12: composition.traces.Xx: unknown key"},
        ErrorCase{"[minerals.olivine]\nkd = { Nii = 5 }\n",
                  ":2:8: minerals.olivine.kd.Nii: unknown key"},
        ErrorCase{"[run]\nstep = \"fast\"\n", ":2:8: run.step: expected a number, got a text"},
        ErrorCase{"[run]\ncotectic = 1\n",
                  ":2:12: run.cotectic: expected true or false, got an integer"},
        ErrorCase{"[composition]\nname = 12\n",
                  ":2:8: composition.name: expected a text, got an integer"},
        ErrorCase{"run = 3\n", ":1:7: run: expected a table, got an integer"},
        ErrorCase{"[run]\nstep = nan\n", ":2:8: run.step: expected a finite number"},
        ErrorCase{"[minerals.olivine]\nh2o_correction = [1.0]\n",
                  ":2:18: minerals.olivine.h2o_correction: expected [A, B], \"default\", "
                  "\"faloon-quellmark\" or \"none\", got an array"},
        ErrorCase{"[minerals.olivine]\nh2o_correction = \"falloon\"\n",
                  ":2:18: minerals.olivine.h2o_correction: unknown correction \"falloon\" "
                  "(default, faloon-quellmark, none or [A, B])"},
        ErrorCase{"[pressure]\nsteps = [[1,1],[2,2],[3,3],[4,4],[5,5],[6,6]]\n",
                  ":2:9: pressure.steps: at most 5 rows [P kbar, F %]"},
        ErrorCase{"[pressure]\nsteps = [[1,1],[2]]\n",
                  ":2:16: pressure.steps[1]: expected [P kbar, F %], got an array"},
        ErrorCase{"[oxidation]\nmode = \"bufer\"\n",
                  ":2:8: oxidation.mode: unknown mode \"bufer\" (buffer, olivine, ratio or "
                  "closed)"},
        ErrorCase{"[pressure]\nmode = \"linear\"\n",
                  ":2:8: pressure.mode: unknown mode \"linear\" (constant, dpdt or steps)"},
        ErrorCase{"[stop]\ncondition = \"mgo\"\n",
                  ":2:13: stop.condition: unknown mode \"mgo\" (crystallisation, melt-mgo, "
                  "temperature, fo, an, cpx, opx or pig)"},
        ErrorCase{"[olivine_kd]\nmode = \"fixed\"\n",
                  ":2:8: olivine_kd.mode: unknown mode \"fixed\" (none, constant, equation, "
                  "sobolev-quellmark or toplis)"},
        ErrorCase{"[oxidation]\nbuffer = \"QMF\"\n",
                  ":2:10: oxidation.buffer: unknown buffer \"QMF\" (the buffers: Ni-NiO, QFM, "
                  "WM, Fe-W, MH, Co-CoO, Fe3=0, QFFe; also NNO, FMQ, IW, HM, CCO, QIF)"},
        ErrorCase{"[oxidation]\nmodel = \"Nobody, 1900\"\n",
                  ":2:9: oxidation.model: unknown model \"Nobody, 1900\""},
        ErrorCase{"[models]\nolivine = \"Nobody, 1900\"\n",
                  ":2:11: models.olivine: unknown model \"Nobody, 1900\""},
        ErrorCase{"[run]\ndensity = \"Bottinga, Weill 1972\"\n",
                  ":2:11: run.density: unknown model \"Bottinga, Weill 1972\""},
        ErrorCase{"[minerals.spinel]\ntraces = { La = \"Nobody00\" }\n",
                  ":2:17: minerals.spinel.traces.La: unknown trace-element model \"Nobody00\""},
        ErrorCase{"[minerals.olivine]\ntraces = { Ni = \"Kinzl90\" }\n",
                  ":2:17: minerals.olivine.traces.Ni: Ni partitioning after Kinzler et al, 1990 "
                  "is not available; choose Kd or Beattie, 1993 for Ni in olivine"},
        ErrorCase{"[mla]\nplagioclase = [\"*\", \"Nobody, 1900\"]\n",
                  ":2:21: mla.plagioclase: unknown model \"Nobody, 1900\""},
        ErrorCase{"[mla]\nolivine = \"*\"\n", ":2:11: mla.olivine: expected an array, got a text"},
        ErrorCase{"[models]\nolivine = \"\"\n[oxidation]\nmode = \"olivine\"\n",
                  ":4:8: oxidation.mode: \"olivine\" needs olivine to be the only mineral with a "
                  "model (models.olivine has no model)"},
        ErrorCase{"[run]\nstep = = 3\n",
                  ":2:8: Error while parsing value: could not determine value type"},
        // The name ends every result row: a line break in it would split the row in two.
        ErrorCase{"[composition]\nname = \"VG-2\\nKilauea\"\n",
                  ":2:8: composition.name: a name cannot hold a line break, a tab or another "
                  "control character"},
        ErrorCase{"[composition]\nname = \"VG\\u0000\"\n",
                  ":2:8: composition.name: a name cannot hold a line break, a tab or another "
                  "control character"},
        ErrorCase{"[run]\nstep = inf\n", ":2:8: run.step: expected a finite number"},
        ErrorCase{"[composition.oxides]\nSiO2 = -nan\n",
                  ":2:8: composition.oxides.SiO2: expected a finite number"},
        ErrorCase{"[pressure]\nsteps = [[1, +inf]]\n",
                  ":2:14: pressure.steps[0][1]: expected a finite number"}));

// A table that only an override's dotted key opens is named by that override, also when a
// settings file is read too.
TEST(CliSettingsErrors, ATableOpenedByAnOverrideNamesTheOverride) {
    test::ScratchDir dir{"varnodel_settings"};
    const auto file = dir.write("ok.toml", "[run]\nstep = 0.5\n");
    for (const bool withFile : {false, true}) {
        for (const auto& [argument, message] : std::vector<std::pair<std::string, std::string>>{
                 {"bogus.key=1", "--set bogus.key=1: bogus: unknown table"},
                 {"run.bogus.key=1", "--set run.bogus.key=1: run.bogus: unknown table"},
                 {"run.stepp=1", "--set run.stepp=1: run.stepp: unknown key"},
             }) {
            RunState state;
            MlaChoice mla;
            try {
                loadSettings(state, mla, withFile ? std::optional(file) : std::nullopt, {argument});
                ADD_FAILURE() << "no error for " << argument;
            } catch (const EInputError& e) {
                EXPECT_EQ(std::string(e.what()), message) << "with file: " << withFile;
            }
        }
    }
}

TEST(CliSettingsErrors, AModelOfAnotherMineralIsUnknown) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    addFake(state.registry().mineralSet(Phase::Olivine), "Only olivine, 2001", "OnlyOl  ");
    addFake(state.registry().mineralSet(Phase::Olivine), "Second olivine, 2002", "SecOl   ");
    MlaChoice mla;
    const auto file = dir.write("bad.toml", "[models]\nplagioclase = \"Only olivine, 2001\"\n");
    try {
        loadSettings(state, mla, file);
        FAIL() << "no error";
    } catch (const EInputError& e) {
        // Names the key and the name, and lists no model of any set.
        EXPECT_EQ(
            std::string(e.what()),
            file.string() + ":2:15: models.plagioclase: unknown model \"Only olivine, 2001\"");
    }
}

TEST(CliSettingsErrors, OlivineModeNeedsOlivineAlone) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    TModel& ol = addFake(state.registry().mineralSet(Phase::Olivine), "Ol, 2001", "Ol01    ");
    addFake(state.registry().mineralSet(Phase::Plagioclase), "Pl, 2001", "Pl01    ");
    MlaChoice mla;
    const auto file =
        dir.write("ok.toml", "[models]\nolivine = \"Ol, 2001\"\n[oxidation]\nmode = \"olivine\"\n");
    EXPECT_NO_THROW(loadSettings(state, mla, file));
    EXPECT_TRUE(state.settings.parameters.equationMode);
    EXPECT_EQ(state.slots[1], &ol);
    try {
        loadSettings(state, mla, file, {"models.plagioclase=Pl01"});
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_EQ(std::string(e.what()),
                  file.string() +
                      ":4:8: oxidation.mode: \"olivine\" needs olivine to be the only mineral with "
                      "a model (models.plagioclase is set)");
    }
}

TEST(CliSettingsErrors, TraceModelsMustComputeTheElementForTheMineral) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    TModel& trace = addFake(state.registry().traceModels(), "Nickel in olivine", "NiOl    ");
    trace.forMineral[static_cast<std::size_t>(Phase::Olivine)] = true;
    trace.forTrace[5] = true;  // Ni
    MlaChoice mla;
    EXPECT_NO_THROW(loadSettings(state, mla,
                                 dir.write("ok.toml",
                                           "[minerals.olivine]\ntraces = { Ni = "
                                           "\"NiOl\" }\n")));
    EXPECT_EQ(state.settings.minerals[1].traceChoices[5], "NiOl    ");

    const auto expectError = [&](const std::string& content, const std::string& message) {
        const auto file = dir.write("bad.toml", content);
        try {
            loadSettings(state, mla, file);
            ADD_FAILURE() << "no error for " << content;
        } catch (const EInputError& e) {
            EXPECT_EQ(std::string(e.what()), file.string() + message);
        }
    };
    expectError("[minerals.olivine]\ntraces = { La = \"Nickel in olivine\" }\n",
                ":2:17: minerals.olivine.traces.La: the trace-element model \"Nickel in "
                "olivine\" does not compute La");
    expectError("[minerals.spinel]\ntraces = { Ni = \"NiOl\" }\n",
                ":2:17: minerals.spinel.traces.Ni: the trace-element model \"NiOl\" does not "
                "apply to spinel");
    // "Model" for an element the mineral's own model does not compute.
    expectError("[minerals.olivine]\ntraces = { Co = \"model\" }\n",
                ":2:17: minerals.olivine.traces.Co: \"Model\": Ford et al., 1983 does not "
                "compute Co; no olivine model does (use \"Kd\" or a trace-element model)");
}

TEST(CliSettingsErrors, AnUnreadableFileIsNamed) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    MlaChoice mla;
    const auto missing = dir.path() / "missing.toml";
    try {
        loadSettings(state, mla, missing);
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_EQ(std::string(e.what()), missing.string() + ": cannot read the settings file");
    }
    try {
        loadSettings(state, mla, dir.path());
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_EQ(std::string(e.what()),
                  dir.path().string() + ": cannot read the settings file: it is a directory");
    }
}

TEST(CliSettingsErrors, LeaveTheStateAsItWas) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    ensureExampleNames(state);
    MlaChoice mla;
    loadSettings(state, mla, kExample);
    RunState before;
    ensureExampleNames(before);
    MlaChoice beforeMla;
    loadSettings(before, beforeMla, kExample);

    // Every table before the bad key has been read into the draft by then.
    const auto file = dir.write(
        "bad.toml",
        "[composition]\nname = \"Other\"\noxides = { SiO2 = 40 }\n[models]\nolivine = \"\"\n"
        "[minerals.olivine]\nfractionation = 5\n[mla]\nolivine = [\"*\"]\n[run]\nstep = 1\n"
        "[stop]\nvalue = 3\n[output]\nfo = 2\nuse_fo = \"yes\"\n");
    EXPECT_THROW(loadSettings(state, mla, file), EInputError);
    EXPECT_THROW(loadSettings(state, mla, kExample, {"run.step=1", "stop.value=x"}), EInputError);
    expectSameSettings(state, mla, before, beforeMla);
    EXPECT_EQ(state.slots[1],
              state.registry().mineralSet(Phase::Olivine).getByName("Ford et al., 1983"));
}

// --- bounds and the rules between settings ---------------------------------------------------

TEST(CliSettingsClamping, ClampsToTheDialogBoundsAndNamesEachKey) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    MlaChoice mla;
    const auto file = dir.write("wide.toml",
                                "[composition]\n"
                                "pressure = 0\n"
                                "oxides = { SiO2 = 120, MgO = 10 }\n"
                                "[minerals.olivine]\n"
                                "pressure_correction = -150\n"
                                "h2o_correction = [600, 2]\n"
                                "kd = { Ni = 250 }\n"
                                "[oxidation]\n"
                                "shift = 12\n"
                                "ratio = 0\n"
                                "[run]\n"
                                "step = 30\n"
                                "[stop]\n"
                                "condition = \"temperature\"\n"
                                "value = 3500\n"
                                "[output]\n"
                                "fo = 0\n"
                                "temperature = 10\n");
    const auto warnings = loadSettings(state, mla, file);
    const std::string f = file.string();
    const std::vector<std::string> expected{
        f + ":2:12: composition.pressure: 0 is outside 0.001 to 100; 0.001 is used",
        f + ":3:19: composition.oxides.SiO2: 120 is outside 0 to 100; 100 is used",
        f + ":5:23: minerals.olivine.pressure_correction: -150 is outside -100 to 100; -100 is "
            "used",
        f + ":6:19: minerals.olivine.h2o_correction[0]: 600 is outside 0 to 500; 500 is used",
        f + ":6:24: minerals.olivine.h2o_correction[1]: 2 is outside -1 to 1; 1 is used",
        f + ":7:13: minerals.olivine.kd.Ni: 250 is outside 0 to 100; 100 is used",
        f + ":9:9: oxidation.shift: 12 is outside -10 to 10; 10 is used",
        f + ":10:9: oxidation.ratio: 0 is outside 0.001 to 100; 0.001 is used",
        f + ":12:8: run.step: 30 is outside 1E-5 to 25; 25 is used",
        f + ":15:9: stop.value: 3500 is outside 0 to 3000; 3000 is used",
        f + ":17:6: output.fo: 0 is outside 0.0001 to 100; 0.0001 is used",
    };
    EXPECT_EQ(warnings, expected);
    const TParameters& p = state.settings.parameters;
    EXPECT_EQ(state.composition.pressureBlock.pressure, 0.001);
    EXPECT_EQ(meltOf(state.composition).oxides[Ox::SiO2], 100.0);
    EXPECT_EQ(state.settings.kd.at(1, 6), 100.0);
    EXPECT_EQ(state.settings.minerals[1].h2oA, 500.0);
    EXPECT_EQ(state.settings.minerals[1].h2oB, 1.0);
    EXPECT_EQ(state.settings.minerals[1].pressureSlope, -100.0);
    EXPECT_EQ(p.bufferOffset, 10.0);
    EXPECT_EQ(p.fixedRatio, 0.001);
    EXPECT_EQ(p.calculationStep, 25.0);
    EXPECT_EQ(p.stop.values[Stop::Temperature], 3000.0);
    EXPECT_EQ(p.outputFo, 0.0001);
}

TEST(CliSettingsClamping, StopValuesOtherThanTemperatureStayWithinPercent) {
    RunState state;
    MlaChoice mla;
    const auto warnings =
        applySettingOverrides(state, mla, {"stop.condition=fo", "stop.value=1150"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "--set stop.value=1150: stop.value: 1150 is outside 0 to 100; 100 is used");
    EXPECT_EQ(state.settings.parameters.stop.values[Stop::Fo], 100.0);
}

TEST(CliSettingsRules, CorrectionFlagsFollowTheirCoefficients) {
    RunState state;
    MlaChoice mla;
    applySettingOverrides(
        state, mla,
        {"minerals.plagioclase.h2o_correction=[121.75, 0.512]",
         "minerals.plagioclase.pressure_correction=5", "minerals.olivine.h2o_correction=[0, 0]"});
    const TMineralOptions& pl = state.settings.minerals[2];
    EXPECT_TRUE(pl.h2oCorrection);
    EXPECT_EQ(pl.h2oA, 121.75);
    EXPECT_EQ(pl.h2oB, 0.512);
    EXPECT_TRUE(pl.pressureCorrection);
    EXPECT_EQ(pl.pressureSlope, 5.0);
    EXPECT_FALSE(state.settings.minerals[1].h2oCorrection);
    applySettingOverrides(state, mla, {"minerals.plagioclase.pressure_correction=0"});
    EXPECT_FALSE(state.settings.minerals[2].pressureCorrection);
}

// The presets of the H2O-correction dialog: "Set default" (121.75, 0.512 for plagioclase;
// 74.403, 0.352 for every other mineral), "use Faloon, Quellmark (2000)" and "Remove".
TEST(CliSettingsRules, H2OCorrectionPresetsByName) {
    RunState state;
    MlaChoice mla;
    applySettingOverrides(state, mla,
                          {"minerals.plagioclase.h2o_correction=default",
                           "minerals.clinopyroxene.h2o_correction=DEFAULT",
                           "minerals.olivine.h2o_correction=faloon-quellmark"});
    const auto& minerals = state.settings.minerals;
    EXPECT_EQ(std::make_pair(minerals[2].h2oA, minerals[2].h2oB), std::make_pair(121.75, 0.512));
    EXPECT_EQ(std::make_pair(minerals[3].h2oA, minerals[3].h2oB), std::make_pair(74.403, 0.352));
    EXPECT_EQ(std::make_pair(minerals[1].h2oA, minerals[1].h2oB), std::make_pair(74.403, 0.352));
    EXPECT_TRUE(minerals[1].h2oCorrection && minerals[2].h2oCorrection);
    applySettingOverrides(state, mla, {"minerals.plagioclase.h2o_correction=none"});
    EXPECT_EQ(std::make_pair(minerals[2].h2oA, minerals[2].h2oB), std::make_pair(0.0, 0.0));
    EXPECT_FALSE(minerals[2].h2oCorrection);
}

TEST(CliSettingsRules, TheCotecticSwitchesEveryCorrectionOff) {
    RunState state;
    MlaChoice mla;
    const auto warnings =
        applySettingOverrides(state, mla,
                              {"minerals.olivine.h2o_correction=[74.403, 0.352]",
                               "minerals.spinel.pressure_correction=4", "run.cotectic=true"});
    EXPECT_EQ(warnings,
              (std::vector<std::string>{
                  "--set minerals.olivine.h2o_correction=[74.403, 0.352]: "
                  "minerals.olivine.h2o_correction: switched off because run.cotectic is on",
                  "--set minerals.spinel.pressure_correction=4: "
                  "minerals.spinel.pressure_correction: switched off because run.cotectic is on"}));
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TMineralOptions& o = state.settings.minerals[m];
        EXPECT_FALSE(o.h2oCorrection || o.pressureCorrection) << m;
        EXPECT_EQ(o.h2oA + o.h2oB + o.pressureSlope, 0.0) << m;
    }
    EXPECT_TRUE(state.settings.parameters.cotecticOption);
}

TEST(CliSettingsRules, TheFe3BufferTakesNoShift) {
    RunState state;
    ensureExampleNames(state);
    MlaChoice mla;
    const auto warnings =
        applySettingOverrides(state, mla, {"oxidation.buffer=fe3=0", "oxidation.shift=1.5"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "--set oxidation.shift=1.5: oxidation.shift: the buffer Fe3=0 takes no shift; 0 is "
              "used");
    EXPECT_EQ(state.settings.parameters.bufferModel, "Fe3=0");  // the table's own spelling
    EXPECT_EQ(state.settings.parameters.bufferOffset, 0.0);
}

TEST(CliSettingsRules, AnH2OCorrectionOnAModelWithH2OIsWarned) {
    RunState state;
    MlaChoice mla;
    const auto warnings = applySettingOverrides(
        state, mla, {"models.olivine=Put05cd", "minerals.olivine.h2o_correction=default"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].ends_with(
        "minerals.olivine.h2o_correction: Putirka, 2005 (C-D) accounts for H2O itself (W in "
        "varnodel-cli models); the correction lowers its liquidus a second time"))
        << warnings[0];
    EXPECT_TRUE(
        applySettingOverrides(state, mla, {"models.olivine=Ford83", "run.step=0.5"}).empty());
}

TEST(CliSettingsRules, BuffersGoByTheirUsualAbbreviations) {
    const std::pair<const char*, const char*> cases[] = {
        {"NNO", "Ni-NiO"}, {"fmq", "QFM"},    {"QFM", "QFM"},  {"IW", "Fe-W"},       {"HM", "MH"},
        {"mh", "MH"},      {"CCO", "Co-CoO"}, {"QIF", "QFFe"}, {"ni-nio", "Ni-NiO"},
    };
    for (const auto& [name, key] : cases) {
        RunState state;
        MlaChoice mla;
        applySettingOverrides(state, mla, {std::string("oxidation.buffer=") + name});
        EXPECT_EQ(state.settings.parameters.bufferModel, key) << name;
    }
}

TEST(CliSettingsRules, KdModesExistOnlyWhileTheKdGivesTheOlivine) {
    RunState state;
    MlaChoice mla;
    applySettingOverrides(state, mla,
                          {"olivine_kd.use_for_composition=true", "olivine_kd.mode=toplis"});
    const TParameters& p = state.settings.parameters;
    EXPECT_TRUE(p.olivineKdModelOption && p.toplisOption);
    EXPECT_FALSE(p.fixedKdOption || p.lnKdOption || p.sobolevQuellmarkOption);

    auto warnings = applySettingOverrides(state, mla, {"olivine_kd.mode=none"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("olivine_kd.mode: none chosen"), std::string::npos);
    EXPECT_TRUE(p.fixedKdOption);  // the dialog's default button

    warnings = applySettingOverrides(state, mla, {"olivine_kd.use_for_composition=false"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "--set: olivine_kd.mode: not used while "
              "olivine_kd.use_for_composition is false");
    EXPECT_FALSE(p.olivineKdModelOption || p.fixedKdOption || p.toplisOption);
}

// --- model names and the liquidus-association choice ------------------------------------------

// Three stand-ins in place of the registered olivine models.
class CliSettingsModelNames : public ::testing::Test {
  protected:
    static TSetOfModels& emptied(TSetOfModels& set) {
        set.models.clear();
        return set;
    }
    CliSettingsModelNames()
        : first(addFake(emptied(state.registry().mineralSet(Phase::Olivine)), "First, 2001",
                        "First01 ")),
          second(addFake(state.registry().mineralSet(Phase::Olivine), "Second, 2002", "Sec02   ")),
          third(addFake(state.registry().mineralSet(Phase::Olivine), "Third, 2003", "Third003")) {
        first.selected = true;
        third.selected = true;
        state.reset();
    }
    TModel* olivineAfter(const std::string& value) {
        applySettingOverrides(state, mla, {"models.olivine=" + value});
        return state.slots[1];
    }
    RunState state;
    MlaChoice mla;
    TModel& first;
    TModel& second;
    TModel& third;
};

TEST_F(CliSettingsModelNames, MatchDisplayOrShortNameWithOrWithoutTrailingBlanks) {
    EXPECT_EQ(olivineAfter("Second, 2002"), &second);
    EXPECT_EQ(olivineAfter("First01"), &first);
    EXPECT_EQ(olivineAfter("\"Sec02   \""), &second);
    EXPECT_EQ(olivineAfter("\"Sec02 \""), &second);
    EXPECT_EQ(olivineAfter("Third003"), &third);
    EXPECT_EQ(olivineAfter("\"\""), nullptr);  // not used
    EXPECT_EQ(olivineAfter("First01"), &first);
    EXPECT_EQ(olivineAfter(""), nullptr);  // a bare empty value is the empty text
    EXPECT_THROW(olivineAfter("second, 2002"), EInputError);
    EXPECT_THROW(olivineAfter("Sec0"), EInputError);
}

TEST_F(CliSettingsModelNames, TheLiquidusAssociationDefaultsToTheSelectedModels) {
    mla = MlaChoice::selectedIn(state.registry());
    EXPECT_EQ(mla.chosen(state.registry(), Phase::Olivine), (std::vector<TModel*>{&first, &third}));
    applySettingOverrides(state, mla, {"run.step=1"});  // no [mla]: the choice stays
    EXPECT_EQ(mla.models[0], (std::vector<std::size_t>{0, 2}));
}

TEST_F(CliSettingsModelNames, TheMlaTableChoosesByNameOrStar) {
    applySettingOverrides(state, mla, {"mla.olivine=[\"Third003\", \"Second, 2002\"]"});
    EXPECT_EQ(mla.chosen(state.registry(), Phase::Olivine),
              (std::vector<TModel*>{&second, &third}));  // in the set's order
    for (std::size_t s = 1; s < kMineralCount; ++s)
        EXPECT_TRUE(mla.models[s].empty()) << s;  // a mineral the table leaves out: none

    applySettingOverrides(state, mla, {"mla.olivine=[\"First01\", \"*\"]"});
    EXPECT_EQ(mla.models[0], (std::vector<std::size_t>{0, 1, 2}));
    applySettingOverrides(state, mla, {"mla.olivine=[]"});
    EXPECT_TRUE(mla.models[0].empty());
}

TEST(CliSettingsComposition, ReadsOxidesElementsAndNotDetermined) {
    test::ScratchDir dir{"varnodel_settings"};
    RunState state;
    MlaChoice mla;
    const auto file = dir.write("melt.toml",
                                "[composition]\n"
                                "name = \"Kil-1\"\n"
                                "pressure = 2\n"
                                "oxides = { SiO2 = 49.5, Fe2O3 = 1.2, FeO = 9, MgO = 8, CaO = 11, "
                                "Cr2O3 = \"n.d.\" }\n"
                                "H2O = 0.8\n"
                                "traces = { Ni = 150, La = 12.5, B = 0 }\n"
                                "host_fo = 88\n"
                                "final_feo = 10.5\n");
    EXPECT_TRUE(loadSettings(state, mla, file).empty());
    const TAnalysis melt = meltOf(state.composition);
    const Oxides expected{49.5, 0, 0, 1.2, 9.0, 0, 8.0, 11.0, 0, 0, 0, 0};
    EXPECT_EQ(melt.oxides, expected);
    EXPECT_TRUE(melt.notDetermined[Ox::Cr2O3]);
    EXPECT_FALSE(melt.notDetermined[Ox::SiO2]);
    EXPECT_EQ(melt.name, "melt");
    EXPECT_EQ(melt.volatile_.value, 0.8);
    EXPECT_EQ(melt.traces[5].value, 150.0);
    EXPECT_EQ(melt.traces[16].value, 12.5);
    EXPECT_EQ(state.composition.phases.size(), 1u);
    EXPECT_EQ(state.composition.name, "Kil-1");
    EXPECT_EQ(state.composition.pressureBlock.pressure, 2.0);
    EXPECT_EQ(state.composition.meltInclusions.hostFo, "88");
    EXPECT_EQ(state.composition.meltInclusions.wholeRockFeO, "10.5");
    // Present in the run: H2O, Ni and La (B is 0).
    EXPECT_TRUE(state.settings.active.volatile_);
    for (std::size_t i = 0; i < kTraceCount; ++i)
        EXPECT_EQ(state.settings.active.traces[i], i == 5 || i == 16) << kTraces[i].name;
}

}  // namespace
}  // namespace varnodel
