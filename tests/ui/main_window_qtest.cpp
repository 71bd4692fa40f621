// The main window driven as a user would, without a screen: what it shows at start-up, the
// entry rules, runs started from it (the same files as the command line with the same
// settings), interrupting a batch, and the cotectic switch.
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/ScratchDir.h"
#include "ui/_frm_main.h"

using namespace varnodel;
using namespace varnodel::ui;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A result table without the date and time that ends each row of a forward run.
std::string withoutTimes(const std::string& text) {
    std::istringstream lines(text);
    std::string kept;
    static const std::regex time(",\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
    for (std::string line; std::getline(lines, line);)
        kept += std::regex_replace(line, time, "") + '\n';
    return kept;
}

// Starts the active tab's calculation and waits for its end.
bool runFromWindow(Tfrm_main& window) {
    QSignalSpy finished(&window.controller(), &RunController::finished);
    window.startOrInterrupt();
    return finished.wait(120000);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startUpShowsTheDefaults() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        QCOMPARE(window.windowTitle(), QString("Varnodel ") + VARNODEL_VERSION);
        QCOMPARE(window.tabs()->tabText(0), QString("Crystallisation"));
        QCOMPARE(window.tabs()->tabText(1), QString("Melt Liquidus Association"));
        auto* step = window.findChild<NumberEdit*>("CalcStepEdit1");
        auto* pressure = window.crystallisationTab()->findChild<NumberEdit*>("PressureEdit");
        QCOMPARE(step->text(), QString("0.01"));
        QCOMPARE(pressure->text(), QString("0.001"));
        QCOMPARE(window.startButton()->text(), QString("Start calculations"));
        auto* models = window.findChild<QTableWidget*>("lst_models");
        auto* olivine = static_cast<QComboBox*>(models->cellWidget(0, 1));
        QCOMPARE(olivine->currentIndex(), 1);  // the first olivine model
        QCOMPARE(static_cast<QComboBox*>(models->cellWidget(1, 1))->currentIndex(), 0);
        auto* grid = window.crystallisationTab()->composition()->grid();
        QCOMPARE(grid->item(0, 0)->text(), QString("50"));  // SiO2 of the default melt
    }

    void numberEntriesTakeOnlyTheirKeysAndBounds() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        auto* step = window.findChild<NumberEdit*>("CalcStepEdit1");
        step->clear();
        QTest::keyClicks(step, "1,5x-.");  // the comma becomes the point, x and a second point drop
        QCOMPARE(step->text(), QString("1.5-"));
        QTest::keyClick(step, Qt::Key_Return);
        QCOMPARE(window.state().settings.parameters.calculationStep, 1.5);
        step->clear();
        QTest::keyClicks(step, "99");
        QTest::keyClick(step, Qt::Key_Return);
        QCOMPARE(step->text(), QString("25"));  // clamped to the step's bounds
        auto* grid = window.crystallisationTab()->composition()->grid();
        grid->paste("51.2\t1.1\t14");
        QCOMPARE(meltOf(window.state().composition).oxides[Ox::SiO2], 51.2);
        QCOMPARE(meltOf(window.state().composition).oxides[Ox::Al2O3], 14.0);
    }

    void theCotecticBoxClearsTheCorrections() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        auto& minerals = window.state().settings.minerals;
        minerals[2].pressureCorrection = true;
        minerals[2].pressureSlope = 5.0;
        minerals[3].h2oCorrection = true;
        window.findChild<QCheckBox*>("Cotectic")->setChecked(true);
        QVERIFY(window.state().settings.parameters.cotecticOption);
        for (std::size_t m = 1; m < kPhaseCount; ++m) {
            QVERIFY(!minerals[m].pressureCorrection);
            QVERIFY(!minerals[m].h2oCorrection);
        }
    }

    // A run started in the window and the command line given the window's saved settings
    // write the same result files.
    void runsWriteWhatTheCommandLineWrites() {
        for (const Calculation calculation : {Calculation::Fractional, Calculation::MLA}) {
            test::ScratchDir dir("varnodel_qt");
            const fs::path window_out = dir.path() / "window";
            const fs::path cli_out = dir.path() / "cli";
            fs::create_directories(window_out);
            fs::create_directories(cli_out);
            Tfrm_main window(QString::fromStdString(window_out.string()));
            window.setMessageHandler([](const QString&) {});
            window.state().settings.parameters.stop.values[0] = 3.0;
            window.state().settings.parameters.calculationStep = 0.1;
            QVERIFY(window.openDataFile(VARNODEL_TEST_DATA_DIR "/reference_glasses.csv"));
            window.findChild<QCheckBox*>("chk_all_file")->setChecked(true);
            window.tabs()->setCurrentIndex(calculation == Calculation::MLA ? 1 : 0);
            const fs::path settings = dir.path() / "settings.toml";
            QVERIFY(window.saveSettings(QString::fromStdString(settings.string())));
            QVERIFY(runFromWindow(window));

            const std::string command =
                std::string("'") + VARNODEL_CLI_PATH + "' " +
                (calculation == Calculation::MLA ? "mla" : "frac") +
                " --quiet --data '" VARNODEL_TEST_DATA_DIR "/reference_glasses.csv' --settings '" +
                settings.string() + "' --output '" + cli_out.string() + "/' 2>/dev/null";
            QCOMPARE(std::system(command.c_str()), 0);
            int compared = 0;
            for (const auto& entry : fs::directory_iterator(cli_out)) {
                const auto name = entry.path().filename();
                QVERIFY2(fs::exists(window_out / name), name.string().c_str());
                const std::string fromWindow = withoutTimes(readAll(window_out / name));
                const std::string fromCli = withoutTimes(readAll(entry.path()));
                const auto at = std::mismatch(fromWindow.begin(), fromWindow.end(), fromCli.begin(),
                                              fromCli.end());
                QVERIFY2(fromWindow == fromCli,
                         (name.string() + " differs at: " +
                          std::string(at.first, std::min(at.first + 80, fromWindow.end())) + " | " +
                          std::string(at.second, std::min(at.second + 80, fromCli.end())))
                             .c_str());
                ++compared;
            }
            QVERIFY(compared >= 3);
        }
    }

    void interruptingABatchStopsAfterTheCurrentAnalysis() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        window.setMessageHandler([](const QString&) {});
        window.state().settings.parameters.stop.values[0] = 40.0;
        QVERIFY(window.openDataFile(VARNODEL_TEST_DATA_DIR "/reference_glasses.csv"));
        window.findChild<QCheckBox*>("chk_all_file")->setChecked(true);
        QSignalSpy progress(&window.controller(), &RunController::progress);
        QSignalSpy finished(&window.controller(), &RunController::finished);
        window.startOrInterrupt();
        QCOMPARE(window.startButton()->text(), QString("Interrupt calculations"));
        QVERIFY(progress.wait(60000));
        window.startOrInterrupt();  // the button now interrupts
        QVERIFY(finished.wait(60000));
        QVERIFY(finished.front().at(0).toBool());
        QCOMPARE(window.startButton()->text(), QString("Start calculations"));
        QVERIFY(window.mainLog()->toPlainText().contains("Calculations terminated"));
        // Not every glass of the file was started.
        QVERIFY(!window.mainLog()->toPlainText().contains("GOR132-G"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_qtest.moc"
