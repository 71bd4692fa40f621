// How a calculation talks to the outside: the main log, the diagnostics log and message boxes.
// The GUI, the command line and the tests implement it.
#pragma once

#include <string>

namespace varnodel {

class RunReporter {
  public:
    virtual ~RunReporter() = default;
    virtual void logLine(const std::string& line) = 0;    // main log
    virtual void debugLine(const std::string& line) = 0;  // diagnostics log
    virtual void message(const std::string& text) = 0;    // message box; returns when dismissed
};

// Drops everything (for callers that want none of it).
class NullReporter : public RunReporter {
  public:
    void logLine(const std::string&) override {}
    void debugLine(const std::string&) override {}
    void message(const std::string&) override {}
};

}  // namespace varnodel
