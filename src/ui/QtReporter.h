// The window's side of a run's reporting: lines and message boxes from the dispatcher's thread
// are handed to the window's thread, and the calling thread waits until they are shown, so that
// lines appear in order and a message box holds the run until it is dismissed.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "core/RunReporter.h"

namespace varnodel::ui {

class QtReporter : public RunReporter {
  public:
    struct Targets {
        std::function<void(const QString&)> log;
        std::function<void(const QString&)> debug;
        std::function<void(const QString&)> message;
    };
    // `context` lives in the window's thread; the targets are called there.
    QtReporter(QObject* context, Targets targets);

    void logLine(const std::string& line) override;
    void debugLine(const std::string& line) override;
    void message(const std::string& text) override;

  private:
    void deliver(const std::function<void(const QString&)>& target, const std::string& text);
    QObject* context_;
    Targets targets_;
};

}  // namespace varnodel::ui
