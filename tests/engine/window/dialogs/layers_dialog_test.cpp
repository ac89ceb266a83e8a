// The Layers dialog through its model, on a map with three layers carrying
// lines and the page layer: edits of every field, refused input, adding,
// deleting and moving lines, what OK builds (checked in the store, in a
// saved and re-read file, and by reopening) and what Cancel leaves; and the
// dialog itself opened and closed offscreen.
#include "tests/engine/view/text/text_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/window/dialogs/layers_dialog.h"
#include "engine/window/line_width_unit.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_points.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

class LayersDialogTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        if (HasFatalFailure())
            return;
        root = GetRootOBJect(window, CLASS_LAYERS);
        ASSERT_NE(root, 0u);
        file = (folders.path() + "/layers.mpd").toStdString();
        boxes = 0;
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            ++boxes;
            lastBox = r.text;
            return IDOK;
        });
        // Layer 0 exists; 3 and 5 are added, each with its own lines.
        zero = FindLayer(kernel, root, 0, nullptr);
        ASSERT_NE(zero, 0u);
        three = makeLayer(3, "roads", RGB(255, 0, 0));
        five = makeLayer(5, "rivers", RGB(0, 0, 255));
        line(zero, 0);
        line(three, 1000);
        line(three, 2000);
        line(five, 3000);
        ASSERT_EQ(LayersActiveLayerSet(kernel, root, zero), 1);
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetModalDialogHook({});
        TextTest::TearDown();
    }

    OBJHANDLE makeLayer(int32_t number, const char *name, COLORREF colour)
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(map_layer_Create(window, &h, nullptr, 0, number, name, colour, -1, 0, 1,
                                   LDF_VISIBLE | LDF_SELECTABLE, 0, 0),
                  1);
        return h;
    }
    void line(OBJHANDLE layer, int32_t x)
    {
        ASSERT_EQ(LayersActiveLayerSet(kernel, root, layer), 1);
        const MAP_COORDPT points[2] = {{x, 0}, {x + 500, 500}};
        OBJHANDLE h = 0;
        ASSERT_EQ(map_polyline_Create(window, &h, points, 2, 0), 1);
    }

    static std::vector<int32_t> numbers(const LayersDialogModel &m)
    {
        std::vector<int32_t> out;
        for (const LayerLine &l : m.lines())
            out.push_back(l.record.number);
        return out;
    }
    // Numbers and names of a root's layers in order, and their objects.
    static std::vector<std::tuple<int32_t, std::string, uint32_t>> layersOf(OBJectKernel *k, OBJHANDLE r)
    {
        std::vector<std::tuple<int32_t, std::string, uint32_t>> out;
        int32_t pos = 0;
        for (OBJHANDLE l = FirstReference(k, r, REF_LAYER_MEMBER, &pos); l;
             l = GetReference(k, r, REF_LAYER_MEMBER, &pos)) {
            const char *p = OBJectLock(k, l);
            char name[LAYER_NAME_SIZE] = {};
            std::memcpy(name, p + offsetof(Layer, name), LAYER_NAME_SIZE - 1);
            out.emplace_back(LoadField<int32_t>(p, offsetof(Layer, number)), name,
                             GetNumberOfReferencesFrom(k, l, REF_LAYER_MEMBER));
        }
        return out;
    }
    std::vector<char> saved()
    {
        EXPECT_EQ(MapSave(window, file.c_str()), 1);
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The dialog shown and active with one list line chosen: its list.
    static QListWidget *shownWithLineChosen(QDialog &d, int line)
    {
        d.show();
        QApplication::setActiveWindow(&d);
        auto *list = DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST);
        list->clearSelection();
        list->item(line)->setSelected(true);
        return list;
    }
    // Text typed over the whole of a field that has the focus.
    static void typedOver(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // The document saved and read back into the window: its Layers root,
    // or 0 when it could not be read.
    OBJHANDLE savedAndReadBack()
    {
        saved();
        KernelDelete(rec.kernel);
        rec.kernel = kernel = nullptr;
        OBJHANDLE readRoot = 0;
        EXPECT_EQ(ReadMapToKern(window, file.c_str(), &readRoot, &kernel, 0), 1);
        if (!kernel || SetRootOBJect(window, readRoot) != readRoot)
            return 0;
        return GetRootOBJect(window, CLASS_LAYERS);
    }
    // Every reference names a live object and every paired one has its
    // partner as often.
    void expectReferencesPaired(OBJectKernel *k)
    {
        std::map<std::tuple<OBJHANDLE, uint16_t, OBJHANDLE>, int> links;
        const uint32_t n = GetFirstFree(k);
        for (OBJHANDLE h = 1; h < n; ++h) {
            const OBJectHead *head = HeadLock(k, h);
            if (!head || (head->flags & OBJF_DELETED))
                continue;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t i = 0; GetRef(k, h, &id, &t, i); ++i) {
                const OBJectHead *target = HeadLock(k, t);
                ASSERT_TRUE(target && !(target->flags & OBJF_DELETED)) << h << " names " << t;
                if (id & REF_PAIRED)
                    ++links[{h, id, t}];
            }
        }
        for (const auto &[link, count] : links) {
            const auto &[h, id, t] = link;
            const auto partner = links.find({t, uint16_t(id ^ 1), h});
            ASSERT_TRUE(partner != links.end() && partner->second == count)
                << "one-sided link " << std::hex << id << std::dec << " from " << h << " to " << t;
        }
    }
    // OK on the model, installed as the window's root.
    OBJHANDLE ok(LayersDialogModel &m)
    {
        const OBJHANDLE r = m.Ok();
        EXPECT_NE(r, root);
        EXPECT_EQ(SetRootOBJect(window, r), r);
        EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), r);
        return r;
    }

    OBJHANDLE root = 0, zero = 0, three = 0, five = 0;
    std::string file;
    int boxes = 0;
    std::string lastBox;
};

TEST_F(LayersDialogTest, OpensOnTheLayersWithoutThePageLayerAndShowsTheActiveOne)
{
    ASSERT_EQ(LayersActiveLayerSet(kernel, root, three), 1);
    LayersDialogModel m(window);
    ASSERT_TRUE(m.valid());
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 3, 5}));
    EXPECT_EQ(m.activeLine(), 1);
    EXPECT_EQ(m.selection(), (std::set<int>{0}));
    EXPECT_EQ(m.fields().number, "0");
    EXPECT_FALSE(m.fields().deleteEnabled); // the first line alone
    ASSERT_NE(GetPageLayer(window), 0u);
    EXPECT_EQ(std::get<0>(layersOf(kernel, root).back()), PAGE_LAYER_NUMBER);
}

// Each edit goes to the selected lines' copies only; the map keeps its
// layers until OK.
TEST_F(LayersDialogTest, FieldEditsChangeTheSelectedLinesOnly)
{
    struct Case {
        const char *what;
        std::function<void(LayersDialogModel &)> edit;
        std::function<bool(const Layer &)> changed; // on lines 1 and 2
    };
    const Case cases[] = {
        {"name", [](auto &m) { m.SetName("streets"); },
         [](const Layer &r) { return std::string(r.name) == "streets"; }},
        {"long name cut to 47", [](auto &m) { m.SetName(std::string(60, 'x')); },
         [](const Layer &r) { return std::string(r.name) == std::string(47, 'x'); }},
        {"hidden", [](auto &m) { m.SetVisible(false); }, [](const Layer &r) { return r.visible == 0; }},
        {"not selectable", [](auto &m) { m.SetSelectable(false); },
         [](const Layer &r) { return r.selectable == 0; }},
        {"line colour", [](auto &m) { m.SetLineColour(RGB(1, 2, 3)); },
         [](const Layer &r) { return r.lineColor == RGB(1, 2, 3); }},
        {"style", [](auto &m) { m.SetStyle(17); }, [](const Layer &r) { return r.lineStyle == 17; }},
        {"typed width", [](auto &m) { EXPECT_TRUE(m.SetWidthText("12")); },
         [](const Layer &r) { return r.lineWidth == 12; }},
        {"width up", [](auto &m) { m.StepWidth(true); }, [](const Layer &r) { return r.lineWidth == 2; }},
        {"fill", [](auto &m) { m.SetFill(RGB(9, 9, 9)); },
         [](const Layer &r) { return r.fill == RGB(9, 9, 9); }},
        {"units", [](auto &m) { m.SetUnit(true); },
         [](const Layer &r) { return (r.lineOptions & LAYER_WIDTH_IN_UNITS) != 0; }},
        {"options", [](auto &m) { m.SetOptions(true, true); },
         [](const Layer &r) { return (r.lineOptions & (LAYER_ROUND_CORNERS | LAYER_SQUARE_ENDS)) == 6; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        LayersDialogModel m(window);
        const Layer before = m.lines()[0].record;
        m.Select({1, 2});
        c.edit(m);
        EXPECT_TRUE(c.changed(m.lines()[1].record));
        EXPECT_TRUE(c.changed(m.lines()[2].record));
        EXPECT_FALSE(LayerRecordsDiffer(before, m.lines()[0].record));
        EXPECT_EQ(m.selection(), (std::set<int>{1, 2}));
        char name[LAYER_NAME_SIZE] = {};
        EXPECT_EQ(LayerNumberNameGet(kernel, three, name), 3);
        EXPECT_STREQ(name, "roads");
    }
}

TEST_F(LayersDialogTest, SelectedLinesShowOnlyWhatTheyShare)
{
    LayersDialogModel m(window);
    m.Select({2});
    m.SetVisible(false);
    m.Select({1, 2});
    const auto &f = m.fields();
    EXPECT_EQ(f.visible, LayerCheck::Indeterminate);
    EXPECT_EQ(f.selectable, LayerCheck::Checked);
    EXPECT_EQ(f.name, "");
    EXPECT_EQ(f.lineColour, std::nullopt); // red and blue
    EXPECT_FALSE(f.numberEnabled);
    EXPECT_FALSE(f.activeEnabled);
    // Leaving "Visible" undetermined keeps each line's own value.
    m.SetName("both");
    EXPECT_EQ(m.lines()[1].record.visible, 1);
    EXPECT_EQ(m.lines()[2].record.visible, 0);
    // A hidden line cannot become the active line.
    m.Select({2});
    EXPECT_FALSE(m.fields().activeEnabled);
    m.SetActive();
    EXPECT_NE(m.activeLine(), 2);
}

// Refused input changes no line and says why where a message is due.
TEST_F(LayersDialogTest, BadNumbersAndWidthsChangeNothing)
{
    struct Case {
        const char *text;
        bool accepted;
        int messages;
        int32_t number; // of line 1 afterwards
    };
    const Case numberCases[] = {
        {"", true, 0, 3},
        {"0", true, 0, 3},
        {"abc", false, 1, 3},
        {"-4", false, 1, 3},
        {"7x", false, 1, 3},
        {"99999999999", false, 1, 3},
        {"2147483647", false, 1, 3},
        {"5", true, 0, 3} /* held */,
        {"8", true, 0, 8},
    };
    for (const Case &c : numberCases) {
        SCOPED_TRACE(c.text);
        LayersDialogModel m(window);
        m.Select({1});
        boxes = 0;
        EXPECT_EQ(m.SetNumberText(c.text), c.accepted);
        EXPECT_EQ(boxes, c.messages);
        if (c.messages) {
            EXPECT_EQ(lastBox, LAYERSDLG_BAD_NUMBER_TEXT);
        }
        EXPECT_EQ(m.lines()[1].record.number, c.number);
        EXPECT_EQ(m.lines().size(), 3u);
        if (c.accepted) {
            EXPECT_EQ(m.fields().number, std::to_string(c.number));
        }
    }
    const char *badWidths[] = {"", "x", "0", "-1", "12abc", "99999999999"};
    for (const char *w : badWidths) {
        SCOPED_TRACE(w);
        LayersDialogModel m(window);
        m.Select({1});
        EXPECT_FALSE(m.SetWidthText(w));
        EXPECT_EQ(m.lines()[1].record.lineWidth, 1u);
        EXPECT_EQ(m.fields().width, "1" + m.unitText(false));
    }
    LayersDialogModel m(window);
    m.Select({1});
    EXPECT_TRUE(m.SetWidthText("4" + m.unitText(false))); // as the field shows it
    EXPECT_EQ(m.lines()[1].record.lineWidth, 4u);
    m.StepWidth(false);
    m.StepWidth(false);
    m.StepWidth(false);
    m.StepWidth(false);
    EXPECT_EQ(m.lines()[1].record.lineWidth, 1u); // stops at 1
}

TEST_F(LayersDialogTest, AddDeleteAndMoveKeepLayerZeroFirst)
{
    LayersDialogModel m(window);
    m.Add();
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 3, 5, 6}));
    EXPECT_EQ(m.lines()[3].layer, 0u);
    EXPECT_EQ(m.fields().number, "7");  // the next free number
    EXPECT_TRUE(m.SetNumberText("20")); // a number typed with no line selected
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 3, 5, 6, 20}));

    m.Select({2}); // layer 5 becomes the active line and follows its line
    m.SetActive();
    // Moving lines 0 and 1 to the end: layer 0 stays first.
    m.Select({0, 1});
    EXPECT_FALSE(m.MoveSelected(0));
    ASSERT_TRUE(m.MoveSelected(5));
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 5, 6, 20, 3}));
    EXPECT_EQ(m.selection(), (std::set<int>{4}));
    EXPECT_EQ(m.activeLine(), 1);
    m.Select({2, 3});
    ASSERT_TRUE(m.MoveSelected(1));
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 6, 20, 5, 3}));
    EXPECT_EQ(m.selection(), (std::set<int>{1, 2}));
    EXPECT_EQ(m.activeLine(), 3);

    // Renumbering layer 0 puts a new layer 0 before it.
    m.Select({0});
    EXPECT_TRUE(m.SetNumberText("9"));
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0, 9, 6, 20, 5, 3}));

    // Deleting everything keeps the first line.
    m.Select({0, 1, 2, 3, 4, 5});
    m.Delete();
    EXPECT_EQ(numbers(m), (std::vector<int32_t>{0}));
    EXPECT_EQ(m.activeLine(), 0);
    EXPECT_EQ(m.selection(), (std::set<int>{0}));
}

TEST_F(LayersDialogTest, OkBuildsANewRootThatIsSavedAndReadBack)
{
    const int32_t objectsBefore = GraphGetNumberOfLeafOBJS(window);
    ASSERT_EQ(objectsBefore, 5); // with the page
    OBJHANDLE r = 0;
    {
        LayersDialogModel m(window);
        m.Select({2});
        m.SetName("water");
        m.SetFill(RGB(0, 128, 255));
        ASSERT_TRUE(m.MoveSelected(1)); // rivers before roads
        m.Select({2});
        m.SetActive();
        m.Add(); // layer 6, empty
        m.Select({1, 3});
        std::array<COLORREF, 16> custom{};
        custom[15] = RGB(7, 8, 9);
        m.SetCustomColours(custom);
        r = ok(m);
        EXPECT_EQ(m.changedFrom(), 1);
        // The changed area covers the moved layers' objects.
        const MAP_COORDRECT area = m.changedArea();
        EXPECT_LE(area.x1, 1000);
        EXPECT_GE(area.x2, 3500);
    }
    const char *p = OBJectLock(kernel, r);
    EXPECT_EQ(LoadField<int32_t>(p, 52), 1) << "the lowest changed position, for the repaint";
    EXPECT_EQ(LoadField<COLORREF>(p, offsetof(Layers, customColours) + 15 * sizeof(COLORREF)), RGB(7, 8, 9));
    EXPECT_EQ(LoadField<uint32_t>(p, offsetof(Layers, clipFlag)), 0u);
    EXPECT_EQ(layersOf(kernel, r), (std::vector<std::tuple<int32_t, std::string, uint32_t>>{
                                       {0, "", 1},
                                       {5, "water", 1},
                                       {3, "roads", 2},
                                       {6, "", 0},
                                       {PAGE_LAYER_NUMBER, PAGE_LAYER_NAME, 1}}));
    EXPECT_EQ(GetActiveLayer(kernel, r), three);
    EXPECT_EQ(GraphGetNumberOfLeafOBJS(window), objectsBefore);
    expectReferencesPaired(kernel);

    // Reopening selects the lines selected at OK.
    {
        LayersDialogModel again(window);
        EXPECT_EQ(again.selection(), (std::set<int>{1, 3}));
        EXPECT_EQ(again.activeLine(), 2);
    }

    // Saved and read back into the window, the document holds the same
    // layers.
    const auto expected = layersOf(kernel, r);
    const OBJHANDLE readLayers = savedAndReadBack();
    ASSERT_NE(readLayers, 0u);
    EXPECT_EQ(layersOf(kernel, readLayers), expected);
    EXPECT_EQ(GetActiveLayer(kernel, readLayers), GetNthReferenced(kernel, readLayers, 2));
    EXPECT_EQ(GraphGetNumberOfLeafOBJS(window), objectsBefore);
    expectReferencesPaired(kernel);
}

// OK without an edit keeps every layer and its objects, and leaves nothing
// to repaint.
TEST_F(LayersDialogTest, OkWithoutEditsLeavesNothingToRepaint)
{
    const auto before = layersOf(kernel, root);
    LayersDialogModel m(window);
    const OBJHANDLE r = ok(m);
    EXPECT_EQ(m.changedFrom(), 32767);
    EXPECT_EQ(LoadField<int32_t>(OBJectLock(kernel, r), 52), 32767);
    EXPECT_EQ(layersOf(kernel, r), before);
    EXPECT_EQ(FindLayer(kernel, r, 3, nullptr), three);
    expectReferencesPaired(kernel);
}

TEST_F(LayersDialogTest, DeletedLayersTakeTheirObjectsAlong)
{
    LayersDialogModel m(window);
    m.Select({1});
    m.Delete();
    const OBJHANDLE r = ok(m);
    EXPECT_EQ(layersOf(kernel, r),
              (std::vector<std::tuple<int32_t, std::string, uint32_t>>{
                  {0, "", 1}, {5, "rivers", 1}, {PAGE_LAYER_NUMBER, PAGE_LAYER_NAME, 1}}));
    EXPECT_EQ(GraphGetNumberOfLeafOBJS(window), 3); // with the page
    EXPECT_NE(GetActiveLayer(kernel, r), 0u);
    expectReferencesPaired(kernel);
    const std::vector<char> bytes = saved();
    EXPECT_FALSE(bytes.empty());
}

TEST_F(LayersDialogTest, CancelLeavesTheMapAsItWas)
{
    const std::vector<char> before = saved();
    LayersDialogModel m(window);
    m.Select({1, 2});
    m.SetName("x");
    m.Delete();
    m.Add();
    EXPECT_EQ(m.Cancel(), root);
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), root);
    EXPECT_EQ(saved(), before);

    // The dialog's close command after edits: 0, and nothing installed.
    SetModalDialogHook([](QDialog &d, int) {
        d.show();
        DialogItemAs<QPushButton>(&d, IDC_LAYERS_ADD)->click();
        d.close();
        return d.result();
    });
    EXPECT_EQ(LayersDlg(window, root), 0u);
    EXPECT_EQ(SetLayers(window), 0);
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), root);
    EXPECT_EQ(saved(), before);
}

// The dialog under the hook: its caption and controls, a name typed into
// its field and OK, which installs the new root.
TEST_F(LayersDialogTest, DialogRunsThroughTheHookAndOkInstallsTheLayers)
{
    int runs = 0;
    SetModalDialogHook([&](QDialog &d, int id) {
        ++runs;
        EXPECT_EQ(id, CLayersDlg::kTemplateId);
        EXPECT_EQ(d.objectName(), "LAYERS");
        EXPECT_EQ(d.windowTitle(), "Layers");
        for (int control : std::initializer_list<int>{IDC_LAYERS_NUMBER,
                                                      IDC_LAYERS_NAME,
                                                      IDC_LAYERS_LIST,
                                                      IDC_LAYERS_WIDTH,
                                                      IDC_LAYERS_WIDTH_UP,
                                                      IDC_LAYERS_WIDTH_DOWN,
                                                      IDC_LAYERS_PIXELS,
                                                      IDC_LAYERS_UNITS,
                                                      IDC_LAYERS_STYLE,
                                                      IDC_LAYERS_COLOUR,
                                                      IDC_LAYERS_FILL,
                                                      IDC_LAYERS_NO_FILL,
                                                      IDC_LAYERS_VISIBLE,
                                                      IDC_LAYERS_SELECTABLE,
                                                      IDC_LAYERS_ACTIVE,
                                                      IDC_LAYERS_ADD,
                                                      IDC_LAYERS_DELETE,
                                                      IDC_LAYERS_OPTIONS,
                                                      IDC_LAYERS_HELP,
                                                      IDOK,
                                                      IDCANCEL})
            EXPECT_NE(DialogItem(&d, control), nullptr) << control;
        auto *list = DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST);
        EXPECT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(1)->text(), "   3   roads");
        list->clearSelection();
        list->item(2)->setSelected(true);
        auto *name = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NAME);
        EXPECT_EQ(name->text(), "rivers");
        name->setText("lakes");
        name->setModified(true);
        emit name->editingFinished();
        DialogItemAs<QPushButton>(&d, IDOK)->click();
        return d.result();
    });
    EXPECT_EQ(SetLayers(window), 1);
    EXPECT_EQ(runs, 1);
    const OBJHANDLE r = GetRootOBJect(window, CLASS_LAYERS);
    EXPECT_NE(r, root);
    char name[LAYER_NAME_SIZE] = {};
    EXPECT_EQ(LayerNumberNameGet(kernel, five, name), 5);
    EXPECT_STREQ(name, "lakes");
    expectReferencesPaired(kernel);

    // Cancel returns the root it was given and installs nothing.
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    EXPECT_EQ(SetLayers(window), 0);
    EXPECT_EQ(SetLayers(window, r), r);
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), r);
    // A handle that is not a Layers root opens nothing and comes back.
    int runs2 = 0;
    SetModalDialogHook([&](QDialog &, int) { return ++runs2, IDOK; });
    EXPECT_EQ(SetLayers(window, five), five);
    EXPECT_EQ(runs2, 0);
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), r);
}

// OK pressed while the number or the name is being edited (Enter in the
// field, or the OK command sent with the focus still there) applies that
// field to the selected line and leaves the dialog open with the focus in
// the field; a click on OK then closes it and writes the layer.
TEST_F(LayersDialogTest, OkWhileTheNumberOrNameIsEditedAppliesItAndStaysOpen)
{
    struct Case {
        const char *what;
        int field;
        const char *typed;
        bool enterKey;     // else the OK button's command with the focus in the field
        const char *shown; // line 2 of the list afterwards
        int32_t number;
        const char *name;
    };
    const Case cases[] = {
        {"name, Enter", IDC_LAYERS_NAME, "lakes", true, "   5   lakes", 5, "lakes"},
        {"name, OK command", IDC_LAYERS_NAME, "lakes", false, "   5   lakes", 5, "lakes"},
        {"number, Enter", IDC_LAYERS_NUMBER, "9", true, "   9   rivers", 9, "rivers"},
        {"number, OK command", IDC_LAYERS_NUMBER, "9", false, "   9   rivers", 9, "rivers"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OBJHANDLE before = GetRootOBJect(window, CLASS_LAYERS);
        SetModalDialogHook([&](QDialog &d, int) {
            auto *list = shownWithLineChosen(d, 2);
            auto *field = DialogItemAs<QLineEdit>(&d, c.field);
            auto *ok = DialogItemAs<QPushButton>(&d, IDOK);
            typedOver(field, c.typed);
            if (c.enterKey)
                QTest::keyClick(field, Qt::Key_Return);
            else
                ok->click();
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.result(), 0);
            EXPECT_EQ(d.focusWidget(), field);
            EXPECT_EQ(list->item(2)->text(), c.shown);
            EXPECT_TRUE(list->item(2)->isSelected());
            // Nothing is written while the dialog is open.
            char name[LAYER_NAME_SIZE] = {};
            EXPECT_EQ(LayerNumberNameGet(kernel, five, name), 5);
            EXPECT_STREQ(name, "rivers");
            QTest::mouseClick(ok, Qt::LeftButton);
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        EXPECT_EQ(SetLayers(window), 1);
        EXPECT_NE(GetRootOBJect(window, CLASS_LAYERS), before);
        char name[LAYER_NAME_SIZE] = {};
        EXPECT_EQ(LayerNumberNameGet(kernel, five, name), c.number);
        EXPECT_STREQ(name, c.name);
        expectReferencesPaired(kernel);
        // Back to layer 5 "rivers" for the next case.
        ASSERT_EQ(LayerNumberNameSet(kernel, five, 5, "rivers"), 0);
    }

    // A refused number: one message for each press of Enter or OK, and the
    // dialog stays open with the focus in the field; Cancel leaves the map.
    const OBJHANDLE before = GetRootOBJect(window, CLASS_LAYERS);
    SetModalDialogHook([&](QDialog &d, int) {
        auto *list = shownWithLineChosen(d, 2);
        auto *number = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NUMBER);
        typedOver(number, "x1");
        boxes = 0;
        QTest::keyClick(number, Qt::Key_Return);
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(lastBox, LAYERSDLG_BAD_NUMBER_TEXT);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(DialogItemAs<QPushButton>(&d, IDOK), Qt::LeftButton);
        EXPECT_EQ(boxes, 2);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), number);
        EXPECT_EQ(number->text(), "x1");
        EXPECT_EQ(list->item(2)->text(), "   5   rivers");
        QTest::mouseClick(DialogItemAs<QPushButton>(&d, IDCANCEL), Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    EXPECT_EQ(SetLayers(window), 0);
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), before);
    char name[LAYER_NAME_SIZE] = {};
    EXPECT_EQ(LayerNumberNameGet(kernel, five, name), 5);
}

// A document without a Layers root: the list shows layer 0 alone with the
// Layer defaults; Cancel and the close command leave the file as it was; OK
// makes the document's first Layers root from the lines, which takes new
// objects, is saved, read back and reopened with the same lines selected.
TEST_F(LayersDialogTest, ADocumentWithoutLayersGetsItsFirstRootAtOk)
{
    DeleteTree(kernel, root, REF_LAYER_MEMBER);
    ASSERT_EQ(GetRootOBJect(window, CLASS_LAYERS), 0u);
    expectReferencesPaired(kernel);
    const std::vector<char> before = saved();
    const uint32_t firstFree = GetFirstFree(kernel);

    {
        LayersDialogModel m(window);
        ASSERT_TRUE(m.valid());
        EXPECT_EQ(m.root(), 0u);
        EXPECT_EQ(numbers(m), (std::vector<int32_t>{0}));
        EXPECT_EQ(m.lines()[0].layer, 0u);
        Layer defaults;
        LayerInit(&defaults);
        EXPECT_FALSE(LayerRecordsDiffer(m.lines()[0].record, defaults));
        EXPECT_EQ(m.activeLine(), 0);
        EXPECT_EQ(m.selection(), (std::set<int>{0}));
        EXPECT_EQ(m.fields().number, "0");
        EXPECT_EQ(m.fields().width, "1" + m.unitText(false));
        EXPECT_EQ(m.fields().noFill, LayerCheck::Checked);
        EXPECT_FALSE(m.fields().deleteEnabled);
        m.SetName("base");
        m.Add();
        m.Delete();
        EXPECT_EQ(m.Cancel(), 0u);
    }
    // Cancel, and the close command, through the dialog.
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        SetModalDialogHook([&](QDialog &d, int) {
            d.show();
            EXPECT_EQ(DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST)->count(), 1);
            DialogItemAs<QPushButton>(&d, IDC_LAYERS_ADD)->click();
            if (close)
                d.close();
            else
                DialogItemAs<QPushButton>(&d, IDCANCEL)->click();
            return d.result();
        });
        EXPECT_EQ(LayersDlg(window, 0), 0u);
        EXPECT_EQ(SetLayers(window), 0);
    }
    EXPECT_EQ(GetRootOBJect(window, CLASS_LAYERS), 0u);
    EXPECT_EQ(GetFirstFree(kernel), firstFree); // nothing was made
    EXPECT_EQ(saved(), before);

    // OK: layer 0 named "base", a new layer 1 "roads" made active.
    SetModalDialogHook([&](QDialog &d, int) {
        d.show();
        QApplication::setActiveWindow(&d);
        auto *list = DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST);
        EXPECT_EQ(list->item(0)->text(), "   0   ");
        auto *name = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NAME);
        name->setText("base");
        name->setModified(true);
        emit name->editingFinished();
        DialogItemAs<QPushButton>(&d, IDC_LAYERS_ADD)->click();
        EXPECT_EQ(list->count(), 2);
        list->clearSelection();
        list->item(1)->setSelected(true);
        name->setText("roads");
        name->setModified(true);
        emit name->editingFinished();
        DialogItemAs<QCheckBox>(&d, IDC_LAYERS_ACTIVE)->click();
        // Add left the focus in the number field: the click on OK takes it.
        QTest::mouseClick(DialogItemAs<QPushButton>(&d, IDOK), Qt::LeftButton);
        return d.result();
    });
    EXPECT_EQ(SetLayers(window), 1);
    const OBJHANDLE r = GetRootOBJect(window, CLASS_LAYERS);
    ASSERT_NE(r, 0u);
    const auto expected =
        std::vector<std::tuple<int32_t, std::string, uint32_t>>{{0, "base", 0}, {1, "roads", 0}};
    EXPECT_EQ(layersOf(kernel, r), expected);
    const OBJHANDLE roads = GetActiveLayer(kernel, r);
    char name[LAYER_NAME_SIZE] = {};
    EXPECT_EQ(LayerNumberNameGet(kernel, roads, name), 1);
    EXPECT_STREQ(name, "roads");
    expectReferencesPaired(kernel);

    // New lines go to the layers of the new root.
    root = r;
    line(roads, 100);
    line(FindLayer(kernel, r, 0, nullptr), 200);
    ASSERT_EQ(LayersActiveLayerSet(kernel, r, roads), 1);
    EXPECT_EQ(layersOf(kernel, r),
              (std::vector<std::tuple<int32_t, std::string, uint32_t>>{{0, "base", 1}, {1, "roads", 1}}));

    // Saved and read back, the document holds the same layers; reopened,
    // the dialog selects line 1 again.
    const auto kept = layersOf(kernel, r);
    const OBJHANDLE readLayers = savedAndReadBack();
    ASSERT_NE(readLayers, 0u);
    EXPECT_EQ(layersOf(kernel, readLayers), kept);
    expectReferencesPaired(kernel);
    LayersDialogModel again(window);
    EXPECT_EQ(again.root(), readLayers);
    EXPECT_EQ(again.selection(), (std::set<int>{1}));
    EXPECT_EQ(again.activeLine(), 1);
}

// A held width button steps each time at least 70 ms have passed since the
// press or the previous step; a release before any step steps once.
TEST(WidthButtonRepeatTest, StepsEvery70MsAndOnceForAShortClick)
{
    struct Case {
        const char *what;
        int64_t held, pollEvery;
        int whileHeld, atRelease;
    };
    const Case cases[] = {
        {"held a second, polled each ms", 1000, 1, 14, 0},
        {"held a second, polled every 10 ms", 1000, 10, 14, 0},
        {"held a second, polled late", 1000, 100, 10, 0},
        {"click under 70 ms", 69, 1, 0, 1},
        {"held exactly 70 ms", 70, 1, 1, 0},
        {"click without polls", 30, 1000, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WidthButtonRepeat r;
        r.Press(5000);
        int steps = 0;
        for (int64_t t = c.pollEvery; t <= c.held; t += c.pollEvery)
            steps += r.Poll(5000 + t);
        EXPECT_EQ(steps, c.whileHeld);
        EXPECT_EQ(r.Release(), c.atRelease);
        EXPECT_EQ(r.Poll(5000 + c.held + 1000), 0) << "released";
        EXPECT_EQ(r.Release(), 0) << "a second release";
    }
}

// In the dialog: a click on a width button steps the selected line's width
// once, a double click too, the down button stops at 1; Add leaves the number field with the
// focus and the next free number selected; OK writes the width.
TEST_F(LayersDialogTest, WidthButtonsStepOncePerClickAndAddFocusesTheNumber)
{
    SetModalDialogHook([&](QDialog &d, int) {
        auto *list = shownWithLineChosen(d, 1);
        auto *width = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_WIDTH);
        auto *up = DialogItemAs<QPushButton>(&d, IDC_LAYERS_WIDTH_UP);
        auto *down = DialogItemAs<QPushButton>(&d, IDC_LAYERS_WIDTH_DOWN);
        const QString pixels = QString::fromStdString(LineWidthUnitString(MapInstance(), window, 0));
        QTest::mouseClick(up, Qt::LeftButton);
        EXPECT_EQ(width->text(), "2" + pixels);
        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(down, Qt::LeftButton);
        EXPECT_EQ(width->text(), "2" + pixels);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(down, Qt::LeftButton);
        EXPECT_EQ(width->text(), "1" + pixels);
        QTest::mouseClick(up, Qt::LeftButton);
        // A double click (press, release, double click, release) steps once.
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const QPointF at(up->rect().center());
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent e(type, at, up->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(up, &e);
        }
        EXPECT_EQ(width->text(), "3" + pixels);

        DialogItemAs<QPushButton>(&d, IDC_LAYERS_ADD)->click();
        QApplication::processEvents();
        auto *number = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NUMBER);
        EXPECT_EQ(d.focusWidget(), number);
        EXPECT_EQ(number->text(), "7");
        EXPECT_EQ(number->selectedText(), "7");
        EXPECT_EQ(list->count(), 4);
        list->clearSelection();
        list->item(1)->setSelected(true);
        QTest::mouseClick(DialogItemAs<QPushButton>(&d, IDOK), Qt::LeftButton);
        return d.result();
    });
    EXPECT_EQ(SetLayers(window), 1);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, three), offsetof(Layer, lineWidth)), 3u);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, five), offsetof(Layer, lineWidth)), 1u);
}

// Help, from its button and from F1 in a field, asks the map window for the
// dialog's help topic.
TEST_F(LayersDialogTest, HelpAsksTheWindowForTheDialogsTopic)
{
    std::vector<LPARAM> topics;
    const WNDPROC previous = SetWindowHandler(window, [&](HWND, UINT msg, WPARAM, LPARAM l) -> LRESULT {
        if (msg == MAPN_HELP)
            topics.push_back(l);
        return 0;
    });
    SetModalDialogHook([&](QDialog &d, int) {
        d.show();
        QApplication::setActiveWindow(&d);
        DialogItemAs<QPushButton>(&d, IDC_LAYERS_HELP)->click();
        auto *name = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NAME);
        name->setFocus();
        QTest::keyClick(name, Qt::Key_F1);
        EXPECT_TRUE(d.isVisible());
        return IDCANCEL;
    });
    EXPECT_EQ(SetLayers(window), 0);
    SetWindowHandler(window, previous);
    EXPECT_EQ(topics, (std::vector<LPARAM>{LAYERSDLG_HELP_TOPIC, LAYERSDLG_HELP_TOPIC}));
}

TEST_F(LayersDialogTest, UndoAfterOkKeepsTheStoreSound)
{
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    LayersDialogModel m(window);
    m.Select({1});
    m.Delete();
    ok(m);
    Undo_Undo(kernel);
    expectReferencesPaired(kernel);
    Undo_Redo(kernel);
    expectReferencesPaired(kernel);
}

// A left press in the list below its last row moves the selected line to
// the end; the colour chooser cancelled changes nothing.
TEST_F(LayersDialogTest, DialogMovesDraggedLinesAndIgnoresACancelledColourChoice)
{
    int chooser = 0;
    SetModalDialogHook([&](QDialog &d, int id) {
        if (id == CLayersDlg::kColourTemplateId) {
            ++chooser;
            return IDCANCEL;
        }
        auto *list = DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST);
        list->clearSelection();
        list->item(1)->setSelected(true);
        DialogItemAs<QPushButton>(&d, IDC_LAYERS_COLOUR)->click();
        const int r = list->sizeHintForRow(0);
        const QPointF at(2, 3 * r + 1);
        // Over a drop position the engine's drag cursor, elsewhere the list's.
        auto move = [&](QPointF to) {
            QMouseEvent e(QEvent::MouseMove, to, list->viewport()->mapToGlobal(to), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &e);
            return list->viewport()->cursor();
        };
        const QCursor over = move(at);
        EXPECT_EQ(over.shape(), Qt::BitmapCursor);
        EXPECT_EQ(over.pixmap().toImage().size(), CursorImage(LoadCursorA(MapInstance(), 156)).size());
        EXPECT_EQ(move(QPointF(2, r + r / 2)).shape(), Qt::ArrowCursor);
        QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &press);
        EXPECT_EQ(list->item(2)->text(), "   3   roads");
        EXPECT_TRUE(list->item(2)->isSelected());
        DialogItemAs<QPushButton>(&d, IDOK)->click();
        return d.result();
    });
    EXPECT_EQ(SetLayers(window), 1);
    EXPECT_EQ(chooser, 1);
    const OBJHANDLE r = GetRootOBJect(window, CLASS_LAYERS);
    EXPECT_EQ(layersOf(kernel, r),
              (std::vector<std::tuple<int32_t, std::string, uint32_t>>{
                  {0, "", 1}, {5, "rivers", 1}, {3, "roads", 2}, {PAGE_LAYER_NUMBER, PAGE_LAYER_NAME, 1}}));
    char name[LAYER_NAME_SIZE] = {};
    ASSERT_EQ(LayerNumberNameGet(kernel, three, name), 3);
    const char *p = OBJectLock(kernel, three);
    EXPECT_EQ(LoadField<COLORREF>(p, offsetof(Layer, lineColor)), RGB(255, 0, 0));
}

// A row of 24 pixels in columns of 30 from x = 100: the centre of the
// visible square is crossed only for a visible layer; the corner sample's
// top-left quarter has the fill colour and its bottom-right corner is white
// only when rounded; a selected row is inverted up to the colour sample.
TEST(PaintLayerLineTest, DrawsTheRowSamples)
{
    const std::array<int, 7> columns{0, 100, 130, 160, 190, 220, 299};
    const QRect row(0, 0, 300, 24);
    struct Case {
        const char *what;
        uint8_t visible, options;
        bool selected;
        QPoint at;
        QColor expected;
    };
    const QColor fill(0, 255, 0), line(0, 0, 255);
    const Case cases[] = {
        {"visible crossed", 1, 0, false, {115, 12}, Qt::black},
        {"hidden empty", 0, 0, false, {115, 12}, Qt::white},
        {"corner fill quarter", 1, 0, false, {170, 8}, fill},
        {"square corner", 1, 0, false, {182, 19}, line},
        {"rounded corner", 1, LAYER_ROUND_CORNERS, false, {182, 19}, Qt::white},
        {"colour sample", 1, 0, false, {260, 12}, fill},
        {"selected inverted", 0, 0, true, {115, 12}, Qt::black},
        {"selected sample kept", 1, 0, true, {260, 12}, fill},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Layer layer;
        LayerInit(&layer);
        layer.visible = c.visible;
        layer.lineOptions = c.options;
        layer.lineColor = RGB(0, 0, 255);
        layer.fill = RGB(0, 255, 0);
        QImage image(300, 24, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            PaintLayerLine(painter, row, columns, layer, false, c.selected);
        }
        EXPECT_EQ(image.pixelColor(c.at), c.expected) << image.pixelColor(c.at).name().toStdString();
    }
}

// Rows of 16 pixels (q = 4), top line 2, 6 lines: drop positions only near
// row boundaries and left of twice the row height.
TEST(LayerListDropPositionTest, FollowsTheRowBoundaries)
{
    struct Case {
        int x, y, expected;
    };
    const Case cases[] = {
        {0, 2, -1},               // the top boundary of the visible rows
        {0, 4, -1},               // y at most q
        {0, 5, -1},               // inside row 0
        {0, 13, 3},               // near the lower edge of row 0: after line 2
        {0, 17, 3},               // near the upper edge of row 1: before line 3
        {0, 24, -1},              // middle of row 1
        {33, 17, -1},             // right of 2r
        {32, 17, 3},  {0, 64, 6}, // below the last line, within q of its edge: the end
        {0, 68, 6},   {0, 69, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LayerListDropPosition(c.x, c.y, 16, 2, 6), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(LayerListDropPosition(0, 17, 0, 0, 6), -1); // no row height
}

} // namespace

namespace {

// The colour sample of a row is drawn by the line renderer: a solid line
// closes the outline, a dashed style (1) leaves gaps in it showing the fill,
// and a wider line reaches further in; the inside keeps the fill.
TEST(PaintLayerLineTest, TheColourSampleIsTheLayersOwnLine)
{
    const std::array<int, 7> columns{0, 100, 130, 160, 190, 220, 319};
    const QRect row(0, 0, 320, 32);
    // The sample: columns[5] to columns[6], two pixels in on every side.
    const QRect sample = QRect(QPoint(220, 0), QPoint(319, 31)).adjusted(2, 2, -2, -2);
    const QColor fill(0, 255, 0), line(0, 0, 255);
    struct Case {
        const char *what;
        uint8_t style;
        uint32_t width;
        bool gaps;   // the top edge shows the fill somewhere
        int deepest; // rows below the top edge still in the line colour at the middle
    };
    const Case cases[] = {{"solid", 0, 1, false, 0}, {"dashed", 1, 1, true, 0}, {"wide", 0, 5, false, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Layer layer;
        LayerInit(&layer);
        layer.lineColor = RGB(0, 0, 255);
        layer.fill = RGB(0, 255, 0);
        layer.lineStyle = c.style;
        layer.lineWidth = c.width;
        QImage image(row.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            PaintLayerLine(painter, row, columns, layer, false, false);
        }
        int lineOnTop = 0, fillOnTop = 0;
        for (int x = sample.left() + 8; x <= sample.right() - 8; ++x) {
            const QColor at = image.pixelColor(x, sample.top());
            lineOnTop += at == line;
            fillOnTop += at == fill;
        }
        EXPECT_GT(lineOnTop, 0);
        EXPECT_EQ(fillOnTop > 0, c.gaps) << lineOnTop << " line, " << fillOnTop << " fill";
        if (!c.gaps) {
            const int middle = sample.center().x();
            for (int d = 0; d <= c.deepest; ++d)
                EXPECT_EQ(image.pixelColor(middle, sample.top() + d), line) << d;
            EXPECT_EQ(image.pixelColor(middle, sample.top() + c.deepest + 1), fill);
        }
        EXPECT_EQ(image.pixelColor(sample.center()), fill);
    }
}

// The owner-drawn buttons: the colour swatch (crossed white without a
// colour), the fill button's sample over its cross, and the width buttons'
// triangles, which point their way and move with the press.
TEST(LayersButtonsTest, PaintTheirFaces)
{
    const QRect face(0, 0, 40, 24);
    auto paint = [&](const std::function<void(QPainter &)> &draw) {
        QImage image(face.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        draw(painter);
        painter.end();
        return image;
    };
    const QImage red = paint([&](QPainter &p) { PaintColourButton(p, face, RGB(255, 0, 0)); });
    EXPECT_EQ(red.pixelColor(20, 12), QColor(255, 0, 0));
    EXPECT_EQ(red.pixelColor(0, 12), QColor(Qt::black));
    const QImage none = paint([&](QPainter &p) { PaintColourButton(p, face, std::nullopt); });
    EXPECT_EQ(none.pixelColor(20, 5), QColor(Qt::white));
    // The diagonal of a 40 x 24 face passes near (20, 12).
    int crossed = 0;
    for (int y = 10; y <= 14; ++y)
        crossed += none.pixelColor(20, y) == QColor(Qt::black);
    EXPECT_GT(crossed, 0);

    const QRect big(0, 0, 60, 40);
    auto fillButton = [&](uint32_t fill, bool pressed) {
        QImage image(big.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        PaintFillButton(painter, big, fill, RGB(0, 0, 255), 0, pressed);
        return image;
    };
    const QImage filled = fillButton(RGB(0, 255, 0), false);
    EXPECT_EQ(filled.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(filled.pixelColor(30, 20), QColor(0, 255, 0)) << "the fill covers the cross";
    EXPECT_EQ(filled.pixelColor(30, 5), QColor(0, 0, 255)) << "outlined in the line colour";
    const QImage empty = fillButton(LAYER_NO_FILL, true);
    EXPECT_EQ(empty.pixelColor(2, 2), QColor(Qt::lightGray));
    EXPECT_EQ(empty.pixelColor(10, 10), QColor(Qt::black)) << "the cross starts 10 pixels in";
    EXPECT_EQ(empty.pixelColor(30, 5), QColor(0, 0, 255));

    // Width buttons of 16 x 12: w = 10, h = 6, so 5 rows, rounded up to 6.
    const QRect small(0, 0, 16, 12);
    auto widthButton = [&](bool up, bool pressed) {
        QImage image(small.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        PaintWidthButton(painter, small, up, pressed);
        painter.end();
        // The triangle's rows: the width in black of each row inside the frame.
        std::vector<int> widths;
        for (int y = 2; y < small.height() - 2; ++y) {
            int n = 0;
            for (int x = 2; x < small.width() - 2; ++x)
                n += image.pixelColor(x, y) == QColor(Qt::black);
            widths.push_back(n);
        }
        return std::make_pair(widths, image);
    };
    const auto [upRows, upImage] = widthButton(true, false);
    std::vector<int> drawn;
    for (int n : upRows)
        if (n)
            drawn.push_back(n);
    EXPECT_EQ(drawn, (std::vector<int>{1, 3, 5, 7, 9, 11}));
    EXPECT_EQ(upImage.pixelColor(1, 1), QColor(255, 255, 255)) << "raised: highlight at the top left";
    const auto [downRows, downImage] = widthButton(false, false);
    std::vector<int> reversed(downRows.rbegin(), downRows.rend());
    EXPECT_EQ(reversed, upRows);
    const auto [pressedRows, pressedImage] = widthButton(true, true);
    EXPECT_EQ(pressedImage.pixelColor(1, 1), QColor(160, 160, 160)) << "sunken: shadow at the top left";
    EXPECT_EQ(std::find_if(pressedRows.begin(), pressedRows.end(), [](int n) { return n > 0; }) -
                  pressedRows.begin(),
              std::find_if(upRows.begin(), upRows.end(), [](int n) { return n > 0; }) - upRows.begin() + 1)
        << "pressed, the triangle moves down a pixel";
    const auto [tinyRows, tinyImage] = [&] {
        QImage image(6, 6, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintWidthButton(painter, QRect(0, 0, 6, 6), true, false);
        painter.end();
        return std::make_pair(0, image);
    }();
    (void)tinyRows;
    EXPECT_NE(tinyImage.pixelColor(3, 3), QColor(Qt::black)) << "no triangle on a face of 6 pixels";
}

} // namespace
