// The "Transformation" dialog over its model (transformation_model.h).
#pragma once

#include "engine/editing/tools/transformation_model.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

class TransformationDialog : public QDialog {
public:
    // The template's name is "ID_Nail"; the hook of modal dialogs knows it
    // by this number.
    static constexpr int kTemplateId = 1192;
    static constexpr int kHelpId = 528;

    explicit TransformationDialog(TransformationModel &model, QWidget *parent = nullptr);

    TransformationValues Values() const;

private:
    void enableAngle(bool on);
    void enableScale(bool on);

    TransformationModel &model_;
    QLineEdit *centreX_, *centreY_, *shiftX_, *shiftY_, *scaleX_, *scaleY_, *angle_;
    QLabel *scaleXLabel_, *scaleYLabel_, *angleLabel_;
    QCheckBox *rotate_, *scale_;
};

// Runs the dialog over the map window; 1.
int Transformation(HWND window);
