// The Paste Special dialog (template 163): what the clipboard offers, as a
// list, and whether to paste at once or at the next click. Its logic is
// the model; the dialog only shows it.
#pragma once

#include "platform/types.h"

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QRadioButton;

inline constexpr int PASTE_SPECIAL_TEMPLATE = 163;
inline constexpr int PASTE_SPECIAL_LIST = 1141;
inline constexpr int PASTE_SPECIAL_PASTE = 1157;
inline constexpr int PASTE_SPECIAL_PASTE_HERE = 1158;

struct PasteSpecialModel {
    enum Kind { None = 0, Bitmap = 1, Metafile = 2, Objects = 3, Text = 4 };

    PasteSpecialModel();

    // The clipboard's offer, filled by the caller before the dialog runs.
    bool metafileAvailable = false;
    bool bitmapAvailable = false;
    bool objectsAvailable = false;
    bool textAvailable = false;

    int optionsRadio = 0; // 0 "Paste", 1 "Paste Here"
    int pasteNow = 1;     // 1 paste at once, 0 at the next click
    int pasteKind = None; // the choice; None also after Cancel
    std::string chosenText;
    // Captions of the kinds, in the order of Kind from Bitmap.
    std::string captions[4];

    // The list's lines: bitmap, objects, text as available (the metafile is
    // never offered).
    std::vector<std::string> Lines() const;
    void ClickPaste();
    void ClickPasteHere();
    // OK or a double click on the line: the kind of that line's text.
    void Choose(const std::string &line);
    void Cancel();
};

class PasteSpecialDialog : public QDialog {
public:
    PasteSpecialDialog(PasteSpecialModel &model, QWidget *parent = nullptr);
    void accept() override;
    void reject() override;

private:
    PasteSpecialModel &model_;
    QListWidget *list_;
    QRadioButton *paste_;
    QRadioButton *pasteHere_;
};

// Builds the dialog over the model and runs it modally (through the modal
// dialog hook); the model holds the choice afterwards.
int RunPasteSpecialDialog(HWND window, PasteSpecialModel &model);
