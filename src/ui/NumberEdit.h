// A numeric entry of the main window: keys by the grid rules, the text read by the number
// entry rule (trailing characters dropped, clamped to the entry's bounds) when editing ends,
// and written back as the value read.
#pragma once

#include <QLineEdit>

#include "core/SettingsRules.h"

namespace varnodel::ui {

class NumberEdit : public QLineEdit {
    Q_OBJECT
  public:
    // For an entry whose bounds follow another choice (the stop dialog's one value).
    void setBounds(Bounds bounds) { bounds_ = bounds; }
    explicit NumberEdit(Bounds bounds, QWidget* parent = nullptr);
    double value() const;
    void setValue(double value);
    // A field that may be left blank ("not given"): a blank text stays blank and is reported by
    // `cleared` instead of reading as a number.
    void setBlankAllowed(bool allowed) { blankAllowed_ = allowed; }

  Q_SIGNALS:
    // The user finished editing; `value` is the number as the rule read it.
    void valueEdited(double value);
    void cleared();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Bounds bounds_;
    bool blankAllowed_ = false;
};

// The text a number is shown with in entries and grids: the shortest that reads back the same.
QString numberText(double value);

}  // namespace varnodel::ui
