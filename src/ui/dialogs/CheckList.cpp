#include "ui/dialogs/CheckList.h"

#include <QSignalBlocker>

namespace varnodel::ui {

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* changed) { checkRow(row(changed)); });
    // A click on the name checks it as well as a click on its box.
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* clicked) { checkRow(row(clicked)); });
}

void CheckList::fill(const QStringList& names, int checked) {
    const QSignalBlocker quiet(this);
    clear();
    for (int r = 0; r < names.size(); ++r) {
        auto* item = new QListWidgetItem(names[r], this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(r == checked ? Qt::Checked : Qt::Unchecked);
    }
}

int CheckList::checkedRow() const {
    for (int r = 0; r < count(); ++r)
        if (item(r)->checkState() == Qt::Checked) return r;
    return -1;
}

// Unchecking the one checked item checks it again: one choice is always made.
void CheckList::checkRow(int row) {
    if (row < 0 || row >= count()) return;
    {
        const QSignalBlocker quiet(this);
        for (int r = 0; r < count(); ++r)
            item(r)->setCheckState(r == row ? Qt::Checked : Qt::Unchecked);
    }
    Q_EMIT rowChecked(row);
}

}  // namespace varnodel::ui
