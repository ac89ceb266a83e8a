// The base classes of the editor's tools. Every command of the editor, from
// a tool bar button, a menu item, a shortcut or a button on a tool tab, is a
// one-byte tool id. A tool owns one or more ids: it says whether they are
// enabled (GetState) and acts on a click (ToolClick). A tool with controls
// of its own (TORVUITool) hosts them on a tool tab of the main window.
#pragma once

#include "editor/shell/catalogue/tool_button.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

class TPMap;
class TToolMgr;

// A page of the main window's tool page control that hosts the controls of
// one tool. Order 0 marks a fixed tab; a tab just attached gets 99 and the
// main window renumbers it by recent use.
class TToolTab : public QWidget {
public:
    explicit TToolTab(QWidget *parent = nullptr) : QWidget(parent) {}

    uint8_t Id = 0;
    int32_t Order = 0;
};

class TORVTool {
public:
    // The tool with its own id; it works on no map until SetMap.
    TORVTool(TToolMgr &mgr, uint8_t id);
    virtual ~TORVTool();
    TORVTool(const TORVTool &) = delete;
    TORVTool &operator=(const TORVTool &) = delete;

    // Keeps the map (null: none). The manager passes the map's mouse and
    // selection events on to MapMouse and SelectionChanged.
    virtual void SetMap(TPMap *map);
    // Owned := whether this tool answers for the id; the result is whether
    // the id is enabled. The base owns its own id and keeps it disabled.
    virtual bool GetState(uint8_t id, bool &owned);
    // Handled := whether this tool took the click. The base takes its own
    // id and keeps a tool button sender as its button.
    virtual void ToolClick(QObject *sender, uint8_t id, bool &handled);
    // Map event 1: the base releases the latched button on a right-button
    // press (the map's last mouse event is 516).
    virtual void MapMouse(TPMap &map);
    // Map event 2: nothing in the base.
    virtual void SelectionChanged(TPMap &map);

    // Sets the active flag; switching it off releases the latched button.
    void SetActive(bool flag);
    // Keeps the sender as the tool's button when it is a tool button and
    // puts that button down (state true) or up; any other sender leaves the
    // tool without a button. A button kept before is released first unless
    // it is the sender, so that no button stays down unattended.
    void Latch(QObject *sender, bool state);
    // Releases the kept button and forgets it. A button that went away
    // meanwhile is reported to the trace log.
    void Unlatch();

    uint8_t Id() const { return id_; }
    TPMap *Map() const { return map_; }
    bool Active() const { return active_; }
    TToolMgr &Mgr() const { return mgr_; }
    // The kept button, or null.
    TToolBtn *Button() const { return button_.data(); }

protected:
    // Forgets the kept button without releasing it.
    void ForgetButton();

    TPMap *map_ = nullptr;
    bool active_ = false;
    TToolMgr &mgr_;
    uint8_t id_;

private:
    QPointer<TToolBtn> button_;
    // Whether a button is kept, so that one destroyed meanwhile is noticed.
    bool holdsButton_ = false;
};

// A tool with its own tab of controls, built the first time the tab is
// activated and refreshed on every later activation.
class TORVUITool : public TORVTool {
public:
    using TORVTool::TORVTool;

    // Lets pending window messages run, then marks the controls as built.
    // Overrides create their controls on the tab (with TUIBuilder) and end
    // with this.
    virtual void BuildUI();
    // Before BuildUI: the error box "System Error : " / "Attempt to refresh
    // unconstructed UI.". Overrides refresh their controls.
    virtual void Refresh();

    // Shown := (id is this tool's); when shown: BuildUI unless built, then
    // Refresh and UpdateButtons.
    void Activate(uint8_t id);
    // Refresh when shown and built (a refresh can arrive while BuildUI lets
    // messages run).
    void RefreshIfActive();
    // Enables every tool button under the widget that has no child widgets
    // of its own by this tool's GetState for the button's id.
    void UpdateButtonStates(QWidget *control);
    // UpdateButtonStates on the tab while it exists and is shown.
    void UpdateButtons();

    // N / 100 with two decimals and a point ("-0.05").
    static std::string CentiToText(int32_t n);
    // The text's number times 100, rounded to the nearest integer with a
    // half to the even one, exactly as written in decimal. Blanks around
    // are ignored. Empty for text that is no plain decimal number ("1e3",
    // "", "1,5") and for a result outside the 32-bit range.
    static std::optional<int32_t> TextToCenti(const std::string &text);

    TToolTab *Tab() const { return tab_.data(); }
    void SetTab(TToolTab *tab) { tab_ = tab; }
    bool UIBuilt() const { return uiBuilt_; }
    bool Shown() const { return shown_; }

protected:
    QPointer<TToolTab> tab_;
    bool uiBuilt_ = false;
    bool shown_ = false;
};
