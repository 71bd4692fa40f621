// Runs the independent workbook reader (tests/io/workbook_check.py, on openpyxl) over an
// exported workbook and the CSV files its sheets came from.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace varnodel::test {

inline bool haveWorkbookReader() {
    return std::string(VARNODEL_WORKBOOK_CHECK).size() > 0;
}

// The reader's complaints, empty when the workbook holds exactly these sheets, each with the
// cells of its file; "exit N" is added when it fails without saying why.
inline std::string workbookDifferences(
    const std::filesystem::path& workbook,
    const std::vector<std::pair<std::string, std::filesystem::path>>& sheets) {
    const auto quoted = [](const std::string& s) {
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    std::string command = std::string(VARNODEL_WORKBOOK_CHECK) + " " + quoted(workbook.string());
    for (const auto& [name, file] : sheets)
        command += " " + quoted(name) + " " + quoted(file.string());
    command += " 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "cannot run " + command;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (status != 0 && output.empty()) output = "exit " + std::to_string(status);
    return output;
}

}  // namespace varnodel::test
