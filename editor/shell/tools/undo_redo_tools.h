// The Undo (50) and Redo (51) tools. The map control keeps the undo history
// and reports the operation code of the step Undo and Redo would take next;
// the tools turn it into the captions of the Edit menu's Undo and Redo items
// ("&Undo Delete"), enable the items and their buttons from those captions
// and send the control's undo and redo commands.
#pragma once

#include "editor/shell/support/int_list.h"
#include "editor/shell/tools/tool_base.h"

#include <QAction>
#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint8_t kUndoToolId = 50;
inline constexpr uint8_t kRedoToolId = 51;

// The known operation codes, unsorted and without duplicates, with their
// captions at the same index. Codes up to 40 close the editor's own undo
// steps, codes from 100 the control's.
class TUndoRedoList : private TIntList {
public:
    TUndoRedoList();

    using TIntList::Count;
    using TIntList::Get;
    using TIntList::IndexOf;
    // The caption of a code; "Last Action (<code>)" for an unknown one.
    std::string Caption(int32_t code) const;

private:
    std::vector<std::string> captions_;
};

class TUndoRedoTool : public TORVTool {
public:
    // prefix: "&Undo " or "&Redo ".
    TUndoRedoTool(TToolMgr &mgr, uint8_t id, std::string prefix);

    // Owns its own id; enabled while its menu item's caption is longer than
    // the prefix and two characters, that is, it names an operation.
    bool GetState(uint8_t id, bool &owned) override;

    // The menu item whose caption the tool keeps (not owned; null: none).
    void SetMenuItem(QAction *item) { item_ = item; }
    QAction *MenuItem() const { return item_.data(); }
    // The item's caption := the prefix and the code's caption.
    void SetCaption(int32_t code);
    const TUndoRedoList &List() const { return list_; }

private:
    TUndoRedoList list_;
    QPointer<QAction> item_;
    std::string prefix_;
};

class TUndoTool : public TUndoRedoTool {
public:
    TUndoTool(TToolMgr &mgr, uint8_t id = kUndoToolId) : TUndoRedoTool(mgr, id, "&Undo ") {}
    // Sends the control's undo command; the objects may have changed behind
    // the editor's back, so map event 6 follows.
    void ToolClick(QObject *sender, uint8_t id, bool &handled) override;
};

class TRedoTool : public TUndoRedoTool {
public:
    TRedoTool(TToolMgr &mgr, uint8_t id = kRedoToolId) : TUndoRedoTool(mgr, id, "&Redo ") {}
    // Sends the control's redo command; no map event follows.
    void ToolClick(QObject *sender, uint8_t id, bool &handled) override;
};
