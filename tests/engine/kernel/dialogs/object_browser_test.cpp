#include "engine/kernel/dialogs/object_browser.h"

#include "engine/kernel/object_store.h"
#include "platform/modal_dialog.h"
#include "tests/engine/kernel/docmodel_fixture.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>

namespace {

std::string hex8(OBJHANDLE h)
{
    char b[16];
    std::snprintf(b, sizeof b, "%08X", h);
    return b;
}

class ObjectBrowserTest : public docmodeltest::DocModelTest {
protected:
    int rowOf(const ObjectBrowserModel &m, OBJHANDLE target)
    {
        for (size_t i = 0; i < m.ReferenceLines().size(); ++i)
            if (m.ReferenceLines()[i].text.ends_with(hex8(target)))
                return int(i);
        return -1;
    }
};

TEST_F(ObjectBrowserTest, WithoutAStartObjectTheInternalErrorBoxShowsAndNothingOpens)
{
    EnableInternalErrorMessages();
    ObjectBrowserModel m(kernel);
    EXPECT_FALSE(m.Open(0));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No object to start walk");
    EXPECT_EQ(OBJectWalk(kernel, window, 0), 0);
}

TEST_F(ObjectBrowserTest, PanesShowHandleClassInformationReferencesAndData)
{
    const OBJHANDLE line = makeObject(layer0);
    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(line));
    char handleText[32];
    std::snprintf(handleText, sizeof handleText, "%08X (%10u)", line, line);
    EXPECT_EQ(m.HandleText(), handleText);
    EXPECT_EQ(m.ClassText().substr(0, 6), "0009: ") << m.ClassText();
    EXPECT_NE(m.ClassText().find("<Polyline>"), std::string::npos) << m.ClassText();

    const std::vector<std::string> &info = m.InfoLines();
    ASSERT_GT(info.size(), 10u) << "the class procedure's own lines come first";
    EXPECT_EQ(info[0], "-- GRAPHICAL OBJECT INFORMATIONS -----------");
    const size_t k = info.size() - 10;
    EXPECT_EQ(info[k], "-- KERNEL OBJECT INFORMATIONS: --");
    const OBJectHead *head = HeadLock(kernel, line);
    char expect[96];
    std::snprintf(expect, sizeof expect, "Flags / Size: \t%04X / %08X", head->flags, head->size);
    EXPECT_EQ(info[k + 1], expect);
    std::snprintf(expect, sizeof expect, "Ref. From / To: \t%4u / %4u", head->refsHeld, head->refsIncoming);
    EXPECT_EQ(info[k + 2], expect);
    EXPECT_EQ(info[k + 5], "-- KERNEL CLASS  INFORMATIONS: --");
    std::snprintf(expect, sizeof expect, "OBJects - All / Deleted: \t%6li / %6li", long(kernel->objects),
                  long(kernel->deleted));
    EXPECT_EQ(info.back(), expect);

    // The member's link to its layer runs backwards.
    const int row = rowOf(m, layer0);
    ASSERT_GE(row, 0);
    char refLine[64];
    std::snprintf(refLine, sizeof refLine, "%4X: <<Layer>> <- %08X", unsigned(REF_LAYER_BACK), layer0);
    EXPECT_EQ(m.ReferenceLines()[size_t(row)].text, refLine);

    // Data words: four a line, each line headed by its position.
    EXPECT_EQ(m.DataCaption(), std::string("Data:"));
    m.ShowStructFields(true);
    EXPECT_EQ(m.DataCaption(), std::string("Structure Fields:"));
    const uint32_t fixedBytes = head->refOffset - OBJ_HEAD_SIZE;
    ASSERT_EQ(m.DataLines().size(), (fixedBytes + 7) / 8);
    EXPECT_EQ(m.DataLines()[0].substr(0, 5), "0000:");
    EXPECT_EQ(m.DataLines()[0].size(), 5u + 4 * 5) << m.DataLines()[0];
    if (m.DataLines().size() > 1) {
        EXPECT_EQ(m.DataLines()[1].substr(0, 5), "0008:");
    }
}

TEST_F(ObjectBrowserTest, AClassWithoutAProcedureShowsOnlyTheKernelLines)
{
    ASSERT_NE(RegisterOBJectClass(0x0077, 12, 2, 6, nullptr, nullptr, 0, "Bare"), 0);
    const OBJHANDLE bare = CreateOBJect(kernel, 0x0077);
    ASSERT_NE(bare, 0u);
    uint8_t bytes[5] = {0x01, 0x02, 0x03, 0x04, 0x05};
    ASSERT_NE(ReSizeOBJectData(kernel, bare, sizeof bytes), 0u);
    TransferOBJectData(kernel, bare, bytes, sizeof bytes, 1);
    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(bare));
    ASSERT_EQ(m.InfoLines().size(), 10u);
    EXPECT_EQ(m.InfoLines()[0], "-- KERNEL OBJECT INFORMATIONS: --");
    EXPECT_EQ(m.InfoLines()[5], "-- KERNEL CLASS  INFORMATIONS: --");
    EXPECT_EQ(m.InfoLines()[6], "Instances - All / Deleted: \t     1 /      0");
    EXPECT_TRUE(m.ReferenceLines().empty());
    ASSERT_EQ(m.DataLines().size(), 1u);
    EXPECT_EQ(m.DataLines()[0], "0000: 0201 0403 0005") << "a last odd byte is a word of its own";
}

TEST_F(ObjectBrowserTest, GoToFollowsAReferenceAndGoBackReturnsToTheSlotFollowed)
{
    const OBJHANDLE line = makeObject(layer0);
    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(line));
    EXPECT_FALSE(m.CanGoTo());
    EXPECT_FALSE(m.CanGoBack());
    const int row = rowOf(m, layer0);
    m.SelectRow(row);
    ASSERT_TRUE(m.CanGoTo());
    ASSERT_TRUE(m.GoTo());
    EXPECT_EQ(m.Current(), layer0);
    ASSERT_EQ(m.History().size(), 1u);
    EXPECT_EQ(m.History()[0].object, line);
    // In the layer's list, its first reference with the id just followed.
    int32_t pos = -1;
    if (GetReference(kernel, layer0, REF_LAYER_BACK, &pos)) {
        ASSERT_GE(m.SelectedRow(), 0);
        EXPECT_EQ(int32_t(m.ReferenceLines()[size_t(m.SelectedRow())].data), pos);
    } else {
        EXPECT_EQ(m.SelectedRow(), -1);
    }
    EXPECT_TRUE(m.CanGoBack());
    ASSERT_TRUE(m.GoBack());
    EXPECT_EQ(m.Current(), line);
    EXPECT_EQ(m.SelectedRow(), row) << "the slot that was followed";
    EXPECT_TRUE(m.History().empty());
    EXPECT_FALSE(m.GoBack());
}

TEST_F(ObjectBrowserTest, TheHistoryKeepsFortySteps)
{
    const OBJHANDLE line = makeObject(layer0);
    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(line));
    for (int i = 0; i < 45; ++i) {
        const OBJHANDLE other = m.Current() == line ? layer0 : line;
        m.SelectRow(rowOf(m, other));
        ASSERT_TRUE(m.GoTo()) << i;
        EXPECT_EQ(m.Current(), other);
    }
    EXPECT_EQ(m.History().size(), size_t(ObjectBrowserModel::kMaxHistory));
    int back = 0;
    while (m.GoBack())
        ++back;
    EXPECT_EQ(back, 40);
}

TEST_F(ObjectBrowserTest, TheTreeDrawsBranchesAndLeavesOutLinesOfEightyCharacters)
{
    // A chain of groups: aspect -> g1 -> g2 -> ... each with two members at
    // the bottom.
    std::vector<OBJHANDLE> chain;
    OBJHANDLE parent = aspect;
    for (int depth = 0; depth < 16; ++depth) {
        parent = makeGroup(parent, {});
        chain.push_back(parent);
    }
    const OBJHANDLE a = makeObject(), b = makeObject();
    makeGroup(chain[0], {a, b});

    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(aspect));
    const int row = rowOf(m, chain[0]);
    ASSERT_GE(row, 0);
    m.SelectRow(row);
    ASSERT_TRUE(m.ShowTree());
    EXPECT_TRUE(m.TreeShown());
    EXPECT_EQ(m.ReferenceCaption(), std::string("Tree:"));
    EXPECT_FALSE(m.CanGoTo());
    EXPECT_FALSE(m.CanGoBack());
    const auto &lines = m.ReferenceLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "[" + hex8(aspect) + "]");
    for (const auto &l : lines)
        EXPECT_LT(l.text.size(), 80u) << l.text;
    // The deep chain stops where the next line would reach 80 characters.
    const size_t shown = size_t(std::count_if(chain.begin(), chain.end(), [&](OBJHANDLE g) {
        return std::any_of(lines.begin(), lines.end(), [&](const auto &l) { return l.data == g; });
    }));
    EXPECT_GT(shown, 3u);
    EXPECT_LT(shown, chain.size());
    // Selecting a line shows that node above, the current object stays.
    m.SelectRow(1);
    EXPECT_NE(m.HandleText().find(hex8(lines[1].data)), std::string::npos);
    EXPECT_EQ(m.Current(), aspect);

    m.ShowReferenceList();
    EXPECT_FALSE(m.TreeShown());
    EXPECT_TRUE(m.History().empty()) << "the tree's own history step is dropped";
    EXPECT_EQ(m.ReferenceCaption(), std::string("References:"));
}

TEST_F(ObjectBrowserTest, TreeLinesMarkTheLastChild)
{
    const OBJHANDLE a = makeObject(), b = makeObject();
    const OBJHANDLE g = makeGroup(aspect, {a, b});
    ObjectBrowserModel m(kernel);
    ASSERT_TRUE(m.Open(aspect));
    m.SelectRow(rowOf(m, g));
    ASSERT_TRUE(m.ShowTree());
    std::vector<std::string> texts;
    for (const auto &l : m.ReferenceLines())
        texts.push_back(l.text);
    const std::vector<OBJHANDLE> members = targets(g, REF_GROUP_MEMBER);
    ASSERT_EQ(members.size(), 2u);
    const std::vector<OBJHANDLE> top = targets(aspect, REF_GROUP_MEMBER);
    // g's lines sit under the aspect; its members below it.
    const bool gLast = top.back() == g;
    const std::string childIndent = gLast ? "     " : "  |  ";
    auto at = std::find(texts.begin(), texts.end(), std::string(gLast ? "  *--[" : "  |--[") + hex8(g) + "]");
    ASSERT_NE(at, texts.end());
    EXPECT_EQ(*(at + 1), childIndent + "  |--[" + hex8(members[0]) + "]");
    EXPECT_EQ(*(at + 2), childIndent + "  *--[" + hex8(members[1]) + "]");
}

TEST_F(ObjectBrowserTest, TheDialogOpensShowsTheModelAndCloses)
{
    const OBJHANDLE line = makeObject(layer0);
    bool seen = false;
    SetModalDialogHook([&](QDialog &d, int) {
        seen = true;
        EXPECT_EQ(d.objectName(), "OBJWalkDlg");
        auto *handle = DialogItemAs<QLabel>(&d, 118);
        auto *refs = DialogItemAs<QListWidget>(&d, 124);
        auto *goTo = DialogItemAs<QPushButton>(&d, 121);
        auto *goBack = DialogItemAs<QPushButton>(&d, 122);
        EXPECT_TRUE(handle && refs && goTo && goBack);
        if (!(handle && refs && goTo && goBack))
            return IDCANCEL;
        EXPECT_TRUE(handle->text().startsWith(QString::fromStdString(hex8(line))));
        EXPECT_FALSE(goTo->isEnabled());
        for (int i = 0; i < refs->count(); ++i)
            if (refs->item(i)->text().endsWith(QString::fromStdString(hex8(layer0))))
                refs->setCurrentRow(i);
        EXPECT_TRUE(goTo->isEnabled());
        goTo->click();
        EXPECT_TRUE(handle->text().startsWith(QString::fromStdString(hex8(layer0))));
        EXPECT_TRUE(goBack->isEnabled());
        DialogItemAs<QRadioButton>(&d, 153)->click();
        EXPECT_EQ(DialogItemAs<QGroupBox>(&d, 127)->title(), "Structure Fields:");
        DialogItemAs<QPushButton>(&d, 120)->click();
        return d.result();
    });
    EXPECT_EQ(OBJectWalk(kernel, window, line), 1);
    SetModalDialogHook({});
    EXPECT_TRUE(seen);
}

} // namespace
