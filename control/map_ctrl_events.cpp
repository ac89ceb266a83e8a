// The control's events: the engine's notification messages turned into
// events of IMapEvents, and the helpers the control's own code fires with.
// Events go out synchronously, in order, on the thread that handles the
// message (the drawing thread only posts its progress message).
#include "control/map_ctrl.h"
#include "control/pending_engine.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/view/viewrecord/presentation_manager.h"

namespace {

Variant L(int32_t v) { return VariantFromLong(v); }

} // namespace

void CMapCtrl::FireEvent(DISPID id, std::span<const Variant> args)
{
    if (m_events)
        m_events->FireEvent(id, args);
}

void CMapCtrl::FireSelectionChanged(int32_t count)
{
    const Variant args[] = {L(count)};
    FireEvent(EVENT_SELECTIONCHANGED, args);
}

void CMapCtrl::FireDisplayScaleChanged()
{
    const Variant args[] = {VariantFromDouble(m_pView ? m_pView->scaleDenominator : 0.0)};
    FireEvent(EVENT_DISPLAYSCALECHANGED, args);
}

void CMapCtrl::FireCommandStateChanged(int32_t command, int32_t flags)
{
    const Variant args[] = {L(command), L(flags)};
    FireEvent(EVENT_COMMANDSTATECHANGED, args);
}

void CMapCtrl::FireQueryEvent(DISPID id, int32_t queryId, OBJHANDLE object, int32_t number)
{
    const Variant args[] = {L(queryId), L(int32_t(object)), L(number)};
    FireEvent(id, args);
}

bool CMapCtrl::OnEngineNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    *result = 0;
    switch (msg) {
    case MAPN_PROGRESS: {
        const Variant args[] = {L(int32_t(wParam)), L(int32_t(lParam))};
        FireEvent(EVENT_PROGRESS, args);
        return true;
    }
    case MAPN_SHEETCHANGE:
        // The presentations follow their data sheets; no event.
        pending::PresOnSheetChange(m_hWnd, wParam, lParam);
        return true;
    case MAPN_UNDOREDOSTATE: {
        const int32_t flag = wParam == MAPN_ENABLE ? mc_CommandFlagEnabled : mc_CommandFlagDisabled;
        const bool undo = lParam == LPARAM(MAPN_UNDO);
        FireCommandStateChanged(undo ? mCmdUndo : mCmdRedo, flag);
        FireCommandStateChanged(undo ? mCmdUndoList : mCmdRedoList, flag);
        return true;
    }
    case MAPN_PASTESTATE: {
        if (lParam == MAPN_PASTE_SPECIAL) {
            FireCommandStateChanged(mCmdPasteSpecial, mc_CommandFlagEnabled);
            return true;
        }
        const int32_t flag = wParam == MAPN_ENABLE ? mc_CommandFlagEnabled : mc_CommandFlagDisabled;
        FireCommandStateChanged(mCmdObjectPaste, flag);
        FireCommandStateChanged(mCmdPasteHere, flag);
        FireCommandStateChanged(mCmdPasteSpecial, flag);
        return true;
    }
    case MAPN_UNDOREDOCAPTION: {
        const Variant args[] = {L(int32_t(wParam)), L(int32_t(lParam))};
        FireEvent(EVENT_UNDOREDOCAPTION, args);
        return true;
    }
    case MAPN_SELCOUNT:
        FireSelectionChanged(int32_t(wParam));
        return true;
    case MAPN_REPAINT:
        *result = 1;
        return true;
    case MAPN_HELP: {
        const Variant args[] = {L(int32_t(lParam))};
        FireEvent(EVENT_HELPCALL, args);
        return true;
    }
    case MAPN_GPSREINIT:
        FireEvent(EVENT_GPSREINITSETTING);
        return true;
    case MAPN_GPSSTOP:
        FireEvent(EVENT_GPSSTOP);
        return true;
    default:
        return false;
    }
}
