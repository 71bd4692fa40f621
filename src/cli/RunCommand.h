// The calculation commands of the command-line program (frac, ...): their shared options, the
// reporter that sends the main log to stdout, message-box texts to stderr and the diagnostics
// to a file, and the run through the dispatcher.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/Calculations.h"

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
};

void addRunOptions(CLI::App& command, RunOptions& options);

// Runs `calculation`. Returns the exit code: 0 when every analysis
// ran, 1 when a run ended with an error, 2 for bad usage or input, 130 when interrupted.
int runCalculation(Calculation calculation, const RunOptions& options, std::ostream& out,
                   std::ostream& err);

}  // namespace varnodel::cli
