// Panels drawn with Qt Charts: on screen in a grid of chart views, and to PNG, SVG and CSV.
#pragma once

#include <QChart>
#include <QList>
#include <QSize>
#include <QWidget>

#include "ui/plots/PlotData.h"

namespace varnodel::ui::plots {

// A chart of one panel; the caller owns it.
QChart* makeChart(const PlotPanel& panel, bool legend = true);

// The panels side by side, as many columns as rows (or one more).
class PlotGrid : public QWidget {
    Q_OBJECT
  public:
    explicit PlotGrid(QWidget* parent = nullptr);
    void setPanels(const QList<PlotPanel>& panels);
    const QList<PlotPanel>& panels() const { return panels_; }
    QList<QChart*> charts() const;

  private:
    QList<PlotPanel> panels_;
};

// The size of an image of `count` panels when none is asked for.
QSize defaultImageSize(qsizetype count);

// Writes the panels as an image: SVG when the name ends in ".svg", else PNG. False (and a
// reason in `error`) when the file cannot be written.
bool exportImage(const QList<PlotPanel>& panels, const QString& file, QSize size, QString& error);

// Writes every point: "Chart,Series,X,Y,Point", one row a point.
bool exportPoints(const QList<PlotPanel>& panels, const QString& file, QString& error);

}  // namespace varnodel::ui::plots
