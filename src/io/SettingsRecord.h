// The settings record of a run (base + "_settings.toml"): the complete effective settings,
// headed by comments that say which program, when, with which command and on which data file
// (by name and SHA-256). Given back with --settings and the same data file, it repeats the run.
#pragma once

#include <filesystem>
#include <string>

#include "io/SettingsFile.h"

namespace varnodel {

struct SettingsRecord {
    std::string version;             // "Varnodel 1.0"
    std::string dateTime;            // "2026-12-09 03:40:12 UTC"
    std::string commandLine;         // as typed, arguments separated by blanks
    std::filesystem::path dataFile;  // empty: the run had none
};

std::string settingsRecordText(const SettingsRecord& record, const RunState& state,
                               const MlaChoice& mla);

// base + "_settings.toml", the record beside a run's result files.
std::string settingsRecordFile(const std::string& base);
// Writes `text` to `file`, replacing it; false when it could not be written.
bool writeSettingsRecord(const std::string& file, const std::string& text);

// The current time as "YYYY-MM-DD hh:mm:ss UTC".
std::string utcNow();

// A command line of arguments, each quoted when it holds a blank or a quote, as a shell reads it.
std::string shellCommandLine(int argc, const char* const* argv);

}  // namespace varnodel
