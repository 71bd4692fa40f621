// The main window driven as a user would, without a screen: what it shows at start-up, the
// entry rules, the dialogs its controls ask for, runs started from it (the same files as the
// command line with the same settings), interrupting a batch, and the cotectic switch.
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/ResultFiles.h"
#include "support/ScratchDir.h"
#include "ui/_frm_main.h"

using namespace varnodel;
using namespace varnodel::ui;
namespace fs = std::filesystem;

namespace {

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
        const QStringList tabs = {"Crystallisation", "Reverse Crystallisation",
                                  "Melt Liquidus Association", "Olivine MI"};
        QCOMPARE(window.tabs()->count(), tabs.size());
        for (int t = 0; t < tabs.size(); ++t)
            QCOMPARE(window.tabs()->tabText(t), tabs[t]);
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
        QCOMPARE(window.reverseTab()->findChild<NumberEdit*>("CalcStepEdit1")->text(),
                 QString("0.01"));
        QCOMPARE(window.reverseTab()->findChild<QPushButton*>("Condition")->text(),
                 QString("Stop at 0% of fractionation"));

        OlivineMiTab* mi = window.olivineMiTab();
        const std::pair<const char*, const char*> fields[] = {{"Inclusion_radius", "150"},
                                                              {"Cooling_interval", "100"},
                                                              {"Final_extent", "50"},
                                                              {"Cooling_rate", "240"},
                                                              {"T_exp", "1250"},
                                                              {"Host_Fo", ""},
                                                              {"FeO_final", ""}};
        for (const auto& [name, text] : fields)
            QCOMPARE(mi->findChild<NumberEdit*>(name)->text(), QString(text));
        QCOMPARE(mi->calculation(), Calculation::IronLoss);
        QVERIFY(mi->findChild<QRadioButton*>("Instant_cooling")->isChecked());
        QVERIFY(!mi->findChild<NumberEdit*>("Cooling_rate")->isEnabled());
        QVERIFY(!mi->findChild<NumberEdit*>("T_exp")->isEnabled());  // reheating is off
        QVERIFY(!mi->findChild<QCheckBox*>("Load_last_result")->isChecked());
        QCOMPARE(mi->findChild<QComboBox*>("Minor_elements")->currentText(), QString("None"));
    }

    // Every control that stands for a dialog's settings asks the window for that dialog.
    void controlsAskForTheirDialogs() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        std::vector<std::pair<DialogId, int>> asked;
        const auto record = [&asked](DialogId id, int mineral) { asked.emplace_back(id, mineral); };
        connect(window.crystallisationTab(), &CrystallisationTab::dialogRequested, record);
        connect(window.reverseTab(), &ReverseTab::dialogRequested, record);
        connect(window.mlaTab(), &MlaTab::dialogRequested, record);
        connect(window.olivineMiTab(), &OlivineMiTab::dialogRequested, record);
        struct Case {
            QWidget* tab;
            const char* link;
            DialogId id;
            int mineral;
        };
        const Case cases[] = {
            {window.crystallisationTab(), "Condition", DialogId::StopConditions, 0},
            {window.crystallisationTab(), "Pressure_adv", DialogId::Pressure, 0},
            {window.crystallisationTab(), "viscosity_model", DialogId::Viscosity, 0},
            {window.crystallisationTab(), "density_model", DialogId::Density, 0},
            {window.crystallisationTab(), "Intermediate_output", DialogId::IntermediateOutput, 0},
            {window.crystallisationTab(), "trace_included", DialogId::TraceElements, 0},
            {window.reverseTab(), "lst_buffers_models", DialogId::Fugacity, 0},
            {window.mlaTab(), "lst_oxydation_models", DialogId::OxidationState, 0},
            {window.olivineMiTab(), "Ol_model_IRL", DialogId::Models, 1},
        };
        for (const Case& c : cases) {
            asked.clear();
            c.tab->findChild<QPushButton*>(c.link)->click();
            QCOMPARE(asked.size(), std::size_t{1});
            QVERIFY2(asked.front() == std::make_pair(c.id, c.mineral), c.link);
        }
        asked.clear();
        Q_EMIT window.reverseTab()
            ->findChild<QTableWidget*>("Exclusion_Grid")
            ->cellDoubleClicked(0, 1);
        Q_EMIT window.crystallisationTab()
            ->findChild<QTableWidget*>("lst_models")
            ->cellDoubleClicked(2, 0);
        const std::vector<std::pair<DialogId, int>> grids = {{DialogId::ExcludeMineral, 2},
                                                             {DialogId::Models, 3}};
        QVERIFY(asked == grids);
    }

    // "Results of the last calculation" exports the files the active tab's calculation writes.
    void theActiveTabNamesTheResultsToExport() {
        test::ScratchDir dir("varnodel_qt");
        Tfrm_main window(QString::fromStdString(dir.path().string()));
        const struct {
            int tab;
            const char* calculation;  // the Olivine MI radio buttons to press, or none
            const char* cooling;
            const char* suffix;
        } cases[] = {{0, nullptr, nullptr, "_FRAC"},
                     {1, nullptr, nullptr, "_REV"},
                     {2, nullptr, nullptr, "_MLA"},
                     {3, "ironloss", nullptr, "_IRL"},
                     {3, "diffusion", "Instant_cooling", "_PIC"},
                     {3, "diffusion", "Cooling_rate_mode", "_PCR"}};
        for (const auto& c : cases) {
            window.tabs()->setCurrentIndex(c.tab);
            for (const char* button : {c.calculation, c.cooling})
                if (button != nullptr)
                    window.olivineMiTab()->findChild<QRadioButton*>(button)->setChecked(true);
            QCOMPARE(window.lastResultsBase(),
                     (dir.path() / (std::string("Varnodel_Output") + c.suffix)).string());
        }
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
        const struct {
            Calculation calculation;
            int tab;
            const char* command;
            const char* data;
        } cases[] = {
            {Calculation::Fractional, 0, "frac", VARNODEL_TEST_DATA_DIR "/reference_glasses.csv"},
            {Calculation::Reverse, 1, "rev", VARNODEL_TEST_DATA_DIR "/reference_glasses.csv"},
            {Calculation::MLA, 2, "mla", VARNODEL_TEST_DATA_DIR "/reference_glasses.csv"},
            {Calculation::IronLoss, 3, "ironloss", VARNODEL_TEST_DATA_DIR "/melt_inclusions.csv"},
            // From the current composition: the profiles take it when they have no melt of
            // their own.
            {Calculation::ProfileIC, 3, "profile-ic", nullptr},
        };
        for (const auto& c : cases) {
            test::ScratchDir dir("varnodel_qt");
            const fs::path window_out = dir.path() / "window";
            const fs::path cli_out = dir.path() / "cli";
            fs::create_directories(window_out);
            fs::create_directories(cli_out);
            Tfrm_main window(QString::fromStdString(window_out.string()));
            window.setMessageHandler([](const QString&) {});
            window.state().settings.parameters.stop.values[0] = 3.0;
            window.state().settings.parameters.calculationStep = 0.1;
            window.tabs()->setCurrentIndex(c.tab);
            if (c.data != nullptr) {
                QVERIFY(window.openDataFile(c.data));
                window.findChild<QCheckBox*>("chk_all_file")->setChecked(true);
            } else {
                TMeltInclusionSettings& mi = window.state().settings.parameters.meltInclusions;
                mi.inclusionRadius = 20.0;  // a short profile, quickly diffused
                mi.coolingInterval = 20.0;
                mi.finalExtent = 5.0;
                window.olivineMiTab()->findChild<QRadioButton*>("diffusion")->setChecked(true);
            }
            QCOMPARE(window.activeCalculation(), c.calculation);
            const fs::path settings = dir.path() / "settings.toml";
            QVERIFY(window.saveSettings(QString::fromStdString(settings.string())));
            QVERIFY(runFromWindow(window));
            if (c.calculation == Calculation::IronLoss) {
                // The last inclusion's reconstruction is the profiles' starting melt.
                QVERIFY(window.state().settings.parameters.meltInclusions.simulateReheating);
                QVERIFY(window.olivineMiTab()->profileGrid()->item(0, 0)->text().toDouble() > 40);
            }

            const std::string data =
                c.data != nullptr ? std::string(" --data '") + c.data + "'" : std::string();
            const std::string command = std::string("'") + VARNODEL_CLI_PATH + "' " + c.command +
                                        " --quiet" + data + " --settings '" + settings.string() +
                                        "' --output '" + cli_out.string() + "/' 2>/dev/null";
            QCOMPARE(std::system(command.c_str()), 0);
            const auto same = test::compareResultFolders(cli_out, window_out);
            QVERIFY2(same.problem.empty(), same.problem.c_str());
            QVERIFY(same.compared >= 2);
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
