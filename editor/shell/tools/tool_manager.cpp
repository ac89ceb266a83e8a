#include "editor/shell/tools/tool_manager.h"

#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/tools/undo_redo_tools.h"
#include "editor/shell/support/global.h"

#include "platform/text_codec.h"

#include <QPixmap>

namespace {

constexpr int32_t kDeselectCommand = 400;
constexpr int32_t kDeselectToolCommand = 472;

// A failing control call inside a tool ends that tool's work; the log says
// which.
void TraceControlFailure(const char *operation, const ControlException &e)
{
    Global().TraceError(std::string("TToolMgr.") + operation + "() : " + e.what());
}

} // namespace

TORVTool *TToolList::Items(int index) const
{
    return index >= 0 && index < Count() ? tools_[size_t(index)].get() : nullptr;
}

TORVTool *TToolList::First()
{
    cursor_ = 0;
    return Items(cursor_);
}

TORVTool *TToolList::Next()
{
    if (cursor_ < Count())
        ++cursor_;
    return Items(cursor_);
}

TToolMgr::TToolMgr(TfrmButtons &buttons) : buttons_(buttons)
{
    for (const TToolEntry &entry : ToolCreationOrder())
        tools_.Add(entry.Make(*this, entry.Id));
}

TToolMgr::~TToolMgr() = default;

void TToolMgr::SetMap(TPMap *map)
{
    map_ = map;
    for (int i = 0; i < tools_.Count(); ++i)
        tools_.Items(i)->SetMap(map);
    // Undo and Redo name the steps of this map, never those of the map
    // that was current before.
    ShowUndoRedoCaptions(map ? map->NextUndoCode : 0, map ? map->NextRedoCode : 0);
    if (!map)
        return;
    // Each is refused when the map has it already.
    map->Subscribe<&TToolMgr::MapMouse>(meMouse, this);
    map->Subscribe<&TToolMgr::SelectionChanged>(meSelectionChanged, this);
    map->Subscribe<&TToolMgr::CommandChanged>(meCommandChanged, this);
    map->OnUndoRedoCaption = [this](TPMap &sender, int32_t kind, int32_t code) {
        UndoRedoCaption(sender, kind, code);
    };
}

bool TToolMgr::ToolClick(QObject *sender, uint8_t id)
{
    Global().TraceNote("TToolMgr.ToolClick(" + buttons_.ToolCaption(id) + ")");
    bool handled = false;
    for (int i = 0; i < tools_.Count() && !handled; ++i) {
        try {
            tools_.Items(i)->ToolClick(sender, id, handled);
        } catch (const ControlException &e) {
            TraceControlFailure("ToolClick", e);
        }
    }
    return handled;
}

bool TToolMgr::GetState(uint8_t id)
{
    for (int i = 0; i < tools_.Count(); ++i) {
        bool owned = false;
        bool enabled = false;
        try {
            enabled = tools_.Items(i)->GetState(id, owned);
        } catch (const ControlException &e) {
            TraceControlFailure("GetState", e);
            enabled = false;
        }
        if (owned)
            return enabled;
    }
    return false;
}

void TToolMgr::ButtonClick(QObject *sender) { ToolClick(sender, ToolIdOf(sender)); }

void TToolMgr::SetButton(TToolBtn *button, uint8_t id)
{
    if (!button)
        return;
    button->Id = id;
    const TToolData &data = buttons_.ToolData(id);
    if (data.Glyph.isNull()) {
        SetButtonGlyph(*button, QPixmap());
        button->setText(FromWindows1252(data.Caption));
    } else {
        SetButtonGlyph(*button, TfrmButtons::MakeButtonGlyph(data.Glyph));
    }
    button->setToolTip(FromWindows1252(data.Hint));
    QObject::disconnect(button, &QAbstractButton::clicked, &connections_, nullptr);
    QObject::connect(button, &QAbstractButton::clicked, &connections_,
                     [this, button] { ButtonClick(button); });
}

void TToolMgr::ReleaseAll()
{
    for (int i = 0; i < tools_.Count(); ++i)
        tools_.Items(i)->SetActive(false);
}

void TToolMgr::CommandChanged(TPMap &map)
{
    if (map.Command == kDeselectCommand || map.Command == kDeselectToolCommand)
        ReleaseAll();
}

void TToolMgr::MapMouse(TPMap &map)
{
    for (int i = 0; i < tools_.Count(); ++i) {
        try {
            tools_.Items(i)->MapMouse(map);
        } catch (const ControlException &e) {
            TraceControlFailure("MapMouse", e);
        }
    }
}

void TToolMgr::SelectionChanged(TPMap &map)
{
    for (int i = 0; i < tools_.Count(); ++i) {
        try {
            tools_.Items(i)->SelectionChanged(map);
        } catch (const ControlException &e) {
            TraceControlFailure("SelectionChanged", e);
        }
    }
}

bool TToolMgr::IsUITool(uint8_t id) const
{
    for (int i = 0; i < tools_.Count(); ++i)
        if (tools_.Items(i)->Id() == id && dynamic_cast<TORVUITool *>(tools_.Items(i)))
            return true;
    return false;
}

TToolTab *TToolMgr::AttachTab(uint8_t id, TToolTab *tab)
{
    if (!tab)
        return nullptr;
    bool attached = false;
    for (int i = 0; i < tools_.Count(); ++i) {
        auto *tool = dynamic_cast<TORVUITool *>(tools_.Items(i));
        if (tool && tool->Id() == id) {
            tool->SetTab(tab);
            attached = true;
        }
    }
    if (!attached)
        return nullptr;
    tab->Id = id;
    tab->Order = 99;
    tabs_.emplace_back(tab);
    return tab;
}

TToolTab *TToolMgr::FindTab(uint8_t id) const
{
    for (auto it = tabs_.rbegin(); it != tabs_.rend(); ++it)
        if (*it && (*it)->Id == id)
            return it->data();
    return nullptr;
}

void TToolMgr::ActivateUITools(uint8_t id)
{
    for (int i = 0; i < tools_.Count(); ++i)
        if (auto *tool = dynamic_cast<TORVUITool *>(tools_.Items(i)))
            tool->Activate(id);
}

void TToolMgr::RefreshUITools()
{
    for (int i = 0; i < tools_.Count(); ++i)
        if (auto *tool = dynamic_cast<TORVUITool *>(tools_.Items(i)))
            tool->RefreshIfActive();
}

TORVTool *TToolMgr::FindTool(uint8_t id) const
{
    for (int i = 0; i < tools_.Count(); ++i)
        if (tools_.Items(i)->Id() == id)
            return tools_.Items(i);
    return nullptr;
}

void TToolMgr::SetUndoItem(QAction *item)
{
    if (auto *tool = dynamic_cast<TUndoRedoTool *>(FindTool(kUndoToolId)))
        tool->SetMenuItem(item);
}

void TToolMgr::SetRedoItem(QAction *item)
{
    if (auto *tool = dynamic_cast<TUndoRedoTool *>(FindTool(kRedoToolId)))
        tool->SetMenuItem(item);
}

void TToolMgr::UndoRedoCaption(TPMap &map, int32_t kind, int32_t code)
{
    // A map in another tab reports its own history; its tab shows it when it
    // becomes current.
    if (&map != map_)
        return;
    const uint8_t id = kind == kNextUndoReport ? kUndoToolId : kind == kNextRedoReport ? kRedoToolId : 0;
    if (!id)
        return;
    if (auto *tool = dynamic_cast<TUndoRedoTool *>(FindTool(id)))
        tool->SetCaption(code);
}

void TToolMgr::ShowUndoRedoCaptions(int32_t undoCode, int32_t redoCode)
{
    if (auto *tool = dynamic_cast<TUndoRedoTool *>(FindTool(kUndoToolId)))
        tool->SetCaption(undoCode);
    if (auto *tool = dynamic_cast<TUndoRedoTool *>(FindTool(kRedoToolId)))
        tool->SetCaption(redoCode);
}
