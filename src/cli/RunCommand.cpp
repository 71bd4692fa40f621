#include "RunCommand.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <stop_token>
#include <thread>

#include "App.h"
#include "Settings.h"
#include "core/Errors.h"
#include "core/RunReporter.h"
#include "io/AnalysesFile.h"
#include "io/OutputFiles.h"
#include "ui/CalcThread.h"

namespace varnodel::cli {

namespace fs = std::filesystem;

namespace {

class CliReporter : public RunReporter {
  public:
    CliReporter(std::ostream& out, std::ostream& err, std::ostream* debug, bool quiet)
        : out_(out), err_(err), debug_(debug), quiet_(quiet) {}
    void logLine(const std::string& line) override {
        if (!quiet_) out_ << line << '\n';
    }
    void debugLine(const std::string& line) override {
        if (debug_ != nullptr) *debug_ << line << '\n';
    }
    void message(const std::string& text) override { err_ << text << '\n'; }

  private:
    std::ostream& out_;
    std::ostream& err_;
    std::ostream* debug_;
    bool quiet_;
};

// Ctrl-C asks the running analysis to stop after its current step. The handler only sets a
// flag; a watcher passes it on to the stop source.
volatile std::sig_atomic_t interruptRequested = 0;
extern "C" void onInterrupt(int) {
    interruptRequested = 1;
}

class InterruptWatch {
  public:
    InterruptWatch() {
        interruptRequested = 0;
        previous_ = std::signal(SIGINT, onInterrupt);
        watcher_ = std::jthread([this](std::stop_token done) {
            while (!done.stop_requested()) {
                if (interruptRequested != 0) {
                    source_.request_stop();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~InterruptWatch() {
        watcher_.request_stop();
        watcher_.join();
        std::signal(SIGINT, previous_);
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    std::stop_token token() const { return source_.get_token(); }

  private:
    std::stop_source source_;
    void (*previous_)(int) = SIG_DFL;
    std::jthread watcher_;
};

const char* tabCaption(const std::string& mode) {
    if (mode == "Fractional") return "Crystallisation";
    if (mode == "Reverse") return "Reverse Crystallisation";
    if (mode == "MLA") return "Melt Liquidus Association";
    return "Olivine MI";
}

}  // namespace

void addRunOptions(CLI::App& command, RunOptions& o) {
    command.add_option("--data", o.data, "Data file of analyses (.csv, .dat, .frac)");
    command
        .add_option("--analysis", o.analysis, "Run only this analysis of the data file (1-based)")
        ->check(CLI::PositiveNumber);
    command.add_option("--settings", o.settings, "Settings file (see: varnodel-cli settings)");
    command.add_option("--set", o.overrides, "Override one setting: KEY=VALUE (repeatable)");
    command.add_option("--output", o.output,
                       "Folder and name of the result files (default ./Varnodel_Output)");
    command.add_option("--debug-log", o.debugLog, "Write the diagnostics log to this file");
    command.add_flag("--quiet", o.quiet, "Do not print the main log");
    command
        .add_option("--jobs", o.jobs,
                    "Analyses run in parallel (default: one per hardware thread); the files "
                    "are the same as with --jobs 1")
        ->check(CLI::PositiveNumber);
}

int runCalculation(const std::string& mode, const RunOptions& o, std::ostream& out,
                   std::ostream& err) {
    RunState state;
    MlaChoice mla = MlaChoice::selectedIn(state.registry());
    try {
        const auto file = o.settings.empty() ? std::nullopt : std::optional<fs::path>(o.settings);
        for (const auto& warning : loadSettings(state, mla, file, o.overrides))
            err << "varnodel-cli: warning: " << warning << '\n';
    } catch (const EInputError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitUsage;
    }

    // Where the results go: the folder of --output and its name without extension.
    if (!o.output.empty()) {
        const fs::path target(o.output);
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) {
            err << "varnodel-cli: the output folder " << folder.string() << " does not exist\n";
            return kExitUsage;
        }
        state.options.outputDirectory = target.has_parent_path() ? folder.string() : "";
        state.options.outputName = target.stem().string();
        if (state.options.outputName.empty()) {
            err << "varnodel-cli: --output " << o.output << " names no file\n";
            return kExitUsage;
        }
    }

    std::ofstream debugFile;
    if (!o.debugLog.empty()) {
        debugFile.open(o.debugLog, std::ios::trunc);
        if (!debugFile) {
            err << "varnodel-cli: cannot write the diagnostics log " << o.debugLog << '\n';
            return kExitUsage;
        }
    }
    CliReporter reporter(out, err, debugFile.is_open() ? &debugFile : nullptr, o.quiet);

    PresentElements present = PresentElements::from(state.settings.active);
    if (!o.data.empty()) {
        const fs::path data(o.data);
        std::error_code ec;
        if (!fs::exists(data, ec) || fs::is_directory(data, ec)) {
            err << "varnodel-cli: the data file " << o.data
                << (fs::is_directory(data, ec) ? " is a folder" : " does not exist") << '\n';
            return kExitUsage;
        }
        const AnalysesData loaded = loadAnalysesFile(data, tabCaption(mode), reporter);
        if (loaded.analyses.empty()) {
            err << "varnodel-cli: no analysis of " << o.data << " can be used\n";
            return kExitUsage;
        }
        present = PresentElements{loaded.h2oPresent, loaded.presentTraces};
        state.settings.active = activeElements(loaded);
        state.options.dataFileName = o.data;
        state.options.stopFromFile = loaded.stopFromFile;
        state.analyses = loaded.analyses;
        if (o.analysis > 0) {
            if (o.analysis > static_cast<int>(loaded.analyses.size())) {
                err << "varnodel-cli: --analysis " << o.analysis << ": " << o.data << " holds "
                    << loaded.analyses.size() << " usable analyses\n";
                return kExitUsage;
            }
            TAssemblage chosen = loaded.analyses[static_cast<std::size_t>(o.analysis - 1)];
            chosen.pressureBlock = state.composition.pressureBlock;
            state.composition = chosen;
            state.options.wholeFile = false;
        } else {
            state.options.wholeFile = true;
        }
    }

    InterruptWatch interrupt;
    TVarnodelCalcThread dispatcher(mode, state, present, reporter, interrupt.token());
    if (!o.data.empty()) dispatcher.setDataFile(o.data);
    dispatcher.setJobs(o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency()));
    dispatcher.setMlaModels(mla.models);
    const bool showProgress = ::isatty(STDERR_FILENO) && state.options.wholeFile;
    if (showProgress) {
        dispatcher.onAnalysis([&err](int k, int n, const std::string& name) {
            err << "\r[" << k << "/" << n << "] " << name << "\033[K" << std::flush;
        });
    }
    const DispatchResult result = dispatcher.execute();
    if (showProgress) err << "\r\033[K" << std::flush;
    out.flush();

    if (result.interrupted) {
        err << "Calculations terminated\n";
        return 130;
    }
    if (result.notStarted) return kExitRunError;
    if (!o.quiet)
        err << "varnodel-cli: results in " << result.baseName << ".csv, " << result.baseName
            << "_calc_param.csv and " << result.baseName << "_<mineral>.csv\n";
    return result.failed > 0 ? kExitRunError : kExitOk;
}

}  // namespace varnodel::cli
