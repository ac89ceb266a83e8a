// Modal dialogs. Every modal dialog of the engine runs through
// RunModalDialog, behind one hook that tests (and any caller that must not
// block) set to fill in fields and answer in place of a person. Without a
// hook the dialog runs its own event loop when a screen is there; otherwise
// (offscreen, no application) it is cancelled at once.
//
// Dialog controls carry their numeric identifier as object name, so a hook
// finds them with DialogItem as a dialog procedure would with GetDlgItem.
#pragma once

#include "platform/types.h"

#include <functional>

class QDialog;
class QWidget;

// The hook sees the dialog, already built and filled, and its template
// number; it returns the dialog's result (IDOK, IDCANCEL or a dialog's own
// code). It may change fields or click buttons first.
using ModalDialogHook = std::function<int(QDialog &dialog, int templateId)>;
// Installs a hook (an empty one removes it); returns the previous hook.
ModalDialogHook SetModalDialogHook(ModalDialogHook hook);

// Shows the dialog modally and returns its result: the code it was ended
// with (QDialog::done), where a plain reject (0) counts as IDCANCEL.
int RunModalDialog(QDialog &dialog, int templateId);

// Names a control by its identifier.
void SetDialogItemId(QWidget *control, int id);
// The control of that identifier inside the dialog, or null.
QWidget *DialogItem(const QWidget *dialog, int id);
template <class W>
W *DialogItemAs(const QWidget *dialog, int id)
{
    return dynamic_cast<W *>(DialogItem(dialog, id));
}

// True when a dialog can be shown to a person: a widget application on a
// real screen (not offscreen or minimal).
bool CanShowDialogs();
