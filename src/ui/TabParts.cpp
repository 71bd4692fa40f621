#include "ui/TabParts.h"

#include <QHeaderView>

namespace varnodel::ui {

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QPushButton* dialogLink(const QString& objectName, QWidget* parent) {
    auto* link = new QPushButton(parent);
    link->setObjectName(objectName);
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    // Reads like the label of a setting, not like a command.
    link->setStyleSheet("QPushButton { text-align: left; color: palette(link); padding: 1px; }");
    return link;
}

void fitRows(QTableWidget* grid) {
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 10);
    int height = grid->horizontalHeader()->sizeHint().height() + 2 * grid->frameWidth();
    for (int row = 0; row < grid->rowCount(); ++row)
        height += grid->rowHeight(row);
    grid->setFixedHeight(height);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

}  // namespace varnodel::ui
