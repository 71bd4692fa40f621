#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "RecordingMlaOutput.h"
#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/MLA.h"
#include "io/MlaFiles.h"
#include "models/_models_H2O.h"
#include "support/RecordingReporter.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

using test::RecordingMlaOutput;

// A mineral model with a given liquidus (K) and composition number; X follows T as T / 10000
// when asked, to show at which temperature the composition was taken. It can also warn, give
// no number or end the run.
class StubModel : public ModelClone<StubModel> {
  public:
    enum class Behaviour { Normal, Warns, NotANumber, Fatal };

    StubModel(Phase mineral, std::string name, double T, double X,
              Behaviour behaviour = Behaviour::Normal)
        : mineral_(mineral), T_(T), X_(X), behaviour_(behaviour) {
        displayName = name;
        shortName = (name + "        ").substr(0, 8);
    }
    void Get_Temperature(const TAssemblage&, double& T) override {
        switch (behaviour_) {
            case Behaviour::Warns:
                message = displayName + " could not find its liquidus";
                T = 1500.0;
                return;
            case Behaviour::NotANumber:
                T = std::numeric_limits<double>::quiet_NaN();
                return;
            case Behaviour::Fatal:
                context().errorText = displayName + " cannot go on";
                throw FatalError(context().errorText);
            case Behaviour::Normal:
                T = T_;
                return;
        }
    }
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override {
        value = X_ < 0.0 ? T / 10000.0 : X_;
        Oxides wt{};
        wt[Ox::SiO2] = 40.0;
        wt[Ox::MgO] = 45.0;
        wt[Ox::FeO] = 15.0;
        storeMineral(assemblage, mineral_, wt);
    }

  private:
    Phase mineral_;
    double T_, X_;
    Behaviour behaviour_;
};

// Adds a stub to the run state's registry and returns its position in the set.
std::size_t addStub(RunState& state, Phase mineral, std::unique_ptr<StubModel> stub) {
    auto& set = state.registry().mineralSet(mineral);
    set.add(std::move(stub));
    return set.models.size() - 1;
}

std::size_t positionOf(const RunState& state, Phase mineral, const std::string& displayName) {
    const auto& models = state.registry().mineralSet(mineral).models;
    for (std::size_t i = 0; i < models.size(); ++i)
        if (models[i]->displayName == displayName) return i;
    ADD_FAILURE() << "no model " << displayName;
    return 0;
}

std::vector<std::size_t>& of(MlaModels& models, Phase mineral) {
    return models[static_cast<std::size_t>(mineral) - 1];
}

struct MlaRun {
    RunSnapshot snapshot;
    RecordingMlaOutput output;
    test::RecordingReporter reporter;
    RunOutcome outcome = RunOutcome::Completed;
    std::vector<MlaModelResult> results;
    double estimatedPressure = -1.0;
    double estimatedH2O = -1.0;
    TAnalysis melt;

    // The results row as the files write it.
    std::string row(const RunState& state) const {
        return mlaResultsRow(output.rows.at(0), PresentElements::from(state.settings.active));
    }
};

TAssemblage startingMelt(const test::ReferenceGlass& glass, double pressureKbar = 0.001) {
    TAssemblage a;
    a.name = glass.name;
    a.phases.push_back(glass.melt);
    a.pressureBlock.pressure = pressureKbar;
    return a;
}

std::unique_ptr<MlaRun> runMla(const RunState& state, const MlaModels& models,
                               const TAssemblage& start, std::stop_token stop = {}) {
    auto run = std::make_unique<MlaRun>();
    run->snapshot = state.snapshot();
    TMLAThread engine(run->snapshot, start, models, run->output, run->reporter, stop);
    run->outcome = engine.run();
    run->results = engine.results();
    run->estimatedPressure = engine.estimatedPressure();
    run->estimatedH2O = engine.estimatedH2O();
    run->melt = engine.melt();
    return run;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(line.substr(start, comma - start));
    parts.push_back(line.substr(start));
    return parts;
}

bool hasNonNumberText(const std::string& text) {
    for (const char* bad : {"nan", "NaN", "inf", "INF"})
        if (text.find(bad) != std::string::npos) return true;
    return false;
}

const test::ReferenceGlass& glass(std::size_t i) {
    static const auto glasses = test::referenceGlasses();
    return glasses.at(i);
}

// --- every registered model on every reference glass ---------------------------------------

class MlaOnReferenceGlasses : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MlaOnReferenceGlasses, EveryModelGivesAFiniteLiquidusOrAReportedFailure) {
    RunState state;
    state.settings.active.volatile_ = true;
    MlaModels all;
    std::size_t count = 0;
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        for (std::size_t i = 0; i < state.registry().mineralSets()[s]->models.size(); ++i)
            all[s].push_back(i);
        count += all[s].size();
    }
    const auto run = runMla(state, all, startingMelt(glass(GetParam())));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_EQ(run->results.size(), count);
    ASSERT_EQ(run->output.rows.size(), 1u);

    const PresentElements present = PresentElements::from(state.settings.active);
    const std::string header = mlaResultsHeader(state.registry(), all, present);
    const std::string row = run->row(state);
    const auto headerFields = fields(header);
    const auto rowFields = fields(row);
    ASSERT_EQ(rowFields.size(), headerFields.size()) << row;
    EXPECT_EQ(rowFields.back(), glass(GetParam()).name);

    // Each model's two columns: a finite liquidus and composition, or the "-1,-1," of a failure
    // that went to the diagnostics log.
    const std::size_t first = headerFields.size() - 1 - 2 * count;
    std::size_t failures = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const MlaModelResult& r = run->results[k];
        const std::string& name = r.model->displayName;
        const std::string t = rowFields[first + 2 * k], x = rowFields[first + 2 * k + 1];
        EXPECT_EQ(headerFields[first + 2 * k], "T " + r.model->shortName);
        if (r.failed) {
            ++failures;
            EXPECT_EQ(t + "," + x, "-1,-1") << name;
            continue;
        }
        EXPECT_TRUE(std::isfinite(r.T) && std::isfinite(r.X)) << name;
        EXPECT_GT(r.T - 273.0, 500.0) << name;
        EXPECT_LT(r.T - 273.0, 2000.0) << name;
        EXPECT_GE(r.X, 0.0) << name;
        EXPECT_LE(r.X, 1.0) << name;
        EXPECT_EQ(t, fixedText(r.T - 273.0, 5, 2)) << name;
    }
    EXPECT_GE(run->reporter.debug.size(), failures);
    EXPECT_EQ(run->output.mineralRows.size(), count - failures);
    for (const auto& line : run->output.lines)
        EXPECT_FALSE(hasNonNumberText(line)) << line;
    for (const auto& m : run->output.mineralRows)
        EXPECT_FALSE(hasNonNumberText(mlaMineralFileRow(m, present)));
    EXPECT_FALSE(hasNonNumberText(row)) << row;
}

INSTANTIATE_TEST_SUITE_P(Glasses, MlaOnReferenceGlasses, ::testing::Range<std::size_t>(0, 7));

// --- the cotectic estimates -----------------------------------------------------------------

TEST(MlaCotectics, OlivineAndClinopyroxeneQuellmarkGiveOnlyThePressureEstimate) {
    RunState state;
    MlaModels models;
    of(models, Phase::Olivine).push_back(positionOf(state, Phase::Olivine, "Quellmark, 2001"));
    of(models, Phase::Clinopyroxene)
        .push_back(positionOf(state, Phase::Clinopyroxene, "Quellmark, 2001"));
    const auto run = runMla(state, models, startingMelt(glass(0)));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_EQ(run->results.size(), 2u);
    ASSERT_FALSE(run->results[0].failed);
    ASSERT_FALSE(run->results[1].failed);

    // At 1 bar without corrections the 1-bar liquidus temperatures are the reported ones (up to
    // the last iron split): P = (T_ol - T_cpx) x 0.182 kbar.
    const double expected = (run->results[0].T - run->results[1].T) * 0.182;
    EXPECT_NEAR(run->estimatedPressure, expected, 0.01);
    EXPECT_EQ(run->estimatedH2O, -1.0);

    const auto& lines = run->output.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], " Estimated Pressure for an Olv-Cpx cotectic = " +
                                           fixedText(run->estimatedPressure, 6, 3) + " kbar");
    EXPECT_EQ(lines.back(), " ");
    for (const auto& line : lines)
        EXPECT_EQ(line.find("Estimated H2O"), std::string::npos);

    const auto row = fields(run->row(state));
    // ... P(kbar), log(fO2), Pcalc, H2Ocalc, 4 model fields, Sample
    const std::size_t pcalc = row.size() - 1 - 4 - 2;
    EXPECT_EQ(row[pcalc], fixedField(run->estimatedPressure, 7, 3));
    EXPECT_EQ(row[pcalc + 1], "-1");
}

TEST(MlaCotectics, OlivineAndPlagioclaseQuellmarkEstimateTheCotecticH2O) {
    RunState state;
    MlaModels models;
    of(models, Phase::Olivine).push_back(positionOf(state, Phase::Olivine, "Quellmark, 2001"));
    of(models, Phase::Plagioclase)
        .push_back(positionOf(state, Phase::Plagioclase, "Quellmark, 2001"));
    const TAssemblage start = startingMelt(glass(0));
    const auto run = runMla(state, models, start);
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_GE(run->estimatedH2O, 0.0);
    EXPECT_EQ(run->estimatedPressure, -1.0);

    // The same estimate, made on the melt the last model left, with a registry of its own.
    RunSnapshot fresh = state.snapshot();
    TAssemblage melt = start;
    melt.pressure = 1.0;
    melt.phases = {run->melt};
    double h2o = 0.0;
    TModelH2O_Quellmark2001(*fresh.registry).getMeltH2O(melt, h2o, 0.0, 0.0);
    EXPECT_NEAR(run->estimatedH2O, h2o, 1e-9);

    const auto& lines = run->output.lines;
    EXPECT_EQ(lines[lines.size() - 2], " Estimated H2O content for an Olv-Plg cotectic = " +
                                           fixedText(run->estimatedH2O * 18.0, 5, 2) + " wt%");
    const auto row = fields(run->row(state));
    EXPECT_EQ(row[row.size() - 1 - 4 - 1], fixedField(run->estimatedH2O * 18.0, 7, 4));
    EXPECT_EQ(row[row.size() - 1 - 4 - 2], " -1.000");  // Pcalc
}

// --- failures -------------------------------------------------------------------------------

TEST(MlaFailures, AFailingModelKeepsEveryColumnUnderItsHeader) {
    RunState state;
    MlaModels models;
    auto& olivine = of(models, Phase::Olivine);
    olivine.push_back(positionOf(state, Phase::Olivine, "Ford et al., 1983"));
    olivine.push_back(addStub(state, Phase::Olivine,
                              std::make_unique<StubModel>(Phase::Olivine, "Warner", 1500, 0.9,
                                                          StubModel::Behaviour::Warns)));
    olivine.push_back(addStub(state, Phase::Olivine,
                              std::make_unique<StubModel>(Phase::Olivine, "NoNumber", 1500, 0.9,
                                                          StubModel::Behaviour::NotANumber)));
    of(models, Phase::Plagioclase)
        .push_back(positionOf(state, Phase::Plagioclase, "Langmuir et al., 1992"));
    const auto run = runMla(state, models, startingMelt(glass(0)));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);

    const std::string header =
        mlaResultsHeader(state.registry(), models, PresentElements::from(state.settings.active));
    const auto h = fields(header);
    const auto row = fields(run->row(state));
    ASSERT_EQ(row.size(), h.size());
    const std::size_t first = h.size() - 1 - 8;
    EXPECT_EQ(h[first + 2], "T Warner  ");
    EXPECT_EQ(row[first + 2] + row[first + 3], "-1-1");
    EXPECT_EQ(h[first + 4], "T NoNumber");
    EXPECT_EQ(row[first + 4] + row[first + 5], "-1-1");
    EXPECT_EQ(row[first + 0], fixedText(run->results[0].T - 273.0, 5, 2));  // Ford 1983
    EXPECT_EQ(row[first + 6], fixedText(run->results[3].T - 273.0, 5, 2));  // Langmuir 1992

    // No per-mineral row and no report entry for the failures; their reasons in the
    // diagnostics log, the warning cleared.
    ASSERT_EQ(run->output.mineralRows.size(), 2u);
    EXPECT_EQ(run->output.mineralRows[0].model->displayName, "Ford et al., 1983");
    EXPECT_EQ(run->output.mineralRows[1].mineral, Phase::Plagioclase);
    const auto& lines = run->output.lines;
    const auto models2 = std::find(lines.begin(), lines.end(), "Ford83   Langm92  ");
    EXPECT_NE(models2, lines.end());
    const auto& debug = run->reporter.debug;
    EXPECT_NE(std::find(debug.begin(), debug.end(), "Warner could not find its liquidus"),
              debug.end());
    EXPECT_NE(std::find(debug.begin(), debug.end(),
                        "NoNumber gave a liquidus temperature that is not a number"),
              debug.end());
    EXPECT_TRUE(run->results[1].model->message.empty());
}

// What no mineral can be is a failure of its model, reported with the model's name: a liquidus
// below absolute zero, and a mineral with a negative oxide (the Langmuir et al. (1992) and
// Weaver & Langmuir (1990) clinopyroxenes count CaSiO3 as CaO less half the Al2O3 not balanced
// by Na2O, negative in a rhyolite, and write that into the pyroxene's CaO).
TEST(MlaFailures, WhatNoMineralCanBeIsItsModelsFailure) {
    RunState state;
    MlaModels models;
    of(models, Phase::Olivine)
        .push_back(addStub(state, Phase::Olivine,
                           std::make_unique<StubModel>(Phase::Olivine, "Frozen", -5.0, 0.9)));
    auto& cpx = of(models, Phase::Clinopyroxene);
    cpx.push_back(positionOf(state, Phase::Clinopyroxene, "Langmuir et al., 1992"));
    cpx.push_back(positionOf(state, Phase::Clinopyroxene, "Weaver & Langmuir, 1990"));
    cpx.push_back(positionOf(state, Phase::Clinopyroxene, "Ariskin et al., 1986"));
    TAssemblage rhyolite;
    rhyolite.name = "rhyolite";
    TAnalysis melt;
    melt.name = "melt";
    melt.oxides = {75.0, 0.2, 13.0, 0.0, 1.5, 0.05, 0.3, 1.2, 4.0, 4.5, 0.05, 0.0};
    rhyolite.phases.push_back(melt);
    const auto run = runMla(state, models, rhyolite);
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_EQ(run->results.size(), 4u);
    EXPECT_TRUE(run->results[0].failed);
    EXPECT_TRUE(run->results[1].failed);
    EXPECT_TRUE(run->results[2].failed);
    EXPECT_FALSE(run->results[3].failed);  // Ariskin et al. (1986) has no CaSiO3 component
    const auto& debug = run->reporter.debug;
    for (const char* line : {"Frozen gave a liquidus temperature below absolute zero",
                             "Langmuir et al., 1992 gave a clinopyroxene with negative CaO",
                             "Weaver & Langmuir, 1990 gave a clinopyroxene with negative CaO"})
        EXPECT_NE(std::find(debug.begin(), debug.end(), line), debug.end()) << line;
    ASSERT_EQ(run->output.mineralRows.size(), 1u);
    for (double v : run->output.mineralRows[0].composition.oxides)
        EXPECT_GE(v, 0.0);
    const auto row = fields(run->row(state));
    const std::size_t first = row.size() - 1 - 8;
    EXPECT_EQ(row[first + 0] + row[first + 1] + row[first + 2] + row[first + 3] + row[first + 4] +
                  row[first + 5],
              "-1-1-1-1-1-1");
}

TEST(MlaFailures, AFatalErrorEndsTheSampleAndShowsItsText) {
    RunState state;
    MlaModels models;
    auto& olivine = of(models, Phase::Olivine);
    olivine.push_back(positionOf(state, Phase::Olivine, "Ford et al., 1983"));
    olivine.push_back(addStub(state, Phase::Olivine,
                              std::make_unique<StubModel>(Phase::Olivine, "Stopper", 1500, 0.9,
                                                          StubModel::Behaviour::Fatal)));
    of(models, Phase::Plagioclase)
        .push_back(positionOf(state, Phase::Plagioclase, "Langmuir et al., 1992"));
    const auto run = runMla(state, models, startingMelt(glass(1)));
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    ASSERT_EQ(run->reporter.messages.size(), 1u);
    EXPECT_EQ(run->reporter.messages[0], "Stopper cannot go on. Analysis " + glass(1).name);
    EXPECT_TRUE(run->snapshot.context().errorText.empty());

    // The row still stands under the header: the failed model and the plagioclase not reached.
    ASSERT_EQ(run->output.rows.size(), 1u);
    const std::string row = run->row(state);
    EXPECT_EQ(row.substr(row.size() - glass(1).name.size() - 12), "-1,-1,-1,-1," + glass(1).name);
    EXPECT_EQ(run->results.size(), 3u);
    EXPECT_FALSE(run->results[0].failed);
    EXPECT_TRUE(run->results[2].failed);
    // The sample ended before the report lines.
    for (const auto& line : run->output.lines)
        EXPECT_EQ(line.find("Olivine"), std::string::npos) << line;
}

TEST(MlaFailures, TheEquationModeWithoutAnOlivineModelEndsAtTheStart) {
    RunState state;
    state.slots.fill(nullptr);
    TParameters& p = state.settings.parameters;
    p.bufferMode = false;
    p.equationMode = true;
    MlaModels models;
    of(models, Phase::Plagioclase)
        .push_back(positionOf(state, Phase::Plagioclase, "Langmuir et al., 1992"));
    const auto run = runMla(state, models, startingMelt(glass(0)));
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    ASSERT_EQ(run->reporter.messages.size(), 1u);
    EXPECT_EQ(run->reporter.messages[0],
              "Inconsistent set of models. Called from Feratio_Calc with Fe3Fo option. "
              "Calculation aborted. Analysis " +
                  glass(0).name);
    EXPECT_TRUE(run->output.rows.empty());
}

TEST(MlaFailures, AnInterruptedRunWritesNoRow) {
    RunState state;
    MlaModels models;
    of(models, Phase::Olivine).push_back(0);
    std::stop_source stop;
    stop.request_stop();
    const auto run = runMla(state, models, startingMelt(glass(0)), stop.get_token());
    EXPECT_EQ(run->outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(run->output.rows.empty());
    EXPECT_TRUE(run->output.mineralRows.empty());
}

// --- report lines and corrections -----------------------------------------------------------

TEST(MlaReport, FiveLinesWithTheBlankRulesAt1000DegreesAnd10Percent) {
    RunState state;
    MlaModels models;
    of(models, Phase::Olivine)
        .push_back(addStub(state, Phase::Olivine,
                           std::make_unique<StubModel>(Phase::Olivine, "StubA", 1273.0, 0.1)));
    of(models, Phase::Plagioclase)
        .push_back(
            addStub(state, Phase::Plagioclase,
                    std::make_unique<StubModel>(Phase::Plagioclase, "StubB", 1273.1, 0.805)));
    const auto run = runMla(state, models, startingMelt(glass(0)));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    const auto& lines = run->output.lines;
    ASSERT_GE(lines.size(), 6u);
    const std::vector<std::string> report(lines.end() - 6, lines.end());
    const std::vector<std::string> expected{
        "  Olivine      Plagioclase    ",
        "StubA    StubB    ",
        "  1000.0   1000.1  ",  // exactly 1000 C after two blanks, above it after one
        " Fo       An      ",
        "  10.00    80.50   ",  // exactly 10 % after two blanks
        " ",
    };
    EXPECT_EQ(report, expected);
    const std::string row = run->row(state);
    EXPECT_EQ(row.substr(row.size() - glass(0).name.size() - 28),
              "1000.00,10.00,1000.10,80.50," + glass(0).name);

    ASSERT_EQ(run->output.mineralRows.size(), 2u);
    EXPECT_EQ(mlaMineralFileRow(run->output.mineralRows[0], {}),
              "40.0000, 0.0000, 0.0000, 0.0000,15.0000, 0.0000,45.0000, 0.0000, 0.0000, 0.0000, "
              "0.0000, 0.0000,1000.0, 0.1000,Olv-StubA   ," +
                  glass(0).name);
}

TEST(MlaReport, TheStartingCompositionComesFirstUnderTheSampleName) {
    RunState state;
    const auto run = runMla(state, {}, startingMelt(glass(2)));
    ASSERT_GE(run->output.lines.size(), 1u);
    EXPECT_EQ(run->output.lines[0], "<start " + glass(2).name + ">");
}

TEST(MlaCorrections, H2OAndPressureCorrectTheLiquidusAfterTheComposition) {
    RunState state;
    TMineralOptions& o = state.settings.minerals[static_cast<std::size_t>(Phase::Olivine)];
    o.h2oCorrection = true;
    o.h2oA = 74.403;
    o.h2oB = 0.352;
    o.pressureCorrection = true;
    o.pressureSlope = 10.0;
    MlaModels models;
    // X = T / 10000: the composition is taken at the model's own liquidus.
    of(models, Phase::Olivine)
        .push_back(addStub(state, Phase::Olivine,
                           std::make_unique<StubModel>(Phase::Olivine, "Stub", 1500.0, -1.0)));
    test::ReferenceGlass wet = glass(0);
    wet.melt.volatile_.value = 3.0;
    const auto run = runMla(state, models, startingMelt(wet, 5.0));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);

    // The melt is brought to 100 wt% with its H2O: H2O = 3 x 100 / (oxides + 3).
    double total = 3.0;
    for (double v : wet.melt.oxides)
        total += v;
    const double h2o = 3.0 * 100.0 / total;
    const double expected = 1500.0 - 74.403 * std::pow(h2o, 0.352) + (5000.0 - 1.0) * 10.0 / 1000.0;
    ASSERT_EQ(run->results.size(), 1u);
    EXPECT_NEAR(run->results[0].T, expected, 1e-9);
    EXPECT_DOUBLE_EQ(run->results[0].X, 0.15);
    EXPECT_NEAR(run->melt.volatile_.value * 18.0, h2o, 1e-9);
}

// --- the oxygen column ----------------------------------------------------------------------

struct OxygenCase {
    const char* name;
    const char* buffer;
    double offset;
    bool fixedRatio;
    bool withoutIron;
    const char* expected;
};

void PrintTo(const OxygenCase& c, std::ostream* os) {
    *os << c.name;
}

class MlaOxygenColumn : public ::testing::TestWithParam<OxygenCase> {};

TEST_P(MlaOxygenColumn, NamesTheBufferAndItsDeviationOrNotDetermined) {
    const OxygenCase& c = GetParam();
    RunState state;
    TParameters& p = state.settings.parameters;
    p.bufferModel = c.buffer;
    p.bufferOffset = c.offset;
    if (c.fixedRatio) {
        p.bufferMode = false;
        p.fixedRatioMode = true;
    }
    test::ReferenceGlass g = glass(0);
    if (c.withoutIron) g.melt.oxides[Ox::FeO] = 0.0;
    // No model chosen: the row holds the composition, P, the oxygen, the estimates and the name.
    const auto run = runMla(state, {}, startingMelt(g));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    const std::string row = run->row(state);
    EXPECT_EQ(row.substr(row.find("  0.001,")),
              std::string("  0.001,") + c.expected + ", -1.000,-1," + g.name);
    EXPECT_EQ(fields(row).size(), kOxideCount + 5);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MlaOxygenColumn,
    ::testing::Values(OxygenCase{"QfmWithoutShift", "QFM", 0.0, false, false, "QFM"},
                      OxygenCase{"ShiftUp", "QFM", 1.0, false, false, "QFM+1.0"},
                      OxygenCase{"ShiftDown", "Ni-NiO", -0.54, false, false, "Ni-NiO-0.5"},
                      OxygenCase{"ShiftRoundsToZero", "QFM", 0.04, false, false, "QFM"},
                      OxygenCase{"NoFerricBuffer", "Fe3=0", 0.0, false, false, "n.d."},
                      OxygenCase{"FixedRatio", "QFM", 0.0, true, false, "n.d."},
                      OxygenCase{"MeltWithoutFeO", "QFM", 0.0, false, true, "n.d."}));

TEST(MlaNoModel, TheReportLinesAreEmptyAndTheRowHasNoModelColumns) {
    RunState state;
    const auto run = runMla(state, {}, startingMelt(glass(3)));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    EXPECT_TRUE(run->results.empty());
    EXPECT_TRUE(run->output.mineralRows.empty());
    const auto& lines = run->output.lines;
    const std::vector<std::string> tail(lines.end() - 6, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "", "", "", "", " "}));
    const std::string header =
        mlaResultsHeader(state.registry(), {}, PresentElements::from(state.settings.active));
    EXPECT_EQ(fields(header).size(), fields(run->row(state)).size());
}

}  // namespace
}  // namespace varnodel
