// The Page Setup dialog (template 173): paper, custom size, margins,
// orientation, scale, page origin and extension of one map window, shown
// over a PageSetupDialogModel that does the work.
#pragma once

#include "engine/window/page_setup/page_setup_dialog_model.h"
#include "platform/types.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QLabel;

inline constexpr int PAGE_SETUP_TEMPLATE = 173;

class PageSetupDialog : public QDialog {
public:
    explicit PageSetupDialog(PageSetupDialogModel &model, QWidget *parent = nullptr);

    PageSetupDialogModel &Model() { return model_; }
    // Shows what the model holds.
    void Refresh();

private:
    QLineEdit *addBox(PageSetupBox box, int id, int x, int y, int w, int h);
    QLabel *addLabel(const char *text, int id, int x, int y, int w, int h);
    void place(QWidget *w, int x, int y, int width, int height);
    void withWaitCursor(void (PageSetupDialogModel::*action)());

    PageSetupDialogModel &model_;
    double unitX_ = 1.5, unitY_ = 1.625; // pixels per dialog unit
    std::array<QLineEdit *, kPageSetupBoxCount> boxes_{};
    QComboBox *papers_ = nullptr;
    QLabel *widthLabel_ = nullptr;
    QLabel *heightLabel_ = nullptr;
    QRadioButton *portrait_ = nullptr;
    QRadioButton *landscape_ = nullptr;
    QPushButton *icon_ = nullptr;
    QPushButton *apply_ = nullptr;
};

// Runs the dialog modally over a new page setup of the window (undo flag as
// given, saving to the registry); the dialog's result, or 0 when the window
// has no record or no page.
int RunPageSetupDialog(HWND window, int undo);
