// Pieces every tab is built from: a setting shown as a link that opens its dialog, and the
// library's texts as Qt strings.
#pragma once

#include <QPushButton>
#include <QString>
#include <QTableWidget>
#include <string_view>

namespace varnodel::ui {

QString qText(std::string_view text);

// A flat, left-aligned button that shows a setting's current value; a click asks for its dialog.
QPushButton* dialogLink(const QString& objectName, QWidget* parent);

// A grid of a few fixed rows made just tall enough for all of them, so it never scrolls.
void fitRows(QTableWidget* grid);

}  // namespace varnodel::ui
