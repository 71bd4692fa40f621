// The plots without a screen: the charts hold exactly the points of their result file, an
// exported image has its size and shows something, `varnodel plot` draws every calculation's
// result file and refuses any other, and the window follows a run's rows as they arrive.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMenuBar>
#include <QProcess>
#include <QTest>
#include <QXYSeries>
#include <fstream>

#include "support/ScratchDir.h"
#include "ui/_frm_main.h"
#include "ui/plots/PlotData.h"
#include "ui/plots/PlotRender.h"
#include "ui/plots/PlotsWindow.h"

using namespace varnodel;
using namespace varnodel::ui::plots;

namespace {

const QString kData = VARNODEL_TEST_DATA_DIR;

// The column `name` of a result file, read here by plain splitting (the file's names hold no
// commas) so that the chart is checked against the text and not against its own reader.
QList<double> columnOf(const QString& file, const QString& name) {
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(in.readAll()).split('\n', Qt::SkipEmptyParts);
    QStringList header = lines.front().split(',');
    for (QString& h : header)
        h = h.trimmed();
    const qsizetype at = header.indexOf(name);
    QList<double> values;
    for (qsizetype i = 1; i < lines.size(); ++i)
        values.append(lines[i].split(',')[at].toDouble());
    return values;
}

QList<QPointF> chartPoints(const PlotPanel& panel, qsizetype series) {
    std::unique_ptr<QChart> chart(makeChart(panel));
    return static_cast<QXYSeries*>(chart->series().at(series))->points();
}

// Whether the image holds more than the background: drawn lines and text in several colours.
int colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

}  // namespace

class PlotsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void seriesHoldTheFilesValues_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        const QString golden = kData + "/golden/";
        QTest::newRow("forward, Harker")
            << golden + "frac_ariskin_qfm/golden_FRAC.csv" << int(ChartFamily::Harker) << "MgO_melt"
            << "SiO2_melt";
        QTest::newRow("reverse, T") << golden + "rev_ford_qfm/golden_REV.csv"
                                    << int(ChartFamily::Temperature) << "Starting_melt_%"
                                    << "Temperature";
        QTest::newRow("Fe loss") << golden + "ironloss_ford_qfm/golden_IRL.csv"
                                 << int(ChartFamily::FeLoss) << "MgO"
                                 << "FEO*";
        QTest::newRow("olivine") << golden + "frac_ariskin_qfm/golden_FRAC_Olv.csv"
                                 << int(ChartFamily::Minerals) << "T (C)"
                                 << "Fo";
    }
    // Each analysis's series, one after the other, give back the file's two columns whole.
    void seriesHoldTheFilesValues() {
        QFETCH(QString, file);
        QFETCH(int, family);
        QFETCH(QString, x);
        QFETCH(QString, y);
        const ResultTable table = readResultTable(file.toStdString());
        PlotOptions options;
        options.x = "MgO";
        options.y = {"SiO2"};
        const PlotPanel panel =
            buildPanels(static_cast<ChartFamily>(family), {&table}, options).front();
        QList<QPointF> drawn;
        for (qsizetype s = 0; s < panel.series.size(); ++s)
            if (!panel.series[s].name.contains("joins") &&
                !panel.series[s].name.contains("leaves") &&
                !panel.series[s].name.contains("olivine control"))
                drawn += chartPoints(panel, s);
        const QList<double> xs = columnOf(file, x), ys = columnOf(file, y);
        QCOMPARE(drawn.size(), xs.size());
        for (qsizetype i = 0; i < xs.size(); ++i) {
            QCOMPARE(drawn[i].x(), xs[i]);
            QCOMPARE(drawn[i].y(), ys[i]);
        }
    }

    // Seven analyses: seven series, each with a point for every model that gave a temperature.
    void liquidusTemperaturesPerModelAndMineral() {
        const QString file = kData + "/golden/mla_all_qfm/golden_MLA.csv";
        const ResultTable table = readResultTable(file.toStdString());
        const PlotPanel panel = buildPanels(ChartFamily::Liquidus, {&table}).front();
        QCOMPARE(panel.series.size(), qsizetype(7));
        QCOMPARE(panel.categories.front(), QString("Olv"));
        const QList<QPointF> first = chartPoints(panel, 0);
        QCOMPARE(first.front().y(), 1160.77);  // "T Ford83" of the first analysis
        QCOMPARE(panel.series[0].labels.front(), QString("Ford83"));
        for (const QPointF& p : first)
            QVERIFY(p.x() > -0.5 && p.x() < panel.categories.size() - 0.5);
    }

    void exportedImagesHaveTheirSizeAndShowTheChart() {
        test::ScratchDir dir("varnodel_plots");
        const ResultTable table =
            readResultTable((kData + "/golden/frac_ariskin_qfm/golden_FRAC.csv").toStdString());
        const QList<PlotPanel> panels = buildPanels(ChartFamily::Temperature, {&table});
        const QString png = QString::fromStdString((dir.path() / "t.png").string());
        const QString svg = QString::fromStdString((dir.path() / "t.svg").string());
        const QString csv = QString::fromStdString((dir.path() / "t.csv").string());
        QString error;
        QVERIFY(exportImage(panels, png, QSize(800, 600), error));
        QVERIFY(exportImage(panels, svg, QSize(800, 600), error));
        QVERIFY(exportPoints(panels, csv, error));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(800, 600));
        QVERIFY(colours(image) > 8);
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QByteArray svgText = svgFile.readAll();
        QVERIFY(svgText.contains("<svg") && svgText.contains("Temperature vs melt fraction"));
        QFile csvFile(csv);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(csvFile.readAll()).split('\n');
        QCOMPARE(rows[0], QString("Chart,Series,X,Y,Point"));
        QCOMPARE(rows[1], QString("Temperature vs melt fraction,BCR-2G Columbia River basalt "
                                  "glass,99.8,1102.374,"));
        QVERIFY(!exportImage(panels, QString::fromStdString((dir.path() / "no/t.png").string()),
                             QSize(800, 600), error));
    }

    void plotCommandDrawsEveryResultFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        const QString golden = kData + "/golden/";
        QTest::newRow("forward") << golden + "frac_ford_qfm/golden_FRAC.csv"
                                 << QStringList{"--x", "SiO2", "--y", "FeO,MgO"};
        QTest::newRow("forward cumulate")
            << golden + "frac_ariskin_qfm/golden_FRAC.csv" << QStringList{"--chart", "cumulate"};
        QTest::newRow("forward mineral")
            << golden + "frac_ariskin_qfm/golden_FRAC_Cpx.csv" << QStringList{};
        QTest::newRow("reverse") << golden + "rev_langmuir_ratio/golden_REV.csv" << QStringList{};
        QTest::newRow("liquidus") << golden + "mla_all_nno/golden_MLA.csv" << QStringList{};
        QTest::newRow("Fe loss") << golden + "ironloss_kd_morb/golden_IRL.csv" << QStringList{};
        QTest::newRow("profiles") << kData + "/plots/plots_PIC.csv" << QStringList{};
        QTest::newRow("cooling steps") << kData + "/plots/plots_PCR_PR.csv" << QStringList{};
        QTest::newRow("cooling melts") << kData + "/plots/plots_PCR_COMP.csv" << QStringList{};
    }
    void plotCommandDrawsEveryResultFile() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        test::ScratchDir dir("varnodel_plot_cmd");
        const QString out = QString::fromStdString((dir.path() / "figure.png").string());
        QProcess plot;
        plot.start(VARNODEL_GUI_PATH, QStringList{"plot", file} + options +
                                          QStringList{"-o", out, "--size", "900x500"});
        QVERIFY(plot.waitForFinished(60000));
        QCOMPARE(plot.exitCode(), 0);
        const QImage image(out);
        QCOMPARE(image.size(), QSize(900, 500));
        QVERIFY(colours(image) > 8);
    }

    void plotCommandRefusesOtherFiles() {
        for (const QString& file : {kData + "/golden/rev_ford_qfm/golden_REV_calc_param.csv",
                                    kData + "/melt_inclusions.csv"}) {
            QProcess plot;
            plot.start(VARNODEL_GUI_PATH, {"plot", file, "-o", "/nonexistent/never.png"});
            QVERIFY(plot.waitForFinished(60000));
            QCOMPARE(plot.exitCode(), 1);
            const QString err = QString::fromUtf8(plot.readAllStandardError());
            QVERIFY2(err.contains("Not a result file: " + file), qPrintable(err));
        }
        test::ScratchDir dir("varnodel_plot_empty");
        const QString empty = QString::fromStdString((dir.path() / "run_MLA.csv").string());
        QFile header(kData + "/golden/mla_all_qfm/golden_MLA.csv");
        QVERIFY(header.open(QIODevice::ReadOnly));
        QFile out(empty);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(header.readLine());
        out.close();
        QProcess nothing;
        nothing.start(VARNODEL_GUI_PATH, {"plot", empty, "-o", empty + ".png"});
        QVERIFY(nothing.waitForFinished(60000));
        QCOMPARE(nothing.exitCode(), 1);
        QVERIFY(QString::fromUtf8(nothing.readAllStandardError()).startsWith("Nothing to plot: "));
        QVERIFY(!QFile::exists(empty + ".png"));
        QProcess usage;
        usage.start(VARNODEL_GUI_PATH, {"plot", "--x"});
        QVERIFY(usage.waitForFinished(60000));
        QCOMPARE(usage.exitCode(), 2);
    }

    // A run deletes its result table, writes the header and then a row per step: the window
    // waits for the file and redraws as rows arrive.
    void windowFollowsTheRowsOfARun() {
        test::ScratchDir dir("varnodel_plots_follow");
        const std::string file = (dir.path() / "run_FRAC.csv").string();
        std::ifstream golden((kData + "/golden/frac_ariskin_qfm/golden_FRAC.csv").toStdString());
        std::vector<std::string> lines;
        for (std::string line; std::getline(golden, line);)
            lines.push_back(line);
        PlotsWindow window;
        window.follow(QString::fromStdString(file));
        QVERIFY(window.panels().isEmpty());
        const auto write = [&](std::size_t rows) {
            std::ofstream out(file, std::ios::trunc);
            for (std::size_t i = 0; i <= rows; ++i)
                out << lines[i] << '\n';
        };
        const auto points = [&] {
            return window.panels().isEmpty() ? 0
                                             : window.panels().front().series.front().points.size();
        };
        write(3);
        QTRY_COMPARE_WITH_TIMEOUT(points(), qsizetype(3), 10000);
        write(10);
        QTRY_COMPARE_WITH_TIMEOUT(points(), qsizetype(10), 10000);
        // A second run of the same sample from another file is overlaid, named by its file.
        QVERIFY(window.openResultFile(kData + "/golden/frac_ariskin_qfm/golden_FRAC.csv"));
        QCOMPARE(window.panels().front().series.size(), qsizetype(2));
        QVERIFY(window.panels().front().series[1].name.endsWith("(golden_FRAC.csv)"));
        QVERIFY(!window.openResultFile(kData + "/reference_glasses.csv"));
        QVERIFY(window.status().startsWith("Not a result file: "));
    }

    void mainWindowOpensPlotsFromTheViewMenu() {
        test::ScratchDir dir("varnodel_plots_menu");
        ui::Tfrm_main window(QString::fromStdString(dir.path().string()));
        QAction* plots = nullptr;
        for (QAction* menu : window.menuBar()->actions())
            if (menu->text() == "&View")
                for (QAction* a : menu->menu()->actions())
                    if (a->text() == "Plots") plots = a;
        QVERIFY(plots);
        plots->trigger();
        auto* shown = window.findChild<PlotsWindow*>();
        QVERIFY(shown && shown->isVisible());
    }
};

QTEST_MAIN(PlotsTest)
#include "plots_qtest.moc"
