#include "RunCommand.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <limits>
#include <stop_token>
#include <thread>

#include "App.h"
#include "Settings.h"
#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "core/RunReporter.h"
#include "io/AnalysesFile.h"
#include "io/OutputFiles.h"
#include "io/ProfileFiles.h"
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

// A broken pipe on stdout (`varnodel-cli frac ... | head`) must not kill a run halfway through
// its result files: while a calculation runs, SIGPIPE is ignored, the log that cannot be
// written is dropped, and the run completes.
class IgnoreBrokenPipe {
  public:
    IgnoreBrokenPipe() : previous_(std::signal(SIGPIPE, SIG_IGN)) {}
    ~IgnoreBrokenPipe() { std::signal(SIGPIPE, previous_); }
    IgnoreBrokenPipe(const IgnoreBrokenPipe&) = delete;
    IgnoreBrokenPipe& operator=(const IgnoreBrokenPipe&) = delete;

  private:
    void (*previous_)(int);
};

// More threads than this is never faster and can exhaust the process's threads.
constexpr double kMaxJobs = 1024;

// A whole number from `min` to `max` (surrounding blanks allowed), rewritten as plain digits
// for CLI11 to convert; anything else is named in the error.
CLI::Validator wholeNumber(double min, double max) {
    const std::string range = "from " + shortestGeneral(min) + " to " + shortestGeneral(max);
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            double value = 0.0;
            if (!parseNumber(text, value) || value != std::floor(value) || value < min ||
                value > max)
                return "\"" + text + "\" is not a whole number " + range;
            text = shortestGeneral(value);
            return {};
        },
        "");
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

const char* tabCaption(const std::string& mode) {
    if (mode == "Fractional") return "Crystallisation";
    if (mode == "Reverse") return "Reverse Crystallisation";
    if (mode == "MLA") return "Melt Liquidus Association";
    return "Olivine MI";
}

}  // namespace

void addRunOptions(CLI::App& command, RunOptions& o) {
    auto* data = command.add_option("--data", o.data, "Data file of analyses (.csv, .dat, .frac)");
    command
        .add_option("--analysis", o.analysis, "Run only this analysis of the data file (1-based)")
        ->transform(wholeNumber(1, std::numeric_limits<int>::max()))
        ->type_name("N")
        ->needs(data);
    command.add_option("--settings", o.settings, "Settings file (see: varnodel-cli settings)");
    command.add_option("--set", o.overrides, "Override one setting: KEY=VALUE (repeatable)");
    command
        .add_option("--output", o.output,
                    "Folder and name of the result files (default ./Varnodel_Output); a folder "
                    "alone takes the default name")
        ->check(CLI::Validator(
            [](const std::string& text) -> std::string {
                return text.empty() ? "an empty path names no file" : "";
            },
            ""))
        ->type_name("PATH");
    command.add_option("--debug-log", o.debugLog, "Write the diagnostics log to this file");
    command.add_flag("--quiet", o.quiet, "Do not print the main log");
    command
        .add_option("--jobs", o.jobs,
                    "Analyses run in parallel (default: one per hardware thread); the files "
                    "are the same as with --jobs 1")
        ->transform(wholeNumber(1, kMaxJobs))
        ->type_name("N");
}

int runCalculation(const std::string& mode, const RunOptions& o, std::ostream& out,
                   std::ostream& err) {
    const IgnoreBrokenPipe brokenPipe;
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

    // Where the results go: the folder of --output and its name without extension; a folder
    // alone (an existing one, or a path ending in "/") takes the default name.
    if (!o.output.empty()) {
        const fs::path target(o.output);
        std::error_code ec;
        const bool folderOnly = !target.has_filename() || fs::is_directory(target, ec);
        const fs::path folder = folderOnly                 ? target
                                : target.has_parent_path() ? target.parent_path()
                                                           : fs::path(".");
        if (!fs::is_directory(folder, ec)) {
            err << "varnodel-cli: the output folder " << folder.string()
                << (fs::exists(folder, ec) ? " is not a folder\n" : " does not exist\n");
            return kExitUsage;
        }
        if (folderOnly) {
            state.options.outputDirectory = folder.string();
        } else {
            state.options.outputDirectory = target.has_parent_path() ? folder.string() : "";
            state.options.outputName = target.stem().string();
        }
        if (state.options.outputName.empty()) {
            err << "varnodel-cli: --output " << o.output << " names no file\n";
            return kExitUsage;
        }
    }

    // Files the user gave that the run would overwrite or delete: refused before anything is
    // written. (The data file among the old results is refused by the dispatcher.)
    const std::string base = baseName(state.options, resultSuffix(mode));
    const bool profileMode = mode == "Profile_IC" || mode == "Profile_CR";
    if (!o.debugLog.empty()) {
        const fs::path log(o.debugLog);
        const std::string clash = sameFile(log, o.data)       ? "is the data file"
                                  : sameFile(log, o.settings) ? "is the settings file"
                                  : isOldResult(base, log)
                                      ? "would be deleted as an old result of " + base + ".csv"
                                      : "";
        if (!clash.empty()) {
            err << "varnodel-cli: --debug-log " << o.debugLog << ' ' << clash
                << ": choose another name\n";
            return kExitUsage;
        }
    }
    if (!o.settings.empty() && isOldResult(base, o.settings)) {
        err << "varnodel-cli: the settings file " << o.settings << " would be deleted as an old "
            << "result of " << base << ".csv: choose another output name\n";
        return kExitUsage;
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
        for (const auto& warning : loaded.warnings)
            err << "varnodel-cli: warning: " << warning << '\n';
        if (loaded.warningCount > loaded.warnings.size())
            err << "varnodel-cli: warning: " << o.data << ": "
                << loaded.warningCount - loaded.warnings.size() << " more warnings\n";
        if (loaded.analyses.empty()) {
            if (!loaded.problem.empty()) err << "varnodel-cli: " << loaded.problem << '\n';
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
    if (profileMode) {
        // One inclusion: the analysis chosen from the data file (the first without --analysis),
        // else the profile composition of the settings file, else its composition.
        if (!o.data.empty()) {
            state.profileComposition =
                state.analyses[static_cast<std::size_t>(std::max(o.analysis, 1) - 1)];
            state.options.wholeFile = false;
        } else if (meltOf(state.profileComposition).oxides[Ox::SiO2] <= 1.0) {
            state.profileComposition = state.composition;
        }
        TMeltInclusionSettings& mi = state.settings.parameters.meltInclusions;
        if (mi.loadLastResult) {
            // As the window's tick box: the radius and the melt of the last result.
            try {
                const fs::path folder = fs::path(base).parent_path();
                const LastResultStart last = readLastResultStart(lastResultPath(folder));
                mi.inclusionRadius = last.radius;
                TAnalysis melt = last.melt;
                melt.name = std::string(phaseName(Phase::Melt));
                state.profileComposition.phases = {melt};
                state.profileComposition.name = last.melt.name;
            } catch (const EInputError& e) {
                err << "varnodel-cli: " << e.what() << '\n';
                return kExitUsage;
            }
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
    if (!out) err << "varnodel-cli: warning: the main log could not be written to the output\n";

    if (result.interrupted) {
        err << "Calculations terminated\n";
        return 130;
    }
    // The result files could not be prepared where --output (or --data) points: nothing ran.
    if (result.notStarted) return kExitUsage;
    if (!o.quiet && profileMode && result.analyses > 0) {
        err << "varnodel-cli: results in " << result.baseName << ".csv, " << result.baseName
            << "_calc_param.csv"
            << (mode == "Profile_CR"
                    ? ", " + result.baseName + "_COMP.csv, " + result.baseName + "_PR.csv"
                    : std::string())
            << " and " << lastResultPath(fs::path(result.baseName).parent_path()).string() << '\n';
    } else if (!o.quiet && !profileMode) {
        err << "varnodel-cli: results in " << result.baseName << ".csv, " << result.baseName
            << "_calc_param.csv and " << result.baseName << "_<mineral>.csv\n";
    }
    return result.failed > 0 ? kExitRunError : kExitOk;
}

}  // namespace varnodel::cli
