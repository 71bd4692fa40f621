// The command-line program: parses the arguments and runs the chosen command.
#pragma once

#include <ostream>

namespace varnodel::cli {

// Exit codes: 0 when everything ran, 1 when a run ended with an error, 2 for bad usage or input.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRunError = 1;
inline constexpr int kExitUsage = 2;

int runApp(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace varnodel::cli
