// Runs one calculation at a time through the dispatcher on a thread of its own (never the
// window's: a message box of the run blocks until dismissed), and tells the window when it ends.
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <thread>

#include "io/SettingsFile.h"
#include "ui/CalcThread.h"

namespace varnodel::ui {

class RunController : public QObject {
    Q_OBJECT
  public:
    RunController(RunReporter& reporter, QObject* parent = nullptr);
    ~RunController() override;

    bool running() const { return worker_.joinable() && !ended_; }
    // Starts `calculation` on the run state as it is now: the dispatcher takes its copy before
    // this returns, so the window may change the state while the run goes on.
    void start(Calculation calculation, const RunState& state, const PresentElements& present,
               const MlaChoice& mla, const std::filesystem::path& dataFile);
    // Asks the run to stop after the current step of the current analysis.
    void interrupt();
    // Waits for the run to end (for tests and for closing the window).
    void wait();
    // How the last run ended; valid once `finished` was sent.
    const DispatchResult& lastResult() const { return result_; }

  Q_SIGNALS:
    void progress(int analysis, int count, const QString& name);
    void finished(bool interrupted, int failed);

  private:
    RunReporter& reporter_;
    std::unique_ptr<TVarnodelCalcThread> dispatcher_;
    std::stop_source stop_;
    std::jthread worker_;
    bool ended_ = true;
    DispatchResult result_;
};

}  // namespace varnodel::ui
