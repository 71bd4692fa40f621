// How a calculation talks to the outside: the main log, the diagnostics log and message boxes.
// The GUI, the command line and the tests implement it.
#pragma once

#include <string>
#include <vector>

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

// Keeps every call, to be passed on later in the same order (analyses of a batch that run in
// parallel report one after the other).
class BufferedReporter : public RunReporter {
  public:
    void logLine(const std::string& line) override { calls_.push_back({Kind::Log, line}); }
    void debugLine(const std::string& line) override { calls_.push_back({Kind::Debug, line}); }
    void message(const std::string& text) override { calls_.push_back({Kind::Message, text}); }

    void replay(RunReporter& target) {
        for (const auto& call : calls_) {
            switch (call.kind) {
                case Kind::Log:
                    target.logLine(call.text);
                    break;
                case Kind::Debug:
                    target.debugLine(call.text);
                    break;
                case Kind::Message:
                    target.message(call.text);
                    break;
            }
        }
        calls_.clear();
    }

  private:
    enum class Kind { Log, Debug, Message };
    struct Call {
        Kind kind;
        std::string text;
    };
    std::vector<Call> calls_;
};

}  // namespace varnodel
