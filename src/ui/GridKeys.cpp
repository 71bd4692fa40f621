#include "ui/GridKeys.h"

namespace varnodel::ui {

KeyVerdict judgeKey(const QKeyEvent& key, const QString& text) {
    switch (key.key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            return {true, {}};
        default:
            break;
    }
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {key.matches(QKeySequence::SelectAll) || key.matches(QKeySequence::Copy), {}};
    const QString typed = key.text();
    if (typed.size() != 1) return {};
    const QChar c = typed.front();
    if (c >= '0' && c <= '9') return {true, {}};
    if (c == '.') return text.contains('.') ? KeyVerdict{} : KeyVerdict{true, {}};
    if (c == ',') return text.contains('.') ? KeyVerdict{} : KeyVerdict{false, QString(".")};
    if (c == '-') return text.contains('-') ? KeyVerdict{} : KeyVerdict{true, {}};
    return {};
}

}  // namespace varnodel::ui
