#include "ui/_frm_main.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>

#include "core/Errors.h"
#include "io/OutputFiles.h"
#include "io/WorkbookExport.h"
#include "ui/RunSetup.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

Tfrm_main::Tfrm_main(const QString& outputFolder, QWidget* parent)
    : QMainWindow(parent),
      mla_(MlaChoice::selectedIn(state_.registry())),
      present_(PresentElements::from(state_.settings.active)),
      engine_(new QTabWidget(this)),
      crystallisation_(new CrystallisationTab(state_, engine_)),
      reverse_(new ReverseTab(state_, engine_)),
      mlaTab_(new MlaTab(state_, mla_, engine_)),
      olivineMi_(new OlivineMiTab(state_, engine_)),
      txt_output_(new QTextEdit(this)),
      Debug_output_(new QPlainTextEdit(this)),
      start_calculations_(new QPushButton("Start calculations", this)),
      follow_(new QPushButton("On", this)),
      analyses_(new AnalysesDialog(state_, this)) {
    setWindowTitle(QString("Varnodel ") + VARNODEL_VERSION);
    state_.options.outputDirectory = outputFolder.toStdString();
    engine_->setObjectName("engine");
    engine_->addTab(crystallisation_, qText(tabCaption(Calculation::Fractional)));
    engine_->addTab(reverse_, qText(tabCaption(Calculation::Reverse)));
    engine_->addTab(mlaTab_, qText(tabCaption(Calculation::MLA)));
    engine_->addTab(olivineMi_, qText(tabCaption(Calculation::IronLoss)));
    txt_output_->setObjectName("txt_output");
    txt_output_->setReadOnly(true);
    txt_output_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Debug_output_->setObjectName("Debug_output");
    Debug_output_->setReadOnly(true);
    Debug_output_->setMaximumBlockCount(100000);
    start_calculations_->setObjectName("start_calculations");
    follow_->setObjectName("ButtonOnOff");
    follow_->setCheckable(true);
    follow_->setChecked(true);
    connect(follow_, &QPushButton::toggled, this,
            [this](bool on) { follow_->setText(on ? "On" : "Off"); });
    auto* clear = new QPushButton("Clear Results", this);
    clear->setObjectName("Clear_Results");
    connect(clear, &QPushButton::clicked, this, [this] {
        txt_output_->clear();
        Debug_output_->clear();
    });

    auto* controls = new QHBoxLayout;
    controls->addWidget(start_calculations_);
    controls->addStretch();
    controls->addWidget(new QLabel("Follow output:", this));
    controls->addWidget(follow_);
    controls->addWidget(clear);
    auto* logs = new QSplitter(Qt::Vertical, this);
    logs->addWidget(txt_output_);
    logs->addWidget(Debug_output_);
    logs->setStretchFactor(0, 3);
    logs->setStretchFactor(1, 1);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(engine_);
    splitter->addWidget(logs);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter);
    layout->addLayout(controls);
    setCentralWidget(central);
    resize(1200, 860);

    showMessage_ = [this](const QString& text) {
        QMessageBox::information(this, "Varnodel", text);
    };
    reporter_ = std::make_unique<QtReporter>(
        this,
        QtReporter::Targets{[this](const QString& line) { appendLog(line); },
                            [this](const QString& line) { Debug_output_->appendPlainText(line); },
                            [this](const QString& text) { showMessage_(text); }});
    controller_ = std::make_unique<RunController>(*reporter_, this);
    connect(controller_.get(), &RunController::finished, this,
            [this](bool interrupted, int) { runEnded(interrupted); });
    connect(controller_.get(), &RunController::progress, this,
            [this](int k, int n, const QString& name) {
                statusBar()->showMessage(QString("Analysis %1 of %2: %3").arg(k).arg(n).arg(name));
            });
    connect(start_calculations_, &QPushButton::clicked, this, &Tfrm_main::startOrInterrupt);
    dialogs_ =
        new SettingsDialogs(state_, this, [this](const QString& text) { showMessage_(text); });
    connect(dialogs_, &SettingsDialogs::changed, this, &Tfrm_main::refresh);
    for (CompositionPanel* panel : compositionPanels()) {
        connect(panel, &CompositionPanel::selectAnalysis, this, [this] {
            analyses_->load(present_);
            analyses_->open();
        });
    }
    connect(crystallisation_, &CrystallisationTab::changed, this, &Tfrm_main::refresh);
    connect(reverse_, &ReverseTab::changed, this, &Tfrm_main::refresh);
    connect(mlaTab_, &MlaTab::changed, this, &Tfrm_main::refresh);
    connect(olivineMi_, &OlivineMiTab::changed, this, &Tfrm_main::refresh);
    connect(crystallisation_, &CrystallisationTab::dialogRequested, this, &Tfrm_main::openDialog);
    connect(reverse_, &ReverseTab::dialogRequested, this, &Tfrm_main::openDialog);
    connect(mlaTab_, &MlaTab::dialogRequested, this, &Tfrm_main::openDialog);
    connect(olivineMi_, &OlivineMiTab::dialogRequested, this, &Tfrm_main::openDialog);
    connect(olivineMi_, &OlivineMiTab::lastResultWanted, this, &Tfrm_main::loadLastResult);
    connect(analyses_, &AnalysesDialog::chosen, this, &Tfrm_main::refresh);
    buildMenus();
    refresh();
}

Tfrm_main::~Tfrm_main() {
    controller_->interrupt();
    controller_->wait();
}

void Tfrm_main::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("Open Data File", QKeySequence::Open, this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, "Open Data File", {}, "Data files (*.csv *.dat *.frac);;All files (*)");
        if (name.isEmpty()) {
            appendLog("Sorry, but [] does not exists.");
            return;
        }
        if (openDataFile(name)) {
            analyses_->load(present_);
            analyses_->open();
        }
    });
    file->addAction("File for output...", this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, "File for output...", {},
                                                          "Results (*.csv);;All files (*)");
        if (!name.isEmpty()) setOutputFile(name);
    });
    file->addSeparator();
    file->addAction("Open settings...", this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, "Open settings", {},
                                                          "Settings (*.toml);;All files (*)");
        if (!name.isEmpty()) openSettings(name);
    });
    file->addAction("Save settings...", QKeySequence::Save, this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, "Save settings", {},
                                                          "Settings (*.toml);;All files (*)");
        if (!name.isEmpty()) saveSettings(name);
    });
    file->addAction("Reset to default", this, &Tfrm_main::resetToDefault);
    file->addSeparator();
    file->addAction("Exit", QKeySequence::Quit, this, &QWidget::close);
    buildExportMenu();
    menuBar()->addMenu("&View")->addAction("Plots", this, &Tfrm_main::showPlots);
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("About", this, [this] { openDialog(DialogId::About, 0); });
}

void Tfrm_main::buildExportMenu() {
    QMenu* exportMenu = menuBar()->addMenu("&Export to spreadsheet");
    exportMenu->addAction("Results of the last calculation", this,
                          [this] { exportResults(lastResultsBase()); });
    exportMenu->addAction("Results of previous calculations", this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, "Results of previous calculations",
                                                          {}, "Results (*.csv);;All files (*)");
        if (name.isEmpty()) return;
        // Later runs write beside the results picked.
        const std::filesystem::path picked(name.toStdString());
        state_.options.outputDirectory = picked.parent_path().string();
        exportResults((picked.parent_path() / picked.stem()).string());
    });
}

void Tfrm_main::openDialog(DialogId id, int mineral) {
    dialogs_->show(id, mineral > 0 ? static_cast<std::size_t>(mineral) : 0);
}

std::vector<CompositionPanel*> Tfrm_main::compositionPanels() const {
    return {crystallisation_->composition(), reverse_->composition(), mlaTab_->composition(),
            olivineMi_->composition()};
}

Calculation Tfrm_main::activeCalculation() const {
    const QWidget* tab = engine_->currentWidget();
    if (tab == reverse_) return Calculation::Reverse;
    if (tab == mlaTab_) return Calculation::MLA;
    if (tab == olivineMi_) return olivineMi_->calculation();
    return Calculation::Fractional;
}

std::string Tfrm_main::lastResultsBase() const {
    return baseName(state_.options, resultSuffix(activeCalculation()));
}

bool Tfrm_main::exportResults(const std::string& base) {
    WorkbookExport done;
    try {
        done = exportWorkbook(base);
    } catch (const EVarnodelError& e) {
        showMessage_(e.what());
        return false;
    }
    if (!done.failure.empty()) showMessage_(QString::fromStdString(done.failure));
    if (done.workbook.empty()) return false;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(done.workbook.string())));
    return true;
}

void Tfrm_main::loadLastResult() {
    if (const std::string why = chooseProfileStart(state_, false, 0); !why.empty()) {
        state_.settings.parameters.meltInclusions.loadLastResult = false;
        showMessage_(QString::fromStdString(why));
    }
    refresh();
}

void Tfrm_main::appendLog(const QString& line) {
    // As plain text: the log's columns are aligned with blanks.
    QTextCursor end(txt_output_->document());
    end.movePosition(QTextCursor::End);
    if (!txt_output_->document()->isEmpty()) end.insertBlock();
    end.insertText(line);
    if (follow_->isChecked())
        txt_output_->verticalScrollBar()->setValue(txt_output_->verticalScrollBar()->maximum());
}

bool Tfrm_main::openDataFile(const QString& file) {
    const DataFileLoad loaded =
        loadDataFile(state_, file.toStdString(), activeCalculation(), *reporter_);
    for (const auto& warning : loaded.warnings)
        Debug_output_->appendPlainText(QString::fromStdString(warning));
    if (!loaded.ok()) {
        showMessage_(QString::fromStdString(loaded.error));
        return false;
    }
    present_ = loaded.present;
    dataFile_ = file.toStdString();
    refresh();
    return true;
}

void Tfrm_main::setOutputFile(const QString& file) {
    try {
        chooseOutput(state_.options, file.toStdString());
    } catch (const EInputError& e) {
        showMessage_(e.what());
    }
}

bool Tfrm_main::openSettings(const QString& file) {
    try {
        for (const auto& warning :
             loadSettings(state_, mla_, std::filesystem::path(file.toStdString())))
            Debug_output_->appendPlainText(QString::fromStdString(warning));
    } catch (const EInputError& e) {
        showMessage_(e.what());
        return false;
    }
    refresh();
    return true;
}

bool Tfrm_main::saveSettings(const QString& file) {
    std::ofstream out(file.toStdString(), std::ios::binary | std::ios::trunc);
    out << settingsText(state_, mla_);
    out.close();
    if (!out) {
        showMessage_("Cannot write the settings file " + file);
        return false;
    }
    return true;
}

void Tfrm_main::resetToDefault() {
    const std::string folder = state_.options.outputDirectory;
    state_.reset();
    state_.options.outputDirectory = folder;
    mla_ = MlaChoice::selectedIn(state_.registry());
    present_ = PresentElements::from(state_.settings.active);
    dataFile_.clear();
    refresh();
}

void Tfrm_main::refresh() {
    crystallisation_->refresh();
    reverse_->refresh();
    mlaTab_->refresh();
    olivineMi_->refresh();
}

void Tfrm_main::setRunning(bool running) {
    start_calculations_->setText(running ? "Interrupt calculations" : "Start calculations");
    crystallisation_->setModelsEnabled(!running);
    reverse_->setModelsEnabled(!running);
    mlaTab_->setModelsEnabled(!running);
    olivineMi_->setModelsEnabled(!running);
}

void Tfrm_main::startOrInterrupt() {
    if (controller_->running()) {
        interruptedByUser_ = true;
        controller_->interrupt();
        return;
    }
    const Calculation calculation = activeCalculation();
    if (calculation == Calculation::ProfileIC || calculation == Calculation::ProfileCR) {
        // The profiles start from their own melt, else from the current composition.
        if (const std::string why = chooseProfileStart(state_, false, 0); !why.empty()) {
            showMessage_(QString::fromStdString(why));
            return;
        }
        refresh();
    }
    interruptedByUser_ = false;
    setRunning(true);
    controller_->start(calculation, state_, present_, mla_, dataFile_);
    lastResults_ = QString::fromStdString(lastResultsBase() + ".csv");
    if (plots_) plots_->follow(lastResults_);
}

plots::PlotsWindow* Tfrm_main::showPlots() {
    if (!plots_) {
        plots_ = new plots::PlotsWindow(this);
        // Besides the file watcher: a folder on a network share may not report changes.
        connect(controller_.get(), &RunController::progress, plots_, &plots::PlotsWindow::reload);
        connect(controller_.get(), &RunController::finished, plots_, &plots::PlotsWindow::reload);
    }
    if (!lastResults_.isEmpty()) plots_->follow(lastResults_);
    plots_->show();
    plots_->raise();
    return plots_;
}

void Tfrm_main::runEnded(bool interrupted) {
    setRunning(false);
    // What the last finished Fe-loss reconstruction hands on to the diffusion profiles.
    if (const auto& ironLoss = controller_->lastResult().ironLoss)
        applyIronLossResult(*ironLoss, state_);
    statusBar()->clearMessage();
    refresh();
    if (interrupted || interruptedByUser_) {
        appendLog("Calculations terminated");
        showMessage_("Calculations terminated");
    }
}

}  // namespace varnodel::ui
