#include "ui/plots/PlotRender.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChartView>
#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <array>
#include <cmath>

#include "core/NumberFormat.h"

namespace varnodel::ui::plots {

namespace {

// Ten colours that stay apart (the default theme repeats after five, and a batch has more
// analyses than that).
const std::array<QColor, 10> kColours{{"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                       "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"}};

QXYSeries* makeSeries(const PlotSeries& s, const QColor& colour) {
    QXYSeries* series = nullptr;
    if (s.style == SeriesStyle::Points) {
        auto* scatter = new QScatterSeries;
        scatter->setMarkerSize(s.marker == Marker::Circle ? 8.0 : 12.0);
        scatter->setMarkerShape(s.marker == Marker::Triangle ? QScatterSeries::MarkerShapeTriangle
                                : s.marker == Marker::Square ? QScatterSeries::MarkerShapeRectangle
                                                             : QScatterSeries::MarkerShapeCircle);
        scatter->setBorderColor(Qt::transparent);
        series = scatter;
    } else {
        auto* line = new QLineSeries;
        // Dense paths hide their points under their markers: the line alone shows them.
        if (s.style == SeriesStyle::LineAndPoints && s.points.size() <= 12) {
            line->setPointsVisible(true);
            line->setMarkerSize(6.0);
        }
        series = line;
    }
    series->setName(s.name);
    series->replace(s.points);
    series->setColor(colour);
    if (s.style != SeriesStyle::Points) {
        QPen pen = series->pen();
        pen.setWidthF(s.style == SeriesStyle::Dashed ? 1.5 : 2.0);
        if (s.style == SeriesStyle::Dashed) pen.setStyle(Qt::DashLine);
        series->setPen(pen);
    }
    return series;
}

// The data's span with a margin, so that no point sits on the frame.
void fitRange(QValueAxis* axis, double low, double high) {
    if (!(low <= high)) {
        low = 0.0;
        high = 1.0;
    }
    const double pad = high > low ? 0.05 * (high - low) : std::max(1.0, std::abs(low) * 0.05);
    // Amounts and concentrations never go below zero: neither does their axis.
    axis->setRange(low >= 0.0 ? std::max(0.0, low - pad) : low - pad, high + pad);
    axis->applyNiceNumbers();
}

}  // namespace

QChart* makeChart(const PlotPanel& panel, bool legend) {
    auto* chart = new QChart;
    chart->setTitle(panel.title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    // A batch's names need a column of their own; a few fit below the plot.
    chart->legend()->setAlignment(panel.series.size() > 3 ? Qt::AlignRight : Qt::AlignBottom);
    chart->legend()->setVisible(legend && !panel.series.isEmpty());
    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    std::size_t colour = 0;
    bool first = true;
    for (const PlotSeries& s : panel.series) {
        // The marks of minerals joining and leaving are black, named on the chart: the
        // palette stays the analyses'.
        const bool mark = s.marker != Marker::Circle;
        if (!mark && !first && !s.sameColour) ++colour;
        if (!mark) first = false;
        QXYSeries* series =
            makeSeries(s, mark ? QColor("#202020") : kColours[colour % kColours.size()]);
        if (mark) {
            series->setPointLabelsFormat(s.name.section(' ', 0, 0));
            series->setPointLabelsVisible(true);
            series->setPointLabelsClipping(false);
        }
        chart->addSeries(series);
        for (const QPointF& p : s.points) {
            xLow = std::min(xLow, p.x());
            xHigh = std::max(xHigh, p.x());
            yLow = std::min(yLow, p.y());
            yHigh = std::max(yHigh, p.y());
        }
    }
    auto* y = new QValueAxis;
    y->setTitleText(panel.yTitle);
    fitRange(y, yLow, yHigh);
    QAbstractAxis* x = nullptr;
    if (!panel.categories.isEmpty()) {
        auto* categories = new QCategoryAxis;
        categories->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        categories->setStartValue(-0.5);
        for (qsizetype i = 0; i < panel.categories.size(); ++i)
            categories->append(panel.categories[i], static_cast<double>(i) + 0.5);
        categories->setRange(-0.5, static_cast<double>(panel.categories.size()) - 0.5);
        x = categories;
    } else {
        auto* values = new QValueAxis;
        fitRange(values, xLow, panel.xMax ? std::min(xHigh, *panel.xMax) : xHigh);
        x = values;
    }
    x->setTitleText(panel.xTitle);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    // One legend entry per kind of mark: the labels on the chart name the minerals.
    QStringList kinds;
    for (qsizetype i = 0; i < panel.series.size(); ++i) {
        const Marker marker = panel.series[i].marker;
        if (marker == Marker::Circle) continue;
        const QString kind = marker == Marker::Triangle ? "mineral joins" : "mineral leaves";
        for (QLegendMarker* m : chart->legend()->markers(chart->series().at(i))) {
            m->setLabel(kind);
            m->setVisible(!kinds.contains(kind));
        }
        kinds.append(kind);
    }
    return chart;
}

PlotGrid::PlotGrid(QWidget* parent) : QWidget(parent) {
    new QGridLayout(this);
}

void PlotGrid::setPanels(const QList<PlotPanel>& panels) {
    panels_ = panels;
    auto* grid = static_cast<QGridLayout*>(layout());
    while (QLayoutItem* item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const int columns =
        std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(panels.size())))));
    for (qsizetype i = 0; i < panels.size(); ++i) {
        // The colours follow the analyses in every panel: one legend tells them all, where
        // a legend in each would leave no room for the plots.
        const bool legend = i == 0 || panels[i].series.size() <= 3;
        auto* view = new QChartView(makeChart(panels[i], legend), this);
        view->setMinimumSize(360, 280);
        view->setRenderHint(QPainter::Antialiasing);
        view->setFrameShape(QFrame::NoFrame);
        view->setBackgroundBrush(Qt::white);
        view->setObjectName("chart" + QString::number(i));
        grid->addWidget(view, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
    }
}

QList<QChart*> PlotGrid::charts() const {
    QList<QChart*> out;
    for (QChartView* view : findChildren<QChartView*>(Qt::FindDirectChildrenOnly))
        out.append(view->chart());
    return out;
}

QSize defaultImageSize(qsizetype count) {
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(count))));
    const int rows = std::max(1, static_cast<int>((count + columns - 1) / columns));
    // One chart alone gets room for a batch's legend.
    if (count <= 1) return {960, 720};
    return {columns * 640, rows * 480};
}

bool exportImage(const QList<PlotPanel>& panels, const QString& file, QSize size, QString& error) {
    // Laid out at the image's size without being shown: there may be no screen at all.
    PlotGrid grid;
    grid.setAttribute(Qt::WA_DontShowOnScreen);
    grid.setPanels(panels);
    for (QChartView* view : grid.findChildren<QChartView*>())
        view->setMinimumSize(0, 0);  // the image's size is the user's to choose
    grid.resize(size);
    grid.layout()->activate();
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(panels.isEmpty() ? QString() : panels.front().title);
        QPainter painter;
        if (!painter.begin(&svg)) {
            error = "Cannot write " + file;
            return false;
        }
        grid.render(&painter, {}, {}, QWidget::DrawChildren);
        painter.end();
        if (!QFile::exists(file)) {
            error = "Cannot write " + file;
            return false;
        }
        return true;
    }
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        grid.render(&painter, {}, {}, QWidget::DrawChildren);
    }
    if (!image.save(file, "PNG")) {
        error = "Cannot write " + file;
        return false;
    }
    return true;
}

bool exportPoints(const QList<PlotPanel>& panels, const QString& file, QString& error) {
    std::string text = "Chart,Series,X,Y,Point\n";
    for (const PlotPanel& panel : panels)
        for (const PlotSeries& s : panel.series)
            for (qsizetype i = 0; i < s.points.size(); ++i) {
                QString x = QString::fromStdString(shortestGeneral(s.points[i].x()));
                if (!panel.categories.isEmpty()) {
                    const auto at = static_cast<qsizetype>(std::lround(s.points[i].x()));
                    if (at >= 0 && at < panel.categories.size()) x = panel.categories[at];
                }
                text += csvField(panel.title.toStdString()) + "," + csvField(s.name.toStdString()) +
                        "," + csvField(x.toStdString()) + "," + shortestGeneral(s.points[i].y()) +
                        "," + csvField(i < s.labels.size() ? s.labels[i].toStdString() : "") + "\n";
            }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        error = "Cannot write " + file;
        return false;
    }
    return true;
}

}  // namespace varnodel::ui::plots
