// The trace window: the trace lines in a fixed-pitch memo, and buttons to
// suspend or resume tracing, hide the window, save the shown lines and
// clear them. It is made hidden when the log starts and shown on demand;
// hiding it does not stop tracing.
#pragma once

#include "editor/shell/support/tracer_model.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TTracerForm : public QWidget {
public:
    explicit TTracerForm(QWidget *parent = nullptr);

    TTracerModel &Model() { return model_; }

    QPlainTextEdit *Memo() const { return memo_; }
    QPushButton *ActivateButton() const { return cmdActivate_; }

    // Flips tracing, writes the mark and names the button "Resume" while
    // suspended, "Suspend" while tracing.
    void cmdActivateClick();
    // Asks for a file ("Trace.txt" proposed) and writes the shown lines to it
    // as plain text; false when cancelled or not written.
    bool cmdSaveClick();
    // Empties the shown lines; the log file is not touched.
    void cmdClearClick();
    // Closes the window; it stays alive and keeps collecting lines.
    void cmdHideClick();

private:
    TTracerModel model_;
    QPlainTextEdit *memo_ = nullptr;
    QPushButton *cmdActivate_ = nullptr;
};
