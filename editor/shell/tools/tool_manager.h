// The tool manager: it creates every tool in a fixed order (the order in
// which they are asked), routes clicks and enable queries to them, gives
// them the current map, attaches tool tabs to the tools with controls of
// their own and keeps the Edit menu's undo and redo captions.
#pragma once

#include "editor/shell/tools/tool_base.h"

#include <QAction>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TPMap;
class TfrmButtons;

// The tools in creation order, owned. First and Next walk the list with the
// list's one cursor, so two such walks must not be nested; the manager
// itself walks by index.
class TToolList {
public:
    void Add(std::unique_ptr<TORVTool> tool) { tools_.push_back(std::move(tool)); }
    int Count() const { return int(tools_.size()); }
    // The tool at the index, null outside the list.
    TORVTool *Items(int index) const;
    TORVTool *First();
    TORVTool *Next();

private:
    std::vector<std::unique_ptr<TORVTool>> tools_;
    int cursor_ = 0;
};

// One entry of the creation order: the tool's own id and how it is made.
struct TToolEntry {
    uint8_t Id;
    std::unique_ptr<TORVTool> (*Make)(TToolMgr &mgr, uint8_t id);
};
// The tools every manager creates, in the order they are asked.
std::span<const TToolEntry> ToolCreationOrder();

// Every map given to the manager must be destroyed before the manager: each
// of them calls it from its events.
class TToolMgr {
public:
    explicit TToolMgr(TfrmButtons &buttons);
    ~TToolMgr();
    TToolMgr(const TToolMgr &) = delete;
    TToolMgr &operator=(const TToolMgr &) = delete;

    // Makes the map (null: none) current for every tool, passes its mouse
    // and selection events to the tools, releases the latched buttons when
    // its command changes to a deselection and takes its undo and redo
    // reports for the Edit menu.
    void SetMap(TPMap *map);
    TPMap *Map() const { return map_; }

    // Traces the click, then offers the id to the tools in order until one
    // handles it. False when none did (the main window decides then).
    bool ToolClick(QObject *sender, uint8_t id);
    // Whether the tool that owns the id reports it enabled; false when no
    // tool owns it. A failing control call counts as disabled.
    bool GetState(uint8_t id);
    // Click handler of tool-tab buttons.
    void ButtonClick(QObject *sender);
    // Makes a tool-tab button show the id: its id, its glyph with the
    // disabled look beside it (or its caption when the catalogue has no
    // glyph), its hint, and ButtonClick on a click.
    void SetButton(TToolBtn *button, uint8_t id);
    // Deactivates every tool, which releases every latched button.
    void ReleaseAll();
    // Map event 15: a deselection (400 or 472) releases the buttons.
    void CommandChanged(TPMap &map);

    bool IsUITool(uint8_t id) const;
    // Gives the tab to every tool with controls of its own that has the id;
    // the tab takes the id and order 99 and is listed. Null (nothing
    // attached) when no such tool has the id.
    TToolTab *AttachTab(uint8_t id, TToolTab *tab);
    // The last listed tab with the id that still exists, or null.
    TToolTab *FindTab(uint8_t id) const;
    // Tells every tool with controls which tool's tab is now active.
    void ActivateUITools(uint8_t id);
    // Refreshes the controls of the tool whose tab is active.
    void RefreshUITools();

    // The Edit menu's Undo and Redo items, whose captions the tools 50 and
    // 51 keep.
    void SetUndoItem(QAction *item);
    void SetRedoItem(QAction *item);
    // The map's report of its next undo (kind 3) or redo (kind 4) step.
    void UndoRedoCaption(TPMap &map, int32_t kind, int32_t code);
    // The Undo and Redo items name these codes' steps.
    void ShowUndoRedoCaptions(int32_t undoCode, int32_t redoCode);

    TToolList &Tools() { return tools_; }
    // The first tool with the id, or null.
    TORVTool *FindTool(uint8_t id) const;
    TfrmButtons &Buttons() const { return buttons_; }

private:
    void MapMouse(TPMap &map);
    void SelectionChanged(TPMap &map);

    TPMap *map_ = nullptr;
    TToolList tools_;
    std::vector<QPointer<TToolTab>> tabs_;
    TfrmButtons &buttons_;
    // The context of the button connections, which end with the manager.
    QObject connections_;
};
