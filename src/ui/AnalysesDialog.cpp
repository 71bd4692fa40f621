#include "ui/AnalysesDialog.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "ui/NumberEdit.h"
#include "ui/RunSetup.h"

namespace varnodel::ui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size())).trimmed();
}

constexpr int kLeastRows = 12;

}  // namespace

AnalysesDialog::AnalysesDialog(RunState& state, QWidget* parent)
    : QDialog(parent), state_(state), grid_(new QTableWidget(this)) {
    setWindowTitle("Select analyse");
    grid_->setObjectName("AnalyseGrid");
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    resize(900, 420);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (!chooseAnalysis(state_, static_cast<std::size_t>(row) + 1)) return;
        Q_EMIT chosen();
        accept();
    });
}

void AnalysesDialog::load(const PresentElements& present) {
    QStringList headers{"Name"};
    for (const auto& oxide : kOxides)
        headers << text(oxide.label);
    if (present.h2o) headers << "H2O";
    for (const std::size_t trace : present.traces)
        headers << text(kTraces[trace - 1].name);
    const int rows = std::max<int>(kLeastRows, static_cast<int>(state_.analyses.size()));
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(headers.size()));
    grid_->setRowCount(rows);
    grid_->setHorizontalHeaderLabels(headers);
    for (std::size_t r = 0; r < state_.analyses.size(); ++r) {
        const TAssemblage& analysis = state_.analyses[r];
        const TAnalysis& melt = meltOf(analysis);
        const int row = static_cast<int>(r);
        int column = 0;
        grid_->setItem(row, column++, new QTableWidgetItem(QString::fromStdString(analysis.name)));
        for (const double oxide : melt.oxides)
            grid_->setItem(row, column++, new QTableWidgetItem(numberText(oxide)));
        if (present.h2o)
            grid_->setItem(
                row, column++,
                new QTableWidgetItem(melt.volatile_.value >= 0.0 ? numberText(melt.volatile_.value)
                                                                 : QString("n.d.")));
        for (const std::size_t trace : present.traces)
            grid_->setItem(row, column++,
                           new QTableWidgetItem(numberText(melt.traces[trace - 1].value)));
    }
    grid_->resizeColumnsToContents();
}

}  // namespace varnodel::ui
