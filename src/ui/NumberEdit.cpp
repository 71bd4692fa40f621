#include "ui/NumberEdit.h"

#include <QKeyEvent>

#include "core/NumberFormat.h"
#include "ui/GridKeys.h"

namespace varnodel::ui {

QString numberText(double value) {
    return QString::fromStdString(shortestGeneral(value));
}

NumberEdit::NumberEdit(Bounds bounds, QWidget* parent) : QLineEdit(parent), bounds_(bounds) {
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (blankAllowed_ && text().trimmed().isEmpty()) {
            clear();
            Q_EMIT cleared();
            return;
        }
        const double read = value();
        setText(numberText(read));
        Q_EMIT valueEdited(read);
    });
}

double NumberEdit::value() const {
    return parseBounded(text().toStdString(), bounds_.min, bounds_.max);
}

void NumberEdit::setValue(double value) {
    setText(numberText(value));
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);  // ends the editing
        return;
    }
    const KeyVerdict verdict = judgeKey(*event, text());
    if (verdict.pass) {
        QLineEdit::keyPressEvent(event);
    } else if (verdict.insert) {
        insert(*verdict.insert);
    }
}

}  // namespace varnodel::ui
