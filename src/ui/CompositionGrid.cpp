#include "ui/CompositionGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "core/NumberFormat.h"
#include "ui/GridKeys.h"
#include "ui/NumberEdit.h"

namespace varnodel::ui {

namespace {

const QString kNotDetermined = "n.d.";

// The cell editor: the grid's key rules, and Enter passes the edit on to the next column.
class CellEditor : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const KeyVerdict verdict = judgeKey(*event, text());
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            QLineEdit::keyPressEvent(event);
        } else if (verdict.pass) {
            QLineEdit::keyPressEvent(event);
        } else if (verdict.insert) {
            insert(*verdict.insert);
        }
    }
};

class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return new CellEditor(parent);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data().toString();
        static_cast<QLineEdit*>(editor)->setText(text == kNotDetermined ? QString() : text);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const double value = parseBounded(static_cast<QLineEdit*>(editor)->text().toStdString());
        model->setData(index, numberText(value));
    }
};

}  // namespace

CompositionGrid::CompositionGrid(QWidget* parent) : QTableWidget(1, kColumns, parent) {
    QStringList headers;
    for (const auto& oxide : kOxides)
        headers << QString::fromUtf8(oxide.label.data(), static_cast<int>(oxide.label.size()))
                       .trimmed();
    headers << QString::fromUtf8(kVolatileName.data(), static_cast<int>(kVolatileName.size()));
    setHorizontalHeaderLabels(headers);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setItemDelegate(new CellDelegate(this));
    setFixedHeight(horizontalHeader()->sizeHint().height() + rowHeight(0) + 2 * frameWidth());
    for (int c = 0; c < kColumns; ++c)
        setItem(0, c, new QTableWidgetItem());
    connect(this, &QTableWidget::itemChanged, this, [this] {
        if (!loading_) Q_EMIT edited();
    });
}

void CompositionGrid::setCell(int column, const QString& text) {
    item(0, column)->setText(text);
}

void CompositionGrid::show(const TAnalysis& melt) {
    loading_ = true;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        setCell(static_cast<int>(i),
                melt.notDetermined[i] ? kNotDetermined : numberText(melt.oxides[i]));
    setCell(kColumns - 1,
            melt.volatile_.value >= 0.0 ? numberText(melt.volatile_.value) : kNotDetermined);
    loading_ = false;
}

void CompositionGrid::storeInto(TAnalysis& melt) const {
    for (int c = 0; c < kColumns; ++c) {
        const QString text = item(0, c)->text();
        const bool notDetermined = text == kNotDetermined;
        const double value = notDetermined ? 0.0 : parseBounded(text.toStdString());
        if (c + 1 < kColumns) {
            melt.oxides[static_cast<std::size_t>(c)] = value;
            melt.notDetermined[static_cast<std::size_t>(c)] = notDetermined;
        } else {
            melt.volatile_.value = notDetermined ? -1.0 : value;
        }
    }
}

void CompositionGrid::paste(const QString& text) {
    QChar separator = '\t';
    for (const QChar c : text.trimmed())
        if (c == '\t' || c == ',' || c == ';' || c == '|') {
            separator = c;
            break;
        }
    const QStringList fields = text.trimmed().split(separator);
    loading_ = true;
    for (int c = 0; c < kColumns && c < fields.size(); ++c)
        setCell(c, numberText(parseBounded(fields[c].toStdString())));
    loading_ = false;
    Q_EMIT edited();
}

void CompositionGrid::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        QClipboard* clipboard = QApplication::clipboard();
        const QString text = clipboard->text();
        clipboard->clear();
        paste(text);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState) {
        if (currentColumn() + 1 < kColumns) setCurrentCell(0, currentColumn() + 1);
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace varnodel::ui
