// The calculation dispatcher: prepares the result files of a calculation, runs its engine for
// the current composition or for every analysis of the data file, and reports how the run
// ended. No toolkit in here: the desktop program and the command line both drive it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/Calculations.h"
#include "core/RunReporter.h"
#include "engines/Fr.h"
#include "engines/IronLoss.h"
#include "engines/MLA.h"
#include "io/CompositionText.h"
#include "io/OutputLock.h"
#include "io/OutputSink.h"
#include "io/StatusFile.h"
#include "models/RunState.h"

namespace varnodel {

struct DispatchResult {
    int analyses = 0;  // analyses whose engine ran
    int failed = 0;    // of those, ended with an error
    bool interrupted = false;
    bool notStarted = false;  // the result files could not be prepared
    std::string baseName;
    std::vector<AnalysisOutcome> outcomes;  // of each analysis that ran, in analysis order
    // A batch (the whole data file): one status per analysis of the file, in line order, and
    // the summary line ("489 completed, 6 ended early, 5 rows rejected"); empty otherwise.
    std::vector<AnalysisStatus> statuses;
    std::string summary;
    // A Fe-loss reconstruction: what its last inclusion leaves for the diffusion profiles, for
    // the caller to apply to its run state (applyIronLossResult).
    std::optional<IronLossResult> ironLoss;
};

class TVarnodelCalcThread {
  public:
    // The forward and reverse runs, the liquidus association and the Fe-loss reconstruction have
    // engines (the profiles follow). The run state is only read, once, when execute() starts: a
    // window may go on editing it while a batch runs, and each analysis runs on its own clone of
    // that copy.
    TVarnodelCalcThread(Calculation calculation, const RunState& state, PresentElements present,
                        RunReporter& reporter, std::stop_token stop = {});

    // The data file being read, which the deletion of old results must spare.
    void setDataFile(std::filesystem::path file) { dataFile_ = std::move(file); }
    // Called before each analysis of a batch: position (1-based), count and name.
    void onAnalysis(std::function<void(int, int, const std::string&)> callback) {
        onAnalysis_ = std::move(callback);
    }
    // Analyses run in parallel on this many threads; their logs and rows are still written in
    // analysis order, each analysis's log in one piece.
    void setJobs(unsigned jobs) { jobs_ = jobs == 0 ? 1 : jobs; }

    // Every line of the result files goes to `sink` (not owned) rather than straight to disk;
    // the files of an earlier run are deleted only when the sink writes files.
    void setSink(OutputSink& sink) { sink_ = &sink; }

    // The models the "MLA" calculation evaluates; by default those marked selected.
    void setMlaModels(MlaModels models) { mlaModels_ = std::move(models); }

    // Copies the run state for the run; execute() does it when nobody did before. A window calls
    // it on its own thread before it hands execute() to another, so that nothing reads the run
    // state while the window may change it.
    void freezeInputs();
    DispatchResult execute();

    // Whether execute() has an engine for `calculation` (the others end as not available yet).
    static bool hasEngine(Calculation calculation);

  private:
    // One analysis of a batch: runs its engine, reporting to `reporter` and writing to `sink`.
    using AnalysisRun = std::function<AnalysisOutcome(TAssemblage analysis, RunReporter& reporter,
                                                      OutputSink& sink, std::stop_token stop)>;

    void fractional(DispatchResult& result);
    void reverse(DispatchResult& result);
    void mla(DispatchResult& result);
    // "Profile_IC" and "Profile_CR": one run on the profile starting composition.
    void profile(DispatchResult& result);
    void ironLoss(DispatchResult& result);
    void runBatch(const std::vector<TAssemblage>& samples, const AnalysisRun& run,
                  DispatchResult& result);
    void runInParallel(const std::vector<TAssemblage>& samples, const AnalysisRun& run,
                       DispatchResult& result);
    // Old files deleted and the export table's header written; false (with the pending error
    // text set) when that failed.
    bool prepareFiles(const std::string& base, const std::string& header);
    // Writes an analysis's buffered rows; false (the message given) when a file failed.
    bool writeOut(BufferedSink& rows, OutputSink& disk, const std::string& sample,
                  DispatchResult& result);
    std::vector<TAssemblage> compositions() const;
    // The status file and the summary of a batch, on every way a batch ends.
    void reportBatch(DispatchResult& result);

    // What a run reads of the run state, copied when it starts.
    struct Inputs {
        RunSnapshot snapshot;
        TAssemblage composition;
        std::vector<TAssemblage> analyses;
        TOptions options;
        TAssemblage profileComposition;
        std::vector<RejectedRow> rejectedRows;
    };

    Calculation calculation_;
    const RunState& state_;
    Inputs inputs_;
    bool inputsFrozen_ = false;
    PresentElements present_;
    RunReporter& reporter_;
    std::stop_token stop_;
    std::filesystem::path dataFile_;
    std::function<void(int, int, const std::string&)> onAnalysis_;
    unsigned jobs_ = 1;
    OutputSink* sink_ = nullptr;
    MlaModels mlaModels_;
    std::string pendingError_;
    std::optional<OutputLock> lock_;  // held from the files' preparation to the run's end
    static constexpr unsigned kLookAheadPerWorker = 4;
    std::vector<TAssemblage> batch_;   // the analyses of the running batch
    std::vector<AnalysisStatus> ran_;  // of those, the ones that ran, in order
};

}  // namespace varnodel
