#include "ui/plots/PlotCommand.h"

#include <QRegularExpression>
#include <memory>

#include "core/Errors.h"
#include "ui/plots/PlotData.h"
#include "ui/plots/PlotRender.h"

namespace varnodel::ui::plots {

namespace {

QString usage() {
    QStringList charts;
    for (const ChartFamilyInfo& info : chartFamilies())
        charts.append(info.key);
    return "Usage: varnodel plot RESULT.csv [RESULT.csv...] [--x MgO] [--y SiO2,FeO] "
           "[--chart " +
           charts.join('|') + "] [--size WIDTHxHEIGHT] -o FILE.png|FILE.svg|FILE.csv\n";
}

}  // namespace

int runPlotCommand(const QStringList& args, QTextStream& err) {
    QStringList files;
    PlotOptions options;
    QString output, chart;
    QSize size;
    bool xGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool takesValue = a == "--x" || a == "--y" || a == "-o" || a == "--output" ||
                                a == "--chart" || a == "--size";
        if (takesValue && i + 1 >= args.size()) {
            err << a << " needs a value\n" << usage();
            return 2;
        }
        if (a == "--x") {
            options.x = args[++i].trimmed();
            xGiven = true;
        } else if (a == "--y") {
            for (const QString& y : args[++i].split(',', Qt::SkipEmptyParts))
                options.y.append(y.trimmed());
        } else if (a == "-o" || a == "--output") {
            output = args[++i];
        } else if (a == "--chart") {
            chart = args[++i];
        } else if (a == "--size") {
            const auto m = QRegularExpression("^(\\d{2,5})x(\\d{2,5})$").match(args[++i]);
            if (!m.hasMatch() || m.captured(1).toInt() > 10000 || m.captured(2).toInt() > 10000) {
                err << "--size must be WIDTHxHEIGHT in pixels (at most 10000x10000), not "
                    << args[i] << "\n";
                return 2;
            }
            size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a.startsWith("-") && a.size() > 1) {
            err << "Unknown option " << a << "\n" << usage();
            return 2;
        } else {
            files.append(a);
        }
    }
    if (files.isEmpty() || output.isEmpty()) {
        err << usage();
        return 2;
    }
    std::vector<std::unique_ptr<ResultTable>> tables;
    std::vector<const ResultTable*> view;
    try {
        for (const QString& file : files) {
            tables.push_back(std::make_unique<ResultTable>(readResultTable(file.toStdString())));
            view.push_back(tables.back().get());
        }
        ChartFamily family = familiesFor(*view.front()).front();
        if (!chart.isEmpty()) {
            bool known = false;
            for (const ChartFamilyInfo& info : chartFamilies())
                if (chart == info.key) {
                    family = info.family;
                    known = true;
                }
            if (!known) {
                err << "Unknown chart " << chart << "\n" << usage();
                return 2;
            }
        } else if ((xGiven || !options.y.isEmpty()) &&
                   familiesFor(*view.front()).contains(ChartFamily::Harker)) {
            family = ChartFamily::Harker;
        }
        const QList<PlotPanel> panels = buildPanels(family, view, options);
        // A batch job must not take an empty figure for its results.
        qsizetype points = 0;
        for (const PlotPanel& panel : panels)
            for (const PlotSeries& s : panel.series)
                points += s.points.size();
        if (points == 0) {
            err << "Nothing to plot: " << files.join(", ") << " hold(s) no rows for the chart "
                << familyInfo(family).key << "\n";
            return 1;
        }
        QString error;
        const bool written =
            output.endsWith(".csv", Qt::CaseInsensitive)
                ? exportPoints(panels, output, error)
                : exportImage(panels, output,
                              size.isValid() ? size : defaultImageSize(panels.size()), error);
        if (!written) {
            err << error << "\n";
            return 1;
        }
    } catch (const EVarnodelError& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace varnodel::ui::plots
