// The identifier dialog ("Identifiers"): a view of IdentifierDialogModel.
// Edits, list choices and clicks go to the model; the widgets show what the
// model holds after each of them.
#pragma once

#include "engine/window/dialogs/identifier_dialog_model.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CIdDlg : public QDialog {
public:
    // The template has a name ("IDDlg"), not a number: the dialog hook sees
    // this identifier, and the dialog's object name is the template's.
    static constexpr int kTemplateId = 0;

    CIdDlg(IdentifierDialogModel &model, QWidget *parent = nullptr);
    // Runs the dialog; OK applies through the model, anything else undoes
    // what the dialog did. 1 for OK, else 0.
    int DoModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showState();
    void listSelectionChanged();

    IdentifierDialogModel &model_;
    QLineEdit *code_, *name_;
    QListWidget *list_;
    QRadioButton *codeFirst_, *nameFirst_;
    QCheckBox *showCode_, *showName_;
    QPushButton *delete_;
};

// Runs the identifier dialog for the window: 0 (with a beep) when more than
// one object is selected, else 1 after the dialog, whatever it ended with.
// Tells the window of a changed selection count.
int IdDlgSettings(HWND window);
