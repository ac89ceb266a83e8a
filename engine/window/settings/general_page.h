// The General page of the engine settings sheet: a view of
// GeneralSettingsModel.
#pragma once

#include "engine/window/settings/general_settings.h"

#include <QWidget>

class CGenSettings : public QWidget {
public:
    explicit CGenSettings(const _WNDRES *rec, QWidget *parent = nullptr);
    GeneralSettingsModel &model() { return model_; }
    void Apply() const { model_.Apply(); }

private:
    GeneralSettingsModel model_;
};
