// The "Coordinate system" dialog (template 140): one coordinate system of a
// projection record as a kind (spheric or cartesian), a unit that fits the
// kind and a datum, with the datum's ellipsoid.
#pragma once

#include "platform/types.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class CBitmapPushButton;

// The triple being edited, without a window.
class CoordinateSystemModel {
public:
    CoordinateSystemModel(int kind, int unit, int datum);

    bool Spheric() const { return spheric_; }
    // A radio button was clicked.
    void SetSpheric(bool spheric) { spheric_ = spheric; }
    // The picture and text of the kind: "SPHERIC" or "CARTESIAN".
    const char *PictureName() const { return spheric_ ? "SPHERIC" : "CARTESIAN"; }

    // Units of the chosen kind, in table order (ids and long names).
    std::vector<int> UnitIds() const;
    std::vector<std::string> UnitNames() const;
    // The listed position of the current unit, -1 when it is not listed
    // ("OK" is enabled only then).
    int UnitPosition() const;
    bool CanAccept() const { return UnitPosition() >= 0; }
    // The unit of the chosen kind with exactly that long name.
    void ChooseUnit(const std::string &longName);

    // Datum names from row 0 up to the first empty one.
    static std::vector<std::string> DatumNames();
    void ChooseDatum(int row) { datum_ = row; }
    // The ellipsoid of the current datum; empty for row 0.
    std::string Ellipsoid() const;

    // OK: 3 (cartesian) or 4 (spheric).
    int Kind() const { return spheric_ ? 4 : 3; }
    int Unit() const { return unit_; }
    int Datum() const { return datum_; }

private:
    bool spheric_;
    int unit_, datum_;
};

class CCoordSystemDlg : public QDialog {
public:
    static constexpr int kTemplateId = 140;

    CCoordSystemDlg(CoordinateSystemModel &model, HWND helpTarget, QWidget *parent = nullptr);
    int DoModal();

private:
    void showState();

    CoordinateSystemModel &model_;
    HWND helpTarget_;
    QRadioButton *spheric_, *cartesian_;
    CBitmapPushButton *picture_;
    QComboBox *datums_, *units_;
    QLabel *ellipsoid_;
    QPushButton *ok_;
};

// Runs the dialog on the triple; on OK (the result IDOK) the triple takes
// the dialog's values, otherwise it stays as it was.
int EditCoordinateSystem(int *kind, int *unit, int *datum, HWND helpTarget, QWidget *parent = nullptr);
