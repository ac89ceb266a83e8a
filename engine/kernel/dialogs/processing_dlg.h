// The progress window of long computations: a text line, a progress bar and
// a Cancel button. The computation creates it, advances it, lets it handle
// the waiting events between steps and asks whether the user cancelled;
// the window never closes itself.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>

class QDialog;
class QLabel;
class QProgressBar;

// The state behind the window: the bar's range, step and position, the
// text line and the cancelled flag.
class ProcessingModel {
public:
    // Keeps max - min as the range width; the bar's bounds are 16-bit.
    void SetRange(int min, int max);
    // Sets the bar to n * 100 / range width (integer division); a range of
    // width 0 leaves the position as it is.
    void SetPos(int n);
    void SetStep(int step) { step_ = step; }
    // Advances the bar by its step; past the top it starts again at the
    // bottom, as a progress bar does.
    void StepIt();
    void SetText(const std::string &text) { text_ = text; }
    void Cancel() { cancelled_ = true; }

    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    int Position() const { return pos_; }
    int Step() const { return step_; }
    int RangeWidth() const { return rangeWidth_; }
    const std::string &Text() const { return text_; }
    bool IsCancelled() const { return cancelled_; }

private:
    void clampPosition();

    int min_ = 0, max_ = 100, pos_ = 0, step_ = 1;
    int rangeWidth_ = 100;
    std::string text_;
    bool cancelled_ = false;
};

// Dialog resource 135, "Processing. Please wait ...": text 1125, bar 1000,
// Cancel button 1001. Shown modeless as soon as it is built.
class CProcessingDlg {
public:
    static constexpr int kTemplateId = 135;
    static constexpr int kTextId = 1125;
    static constexpr int kProgressId = 1000;
    static constexpr int kCancelId = 1001;

    explicit CProcessingDlg(HWND parent);
    ~CProcessingDlg();
    CProcessingDlg(const CProcessingDlg &) = delete;
    CProcessingDlg &operator=(const CProcessingDlg &) = delete;

    void SetRange(int min, int max);
    void SetPos(int n);
    void SetStep(int step);
    void StepIt();
    void SetText(const std::string &text);
    // The string of that id from the library's string table.
    void SetTextId(unsigned id);
    // The Cancel button: sets the flag; the window stays open.
    void OnCancelClicked();
    int IsCancelled() const { return model_.IsCancelled() ? 1 : 0; }
    // Lets the window handle the events that wait (the computation calls it
    // between its steps).
    void PumpMessages();
    // Destroys the window (the object stays usable as a model).
    void DestroyWindow();

    const ProcessingModel &Model() const { return model_; }
    // The window, null once destroyed.
    QDialog *Window() const { return window_.get(); }
    HWND Parent() const { return parent_; }

private:
    void showModel();

    HWND parent_;
    ProcessingModel model_;
    std::unique_ptr<QDialog> window_;
    QLabel *text_ = nullptr;
    QProgressBar *bar_ = nullptr;
};
