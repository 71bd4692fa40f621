#include "ui/dialogs/_frm_trace_elements.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "core/SettingsRules.h"
#include "io/KdSetFile.h"

namespace varnodel::ui {

namespace {

constexpr int kElementColumn = 0;
constexpr int kValueColumn = 1;
constexpr int kFirstMineralColumn = 2;
constexpr const char* kKdSetFilter = "conf (*.conf);;all files (*.*)";

QString elementName(std::size_t element) {
    return element == kH2OElementIndex ? qText(kVolatileName)
                                       : qText(kTraces[element - 1].name).trimmed();
}

QString trimmed(const std::string& name) {
    return QString::fromStdString(name).trimmed();
}

}  // namespace

TTraceElementsForm::TTraceElementsForm(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Trace Elements", parent),
      trace_elements_(new QTableWidget(static_cast<int>(kTraceChoiceCount),
                                       kFirstMineralColumn + static_cast<int>(kMineralCount),
                                       this)),
      TraceSet_(new QGroupBox(this)),
      TraceSetLabel_(new QLabel(TraceSet_)),
      Kd_value_(new NumberEdit(kEntryDefault, TraceSet_)),
      TraceStringGrid_(new QTableWidget(0, 2, TraceSet_)) {
    trace_elements_->setObjectName("trace_elements");
    TraceSet_->setObjectName("TraceSet");
    TraceSetLabel_->setObjectName("TraceSetLabel");
    Kd_value_->setObjectName("Kd_value");
    TraceStringGrid_->setObjectName("TraceStringGrid");

    QStringList headers{"Element", "Value in ppm"};
    for (std::size_t m = 1; m <= kMineralCount; ++m)
        headers << qText(kPhases[m].name);
    trace_elements_->setHorizontalHeaderLabels(headers);
    trace_elements_->verticalHeader()->hide();
    trace_elements_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                     QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
    trace_elements_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    compactRows(trace_elements_);
    compactRows(TraceStringGrid_);
    TraceStringGrid_->setHorizontalHeaderLabels({"Models", "Elements"});
    TraceStringGrid_->verticalHeader()->hide();
    TraceStringGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TraceStringGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    TraceStringGrid_->horizontalHeader()->setStretchLastSection(true);

    auto* kdRow = new QHBoxLayout;
    kdRow->addWidget(new QLabel("Kd:", TraceSet_));
    kdRow->addWidget(Kd_value_);
    auto* panelLayout = new QVBoxLayout(TraceSet_);
    panelLayout->addWidget(TraceSetLabel_);
    panelLayout->addLayout(kdRow);
    panelLayout->addWidget(TraceStringGrid_);
    TraceSet_->setFixedWidth(300);
    TraceSet_->hide();

    auto* zero = new QPushButton("Set all traces to 0", this);
    auto* load = new QPushButton("Load Kd's from file", this);
    auto* save = new QPushButton("Save this set", this);
    zero->setObjectName("Set_all_traces_to_0");
    load->setObjectName("Load_Kd");
    save->setObjectName("Save_set");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {zero, load, save}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(trace_elements_);
    body->addWidget(TraceSet_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    addCloseButtons(layout, false);
    resize(1100, 720);

    connect(trace_elements_, &QTableWidget::cellClicked, this, &TTraceElementsForm::clickCell);
    connect(trace_elements_->horizontalHeader(), &QHeaderView::sectionClicked, TraceSet_,
            &QWidget::hide);
    connect(trace_elements_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (loading_ || item->column() != kValueColumn) return;
        const auto element = static_cast<std::size_t>(item->row()) + 1;
        TAnalysis* m = melt();
        if (element > kTraceCount || m == nullptr) return;
        const double ppm = parseBounded(item->text().toStdString(), kTracePpm.min, kTracePpm.max);
        m->traces[element - 1].value = ppm;
        // A content given here takes part in the run, as one given in a settings file does.
        if (ppm > 0.0) state().settings.active.traces[element - 1] = true;
        loading_ = true;
        item->setText(numberText(ppm));
        loading_ = false;
    });
    connect(Kd_value_, &QLineEdit::textEdited, this, [this] { setKd(Kd_value_->value()); });
    connect(Kd_value_, &NumberEdit::valueEdited, this, &TTraceElementsForm::setKd);
    connect(TraceStringGrid_, &QTableWidget::cellClicked, this,
            [this](int row, int) { chooseModel(row); });
    connect(zero, &QPushButton::clicked, this, [this] {
        if (TAnalysis* m = melt())
            for (TElement& trace : m->traces)
                trace.value = 0.0;
        this->load();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, "Load Kd's from file", {}, kKdSetFilter);
        if (!file.isEmpty()) loadKdSet(file);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, "Save this set", {}, kKdSetFilter);
        if (!file.isEmpty()) saveKdSet(file);
    });
}

TAnalysis* TTraceElementsForm::melt() const {
    auto& phases = state().composition.phases;
    for (auto it = phases.rbegin(); it != phases.rend(); ++it)
        if (it->name == phaseName(Phase::Melt)) return &*it;
    return nullptr;
}

QString TTraceElementsForm::mineralCell(std::size_t mineral, std::size_t element) const {
    const std::string& choice = state().settings.minerals[mineral].traceChoices[element - 1];
    if (element == kH2OElementIndex || choice == "Kd")
        return numberText(state().settings.kd.at(mineral, element));
    if (choice == "Model") {
        const TModel* model = state().slots[mineral];
        return model != nullptr ? trimmed(model->shortName) : QString("Model");
    }
    return trimmed(choice);
}

void TTraceElementsForm::refreshMineral(std::size_t mineral) {
    const int column = kFirstMineralColumn + static_cast<int>(mineral) - 1;
    for (std::size_t e = 1; e <= kTraceChoiceCount; ++e) {
        auto* item = new QTableWidgetItem(mineralCell(mineral, e));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        trace_elements_->setItem(static_cast<int>(e) - 1, column, item);
    }
}

void TTraceElementsForm::load() {
    loading_ = true;
    const TAnalysis* m = melt();
    for (std::size_t e = 1; e <= kTraceChoiceCount; ++e) {
        const int row = static_cast<int>(e) - 1;
        auto* name = new QTableWidgetItem(elementName(e));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        trace_elements_->setItem(row, kElementColumn, name);
        auto* value = new QTableWidgetItem(
            e == kH2OElementIndex ? QString("--")
                                  : numberText(m != nullptr ? m->traces[e - 1].value : 0.0));
        if (e == kH2OElementIndex) value->setFlags(value->flags() & ~Qt::ItemIsEditable);
        trace_elements_->setItem(row, kValueColumn, value);
    }
    for (std::size_t mineral = 1; mineral <= kMineralCount; ++mineral)
        refreshMineral(mineral);
    loading_ = false;
}

void TTraceElementsForm::clickCell(int row, int column) {
    if (row < 0 || row >= static_cast<int>(kTraceChoiceCount) || column < kFirstMineralColumn) {
        TraceSet_->hide();
        panelMineral_ = 0;
        return;
    }
    panelMineral_ = static_cast<std::size_t>(column - kFirstMineralColumn) + 1;
    panelElement_ = static_cast<std::size_t>(row) + 1;
    TraceSetLabel_->setText("Set Kd for " + elementName(panelElement_) + " in " +
                            qText(kPhases[panelMineral_].name));
    Kd_value_->setText(trace_elements_->item(row, column)->text());
    panelModels_.clear();
    for (const auto& model : state().registry().traceModels().models)
        if (model->forMineral[panelMineral_] && model->unavailable.empty())
            panelModels_.push_back(model.get());
    TraceStringGrid_->setRowCount(static_cast<int>(panelModels_.size()));
    for (std::size_t i = 0; i < panelModels_.size(); ++i) {
        QStringList elements;
        for (std::size_t e = 0; e < kTraceCount; ++e)
            if (panelModels_[i]->forTrace[e]) elements << elementName(e + 1);
        TraceStringGrid_->setItem(static_cast<int>(i), 0,
                                  new QTableWidgetItem(trimmed(panelModels_[i]->shortName)));
        TraceStringGrid_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(elements.join(",")));
    }
    TraceStringGrid_->setVisible(!panelModels_.empty());
    TraceSet_->show();
}

void TTraceElementsForm::setKd(double value) {
    if (panelMineral_ == 0) return;
    state().settings.kd.at(panelMineral_, panelElement_) = value;
    state().settings.minerals[panelMineral_].traceChoices[panelElement_ - 1] = "Kd";
    refreshMineral(panelMineral_);
}

void TTraceElementsForm::chooseModel(int row) {
    if (panelMineral_ == 0 || row < 0 || row >= static_cast<int>(panelModels_.size())) return;
    const TModel& model = *panelModels_[static_cast<std::size_t>(row)];
    auto& choices = state().settings.minerals[panelMineral_].traceChoices;
    for (std::size_t e = 0; e < kTraceCount; ++e)
        if (model.forTrace[e]) choices[e] = model.shortName;
    refreshMineral(panelMineral_);
}

void TTraceElementsForm::loadKdSet(const QString& file) {
    try {
        const KdSetLoad loaded = readKdSetFile(state(), std::filesystem::path(file.toStdString()));
        if (!loaded.skipped.empty() && context_.message) {
            QString text = "Some entries of the Kd set were not used:";
            for (const std::string& entry : loaded.skipped)
                text += "\n" + QString::fromStdString(entry);
            context_.message(text);
        }
    } catch (const std::exception& e) {
        if (context_.message) context_.message(QString::fromUtf8(e.what()));
    }
    load();
}

void TTraceElementsForm::saveKdSet(const QString& file) {
    try {
        writeKdSetFile(state(), std::filesystem::path(file.toStdString()));
    } catch (const std::exception& e) {
        if (context_.message)
            context_.message("Cannot write the Kd set file " + file + ": " +
                             QString::fromUtf8(e.what()));
    }
}

}  // namespace varnodel::ui
