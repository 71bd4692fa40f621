// The commands that write files from a run's settings or results without running anything:
// `export` (a run's result files as one workbook) and `kd-set` (the trace-element Kd set file).
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace varnodel::cli {

struct ExportOptions {
    std::string base;                    // the base name of the result files, or one of them
    std::string last;                    // calculation whose last results are wanted
    std::string settings;                // settings file (with --last)
    std::vector<std::string> overrides;  // --set KEY=VALUE (with --last)
    std::string output;
};

struct KdSetOptions {
    std::string file;
    std::string settings;
    std::vector<std::string> overrides;
};

CLI::App* addExportCommand(CLI::App& app, ExportOptions& options);
CLI::App* addKdSetCommand(CLI::App& app, KdSetOptions& options);

// Both print the path of the file they wrote. Exit codes as for a run: 0 written, 1 when the
// file cannot be written (or, for export, a result file cannot be read), 2 for bad usage or
// input (no result file to export).
int runExport(const ExportOptions& options, std::ostream& out, std::ostream& err);
int runKdSet(const KdSetOptions& options, std::ostream& out, std::ostream& err);

}  // namespace varnodel::cli
