// The keys that the composition grids and the numeric entries of the main window take: digits
// and Backspace, one decimal point (a comma becomes the point), one minus sign; everything else
// is dropped. The grids also take Enter (next column) and Ctrl+V (paste).
#pragma once

#include <QKeyEvent>
#include <QString>
#include <optional>

namespace varnodel::ui {

// What to do with a key pressed in a cell or entry that holds `text`: nothing (let the editor
// handle it: digits, Backspace, navigation), a replacement text to insert (the point for a
// comma), or drop it (an empty optional inside). Keys the rules do not cover are dropped.
struct KeyVerdict {
    bool pass = false;              // the editor handles the key as it is
    std::optional<QString> insert;  // insert this text instead
};

KeyVerdict judgeKey(const QKeyEvent& key, const QString& text);

}  // namespace varnodel::ui
