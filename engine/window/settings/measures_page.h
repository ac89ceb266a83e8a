// The Measures page (dialog 5558) of the engine settings sheet: a view of
// MeasuresSettingsModel.
#pragma once

#include "engine/window/settings/measures_settings.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

class CMeasureDlg : public QWidget {
public:
    explicit CMeasureDlg(_WNDRES *rec, QWidget *parent = nullptr);
    MeasuresSettingsModel &model() { return model_; }
    // Takes the controls' values, writes them and shows the sizes read back
    // (the sheet's OK or Apply).
    void Apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showSizes();

    MeasuresSettingsModel model_;
    QComboBox *area_, *length_, *zone_;
    QLineEdit *digits_, *sizeX_, *sizeY_;
    QLabel *unitX_, *unitY_;
};
