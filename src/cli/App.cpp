#include "App.h"

#include <CLI/CLI.hpp>
#include <string>

#include "CalcCommand.h"
#include "ExportCommand.h"
#include "ModelListing.h"
#include "RunCommand.h"
#include "io/SettingsRecord.h"
#include "io/SettingsFile.h"
#include "models/ModelRegistry.h"

namespace varnodel::cli {

int runApp(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Varnodel: evolution of silicate melts by crystallisation and its reverse",
                 "varnodel-cli"};
    app.set_version_flag("--version", std::string("Varnodel ") + VARNODEL_VERSION);
    app.require_subcommand(0, 1);

    auto* models = app.add_subcommand("models", "List every registered model, set by set");
    auto* settings =
        app.add_subcommand("settings", "Print the complete settings file with every default");
    RunOptions fracOptions;
    auto* frac = app.add_subcommand("frac", "Forward fractional crystallisation");
    addRunOptions(*frac, fracOptions);
    RunOptions revOptions;
    auto* rev = app.add_subcommand(
        "rev", "Reverse crystallisation: minerals added back to an evolved melt");
    addRunOptions(*rev, revOptions);
    RunOptions mlaOptions;
    auto* mla = app.add_subcommand(
        "mla", "Melt liquidus association: liquidus and mineral of every chosen model");
    addRunOptions(*mla, mlaOptions);
    RunOptions picOptions;
    auto* profileIc = app.add_subcommand(
        "profile-ic", "FeO diffusion profile around a melt inclusion in olivine, instant cooling");
    addRunOptions(*profileIc, picOptions);
    RunOptions pcrOptions;
    auto* profileCr = app.add_subcommand(
        "profile-cr",
        "FeO diffusion profiles around a melt inclusion in olivine at a cooling rate");
    addRunOptions(*profileCr, pcrOptions);
    RunOptions ironLossOptions;
    auto* ironLoss = app.add_subcommand(
        "ironloss", "Fe-loss reconstruction of melt inclusions in olivine (host Fo, final FeO*)");
    addIronLossOptions(*ironLoss, ironLossOptions);
    ExportOptions exportOptions;
    auto* exportCommand = addExportCommand(app, exportOptions);
    KdSetOptions kdSetOptions;
    auto* kdSet = addKdSetCommand(app, kdSetOptions);
    CalcOptions calcOptions;
    auto* calc = app.add_subcommand(
        "calc", "Every model at the temperature, pressure and fO2 given, for each analysis");
    addCalcOptions(*calc, calcOptions);

    // Name a mistyped command instead of only saying that one is missing.
    const auto isCommand = [&app](const std::string& name) {
        return !app.get_subcommands([&name](CLI::App* sub) { return sub->check_name(name); })
                    .empty();
    };
    if (argc > 1 && argv[1][0] != '-' && !isCommand(argv[1])) {
        err << "varnodel-cli: unknown command \"" << argv[1] << "\"\n"
            << "Run with --help for more information.\n";
        return kExitUsage;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "varnodel-cli: " << e.what() << '\n' << "Run with --help for more information.\n";
        return kExitUsage;
    }

    if (app.get_subcommands().empty()) {
        err << "varnodel-cli: a command is required\n" << app.help();
        return kExitUsage;
    }
    if (models->parsed()) {
        const ModelRegistry registry;
        printModels(out, registry);
    }
    if (settings->parsed()) out << defaultSettingsText();
    // What these print is their whole product (`varnodel-cli settings > my.toml`): a full disk
    // must not pass for success.
    if ((models->parsed() || settings->parsed()) && !out.flush()) {
        err << "varnodel-cli: the output could not be written\n";
        return kExitRunError;
    }
    fracOptions.commandLine = mlaOptions.commandLine = shellCommandLine(argc, argv);
    if (frac->parsed()) return runCalculation(Calculation::Fractional, fracOptions, out, err);
    if (rev->parsed()) return runCalculation(Calculation::Reverse, revOptions, out, err);
    if (mla->parsed()) return runCalculation(Calculation::MLA, mlaOptions, out, err);
    if (profileIc->parsed()) return runCalculation(Calculation::ProfileIC, picOptions, out, err);
    if (profileCr->parsed()) return runCalculation(Calculation::ProfileCR, pcrOptions, out, err);
    if (ironLoss->parsed()) return runCalculation(Calculation::IronLoss, ironLossOptions, out, err);
    if (exportCommand->parsed()) return runExport(exportOptions, out, err);
    if (kdSet->parsed()) return runKdSet(kdSetOptions, out, err);
    if (calc->parsed()) return runCalc(calcOptions, out, err);
    return kExitOk;
}

}  // namespace varnodel::cli
