// The "Projections" dialog (template 102) and its "Select Projection" dialog
// (template 139): the projection module of a map window's view, its base
// and transformed coordinate systems, its measure units, and whether the
// document's coordinates are converted for good. Both work on a copy of the
// view's projection record; the view changes only when the user confirms.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/kernel_types.h"
#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/view/projection/unit_table.h"
#include "platform/types.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class CBitmapPushButton;

// Change flags of the dialog.
inline constexpr int PROJCHANGE_MODULE = 1;
inline constexpr int PROJCHANGE_AREA_UNIT = 2;
inline constexpr int PROJCHANGE_LENGTH_UNIT = 4;
inline constexpr int PROJCHANGE_SYSTEM = 8;
inline constexpr int PROJCHANGE_PERMANENT = 16;

// What the projection dialogs (and the wizard) reach the projection manager
// through.
struct ProjectionDialogContext {
    HWND window = 0;
    const char *projectionList = nullptr; // the locked list, may be null
    ProjectionTag *work = nullptr;
    int (*load)(const char *, ProjectionTag *) = ProjMan_LoadProjection;
    int (*free)(ProjectionTag *) = ProjMan_FreeProjection;
    int (*setup)(HWND, ProjectionTag *) = ProjMan_Setup;
    int (*identify)(ProjectionTag *, char *, int) = ProjMan_Identify;
    int (*init)(ProjectionTag *) = ProjMan_InitProjection;
    int (*copy)(ProjectionTag *, const ProjectionTag *) = ProjMan_CopyProjection;
    int (*getInfo)(ProjectionTag *, tagProjInfo *) = ProjMan_GetProjInfo;
    const tagUnitInfo *units = GetPtrUnitInfo();
    const DatumInfo *datums = DatumTable();
    HINSTANCE resources = 0;
    int permanent = 0;
    int changeFlags = 0;
    int clipFlag = 0;

    // 1 when the working projection's module offers a set-up dialog.
    bool WorkHasSetup() const;
};

// The (display name, path) pairs of a locked projection list.
std::vector<std::pair<std::string, std::string>> ProjectionListEntries(const char *list);

// The engine string " < No Projection >".
std::string NoProjectionText();

// The "Projections" dialog without a window.
class ProjectionsModel {
public:
    explicit ProjectionsModel(ProjectionDialogContext &ctx) : ctx_(ctx) {}

    // "Cartesian" or "Spheric" for the base (true) or transformed system.
    std::string KindText(bool base) const;
    const char *PictureName(bool base) const;
    // The module's display name, or " < No Projection >".
    std::string ModuleText() const;
    // "From " / "To " with the datum names for a module between two spheric
    // systems, else empty.
    std::pair<std::string, std::string> DatumLines() const;
    std::string UnitName(bool base) const;
    // The measure lists: units of kinds 1 and 2 (length) and of kind 8
    // (area), in table order, with the current one's position.
    std::vector<std::string> LengthUnitNames() const;
    std::vector<std::string> AreaUnitNames() const;
    int LengthUnitPosition() const;
    int AreaUnitPosition() const;
    bool CanAccept() const;
    bool PermanentLocked() const { return permanentLocked_; }

    // Handlers.
    void BaseSystemEdited(int kind, int unit, int datum);
    void TransformedSystemEdited(int kind, int unit, int datum);
    // "Select Projection" ended with OK on the scratch record.
    void ProjectionChosen(const ProjectionTag &scratch);
    void LengthUnitChosen(const std::string &longName);
    void AreaUnitChosen(const std::string &longName);
    void PermanentClicked(bool on);

    ProjectionDialogContext &Context() { return ctx_; }

private:
    bool moduleInfo(tagProjInfo *info) const;

    ProjectionDialogContext &ctx_;
    bool permanentLocked_ = false;
};

// The "Select Projection" dialog without a window; it works on the
// context's work record (the Projections dialog's scratch copy).
class SelectProjectionModel {
public:
    explicit SelectProjectionModel(ProjectionDialogContext &ctx);

    // " < No Projection >" and the display names, sorted.
    const std::vector<std::string> &Entries() const { return entries_; }
    // The current module's display name, or " < No Projection >".
    std::string Current() const;
    bool CanSetup() const;
    // A list entry was chosen: no module, or the module of that name.
    void Choose(const std::string &name);
    void Setup(HWND parent);

private:
    ProjectionDialogContext &ctx_;
    std::vector<std::pair<std::string, std::string>> modules_;
    std::vector<std::string> entries_;
};

class CSelectProjectionDlg : public QDialog {
public:
    static constexpr int kTemplateId = 139;
    CSelectProjectionDlg(SelectProjectionModel &model, HWND helpTarget, QWidget *parent);
    int DoModal();

private:
    void showState();
    SelectProjectionModel &model_;
    HWND helpTarget_;
    QLabel *used_;
    QListWidget *list_;
    QPushButton *setup_;
};

class CProjectionsDlg : public QDialog {
public:
    static constexpr int kTemplateId = 102;
    CProjectionsDlg(ProjectionsModel &model, QWidget *parent = nullptr);
    int DoModal();

private:
    void showState();
    void editSystem(bool base);
    void selectProjection();

    ProjectionsModel &model_;
    CBitmapPushButton *baseButton_, *transformedButton_;
    QLabel *baseKind_, *baseUnit_, *fromDatum_, *module_, *transformedKind_, *transformedUnit_, *toDatum_;
    QCheckBox *permanent_;
    QComboBox *areaUnits_, *lengthUnits_;
    QPushButton *ok_;
};

// Runs the dialogs for the window's view record. The change flags masked
// with 9 when the user confirmed, else 0; bit 1 tells that map coordinates
// now convert differently.
int ProjMan_SelectProjection(ProjectionTag *view, HWND window);
