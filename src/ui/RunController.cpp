#include "ui/RunController.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>

#include "io/SettingsRecord.h"

namespace varnodel::ui {

RunController::RunController(RunReporter& reporter, QObject* parent)
    : QObject(parent), reporter_(reporter) {}

RunController::~RunController() {
    interrupt();
    wait();
}

void RunController::start(Calculation calculation, const RunState& state,
                          const PresentElements& present, const MlaChoice& mla,
                          const std::filesystem::path& dataFile) {
    wait();
    stop_ = std::stop_source();
    dispatcher_ = std::make_unique<TVarnodelCalcThread>(calculation, state, present, reporter_,
                                                        stop_.get_token());
    if (!dataFile.empty()) dispatcher_->setDataFile(dataFile);
    dispatcher_->setJobs(std::max(1u, std::thread::hardware_concurrency()));
    dispatcher_->setMlaModels(mla.models);
    dispatcher_->onAnalysis([this](int k, int n, const std::string& name) {
        QMetaObject::invokeMethod(this, [this, k, n, name = QString::fromStdString(name)] {
            Q_EMIT progress(k, n, name);
        });
    });
    dispatcher_->freezeInputs();
    // The record of the settings as they are now: the window may change them during the run.
    const SettingsRecord record{std::string("Varnodel ") + VARNODEL_VERSION, utcNow(),
                                "none (a run of the desktop program)", dataFile};
    ended_ = false;
    worker_ = std::jthread([this, recordText = settingsRecordText(record, state, mla)] {
        const DispatchResult result = dispatcher_->execute();
        if (!result.notStarted &&
            !writeSettingsRecord(settingsRecordFile(result.baseName), recordText))
            reporter_.message("Cannot open file for export " + settingsRecordFile(result.baseName) +
                              ". Check if the file is open in another program.");
        QMetaObject::invokeMethod(this, [this, result] {
            ended_ = true;
            result_ = result;
            Q_EMIT finished(result.interrupted, result.failed);
        });
    });
}

void RunController::interrupt() {
    stop_.request_stop();
}

void RunController::wait() {
    // The run hands its lines to this thread and waits for them: keep taking them until it ends.
    while (worker_.joinable() && !ended_)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (worker_.joinable()) worker_.join();
}

}  // namespace varnodel::ui
