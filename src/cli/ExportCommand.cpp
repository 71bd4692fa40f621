#include "ExportCommand.h"

#include <filesystem>
#include <optional>

#include "App.h"
#include "core/Errors.h"
#include "io/KdSetFile.h"
#include "io/OutputFiles.h"
#include "io/SettingsFile.h"
#include "io/WorkbookExport.h"
#include "ui/RunSetup.h"

namespace varnodel::cli {

namespace fs = std::filesystem;

namespace {

// The calculations by command name, as --last takes them.
const std::vector<std::pair<std::string, Calculation>> kLastCalculations = {
    {"frac", Calculation::Fractional},
    {"rev", Calculation::Reverse},
    {"mla", Calculation::MLA},
    {"ironloss", Calculation::IronLoss},
    {"profile-ic", Calculation::ProfileIC},
    {"profile-cr", Calculation::ProfileCR}};

// The settings of --settings and --set on top of the defaults; false (after saying why) when
// they cannot be read.
bool loadCommandSettings(RunState& state, const std::string& settings,
                         const std::vector<std::string>& overrides, std::ostream& err) {
    MlaChoice mla = MlaChoice::selectedIn(state.registry());
    try {
        const auto file = settings.empty() ? std::nullopt : std::optional<fs::path>(settings);
        for (const auto& warning : loadSettings(state, mla, file, overrides))
            err << "varnodel-cli: warning: " << warning << '\n';
    } catch (const EInputError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return false;
    }
    return true;
}

}  // namespace

CLI::App* addExportCommand(CLI::App& app, ExportOptions& o) {
    auto* command = app.add_subcommand(
        "export", "Gather the result files of one run into one workbook (.xlsx)");
    auto* base = command
                     ->add_option("BASE", o.base,
                                  "Base name of the result files (results/Varnodel_Output_MLA), "
                                  "or one of the files")
                     ->type_name("BASE");
    std::vector<std::string> choices;
    for (const auto& [name, calculation] : kLastCalculations)
        choices.push_back(name);
    auto* last = command
                     ->add_option("--last", o.last,
                                  "The results of the last run of this calculation, named as "
                                  "the run names them (with --settings, --set and --output)")
                     ->check(CLI::IsMember(choices))
                     ->type_name("CALCULATION");
    base->excludes(last);
    command->add_option("--settings", o.settings, "Settings file of the run (with --last)")
        ->needs(last);
    command->add_option("--set", o.overrides, "Override one setting: KEY=VALUE (with --last)")
        ->needs(last);
    command
        ->add_option("--output", o.output,
                     "With BASE: the workbook's path (default BASE.xlsx). With --last: the "
                     "folder and name of the run's result files, as given to the run; the "
                     "workbook goes beside them")
        ->type_name("PATH");
    return command;
}

CLI::App* addKdSetCommand(CLI::App& app, KdSetOptions& o) {
    auto* command = app.add_subcommand(
        "kd-set", "Write the trace-element Kd set of the settings as a Kd set file (.conf)");
    command->add_option("FILE", o.file, "The Kd set file to write")->required()->type_name("FILE");
    command->add_option("--settings", o.settings, "Settings file (see: varnodel-cli settings)");
    command->add_option("--set", o.overrides, "Override one setting: KEY=VALUE (repeatable)");
    return command;
}

int runExport(const ExportOptions& o, std::ostream& out, std::ostream& err) {
    std::string base;
    fs::path workbook;
    if (!o.last.empty()) {
        RunState state;
        if (!loadCommandSettings(state, o.settings, o.overrides, err)) return kExitUsage;
        try {
            if (!o.output.empty()) chooseOutput(state.options, o.output);
        } catch (const EInputError& e) {
            err << "varnodel-cli: " << e.what() << '\n';
            return kExitUsage;
        }
        Calculation calculation = Calculation::Fractional;
        for (const auto& [name, c] : kLastCalculations)
            if (name == o.last) calculation = c;
        base = baseName(state.options, resultSuffix(calculation));
    } else if (!o.base.empty()) {
        // A result file picked by name stands for its run: its name without the extension.
        std::error_code ec;
        const fs::path given(o.base);
        base =
            fs::is_regular_file(given, ec) ? (given.parent_path() / given.stem()).string() : o.base;
        workbook = o.output;
        if (!workbook.empty() && !workbook.has_extension()) workbook += ".xlsx";
    } else {
        err << "varnodel-cli: export needs BASE or --last CALCULATION\n"
            << "Run with --help for more information.\n";
        return kExitUsage;
    }

    WorkbookExport result;
    try {
        result = exportWorkbook(base, workbook);
    } catch (const EInputError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitUsage;
    } catch (const EWorkbookError& e) {
        err << "varnodel-cli: " << e.what() << '\n';
        return kExitRunError;
    }
    if (!result.workbook.empty()) out << result.workbook.string() << '\n';
    if (!result.failure.empty()) {
        err << "varnodel-cli: " << result.failure << '\n';
        if (result.workbook.empty()) err << "varnodel-cli: no workbook written\n";
        return kExitRunError;
    }
    out.flush();
    return out ? kExitOk : kExitRunError;
}

int runKdSet(const KdSetOptions& o, std::ostream& out, std::ostream& err) {
    RunState state;
    if (!loadCommandSettings(state, o.settings, o.overrides, err)) return kExitUsage;
    std::error_code ec;
    if (!o.settings.empty() && fs::equivalent(o.file, o.settings, ec)) {
        err << "varnodel-cli: " << o.file << " is the settings file: choose another name\n";
        return kExitUsage;
    }
    try {
        writeKdSetFile(state, o.file);
    } catch (const std::ios_base::failure&) {
        err << "varnodel-cli: cannot write the Kd set file " << o.file << '\n';
        return kExitRunError;
    }
    out << o.file << '\n';
    out.flush();
    return out ? kExitOk : kExitRunError;
}

}  // namespace varnodel::cli
