// What a chart shows, apart from how Qt Charts draws it: panels of named point series built
// from result tables. The window, the `plot` command, the exports and the tests share it.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "io/ResultTable.h"

namespace varnodel::ui::plots {

enum class SeriesStyle { Line, Points, LineAndPoints, Dashed };
enum class Marker { Circle, Triangle, Square };

struct PlotSeries {
    PlotSeries() = default;
    PlotSeries(QString name_, QList<QPointF> points_,
               SeriesStyle style_ = SeriesStyle::LineAndPoints)
        : name(std::move(name_)), points(std::move(points_)), style(style_) {}

    QString name;
    QList<QPointF> points;
    SeriesStyle style = SeriesStyle::LineAndPoints;
    Marker marker = Marker::Circle;
    QStringList labels;       // one per point where the points need naming (models, stages)
    bool sameColour = false;  // drawn in the colour of the series before it (a guide line)
};

struct PlotPanel {
    QString title;
    QString xTitle;
    QString yTitle;
    QList<PlotSeries> series;
    QStringList categories;      // when not empty, x is the index of these categories
    std::optional<double> xMax;  // where the x axis ends, when not at the last point
};

enum class ChartFamily { Harker, Temperature, Minerals, Cumulate, Liquidus, FeLoss, Profiles };

struct ChartFamilyInfo {
    ChartFamily family;
    const char* key;    // the `plot` command's --chart name
    const char* title;  // the window's choice
};

const QList<ChartFamilyInfo>& chartFamilies();
const ChartFamilyInfo& familyInfo(ChartFamily family);

struct PlotOptions {
    QString x = "MgO";  // the Harker diagrams' abscissa
    QStringList y;      // their ordinates; empty: every oxide and H2O that the file holds
};

// The families that suit a table, its usual one first.
QList<ChartFamily> familiesFor(const ResultTable& table);

// The panels of `family` over every table that suits it, each analysis a series named by its
// sample. Throws EInputError when no table holds what the family needs (a column asked for
// with --x or --y, for example).
QList<PlotPanel> buildPanels(ChartFamily family, const std::vector<const ResultTable*>& tables,
                             const PlotOptions& options = {});

}  // namespace varnodel::ui::plots
