#include "ui/dialogs/DialogBase.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>

namespace varnodel::ui {

SettingsDialog::SettingsDialog(DialogContext& context, const QString& caption, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(caption);
    setModal(true);
}

// A window restored from the task bar is no new opening, nor a minimised one a closing.
void SettingsDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) load();
    QDialog::showEvent(event);
}

void SettingsDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    store();
    Q_EMIT stored();
}

void SettingsDialog::addCloseButtons(QBoxLayout* layout, bool withCancel) {
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    ok->setObjectName("Ok");
    ok->setAutoDefault(false);
    if (withCancel) {
        QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
        cancel->setObjectName("Cancel");
        cancel->setAutoDefault(false);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void compactRows(QTableView* grid) {
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
}

void openDialog(QDialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace varnodel::ui
