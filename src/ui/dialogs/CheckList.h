// A list of names of which exactly one is checked, as the oxidation-model and buffer dialogs
// show their choices.
#pragma once

#include <QListWidget>

namespace varnodel::ui {

class CheckList : public QListWidget {
    Q_OBJECT
  public:
    explicit CheckList(QWidget* parent = nullptr);
    // The items `names`, the one at `checked` (if any) checked.
    void fill(const QStringList& names, int checked);
    int checkedRow() const;
    void checkRow(int row);

  Q_SIGNALS:
    void rowChecked(int row);
};

}  // namespace varnodel::ui
