// The starting-composition grid of a tab: the twelve oxides and H2O in wt%, "n.d." where a value
// was not determined. Keys by the grid rules; Enter moves to the next column; Ctrl+V pastes a
// row of numbers (tab, comma, semicolon or bar separated) from the first column on.
#pragma once

#include <QTableWidget>

#include "core/Composition.h"

namespace varnodel::ui {

class CompositionGrid : public QTableWidget {
    Q_OBJECT
  public:
    static constexpr int kColumns = static_cast<int>(kOxideCount) + 1;  // the oxides, then H2O

    explicit CompositionGrid(QWidget* parent = nullptr);

    void show(const TAnalysis& melt);
    // The grid's values written into `melt` (wt%); the cells the user has not touched keep
    // their "n.d." marks.
    void storeInto(TAnalysis& melt) const;
    // Pastes `text` as Ctrl+V does (for the clipboard and for tests).
    void paste(const QString& text);

  Q_SIGNALS:
    void edited();  // a value was changed by the user

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void setCell(int column, const QString& text);
    bool loading_ = false;
};

}  // namespace varnodel::ui
