// The raster dialog ("Raster Object"): a view of RasterDialogModel. Edits
// go to the model when they lose the focus, clicks at once; the widgets then
// show what the model holds.
#pragma once

#include "engine/view/dialogs/raster_dialog_model.h"

#include <QDialog>

#include <map>

class QCheckBox;
class QLineEdit;

class CRasterDlg : public QDialog {
public:
    // The template has a name ("RASTERDLG"), not a number: the dialog hook
    // sees this identifier, and the dialog's object name is the template's.
    static constexpr int kTemplateId = 0;

    CRasterDlg(RasterDialogModel &model, QWidget *parent = nullptr);
    // Runs the dialog: 1 when confirmed (the model has written the fields
    // to the copy), else 0.
    int DoModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readFields();
    void showState();

    RasterDialogModel &model_;
    std::map<int, QLineEdit *> edits_;
    std::map<int, QCheckBox *> checks_;
};
