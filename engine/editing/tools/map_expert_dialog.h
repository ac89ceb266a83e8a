// The "MAP Expert" dialog (template 103) with its text mode (104) and sort
// (174) dialogs. Each test button runs one test of map_expert.h and shows
// its report in a message box; when the dialog closes the map's undo
// history is discarded, since the tests changed the store outside it.
#pragma once

#include "engine/editing/tools/map_expert.h"

#include <QDialog>

#include <string>

class QLabel;
class QRadioButton;

// Button ids of the expert dialog.
inline constexpr int EXPERT_BUTTON_POLYGONS = 1006;
inline constexpr int EXPERT_BUTTON_IDENTIFIERS = 1004;
inline constexpr int EXPERT_BUTTON_TEXTS = 1009;
inline constexpr int EXPERT_BUTTON_GROUPS = 1008;
inline constexpr int EXPERT_BUTTON_KERNEL = 1248;
inline constexpr int EXPERT_BUTTON_BOUNDS = 1005;
inline constexpr int EXPERT_BUTTON_DOUGHNUTS = 1010;
inline constexpr int EXPERT_BUTTON_ALL = 1007;
inline constexpr int EXPERT_BUTTON_REFERENCES = 1250;
inline constexpr int EXPERT_BUTTON_LAYERS = 1249;
inline constexpr int EXPERT_BUTTON_SORT = 1251;
inline constexpr int EXPERT_STATUS = 1015;

// What a button does, without a window: the status texts before and after
// and the report with its box caption (empty: no box).
class MapExpertModel {
public:
    explicit MapExpertModel(HWND window) : window_(window) {}
    HWND Window() const { return window_; }

    struct Outcome {
        std::string running, done, caption, report;
    };
    // The single tests and "All tests"; false for another id.
    bool Run(int buttonId, Outcome *out);
    // The texts test in a mode (1 to 3) and the sorting.
    Outcome RunTexts(int mode);
    Outcome RunSort(const SortData &sort);

private:
    HWND window_;
};

// The text mode (template 104): 1, 2 or 3 for the radio button chosen on
// OK, 0 on Cancel.
class ExpertTextModeDialog : public QDialog {
public:
    static constexpr int kTemplateId = 104;
    explicit ExpertTextModeDialog(QWidget *parent = nullptr);
    int Mode() const;

private:
    QRadioButton *recalculate_, *removeShort_, *removeAll_;
};

// The sorting (template 174).
class ExpertSortDialog : public QDialog {
public:
    static constexpr int kTemplateId = 174;
    ExpertSortDialog(HWND window, QWidget *parent = nullptr);
    SortData Sort() const;

private:
    HWND window_;
    QRadioButton *keys_[4];
    QRadioButton *ascending_;
};

class MapExpertDialog : public QDialog {
public:
    static constexpr int kTemplateId = 103;
    MapExpertDialog(MapExpertModel &model, QWidget *parent = nullptr);

private:
    void clicked(int id);
    void show(const MapExpertModel::Outcome &o);

    MapExpertModel &model_;
    QLabel *status_;
};

// Runs the expert over the map window, then discards the undo history and
// repaints the window; 1.
int MapExpert(HWND window);
