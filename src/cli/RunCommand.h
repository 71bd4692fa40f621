// The calculation commands of the command-line program (frac, ...): their shared options, the
// reporter that sends the main log to stdout, message-box texts to stderr and the diagnostics
// to a file, and the run through the dispatcher.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/Calculations.h"
#include "core/RunReporter.h"
#include "io/CompositionText.h"
#include "io/SettingsFile.h"
#include "models/RunState.h"

namespace varnodel::cli {

struct RunOptions {
    std::string data;                    // analyses data file; empty: the settings' composition
    int analysis = 0;                    // 1-based analysis of the data file; 0: the whole file
    std::string sample;                  // the analysis of the data file with this name
    std::string settings;                // settings file
    std::vector<std::string> overrides;  // --set KEY=VALUE
    std::string output;       // "File for output...": folder and name (extension dropped)
    std::string debugLog;     // diagnostics log file
    bool quiet = false;       // no main log on stdout
    bool strict = false;      // a data file the reader had to make do with is refused
    unsigned jobs = 0;        // analyses run in parallel (1 to 1024); 0: one per hardware thread
    std::string commandLine;  // as typed, for the run's settings record
    // ironloss: the settings file that a following profile-ic / profile-cr run reads, with the
    // reconstructed melt as its starting melt.
    std::string writeSettings;
};

void addRunOptions(CLI::App& command, RunOptions& options);
// The options of `ironloss`: those of every run and --write-settings.
void addIronLossOptions(CLI::App& command, RunOptions& options);

// A whole number from `min` to `max` (surrounding blanks allowed), rewritten as plain digits
// for CLI11 to convert; anything else is named in the error.
CLI::Validator wholeNumber(double min, double max);

// Each line of a (possibly multi-line) error, as the program's own error lines.
void printError(std::ostream& err, const std::string& text);

// --settings and --set into the run state, the reader's warnings on `err`; EInputError for a
// file or an override that cannot be used.
void loadSettingsWithWarnings(RunState& state, MlaChoice& mla, const std::string& settings,
                              const std::vector<std::string>& overrides, std::ostream& err);

// Opens --debug-log (nothing to do without one); false, with the reason on `err`, when it
// cannot be written.
bool openDebugLog(std::ofstream& file, const std::string& path, std::ostream& err);

// --data and --analysis into the run state for `calculation`: the elements the file carries,
// or nothing, with the reasons on `err`, when the file or the analysis cannot be used.
std::optional<PresentElements> loadData(RunState& state, const std::string& data, int analysis,
                                        Calculation calculation, RunReporter& reporter,
                                        std::ostream& err, bool strict = false,
                                        const std::string& sample = {});

// Runs `calculation`. Returns the exit code: 0 when every analysis
// ran, 1 when a run ended with an error, 2 for bad usage or input, 130 when interrupted.
int runCalculation(Calculation calculation, const RunOptions& options, std::ostream& out,
                   std::ostream& err);

}  // namespace varnodel::cli
