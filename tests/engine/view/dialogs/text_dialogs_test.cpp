#include "tests/engine/view/text/text_fixture.h"

#include "engine/kernel/selection_list.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/view/dialogs/text_dialogs.h"
#include "engine/window/undo_window.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <map>

namespace {

using Answer = std::function<int(QDialog &)>;

class TextDialogsTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        if (HasFatalFailure())
            return;
        rec.undoEnabled = 1;
        SetModalDialogHook([this](QDialog &d, int) {
            shown.push_back(d.objectName().toStdString());
            auto it = answers.find(d.objectName().toStdString());
            return it == answers.end() ? IDCANCEL : it->second(d);
        });
        oldBoxHook = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        SetMessageBoxHook(oldBoxHook);
        SetCharMapProgram("gucharmap");
        TextTest::TearDown();
    }

    static int click(QDialog &d, int id)
    {
        DialogItemAs<QPushButton>(&d, id)->click();
        return d.result();
    }

    int regInt(const char *name, int fallback = 12345)
    {
        int v = fallback;
        rec.settingsKey->GetValue("Text", name, &v, 0);
        return v;
    }

    std::string text(OBJHANDLE h)
    {
        char buffer[256] = {};
        TextObjectTextGet(kernel, h, buffer, sizeof buffer - 1);
        return buffer;
    }

    std::vector<OBJHANDLE> layerTexts()
    {
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE h = KernelGetNextHandle(kernel, 0); h; h = KernelGetNextHandle(kernel, h))
            if (GetOBJectClassID(kernel, h) == CLASS_TEXT && !IsOBJectDeleted(kernel, h))
                out.push_back(h);
        return out;
    }

    std::map<std::string, Answer> answers;
    std::vector<std::string> shown;
    std::vector<MessageBoxRequest> boxes;
    MessageBoxHook oldBoxHook;
};

TEST_F(TextDialogsTest, ANewTextStartsFromTheDefaultsAndIsCreatedAsOneUndoStep)
{
    QString label, x;
    int horz = -1;
    answers["TEXTDIALOG"] = [&](QDialog &d) {
        label = DialogItemAs<QLabel>(&d, 157)->text();
        x = DialogItemAs<QLineEdit>(&d, 171)->text();
        horz = DialogItemAs<QComboBox>(&d, 160)->currentIndex();
        EXPECT_EQ(d.windowTitle(), "Text Object Editor");
        DialogItemAs<QPlainTextEdit>(&d, 150)->setPlainText("Hello");
        DialogItemAs<QComboBox>(&d, 162)->setCurrentIndex(1); // map
        return click(d, IDOK);
    };
    rec.flags = 0;
    const int mask = DlgText(window, 0, MAP_COORDPT{1500, 2500});
    EXPECT_EQ(mask, TEXTDLG_TEXT | TEXTDLG_LOCK);
    EXPECT_EQ(label, "Arial 12 pt");
    EXPECT_EQ(x, "1500");
    EXPECT_EQ(horz, 0);

    const std::vector<OBJHANDLE> texts = layerTexts();
    ASSERT_EQ(texts.size(), 1u);
    const TextObjectData d = data(texts[0]);
    EXPECT_EQ(text(texts[0]), "Hello");
    EXPECT_EQ(std::string(d.faceName), "Arial");
    EXPECT_EQ(d.size, 12);
    EXPECT_EQ(d.flags, TEXT_LOCK_MAP);
    EXPECT_EQ(d.anchorX, 1500);
    EXPECT_EQ(d.colorMode, 1) << "the default colour 0 is an own colour";
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
    EXPECT_EQ(Undo_GetStepWithIndex(window, 0, 1), 4) << "\"Create Text\"";
    EXPECT_EQ(Undo_UndoStepsCount(window), 1);
    const OBJHANDLE selList = GetRootOBJKern(kernel, rec.rootObject, CLASS_SELLIST);
    EXPECT_EQ(GetNumberOfSelected(kernel, selList), 1) << "the new text alone is selected";

    // What was confirmed becomes the next default.
    EXPECT_EQ(regInt("Size"), 12);
    EXPECT_EQ(regInt("Format"), int(TEXT_LOCK_MAP));
    EXPECT_EQ(regInt("Color"), 0);
    char face[64] = {};
    SettingsStringGet(rec.settingsKey, "Text", "FaceName", face, sizeof face);
    EXPECT_STREQ(face, "Arial");
}

TEST_F(TextDialogsTest, RegistryDefaultsOverrideTheFallbacksAndColourMinusOneIsTheLayers)
{
    const int size = 20, bold = 1, colour = -1, format = 0x05;
    rec.settingsKey->SetValue("Text", "Size", &size, 0);
    rec.settingsKey->SetValue("Text", "Bold", &bold, 0);
    rec.settingsKey->SetValue("Text", "Color", &colour, 0);
    rec.settingsKey->SetValue("Text", "Format", &format, 0);
    const std::string longFace(45, 'F');
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (rec.settingsKey->path + "\\Text").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "FaceName", 0, REG_SZ, reinterpret_cast<const BYTE *>(longFace.c_str()),
                   DWORD(longFace.size() + 1));
    RegCloseKey(key);

    uint16_t flags = 0;
    const TextDlgData defaults = TextDefaultsRead(window, &flags);
    EXPECT_EQ(std::string(defaults.font.lfFaceName), std::string(31, 'F')) << "bound to the face field";
    EXPECT_EQ(defaults.font.lfHeight, 20);
    EXPECT_EQ(defaults.font.lfWeight, FW_BOLD);
    EXPECT_EQ(defaults.ownColour, 0);
    EXPECT_EQ(flags, 0x05);

    answers["TEXTDIALOG"] = [&](QDialog &d) {
        EXPECT_EQ(DialogItemAs<QComboBox>(&d, 160)->currentIndex(), 1);
        EXPECT_EQ(DialogItemAs<QComboBox>(&d, 161)->currentIndex(), 1);
        DialogItemAs<QPlainTextEdit>(&d, 150)->setPlainText("Layer coloured");
        return click(d, IDOK);
    };
    ASSERT_NE(DlgText(window, 0, MAP_COORDPT{0, 0}), -1);
    ASSERT_EQ(layerTexts().size(), 1u);
    const TextObjectData d = data(layerTexts()[0]);
    EXPECT_EQ(d.colorMode, 0) << "the layer's colour";
    EXPECT_EQ(d.style, 2);
    EXPECT_EQ(regInt("Color"), -1);
}

TEST_F(TextDialogsTest, CancelAndAnEmptyNewTextChangeNothing)
{
    answers["TEXTDIALOG"] = [](QDialog &d) {
        DialogItemAs<QPlainTextEdit>(&d, 150)->setPlainText("typed, then cancelled");
        return click(d, IDCANCEL);
    };
    EXPECT_EQ(DlgText(window, 0, MAP_COORDPT{0, 0}), -1);
    EXPECT_TRUE(layerTexts().empty());
    EXPECT_EQ(regInt("Size"), 12345) << "a cancel writes no defaults";

    answers["TEXTDIALOG"] = [](QDialog &d) { return click(d, IDOK); };
    EXPECT_EQ(DlgText(window, 0, MAP_COORDPT{0, 0}), -1);
    EXPECT_TRUE(layerTexts().empty());
    EXPECT_EQ(Undo_UndoStepsCount(window), 0);
    EXPECT_EQ(regInt("Size"), 12) << "an empty text still writes the defaults";
}

TEST_F(TextDialogsTest, TheFontDialogRunsInsideWithItsLayerColourSwitch)
{
    const OBJHANDLE h = makeText("Edit me", {100, 100}, 12, 0);
    bool tickedAtStart = true, listEnabledAtStart = false;
    answers["CMyFontDlg"] = [&](QDialog &d) {
        auto *layer = DialogItemAs<QCheckBox>(&d, CMyFontDlg::kLayerColourId);
        auto *list = DialogItemAs<QComboBox>(&d, CMyFontDlg::kColourListId);
        EXPECT_EQ(layer->text(), "Layer Colour");
        tickedAtStart = layer->isChecked();
        listEnabledAtStart = list->isEnabled();
        layer->click(); // now the layer's colour
        EXPECT_FALSE(list->isEnabled());
        EXPECT_FALSE(DialogItem(&d, CMyFontDlg::kColourLabelId)->isEnabled());
        QFont f("Courier");
        f.setPixelSize(32);
        f.setUnderline(true);
        static_cast<CMyFontDlg &>(d).Chooser()->setCurrentFont(f);
        return click(d, IDOK);
    };
    QString label;
    answers["TEXTDIALOG"] = [&](QDialog &d) {
        click(d, 151);
        label = DialogItemAs<QLabel>(&d, 157)->text();
        return click(d, IDOK);
    };
    rec.flags = 0;
    EXPECT_EQ(DlgText(window, h, MAP_COORDPT{0, 0}), TEXTDLG_FONT);
    EXPECT_FALSE(tickedAtStart) << "an own colour starts unticked";
    EXPECT_TRUE(listEnabledAtStart);
    EXPECT_EQ(label.right(6), " 24 pt") << "32 pixels at 96 per inch";
    const TextObjectData d = data(h);
    EXPECT_EQ(d.size, 24);
    EXPECT_EQ(d.style, TEXT_STYLE_UNDERLINE);
    EXPECT_EQ(d.colorMode, 0);
    EXPECT_EQ(text(h), "Edit me") << "an unedited text stays as it was";
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED) << "the change is marked";
    EXPECT_EQ(Undo_UndoStepsCount(window), 0) << "no undo step for an edit";
}

TEST_F(TextDialogsTest, ACancelledFontDialogKeepsColoursAndTheRoundedSize)
{
    const OBJHANDLE h = makeText("x", {0, 0}, 12, 0, 0, 1, RGB(0, 0, 255));
    answers["CMyFontDlg"] = [](QDialog &d) { return click(d, IDCANCEL); };
    answers["TEXTDIALOG"] = [](QDialog &d) {
        click(d, 151);
        return click(d, IDOK);
    };
    EXPECT_EQ(DlgText(window, h, MAP_COORDPT{0, 0}), 0);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.size, 12);
    EXPECT_EQ(d.ownColor, RGB(0, 0, 255));
    EXPECT_EQ(d.colorMode, 1);
}

TEST_F(TextDialogsTest, TheOrientationDialogShowsWholeDegreesAndStoresTenths)
{
    const OBJHANDLE h = makeText("turn", {0, 0}, 12, 0, 459);
    QString shownDegrees;
    bool rotationFieldEnabled = true;
    answers["TOORIENT"] = [&](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), "Text Orientation");
        shownDegrees = DialogItemAs<QLineEdit>(&d, 181)->text();
        rotationFieldEnabled = DialogItem(&d, 183)->isEnabled();
        return click(d, IDOK);
    };
    answers["TEXTDIALOG"] = [](QDialog &d) {
        click(d, 152);
        return click(d, IDOK);
    };
    EXPECT_EQ(DlgText(window, h, MAP_COORDPT{0, 0}), TEXTDLG_ROTATION);
    EXPECT_EQ(shownDegrees, "45");
    EXPECT_FALSE(rotationFieldEnabled);
    EXPECT_EQ(data(h).rotation, 450);
}

TEST_F(TextDialogsTest, ChangesToTheFirstSelectedTextApplyToEverySelectedText)
{
    const OBJHANDLE a = makeText("first", {0, 0}, 10, 0);
    const OBJHANDLE b = makeText("second", {5000, 5000}, 30, 0);
    TextObjectData bd = data(b);
    std::strcpy(bd.faceName, "Courier");
    store(b, bd);
    EXPECT_EQ(ReDefTextObj(window), 0) << "nothing selected";
    const OBJHANDLE both[] = {a, b};
    ASSERT_EQ(SetSelection(window, both, 2, 0, 0), 2u);

    answers["TOORIENT"] = [](QDialog &d) {
        DialogItemAs<QLineEdit>(&d, 181)->setText("90");
        return click(d, IDOK);
    };
    answers["TEXTDIALOG"] = [](QDialog &d) {
        click(d, 152);
        return click(d, IDOK);
    };
    rec.flags = 0;
    EXPECT_EQ(ReDefTextObj(window), 1);
    EXPECT_EQ(data(a).rotation, 900);
    EXPECT_EQ(data(b).rotation, 900);
    EXPECT_EQ(std::string(data(a).faceName), "Arial") << "each keeps its font";
    EXPECT_EQ(std::string(data(b).faceName), "Courier");
    EXPECT_EQ(data(b).size, 30);
    EXPECT_EQ(text(b), "second");
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);

    // Page to map: each text's map height from its own size.
    answers["TEXTDIALOG"] = [](QDialog &d) {
        DialogItemAs<QComboBox>(&d, 162)->setCurrentIndex(1);
        return click(d, IDOK);
    };
    EXPECT_EQ(ReDefTextObj(window), 1);
    EXPECT_EQ(data(a).flags & 0x30, TEXT_LOCK_MAP);
    EXPECT_EQ(data(b).flags & 0x30, TEXT_LOCK_MAP);
    EXPECT_EQ(data(a).mapHeight, TextHeightToWindow(window, 10, TEXT_LOCK_MAP));
    EXPECT_EQ(data(b).mapHeight, TextHeightToWindow(window, 30, TEXT_LOCK_MAP));
    EXPECT_NE(data(a).mapHeight, data(b).mapHeight);

    answers["TEXTDIALOG"] = [](QDialog &d) { return click(d, IDCANCEL); };
    EXPECT_EQ(ReDefTextObj(window), 1) << "a cancel still answers 1";
}

TEST_F(TextDialogsTest, AMissingCharacterMapShowsItsMessageAndTheDialogStays)
{
    SetCharMapProgram("/bin/true"); // a program that starts: no message
    answers["TEXTDIALOG"] = [](QDialog &d) {
        click(d, 177);
        return click(d, IDCANCEL);
    };
    DlgText(window, 0, MAP_COORDPT{0, 0});
    EXPECT_TRUE(boxes.empty());

    SetCharMapProgram("/nonexistent/character-map");
    bool stillOpen = false;
    answers["TEXTDIALOG"] = [&](QDialog &d) {
        click(d, 177);
        stillOpen = d.result() == 0;
        return click(d, IDCANCEL);
    };
    EXPECT_EQ(DlgText(window, 0, MAP_COORDPT{0, 0}), -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Windows accessory Charmap is not installed,\nplease install it");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].type & 0xF0, MB_ICONEXCLAMATION);
    EXPECT_TRUE(stillOpen);
}

TEST_F(TextDialogsTest, ComingBackFromTheCharacterMapTakesTheRichTextFaceName)
{
    const std::string rtf = R"({\rtf1\ansi{\fonttbl{\f0\fnil\fcharset2 Wingdings;}}\f0 J})";
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, rtf.size()); // no terminator: the scan is bounded
    std::memcpy(GlobalLock(h), rtf.data(), rtf.size());
    GlobalUnlock(h);
    SetClipboardData(RegisterClipboardFormatA("Rich Text Format"), h);
    CloseClipboard();

    QString label;
    answers["TEXTDIALOG"] = [&](QDialog &d) {
        static_cast<CTextObjectDlg &>(d).OnActivateApp(true);
        label = DialogItemAs<QLabel>(&d, 157)->text();
        DialogItemAs<QPlainTextEdit>(&d, 150)->setPlainText("J");
        return click(d, IDOK);
    };
    EXPECT_EQ(DlgText(window, 0, MAP_COORDPT{0, 0}), TEXTDLG_TEXT) << "no change bit for the face";
    EXPECT_EQ(label, "Wingdings 12 pt");
    ASSERT_EQ(layerTexts().size(), 1u);
    EXPECT_EQ(std::string(data(layerTexts()[0]).faceName), "Wingdings");
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    CloseClipboard();
}

} // namespace
