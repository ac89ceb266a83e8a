// The Layers dialog ("Layers"): a view of LayersDialogModel. Every edit of a
// field goes to the model at once; the widgets show what the model holds
// after it.
#pragma once

#include "engine/window/dialogs/layers_dialog_model.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <array>
#include <optional>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
class CLineStylePicker;

class QPainter;
class QRect;

// Draws one row of the layer list: number and name, the visible and
// selectable squares, the corner and ending samples and the colour sample,
// in the columns that start at columns[0..5] (columns[6]: the row's right
// end).
void PaintLayerLine(QPainter &painter, const QRect &row, const std::array<int, 7> &columns,
                    const Layer &layer, bool active, bool selected);

// The colour button: a rectangle outlined in the button-text colour and
// filled with the line colour, or white and crossed when there is none.
void PaintColourButton(QPainter &painter, const QRect &face, std::optional<COLORREF> colour);
// The fill button: on white (light grey while pressed) a black cross inset
// by 10 pixels, covered by the fill inset by 5 when there is one, outlined
// by the line renderer in the line colour and style.
void PaintFillButton(QPainter &painter, const QRect &face, uint32_t fill, COLORREF lineColour, int style,
                     bool pressed);
// A width button: the face with its raised (or, pressed, sunken) edges, a
// frame and a solid triangle pointing up or down, moved a pixel right and
// down while pressed; no triangle on a face of 6 pixels or less.
void PaintWidthButton(QPainter &painter, const QRect &face, bool up, bool pressed);

class CLayersDlg : public QDialog {
public:
    // The template has a name ("LAYERS"), not a number: the dialog hook sees
    // this identifier, and the dialog's object name is the template's.
    static constexpr int kTemplateId = 0;
    // The colour chooser and the "Options" dialog run through the same hook
    // under these object names and identifiers.
    static constexpr int kColourTemplateId = -1;
    static constexpr int kOptionsTemplateId = -2;
    // The dialog's result after the window's close command.
    static constexpr int kClosed = 8;

    CLayersDlg(LayersDialogModel &model, QWidget *parent = nullptr);
    ~CLayersDlg() override;
    // Runs the dialog: the new Layers root after OK, 0 after the window's
    // close command, else the root it was given.
    OBJHANDLE DoModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int dropPosition(const QPoint &at) const;
    // The edits of the number, name and width fields, applied to the
    // selected lines when modified. false for a refused number, which keeps
    // its text and gets the focus.
    bool applyNumber();
    void applyName();
    void applyWidth();
    // One step of the held width button.
    void stepWidth();
    void showState();
    void chooseColour(bool fill);
    void runOptions();

    LayersDialogModel &model_;
    QListWidget *list_;
    QLineEdit *number_, *name_, *width_;
    QRadioButton *pixels_, *units_;
    CLineStylePicker *style_;
    QPushButton *colour_, *fill_, *delete_;
    QCheckBox *noFill_, *visible_, *selectable_, *active_;
    bool swallowRelease_ = false;
    QString refusedNumber_; // the number text refused last
    WidthButtonRepeat repeat_;
    QTimer *repeatTimer_ = nullptr;
    QElapsedTimer clock_; // since the press of a width button
    bool repeatUp_ = true;
    std::array<QWidget *, 6> headers_{};
    friend class LayerLineDelegate;
};

// Runs the dialog on the window's Layers root (0: the window's own; a
// document without one gets its first root at OK). The handle of the new
// root after OK, the given root after Cancel, 0 after the close command.
OBJHANDLE LayersDlg(HWND window, OBJHANDLE root);
// Runs the dialog on the root as LayersDlg does and returns its result; the
// caller installs a result that is not 0 and differs from the root.
OBJHANDLE SetLayers(HWND window, OBJHANDLE root);
// Edits the window's layers: runs the dialog and installs a new root it
// returns. 1 when the layers changed.
int SetLayers(HWND window);
