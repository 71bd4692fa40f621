#include "ui/dialogs/_frm_oxygen_buffers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

Tfrm_oxygen_buffers::Tfrm_oxygen_buffers(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Oxygen Buffers", parent),
      lst_buffers_(new CheckList(this)),
      shift_(new NumberEdit(kBufferShift, this)) {
    lst_buffers_->setObjectName("lst_buffers");
    shift_->setObjectName("Edit1");
    shift_->setText("0.0");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Buffer shift (log units):", this));
    row->addWidget(shift_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lst_buffers_);
    layout->addLayout(row);
    addCloseButtons(layout);
    connect(lst_buffers_, &CheckList::rowChecked, this, [this](int r) {
        if (isFe3FreeBuffer(lst_buffers_->item(r)->text().toStdString())) shift_->setText("0.0");
    });
}

void Tfrm_oxygen_buffers::load() {
    const THash& buffers = state().registry().bufferTable();
    QStringList names;
    int checked = -1;
    for (std::size_t i = 0; i < buffers.count(); ++i) {
        names << QString::fromStdString(buffers.keyAt(i));
        if (checked < 0 && buffers.keyAt(i) == parameters().bufferModel)
            checked = static_cast<int>(i);
    }
    lst_buffers_->fill(names, checked);
    dropShiftOfFe3Zero(parameters());
    const double shift = parameters().bufferOffset;
    if (shift == 0.0)
        shift_->setText("0.0");
    else
        shift_->setValue(shift);
}

void Tfrm_oxygen_buffers::store() {
    TParameters& p = parameters();
    p.bufferMode = true;
    p.equationMode = p.fixedRatioMode = p.closedSystemMode = false;
    const int row = lst_buffers_->checkedRow();
    if (row >= 0)
        p.bufferModel = state().registry().bufferTable().keyAt(static_cast<std::size_t>(row));
    p.bufferOffset = shift_->value();
    dropShiftOfFe3Zero(p);
}

}  // namespace varnodel::ui
