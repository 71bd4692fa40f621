#include "ui/QtReporter.h"

#include <QMetaObject>
#include <QThread>

namespace varnodel::ui {

QtReporter::QtReporter(QObject* context, Targets targets)
    : context_(context), targets_(std::move(targets)) {}

void QtReporter::deliver(const std::function<void(const QString&)>& target,
                         const std::string& text) {
    const QString line = QString::fromStdString(text);
    if (QThread::currentThread() == context_->thread()) {
        target(line);  // a blocking hand-over to one's own thread would never return
        return;
    }
    QMetaObject::invokeMethod(
        context_, [&target, &line] { target(line); }, Qt::BlockingQueuedConnection);
}

void QtReporter::logLine(const std::string& line) {
    deliver(targets_.log, line);
}

void QtReporter::debugLine(const std::string& line) {
    deliver(targets_.debug, line);
}

void QtReporter::message(const std::string& text) {
    deliver(targets_.message, text);
}

}  // namespace varnodel::ui
