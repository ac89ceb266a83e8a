// The text dialog ("TEXTDIALOG") with its helpers: the font dialog with its
// "Layer Colour" switch, the orientation dialog ("TOORIENT") and the
// desktop's character map. DlgText runs it for one text, ReDefTextObj for
// the selected texts. Every dialog runs through the platform's modal call,
// named by its template (object name).
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "engine/view/dialogs/text_dialog_model.h"
#include "platform/types.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QFontDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Font dialog flags (the ones the text dialog passes).
inline constexpr DWORD CF_SCREENFONTS = 0x00000001;
inline constexpr DWORD CF_EFFECTS = 0x00000100;

// Qt's font chooser inside a dialog that adds the colour list (1139, label
// 1091) and the check box "Layer Colour" (6666).
class CMyFontDlg : public QDialog {
public:
    static constexpr int kLayerColourId = 6666;
    static constexpr int kColourListId = 1139;
    static constexpr int kColourLabelId = 1091;

    CMyFontDlg(const LOGFONTA *font, DWORD flags, HDC printer, QWidget *parent);

    // Fills the dialog (the check box is ticked when own colour is 0) and
    // runs it: IDOK or IDCANCEL.
    int DoModal();
    LOGFONTA GetLogFont() const { return font_; }
    COLORREF GetColor() const { return colour_; }
    void SetColor(COLORREF colour) { colour_ = colour; }

    int ownColour = 0;

    // The check box was clicked: own colour toggles, the colour list follows.
    void OnLayerColourClicked();
    void OnOK();
    QFontDialog *Chooser() const { return chooser_; }

private:
    void OnInitDialog();
    void showColourState();

    LOGFONTA font_;
    COLORREF colour_ = 0;
    QFontDialog *chooser_;
    QCheckBox *layerColour_;
    QComboBox *colours_;
    QLabel *colourLabel_;
};

// "TOORIENT": the rotation in whole degrees (edit 181); the escapement
// field (183) is shown disabled.
class CTextOrientDlg : public QDialog {
public:
    CTextOrientDlg(int degrees, HWND window, QWidget *parent);
    int DoModal();
    int degrees;

private:
    HWND window_;
    QLineEdit *edit_;
};

class CTextObjectDlg : public QDialog {
public:
    CTextObjectDlg(TextDialogModel &model, HWND window, QWidget *parent = nullptr);
    int DoModal();

    void OnFont();
    void OnOrientation();
    void OnCharMap();
    // The application became active again (after the character map).
    void OnActivateApp(bool active);
    void OnOK();

private:
    void showFontLabel();

    TextDialogModel &model_;
    HWND window_;
    QPlainTextEdit *text_;
    QLineEdit *x_, *y_;
    QLabel *fontLabel_;
    QComboBox *horz_, *vert_, *lock_;
};

// The program started for the character map ("gucharmap" unless changed).
void SetCharMapProgram(const std::string &program);

// Runs the text dialog for the text (0: a new one at the anchor). The change
// mask; -1 when cancelled or a new text was left empty.
int DlgText(HWND window, OBJHANDLE text, MAP_COORDPT anchor);
// Runs it for the first selected text and applies what changed to every
// selected text. 0 when no text is selected, else 1.
int ReDefTextObj(HWND window);
