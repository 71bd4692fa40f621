// The about box: the program, its version and what it models.
#pragma once

#include <QDialog>

namespace varnodel::ui {

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace varnodel::ui
