#include "CalcCommand.h"

#include <unistd.h>

#include <fstream>
#include <limits>

#include "App.h"
#include "RunCommand.h"
#include "core/Errors.h"
#include "core/RunReporter.h"
#include "engines/ModelCalculator.h"
#include "io/CalcTable.h"
#include "io/SettingsFile.h"
#include "ui/RunSetup.h"

namespace varnodel::cli {

namespace fs = std::filesystem;

namespace {

class CalcReporter : public RunReporter {
  public:
    explicit CalcReporter(std::ostream* debug) : debug_(debug) {}
    void logLine(const std::string&) override {}
    void debugLine(const std::string& line) override {
        if (debug_ != nullptr) *debug_ << line << '\n';
    }
    void message(const std::string&) override {}

  private:
    std::ostream* debug_;
};

}  // namespace

void addCalcOptions(CLI::App& command, CalcOptions& o) {
    auto* data = command.add_option("--data", o.data, "Data file of analyses (.csv, .dat, .frac)");
    command.add_option("--analysis", o.analysis, "Only this analysis of the data file (1-based)")
        ->transform(wholeNumber(1, std::numeric_limits<int>::max()))
        ->type_name("N")
        ->needs(data);
    command.add_option("--settings", o.settings, "Settings file (see: varnodel-cli settings)");
    command.add_option("--set", o.overrides, "Override one setting: KEY=VALUE (repeatable)");
    command.add_option("--temperature", o.temperature, "Temperature (C)")
        ->required()
        ->type_name("C");
    command.add_option("--pressure", o.pressure, "Pressure (kbar); default the settings'")
        ->type_name("KBAR");
    command
        .add_option("--logfo2", o.logFO2,
                    "log fO2 of the melt; default the settings' oxidation (buffer and shift)")
        ->type_name("X");
    command.add_option("--xh2o", o.fluidH2O, "Mole fraction of H2O in the fluid (default 1)")
        ->check(CLI::Range(0.0, 1.0))
        ->type_name("X");
    command.add_option("--output", o.output, "Also write the CSV rows to this file")
        ->type_name("FILE");
    command.add_option("--debug-log", o.debugLog, "Write why a model gave no value to this file");
    auto* table = command.add_flag("--table", o.table, "Print the table even into a pipe");
    command.add_flag("--csv", o.csv, "Print the CSV even on a terminal")->excludes(table);
}

int runCalc(const CalcOptions& o, std::ostream& out, std::ostream& err) {
    RunState state;
    MlaChoice mla = MlaChoice::selectedIn(state.registry());
    try {
        loadSettingsWithWarnings(state, mla, o.settings, o.overrides, err);
    } catch (const EInputError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitUsage;
    }

    // Files the user gave that the output would overwrite.
    for (const auto& [file, option] :
         {std::pair{o.output, "--output"}, {o.debugLog, "--debug-log"}}) {
        if (file.empty()) continue;
        const std::string clash = overwriteClash(
            file, "", {{o.data, "the data file"}, {o.settings, "the settings file"}});
        if (!clash.empty()) {
            err << "varnodel-cli: " << option << ' ' << file << ' ' << clash
                << ": choose another name\n";
            return kExitUsage;
        }
    }
    std::ofstream debugFile;
    if (!openDebugLog(debugFile, o.debugLog, err)) return kExitUsage;
    CalcReporter reporter(debugFile.is_open() ? &debugFile : nullptr);

    // A melt at a time, as the liquidus association takes them.
    std::vector<TAssemblage> analyses{state.composition};
    if (!o.data.empty()) {
        if (!loadData(state, o.data, o.analysis, Calculation::MLA, reporter, err))
            return kExitUsage;
        analyses = state.options.wholeFile ? state.analyses : std::vector{state.composition};
    }

    CalcConditions conditions{o.temperature,
                              o.pressure.value_or(state.composition.pressureBlock.pressure),
                              o.logFO2, o.fluidH2O};
    std::vector<CalcResult> results;
    try {
        for (const TAssemblage& analysis : analyses) {
            RunSnapshot snapshot = state.snapshot();
            results.push_back(
                calculateModels(snapshot, analysis, conditions, mla.models, reporter));
        }
    } catch (const EVarnodelError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitUsage;
    }

    std::vector<std::string> rows{calcHeader(results.front())};
    for (const CalcResult& r : results)
        rows.push_back(calcRow(r, conditions));
    if (!o.output.empty()) {
        std::ofstream file(o.output, std::ios::binary | std::ios::trunc);
        for (const std::string& row : rows)
            file << row << '\n';
        if (!file.flush()) {
            err << "varnodel-cli: cannot write " << o.output << '\n';
            return kExitUsage;
        }
    }
    const bool table = o.table || (!o.csv && ::isatty(STDOUT_FILENO));
    if (table) {
        for (const CalcResult& r : results)
            for (const std::string& line : calcTable(r, conditions))
                out << line << '\n';
    } else {
        for (const std::string& row : rows)
            out << row << '\n';
    }
    if (!out.flush()) {
        err << "varnodel-cli: the output could not be written\n";
        return kExitRunError;
    }
    return kExitOk;
}

}  // namespace varnodel::cli
