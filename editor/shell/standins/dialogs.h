// The main window's modal dialogs that later work fills in: the options
// dialog, the map cleaner, the support form, the about box, the debug form
// and the grid-system dialog. In this form each shows nothing and answers
// Cancel (QDialog::Rejected), so no caller takes a dialog that never ran
// for one that succeeded.
#pragma once

#include <QDialog>

class TPMap;

// A dialog bound to the current map.
class TMapDialog : public QDialog {
public:
    explicit TMapDialog(QWidget *parent = nullptr) : QDialog(parent) {}
    void SetMap(TPMap *map) { map_ = map; }
    TPMap *Map() const { return map_; }
    // Shows the dialog modally; the result code.
    virtual int Execute() { return QDialog::Rejected; }

private:
    TPMap *map_ = nullptr;
};

// The options dialog: page 1 the general options, 2 the page defaults; a
// negative page keeps the last one.
class TfrmOptions : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
    int ExecutePage(int page)
    {
        page_ = page;
        return Execute();
    }
    int Page() const { return page_; }

private:
    int page_ = -1;
};

class TfrmCleaner : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
};

class TfrmSupport : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
};

class TAboutBox : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
};

// The grid system of the current map.
class TfrmCartesian : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
};

// The debug form, shown not modal in debug mode; this form shows nothing.
class TfrmDebug : public TMapDialog {
public:
    using TMapDialog::TMapDialog;
    virtual void ShowForMap(TPMap *map) { SetMap(map); }
};
