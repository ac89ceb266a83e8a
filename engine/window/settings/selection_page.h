// The Selection page (dialog 5556) of the engine settings sheet: a view of
// SelectionSettingsModel.
#pragma once

#include "engine/window/settings/selection_settings.h"

#include <QWidget>

class CLineStylePicker;
class QCheckBox;
class QSpinBox;

// The colour swatch: a filled rectangle; a left button released inside it
// opens the colour chooser.
class ColourSwatch : public QWidget {
public:
    explicit ColourSwatch(QWidget *parent = nullptr);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return colour_; }
    void SetOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    COLORREF colour_ = 0;
    std::function<void()> onClick_;
};

class CSelSettings : public QWidget {
public:
    explicit CSelSettings(_WNDRES *rec, QWidget *parent = nullptr);
    SelectionSettingsModel &model() { return model_; }
    // Writes the values and has the record read them (the sheet's OK or
    // Apply).
    void Apply() { model_.Apply(); }

private:
    SelectionSettingsModel model_;
    ColourSwatch *swatch_;
    CLineStylePicker *picker_;
};
