#include "io/SettingsRecord.h"

#include <chrono>
#include <ctime>
#include <fstream>

#include "io/Sha256.h"

namespace varnodel {

std::string settingsRecordText(const SettingsRecord& record, const RunState& state,
                               const MlaChoice& mla) {
    std::string text = "# Settings of a run of " + record.version + ", " + record.dateTime + "\n";
    text += "# Command line: " + record.commandLine + "\n";
    if (!record.dataFile.empty()) {
        const auto digest = fileSha256(record.dataFile);
        text += "# Data file: " + record.dataFile.string() + "\n";
        text += "# Data file SHA-256: " + digest.value_or("(the file could not be read)") + "\n";
    } else {
        text += "# Data file: none\n";
    }
    text += "# Run again with --settings this file and the same --data.\n";
    return text + settingsText(state, mla);
}

std::string settingsRecordFile(const std::string& base) {
    return base + "_settings.toml";
}

bool writeSettingsRecord(const std::string& file, const std::string& text) {
    std::ofstream out(file, std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string shellCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int k = 0; k < argc; ++k) {
        const std::string arg = argv[k];
        const bool plain = !arg.empty() && arg.find_first_of(" \t\"'\\$`") == std::string::npos;
        std::string quoted = "'";
        for (char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += (k == 0 ? "" : " ") + (plain ? arg : quoted + "'");
    }
    return line;
}

}  // namespace varnodel
