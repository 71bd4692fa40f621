#include "ui/dialogs/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnodel::ui {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Varnodel");
    setModal(true);
    auto* title = new QLabel(QString("<h2>Varnodel ") + VARNODEL_VERSION + "</h2>", this);
    auto* text = new QLabel(
        "Models how a silicate melt evolves as minerals crystallise from it or are added back "
        "to it: forward fractional crystallisation, reverse crystallisation, the melt's "
        "liquidus mineral association and the Fe-loss reconstruction of melt inclusions in "
        "olivine, with published mineral-melt equilibrium models.",
        this);
    text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Ok", QDialogButtonBox::AcceptRole)->setObjectName("Ok");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(420, 200);
}

}  // namespace varnodel::ui
