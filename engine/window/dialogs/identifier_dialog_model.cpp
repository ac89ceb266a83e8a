#include "engine/window/dialogs/identifier_dialog_model.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_copy.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "platform/clipboard.h"
#include "platform/collation.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cstring>

namespace {

// The graph flag of layers that the dialog clears while it is open.
constexpr WPARAM kLayerFlag4 = 4;
// Filters of identifier links in either direction: a text that holds one is
// already an identifier's text.
constexpr uint16_t kIdLinkFilterA = 0xC400, kIdLinkFilterB = 0xC401;
// Deleting an identifier takes its text objects with it.
constexpr uint16_t kIdTreeFilter = 0xC401;

std::string idCode(OBJectKernel *kernel, OBJHANDLE id, std::string *name = nullptr)
{
    char code[ID_CODE_MAX + 1] = {}, nm[ID_NAME_MAX + 1] = {};
    GetIDOBJs(kernel, id, code, nm, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (name)
        *name = nm;
    return code;
}

OBJHANDLE idText(OBJectKernel *kernel, OBJHANDLE id, bool codeText)
{
    OBJHANDLE code = 0, name = 0;
    if (id)
        GetIDOBJs(kernel, id, nullptr, nullptr, nullptr, nullptr, nullptr, &code, &name);
    return codeText ? code : name;
}

// A text object that is nobody's identifier text.
bool freeText(OBJectKernel *kernel, OBJHANDLE t)
{
    return t && GetOBJectClassID(kernel, t) == CLASS_TEXT &&
           !FirstReference(kernel, t, kIdLinkFilterA, nullptr) &&
           !FirstReference(kernel, t, kIdLinkFilterB, nullptr);
}

std::string textOf(OBJectKernel *kernel, OBJHANDLE t)
{
    char buffer[ID_NAME_MAX + 1] = {};
    TextObjectTextGet(kernel, t, buffer, int(ID_NAME_MAX));
    return buffer;
}

int showFlag(IdCheck c) { return c == IdCheck::Unchecked ? -1 : 1; }

} // namespace

IdentifierDialogModel::IdentifierDialogModel(HWND window) : window_(window)
{
    _WNDRES *rec = window ? GetWndRes(window) : nullptr;
    if (!rec || !rec->kernel)
        return;
    kernel_ = rec->kernel;
    selList_ = GetRootOBJect(window, CLASS_SELLIST);
    idsList_ = GetRootOBJect(window, CLASS_IDSLIST);
    layers_ = GetRootOBJect(window, CLASS_LAYERS);
    groups_ = GetRootOBJect(window, CLASS_GROUPS);
    object_ = LastReference(kernel_, selList_, REF_SELECTED, nullptr);
    if (const char *p = idsList_ ? OBJectLock(kernel_, idsList_) : nullptr)
        options_ = LoadField<uint16_t>(p, IDSLIST_TEXT_OPTIONS);
    InitBoundRect(&changed_);
    undoAtOpening_ = Undo_GetPositionCurStep(kernel_);
    if (objectMode()) {
        enableControls(true, true);
        showCode = (options_ & 1) ? IdCheck::Checked : IdCheck::Unchecked;
        showName = (options_ & 2) ? IdCheck::Checked : IdCheck::Unchecked;
        if (!GetID(kernel_, object_))
            autoIdentify();
    } else {
        enableControls(false, false);
    }
    Fill();
    setLayerFlag(false);
}

IdentifierDialogModel::~IdentifierDialogModel()
{
    if (kernel_)
        setLayerFlag(true);
}

void IdentifierDialogModel::setLayerFlag(bool on)
{
    if (layers_)
        PropagateOBJectMessage(kernel_, layers_, REF_LAYER_MEMBER, GRM_SETFLAGS, kLayerFlag4,
                               on ? 0xFFFF : 0);
}

std::string IdentifierDialogModel::caption() const
{
    char text[128] = {};
    LoadStringMap(objectMode() ? IDS_IDDLG_OBJECT_CAPTION : IDS_IDDLG_LIST_CAPTION, text, int(sizeof text));
    return text;
}

OBJHANDLE IdentifierDialogModel::userOf(OBJHANDLE id) const
{
    OBJHANDLE user = 0;
    if (id)
        GetIDOBJs(kernel_, id, nullptr, nullptr, &user, nullptr, nullptr, nullptr, nullptr);
    return user;
}

// Text objects selected just before an object without identifier become
// its identifier: the nearest one its name, the one before that its code.
void IdentifierDialogModel::autoIdentify()
{
    int32_t pos = FindReference(kernel_, selList_, REF_SELECTED, object_);
    if (pos < 0)
        return;
    const OBJHANDLE t1 = PrevReference(kernel_, selList_, REF_SELECTED, &pos);
    if (!freeText(kernel_, t1))
        return;
    const std::string nm = textOf(kernel_, t1);
    OBJHANDLE t2 = PrevReference(kernel_, selList_, REF_SELECTED, &pos);
    if (!freeText(kernel_, t2))
        t2 = 0;
    const std::string cd = t2 ? textOf(kernel_, t2) : std::string();
    int error = 0;
    const OBJHANDLE id =
        SetID(kernel_, idsList_, layers_, groups_, window_, object_, cd.c_str(), nm.c_str(), 0, 0, &error, 1);
    if (error)
        GraphErrorMessage(window_, error);
    if (!id)
        return;
    if (t2)
        InsertRefInPos(kernel_, id, REF_ID_TEXT1, t2, -1, -1);
    InsertRefInPos(kernel_, id, REF_ID_TEXT2, t1, -1, -1);
}

std::string IdentifierDialogModel::itemText(const std::string &c, const std::string &n) const
{
    return order_ == 0 ? c + '\t' + n : n + '\t' + c;
}

// A sorted list box puts a new item after the items that compare equal.
void IdentifierDialogModel::addItem(const std::string &text, OBJHANDLE id)
{
    const auto at =
        std::upper_bound(items_.begin(), items_.end(), text, [](const std::string &t, const IdDlgItem &i) {
            return lstrcmpiA(t.c_str(), i.text.c_str()) < 0;
        });
    const int index = int(at - items_.begin());
    // Indexes at or after the new item move down by one.
    std::set<int> moved;
    for (int s : selected_)
        moved.insert(s >= index ? s + 1 : s);
    selected_ = moved;
    if (single_ >= index)
        ++single_;
    if (framed_ >= index)
        ++framed_;
    items_.insert(at, IdDlgItem{text, id});
}

void IdentifierDialogModel::Fill()
{
    if (!kernel_)
        return;
    std::vector<OBJHANDLE> users;
    for (int s : selected_)
        users.push_back(userOf(items_[size_t(s)].id));
    SortOBJHandles(users.data(), int32_t(users.size()));
    items_.clear();
    selected_.clear();
    framed_ = -1;
    const int single = single_; // an index, as the list had it
    int32_t pos = -1;
    for (OBJHANDLE id = GetReference(kernel_, idsList_, REF_IDLIST_MEMBER, &pos); id;
         id = GetReference(kernel_, idsList_, REF_IDLIST_MEMBER, &pos)) {
        std::string n;
        const std::string c = idCode(kernel_, id, &n);
        addItem(itemText(c, n), id);
    }
    single_ = single;
    if (objectMode()) {
        for (size_t i = 0; i < items_.size(); ++i)
            if (userOf(items_[i].id) == object_) {
                selected_ = {int(i)};
                break;
            }
        selectionChanged();
        return;
    }
    for (size_t i = 0; i < items_.size(); ++i)
        if (FindOBJHandle(users.data(), int32_t(users.size()), userOf(items_[i].id)) >= 0)
            selected_.insert(int(i));
}

void IdentifierDialogModel::SelectItems(const std::set<int> &indexes)
{
    selected_.clear();
    for (int i : indexes)
        if (i >= 0 && size_t(i) < items_.size())
            selected_.insert(i);
    if (objectMode() && selected_.size() > 1)
        selected_ = {*selected_.rbegin()};
    selectionChanged();
}

void IdentifierDialogModel::selectionChanged()
{
    framed_ = -1;
    int chosen = -1;
    if (objectMode()) {
        if (!selected_.empty())
            chosen = *selected_.begin();
    } else if (selected_.size() == 1) {
        const int only = *selected_.begin();
        if (only == single_)
            selected_.clear(); // a second click on the only chosen item
        else
            chosen = only;
    }
    single_ = chosen;
    OBJHANDLE id = chosen >= 0 ? items_[size_t(chosen)].id : 0;
    if (chosen < 0 && objectMode())
        id = GetID(kernel_, object_);
    code.clear();
    name.clear();
    if (id) {
        code = idCode(kernel_, id, &name);
        showCode = idText(kernel_, id, true) ? IdCheck::Checked : IdCheck::Unchecked;
        showName = idText(kernel_, id, false) ? IdCheck::Checked : IdCheck::Unchecked;
    } else if (!selected_.empty()) {
        // Several items: a box shows what all of them share.
        const auto common = [&](bool codeText) {
            int with = 0, without = 0;
            for (int s : selected_) {
                const OBJHANDLE item = items_[size_t(s)].id;
                if (!item)
                    return IdCheck::Indeterminate;
                (idText(kernel_, item, codeText) ? with : without)++;
            }
            return without == 0 ? IdCheck::Checked : with == 0 ? IdCheck::Unchecked : IdCheck::Indeterminate;
        };
        showCode = common(true);
        showName = common(false);
    }
    if (objectMode())
        enableControls(true, GetID(kernel_, object_) != 0);
    else
        enableControls(!selected_.empty(), !selected_.empty());
}

void IdentifierDialogModel::enableControls(bool enable, bool enableDelete)
{
    if (!enable) {
        showCode = IdCheck::Unchecked;
        showName = IdCheck::Unchecked;
    }
    checksEnabled = enable;
    deleteEnabled = enableDelete;
}

void IdentifierDialogModel::SetOrder(int order)
{
    if (order != 0 && order != 1)
        return;
    if (order == order_)
        return;
    order_ = order;
    Fill();
}

void IdentifierDialogModel::ClickTextOption(int control)
{
    if (control != IDC_IDDLG_SHOW_CODE && control != IDC_IDDLG_SHOW_NAME)
        return;
    IdCheck &box = control == IDC_IDDLG_SHOW_CODE ? showCode : showName;
    box = box == IdCheck::Checked ? IdCheck::Unchecked : IdCheck::Checked;
    if (objectMode()) {
        const uint16_t bit = control == IDC_IDDLG_SHOW_CODE ? 1 : 2;
        options_ = box == IdCheck::Checked ? uint16_t(options_ | bit) : uint16_t(options_ & ~bit);
        return;
    }
    Apply(false);
}

void IdentifierDialogModel::EditFocusLost(bool modified)
{
    if (objectMode() || !modified)
        return;
    Apply(false);
    enableControls(true, true);
}

void IdentifierDialogModel::EditTextChanged()
{
    if (single_ < 0)
        FindTyped();
}

int IdentifierDialogModel::FindTyped()
{
    const std::string typedCode = code.substr(0, ID_CODE_MAX), typedName = name.substr(0, ID_NAME_MAX);
    for (size_t i = 0; i < items_.size(); ++i) {
        const std::string &t = items_[i].text;
        const size_t tab = t.find('\t');
        std::string first = t.substr(0, tab),
                    second = tab == std::string::npos ? std::string() : t.substr(tab + 1);
        const std::string &c = order_ == 0 ? first : second, &n = order_ == 0 ? second : first;
        if (c.compare(0, typedCode.size(), typedCode) == 0 &&
            n.compare(0, typedName.size(), typedName) == 0) {
            framed_ = int(i);
            return 1;
        }
    }
    return 1;
}

void IdentifierDialogModel::addChanged(OBJHANDLE object)
{
    const auto add = [&](OBJHANDLE h) {
        if (!h)
            return;
        _COORDRECT r;
        InitBoundRect(&r);
        SendOBJectMessage(kernel_, h, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        SumBoundRect(&changed_, &r);
    };
    add(object);
    const OBJHANDLE id = object ? GetID(kernel_, object) : 0;
    add(idText(kernel_, id, true));
    add(idText(kernel_, id, false));
}

int IdentifierDialogModel::setId(OBJHANDLE object, const char *c, const char *n, int sc, int sn)
{
    int error = 0;
    const OBJHANDLE id = SetID(kernel_, idsList_, layers_, groups_, window_, object, c, n, sc, sn, &error, 1);
    if (error)
        GraphErrorMessage(window_, error);
    return id ? 1 : 0;
}

int IdentifierDialogModel::Apply(bool del)
{
    if (!kernel_)
        return 0;
    const std::string c = del ? std::string() : code.substr(0, ID_CODE_MAX);
    const std::string n = del ? std::string() : name.substr(0, ID_NAME_MAX);
    if (objectMode()) {
        addChanged(object_);
        const int done = setId(object_, c.c_str(), n.c_str(), showFlag(showCode), showFlag(showName));
        addChanged(object_);
        return done;
    }
    const size_t count = selected_.size();
    if (!del && c.empty() && n.empty() && count == 1)
        del = true;
    if (count == 0)
        return 0;
    const std::vector<int> chosen(selected_.begin(), selected_.end());
    std::vector<OBJHANDLE> remembered;
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        const OBJHANDLE id = items_[size_t(*it)].id;
        const OBJHANDLE user = userOf(id);
        int result = 0;
        if (del && !user) {
            Undo_DeleteTree2(kernel_, id, kIdTreeFilter);
        } else if (user) {
            addChanged(user);
            const bool texts = del || count == 1;
            result = setId(user, texts ? c.c_str() : nullptr, texts ? n.c_str() : nullptr, showFlag(showCode),
                           showFlag(showName));
        }
        if (del || count == 1) {
            items_.erase(items_.begin() + *it);
            std::set<int> moved;
            for (int s : selected_)
                if (s != *it)
                    moved.insert(s > *it ? s - 1 : s);
            selected_ = moved;
        }
        if (!del && result == 0)
            return 0;
        if (user)
            addChanged(user);
        if (!del && count == 1 && result) {
            addItem(itemText(c, n), GetID(kernel_, user));
            remembered.push_back(user);
        }
    }
    if (!del && count == 1) {
        selected_.clear();
        for (size_t i = items_.size(); i-- > 0;)
            if (std::find(remembered.begin(), remembered.end(), userOf(items_[i].id)) != remembered.end())
                selected_.insert(int(i));
        // The chosen item moved with its new text: a click on the item now at
        // its old place chooses that one.
        single_ = selected_.size() == 1 ? *selected_.begin() : -1;
    }
    return 1;
}

bool IdentifierDialogModel::Delete()
{
    code.clear();
    name.clear();
    if (objectMode())
        return true;
    Apply(true);
    enableControls(false, false);
    single_ = -1;
    return false;
}

int IdentifierDialogModel::Ok()
{
    if (!kernel_)
        return 1;
    if (objectMode()) {
        Apply(false);
    } else if (!selected_.empty()) {
        std::vector<OBJHANDLE> users;
        for (int s : selected_)
            users.push_back(userOf(items_[size_t(s)].id));
        SetSelection(window_, users.data(), uint32_t(users.size()), 0, 0);
        _COORDRECT r;
        InitBoundRect(&r);
        SendOBJectMessage(kernel_, selList_, selList_, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        SumBoundRect(&changed_, &r);
    }
    if (char *p = idsList_ ? OBJectLock(kernel_, idsList_) : nullptr)
        StoreField<uint16_t>(p, IDSLIST_TEXT_OPTIONS, options_);
    if (Undo_GetPositionCurStep(kernel_) != undoAtOpening_) {
        Undo_SetNewStep(window_, kernel_, UNDO_OP_CHANGE_IDENTIFICATION);
        if (_WNDRES *rec = GetWndRes(window_))
            rec->flags |= WNDRES_MODIFIED;
    }
    InvalidateGraphRect(window_, &changed_, 1);
    return 1;
}

int IdentifierDialogModel::Cancel()
{
    if (!kernel_)
        return 0;
    int position = Undo_GetPositionCurStep(kernel_);
    if (position == undoAtOpening_)
        return 0;
    while (position > undoAtOpening_) {
        if (!Undo_One(kernel_))
            break;
        position = Undo_GetPositionCurStep(kernel_);
    }
    Undo_FreeFromCur(kernel_);
    return 0;
}

std::string IdentifierDialogModel::SelectionText() const
{
    std::string out;
    for (int s : selected_)
        out += items_[size_t(s)].text + "\r\n";
    return out;
}

bool IdentifierDialogModel::CopySelection(HWND owner) const
{
    const std::string text = SelectionText();
    if (text.empty())
        return false;
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block)
        return false;
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_TEXT, block) != 0;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed;
}
