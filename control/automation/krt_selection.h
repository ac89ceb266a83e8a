// The selection of a map (KrtSelection), its undo history (KrtUndoRedo and
// its items, KRTUndoRedoItem) as automation objects. Each keeps a weak
// reference to its map and answers 0, null or "" once the map is gone.
#pragma once

#include "control/automation/map_link.h"
#include "engine/kernel/coords.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <optional>
#include <string>

class KrtSelection : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtSelection();
    explicit KrtSelection(CMapCtrl *control);

    CMapCtrl *control() const { return map_.control(); }
    // The selected vertex; nothing without a selection list.
    std::optional<MAP_COORDPT> SelectedPoint() const;
    // Moves the selected vertex of the selection's current object to the
    // point, as one undo step; nothing without an object or when the
    // selected point is not one of its vertices. True when it moved.
    bool MoveSelectedPoint(MAP_COORDPT to);
    int32_t Angle() const;

    // Whole degrees of the direction from (0, 0) to (dx, dy), y upward,
    // with a full turn taken as 6.28; -1 for a zero length.
    static int32_t AngleOf(double dx, double dy);

protected:
    ~KrtSelection() override;

private:
    MapLink map_;
    ModuleLock lock_;
};

class KrtUndoRedo : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtUndoRedo();
    explicit KrtUndoRedo(CMapCtrl *control);

    int32_t UndoItemsCount() const;
    int32_t RedoItemsCount() const;
    void Undo(int32_t steps);
    void Redo(int32_t steps);
    void BeginStep();
    void EndStep(int16_t code);
    // Forgets every step, so that there is nothing to undo or redo, and
    // tells the host so.
    void Clear();
    // A new item, or null when the index is past the list.
    IDispatch *Item(int32_t index, bool undo) const;

protected:
    ~KrtUndoRedo() override;

private:
    MapLink map_;
};

class KRTUndoRedoItem : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KRTUndoRedoItem();
    KRTUndoRedoItem(CMapCtrl *control, int32_t index, bool undo);

    int16_t identifier = 0;
    std::string name;

protected:
    ~KRTUndoRedoItem() override;
};
