// The main window: the calculation tabs, the main and diagnostics logs, the start / interrupt
// button and the menus (data file, output file, settings files, reset, about).
#pragma once

#include <QCheckBox>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <functional>
#include <memory>

#include "io/CompositionText.h"
#include "io/SettingsFile.h"
#include "models/RunState.h"
#include "ui/AnalysesDialog.h"
#include "ui/CrystallisationTab.h"
#include "ui/MlaTab.h"
#include "ui/QtReporter.h"
#include "ui/RunController.h"
#include "ui/plots/PlotsWindow.h"

namespace varnodel::ui {

class Tfrm_main : public QMainWindow {
    Q_OBJECT
  public:
    // `outputFolder` is where results go until "File for output..." says otherwise.
    explicit Tfrm_main(const QString& outputFolder, QWidget* parent = nullptr);
    ~Tfrm_main() override;

    RunState& state() { return state_; }
    MlaChoice& mlaChoice() { return mla_; }
    RunController& controller() { return *controller_; }
    QTabWidget* tabs() const { return engine_; }
    CrystallisationTab* crystallisationTab() const { return crystallisation_; }
    MlaTab* mlaTab() const { return mlaTab_; }
    QTextEdit* mainLog() const { return txt_output_; }
    QPlainTextEdit* debugLog() const { return Debug_output_; }
    QPushButton* startButton() const { return start_calculations_; }
    AnalysesDialog* analysesDialog() const { return analyses_; }

    // How the window shows a run's message box; tests replace it so that nothing blocks.
    void setMessageHandler(std::function<void(const QString&)> handler) {
        showMessage_ = std::move(handler);
    }

    // The menu commands, callable without their file dialogs.
    bool openDataFile(const QString& file);
    void setOutputFile(const QString& file);
    bool openSettings(const QString& file);
    bool saveSettings(const QString& file);
    void resetToDefault();
    // View -> Plots: the window of charts, following the runs started from here.
    plots::PlotsWindow* showPlots();

  public Q_SLOTS:
    void startOrInterrupt();
    void refresh();

  private:
    void buildMenus();
    void runEnded(bool interrupted);
    Calculation activeCalculation() const;
    void setRunning(bool running);
    void appendLog(const QString& line);

    RunState state_;
    MlaChoice mla_;
    PresentElements present_;
    std::filesystem::path dataFile_;
    QTabWidget* engine_;
    CrystallisationTab* crystallisation_;
    MlaTab* mlaTab_;
    QTextEdit* txt_output_;
    QPlainTextEdit* Debug_output_;
    QPushButton* start_calculations_;
    QPushButton* follow_;
    AnalysesDialog* analyses_;
    std::function<void(const QString&)> showMessage_;
    std::unique_ptr<QtReporter> reporter_;
    std::unique_ptr<RunController> controller_;
    bool interruptedByUser_ = false;
    plots::PlotsWindow* plots_ = nullptr;
    QString lastResults_;  // the result table of the last run started here
};

}  // namespace varnodel::ui
