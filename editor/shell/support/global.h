// The application-wide settings object: the registry links of the editor's
// keys, the option bits of the Options dialog, the debug and office modes,
// the data folders and the trace log. One instance lives from the program's
// start to its end (Global()); tests may make their own.
#pragma once

#include "editor/shell/support/reg_link.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class TTracerForm;

// Bits of the "Options" value.
inline constexpr int kOptionLandscapePages = 0;
inline constexpr int kOptionShowGridReference = 1;
inline constexpr int kOptionShowLatLong = 2;
inline constexpr int kOptionUpdateTitleBoxDate = 3;
inline constexpr int kOptionKeepBackup = 4;
inline constexpr int kOptionReverseBilingualNames = 5;
inline constexpr int kOptionMobileDesktopLow = 8;
inline constexpr int kOptionMobileDesktopHigh = 9;
inline constexpr int kOptionDegreesMinutesSeconds = 10;
inline constexpr int kOptionReloadLastMap = 11;
inline constexpr int kOptionLayersByTheme = 12;
inline constexpr int kOptionThemesExpanded = 13;
inline constexpr int kOptionOffscreenRedraw = 14;
inline constexpr int kOptionOmitMarginsOutline = 15;
inline constexpr int kOptionDeleteAfterCombine = 16;
inline constexpr int kOptionDeleteAfterOverlap = 17;
inline constexpr int kOptionChooseGridSystem = 18;

// "Options" when the value is missing: bits 1 and 3.
inline constexpr int32_t kDefaultOptions = 10;
// The value of "Debug" that opens the hidden debug mode.
inline constexpr int32_t kDebugAccessValue = 581;

// The page scale denominators the page-scale boxes offer.
inline constexpr std::array<const char *, 9> kStandardPageScales = {"250",  "500",   "1000",  "1250", "2500",
                                                                    "5000", "10000", "25000", "50000"};

class TGlobal {
public:
    TGlobal();
    ~TGlobal();
    TGlobal(const TGlobal &) = delete;
    TGlobal &operator=(const TGlobal &) = delete;

    bool DebugMode() const { return debugMode_; }
    bool OfficeMode() const { return officeMode_; }
    void SetOfficeMode(bool on) { officeMode_ = on; }

    // Links under HKEY_CURRENT_USER, each made on first use and kept.
    TRegLink &AppKey();
    TRegLink &SettingsKey();
    TRegLink &ToolbarsKey();
    TRegLink &MenusKey();
    TRegLink &EngineSettingsKey();
    TRegLink &ConvertersKey();

    // Rotates the logs in folder, makes the trace window (hidden) and opens
    // "Orvane.log" of that folder in it.
    void StartLog(const std::string &folder);
    // Closes the trace window and its log; the program calls it before its
    // widgets go.
    void StopLog();
    // The trace window, or null before the log starts.
    TTracerForm *Tracer() const { return tracer_.get(); }

    // Reads "Debug" (default 0): debug mode := requested and the value is
    // 581; the result says whether it is 581.
    bool CheckDebugMode(bool requested);
    // A bit of "Options" (default 10).
    bool GetOption(int bit);
    void SetOption(int bit, bool on);
    // The trace log's problem callback: the error report box.
    void ReportProblem(const std::string &text);

    // Each ends with "Vorn Technology/Orvane/", empty when the system has no
    // such folder.
    std::string CommonDataFolder() const;
    std::string AppDataFolder() const;
    std::string LocalDataFolder() const;
    std::string DocumentsFolder() const;

    // Trace lines; nothing happens before the log starts.
    void TraceEntry(const std::string &name);
    void TraceExit(const std::string &name);
    void TraceNote(const std::string &text);
    void TraceText(const std::string &text);
    void TraceProblem(const std::string &text);
    void TraceError(const std::string &text);

private:
    TRegLink &Link(std::unique_ptr<TRegLink> &link, const char *key);

    bool debugMode_ = false;
    bool officeMode_ = false;
    std::unique_ptr<TRegLink> appKey_, settingsKey_, toolbarsKey_, menusKey_, engineSettingsKey_,
        convertersKey_;
    std::unique_ptr<TTracerForm> tracer_;
};

// The program's one instance; it is never destroyed, so its links outlive
// every caller (call StopLog before the application object goes).
TGlobal &Global();

// Writes "FaceName" and "Size" under "\Software\KRT\GORM 8.0\Text": the font
// of the next identifier labels and of the control's text dialog.
void StoreTextFont(const std::string &faceName, int32_t size);
