// The identifier dialog through its model, on a document with identified
// polylines and text objects: both modes, applying at once in list mode,
// what OK records and Cancel takes back, the typed search, the copy of the
// list, the text made an identifier before the object; and the dialog
// itself opened and closed offscreen.
#include "tests/engine/view/text/text_fixture.h"

#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/window/dialogs/identifier_dialog.h"
#include "engine/window/window_points.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class IdentifierDialogTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        if (HasFatalFailure())
            return;
        layers = GetRootOBJect(window, CLASS_LAYERS);
        ids = GetRootOBJect(window, CLASS_IDSLIST);
        layer = GetActiveLayer(kernel, layers);
        ASSERT_NE(layer, 0u);
        dir = fs::temp_directory_path() / ("iddlg_" + std::to_string(getpid()));
        fs::create_directories(dir);
        boxes = 0;
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            ++boxes;
            lastBox = r.text;
            return IDOK;
        });
        // Three identified lines, created as one closed step.
        a = identified(line(0), "B", "beta");
        b = identified(line(1000), "a", "alpha");
        c = identified(line(2000), "C", "gamma");
        Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
        rec.flags = 0;
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetModalDialogHook({});
        fs::remove_all(dir);
        TextTest::TearDown();
    }

    OBJHANDLE line(int32_t x)
    {
        const MAP_COORDPT points[2] = {{x, 0}, {x + 500, 500}};
        OBJHANDLE h = 0;
        EXPECT_EQ(map_polyline_Create(window, &h, points, 2, 0), 1);
        return h;
    }
    OBJHANDLE identified(OBJHANDLE object, const char *code, const char *name)
    {
        EXPECT_NE(SetID(kernel, ids, layers, 0, window, object, code, name, 0, 0, nullptr, 1), 0u);
        return object;
    }
    std::string codeOf(OBJHANDLE object)
    {
        char code[ID_CODE_MAX + 1] = {}, name[ID_NAME_MAX + 1] = {};
        GetIDOBJs(kernel, GetID(kernel, object), code, name, nullptr, nullptr, nullptr, nullptr, nullptr);
        return std::string(code) + "/" + name;
    }
    OBJHANDLE codeText(OBJHANDLE object)
    {
        return FirstReference(kernel, GetID(kernel, object), REF_ID_TEXT1, nullptr);
    }
    std::vector<std::string> texts(const IdentifierDialogModel &m)
    {
        std::vector<std::string> out;
        for (const IdDlgItem &i : m.items())
            out.push_back(i.text);
        return out;
    }
    int indexOf(const IdentifierDialogModel &m, OBJHANDLE user)
    {
        for (size_t i = 0; i < m.items().size(); ++i)
            if (m.userOf(m.items()[i].id) == user)
                return int(i);
        return -1;
    }
    std::vector<char> saved()
    {
        const fs::path p = dir / "doc.mpd";
        EXPECT_EQ(MapSave(window, p.c_str()), 1);
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void select(std::vector<OBJHANDLE> objects)
    {
        SetSelection(window, objects.data(), uint32_t(objects.size()), 0, 0);
    }

    OBJHANDLE layers = 0, ids = 0, layer = 0;
    OBJHANDLE a = 0, b = 0, c = 0;
    fs::path dir;
    int boxes = 0;
    std::string lastBox;
};

TEST_F(IdentifierDialogTest, ListModeSortsByTextAndSwitchesTheOrderKeepingTheChoice)
{
    IdentifierDialogModel m(window);
    ASSERT_TRUE(m.valid());
    EXPECT_FALSE(m.objectMode());
    EXPECT_EQ(m.caption(), "Identification");
    EXPECT_EQ(texts(m), (std::vector<std::string>{"a\talpha", "B\tbeta", "C\tgamma"}));
    EXPECT_EQ(m.tabStop(), 56);
    EXPECT_FALSE(m.checksEnabled);
    EXPECT_FALSE(m.deleteEnabled);

    m.SelectItems({indexOf(m, c)});
    EXPECT_EQ(m.code, "C");
    EXPECT_EQ(m.name, "gamma");
    EXPECT_TRUE(m.deleteEnabled);
    m.SetOrder(1);
    EXPECT_EQ(texts(m), (std::vector<std::string>{"alpha\ta", "beta\tB", "gamma\tC"}));
    EXPECT_EQ(m.tabStop(), 136);
    EXPECT_EQ(m.selection(), (std::set<int>{2}));
    // A second click on the only chosen item clears the choice and the fields.
    m.SelectItems({2});
    EXPECT_TRUE(m.selection().empty());
    EXPECT_EQ(m.code, "");
    EXPECT_FALSE(m.checksEnabled);
}

TEST_F(IdentifierDialogTest, ListModeAppliesAtOnceAndOkClosesOneStepAndSelectsTheCarriers)
{
    IdentifierDialogModel m(window);
    m.SelectItems({indexOf(m, a)});
    m.code = "Z";
    m.name = "zeta";
    m.EditFocusLost(true);
    EXPECT_EQ(codeOf(a), "Z/zeta") << "applied when the focus left the field";
    EXPECT_EQ(texts(m), (std::vector<std::string>{"a\talpha", "C\tgamma", "Z\tzeta"}));
    EXPECT_EQ(m.selection(), (std::set<int>{2})) << "the changed item stays chosen at its new place";

    EXPECT_EQ(m.Ok(), 1);
    EXPECT_EQ(FirstReference(kernel, GetRootOBJect(window, CLASS_SELLIST), REF_SELECTED, nullptr), a);
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
    ASSERT_EQ(Undo_Undo(kernel), 1) << "one step";
    EXPECT_EQ(codeOf(a), "B/beta");
}

TEST_F(IdentifierDialogTest, EmptiedFieldsRemoveTheIdentifierAndItsItem)
{
    IdentifierDialogModel m(window);
    m.SelectItems({indexOf(m, b)});
    m.code.clear();
    m.name.clear();
    m.EditFocusLost(true);
    EXPECT_EQ(GetID(kernel, b), 0u);
    EXPECT_EQ(texts(m), (std::vector<std::string>{"B\tbeta", "C\tgamma"}));
    // An unchanged field applies nothing.
    m.SelectItems({0});
    m.EditFocusLost(false);
    EXPECT_EQ(codeOf(a), "B/beta");
}

TEST_F(IdentifierDialogTest, MixedTextObjectsShowIndeterminateAndAClickGivesEveryoneTheText)
{
    ASSERT_NE(SetID(kernel, ids, layers, 0, window, a, "B", "beta", 1, 0, nullptr, 1), 0u);
    ASSERT_NE(codeText(a), 0u);
    ASSERT_EQ(codeText(c), 0u);
    IdentifierDialogModel m(window);
    m.SelectItems({indexOf(m, a), indexOf(m, c)});
    EXPECT_EQ(m.showCode, IdCheck::Indeterminate);
    EXPECT_EQ(m.showName, IdCheck::Unchecked);
    EXPECT_TRUE(m.checksEnabled);
    m.ClickTextOption(IDC_IDDLG_SHOW_CODE);
    EXPECT_EQ(m.showCode, IdCheck::Checked);
    EXPECT_NE(codeText(c), 0u);
    EXPECT_NE(codeText(a), 0u);
    EXPECT_EQ(codeOf(c), "C/gamma") << "several items keep their texts";
}

TEST_F(IdentifierDialogTest, TypedSearchFramesTheFirstMatchWithoutChoosingIt)
{
    const struct {
        int order;
        std::string code, name;
        int framed;
    } cases[] = {{0, "C", "", 2}, {0, "", "be", 1}, {1, "a", "", 0}, {1, "x", "", -1}, {0, "a", "g", -1}};
    for (const auto &k : cases) {
        IdentifierDialogModel fresh(window);
        fresh.SetOrder(k.order);
        fresh.code = k.code;
        fresh.name = k.name;
        fresh.EditTextChanged();
        EXPECT_EQ(fresh.framedItem(), k.framed) << k.order << " '" << k.code << "' '" << k.name << "'";
        EXPECT_TRUE(fresh.selection().empty());
    }
}

// Undone record by record: the identifiers, their list and the objects'
// links are back (an object's own links may come back in another order).
TEST_F(IdentifierDialogTest, CancelUndoesEverythingAndLeavesNoRedo)
{
    const OBJHANDLE idC = GetID(kernel, c);
    const int position = Undo_GetPositionCurStep(kernel);
    {
        IdentifierDialogModel m(window);
        m.SelectItems({indexOf(m, a)});
        m.code = "Q";
        m.EditFocusLost(true);
        m.SelectItems({indexOf(m, c)});
        m.Delete();
        EXPECT_EQ(GetID(kernel, c), 0u);
        EXPECT_EQ(codeOf(a), "Q/beta");
        EXPECT_EQ(m.Cancel(), 0);
    }
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), position);
    EXPECT_EQ(Undo_Redo(kernel), 0);
    EXPECT_EQ(codeOf(a), "B/beta");
    EXPECT_EQ(codeOf(b), "a/alpha");
    EXPECT_EQ(GetID(kernel, c), idC);
    EXPECT_EQ(codeOf(c), "C/gamma");
    IdentifierDialogModel reopened(window);
    EXPECT_EQ(texts(reopened), (std::vector<std::string>{"a\talpha", "B\tbeta", "C\tgamma"}));
    EXPECT_EQ(FindOBJectByIDText(window, "C", "gamma"), c) << "the list is sorted again";
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
}

TEST_F(IdentifierDialogTest, ObjectModeEditsTheLastSelectedObjectOnOk)
{
    select({c, a});
    IdentifierDialogModel m(window);
    ASSERT_TRUE(m.objectMode());
    EXPECT_EQ(m.object(), a);
    EXPECT_EQ(m.caption(), "Identification (Object)");
    EXPECT_EQ(m.code, "B");
    EXPECT_EQ(m.selection(), (std::set<int>{indexOf(m, a)}));
    m.name = "bravo";
    EXPECT_EQ(codeOf(a), "B/beta") << "nothing changes before OK";
    m.Ok();
    EXPECT_EQ(codeOf(a), "B/bravo");

    // The code and name of another identifier: refused with its message.
    IdentifierDialogModel again(window);
    again.code = "C";
    again.name = "gamma";
    again.Ok();
    EXPECT_EQ(lastBox, "Identifier exists");
    EXPECT_EQ(codeOf(a), "B/bravo");
}

TEST_F(IdentifierDialogTest, DeleteOnAnObjectWithoutIdentifierRecordsNothing)
{
    const OBJHANDLE bare = line(5000);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    rec.flags = 0;
    select({bare});
    const int position = Undo_GetPositionCurStep(kernel);
    IdentifierDialogModel m(window);
    EXPECT_FALSE(m.deleteEnabled);
    EXPECT_TRUE(m.Delete()) << "ends as by OK";
    EXPECT_EQ(m.Ok(), 1);
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), position);
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
}

TEST_F(IdentifierDialogTest, TextsSelectedBeforeTheObjectBecomeItsIdentifier)
{
    const OBJHANDLE bare = line(5000);
    const OBJHANDLE first = makeText("K7", {100, 100}, 10, 0);
    const OBJHANDLE second = makeText("Riverside", {200, 200}, 10, 0);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    select({first, second, bare});
    {
        IdentifierDialogModel m(window);
        EXPECT_EQ(codeOf(bare), "K7/Riverside");
        EXPECT_EQ(codeText(bare), first);
        EXPECT_EQ(FirstReference(kernel, GetID(kernel, bare), REF_ID_TEXT2, nullptr), second);
        m.Cancel();
    }
    EXPECT_EQ(GetID(kernel, bare), 0u) << "Cancel takes the identification back";

    // Only one free text before it: the name alone.
    select({second, bare});
    IdentifierDialogModel m(window);
    EXPECT_EQ(codeOf(bare), "/Riverside");
}

TEST_F(IdentifierDialogTest, CopyPutsTheChosenItemsOnTheClipboard)
{
    IdentifierDialogModel m(window);
    EXPECT_FALSE(m.CopySelection(0)) << "nothing chosen";
    m.SelectItems({0, 2});
    EXPECT_EQ(m.SelectionText(), "a\talpha\r\nC\tgamma\r\n");
    ASSERT_TRUE(m.CopySelection(0));
    ASSERT_TRUE(OpenClipboard(0));
    const HGLOBAL data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, 0u);
    EXPECT_EQ(std::string(static_cast<const char *>(GlobalLock(data))), "a\talpha\r\nC\tgamma\r\n");
    GlobalUnlock(data);
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(IdentifierDialogTest, SettingsRefuseSeveralObjectsAndRunTheDialog)
{
    select({a, c});
    int shown = 0;
    SetModalDialogHook([&](QDialog &, int) {
        ++shown;
        return IDOK;
    });
    EXPECT_EQ(IdDlgSettings(window), 0);
    EXPECT_EQ(shown, 0);

    // One object: the fields typed in the dialog reach the object on OK.
    select({c});
    SetModalDialogHook([&](QDialog &d, int id) {
        ++shown;
        EXPECT_EQ(id, CIdDlg::kTemplateId);
        EXPECT_EQ(d.windowTitle(), "Identification (Object)");
        auto *name = DialogItemAs<QLineEdit>(&d, IDC_IDDLG_NAME);
        EXPECT_NE(name, nullptr);
        if (name) {
            name->setText("gamma ray");
            name->textEdited(name->text());
        }
        return IDOK;
    });
    EXPECT_EQ(IdDlgSettings(window), 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(codeOf(c), "C/gamma ray");

    // Cancel through the dialog leaves the document as it was.
    select({});
    const std::vector<char> before = saved();
    SetModalDialogHook([&](QDialog &d, int) {
        auto *list = DialogItem(&d, IDC_IDDLG_LIST);
        EXPECT_NE(list, nullptr);
        DialogItemAs<QPushButton>(&d, IDC_IDDLG_DELETE)->click(); // disabled: nothing chosen
        return IDCANCEL;
    });
    EXPECT_EQ(IdDlgSettings(window), 1);
    EXPECT_EQ(saved(), before);
}

} // namespace
