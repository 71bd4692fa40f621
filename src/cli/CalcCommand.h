// `varnodel-cli calc`: every model at the temperature, pressure and oxygen fugacity the user
// gives, for the settings' composition or each analysis of a data file.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace varnodel::cli {

struct CalcOptions {
    std::string data;
    int analysis = 0;
    std::string settings;
    std::vector<std::string> overrides;
    std::string output;  // also write the rows to this CSV file
    std::string debugLog;
    double temperature = 0.0;        // C
    std::optional<double> pressure;  // kbar; default the settings' composition's
    std::optional<double> logFO2;    // default the settings' oxidation (buffer and shift)
    double fluidH2O = 1.0;           // X(H2O) of the fluid
    bool table = false;              // the table even when stdout is no terminal
    bool csv = false;                // the CSV even on a terminal
};

void addCalcOptions(CLI::App& command, CalcOptions& options);

// Returns the exit code: 0 when every analysis was calculated, 2 for bad usage or input.
int runCalc(const CalcOptions& options, std::ostream& out, std::ostream& err);

}  // namespace varnodel::cli
