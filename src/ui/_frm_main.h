// The main window: the four calculation tabs, the main and diagnostics logs, the start / interrupt
// button and the menus (data file, output file, settings files, spreadsheet export, reset,
// about).
#pragma once

#include <QCheckBox>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <functional>
#include <memory>
#include <vector>

#include "io/CompositionText.h"
#include "io/SettingsFile.h"
#include "models/RunState.h"
#include "ui/AnalysesDialog.h"
#include "ui/CrystallisationTab.h"
#include "ui/DialogId.h"
#include "ui/MlaTab.h"
#include "ui/OlivineMiTab.h"
#include "ui/QtReporter.h"
#include "ui/ReverseTab.h"
#include "ui/RunController.h"
#include "ui/dialogs/SettingsDialogs.h"
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
    ReverseTab* reverseTab() const { return reverse_; }
    MlaTab* mlaTab() const { return mlaTab_; }
    OlivineMiTab* olivineMiTab() const { return olivineMi_; }
    QTextEdit* mainLog() const { return txt_output_; }
    QPlainTextEdit* debugLog() const { return Debug_output_; }
    QPushButton* startButton() const { return start_calculations_; }
    AnalysesDialog* analysesDialog() const { return analyses_; }
    SettingsDialogs* settingsDialogs() const { return dialogs_; }

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
    // The base name of the result files "Results of the last calculation" exports: the one the
    // active tab's calculation writes.
    std::string lastResultsBase() const;
    // Writes the result files of `base` as one workbook and opens it; false when nothing was
    // written (the reason shown).
    bool exportResults(const std::string& base);
    // The calculation "Start calculations" starts: the active tab's.
    Calculation activeCalculation() const;
    // View -> Plots: the window of charts, following the runs started from here.
    plots::PlotsWindow* showPlots();

  public Q_SLOTS:
    void startOrInterrupt();
    void refresh();
    // Shows the settings dialog `id`, for `mineral` (1-8) where the dialog is a mineral's.
    void openDialog(varnodel::ui::DialogId id, int mineral);

  private:
    void buildMenus();
    void buildExportMenu();
    void runEnded(bool interrupted);
    void setRunning(bool running);
    void loadLastResult();
    std::vector<CompositionPanel*> compositionPanels() const;
    void appendLog(const QString& line);

    RunState state_;
    MlaChoice mla_;
    PresentElements present_;
    std::filesystem::path dataFile_;
    QTabWidget* engine_;
    CrystallisationTab* crystallisation_;
    ReverseTab* reverse_;
    MlaTab* mlaTab_;
    OlivineMiTab* olivineMi_;
    QTextEdit* txt_output_;
    QPlainTextEdit* Debug_output_;
    QPushButton* start_calculations_;
    QPushButton* follow_;
    AnalysesDialog* analyses_;
    SettingsDialogs* dialogs_ = nullptr;
    std::function<void(const QString&)> showMessage_;
    std::unique_ptr<QtReporter> reporter_;
    std::unique_ptr<RunController> controller_;
    bool interruptedByUser_ = false;
    plots::PlotsWindow* plots_ = nullptr;
    QString lastResults_;  // the result table of the last run started here
};

}  // namespace varnodel::ui
