#include "ui/CalcThread.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/Fr.h"
#include "engines/IronLoss.h"
#include "engines/Profile_CR.h"
#include "engines/Profile_IC.h"
#include "engines/rev.h"
#include "io/FracFiles.h"
#include "io/IronLossFiles.h"
#include "io/MlaFiles.h"
#include "io/OutputFiles.h"
#include "io/ProfileFiles.h"
#include "io/RevFiles.h"
#include "ui/BatchStatus.h"

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

void TVarnodelCalcThread::freezeInputs() {
    if (!inputsFrozen_)
        inputs_ = Inputs{state_.snapshot(), state_.composition,        state_.analyses,
                         state_.options,    state_.profileComposition, state_.rejectedRows};
    present_.traceDecimals = inputs_.snapshot.settings().parameters.traceDecimals;
    inputsFrozen_ = true;
}

DispatchResult TVarnodelCalcThread::execute() {
    DispatchResult result;
    try {
        freezeInputs();
        switch (calculation_) {
            case Calculation::Fractional:
                fractional(result);
                break;
            case Calculation::Reverse:
                reverse(result);
                break;
            case Calculation::MLA:
                mla(result);
                break;
            case Calculation::ProfileIC:
            case Calculation::ProfileCR:
                profile(result);
                break;
            case Calculation::IronLoss:
                ironLoss(result);
                break;
            default:
                pendingError_ = "The calculation \"" + std::string(modeName(calculation_)) +
                                "\" is not available yet";
                result.notStarted = true;
        }
    } catch (const ETTerminate&) {
        result.interrupted = true;
    } catch (const EWrongFeLossFile&) {
        // The pending error text says why.
    } catch (const std::exception& e) {
        // An error no engine handled ends the dispatcher; it is shown like any pending error.
        pendingError_ = e.what();
        ++result.failed;
    }
    lock_.reset();
    if (!pendingError_.empty()) {
        reporter_.message(pendingError_);
        pendingError_.clear();
    }
    reportBatch(result);
    return result;
}

bool TVarnodelCalcThread::hasEngine(Calculation calculation) {
    return calculation == Calculation::Fractional || calculation == Calculation::Reverse ||
           calculation == Calculation::MLA || calculation == Calculation::IronLoss ||
           calculation == Calculation::ProfileIC || calculation == Calculation::ProfileCR;
}

void TVarnodelCalcThread::reportBatch(DispatchResult& result) {
    if (!inputs_.options.wholeFile || inputs_.analyses.empty() || result.notStarted ||
        result.baseName.empty())
        return;
    result.statuses = batchStatuses(batch_, ran_, inputs_.rejectedRows,
                                    result.interrupted ? "not run: the batch was interrupted"
                                                       : "not run: the batch ended before it");
    result.summary = batchSummary(result.statuses);
    const std::string file = result.baseName + "_status.csv";
    try {
        DirectSink direct;
        writeStatusFile(sink_ != nullptr ? *sink_ : direct, file, result.statuses);
    } catch (const std::exception&) {
        reporter_.message("Cannot open file for export " + file +
                          ". Check if the file is open in another program.");
        ++result.failed;
    }
    reporter_.logLine(result.summary);
}

bool TVarnodelCalcThread::prepareFiles(const std::string& base, const std::string& header) {
    try {
        // Lines kept in memory only leave the files of earlier runs alone.
        if (sink_ == nullptr || sink_->writesFiles()) {
            lock_.emplace(base);
            deleteOldResults(base, dataFile_);
        }
        if (header.empty()) {
            // the calculation writes no export table
        } else if (sink_ == nullptr) {
            appendLine(base + ".csv", header);
        } else {
            sink_->appendLine(base + ".csv", header);
        }
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
            engine.run();
            return engine.outcome();
        },
        result);
}

void TVarnodelCalcThread::reverse(DispatchResult& result) {
    const std::string base = baseName(inputs_.options, resultSuffix(calculation_));
    result.baseName = base;
    PerPhase<bool> withModel{};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        withModel[i] = inputs_.snapshot.slots[i] != nullptr;
    if (!prepareFiles(base, revResultsHeader(withModel, present_))) {
        result.notStarted = true;
        return;
    }
    // Each sample's melt in place of the current composition's, at the window's pressure path;
    // its own stop targets when the run takes them from the file it runs through.
    std::vector<TAssemblage> samples = compositions();
    const bool targetsFromFile = inputs_.options.stopFromFile && inputs_.options.wholeFile;
    for (TAssemblage& analysis : samples) {
        analysis.pressureBlock = inputs_.composition.pressureBlock;
        analysis.hasStopBlock = analysis.hasStopBlock && targetsFromFile;
    }
    runBatch(
        samples,
        [this, &base](TAssemblage analysis, RunReporter& reporter, OutputSink& sink,
                      std::stop_token stop) {
            RunSnapshot snapshot = inputs_.snapshot.clone();
            RevFiles files(base, present_, reporter, sink, true);
            TReverseThread engine(snapshot, std::move(analysis), files, reporter, std::move(stop));
            engine.run();
            return engine.outcome();
        },
        result);
}

// Every analysis writes its rows into a buffer of its own that goes to disk once it and every
// analysis before it have ended, whatever the number of jobs. So the engines never meet a disk
// error, and a result file that cannot be written ends the batch at once, with one message
// naming the file and the analysis.
namespace {

// An analysis whose rows could not be written ended with an error, whatever its run did.
void markWriteFailure(AnalysisStatus& status, const std::string& base) {
    status.outcome.kind = OutcomeKind::Error;
    status.outcome.reason = "its rows could not be written to the result files of " + base;
}

}  // namespace

bool TVarnodelCalcThread::writeOut(BufferedSink& rows, OutputSink& disk, const std::string& sample,
                                   DispatchResult& result) {
    try {
        rows.replay(disk);
        return true;
    } catch (const std::ios_base::failure& e) {
        const std::string writer(calculationInfo(calculation_).resultsWriter);
        reporter_.message(writeErrorMessage(result.baseName, writer, sample) + " (" + e.what() +
                          ")");
        ++result.failed;
        return false;
    }
}

void TVarnodelCalcThread::runBatch(const std::vector<TAssemblage>& samples, const AnalysisRun& run,
                                   DispatchResult& result) {
    batch_ = samples;
    ran_.clear();
    if (jobs_ > 1 && samples.size() > 1) {
        runInParallel(samples, run, result);
        return;
    }
    DirectSink direct;
    OutputSink& disk = sink_ != nullptr ? *sink_ : direct;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), samples[k].name);
        BufferedSink rows;
        ran_.push_back(runNamed(
            samples[k],
            [&](RunReporter& reporter) { return run(samples[k], reporter, rows, stop_); },
            reporter_));
        ++result.analyses;
        result.outcomes.push_back(ran_.back().outcome);
        if (ran_.back().outcome.failed()) ++result.failed;
        if (!writeOut(rows, disk, samples[k].name, result)) {
            markWriteFailure(ran_.back(), result.baseName);
            return;
        }
        if (stop_.stop_requested()) throw ETTerminate();
    }
}

void TVarnodelCalcThread::runInParallel(const std::vector<TAssemblage>& samples,
                                        const AnalysisRun& run, DispatchResult& result) {
    struct Slot {
        BufferedReporter reporter;
        BufferedSink sink;
        AnalysisStatus status;
        bool ran = false;
        bool done = false;
    };
    std::vector<Slot> slots(samples.size());
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;     // the next analysis a worker takes
    std::size_t written = 0;  // analyses whose output is out
    const unsigned workerCount = std::min<unsigned>(jobs_, static_cast<unsigned>(samples.size()));
    unsigned workersLeft = workerCount;
    // Workers run at most this far ahead of the writer, so that a batch of any length holds
    // the output of a few analyses per worker in memory, not of the whole batch.
    const std::size_t lookAhead = std::size_t{kLookAheadPerWorker} * workerCount;
    // The user's interrupt, or a result file that could not be written, stops every engine.
    std::stop_source abort;
    std::stop_callback forward(stop_, [&] {
        abort.request_stop();
        std::lock_guard lock(mutex);
        changed.notify_all();
    });

    const auto worker = [&] {
        while (true) {
            std::size_t k = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock,
                             [&] { return next < written + lookAhead || abort.stop_requested(); });
                k = next++;
            }
            if (k >= slots.size()) break;
            Slot& slot = slots[k];
            if (!abort.stop_requested()) {
                slot.status = runNamed(
                    samples[k],
                    [&](RunReporter& reporter) {
                        return run(samples[k], reporter, slot.sink, abort.get_token());
                    },
                    slot.reporter);
                slot.ran = true;
            }
            std::lock_guard lock(mutex);
            slot.done = true;
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        --workersLeft;
        changed.notify_all();
    };
    std::vector<std::jthread> workers;
    for (unsigned w = workerCount; w > 0; --w)
        workers.emplace_back(worker);

    DirectSink direct;
    OutputSink& disk = sink_ != nullptr ? *sink_ : direct;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return slots[k].done || workersLeft == 0; });
        }
        Slot& slot = slots[k];
        if (!slot.done || !slot.ran) break;
        if (onAnalysis_)
            onAnalysis_(static_cast<int>(k + 1), static_cast<int>(samples.size()), samples[k].name);
        slot.reporter.replay(reporter_);
        ++result.analyses;
        result.outcomes.push_back(slot.status.outcome);
        if (slot.status.outcome.failed()) ++result.failed;
        const bool rowsWritten = writeOut(slot.sink, disk, samples[k].name, result);
        ran_.push_back(slot.status);
        if (!rowsWritten) {
            markWriteFailure(ran_.back(), result.baseName);
            abort.request_stop();
        }
        {
            std::lock_guard lock(mutex);
            ++written;
            changed.notify_all();
        }
        if (abort.stop_requested() && !stop_.stop_requested()) break;
    }
    abort.request_stop();
    {
        std::lock_guard lock(mutex);
        changed.notify_all();
    }
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
    std::vector<TAssemblage> samples = compositions();
    try {
        DirectSink direct;  // written, and closed, before the first sample starts
        writeMlaParameterReport(base, reporter_, sink_ != nullptr ? *sink_ : direct,
                                inputs_.snapshot.settings(), registry, mlaModels_,
                                inputs_.composition.pressureBlock.pressure, anyWithH2O(samples));
    } catch (const std::exception&) {
        pendingError_ = "Cannot open file for export " + base +
                        ". Check if the file is open in another program.";
        result.notStarted = true;
        return;
    }
    // Each sample takes the place of the current composition in turn, at the window's pressure
    // (the one the parameter report names); the run state itself is never changed.
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
            engine.run();
            return engine.outcome();
        },
        result);
}

void TVarnodelCalcThread::profile(DispatchResult& result) {
    const bool coolingRate = calculation_ == Calculation::ProfileCR;
    const TAssemblage& start = inputs_.profileComposition;
    TAnalysis melt = meltOf(start);
    if (!(melt.oxides[Ox::SiO2] > 1.0)) {
        reporter_.logLine("Set the melt composition for calulation, please");
        return;
    }
    // A starting melt left by the Fe-loss reconstruction carries no name of its own: it is the
    // inclusion of the current composition.
    if (!start.name.empty())
        melt.name = start.name;
    else if (!inputs_.composition.name.empty())
        melt.name = inputs_.composition.name;
    const std::string base = baseName(inputs_.options, resultSuffix(calculation_));
    result.baseName = base;
    std::optional<Profile> loaded;
    if (inputs_.snapshot.settings().parameters.meltInclusions.loadLastResult) {
        const auto file = lastResultPath(std::filesystem::path(base).parent_path());
        try {
            readLastResultStart(file);  // the texts of a missing or unreadable file
        } catch (const EInputError& e) {
            pendingError_ = e.what();
            result.notStarted = true;
            return;
        }
        loaded = readLastResultProfile(file);
    }
    if (!prepareFiles(base, "")) {
        result.notStarted = true;
        return;
    }
    RunSnapshot snapshot = inputs_.snapshot.clone();
    DirectSink direct;
    ProfileFiles files(base, reporter_, sink_ != nullptr ? *sink_ : direct);
    RunOutcome outcome = RunOutcome::Completed;
    if (coolingRate) {
        TCRThread engine(snapshot, melt, std::move(loaded), files, reporter_, stop_);
        outcome = engine.run();
    } else {
        TInstThread engine(snapshot, melt, std::move(loaded), files, reporter_, stop_);
        outcome = engine.run();
    }
    ++result.analyses;
    if (outcome == RunOutcome::Failed) ++result.failed;
    if (outcome == RunOutcome::Interrupted || stop_.stop_requested()) result.interrupted = true;
}

namespace {

const char* const kNoFeLossData =
    " The data file chosen does not contain values for host Fo and/or final FeO content of the "
    "inclusions. Add required data and reload the file.";

const char* const kNoInclusionData =
    "Set the host olivine Fo and the final FeO* of the melt inclusion, please";

bool hasFeLossData(const TAssemblage& analysis) {
    return hostFoOf(analysis) != 0.0 && finalFeOOf(analysis) != 0.0;
}

}  // namespace

void TVarnodelCalcThread::ironLoss(DispatchResult& result) {
    const std::string base = baseName(inputs_.options, resultSuffix(calculation_));
    result.baseName = base;
    const TModel* olivine = inputs_.snapshot.slots[static_cast<std::size_t>(Phase::Olivine)];
    if (olivine == nullptr) {
        pendingError_ = "The reconstruction of melt inclusions needs an olivine model";
        result.notStarted = true;
        return;
    }
    std::vector<TAssemblage> samples = compositions();
    const bool wholeFile = inputs_.options.wholeFile && !inputs_.analyses.empty();
    if (!wholeFile && inputs_.options.dataFileName.empty()) {
        // The two fields of the tab. Fo is read as the tab reads it, 10 to 100. A final FeO*
        // takes the data file's range: most basalts hold less than the tab's lowest 10 wt%,
        // which would stand in silently for the value entered. A field left empty is no value
        // to reconstruct to.
        TMeltInclusions& mi = samples.front().meltInclusions;
        if (!hasFeLossData(samples.front())) {
            pendingError_ = kNoInclusionData;
            result.notStarted = true;
            return;
        }
        mi.hostFo = shortestGeneral(parseBounded(mi.hostFo, 10.0, 100.0));
    }
    // A sample without its host and final FeO* ends the batch where it stands
    // (EWrongFeLossFile); the samples before it are reconstructed.
    const auto firstWithout = std::find_if_not(samples.begin(), samples.end(), hasFeLossData);
    if (firstWithout == samples.begin()) {
        pendingError_ = kNoFeLossData;
        result.notStarted = true;
        throw EWrongFeLossFile();
    }
    const bool wrongFile = firstWithout != samples.end();
    const std::vector<TAssemblage> all = samples;
    samples.erase(firstWithout, samples.end());

    if (!prepareFiles(base, ironLossHeader())) {
        result.notStarted = true;
        return;
    }
    const bool withH2O = anyWithH2O(samples);
    const TAnalysis& first = meltOf(samples.front());
    const bool noRedoxPair = first.oxides[Ox::Fe2O3] == 0.0 || first.oxides[Ox::FeO] == 0.0;
    try {
        DirectSink direct;  // written, and closed, before the first inclusion starts
        writeIronLossParameterReport(
            base, reporter_, sink_ != nullptr ? *sink_ : direct,
            ironLossParameterLines(inputs_.snapshot.settings(), *inputs_.snapshot.registry,
                                   *olivine, withH2O, noRedoxPair));
    } catch (const std::exception&) {
        pendingError_ = "Cannot open file for export " + base +
                        ". Check if the file is open in another program.";
        result.notStarted = true;
        return;
    }

    // What the last inclusion leaves for the diffusion profiles, whichever thread ran it.
    std::mutex mutex;
    int lastNumber = -1;
    runBatch(
        samples,
        [&](TAssemblage analysis, RunReporter& reporter, OutputSink& sink, std::stop_token stop) {
            RunSnapshot snapshot = inputs_.snapshot.clone();
            IronLossFiles files(base, reporter, sink);
            const int number = analysis.number;
            TIronLossThread engine(snapshot, std::move(analysis), files, reporter, std::move(stop));
            const RunOutcome outcome = engine.run();
            std::lock_guard lock(mutex);
            if (outcome != RunOutcome::Interrupted && number >= lastNumber) {
                lastNumber = number;
                result.ironLoss = engine.result();
            }
            return engine.outcome();
        },
        result);
    if (wrongFile) {
        // The batch's status shows the sample that ended it and the ones after it.
        if (ran_.size() == samples.size()) {
            const TAssemblage& without = all[samples.size()];
            AnalysisStatus status{without.line, without.name, {}};
            status.outcome.kind = OutcomeKind::Error;
            status.outcome.reason = "no host Fo and/or final FeO* for it in the data file";
            ran_.push_back(std::move(status));
        }
        batch_ = all;
        pendingError_ = kNoFeLossData;
        ++result.failed;
        throw EWrongFeLossFile();
    }
}

}  // namespace varnodel
