#include "ui/plots/PlotsWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "core/Composition.h"
#include "core/Errors.h"

namespace varnodel::ui::plots {

PlotsWindow::PlotsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Plots");
    setObjectName("PlotsWindow");
    resize(1100, 750);
    files_ = new QListWidget;
    files_->setObjectName("PlotFiles");
    family_ = new QComboBox;
    family_->setObjectName("PlotChart");
    x_ = new QComboBox;
    x_->setObjectName("PlotX");
    x_->addItems({"MgO", "SiO2"});
    y_ = new QListWidget;
    y_->setObjectName("PlotY");
    for (const OxideInfo& oxide : kOxides) {
        auto* item = new QListWidgetItem(
            QString::fromUtf8(oxide.label.data(), qsizetype(oxide.label.size())).trimmed(), y_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    auto* h2o = new QListWidgetItem("H2O", y_);
    h2o->setFlags(h2o->flags() | Qt::ItemIsUserCheckable);
    h2o->setCheckState(Qt::Checked);
    grid_ = new PlotGrid;
    status_ = new QLabel;
    status_->setObjectName("PlotStatus");
    status_->setWordWrap(true);

    auto* open = new QPushButton("Open result file...");
    auto* png = new QPushButton("Export PNG...");
    auto* svg = new QPushButton("Export SVG...");
    auto* csv = new QPushButton("Export points (CSV)...");
    auto* side = new QVBoxLayout;
    side->addWidget(open);
    side->addWidget(new QLabel("Result files (ticked ones are overlaid):"));
    side->addWidget(files_, 1);
    side->addWidget(new QLabel("Chart:"));
    side->addWidget(family_);
    side->addWidget(new QLabel("Harker diagrams against:"));
    side->addWidget(x_);
    side->addWidget(new QLabel("Harker diagrams of:"));
    side->addWidget(y_, 1);
    side->addWidget(png);
    side->addWidget(svg);
    side->addWidget(csv);
    auto* main = new QVBoxLayout;
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(grid_);
    main->addWidget(scroll, 1);
    main->addWidget(status_);
    auto* all = new QHBoxLayout(this);
    all->addLayout(side);
    all->addLayout(main, 1);

    pending_.setSingleShot(true);
    pending_.setInterval(250);  // a run writes several files per step: one redraw for them all
    connect(&pending_, &QTimer::timeout, this, &PlotsWindow::reload);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { pending_.start(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { pending_.start(); });
    connect(files_, &QListWidget::itemChanged, this, [this] {
        if (!updating_) {
            updateChoices();
            redraw();
        }
    });
    connect(family_, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_) redraw();
    });
    connect(x_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(y_, &QListWidget::itemChanged, this, [this] { redraw(); });
    connect(open, &QPushButton::clicked, this, [this] {
        for (const QString& file : QFileDialog::getOpenFileNames(
                 this, "Open result file", {}, "Result files (*.csv);;All files (*)"))
            openResultFile(file);
    });
    const auto exporter = [this](const QString& filter, const QString& suffix, bool points) {
        return [this, filter, suffix, points] {
            QString file = QFileDialog::getSaveFileName(this, "Export", {}, filter);
            if (file.isEmpty()) return;
            if (!file.endsWith(suffix, Qt::CaseInsensitive)) file += suffix;
            points ? exportPoints(file) : exportImage(file);
        };
    };
    connect(png, &QPushButton::clicked, this, exporter("PNG image (*.png)", ".png", false));
    connect(svg, &QPushButton::clicked, this, exporter("SVG image (*.svg)", ".svg", false));
    connect(csv, &QPushButton::clicked, this, exporter("Points (*.csv)", ".csv", true));
}

void PlotsWindow::readSource(Source& source) {
    source.problem.clear();
    try {
        source.table = std::make_unique<ResultTable>(readResultTable(source.file.toStdString()));
    } catch (const EVarnodelError& e) {
        source.table.reset();
        source.problem = QString::fromStdString(e.what());
    }
}

bool PlotsWindow::openResultFile(const QString& file) {
    for (Source& s : sources_)
        if (s.file == file) {
            readSource(s);
            redraw();
            return s.table != nullptr;
        }
    Source source{file, nullptr, {}};
    readSource(source);
    if (!source.table) {
        status_->setText(source.problem);
        return false;
    }
    sources_.push_back(std::move(source));
    watch(file);
    updateChoices();
    redraw();
    return true;
}

void PlotsWindow::follow(const QString& file) {
    if (std::none_of(sources_.begin(), sources_.end(), [&](auto& s) { return s.file == file; }))
        sources_.push_back({file, nullptr, {}});
    watch(file);
    reload();
}

void PlotsWindow::watch(const QString& file) {
    // The folder too: a new run deletes the file and writes it again.
    watcher_.addPath(QFileInfo(file).absolutePath());
    if (QFileInfo::exists(file)) watcher_.addPath(file);
}

void PlotsWindow::reload() {
    for (Source& s : sources_) {
        readSource(s);
        if (s.table && !watcher_.files().contains(s.file)) watcher_.addPath(s.file);
    }
    updateChoices();
    redraw();
}

std::vector<const ResultTable*> PlotsWindow::shownTables() const {
    std::vector<const ResultTable*> tables;
    for (int i = 0; i < files_->count() && i < static_cast<int>(sources_.size()); ++i)
        if (files_->item(i)->checkState() == Qt::Checked && sources_[std::size_t(i)].table)
            tables.push_back(sources_[std::size_t(i)].table.get());
    return tables;
}

void PlotsWindow::updateChoices() {
    updating_ = true;
    while (files_->count() > static_cast<int>(sources_.size()))
        delete files_->takeItem(files_->count() - 1);
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        const Source& s = sources_[i];
        if (static_cast<int>(i) >= files_->count()) {
            auto* item = new QListWidgetItem(files_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
        QListWidgetItem* item = files_->item(static_cast<int>(i));
        const QString name = QFileInfo(s.file).fileName();
        item->setText(s.table ? name + " (" +
                                    QString::fromUtf8(resultKindName(s.table->kind).data()) + ")"
                              : name + " (waiting for rows)");
        item->setToolTip(s.table ? s.file : s.problem);
    }
    // The trace elements the shown tables hold join the choice, unticked.
    for (const ResultTable* t : shownTables())
        for (const ResultColumn& c : t->columns) {
            QString name = QString::fromStdString(c.name);
            if (name.endsWith("_melt")) name.chop(5);
            const bool trace = std::any_of(kTraces.begin(), kTraces.end(), [&](const auto& e) {
                return QString::fromUtf8(e.name.data(), qsizetype(e.name.size())).trimmed() == name;
            });
            if (trace && y_->findItems(name, Qt::MatchExactly).isEmpty()) {
                auto* item = new QListWidgetItem(name, y_);
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            }
        }
    QList<ChartFamily> families;
    for (const ResultTable* t : shownTables())
        for (ChartFamily f : familiesFor(*t))
            if (!families.contains(f)) families.append(f);
    const QVariant current = family_->currentData();
    family_->clear();
    for (ChartFamily f : families)
        family_->addItem(familyInfo(f).title, static_cast<int>(f));
    const int keep = family_->findData(current);
    family_->setCurrentIndex(keep >= 0 ? keep : 0);
    updating_ = false;
}

void PlotsWindow::setFamily(ChartFamily family) {
    const int at = family_->findData(static_cast<int>(family));
    if (at >= 0) family_->setCurrentIndex(at);
}

void PlotsWindow::setHarkerX(const QString& x) {
    x_->setCurrentText(x);
}

void PlotsWindow::redraw() {
    const std::vector<const ResultTable*> tables = shownTables();
    if (tables.empty() || family_->currentIndex() < 0) {
        grid_->setPanels({});
        bool waiting = false;
        for (const Source& s : sources_)
            waiting = waiting || !s.table;
        status_->setText(waiting ? "Waiting for the run's first rows" : "No result file open");
        return;
    }
    PlotOptions options;
    options.x = x_->currentText();
    bool all = true;
    for (int i = 0; i < y_->count(); ++i) {
        // The first rows are the oxides and H2O, the traces follow.
        const bool ticked = y_->item(i)->checkState() == Qt::Checked;
        all = all && (i < qsizetype(kOxides.size()) + 1 ? ticked : !ticked);
        if (y_->item(i)->checkState() == Qt::Checked &&
            y_->item(i)->text().compare(options.x, Qt::CaseInsensitive) != 0)
            options.y.append(y_->item(i)->text());
    }
    // All ticked: the oxides the analyses hold, without the empty panels of the others.
    if (all) options.y.clear();
    try {
        grid_->setPanels(
            buildPanels(static_cast<ChartFamily>(family_->currentData().toInt()), tables, options));
        qsizetype points = 0;
        for (const PlotPanel& p : grid_->panels())
            for (const PlotSeries& s : p.series)
                points += s.points.size();
        status_->setText(QString::number(tables.size()) + " file(s), " + QString::number(points) +
                         " points");
    } catch (const EVarnodelError& e) {
        grid_->setPanels({});
        status_->setText(QString::fromStdString(e.what()));
    }
}

bool PlotsWindow::exportImage(const QString& file, QSize size) {
    QString error;
    const bool ok =
        plots::exportImage(panels(), file, size.isValid() ? size : grid_->size(), error);
    status_->setText(ok ? "Written " + file : error);
    return ok;
}

bool PlotsWindow::exportPoints(const QString& file) {
    QString error;
    const bool ok = plots::exportPoints(panels(), file, error);
    status_->setText(ok ? "Written " + file : error);
    return ok;
}

}  // namespace varnodel::ui::plots
