// The Copy page (dialog 161) of the engine settings sheet: a view of
// CopySettingsModel.
#pragma once

#include "engine/window/settings/copy_settings.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QRadioButton;

class CCopyDlg : public QWidget {
public:
    explicit CCopyDlg(const _WNDRES *rec, QWidget *parent = nullptr);
    CopySettingsModel &model() { return model_; }
    // Writes the values (the sheet's OK or Apply).
    void Apply() { model_.Apply(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showValues();

    CopySettingsModel model_;
    QLineEdit *bitmap_, *metafile_;
    QLabel *unit_;
    QRadioButton *metric_, *inches_;
};
