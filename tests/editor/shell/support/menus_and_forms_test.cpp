#include "editor/shell/support/global.h"
#include "editor/shell/support/messages.h"
#include "editor/shell/support/popup_form.h"
#include "editor/shell/support/recent_file_menu.h"

#include "message_hook.h"
#include "support_fixture.h"

#include <QAction>
#include <QMenu>

namespace {

const char *const kRecent = "\\Software\\Vorn Technology\\ORVPro\\Recent";

class RecentFilesTest : public SupportTest {
protected:
    RecentFilesTest()
    {
        menu.addAction("Open");
        menu.addAction("Exit");
        recent.SetKey(HKEY_CURRENT_USER, kRecent);
        recent.SetMaxFiles(6);
        recent.SetCaptionWidth(36);
    }
    QStringList Captions() const
    {
        QStringList captions;
        for (QAction *a : menu.actions())
            captions << (a->isSeparator() ? "-" : a->text());
        return captions;
    }
    QMenu menu;
    TRecentFileMenu recent{&menu, 1};
};

TEST_F(RecentFilesTest, TheSeventhFileDropsTheOldest)
{
    for (int i = 1; i <= 7; ++i)
        recent.Add("/maps/map" + std::to_string(i) + ".mpd");
    ASSERT_EQ(recent.Files().size(), 6u);
    EXPECT_EQ(recent.GetFile(0), "/maps/map7.mpd");
    EXPECT_EQ(recent.GetFile(5), "/maps/map2.mpd");
    EXPECT_EQ(recent.GetFile(6), "");
    EXPECT_EQ(recent.GetFile(-1), "");
    EXPECT_EQ(Captions(), QStringList({"Open", "/maps/map7.mpd", "/maps/map6.mpd", "/maps/map5.mpd",
                                       "/maps/map4.mpd", "/maps/map3.mpd", "/maps/map2.mpd", "-", "Exit"}));

    // A listed file moves to the top; the others keep their order.
    recent.Add("/maps/map4.mpd");
    EXPECT_EQ(recent.Files(),
              (std::vector<std::string>{"/maps/map4.mpd", "/maps/map7.mpd", "/maps/map6.mpd",
                                        "/maps/map5.mpd", "/maps/map3.mpd", "/maps/map2.mpd"}));
    // Paths are compared exactly: another case is another file.
    recent.Add("/maps/MAP4.mpd");
    EXPECT_EQ(recent.GetFile(0), "/maps/MAP4.mpd");
    EXPECT_EQ(recent.GetFile(1), "/maps/map4.mpd");
}

TEST_F(RecentFilesTest, SavedLoadedAndRemoved)
{
    const TRegLink link(HKEY_CURRENT_USER, kRecent);
    recent.Add("/a/one.mpd");
    recent.Add("/a/two & three.mpd");
    EXPECT_TRUE(link.ValueNames().empty()); // nothing written before Save
    recent.Save();
    EXPECT_EQ(link.GetString("File0", ""), "/a/two & three.mpd");
    EXPECT_EQ(link.GetString("File1", ""), "/a/one.mpd");

    QMenu other;
    other.addAction("Exit");
    TRecentFileMenu loaded(&other, 1);
    loaded.SetKey(HKEY_CURRENT_USER, kRecent);
    link.WriteInteger("File2", 5); // a value of the wrong type is skipped
    loaded.Load();
    EXPECT_EQ(loaded.Files(), (std::vector<std::string>{"/a/two & three.mpd", "/a/one.mpd"}));
    ASSERT_EQ(loaded.Items().size(), 2u);
    EXPECT_EQ(loaded.Items()[0]->text(), "/a/two && three.mpd"); // not a shortcut letter
    EXPECT_EQ(loaded.FileOfItem(loaded.Items()[1]), "/a/one.mpd");
    EXPECT_EQ(loaded.FileOfItem(other.actions().last()), "");

    std::vector<std::string> clicked;
    loaded.SetClickHandler([&](QAction *item) { clicked.push_back(loaded.FileOfItem(item)); });
    loaded.Items()[1]->trigger();
    EXPECT_EQ(clicked, std::vector<std::string>{"/a/one.mpd"});

    EXPECT_FALSE(loaded.Remove("/a/missing.mpd"));
    EXPECT_TRUE(loaded.Remove("/a/two & three.mpd"));
    EXPECT_EQ(loaded.Files(), std::vector<std::string>{"/a/one.mpd"});
    EXPECT_EQ(loaded.Items().size(), 1u);
    EXPECT_EQ(link.GetString("File0", ""), "/a/one.mpd");
    EXPECT_EQ(link.GetString("File1", "gone"), "gone");
}

TEST_F(RecentFilesTest, LongPathsAreShortenedInCaptions)
{
    recent.Add("/home/someone/Documents/Vorn Technology/Orvane/Projects/Parish.mpd");
    EXPECT_EQ(menu.actions()[1]->text().toStdString(), "/home/someone/.../Parish.mpd");
}

TEST(MessagesTest, KindsAndAnswers)
{
    MessageRecorder yes(IDYES);
    InfoMessage("info");
    ErrorMessage("error");
    EXPECT_TRUE(AskYesNo("sure?"));
    EXPECT_EQ(AskYesNoCancel("save?"), IDYES);
    ASSERT_EQ(yes.requests.size(), 4u);
    EXPECT_EQ(yes.requests[0].type, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(yes.requests[1].type, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(yes.requests[2].type, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(yes.requests[3].type, UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
    MessageRecorder no(IDNO);
    EXPECT_FALSE(AskYesNo("sure?"));
    MessageRecorder cancel(IDCANCEL);
    EXPECT_EQ(AskYesNoCancel("save?"), IDCANCEL);
}

TEST(PopupFormTest, OwnedWindowOrEmbeddedWidget)
{
    QWidget owner;
    TPopupForm popup;
    EXPECT_TRUE(popup.isWindow());
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowSystemMenuHint);
    popup.SetOwnerWindow(&owner);
    EXPECT_EQ(popup.OwnerWindow(), &owner);
    EXPECT_EQ(popup.parentWidget(), &owner);
    EXPECT_TRUE(popup.isWindow());
    popup.show();
    EXPECT_TRUE(popup.isVisible());
    popup.close();

    QWidget host;
    TPopupForm embedded(&host);
    EXPECT_FALSE(embedded.isWindow());
    embedded.SetOwnerWindow(&owner); // stays where it is
    EXPECT_EQ(embedded.parentWidget(), &host);
}

} // namespace
