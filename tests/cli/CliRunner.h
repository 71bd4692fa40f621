// Runs the real varnodel-cli executable and captures what it prints.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace varnodel::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// `arguments` is appended to the command line as written (quote what needs quoting).
inline CliResult runCli(const std::string& arguments, const std::string& workingDir = ".") {
    const auto errFile = std::filesystem::temp_directory_path() /
                         ("varnodel_cli_err_" + std::to_string(::getpid()) + ".txt");
    const std::string command = "cd '" + workingDir + "' && '" + VARNODEL_CLI_PATH + "' " +
                                arguments + " 2>'" + errFile.string() + "' </dev/null";
    CliResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readFile(errFile);
    std::filesystem::remove(errFile);
    return result;
}

}  // namespace varnodel::test
