// The Fe-loss reconstruction of a melt inclusion in olivine: the measured inclusion is first
// brought back into Fe-Mg equilibrium with its host at its own liquidus, then olivine is added
// to it or taken from it, always in equilibrium with the host, until its total iron reaches the
// FeO* it had when it was trapped.
#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "core/RunReporter.h"
#include "engines/Fr.h"
#include "engines/OlivineMelt.h"
#include "models/RunState.h"

namespace varnodel {

// One of the three result rows.
struct IronLossRow {
    int number = 1;         // 1 measured, 2 re-equilibrated with the host, 3 at the target FeO*
    TAnalysis melt;         // wt%
    double T = 0.0;         // corrected olivine liquidus, K
    double tRun = 0.0;      // temperature of the Fe-Mg exchange, degrees C
    double foCalc = 0.0;    // fraction
    double foHost = 0.0;    // fraction
    double feoTotal = 0.0;  // wt%
    double feoTarget = 0.0;
    double olivineFraction = 0.0;  // of the initial inclusion; < 0 when olivine was added back
    double meltFraction = 1.0;
    double corrCoef = -1.0;  // Al2O3 now / Al2O3 of the measured inclusion; -1 when it has none
    std::string sample;
    int analysisNumber = 0;
};

// A progress line of the Fe-Mg exchange.
struct IronLossProgress {
    double tRun = 0.0;  // degrees C
    double T = 0.0;     // K
    double meltMgO = 0.0;
    double foHost = 0.0;
    double foCalc = 0.0;
    double feoTarget = 0.0;
    double feoMelt = 0.0;
    int analysisNumber = 0;
    std::string sample;
};

// Receives what the reconstruction writes; the texts and files are the output layer's. A writer
// that cannot write shows why and throws std::ios_base::failure, which ends the inclusion.
class IronLossOutput {
  public:
    virtual ~IronLossOutput() = default;
    virtual void progressHeader() = 0;
    virtual void progress(const IronLossProgress& line) = 0;
    virtual void resultRow(const IronLossRow& row) = 0;
};

// What a reconstruction leaves for the diffusion-profile calculations, applied by the caller
// (applyIronLossResult) once the run has ended: the reconstructed melt as their starting melt,
// the measured inclusion's liquidus as the temperature of the reheating experiment, and the
// reheating switched on. A run that failed before the melt was set up leaves no melt; one that
// failed before its first equilibrium step leaves no temperature.
struct IronLossResult {
    std::optional<TAnalysis> melt;               // wt%, traces in ppm
    std::optional<double> reheatingTemperature;  // T_exp, degrees C
    bool simulateReheating = true;
};

// The profiles' starting melt (phase 0 of their starting composition), T_exp and the reheating
// switch of `state`, from `result`.
void applyIronLossResult(const IronLossResult& result, RunState& state);

// The host Fo (%) and the final FeO* (wt%) of an analysis as its two fields read, 0 to 100.
double hostFoOf(const TAssemblage& analysis);
double finalFeOOf(const TAssemblage& analysis);

class TIronLossThread {
  public:
    // The snapshot is the run's own copy of the settings and models; `analysis` holds the melt
    // (wt%, traces in ppm), the host Fo and the final FeO* as entered.
    TIronLossThread(RunSnapshot& snapshot, TAssemblage analysis, IronLossOutput& output,
                    RunReporter& reporter, std::stop_token stop = {});

    // The whole reconstruction (Execute), failures included: they are reported and end it. An
    // interrupted run still writes row No. 3 with the values reached.
    RunOutcome run();
    // How the last run() ended, in the terms a batch reports.
    const AnalysisOutcome& outcome() const { return outcome_; }

    const IronLossResult& result() const { return result_; }
    // The rows written, in order.
    const std::vector<IronLossRow>& rows() const { return rows_; }

    // Fe-Mg exchange at the temperature T_run with the host: lowers (raises) the melt's Mg#
    // until its olivine's Fo reaches the host's, coarse stage (mode 1) then fine stage.
    void LowerMeltMgNumber(int mode, double a);
    void RaiseMeltMgNumber(int mode, double a);

  private:
    void execute();
    void finish();
    void bringFeOToTarget();
    void writeRow(int number);
    void postProgress();
    bool stopRequested() const { return stop_.stop_requested(); }
    void requireFractions();
    [[noreturn]] void fail(const std::string& text);
    // One stage of the exchange at T_run, in steps c, until Fo passes `foLimit`.
    void exchangeStage(bool raise, double c, double foLimit, int progressEvery);

    RunSnapshot& snap_;
    TAssemblage analysis_;
    IronLossOutput& output_;
    RunReporter& reporter_;
    std::stop_token stop_;
    std::optional<OlivineMelt> om_;
    TMoleConversions conv_;
    double foHost_ = 0.0;
    double feoTarget_ = 0.0;
    double tRun_ = 0.0;  // degrees C
    double meltFraction_ = 1.0;
    double olivineFraction_ = 0.0;
    double al2o3Start_ = 0.0;  // wt%
    TAnalysis savedOlivine_;
    IronLossResult result_;
    std::vector<IronLossRow> rows_;
    AnalysisOutcome outcome_;
};

}  // namespace varnodel
