// Result files compared between two runs (the window's and the command line's): read whole,
// with the date and time that ends each row of a forward run and the settings record's
// heading taken out.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace varnodel::test {

inline std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string withoutTimes(const std::string& text) {
    std::istringstream lines(text);
    std::string kept;
    static const std::regex time(",\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("# "))  // the settings record's heading: date, command line
            kept += std::regex_replace(line, time, "") + '\n';
    return kept;
}

struct FolderComparison {
    int compared = 0;     // files of `expected` found equal in `actual`
    std::string problem;  // the first file missing or different, and where; empty when none
};

// Every file of `expected` against the file of the same name in `actual`, times aside.
inline FolderComparison compareResultFolders(const std::filesystem::path& expected,
                                             const std::filesystem::path& actual) {
    FolderComparison result;
    for (const auto& entry : std::filesystem::directory_iterator(expected)) {
        const auto name = entry.path().filename();
        if (!std::filesystem::exists(actual / name)) {
            result.problem = name.string() + " is missing";
            return result;
        }
        const std::string want = withoutTimes(readAll(entry.path()));
        const std::string got = withoutTimes(readAll(actual / name));
        if (want != got) {
            const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
            result.problem = name.string() + " differs at: " +
                             std::string(at.first, std::min(at.first + 80, got.end())) + " | " +
                             std::string(at.second, std::min(at.second + 80, want.end()));
            return result;
        }
        ++result.compared;
    }
    return result;
}

}  // namespace varnodel::test
