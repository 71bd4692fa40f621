// A reporter that keeps every line, for tests.
#pragma once

#include <string>
#include <vector>

#include "core/RunReporter.h"

namespace varnodel::test {

class RecordingReporter : public RunReporter {
  public:
    void logLine(const std::string& line) override { log.push_back(line); }
    void debugLine(const std::string& line) override { debug.push_back(line); }
    void message(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> log;
    std::vector<std::string> debug;
    std::vector<std::string> messages;
};

}  // namespace varnodel::test
