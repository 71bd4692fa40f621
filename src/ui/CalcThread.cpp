#include "ui/CalcThread.h"

#include "core/Errors.h"
#include "engines/Fr.h"
#include "io/FracFiles.h"
#include "io/MlaFiles.h"
#include "io/OutputFiles.h"

namespace varnodel {

TVarnodelCalcThread::TVarnodelCalcThread(std::string mode, const RunState& state,
                                         PresentElements present, RunReporter& reporter,
                                         std::stop_token stop)
    : mode_(std::move(mode)),
      state_(state),
      present_(std::move(present)),
      reporter_(reporter),
      stop_(std::move(stop)),
      mlaModels_(mlaSelectedModels(state.registry())) {}

DispatchResult TVarnodelCalcThread::execute() {
    DispatchResult result;
    try {
        if (mode_ == "Fractional") {
            fractional(result);
        } else if (mode_ == "MLA") {
            mla(result);
        } else {
            pendingError_ = "Unknown calculation \"" + mode_ + "\"";
            result.notStarted = true;
        }
    } catch (const ETTerminate&) {
        result.interrupted = true;
    } catch (const std::exception& e) {
        // An error no engine handled ends the dispatcher; it is shown like any pending error.
        pendingError_ = e.what();
        ++result.failed;
    }
    if (!pendingError_.empty()) {
        reporter_.message(pendingError_);
        pendingError_.clear();
    }
    return result;
}

bool TVarnodelCalcThread::prepareFiles(const std::string& base, const std::string& header) {
    try {
        deleteOldResults(base, dataFile_);
        appendLine(base + ".csv", header);
    } catch (const EInputError& e) {
        pendingError_ = e.what();
        return false;
    } catch (const std::exception&) {
        pendingError_ = "Cannot open file for export " + base +
                        ". Check if the file is open in another program.";
        return false;
    }
    return true;
}

std::vector<TAssemblage> TVarnodelCalcThread::compositions() const {
    if (state_.options.wholeFile && !state_.analyses.empty()) return state_.analyses;
    return {state_.composition};
}

void TVarnodelCalcThread::fractional(DispatchResult& result) {
    const std::string base = baseName(state_.options, "_FRAC");
    result.baseName = base;
    PerPhase<bool> withModel{};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        withModel[i] = state_.slots[i] != nullptr;
    if (!prepareFiles(base, fracExportHeader(withModel, present_))) {
        result.notStarted = true;
        return;
    }
    const auto samples = compositions();
    for (std::size_t k = 0; k < samples.size(); ++k) {
        TAssemblage analysis = samples[k];
        // Each analysis runs on the window's pressure path; its own stop targets only when the
        // run takes them from the data file.
        analysis.pressureBlock = state_.composition.pressureBlock;
        analysis.hasStopBlock = analysis.hasStopBlock && state_.options.stopFromFile;
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), analysis.name);

        RunSnapshot snapshot = state_.snapshot();
        FracFiles files(base, present_, reporter_, true);
        TFracThread engine(snapshot, std::move(analysis), files, reporter_, stop_);
        const RunOutcome outcome = engine.run();
        ++result.analyses;
        if (outcome == RunOutcome::Failed) ++result.failed;
        if (stop_.stop_requested()) throw ETTerminate();
    }
}

void TVarnodelCalcThread::mla(DispatchResult& result) {
    const std::string base = baseName(state_.options, "_MLA");
    result.baseName = base;
    const RunState& s = state_;
    if (!prepareFiles(base, mlaResultsHeader(s.registry(), mlaModels_, present_))) {
        result.notStarted = true;
        return;
    }
    try {
        writeMlaParameterReport(base, reporter_, s.settings, s.registry(), mlaModels_,
                                s.composition.pressureBlock.pressure);
    } catch (const std::exception&) {
        pendingError_ = "Cannot open file for export " + base +
                        ". Check if the file is open in another program.";
        result.notStarted = true;
        return;
    }
    // Each sample takes the place of the current composition in turn, at the window's pressure
    // (the one the parameter report names); the run state itself is never changed.
    const auto samples = compositions();
    for (std::size_t k = 0; k < samples.size(); ++k) {
        TAssemblage analysis = samples[k];
        analysis.pressureBlock = s.composition.pressureBlock;
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), analysis.name);

        RunSnapshot snapshot = s.snapshot();
        MlaFiles files(base, present_, reporter_);
        TMLAThread engine(snapshot, std::move(analysis), mlaModels_, files, reporter_, stop_);
        const RunOutcome outcome = engine.run();
        ++result.analyses;
        if (outcome == RunOutcome::Failed) ++result.failed;
        if (stop_.stop_requested()) throw ETTerminate();
    }
}

}  // namespace varnodel
