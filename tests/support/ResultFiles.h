// Result files compared between two runs: read whole, with the date and time that ends each row
// of a forward run taken out.
#pragma once

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
        kept += std::regex_replace(line, time, "") + '\n';
    return kept;
}

}  // namespace varnodel::test
