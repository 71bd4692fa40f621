// Every registered mineral model through the forward engine and the liquidus association: on
// every reference glass and on hostile melts, alone and beside the usual basalt models, under a
// buffer, a fixed iron ratio and (olivine alone) the olivine equation, dry and wet at pressure.
// A run ends as it should (completed, or with one of the program's own error reports and a line
// that names the model), and every number it records is finite and physical.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "FracHarness.h"
#include "RecordingMlaOutput.h"
#include "engines/MLA.h"
#include "support/NonNumberText.h"
#include "support/SweepMelts.h"

namespace varnodel {
namespace {

using test::glassMelts;
using test::hasNonNumberToken;
using test::hostileMelts;
using test::SweepMelt;

// --- what is swept --------------------------------------------------------------------------

struct SweptModel {
    Phase mineral = Phase::Olivine;
    std::string name;  // display name
    std::string shortName;
};

std::vector<SweptModel> everyMineralModel() {
    const RunState state;
    std::vector<SweptModel> models;
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        for (const auto& m : state.registry().mineralSet(mineral).models)
            models.push_back({mineral, m->displayName, m->shortName});
    }
    return models;
}

// Letters and digits only: a test name, and the name of a model however a message writes it
// ("Ariskin & Nikolaev, 1996" and the "Ariskin & Nikolaev 1996 model" of its own message).
std::string bareName(const std::string& text, bool lowerCase = false) {
    std::string out;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += lowerCase ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
    return out;
}

bool anyLineNames(const std::vector<std::string>& lines, const std::string& model) {
    const std::string name = bareName(model, true);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return bareName(l, true).find(name) != std::string::npos;
    });
}

enum class Redox { Qfm, FixedRatio, OlivineEquation };

// The conditions of a run: the models beside the swept one, the redox choice, H2O and pressure.
struct Condition {
    const char* name;
    bool withBasaltModels;  // olivine Ford 1983, plagioclase and clinopyroxene Langmuir 1992
    Redox redox;
    double h2oWt;
    double pressureKbar;
    bool corrections;  // the users' H2O and pressure corrections of every liquidus
    bool traces;       // trace elements by constant Kd and by trace-element models
};

const Condition kAloneQfmDry{"AloneQfmDry", false, Redox::Qfm, 0.0, 0.001, false, false};
const Condition kAloneRatioWet{
    "AloneFixedRatioWet5kbar", false, Redox::FixedRatio, 2.0, 5.0, false, false};
const Condition kBasaltQfmDry{"BasaltQfmDry", true, Redox::Qfm, 0.0, 0.001, false, false};
const Condition kBasaltRatioWet{
    "BasaltFixedRatioWet5kbarCorrected", true, Redox::FixedRatio, 2.0, 5.0, true, false};
const Condition kBasaltTraces{"BasaltQfmDryTraces", true, Redox::Qfm, 0.0, 0.001, false, true};
// Fe2/Fe3 from the olivine's Fo: the front ends offer it with olivine as the only mineral.
const Condition kOlivineEquation{
    "OlivineEquationWet2kbar", false, Redox::OlivineEquation, 4.0, 2.0, false, false};
const Condition kEquationWet{
    "OlivineEquationWet5kbarCorrected", false, Redox::OlivineEquation, 2.0, 5.0, true, false};

void applyRedox(TParameters& p, Redox redox) {
    p.bufferMode = redox == Redox::Qfm;
    p.bufferModel = "QFM";
    p.fixedRatioMode = redox == Redox::FixedRatio;
    p.fixedRatio = 9.0;  // (Fe2/Fe3)melt, Fe3+/Fe = 0.1
    p.equationMode = redox == Redox::OlivineEquation;
    p.equationA = 0.05;  // Fe2/Fe3 = 0.05 Fo(%) + 4: 8.5 at Fo 90
    p.equationB = 4.0;
}

// Corrections of the size the dialogs offer: the H2O term of Falloon & Danyushevsky (2000) and a
// few degrees per kbar.
void applyCorrections(RunSettings& s) {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        TMineralOptions& m = s.minerals[i];
        m.h2oCorrection = true;
        m.h2oA = 74.403;
        m.h2oB = 0.352;
        m.pressureCorrection = true;
        m.pressureSlope = 4.0;
    }
}

// The 0-based position of a trace element.
std::size_t traceIndex(const char* name) {
    return elementIndex(name) - 1;
}

// Eight trace elements at 10 to 80 ppm: Ni and Co of olivine by Beattie (1993), Sr and Ba of
// plagioclase by Blundy & Wood (1991), everything else by a constant Kd (0.05 to 2).
void applyTraces(RunSettings& s, TAnalysis& melt) {
    struct Trace {
        const char* name;
        double ppm;
        double kd;
    };
    constexpr Trace kTraces8[] = {{"Sc", 30.0, 2.0},  {"V ", 80.0, 1.5}, {"Co", 40.0, 1.2},
                                  {"Ni", 60.0, 1.8},  {"Sr", 70.0, 0.8}, {"Ba", 20.0, 0.3},
                                  {"La", 10.0, 0.05}, {"Yb", 15.0, 0.4}};
    for (const Trace& t : kTraces8) {
        const std::size_t e = traceIndex(t.name);
        s.active.traces[e] = true;
        melt.traces[e].value = t.ppm;
        for (std::size_t m = 1; m < kPhaseCount; ++m) {
            s.kd.at(m, e + 1) = t.kd;
            s.minerals[m].traceChoices[e] = "Kd";
        }
    }
    for (const char* ni : {"Ni", "Co"})
        s.minerals[1].traceChoices[traceIndex(ni)] = "Beatt91 ";
    for (const char* sr : {"Sr", "Ba"})
        s.minerals[2].traceChoices[traceIndex(sr)] = "Bl_Wo91 ";
}

void applyCondition(const Condition& c, RunSettings& s) {
    applyRedox(s.parameters, c.redox);
    if (c.corrections) applyCorrections(s);
}

// --- the melts ------------------------------------------------------------------------------

// Finite numbers that follow a model's published formula but belong to no magma: kept as the
// model gives them, and not counted as faults here. Liquidus temperatures only.
struct BeyondCalibration {
    const char* model;  // display name
    Phase mineral;
    const char* melt;
    const char* why;
};

const BeyondCalibration kBeyondCalibration[] = {
    {"Brisande&Gerya, 1998", Phase::Plagioclase, "30 H2O",
     "50 degrees less per wt% H2O: 290 K with the 23 wt% of this melt (44 K with the H2O "
     "correction on top)"},
    // A melt of FeO and SiO2 alone leaves these liquidus equations their FeO terms: 145-340 K.
    {"Nielsen 1988", Phase::Olivine, "fayalite melt", "234 K"},
    {"Roeder&Emslie, 1970", Phase::Olivine, "fayalite melt", "179 K"},
    {"Nielsen & Drake, 1979", Phase::Clinopyroxene, "fayalite melt", "219 K"},
    {"Ariskin et al., 1993", Phase::Orthopyroxene, "fayalite melt", "294 K"},
    {"Bolikhovskaya et al., 1995", Phase::Orthopyroxene, "fayalite melt", "342 K"},
    {"Nielsen & Drake, 1979", Phase::Orthopyroxene, "fayalite melt", "145 K"},
};

bool beyondCalibration(const std::string& model, Phase mineral, const std::string& melt) {
    return std::any_of(std::begin(kBeyondCalibration), std::end(kBeyondCalibration),
                       [&](const BeyondCalibration& b) {
                           return model == b.model && mineral == b.mineral && melt == b.melt;
                       });
}

// --- the checks shared by both engines ------------------------------------------------------

constexpr double kLowestT = 100.0 + 273.0;  // K
constexpr double kHighestT = 2500.0 + 273.0;

void expectTextsClean(const test::RecordingReporter& r, const std::string& where) {
    for (const auto* lines : {&r.log, &r.debug, &r.messages})
        for (const std::string& line : *lines)
            EXPECT_FALSE(hasNonNumberToken(line)) << where << ": " << line;
}

// wt% that the oxygen of the melt's iron can add or take: all of it FeO, or all Fe2O3.
double redoxMass(const TAnalysis& molar) {
    const double iron = molar.oxides[Ox::FeO] + molar.oxides[Ox::Fe2O3];  // cation moles
    return iron * (kOxides[Ox::Fe2O3].massPerCation - kOxides[Ox::FeO].massPerCation) + 1e-6;
}

// A composition in the molar form: every oxide, H2O and trace finite and >= 0, and the whole 100
// wt% to within `tolerance`.
void expectComposition(const TAnalysis& molar, const std::string& what, double tolerance = 1e-6) {
    double sum = molar.volatile_.value * kVolatileMass;
    EXPECT_TRUE(std::isfinite(molar.volatile_.value)) << what;
    EXPECT_GE(molar.volatile_.value, 0.0) << what << " H2O";
    for (std::size_t k = 0; k < kOxideCount; ++k) {
        const double v = molar.oxides[k];
        EXPECT_TRUE(std::isfinite(v)) << what << " " << kOxides[k].label;
        EXPECT_GE(v, 0.0) << what << " " << kOxides[k].label;
        sum += v * kOxides[k].massPerCation;
    }
    for (std::size_t i = 0; i < kTraceCount; ++i) {
        const double v = molar.traces[i].value;
        EXPECT_TRUE(std::isfinite(v)) << what << " " << kTraces[i].name;
        EXPECT_GE(v, 0.0) << what << " " << kTraces[i].name;
        sum += v * kTraces[i].mass * traceOxideFactor(i);
    }
    EXPECT_NEAR(sum, 100.0, tolerance) << what;
}

// A mineral as a model writes it: wt%, every oxide finite and >= 0, summing to 100.
void expectMineralWt(const TAnalysis& wt, const std::string& what) {
    double sum = 0.0;
    for (std::size_t k = 0; k < kOxideCount; ++k) {
        EXPECT_TRUE(std::isfinite(wt.oxides[k])) << what << " " << kOxides[k].label;
        EXPECT_GE(wt.oxides[k], 0.0) << what << " " << kOxides[k].label;
        sum += wt.oxides[k];
    }
    EXPECT_NEAR(sum, 100.0, 1e-6) << what;
}

// --- forward crystallisation ----------------------------------------------------------------

constexpr double kStepPercent = 1.0;
// The reference glasses go to 10 %; a hostile melt shows its trouble within the first steps.
constexpr double kGlassStopPercent = 10.0;
constexpr double kHostileStopPercent = 5.0;

struct FracCase {
    SweptModel model;
    Condition condition;
    bool hostile = false;  // the hostile melts instead of the reference glasses
};

void PrintTo(const FracCase& c, std::ostream* os) {
    *os << c.model.name << " (" << kPhases[static_cast<std::size_t>(c.model.mineral)].name << "), "
        << c.condition.name << (c.hostile ? ", hostile melts" : "");
}

class ForwardSweep : public ::testing::TestWithParam<FracCase> {};

// The models of the run: the swept one, with the basalt models beside it when asked (the swept
// model takes its mineral's place).
std::vector<std::pair<Phase, std::string>> runModels(const FracCase& c) {
    std::vector<std::pair<Phase, std::string>> models;
    if (c.condition.withBasaltModels) {
        for (const auto& [mineral, name] :
             {std::pair{Phase::Olivine, "Ford et al., 1983"},
              std::pair{Phase::Plagioclase, "Langmuir et al., 1992"},
              std::pair{Phase::Clinopyroxene, "Langmuir et al., 1992"}})
            if (mineral != c.model.mineral) models.emplace_back(mineral, name);
    }
    models.emplace_back(c.model.mineral, c.model.name);
    return models;
}

void checkPrintedStep(const test::PrintedStep& step, bool lowLiquidusAllowed,
                      const std::string& where) {
    const FracState& s = step.state;
    const double T = s.T[s.leader];
    EXPECT_TRUE(std::isfinite(T)) << where;
    if (!lowLiquidusAllowed) {
        EXPECT_GE(T, kLowestT) << where;
    }
    EXPECT_LE(T, kHighestT) << where;
    for (double v : {s.meltFraction, s.magmaFraction, s.fluidFraction, s.lgfO2, s.dNNO, s.density,
                     s.thermalExpansion, s.lnViscosity, s.h2oSolubility, step.pressure})
        EXPECT_TRUE(std::isfinite(v)) << where;
    EXPECT_GT(s.density, 0.0) << where;
    expectComposition(step.melt, where + " melt", redoxMass(step.melt));
    expectComposition(s.magma, where + " magma", redoxMass(s.magma));
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        EXPECT_TRUE(std::isfinite(s.T[i]) && std::isfinite(s.modelT[i])) << where;
        if (s.crystalsInMagma[i] + s.crystalsInCumulate[i] <= 0.0) continue;
        const std::string phase(kPhases[i].name);
        EXPECT_GE(s.composition[i], 0.0) << where << " " << phase;
        EXPECT_LE(s.composition[i], 1.0) << where << " " << phase;
        if (s.crystalsInMagma[i] > 0.0)
            expectComposition(findPhase(s.crystals, phase), where + " " + phase);
        if (s.crystalsInCumulate[i] > 0.0)
            expectComposition(findPhase(s.cumulate, phase), where + " cumulate " + phase);
    }
}

TEST_P(ForwardSweep, EndsAsItShouldWithFinitePhysicalNumbers) {
    const FracCase& c = GetParam();
    const auto models = runModels(c);
    for (const auto& sample : c.hostile ? hostileMelts() : glassMelts()) {
        const std::string where = c.model.name + " / " + sample.name;
        RunState state = test::stateWithModels(models);
        TParameters& p = state.settings.parameters;
        p.calculationStep = kStepPercent;
        const double stopPercent = c.hostile ? kHostileStopPercent : kGlassStopPercent;
        p.stop.values[Stop::Crystallisation] = stopPercent;
        test::printEveryStep(p);
        applyCondition(c.condition, state.settings);
        TAssemblage start =
            test::startingComposition({sample.name, sample.melt}, c.condition.pressureKbar, 0.1);
        start.phases[0].volatile_.value += c.condition.h2oWt;
        if (c.condition.traces) applyTraces(state.settings, start.phases[0]);
        std::unique_ptr<test::FracRun> run;
        try {
            run = test::runFrac(state, start);
        } catch (const std::exception& e) {
            ADD_FAILURE() << where << ": escaped " << e.what();
            continue;
        }
        expectTextsClean(run->reporter, where);
        const auto& steps = run->output.steps;
        const auto& messages = run->reporter.messages;
        if (run->outcome == RunOutcome::Completed) {
            EXPECT_TRUE(messages.empty()) << where << ": " << messages.front();
            ASSERT_FALSE(steps.empty()) << where;
            EXPECT_TRUE(steps.back().finalStep) << where;
            EXPECT_GE(1.0 - steps.back().state.meltFraction, stopPercent / 100.0 - 1e-12) << where;
        } else {
            // The end of every mineral, or a reason that the run cannot go on; either way a line
            // names the model that gave up.
            ASSERT_EQ(run->outcome, RunOutcome::Failed) << where;
            ASSERT_EQ(messages.size(), 1u) << where;
            const bool noneLeft = messages[0] == "No minerals left in calculations with " +
                                                     sample.name + ". Calculation aborted.";
            const std::string analysis = ". Analysis " + sample.name;
            const bool fatal =
                messages[0].size() > analysis.size() && messages[0].ends_with(analysis);
            EXPECT_TRUE(noneLeft || fatal) << where << ": " << messages[0];
            std::vector<std::string> reasons = run->reporter.debug;
            reasons.push_back(messages[0]);
            bool named = false;
            for (const auto& [mineral, name] : models)
                named = named || anyLineNames(reasons, name);
            EXPECT_TRUE(named) << where << ": no line names a model";
        }
        double lastMelt = 1.0;
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const auto leader = static_cast<Phase>(steps[k].state.leader);
            bool lowLiquidus = false;
            for (const auto& [mineral, name] : models)
                lowLiquidus = lowLiquidus ||
                              (mineral == leader && beyondCalibration(name, mineral, sample.name));
            checkPrintedStep(steps[k], lowLiquidus, where + " step " + std::to_string(k));
            // Every crystal leaves for the cumulate: nothing dissolves again.
            EXPECT_LE(steps[k].state.meltFraction, lastMelt) << where << " step " << k;
            lastMelt = steps[k].state.meltFraction;
        }
    }
}

std::vector<FracCase> forwardCases() {
    std::vector<FracCase> cases;
    for (const auto& m : everyMineralModel()) {
        for (const Condition& c : {kAloneQfmDry, kAloneRatioWet, kBasaltQfmDry, kBasaltRatioWet})
            cases.push_back({m, c, false});
        if (m.mineral == Phase::Olivine) {
            cases.push_back({m, kOlivineEquation, false});
            cases.push_back({m, kOlivineEquation, true});
        }
        cases.push_back({m, kAloneQfmDry, true});
        cases.push_back({m, kBasaltTraces, true});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    EveryModel, ForwardSweep, ::testing::ValuesIn(forwardCases()), [](const auto& info) {
        const FracCase& c = info.param;
        return std::string(kPhases[static_cast<std::size_t>(c.model.mineral)].abbreviation) +
               bareName(c.model.shortName) + "_" + c.condition.name + (c.hostile ? "_Hostile" : "");
    });

// --- liquidus association -------------------------------------------------------------------

using test::RecordingMlaOutput;

struct MlaCase {
    SweepMelt melt;
    Condition condition;
};

void PrintTo(const MlaCase& c, std::ostream* os) {
    *os << c.melt.name << ", " << c.condition.name;
}

class LiquidusSweep : public ::testing::TestWithParam<MlaCase> {};

TEST_P(LiquidusSweep, EveryModelGivesAPhysicalResultOrANamedFailure) {
    const MlaCase& c = GetParam();
    RunState state;
    state.settings.active.volatile_ = true;
    applyCondition(c.condition, state.settings);
    MlaModels all;
    for (std::size_t s = 0; s < kMineralCount; ++s)
        for (std::size_t i = 0; i < state.registry().mineralSets()[s]->models.size(); ++i)
            all[s].push_back(i);

    TAssemblage start;
    start.name = c.melt.name;
    start.phases.push_back(c.melt.melt);
    start.phases[0].volatile_.value += c.condition.h2oWt;
    start.pressureBlock.pressure = c.condition.pressureKbar;

    RunSnapshot snap = state.snapshot();
    RecordingMlaOutput output;
    test::RecordingReporter reporter;
    TMLAThread engine(snap, start, all, output, reporter);
    RunOutcome outcome = RunOutcome::Failed;
    try {
        outcome = engine.run();
    } catch (const std::exception& e) {
        FAIL() << "escaped " << e.what();
    }
    EXPECT_EQ(outcome, RunOutcome::Completed);
    for (const auto& m : reporter.messages)
        ADD_FAILURE() << m;
    expectTextsClean(reporter, c.melt.name);
    for (const auto& line : output.lines)
        EXPECT_FALSE(hasNonNumberToken(line)) << line;
    ASSERT_EQ(output.rows.size(), 1u);
    expectComposition(output.rows[0].melt, "melt", redoxMass(output.rows[0].melt));

    std::size_t row = 0;
    for (const MlaModelResult& r : engine.results()) {
        const std::string& model = r.model->displayName;
        const std::string name = model + " (" + std::string(phaseName(r.mineral)) + ")";
        if (r.failed) {
            EXPECT_TRUE(anyLineNames(reporter.debug, model))
                << name << ": failed without a diagnostics line naming it";
            continue;
        }
        EXPECT_TRUE(std::isfinite(r.T)) << name;
        if (!beyondCalibration(model, r.mineral, c.melt.name)) {
            EXPECT_GE(r.T, kLowestT) << name;
        }
        EXPECT_LE(r.T, kHighestT) << name;
        EXPECT_GE(r.X, 0.0) << name;
        EXPECT_LE(r.X, 1.0) << name;
        ASSERT_LT(row, output.mineralRows.size());
        const MlaMineralRow& mineral = output.mineralRows[row++];
        EXPECT_EQ(mineral.model, r.model);
        expectMineralWt(mineral.composition, name);
    }
    EXPECT_EQ(row, output.mineralRows.size());
}

std::vector<MlaCase> liquidusCases() {
    std::vector<MlaCase> cases;
    for (const auto& melts : {glassMelts(), hostileMelts()})
        for (const auto& m : melts)
            for (const Condition& c : {kAloneQfmDry, kAloneRatioWet, kEquationWet})
                cases.push_back({m, c});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryMelt, LiquidusSweep, ::testing::ValuesIn(liquidusCases()),
                         [](const auto& info) {
                             return bareName(info.param.melt.name) + "_" +
                                    info.param.condition.name;
                         });

}  // namespace
}  // namespace varnodel
