// The engine settings sheet ("Default Settings"): the General, Selection,
// Copy, Measures and GPS pages of a map window's settings in one tabbed
// dialog that remembers the page shown last ("Active Page").
#pragma once

#include <QDialog>

#include <functional>
#include <vector>

struct _WNDRES;
class QTabWidget;

class CSettingsPSheet : public QDialog {
public:
    static constexpr int kTemplateId = 172;
    enum Page { General, Selection, Copy, Measures, Gps, PageCount };

    // Builds the pages for the record and opens the one stored in "Active
    // Page" (a REG_DWORD in range; else firstPage).
    CSettingsPSheet(_WNDRES *rec, unsigned captionId, QWidget *parent = nullptr, int firstPage = 0);
    // Stores the page that was shown last in "Active Page".
    ~CSettingsPSheet() override;

    QTabWidget *Tabs() const { return tabs_; }
    QWidget *PageWidget(Page page) const;
    // Every page's apply (OK and Apply).
    void ApplyAll();

private:
    _WNDRES *rec_;
    QTabWidget *tabs_;
    std::vector<std::function<void()>> applies_;
};

// Runs the sheet for the record through the platform's modal call: IDOK (1)
// when it ended with OK, else IDCANCEL.
int RunDefaultSettingsSheet(_WNDRES *rec);
