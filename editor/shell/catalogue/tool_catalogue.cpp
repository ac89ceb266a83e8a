#include "editor/shell/catalogue/tool_catalogue.h"

#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/support/global.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void InitGlyphResources() { Q_INIT_RESOURCE(glyphs); }

const std::array<uint8_t, kCatalogueIndexCount> kCatalogueIndex = {
    0,   1,   2,   5,   0,   4,   7,   10,  11,  12,  13,  15,  16,  17,  19,  27,  20,  21,
    23,  24,  25,  26,  31,  32,  33,  50,  51,  52,  54,  55,  204, 59,  60,  205, 56,  58,
    66,  68,  70,  73,  74,  75,  86,  92,  95,  103, 125, 126, 129, 137, 141, 152, 153, 154,
    155, 156, 157, 158, 159, 160, 162, 163, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174,
    175, 176, 177, 178, 179, 182, 184, 185, 186, 187, 188, 191, 107, 196, 198, 199, 200, 201,
    202, 208, 209, 119, 216, 218, 220, 222, 223, 224, 3,   71,  69,  22,  134, 28,  147, 144};

const std::array<uint8_t, kLiteGlyphCount> kLiteGlyphTools = {
    10, 11,  12,  16,  17,  152, 153, 160, 0,   0,   156, 155, 157, 158, 159, 50,  51,  54, 55,
    56, 167, 168, 188, 198, 200, 199, 70,  201, 0,   176, 75,  86,  129, 95,  103, 125, 92, 134,
    66, 126, 166, 185, 182, 174, 175, 74,  119, 171, 172, 173, 169, 170, 218, 224, 69,  68};

namespace {

struct CatalogueRow {
    uint8_t id;
    int32_t glyph;
    int32_t group;
    const char *caption;
    const char *hint;
};

// The catalogue in registration order: id, glyph number (0: none), group,
// caption, hint.
const CatalogueRow kCatalogue[] = {
    {0, 800, 0, "Divider", "Use as a separator in Toolbars"},
    {1, 801, 0, "Spacer", "Use as padding in Toolbars"},
    {2, 0, 0, "Toggle Debug", "Toggle Debug Mode"},
    {3, 0, 0, "Debug Dialogue", "Open Debug Dialogue"},
    {4, 0, 0, "Open Tracer", "Open Tracer Window"},
    {5, 0, 0, "Toggle Office", "Toggle Office Mode"},
    {9, 1042, 0, "Android Link ...", "Android data transfer"},
    {10, 100, 4, "New Map", "Open a new map document"},
    {11, 101, 4, "Open Map ...", "Open an existing map file"},
    {12, 102, 4, "Save Map", "Save current map document"},
    {13, 0, 4, "Save As ...", "Save map as a new file"},
    {14, 0, 0, "Grid System ...", "Set default grid system"},
    {18, 0, 0, "Import ...", "Import geographic data file"},
    {23, 0, 0, "Import MPD File ...", "Import MPD data file"},
    {19, 105, 0, "Import OS GML data ...", "Import GML data file"},
    {25, 0, 0, "Import KML data ...", "Import KML data file"},
    {20, 106, 0, "Import DXF file ...", "Import DXF data file"},
    {21, 107, 0, "Import Shapefile ...", "Import Shapefile"},
    {22, 0, 0, "Import RPA file ...", "Import RPA Shapefile"},
    {26, 0, 0, "Import CSV file ...", "Import CSV data file"},
    {24, 0, 0, "Import Raster ...", "Import Raster file"},
    {29, 0, 0, "Find Raster file...", "Browse for Raster file"},
    {27, 0, 0, "Import OS Landline ...", "Import NTF data file"},
    {28, 0, 0, "Import MIF/MID file ...", "Import MapInfo file"},
    {30, 0, 0, "Export ...", "Export non-MPD format data"},
    {31, 109, 0, "Export DXF file ...", "Export DXF data file"},
    {32, 110, 0, "Export Shapefile ...", "Export Shapefile"},
    {33, 0, 0, "Export Raster ...", "Export Raster file"},
    {35, 0, 0, "Export MIF/MID ...", "Export MIF/MID files"},
    {36, 0, 0, "Find Log files ...", "Open Local Data Folder"},
    {15, 0, 4, "Page Setup ...", "Setup page properties"},
    {16, 103, 0, "Print Page ...", "Print current page"},
    {17, 104, 0, "Print View ...", "Print current view"},
    {37, 0, 0, "Exit", "Close Orvane"},
    {38, 0, 0, "Feet", ""},
    {39, 0, 0, "Yards", ""},
    {40, 0, 0, "Metres", ""},
    {41, 0, 0, "Kilometres", ""},
    {42, 0, 0, "Miles", ""},
    {43, 0, 0, "Sq Feet", ""},
    {44, 0, 0, "Sq Yards", ""},
    {45, 0, 0, "Sq Metres", ""},
    {46, 0, 0, "Acres", ""},
    {47, 0, 0, "Hectares", ""},
    {48, 0, 0, "Sq Kilometres", ""},
    {49, 0, 0, "Ha to Acre", "Convert area IDs"},
    {65, 0, 0, "Options ...", "Open Options dialogue"},
    {61, 0, 0, "User Manual ...", "Open User Manual"},
    {62, 0, 0, "Vorn Support ...", "Contact Vorn OnLine Support"},
    {63, 0, 0, "Check for Updates ...", "Look for online updates"},
    {64, 0, 0, "About ...", "About Orvane"},
    {50, 200, 3, "Undo", "Undo last action"},
    {51, 201, 3, "Redo", "Redo last Undo"},
    {203, 0, 0, "Cut", "Copy and remove object"},
    {181, 0, 0, "Copy", "Copy Selection"},
    {205, 0, 0, "Paste", "Paste at original coordinates"},
    {209, 0, 0, "Paste Here", "Paste at mouse pointer"},
    {52, 0, 0, "Cut", "Copy and remove selection"},
    {53, 202, 0, "Copy Object", "Copy Objects"},
    {54, 202, 0, "Copy", "Copy selection and layer"},
    {55, 203, 0, "Paste", "Paste at geographic position"},
    {56, 204, 0, "Paste Here ...", "Paste at mouse pointer"},
    {57, 0, 0, "Paste to New", "Paste into new map document"},
    {58, 205, 0, "Paste KML data", "Paste Google Earth data"},
    {59, 0, 0, "Copy Page", "Copy Page content to new document"},
    {204, 0, 0, "Copy All", "Copy whole map to clipboard"},
    {124, 0, 0, "Cut to Stencil", "Cut out a map section"},
    {152, 1012, 2, "Layer Mode", "Display and edit Layer Order"},
    {153, 1013, 2, "Theme Mode", "Display and edit Layer Themes"},
    {154, 1014, 2, "Range Mode", "Display and edit Scale Ranges"},
    {155, 1002, 2, "All Invisible", "Make all layers invisible"},
    {156, 1003, 2, "All Visible", "Make all layers visible"},
    {157, 1004, 2, "All Unselectable", "Make all layers unselectable"},
    {158, 1005, 2, "All Selectable", "Make all layers selectable"},
    {159, 1015, 2, "Reset Layers", "Reset previous layer states"},
    {160, 1007, 0, "Add Layer", "Add new layer to map"},
    {163, 1009, 0, "Purge Empty Layers", "Remove all empty layers"},
    {164, 0, 0, "List Layer Data ...", "List Layer data in spreadsheet"},
    {66, 606, 0, "Google Earth", "Display selection in Google Earth"},
    {67, 0, 0, "Web Map Viewer ...", "Display selection in Web Map Viewer"},
    {75, 700, 1, "Text labels", "Add or modify text labels"},
    {76, 0, 0, "Add Text to Map ...", "Create new text item"},
    {77, 1026, 0, "", "Bold text"},
    {78, 1027, 0, "", "Italic text"},
    {79, 1028, 0, "", "Underlined text"},
    {80, 1020, 0, "", "Align left"},
    {81, 1021, 0, "", "Align centre"},
    {82, 1022, 0, "", "Align right"},
    {83, 1023, 0, "", "Align top"},
    {84, 1024, 0, "", "Align middle"},
    {85, 1025, 0, "", "Align bottom"},
    {114, 0, 0, "Relocate Text", "Move Text to new position"},
    {115, 1032, 0, "Justify Text", "Line up text vertically"},
    {167, 300, 3, "Zoom in", "Magnify view"},
    {168, 301, 3, "Zoom out", "View larger area"},
    {188, 302, 3, "Pan Map", "Drag map within window"},
    {169, 500, 1, "Polyline", "Draw a polyline"},
    {170, 501, 1, "Polygon", "Draw a polygon"},
    {218, 502, 1, "Rectangle", "Draw a rectangle"},
    {174, 506, 1, "Move node", "Drag node to new position"},
    {175, 507, 1, "Delete node", "Delete node from line"},
    {176, 508, 1, "Cut object", "Use one object to cut another"},
    {177, 504, 1, "Join lines", "Connect ends of lines"},
    {178, 405, 1, "Make Group", "Make objects a Group"},
    {179, 406, 1, "Ungroup", "Disassemble Group"},
    {68, 409, 1, "Move to Layer", "Move objects to current layer"},
    {69, 410, 1, "Copy to Layer", "Copy objects to current layer"},
    {182, 401, 1, "Move Object", "Move Object"},
    {198, 303, 3, "View All", "Zoom out to show all objects"},
    {199, 304, 3, "View Page", "Zoom to show whole page"},
    {200, 305, 3, "View Selection", "Zoom in on selected objects"},
    {70, 306, 3, "Centre Page", "Move Page centre to view centre"},
    {71, 307, 3, "Move Page to Selection", "Centre selected objects in Page"},
    {220, 308, 0, "Fit Page to Selection ", "Fit printable area around selection"},
    {201, 309, 3, "Refresh", "Redraw map"},
    {202, 0, 0, "Diagnostics ...", "Open KRT Diagnostics"},
    {184, 0, 0, "ID Dialogue ...", "Open ID Dialogue"},
    {185, 404, 0, "Delete Object", "Delete selection from map"},
    {186, 407, 3, "Select Enclosed", "Select objects inside area"},
    {187, 408, 3, "Select Neighbours", "Select objects bordering area"},
    {166, 400, 0, "Deselect", "Deselect tool and objects"},
    {222, 0, 4, "Deselect Objects", "Deselect objects"},
    {223, 0, 0, "Deselect Tool", "Deselect tool"},
    {191, 411, 0, "Nail", "Lock vertex position"},
    {107, 0, 0, "Transform ...", "Alter map coordinates"},
    {192, 0, 0, "Advanced ...", "Open Transformation dialogue"},
    {214, 0, 0, "Buffering ...", "Create buffer region"},
    {165, 607, 3, "Map Cleaner ...", "Remove invalid data"},
    {216, 1040, 3, "Map Expert ...", "Open Map Expert"},
    {8, 0, 0, "Run Macro ...", "Execute macro files"},
    {73, 402, 0, "Slide object", "Slide object (hold down Shift)"},
    {74, 403, 0, "Rotate object", "Rotate object (hold down Shift)"},
    {224, 503, 1, "Arrow", "Draw Arrow Line"},
    {171, 601, 0, "Combine areas", "Combine polygons into one"},
    {172, 602, 0, "Overlapped area", "Create overlapped area"},
    {173, 603, 0, "Excluded area", "Create excluded area"},
    {208, 604, 0, "Border area", "Create border area"},
    {193, 0, 0, "Reducing ...", "KRT Reducing Tool"},
    {123, 0, 0, "Simplify", "Reduce number of vertices"},
    {119, 600, 0, "Parallel Lines ...", "Draw parallel lines and buffers"},
    {120, 0, 0, "Draw Parallel line", "Draw line parallel to selection"},
    {121, 0, 0, "Switch sides", "Move line to other side"},
    {122, 0, 0, "Draw Lining", "Highlight selected shape"},
    {86, 701, 0, "Identifiers", "Manage Object Identifiers"},
    {92, 702, 0, "Layer Legend", "Add a Layer Legend"},
    {95, 703, 0, "Title Box", "Add a Title Box"},
    {103, 704, 0, "Measured Shapes", "Draw measured lines, boxes and circles"},
    {125, 705, 0, "Street Gazetteer", "List and locate street names"},
    {126, 706, 0, "Property Schedule", "List selected land parcels"},
    {127, 0, 0, "Open ...", "Open in spreadsheet"},
    {128, 0, 0, "File ...", "Export as CSV file"},
    {129, 707, 0, "Spot Markers", "Manage spot markers"},
    {130, 0, 0, "Draw Markers", "Click map to draw markers"},
    {131, 0, 0, "Spot Marker", "Place spot marker"},
    {132, 1030, 0, "Decrease size", "Decrease symbol size"},
    {133, 1031, 0, "Increase size", "Increase symbol size"},
    {109, 0, 0, "Transform map ...", "Move and/or re-scale map"},
    {110, 0, 0, "Transform Selection", "Scale and/or rotate selection"},
    {113, 0, 0, "Update Line", "Set exact line details"},
    {111, 0, 0, "Relocate Node", "Move node to new position"},
    {112, 0, 0, "Relocate Object", "Move whole object to new position"},
    {116, 0, 0, "Reflect to East", "Reflect selection to East"},
    {117, 0, 0, "Reflect to North", "Reflect selection to North"},
    {118, 0, 0, "OS Gridlines", "Cover view with OS 1k/100m grid"},
    {134, 708, 0, "Sports Pitches", "Draw sports pitch outline"},
    {135, 0, 0, "Draw Pitch", "Draw sports pitch outline"},
    {136, 0, 0, "Export Pitch", "Export pitch as shapefile"},
    {137, 709, 0, "Skerrow", "Link to Skerrow mobile"},
    {138, 0, 0, "Connect", "Connect to mobile"},
    {139, 0, 0, "Write", "Build Skerrow datasets"},
    {141, 0, 0, "Open Quarrow ...", "Open Quarrow utility"},
    {104, 0, 0, "Fit Shape", "Fit shape to selection"},
    {105, 0, 0, "Centre Shape", "Centre shape on selection"},
    {106, 0, 0, "Draw Shape", "Click map to draw shape"},
    {87, 0, 0, "Apply", "Apply identifier updates"},
    {88, 0, 0, "Cancel", "Cancel pending updates"},
    {89, 0, 0, "Select ID objects", "Select objects with highlighted IDs"},
    {90, 0, 0, "Remove IDs", "Remove identifiers (but keep objects"},
    {91, 0, 0, "Open ID List ...", "Open ID List in spreadsheet"},
    {93, 0, 0, "Draw Legend", "Draw Legend block"},
    {94, 0, 0, "Remove Legend", "Remove Legend from map"},
    {96, 1016, 0, "Draw NW", "Draw Title Box at top left page corner"},
    {97, 1017, 0, "Draw NE", "Draw Title Box at top right page corner"},
    {98, 1018, 0, "Draw SW", "Draw Title Box at bottom left page corner"},
    {99, 1019, 0, "Draw SE", "Draw Title Box at bottom right page corner"},
    {101, 0, 0, "Save Title Box as Template", "Save current Title Box as a template"},
    {102, 0, 0, "Delete Template", "Remove Title Box template from list"},
    {100, 0, 0, "Remove Title Box from Map", "Remove Title Box"},
    {147, 0, 0, "Data", "Display map related data"},
    {148, 0, 0, "Link to file", "Link to data source file"},
    {149, 0, 0, "Unlink file", "Disconnect data file"},
    {150, 0, 0, "Cancel", "Cancel updates to data"},
    {151, 0, 0, "Confirm", "Commit data updates"},
    {142, 0, 0, "Trees", "Plot or import BS5837 Tree Data"},
    {143, 0, 0, "Plot Tree ...", "Click here then position on map"},
    {144, 0, 0, "Import Tree Survey ...", "Open Tree Survey (CSV) file"},
    {145, 0, 0, "Draw Legend", "Add a legend to the map"},
    {108, 0, 0, "Change Grid Label", "Change Grid System tag"},
};

// Names of the glyph pages by their tag (glyph number / 100); pages 8 and
// 11 stay hidden.
struct GlyphPage {
    int tag;
    const char *name;
    bool shown;
};
const GlyphPage kGlyphPages[] = {
    {1, "File", true},  {2, "Edit", true},  {3, "View", true},     {4, "Objects", true}, {5, "Draw", true},
    {6, "Tools", true}, {7, "Tasks", true}, {8, "ToolBar", false}, {10, "Others", true}, {11, "Lite", false}};

// A glyph of the catalogue form: a flat button whose tag is its number.
class TGlyphButton : public QToolButton {
public:
    TGlyphButton(int32_t number, QPixmap picture, QWidget *parent)
        : QToolButton(parent), Number(number), Picture(std::move(picture))
    {
        setAutoRaise(true);
        setIcon(QIcon(Picture));
        setIconSize(Picture.size());
    }
    const int32_t Number;
    const QPixmap Picture;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int DisabledChannel(int c) { return c <= 100 ? c + 96 : 196; }

} // namespace

std::string GroupCaption(int32_t group)
{
    switch (group) {
    case kGroupDrawingTools:
        return "Drawing Tools";
    case kGroupLayerTools:
        return "Layer Tools";
    case kGroupMapOperations:
        return "Map Operations";
    case kGroupOthers:
        return "Others";
    default:
        return {};
    }
}

int CataloguePositionOfPair(const std::string &text, size_t at)
{
    if (at + 2 > text.size())
        return -1;
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0)
        return -1;
    const int position = high * 16 + low;
    if (position >= kCatalogueIndexCount || position == kUnusedCataloguePosition)
        return -1;
    return position;
}

std::vector<int> CataloguePositionsOfString(const std::string &text, size_t from)
{
    std::vector<int> positions;
    for (size_t at = from; at + 2 <= text.size(); at += 2) {
        const int position = CataloguePositionOfPair(text, at);
        if (position >= 0)
            positions.push_back(position);
    }
    return positions;
}

std::string CataloguePositionText(int position)
{
    static const char digits[] = "0123456789ABCDEF";
    const int p = std::clamp(position, 0, 255);
    return {digits[p / 16], digits[p % 16]};
}

// ---- TButtons ----

TButtons::TButtons(std::function<QPixmap(int32_t)> glyphOf) : glyphOf_(std::move(glyphOf)) {}

void TButtons::AddData(uint8_t id, int32_t glyphNumber, int32_t group, const std::string &caption,
                       const std::string &hint)
{
    auto entry = std::make_unique<TToolData>();
    entry->Id = id;
    entry->GlyphNumber = glyphNumber;
    if (glyphNumber != 0 && glyphOf_)
        entry->Glyph = glyphOf_(glyphNumber);
    entry->Hint = hint;
    entry->Caption = caption;
    entry->Group = group;
    entries_.push_back(std::move(entry));
}

bool TButtons::HasData(uint8_t id) const
{
    return std::any_of(entries_.begin(), entries_.end(), [id](const auto &e) { return e->Id == id; });
}

const TToolData &TButtons::FindData(uint8_t id) const
{
    for (const auto &entry : entries_)
        if (entry->Id == id)
            return *entry;
    Global().TraceError("** NOT FOUND ** TButtons.FindData(" + std::to_string(id) + ")");
    static const TToolData empty;
    return entries_.empty() ? empty : *entries_.back();
}

const TToolData *TButtons::FindByGlyph(int32_t glyphNumber) const
{
    for (const auto &entry : entries_)
        if (entry->GlyphNumber == glyphNumber)
            return entry.get();
    return nullptr;
}

uint8_t TButtons::ToolOfGlyph(int32_t glyphNumber) const
{
    const TToolData *entry = FindByGlyph(glyphNumber);
    return entry ? entry->Id : 0;
}

// ---- TfrmButtons ----

TfrmButtons::TfrmButtons(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), buttons_([this](int32_t n) { return Glyph(n); })
{
    InitGlyphResources();
    setWindowTitle(QStringLiteral("Customise Toolbars"));
    glyphNumbers_.SetSorted(true);
    glyphNumbers_.SetObjects(&glyphButtons_);
    BuildGlyphPages();
    BuildCatalogue();
    ShowCatalogueEntries();
}

TfrmButtons::~TfrmButtons() { glyphNumbers_.SetObjects(nullptr); }

void TfrmButtons::BuildGlyphPages()
{
    auto *layout = new QHBoxLayout(this);
    auto *instructions = new QGroupBox(QStringLiteral(" Toolbar Customisation "), this);
    auto *left = new QVBoxLayout(instructions);
    for (const char *text :
         {"Add buttons to a toolbar by dragging them from this form and dropping them on the toolbar.",
          "Remove buttons from a toolbar by dropping them into the red panel below.",
          "Move buttons from one toolbar to another in the same way.",
          "Move buttons within a toolbar by dragging them to a new position.",
          "Right-click on a toolbar to save changes and return to normal operation."}) {
        auto *label = new QLabel(QString::fromLatin1(text), instructions);
        label->setWordWrap(true);
        left->addWidget(label);
    }
    auto *disposal = new QLabel(QStringLiteral("Button Disposal"), instructions);
    disposal->setAlignment(Qt::AlignCenter);
    disposal->setMinimumHeight(60);
    disposal->setAutoFillBackground(true);
    QPalette red = disposal->palette();
    red.setColor(QPalette::Window, Qt::red);
    disposal->setPalette(red);
    left->addWidget(disposal);
    left->addStretch();
    disposal_ = disposal;
    instructions->setFixedWidth(200);
    layout->addWidget(instructions);

    pages_ = new QTabWidget(this);
    layout->addWidget(pages_, 1);

    // Each picture of the resources is a glyph: its file name is its number.
    std::vector<std::pair<int32_t, QString>> files;
    for (const QString &folder : {QStringLiteral(":/glyphs/16"), QStringLiteral(":/glyphs/28")}) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.png")}, QDir::Files)) {
            bool ok = false;
            const int32_t number = QFileInfo(name).completeBaseName().toInt(&ok);
            if (ok && number > 0)
                files.emplace_back(number, dir.filePath(name));
        }
    }
    for (const GlyphPage &page : kGlyphPages) {
        auto *area = new QScrollArea(pages_);
        auto *sheet = new QWidget(area);
        sheet->setObjectName(QString::fromLatin1(page.name));
        area->setWidget(sheet);
        area->setWidgetResizable(false);
        const int index = pages_->addTab(area, QString::fromLatin1(page.name));
        pages_->setTabVisible(index, page.shown);
        int row = 0;
        for (const auto &[number, path] : files) {
            if (number / 100 != page.tag)
                continue;
            QPixmap picture(path);
            if (picture.isNull())
                continue;
            auto *button = new TGlyphButton(number, picture, sheet);
            button->move(8, 4 + row * 30);
            ++row;
            glyphNumbers_.AddObject(number, button);
        }
        sheet->resize(184, 8 + row * 30);
    }
}

void TfrmButtons::BuildCatalogue()
{
    for (const CatalogueRow &row : kCatalogue)
        buttons_.AddData(row.id, row.glyph, row.group, row.caption, row.hint);
}

void TfrmButtons::ShowCatalogueEntries()
{
    // Only glyphs with a catalogue entry are listed, each with its caption
    // and hint; rows close up over the hidden ones.
    std::vector<int> rowsOfSheet(size_t(pages_->count()), 0);
    for (int i = 0; i < glyphNumbers_.Count(); ++i) {
        auto *button = static_cast<TGlyphButton *>(glyphButtons_[size_t(i)]);
        const TToolData *entry = buttons_.FindByGlyph(button->Number);
        if (!entry) {
            button->hide();
            continue;
        }
        QWidget *sheet = button->parentWidget();
        int &row = rowsOfSheet[size_t(std::max(0, pages_->indexOf(sheet->parentWidget()->parentWidget())))];
        const int top = 4 + row * 30;
        ++row;
        button->move(8, top);
        button->setToolTip(QString::fromStdString(entry->Hint));
        auto *caption = new QLabel(QString::fromStdString(entry->Caption), sheet);
        caption->move(8 + 40, top + 4);
        caption->setFixedWidth(184 - 48 - 4); // a long caption stops short of the hint
        auto *hint = new QLabel(QString::fromStdString(entry->Hint), sheet);
        hint->move(184, top + 4);
        hint->adjustSize();
        sheet->resize(std::max(sheet->width(), hint->x() + hint->width() + 8), 8 + row * 30);
    }
}

void TfrmButtons::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (OnClosed)
        OnClosed();
}

QPixmap TfrmButtons::Glyph(int32_t number) const
{
    const int index = glyphNumbers_.IndexOf(number);
    if (index < 0)
        return {};
    return static_cast<TGlyphButton *>(glyphButtons_[size_t(index)])->Picture;
}

QPixmap TfrmButtons::LiteGlyph(uint8_t id) const
{
    const auto at = std::find(kLiteGlyphTools.begin(), kLiteGlyphTools.end(), id);
    if (at == kLiteGlyphTools.end())
        return {};
    return Glyph(kFirstLiteGlyph + int32_t(at - kLiteGlyphTools.begin()));
}

QPixmap TfrmButtons::MakeButtonGlyph(const QPixmap &glyph)
{
    if (glyph.isNull())
        return {};
    const QImage source = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    const int w = source.width();
    const int h = source.height();
    QImage frames(w * 2, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(frames.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = in[x];
            out[x] = c;
            out[w + x] = qRgba(DisabledChannel(qRed(c)), DisabledChannel(qGreen(c)),
                               DisabledChannel(qBlue(c)), qAlpha(c));
        }
    }
    return QPixmap::fromImage(frames);
}

namespace {

// The tool ids whose commands are not built yet, as ranges of ids: the
// dialogs and tools of later work. The copy and paste tools (52 to 58) are
// not listed: the tool manager answers for them (no tool, no command).
struct TIdRange {
    uint8_t first, last;
};
constexpr TIdRange kUnbuiltTools[] = {
    {3, 3},     // debug dialogue
    {8, 9},     // macros, device link
    {14, 17},   // grid system dialog, page setup, printing
    {19, 22},   // GML, DXF, shapefile and land-parcel imports
    {24, 27},   // raster, KML, CSV and line-work imports
    {29, 29},   // raster locator
    {31, 33},   // DXF, shapefile and raster exports
    {49, 49},   // area identifiers in acres
    {59, 59},   // page copy
    {62, 62},   // support form
    {64, 75},   // about box, options, viewers, layer moves, page moves, slide, rotate, text
    {76, 151},  // the layer tools, text, identifiers, shapes, transform and survey tools
    {153, 154}, // theme and scale-range modes of the layer list
    {164, 165}, // layer data listing, map cleaner
    {202, 202}, // diagnostics
    {216, 216}, // map expert
};

} // namespace

bool IsToolBuilt(uint8_t id)
{
    for (const TIdRange &r : kUnbuiltTools)
        if (id >= r.first && id <= r.last)
            return false;
    return true;
}

uint8_t TfrmButtons::ToolOfIndex(int position)
{
    if (position < 0 || position >= kCatalogueIndexCount)
        return 0;
    return kCatalogueIndex[size_t(position)];
}

int TfrmButtons::IndexOfTool(uint8_t id)
{
    for (int position = 0; position < kCatalogueIndexCount; ++position) {
        if (position != kUnusedCataloguePosition && kCatalogueIndex[size_t(position)] == id)
            return position;
    }
    Global().TraceProblem(std::to_string(id) + " not in <TOOLSET>");
    return -1;
}

void TfrmButtons::SetMenuItem(TToolItem *item, uint8_t id) const
{
    if (!item)
        return;
    const TToolData &entry = buttons_.FindData(id);
    item->Id = id;
    item->setText(QString::fromStdString(entry.Caption));
    item->setStatusTip(QString::fromStdString(entry.Hint));
    item->setToolTip(QString::fromStdString(entry.Hint));
    SetActionGlyph(*item, MakeButtonGlyph(entry.Glyph));
    // The form is the connection's context: no call reaches it once gone.
    auto *form = const_cast<TfrmButtons *>(this);
    QObject::disconnect(item, &QAction::triggered, form, nullptr);
    QObject::connect(item, &QAction::triggered, form, [this, item] {
        if (ClickTarget)
            ClickTarget(item);
    });
}

void TfrmButtons::AddMenuItems(QMenu *menu, const std::vector<uint8_t> &ids) const
{
    if (!menu)
        return;
    for (const uint8_t id : ids) {
        auto *item = new TToolItem(menu);
        if (id == 0) {
            // A separator has no caption: styles draw one as a section title.
            item->setSeparator(true);
        } else {
            SetMenuItem(item, id);
        }
        menu->addAction(item);
    }
}

void TfrmButtons::AddMenuItemsFromString(QMenu *menu, const std::string &positions) const
{
    std::vector<uint8_t> ids;
    for (const int position : CataloguePositionsOfString(positions, 0))
        ids.push_back(ToolOfIndex(position));
    AddMenuItems(menu, ids);
}
