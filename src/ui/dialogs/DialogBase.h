// What every settings dialog shares: it reads the run settings when it is shown and writes them
// back when it is hidden, whichever button closed it ("Ok" and "Cancel" both only close), so a
// change stays in force and nothing needs applying.
#pragma once

#include <QBoxLayout>
#include <QDialog>
#include <QString>
#include <QTableView>
#include <functional>
#include <string_view>

#include "models/RunState.h"

namespace varnodel::ui {

// The settings the dialogs edit, the mineral (1-8) the mineral dialogs are open for, and how
// they tell the user of a file they could not read or write.
struct DialogContext {
    RunState& state;
    std::size_t mineral = 1;
    std::function<void(const QString&)> message;
};

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsDialog(DialogContext& context, const QString& caption, QWidget* parent);

    // Shows the settings again, as on opening.
    virtual void load() = 0;

  Q_SIGNALS:
    // The dialog has written its settings (it was hidden).
    void stored();

  protected:
    virtual void store() = 0;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // "Ok" and "Cancel" at the foot of `layout`; both close the dialog.
    void addCloseButtons(QBoxLayout* layout, bool withCancel = true);

    RunState& state() const { return context_.state; }
    std::size_t mineral() const { return context_.mineral; }
    TMineralOptions& mineralOptions() const { return state().settings.minerals[mineral()]; }
    TParameters& parameters() const { return state().settings.parameters; }

    DialogContext& context_;
};

inline QString qText(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Rows as high as their text: the grids of the dialogs show many rows at once.
void compactRows(QTableView* grid);

// Opens `dialog` over whatever is open; it stays until closed.
void openDialog(QDialog* dialog);

}  // namespace varnodel::ui
