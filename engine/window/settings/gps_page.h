// The GPS page (dialog 176) of the engine settings sheet: a view of
// GpsSettingsModel with the port monitor behind its "Spy" button.
#pragma once

#include "engine/window/settings/gps_settings.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class CGPSDlg : public QWidget {
public:
    static constexpr int kSpeedId = 1296, kStopBitsId = 1303, kDataBitsId = 1304, kParityId = 1305,
                         kPortId = 1302, kSymbolId = 1291, kSpinId = 1014, kProjectionId = 1290,
                         kSelectProjectionId = 1289, kSpyId = 1299;

    explicit CGPSDlg(_WNDRES *rec, QWidget *parent = nullptr);
    GpsSettingsModel &model() { return model_; }
    CGPSPortParams &portParams() { return params_; }

    // Takes the lists' selections, saves and tells the map window.
    void Apply();
    // "Spy": the port monitor on the selected port.
    int OnSpy();
    // The symbol button: the font chooser on the marker's LOGFONT.
    void OnSymbol();
    void OnSelectProjection();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showValues();
    void takeControls();
    void makeMarkerFont();

    _WNDRES *rec_;
    GpsSettingsModel model_;
    CGPSPortParams params_;
    QComboBox *speed_, *stop_, *bits_, *parity_, *port_;
    QPushButton *symbol_;
    QSpinBox *spin_;
    QLabel *projection_;
};

// The template number the hook sees for the marker's font chooser.
inline constexpr int kMarkerFontChooserTemplate = 0;
