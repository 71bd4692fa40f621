#include "ui/CalcThread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/Errors.h"
#include "engines/Fr.h"
#include "io/FracFiles.h"
#include "io/MlaFiles.h"
#include "io/OutputFiles.h"

namespace varnodel {

TVarnodelCalcThread::TVarnodelCalcThread(Calculation calculation, const RunState& state,
                                         PresentElements present, RunReporter& reporter,
                                         std::stop_token stop)
    : calculation_(calculation),
      state_(state),
      present_(std::move(present)),
      reporter_(reporter),
      stop_(std::move(stop)),
      mlaModels_(mlaSelectedModels(state.registry())) {}

DispatchResult TVarnodelCalcThread::execute() {
    DispatchResult result;
    try {
        inputs_ = Inputs{state_.snapshot(), state_.composition, state_.analyses, state_.options};
        switch (calculation_) {
            case Calculation::Fractional:
                fractional(result);
                break;
            case Calculation::MLA:
                mla(result);
                break;
            default:
                pendingError_ = "The calculation \"" + std::string(modeName(calculation_)) +
                                "\" is not available yet";
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

bool TVarnodelCalcThread::hasEngine(Calculation calculation) {
    return calculation == Calculation::Fractional || calculation == Calculation::MLA;
}

bool TVarnodelCalcThread::prepareFiles(const std::string& base, const std::string& header) {
    try {
        if (sink().writesFiles()) deleteOldResults(base, dataFile_);
        sink().createFile(base + ".csv");
        sink().appendLine(base + ".csv", header);
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
    if (inputs_.options.wholeFile && !inputs_.analyses.empty()) return inputs_.analyses;
    return {inputs_.composition};
}

void TVarnodelCalcThread::fractional(DispatchResult& result) {
    const std::string base = baseName(inputs_.options, resultSuffix(calculation_));
    result.baseName = base;
    PerPhase<bool> withModel{};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        withModel[i] = inputs_.snapshot.slots[i] != nullptr;
    if (!prepareFiles(base, fracExportHeader(withModel, present_))) {
        result.notStarted = true;
        return;
    }
    std::vector<TAssemblage> samples = compositions();
    for (TAssemblage& analysis : samples) {
        // Each analysis runs on the window's pressure path; its own stop targets only when the
        // run takes them from the data file.
        analysis.pressureBlock = inputs_.composition.pressureBlock;
        analysis.hasStopBlock = analysis.hasStopBlock && inputs_.options.stopFromFile;
    }
    runBatch(
        samples,
        [this, &base](TAssemblage analysis, RunReporter& reporter, OutputSink& sink,
                      std::stop_token stop) {
            RunSnapshot snapshot = inputs_.snapshot.clone();
            FracFiles files(base, present_, reporter, sink, true);
            TFracThread engine(snapshot, std::move(analysis), files, reporter, std::move(stop));
            return engine.run();
        },
        result);
}

void TVarnodelCalcThread::runBatch(const std::vector<TAssemblage>& samples, const AnalysisRun& run,
                                   DispatchResult& result) {
    if (jobs_ > 1 && samples.size() > 1) {
        runInParallel(samples, run, result);
        return;
    }
    for (std::size_t k = 0; k < samples.size(); ++k) {
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), samples[k].name);
        const RunOutcome outcome = run(samples[k], reporter_, sink(), stop_);
        ++result.analyses;
        result.outcomes.push_back(outcome);
        if (outcome == RunOutcome::Failed) ++result.failed;
        if (stop_.stop_requested()) throw ETTerminate();
    }
}

void TVarnodelCalcThread::runInParallel(const std::vector<TAssemblage>& samples,
                                        const AnalysisRun& run, DispatchResult& result) {
    struct Slot {
        BufferedReporter reporter;
        BufferedSink sink;
        RunOutcome outcome = RunOutcome::Completed;
        bool ran = false;
        bool done = false;
    };
    std::vector<Slot> slots(samples.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0;
    unsigned workersLeft = std::min<unsigned>(jobs_, static_cast<unsigned>(samples.size()));
    // The user's interrupt, or a result file that could not be written, stops every engine.
    std::stop_source abort;
    std::stop_callback forward(stop_, [&abort] { abort.request_stop(); });

    const auto worker = [&] {
        while (true) {
            std::size_t k = 0;
            {
                std::lock_guard lock(mutex);
                k = next++;
            }
            if (k >= slots.size()) break;
            Slot& slot = slots[k];
            if (!abort.stop_requested()) {
                slot.outcome = run(samples[k], slot.reporter, slot.sink, abort.get_token());
                slot.ran = true;
            }
            std::lock_guard lock(mutex);
            slot.done = true;
            finished.notify_all();
        }
        std::lock_guard lock(mutex);
        --workersLeft;
        finished.notify_all();
    };
    std::vector<std::jthread> workers;
    for (unsigned w = workersLeft; w > 0; --w)
        workers.emplace_back(worker);

    // Everything an analysis wrote goes out once it and all before it have ended.
    for (std::size_t k = 0; k < slots.size(); ++k) {
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return slots[k].done || workersLeft == 0; });
        }
        Slot& slot = slots[k];
        if (!slot.done || !slot.ran) break;
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), samples[k].name);
        slot.reporter.replay(reporter_);
        try {
            slot.sink.replay(sink());
        } catch (const std::ios_base::failure&) {
            const std::string writer(calculationInfo(calculation_).resultsWriter);
            reporter_.message(writeErrorMessage(result.baseName, writer, samples[k].name));
            slot.outcome = RunOutcome::Failed;
            abort.request_stop();
        }
        ++result.analyses;
        result.outcomes.push_back(slot.outcome);
        if (slot.outcome == RunOutcome::Failed) ++result.failed;
        if (abort.stop_requested() && !stop_.stop_requested()) break;
    }
    abort.request_stop();
    workers.clear();  // joins
    if (stop_.stop_requested()) throw ETTerminate();
}

void TVarnodelCalcThread::mla(DispatchResult& result) {
    const std::string base = baseName(inputs_.options, resultSuffix(calculation_));
    result.baseName = base;
    const ModelRegistry& registry = *inputs_.snapshot.registry;
    if (!prepareFiles(base, mlaResultsHeader(registry, mlaModels_, present_))) {
        result.notStarted = true;
        return;
    }
    try {
        writeMlaParameterReport(base, reporter_, sink(), inputs_.snapshot.settings(), registry,
                                mlaModels_, inputs_.composition.pressureBlock.pressure);
    } catch (const std::exception&) {
        pendingError_ = "Cannot open file for export " + base +
                        ". Check if the file is open in another program.";
        result.notStarted = true;
        return;
    }
    // Each sample takes the place of the current composition in turn, at the window's pressure
    // (the one the parameter report names); the run state itself is never changed.
    std::vector<TAssemblage> samples = compositions();
    for (TAssemblage& analysis : samples)
        analysis.pressureBlock = inputs_.composition.pressureBlock;
    runBatch(
        samples,
        [this, &base](TAssemblage analysis, RunReporter& reporter, OutputSink& sink,
                      std::stop_token stop) {
            RunSnapshot snapshot = inputs_.snapshot.clone();
            MlaFiles files(base, present_, reporter, sink);
            TMLAThread engine(snapshot, std::move(analysis), mlaModels_, files, reporter,
                              std::move(stop));
            return engine.run();
        },
        result);
}

}  // namespace varnodel
