// Until the settings file and the run set-up move below the command line: the same calls.
#pragma once

#include <filesystem>
#include <string>

#include "Settings.h"
#include "core/Errors.h"
#include "core/Parameters.h"

namespace varnodel::python {

using cli::applySettingOverrides;
using cli::loadSettings;
using cli::settingsText;
using SettingsChoice = cli::MlaChoice;

inline std::string modeOf(const char* mode) {
    return mode;
}

inline void chooseOutput(TOptions& options, const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const bool folderOnly = !target.has_filename() || fs::is_directory(target, ec);
    const fs::path folder = folderOnly                 ? target
                            : target.has_parent_path() ? target.parent_path()
                                                       : fs::path(".");
    if (!fs::is_directory(folder, ec))
        throw EInputError("the output folder " + folder.string() +
                          (fs::exists(folder, ec) ? " is not a folder" : " does not exist"));
    if (folderOnly) {
        options.outputDirectory = folder.string();
    } else {
        options.outputDirectory = target.has_parent_path() ? folder.string() : "";
        options.outputName = target.stem().string();
    }
}

}  // namespace varnodel::python
