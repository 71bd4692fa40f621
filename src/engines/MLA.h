// The melt liquidus association: for every chosen mineral model, the temperature at which a melt
// is saturated in that mineral and the composition of the mineral in equilibrium with it; with
// the "Quellmark, 2001" models, the H2O that puts the melt on the olivine-plagioclase cotectic
// and the pressure that puts it on the olivine-clinopyroxene cotectic.
#pragma once

#include <array>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/MoleConversions.h"
#include "core/RunReporter.h"
#include "engines/Fr.h"
#include "engines/MineralRoutines.h"
#include "engines/ScaledSettings.h"
#include "models/RunState.h"
#include "models/TOxydationState.h"

namespace varnodel {

// The models a liquidus association evaluates: per mineral set (olivine at [0] ... magnetite at
// [7]) the positions of the chosen models in their set, in the set's order.
using MlaModels = std::array<std::vector<std::size_t>, kMineralCount>;

// The models marked selected in `registry`: the choice when nobody made another.
MlaModels mlaSelectedModels(const ModelRegistry& registry);

// The chosen models of one mineral, as models of `registry`.
std::vector<TModel*> mlaModelsOf(const ModelRegistry& registry, const MlaModels& models,
                                 Phase mineral);

// The outcome of one model.
struct MlaModelResult {
    Phase mineral = Phase::Olivine;
    const TModel* model = nullptr;
    bool failed = false;  // also for a model that a fatal error left unevaluated
    double T = -1.0;      // corrected liquidus, K
    double X = 0.0;       // composition number (Fo, An, Mg#, Cr#) as a fraction
};

// One row of a mineral's file: the mineral a model just computed.
struct MlaMineralRow {
    std::string sample;
    Phase mineral = Phase::Olivine;
    const TModel* model = nullptr;
    TAnalysis composition;  // wt% (as the models write their minerals)
    double T = 0.0;         // corrected liquidus, K
    double X = 0.0;         // fraction
};

// The sample's row of the results table.
struct MlaResultRow {
    std::string sample;
    TAnalysis melt;  // molar form, as the last model left it
    bool h2oNotDetermined = false;
    double pressureBar = 1.0;
    std::string oxygen;                  // the buffer and its deviation, or "n.d."
    double estimatedPressure = -1.0;     // kbar; -1 when not estimated
    double estimatedH2O = -1.0;          // cation moles; -1 when not estimated
    std::vector<MlaModelResult> models;  // every chosen model, in order
};

// Receives what a liquidus association writes; the text and files are the output layer's.
// A writer that cannot write shows why and throws std::ios_base::failure, which ends the sample.
class MlaOutput {
  public:
    virtual ~MlaOutput() = default;
    // The melt as entered (molar form, before it is brought to 100 %), under the sample's name.
    virtual void startingComposition(const std::string& sample, const TAnalysis& melt) = 0;
    // A line of the main log.
    virtual void reportLine(const std::string& line) = 0;
    virtual void mineralRow(const MlaMineralRow& row) = 0;
    virtual void resultRow(const MlaResultRow& row) = 0;
};

class TMLAThread {
  public:
    // The snapshot is the run's own copy of the settings and models; `analysis` holds the melt
    // (wt%, traces in ppm) and the pressure (pressure block, kbar) as entered; `models` are
    // positions in the snapshot's sets.
    TMLAThread(RunSnapshot& snapshot, TAssemblage analysis, MlaModels models, MlaOutput& output,
               RunReporter& reporter, std::stop_token stop = {});

    // The whole calculation of the sample, failures included: they are reported and end it.
    RunOutcome run();
    // How the run ended, for the batch's status: filled by run(); the models that gave no
    // liquidus are its minerals that left.
    const AnalysisOutcome& outcome() const { return outcome_; }

    const std::vector<MlaModelResult>& results() const { return results_; }
    // Cotectic estimates: pressure in kbar, H2O in cation moles (x 18 = wt%); -1 when none.
    double estimatedPressure() const { return estimatedPressure_; }
    double estimatedH2O() const { return estimatedH2O_; }
    // The melt in the molar form, as the last model left it.
    const TAnalysis& melt() const { return analysis_.phases[meltIndex_]; }

  private:
    void setUp();
    // False when the run was asked to stop.
    bool evaluateModels();
    MlaModelResult evaluate(Phase mineral, TModel& model);
    void report(const MlaModelResult& result, TModel& model);
    void cotecticBookkeeping(Phase mineral, TModel& model);
    std::optional<double> liquidusAtOneBar(TModel& model);
    void finish();
    void estimateCotecticH2O();
    std::string oxygenText() const;
    void writeRow();

    TAnalysis& meltRef() { return analysis_.phases[meltIndex_]; }
    const TParameters& parameters() const { return snap_.settings().parameters; }

    RunSnapshot& snap_;
    TAssemblage analysis_;
    MlaModels models_;
    MlaOutput& output_;
    RunReporter& reporter_;
    std::stop_token stop_;
    std::size_t meltIndex_ = 0;
    double pressure_ = 1.0;  // bar
    bool h2oNotDetermined_ = false;
    TMoleConversions conv_;
    MineralRoutines routines_;

    std::array<std::string, 5> lines_;     // sets, models, temperatures, labels, compositions
    std::vector<MlaModelResult> results_;  // every model evaluated so far

    // The "Quellmark, 2001" olivine, plagioclase and clinopyroxene were computed.
    bool olivineQuellmark_ = false;
    bool plagioclaseQuellmark_ = false;
    bool clinopyroxeneQuellmark_ = false;
    double olivineAtOneBar_ = 0.0;  // K
    double clinopyroxeneAtOneBar_ = 0.0;
    double estimatedH2O_ = -1.0;
    double estimatedPressure_ = -1.0;
    AnalysisOutcome outcome_;
};

}  // namespace varnodel
