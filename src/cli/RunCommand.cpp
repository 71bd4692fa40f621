#include "RunCommand.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <limits>
#include <stop_token>
#include <thread>

#include "App.h"
#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "core/RunReporter.h"
#include "io/AnalysesFile.h"
#include "io/OutputFiles.h"
#include "io/ProfileFiles.h"
#include "io/SettingsFile.h"
#include "io/SettingsRecord.h"
#include "ui/BatchStatus.h"
#include "ui/CalcThread.h"
#include "ui/RunSetup.h"

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

// Ctrl-C, and the SIGTERM or SIGHUP of a scheduler's time limit or a closed terminal, ask the
// running analyses to stop after their current step, so that every file ends with whole rows.
// The handler only keeps the signal; a watcher passes it on to the stop source.
volatile std::sig_atomic_t interruptSignal = 0;
extern "C" void onInterrupt(int signal) {
    interruptSignal = signal;
}

class InterruptWatch {
  public:
    InterruptWatch() {
        interruptSignal = 0;
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            previous_[i] = std::signal(kSignals[i], onInterrupt);
        watcher_ = std::jthread([this](std::stop_token done) {
            while (!done.stop_requested()) {
                if (interruptSignal != 0) {
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
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            std::signal(kSignals[i], previous_[i]);
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    std::stop_token token() const { return source_.get_token(); }
    // The shell's code for a run ended by the signal: 130 for SIGINT, 143 for SIGTERM, 129 for
    // SIGHUP.
    int exitCode() const { return 128 + (interruptSignal != 0 ? interruptSignal : SIGINT); }

  private:
    static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
    std::stop_source source_;
    std::array<void (*)(int), 3> previous_{};
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

}  // namespace

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

void printError(std::ostream& err, const std::string& text) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        err << "varnodel-cli: " << text.substr(start, end - start) << '\n';
        if (end == std::string::npos) return;
        start = end + 1;
    }
}

namespace {

// The run's settings record beside its result files; a record that cannot be written is
// a warning (the results stand without it).
void writeSettingsRecord(const std::string& base, const RunOptions& o, const RunState& state,
                         const MlaChoice& mla, std::ostream& err) {
    const std::string file = settingsRecordFile(base);
    const SettingsRecord record{std::string("Varnodel ") + VARNODEL_VERSION, utcNow(),
                                o.commandLine, o.data};
    if (!varnodel::writeSettingsRecord(file, settingsRecordText(record, state, mla)))
        err << "varnodel-cli: warning: the settings record " << file << " could not be written\n";
}

// What --output names before the dispatcher takes it: a name whose extension the program does
// not write (a workbook, say) is refused, and a folder that does not exist is created. Returns
// the refusal, or empty.
std::string prepareOutput(const std::string& output, std::ostream& err) {
    const fs::path target(output);
    std::error_code ec;
    const bool folderOnly = output.back() == '/' || fs::is_directory(target, ec);
    const std::string extension = folderOnly ? "" : target.extension().string();
    if (!extension.empty() && extension != ".csv" && extension != ".txt")
        return "--output " + output + ": the program writes comma-separated text files named " +
               "from " + target.stem().string() + "; give a name without " + extension +
               " and make a workbook of them with varnodel-cli export";
    const fs::path folder = folderOnly ? target : target.parent_path();
    if (!folder.empty() && !fs::exists(folder, ec)) {
        if (!fs::create_directories(folder, ec))
            return "the output folder " + folder.string() + " cannot be created: " + ec.message();
        err << "varnodel-cli: created the output folder " << folder.string() << '\n';
    }
    return {};
}

}  // namespace

void loadSettingsWithWarnings(RunState& state, MlaChoice& mla, const std::string& settings,
                              const std::vector<std::string>& overrides, std::ostream& err) {
    const auto file = settings.empty() ? std::nullopt : std::optional<fs::path>(settings);
    for (const auto& warning : loadSettings(state, mla, file, overrides))
        err << "varnodel-cli: warning: " << warning << '\n';
}

bool openDebugLog(std::ofstream& file, const std::string& path, std::ostream& err) {
    if (path.empty()) return true;
    file.open(path, std::ios::trunc);
    if (!file) err << "varnodel-cli: cannot write the diagnostics log " << path << '\n';
    return static_cast<bool>(file);
}

std::optional<PresentElements> loadData(RunState& state, const std::string& data, int analysis,
                                        Calculation calculation, RunReporter& reporter,
                                        std::ostream& err, bool strict, const std::string& sample) {
    const DataFileLoad loaded = loadDataFile(state, data, calculation, reporter);
    for (const auto& warning : loaded.warnings)
        err << "varnodel-cli: warning: " << warning << '\n';
    if (!loaded.ok()) {
        printError(err, loaded.error);
        return std::nullopt;
    }
    if (strict && loaded.readingWarnings > 0) {
        err << "varnodel-cli: --strict: " << data << " was not read as written ("
            << loaded.readingWarnings << " warning" << (loaded.readingWarnings > 1 ? "s" : "")
            << ")\n";
        return std::nullopt;
    }
    if (!sample.empty()) {
        const auto found = analysisNamed(state, sample);
        if (!found.error.empty()) {
            err << "varnodel-cli: --sample " << sample << ": " << found.error << '\n';
            return std::nullopt;
        }
        chooseAnalysis(state, found.position);
    }
    if (analysis > 0 && !chooseAnalysis(state, static_cast<std::size_t>(analysis))) {
        err << "varnodel-cli: --analysis " << analysis << ": " << data << " holds "
            << state.analyses.size() << " usable analyses\n";
        return std::nullopt;
    }
    return loaded.present;
}

void addRunOptions(CLI::App& command, RunOptions& o) {
    auto* data = command.add_option("--data", o.data, "Data file of analyses (.csv, .dat, .frac)");
    command
        .add_option("--analysis", o.analysis, "Run only this analysis of the data file (1-based)")
        ->transform(wholeNumber(1, std::numeric_limits<int>::max()))
        ->type_name("N")
        ->needs(data);
    command
        .add_option("--sample", o.sample, "Run only the analysis of the data file with this name")
        ->type_name("NAME")
        ->needs(data)
        ->excludes("--analysis");
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
    command.add_flag("--strict", o.strict,
                     "Refuse a data file with fields not read as written (a text, a clamped "
                     "value, a decimal comma) instead of running on the lenient reading");
    command
        .add_option("--jobs", o.jobs,
                    "Analyses run in parallel (default: one per hardware thread); the files "
                    "are the same as with --jobs 1")
        ->transform(wholeNumber(1, kMaxJobs))
        ->type_name("N");
}

void addIronLossOptions(CLI::App& command, RunOptions& o) {
    addRunOptions(command, o);
    command
        .add_option("--write-settings", o.writeSettings,
                    "Write the settings with the reconstructed melt as the starting melt of the "
                    "diffusion profiles (one analysis: --analysis N with --data)")
        ->type_name("FILE");
}

int runCalculation(Calculation calculation, const RunOptions& o, std::ostream& out,
                   std::ostream& err) {
    const IgnoreBrokenPipe brokenPipe;
    RunState state;
    MlaChoice mla = MlaChoice::selectedIn(state.registry());
    try {
        loadSettingsWithWarnings(state, mla, o.settings, o.overrides, err);
        // Where the results go: the folder of --output and its name without extension; a
        // folder alone (an existing one, or a path ending in "/") takes the default name.
        if (!o.output.empty()) {
            if (const std::string refusal = prepareOutput(o.output, err); !refusal.empty()) {
                err << "varnodel-cli: " << refusal << '\n';
                return kExitUsage;
            }
            chooseOutput(state.options, o.output);
        }
    } catch (const EInputError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitUsage;
    }

    // Files the user gave that the run would overwrite or delete: refused before anything is
    // written. (The data file among the old results is refused by the dispatcher.)
    const std::string base = baseName(state.options, resultSuffix(calculation));
    const bool profileMode =
        calculation == Calculation::ProfileIC || calculation == Calculation::ProfileCR;
    if (!o.debugLog.empty()) {
        const std::string clash = overwriteClash(
            o.debugLog, base, {{o.data, "the data file"}, {o.settings, "the settings file"}});
        if (!clash.empty()) {
            err << "varnodel-cli: --debug-log " << o.debugLog << ' ' << clash
                << ": choose another name\n";
            return kExitUsage;
        }
    }
    if (!o.writeSettings.empty()) {
        const std::string clash = overwriteClash(o.writeSettings, base,
                                                 {{o.data, "the data file"},
                                                  {o.settings, "the settings file"},
                                                  {o.debugLog, "the diagnostics log"}});
        if (!clash.empty()) {
            err << "varnodel-cli: --write-settings " << o.writeSettings << ' ' << clash
                << ": choose another name\n";
            return kExitUsage;
        }
    }
    if (!o.settings.empty() && !overwriteClash(o.settings, base).empty()) {
        err << "varnodel-cli: the settings file " << o.settings << " would be deleted as an old "
            << "result of " << base << ".csv: choose another output name\n";
        return kExitUsage;
    }

    std::ofstream debugFile;
    if (!openDebugLog(debugFile, o.debugLog, err)) return kExitUsage;
    CliReporter reporter(out, err, debugFile.is_open() ? &debugFile : nullptr, o.quiet);

    PresentElements present = PresentElements::from(state.settings.active);
    if (!o.data.empty()) {
        const auto loaded =
            loadData(state, o.data, o.analysis, calculation, reporter, err, o.strict, o.sample);
        if (!loaded) return kExitUsage;
        present = *loaded;
    }
    if (profileMode) {
        if (const std::string why =
                chooseProfileStart(state, !o.data.empty(), static_cast<std::size_t>(o.analysis));
            !why.empty()) {
            err << "varnodel-cli: " << why << '\n';
            return kExitUsage;
        }
    }

    // The settings for the profiles hold one starting melt: that of one inclusion.
    if (!o.writeSettings.empty() && state.options.wholeFile && state.analyses.size() > 1) {
        err << "varnodel-cli: --write-settings takes the melt of one inclusion: choose it with "
               "--analysis N ("
            << o.data << " holds " << state.analyses.size() << ")\n";
        return kExitUsage;
    }

    for (const auto& warning : h2oRunWarnings(calculation, state, mla.models))
        err << "varnodel-cli: warning: " << warning << '\n';

    InterruptWatch interrupt;
    TVarnodelCalcThread dispatcher(calculation, state, present, reporter, interrupt.token());
    if (!o.data.empty()) dispatcher.setDataFile(o.data);
    dispatcher.setJobs(o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency()));
    dispatcher.setMlaModels(mla.models);
    const bool showProgress = ::isatty(STDERR_FILENO) && state.options.wholeFile;
    if (showProgress) {
        const auto started = std::chrono::steady_clock::now();
        dispatcher.onAnalysis([&err, started](int k, int n, const std::string& name) {
            const std::chrono::duration<double> elapsed =
                std::chrono::steady_clock::now() - started;
            err << "\r" << progressText(k - 1, n, elapsed.count(), name) << "\033[K" << std::flush;
        });
    }
    const DispatchResult result = dispatcher.execute();
    if (showProgress) err << "\r\033[K" << std::flush;
    out.flush();
    if (!out) err << "varnodel-cli: warning: the main log could not be written to the output\n";
    // A diagnostics log that was lost (a full disk, /dev/full) is lost output like any other.
    bool debugLost = false;
    if (debugFile.is_open()) {
        debugFile.flush();
        debugLost = !debugFile;
        if (debugLost)
            err << "varnodel-cli: the diagnostics log " << o.debugLog << " could not be written\n";
    }
    if (!result.notStarted) writeSettingsRecord(result.baseName, o, state, mla, err);
    if (!result.summary.empty()) err << "varnodel-cli: " << result.summary << '\n';

    if (result.interrupted) {
        err << "Calculations terminated\n";
        return interrupt.exitCode();
    }
    // The result files could not be prepared where --output (or --data) points: nothing ran.
    if (result.notStarted) return kExitUsage;
    if (!o.quiet && profileMode && result.analyses > 0) {
        err << "varnodel-cli: results in " << result.baseName << ".csv, " << result.baseName
            << "_calc_param.csv"
            << (calculation == Calculation::ProfileCR
                    ? ", " + result.baseName + "_COMP.csv, " + result.baseName + "_PR.csv"
                    : std::string())
            << " and " << lastResultPath(fs::path(result.baseName).parent_path()).string() << '\n';
    } else if (!o.quiet && !profileMode) {
        err << "varnodel-cli: results in " << result.baseName << ".csv";
        if (calculation == Calculation::IronLoss)
            err << " and " << result.baseName << "_calc_param.csv\n";
        else
            err << ", " << result.baseName << "_calc_param.csv and " << result.baseName
                << "_<mineral>.csv\n";
    }
    if (!o.writeSettings.empty() && result.ironLoss) {
        applyIronLossResult(*result.ironLoss, state);
        std::ofstream file(o.writeSettings, std::ios::trunc);
        file << settingsText(state, mla);
        file.close();
        if (!file) {
            err << "varnodel-cli: cannot write the settings file " << o.writeSettings << '\n';
            return kExitRunError;
        }
    }
    return result.failed > 0 || debugLost ? kExitRunError : kExitOk;
}

}  // namespace varnodel::cli
