// The "Plots" window: the charts of result files opened from disk and of the run in progress,
// overlaid, redrawn as the run writes its rows, exported as PNG, SVG or the points as CSV.
#pragma once

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/plots/PlotData.h"
#include "ui/plots/PlotRender.h"

namespace varnodel::ui::plots {

class PlotsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PlotsWindow(QWidget* parent = nullptr);

    // Adds a result file to the overlay; false, with the reason in the status line, when it is
    // not one.
    bool openResultFile(const QString& file);
    // Follows the result file of a run: it is read again whenever it changes, and may not
    // exist yet.
    void follow(const QString& file);
    // Reads every file again and redraws.
    void reload();

    void setFamily(ChartFamily family);
    void setHarkerX(const QString& x);
    const QList<PlotPanel>& panels() const { return grid_->panels(); }
    PlotGrid* grid() const { return grid_; }
    QString status() const { return status_->text(); }

    bool exportImage(const QString& file, QSize size = {});
    bool exportPoints(const QString& file);

  private:
    struct Source {
        QString file;
        std::unique_ptr<ResultTable> table;  // null while the file cannot be read
        QString problem;
    };
    void readSource(Source& source);
    void redraw();
    void updateChoices();
    void watch(const QString& file);
    std::vector<const ResultTable*> shownTables() const;

    std::vector<Source> sources_;
    QListWidget* files_;
    QComboBox* family_;
    QComboBox* x_;
    QListWidget* y_;
    PlotGrid* grid_;
    QLabel* status_;
    QFileSystemWatcher watcher_;
    QTimer pending_;
    bool updating_ = false;
};

}  // namespace varnodel::ui::plots
