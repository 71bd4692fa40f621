// The settings dialogs driven as a user would, without a screen: what each shows for the
// defaults and that showing and closing it keeps them, the entry bounds, the rules between
// settings, the Kd set file, and a run after the dialogs against the command line given the
// same settings as a file.
#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>
#include <functional>

#include "core/SettingsRules.h"
#include "support/ResultFiles.h"
#include "support/ScratchDir.h"
#include "ui/_frm_main.h"
#include "ui/dialogs/SettingsDialogs.h"

using namespace varnodel;
using namespace varnodel::ui;
namespace fs = std::filesystem;

namespace {

// What a named child shows: an entry's text, "on"/"off" for a box or button, a label's text.
QString shown(const QDialog* dialog, const char* name) {
    if (auto* edit = dialog->findChild<QLineEdit*>(name)) return edit->text();
    if (auto* spin = dialog->findChild<QSpinBox*>(name)) return spin->text();
    if (auto* button = dialog->findChild<QAbstractButton*>(name)) {
        if (!button->isCheckable()) return button->text();
        return button->isChecked() ? "on" : "off";
    }
    return "<no " + QString(name) + ">";
}

void setEntry(QDialog* dialog, const char* name, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(name);
    QVERIFY2(edit != nullptr, name);
    edit->setText(text);
    Q_EMIT edit->editingFinished();
}

void click(QDialog* dialog, const char* name) {
    auto* button = dialog->findChild<QAbstractButton*>(name);
    QVERIFY2(button != nullptr, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// The row of the first olivine model that computes a trace element, and of the first that
// computes none.
std::pair<int, int> tracedAndPlainOlivine(const RunState& state) {
    const auto& models = state.registry().mineralSet(Phase::Olivine).models;
    int traced = -1, plain = -1;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (!models[i]->unavailable.empty()) continue;
        if (models[i]->hasTraces && traced < 0) traced = static_cast<int>(i);
        if (!models[i]->hasTraces && plain < 0) plain = static_cast<int>(i);
    }
    return {traced, plain};
}

constexpr std::size_t kNi = 6;  // element index of nickel

}  // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // Every dialog shows the defaults, and closed without a change writes them back unchanged.
    void defaultsShownAndKept() {
        QWidget owner;
        RunState state;
        SettingsDialogs dialogs(state, &owner);
        const RunSettings before = state.settings;
        const auto slots = state.slots;
        struct Row {
            DialogId id;
            const char* field;  // nullptr: the caption
            QString expected;
        };
        const std::vector<Row> rows{
            {DialogId::Models, nullptr, "Select models for <Olivine>"},
            {DialogId::Models, "Kd_checkbox", "off"},
            {DialogId::Kd, "Kd_const", "on"},
            {DialogId::Kd, "Kd_value", "0.3"},
            {DialogId::Kd, "Kd_C", "-1.204"},
            {DialogId::PressureCorrection, "deg_kbar", "0"},
            {DialogId::PressureCorrection, "Correct_for_Pressure", "off"},
            {DialogId::H2oCorrection, "Edit1", "0"},
            {DialogId::H2oCorrection, "Edit2", "0"},
            {DialogId::OxidationState, nullptr, "Melt Oxidation State Model"},
            {DialogId::OxygenBuffers, "Edit1", "0.0"},
            {DialogId::Fugacity, "Oxigen_Buf", "on"},
            {DialogId::Fugacity, "lbl_buffer", "'QFM'"},
            {DialogId::Fugacity, "B_Fe3Fo", "9"},
            {DialogId::Fugacity, "Fe2_Fe3_const", "9"},
            {DialogId::TraceElements, nullptr, "Trace Elements"},
            {DialogId::Viscosity, nullptr, "Models for viscosity"},
            {DialogId::Density, nullptr, "Density models"},
            {DialogId::StopConditions, "Frac_degree", "on"},
            {DialogId::StopConditions, "Stop_value", "0"},
            {DialogId::Pressure, "Pressure_const_check", "on"},
            {DialogId::Pressure, "Pressure_const", "0.001"},
            {DialogId::IntermediateOutput, "OutputFrac", "on"},
            {DialogId::IntermediateOutput, "IntofFrac", "1"},
            {DialogId::IntermediateOutput, "OutputTemp", "off"},
            {DialogId::IntermediateOutput, "IntofTemp", "10"},
            {DialogId::IntermediateOutput, "TraceDecimals", "1"},
            {DialogId::ExcludeMineral, nullptr, "Conditions for exclusion of olivine"},
            {DialogId::ExcludeMineral, "LastT", "1200"},
            {DialogId::About, nullptr, "About Varnodel"},
        };
        for (const Row& row : rows) {
            dialogs.show(row.id, 1);
            QDialog* dialog = dialogs.dialog(row.id);
            QVERIFY(dialog->isVisible());
            const QString actual = row.field ? shown(dialog, row.field) : dialog->windowTitle();
            QVERIFY2(actual == row.expected,
                     qPrintable(QString(row.field ? row.field : "caption") + ": " + actual));
            dialog->accept();
        }
        auto* oxidation = dialogs.oxidationState->list();
        dialogs.show(DialogId::OxidationState);
        QCOMPARE(oxidation->item(oxidation->checkedRow())->text(),
                 QString("Borisov and Shapkin, 1990"));
        dialogs.oxidationState->reject();
        dialogs.show(DialogId::TraceElements);
        auto* grid = dialogs.traceElements->grid();
        QCOMPARE(grid->rowCount(), 38);  // the 37 traces and H2O
        QCOMPARE(grid->columnCount(), 10);
        QCOMPARE(grid->item(37, 0)->text(), QString("H2O"));
        QCOMPARE(grid->item(37, 1)->text(), QString("--"));
        QCOMPARE(grid->item(5, 2)->text(), QString("0"));  // Ni in olivine, a constant Kd
        dialogs.traceElements->accept();
        QVERIFY(state.settings == before);
        QVERIFY(state.slots == slots);
    }

    void entriesAreReadByTheNumberRuleWithTheirBounds() {
        QWidget owner;
        RunState state;
        SettingsDialogs dialogs(state, &owner);
        TTraceElementsForm* traces = dialogs.traceElements;
        dialogs.show(DialogId::TraceElements);
        traces->clickCell(static_cast<int>(kNi) - 1, 3);  // Ni in plagioclase
        QVERIFY(traces->panel()->isVisibleTo(traces));
        QCOMPARE(traces->findChild<QLabel*>("TraceSetLabel")->text(),
                 QString("Set Kd for Ni in plagioclase"));
        setEntry(traces, "Kd_value", "0.3abc");
        QCOMPARE(state.settings.kd.at(2, kNi), 0.3);
        setEntry(traces, "Kd_value", "250");
        QCOMPARE(state.settings.kd.at(2, kNi), 100.0);
        QCOMPARE(traces->grid()->item(static_cast<int>(kNi) - 1, 3)->text(), QString("100"));
        traces->clickCell(0, 1);  // the concentrations hide the panel
        QVERIFY(!traces->panel()->isVisibleTo(traces));
        traces->accept();

        dialogs.show(DialogId::OxygenBuffers);
        setEntry(dialogs.oxygenBuffers, "Edit1", "12");
        dialogs.oxygenBuffers->accept();
        QCOMPARE(state.settings.parameters.bufferOffset, 10.0);
        state.settings.parameters.bufferModel = "Fe3=0";
        dialogs.show(DialogId::OxygenBuffers);
        QCOMPARE(shown(dialogs.oxygenBuffers, "Edit1"), QString("0.0"));
        setEntry(dialogs.oxygenBuffers, "Edit1", "3");
        dialogs.oxygenBuffers->accept();
        QCOMPARE(state.settings.parameters.bufferOffset, 0.0);  // Fe3=0 takes no shift

        dialogs.show(DialogId::PressureCorrection, 2);
        setEntry(dialogs.pressureCorrection, "deg_kbar", "150");
        QCOMPARE(shown(dialogs.pressureCorrection, "Correct_for_Pressure"), QString("on"));
        dialogs.pressureCorrection->accept();
        QCOMPARE(state.settings.minerals[2].pressureSlope, 100.0);
        QVERIFY(state.settings.minerals[2].pressureCorrection);

        dialogs.show(DialogId::StopConditions);
        click(dialogs.stopConditions, "Last_Temp");
        setEntry(dialogs.stopConditions, "Stop_value", "1150");
        QTest::keyClick(dialogs.stopConditions->findChild<QLineEdit*>("Stop_value"),
                        Qt::Key_Return);
        QVERIFY(!dialogs.stopConditions->isVisible());  // Enter closes
        const TStopBlock& stop = state.settings.parameters.stop;
        QCOMPARE(stop.values[Stop::Temperature], 1150.0);  // up to 3000 for a temperature
        QVERIFY(stop.flags[Stop::Temperature] && !stop.flags[Stop::Crystallisation]);
    }

    // The olivine equation needs olivine alone; exclusion rows follow the mineral.
    void rulesBetweenSettings() {
        QWidget owner;
        RunState state;
        SettingsDialogs dialogs(state, &owner);
        state.slots[2] = state.registry().mineralSet(Phase::Plagioclase).models.front().get();
        dialogs.show(DialogId::Fugacity);
        auto* equation = dialogs.fugacity->findChild<QAbstractButton*>("Fe3Fo");
        QVERIFY(!equation->isEnabled());
        QTest::mouseClick(equation, Qt::LeftButton);
        dialogs.fugacity->accept();
        QVERIFY(!state.settings.parameters.equationMode);
        QVERIFY(state.settings.parameters.bufferMode);
        state.slots[2] = nullptr;
        dialogs.show(DialogId::Fugacity);
        QTest::mouseClick(equation, Qt::LeftButton);
        setEntry(dialogs.fugacity, "A_Fe3Fo", "0.05");
        dialogs.fugacity->accept();
        QVERIFY(state.settings.parameters.equationMode && !state.settings.parameters.bufferMode);
        QCOMPARE(state.settings.parameters.equationA, 0.05);

        dialogs.show(DialogId::Pressure);
        click(dialogs.pressure, "pressure_steps_check");
        dialogs.pressure->steps()->item(2, 1)->setText("5");
        dialogs.pressure->steps()->item(2, 2)->setText("130");
        dialogs.pressure->accept();
        const TPressureBlock& path = state.composition.pressureBlock;
        QVERIFY(path.stepsMode && !path.dPdTMode);
        QVERIFY((path.steps[1] == std::array<double, 2>{5.0, 100.0}));

        for (const std::size_t mineral : {2u, 7u}) {
            dialogs.show(DialogId::ExcludeMineral, mineral);
            auto* fo = dialogs.excludeMineral->findChild<QAbstractButton*>("Fo_content");
            QCOMPARE(fo->isVisible(), mineral == 2);
            if (mineral == 2)
                QCOMPARE(dialogs.excludeMineral->findChild<QAbstractButton*>("Composition")->text(),
                         QString("An"));
            click(dialogs.excludeMineral, "MeltMgO");
            setEntry(dialogs.excludeMineral, "LastMg", "7.5");
            dialogs.excludeMineral->accept();
            QVERIFY(state.settings.minerals[mineral].exclusionFlags[Exclusion::MeltMgO]);
            QCOMPARE(state.settings.minerals[mineral].otherSettings[Exclusion::MeltMgO], 7.5);
        }
    }

    // Another olivine model turns every "Model" choice of olivine into "Kd", then back into
    // "Model" for the elements the new model computes; closing keeps the marked model.
    void theOlivineModelCarriesItsTraceChoices() {
        QWidget owner;
        RunState state;
        SettingsDialogs dialogs(state, &owner);
        const auto [traced, plain] = tracedAndPlainOlivine(state);
        QVERIFY(traced >= 0 && plain >= 0);
        auto& choices = state.settings.minerals[1].traceChoices;
        choices[0] = "Model";  // B, which no olivine model computes
        dialogs.show(DialogId::Models, 1);
        Tfrm_models* models = dialogs.models;
        models->clickCell(traced, 1);
        QCOMPARE(choices[kNi - 1], std::string("Model"));
        QCOMPARE(choices[0], std::string("Kd"));
        QCOMPARE(models->grid()->item(traced, 0)->text(), QString("Y"));
        models->clickCell(plain, 1);
        QCOMPARE(choices[kNi - 1], std::string("Kd"));
        models->clickCell(traced, 0);
        QCOMPARE(choices[kNi - 1], std::string("Model"));
        models->accept();
        const auto& set = state.registry().mineralSet(Phase::Olivine).models;
        QCOMPARE(state.slots[1], set[static_cast<std::size_t>(traced)].get());
        QVERIFY(set[static_cast<std::size_t>(traced)]->selected);

        dialogs.show(DialogId::Models, 1);
        models->clickCell(traced, 1);  // the marked name again: no model
        models->accept();
        QVERIFY(state.slots[1] == nullptr);
    }

    void aKdSetSavedThenLoadedRestoresTheTable() {
        test::ScratchDir dir("varnodel_qt_kd");
        const QString file = QString::fromStdString((dir.path() / "set.conf").string());
        QWidget owner;
        RunState state;
        QStringList messages;
        SettingsDialogs dialogs(state, &owner, [&](const QString& m) { messages << m; });
        const auto [traced, plain] = tracedAndPlainOlivine(state);
        const auto& olivines = state.registry().mineralSet(Phase::Olivine).models;
        state.slots[1] = olivines[static_cast<std::size_t>(traced)].get();
        state.settings.minerals[1].traceChoices[kNi - 1] = "Model";
        state.settings.kd.at(3, 11) = 0.12;                // Sr in clinopyroxene
        state.settings.kd.at(2, kH2OElementIndex) = 0.01;  // H2O in plagioclase
        const TModel* traceModel = nullptr;
        for (const auto& model : state.registry().traceModels().models)
            if (model->unavailable.empty() && model->forMineral[2]) traceModel = model.get();
        QVERIFY(traceModel != nullptr);
        std::size_t element = 0;
        while (!traceModel->forTrace[element])
            ++element;
        dialogs.show(DialogId::TraceElements);
        dialogs.traceElements->clickCell(static_cast<int>(element), 3);
        QVERIFY(dialogs.traceElements->models()->rowCount() > 0);
        int row = 0;
        while (dialogs.traceElements->models()->item(row, 0)->text() !=
               QString::fromStdString(traceModel->shortName).trimmed())
            ++row;
        dialogs.traceElements->chooseModel(row);
        QCOMPARE(state.settings.minerals[2].traceChoices[element], traceModel->shortName);
        dialogs.traceElements->saveKdSet(file);
        const RunSettings saved = state.settings;

        state.reset();
        state.slots[1] = olivines[static_cast<std::size_t>(plain)].get();
        dialogs.traceElements->loadKdSet(file);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join("\n")));
        QCOMPARE(state.settings.kd, saved.kd);
        for (std::size_t m = 1; m <= kMineralCount; ++m)
            QVERIFY(state.settings.minerals[m].traceChoices == saved.minerals[m].traceChoices);
        QCOMPARE(state.slots[1], olivines[static_cast<std::size_t>(traced)].get());
        QCOMPARE(dialogs.traceElements->grid()->item(10, 4)->text(), QString("0.12"));

        dialogs.traceElements->loadKdSet(QString::fromStdString(dir.path().string()));
        QCOMPARE(messages.size(), 1);  // a folder is no Kd set file: said, nothing changed
        QCOMPARE(state.settings.kd, saved.kd);
    }

    // Settings made in the dialogs run as the same settings written by hand run from the
    // command line.
    void aRunAfterTheDialogsIsTheCommandLinesRun() {
        test::ScratchDir dir("varnodel_qt_dialogs");
        const fs::path window_out = dir.path() / "window";
        const fs::path cli_out = dir.path() / "cli";
        fs::create_directories(window_out);
        fs::create_directories(cli_out);
        Tfrm_main window(QString::fromStdString(window_out.string()));
        window.setMessageHandler([](const QString&) {});
        SettingsDialogs& dialogs = *window.settingsDialogs();
        window.state().settings.parameters.calculationStep = 0.1;

        window.openDialog(DialogId::StopConditions, 0);  // as the tab asks for it
        setEntry(dialogs.stopConditions, "Stop_value", "4");
        dialogs.stopConditions->accept();
        QCOMPARE(window.crystallisationTab()->findChild<QAbstractButton*>("Condition")->text(),
                 QString("Stop at 4% of fractionation"));
        dialogs.show(DialogId::IntermediateOutput);
        click(dialogs.intermediateOutput, "OutputTemp");
        setEntry(dialogs.intermediateOutput, "IntofTemp", "5");
        dialogs.intermediateOutput->accept();
        dialogs.show(DialogId::Density);
        dialogs.density->choices()->button(1)->click();
        dialogs.density->accept();
        dialogs.show(DialogId::Viscosity);
        dialogs.viscosity->choices()->button(1)->click();
        dialogs.viscosity->accept();
        dialogs.show(DialogId::OxygenBuffers);
        auto* buffers = dialogs.oxygenBuffers->list();
        buffers->checkRow(buffers->row(buffers->findItems("Ni-NiO", Qt::MatchExactly).front()));
        setEntry(dialogs.oxygenBuffers, "Edit1", "-1");
        dialogs.oxygenBuffers->accept();
        dialogs.show(DialogId::Pressure);
        click(dialogs.pressure, "dPdT_check");
        setEntry(dialogs.pressure, "Pressure_const", "2");
        setEntry(dialogs.pressure, "dPdT_Edit", "20");
        dialogs.pressure->accept();
        dialogs.show(DialogId::H2oCorrection, 1);
        click(dialogs.h2oCorrection, "Set_default");
        dialogs.h2oCorrection->accept();
        dialogs.show(DialogId::PressureCorrection, 1);
        setEntry(dialogs.pressureCorrection, "deg_kbar", "5");
        dialogs.pressureCorrection->accept();
        QVERIFY(runFromWindow(window));

        const fs::path settings = dir.path() / "settings.toml";
        std::ofstream(settings) << "[composition]\npressure = 2.0\n"
                                   "[minerals.olivine]\npressure_correction = 5.0\n"
                                   "h2o_correction = [74.403, 0.352]\n"
                                   "[oxidation]\nbuffer = \"Ni-NiO\"\nshift = -1.0\n"
                                   "[pressure]\nmode = \"dpdt\"\ndpdt = 20.0\n"
                                   "[run]\nstep = 0.1\ndensity = \"Nelson, Carmichael 1979\"\n"
                                   "viscosity = \"Giordano, Dingwell 2003\"\n"
                                   "[stop]\ncondition = \"crystallisation\"\nvalue = 4.0\n"
                                   "[output]\nuse_temperature = true\ntemperature = 5.0\n";
        const std::string command = std::string("'") + VARNODEL_CLI_PATH +
                                    "' frac --quiet --settings '" + settings.string() +
                                    "' --output '" + cli_out.string() + "/' 2>/dev/null";
        QCOMPARE(std::system(command.c_str()), 0);
        const auto same = test::compareResultFolders(cli_out, window_out);
        QVERIFY2(same.problem.empty(), same.problem.c_str());
        QVERIFY(same.compared >= 3);
    }

  private:
    static bool runFromWindow(Tfrm_main& window) {
        QSignalSpy finished(&window.controller(), &RunController::finished);
        window.startOrInterrupt();
        return finished.wait(120000);
    }
};

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_qtest.moc"
