// The control's property pages and About box. Each page is a widget over a
// model that reads the control's properties into its fields, writes them
// back and runs its buttons, so that a test drives the model without a
// person; the page classes are registered by class id.
#pragma once

#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

class CMapCtrl;
class QCheckBox;
class QLineEdit;

// The "General" page's fields and buttons.
class MapPropPageModel {
public:
    explicit MapPropPageModel(CMapCtrl *control);

    // The fields from the control's properties.
    void Refresh();
    // The fields to the control, in the page's order; a scale or origin that
    // is not a number is left as the control has it.
    void Apply();
    // 202 Browse: the chosen map file is opened through FileName. False when
    // the dialog was cancelled.
    bool Browse();
    void ZoomIn();         // 203
    void ZoomOut();        // 204
    void ViewAllObjects(); // 205
    void ViewPage();       // 206
    void RefreshMap();     // 207

    std::string fileName;
    bool offscreenDrawing = false;
    std::string mapScale;
    std::string originX;
    std::string originY;

private:
    QPointer<CMapCtrl> control_;
};

class CMapPropPage : public QWidget {
public:
    static std::shared_ptr<const MemberTable> Table();
    explicit CMapPropPage(CMapCtrl *control, QWidget *parent = nullptr);
    MapPropPageModel &model() { return model_; }
    // The fields shown again from the model / read back into it.
    void ShowFields();
    void ReadFields();

private:
    MapPropPageModel model_;
    QLineEdit *fileName_;
    QCheckBox *offscreen_;
    QLineEdit *mapScale_;
    QLineEdit *originX_;
    QLineEdit *originY_;
};

class CPropPageAbout : public QWidget {
public:
    static std::shared_ptr<const MemberTable> Table();
    explicit CPropPageAbout(QWidget *parent = nullptr);
    // "KrtMap.ocx Library v2.7".
    static std::string VersionText();
};

// The modal "About Map Control" box (dialog resource 1).
class AboutMapControlDialog : public QDialog {
public:
    explicit AboutMapControlDialog(QWidget *parent = nullptr);
};

// The COM object a property page class id makes: it holds the library.
class PropertyPageObject : public DispatchObject {
public:
    explicit PropertyPageObject(std::shared_ptr<const MemberTable> table);

protected:
    ~PropertyPageObject() override;

private:
    ModuleLock lock_;
};
