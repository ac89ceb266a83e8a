#include "engine/view/dialogs/text_dialogs.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/window/map_notifications.h"
#include "engine/window/window_text.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/screen_metrics.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kHelpId = 57670;
constexpr uint16_t kOperationCreateText = 4;

std::string libraryString(unsigned id, int size, const char *fallback)
{
    std::vector<char> buffer(size_t(size), 0);
    return LoadStringMap(id, buffer.data(), size) > 0 ? std::string(buffer.data()) : fallback;
}

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

std::string &charMapProgram()
{
    static std::string program = "gucharmap";
    return program;
}

int screenDpi() { return ScreenMetric(LOGPIXELSY); }

QFont qtFontOf(const LOGFONTA &lf)
{
    QFont f(QString::fromLatin1(lf.lfFaceName, int(strnlen(lf.lfFaceName, sizeof lf.lfFaceName))));
    if (lf.lfHeight != 0)
        f.setPixelSize(int(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight));
    f.setBold(lf.lfWeight >= FW_BOLD);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    return f;
}

// The chooser's font over the font given: face, height, weight and effects.
LOGFONTA logFontOf(const QFont &f, LOGFONTA lf)
{
    SetLogFontFace(lf, ToWindows1252(f.family()));
    if (f.pixelSize() > 0)
        lf.lfHeight = -f.pixelSize();
    else if (f.pointSizeF() > 0)
        lf.lfHeight = -LONG(f.pointSizeF() * screenDpi() / 72.0 + 0.5);
    lf.lfWeight = f.bold() ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic() ? 1 : 0;
    lf.lfUnderline = f.underline() ? 1 : 0;
    lf.lfStrikeOut = f.strikeOut() ? 1 : 0;
    return lf;
}

// The sixteen colours of the font dialog's colour list.
struct NamedColour {
    const char *name;
    COLORREF colour;
};
constexpr NamedColour kColours[] = {
    {"Black", RGB(0, 0, 0)},       {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},   {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},    {"Gray", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},       {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},      {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)},
};

} // namespace

// ---------------------------------------------------------------------------

CMyFontDlg::CMyFontDlg(const LOGFONTA *font, DWORD, HDC, QWidget *parent) : QDialog(parent), font_{}
{
    if (font)
        font_ = *font;
    setObjectName(QStringLiteral("CMyFontDlg"));
    setWindowTitle(QStringLiteral("Font"));
    auto *layout = new QVBoxLayout(this);
    chooser_ = new QFontDialog(this);
    chooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    chooser_->setWindowFlags(Qt::Widget);
    layout->addWidget(chooser_);
    auto *effects = new QHBoxLayout;
    colourLabel_ = item(new QLabel(QStringLiteral("Colour:")), kColourLabelId);
    colours_ = item(new QComboBox, kColourListId);
    for (const NamedColour &c : kColours)
        colours_->addItem(QString::fromLatin1(c.name), QVariant::fromValue(uint(c.colour)));
    effects->addWidget(colourLabel_);
    effects->addWidget(colours_);
    layerColour_ =
        item(new QCheckBox(FromWindows1252(libraryString(718, 64, "Layer Color"))), kLayerColourId);
    effects->addWidget(layerColour_);
    effects->addStretch();
    layout->addLayout(effects);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = item(new QPushButton(QStringLiteral("OK")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(layerColour_, &QCheckBox::clicked, this, [this] { OnLayerColourClicked(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
}

void CMyFontDlg::OnInitDialog()
{
    chooser_->setCurrentFont(qtFontOf(font_));
    int index = -1;
    for (int i = 0; i < colours_->count(); ++i)
        if (colours_->itemData(i).toUInt() == colour_)
            index = i;
    if (index < 0) {
        colours_->addItem(QStringLiteral("Custom"), QVariant::fromValue(uint(colour_)));
        index = colours_->count() - 1;
    }
    colours_->setCurrentIndex(index);
    layerColour_->setChecked(ownColour == 0);
    showColourState();
}

void CMyFontDlg::showColourState()
{
    colours_->setEnabled(ownColour != 0);
    colourLabel_->setEnabled(ownColour != 0);
}

void CMyFontDlg::OnLayerColourClicked()
{
    ownColour = ownColour ? 0 : 1;
    showColourState();
}

void CMyFontDlg::OnOK()
{
    ownColour = layerColour_->isChecked() ? 0 : 1;
    font_ = logFontOf(chooser_->currentFont(), font_);
    colour_ = COLORREF(colours_->currentData().toUInt());
    done(IDOK);
}

int CMyFontDlg::DoModal()
{
    OnInitDialog();
    return RunModalDialog(*this, 0);
}

// ---------------------------------------------------------------------------

CTextOrientDlg::CTextOrientDlg(int deg, HWND window, QWidget *parent)
    : QDialog(parent), degrees(deg), window_(window)
{
    setObjectName(QStringLiteral("TOORIENT"));
    setWindowTitle(QStringLiteral("Text Orientation"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(item(new QLabel(QStringLiteral("&Escapement:")), 180), 0, 0);
    grid->addWidget(edit_ = item(new QLineEdit, 181), 0, 1);
    auto *rotationLabel = item(new QLabel(QStringLiteral("&Rotation:")), 182);
    auto *rotation = item(new QLineEdit, 183);
    rotationLabel->setEnabled(false);
    rotation->setEnabled(false);
    grid->addWidget(rotationLabel, 1, 0);
    grid->addWidget(rotation, 1, 1);
    auto *picture = item(new QPushButton, 184); // a frame that nothing draws
    picture->setFixedSize(72, 72);
    picture->setFlat(true);
    grid->addWidget(picture, 0, 2, 2, 1);
    auto *ok = item(new QPushButton(QStringLiteral("OK")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *help = item(new QPushButton(QStringLiteral("&Help")), kHelpId);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    grid->addLayout(buttons, 0, 3, 2, 1);
    edit_->setText(QString::number(degrees));
    connect(ok, &QPushButton::clicked, this, [this] {
        degrees = std::atoi(edit_->text().toLatin1().constData());
        done(IDOK);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(window_, 628); });
}

int CTextOrientDlg::DoModal() { return RunModalDialog(*this, 0); }

// ---------------------------------------------------------------------------

CTextObjectDlg::CTextObjectDlg(TextDialogModel &model, HWND window, QWidget *parent)
    : QDialog(parent), model_(model), window_(window)
{
    setObjectName(QStringLiteral("TEXTDIALOG"));
    setWindowTitle(QStringLiteral("Text Object Editor"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("T&ext to edit:  (for new line press CTRL+ENTER)")), 0, 0, 1,
                    4);
    text_ = item(new QPlainTextEdit, 150);
    grid->addWidget(text_, 1, 0, 1, 4);
    grid->addWidget(item(new QLabel(QStringLiteral("&x:")), 174), 2, 0);
    grid->addWidget(x_ = item(new QLineEdit, 171), 2, 1);
    grid->addWidget(item(new QLabel(QStringLiteral("&y:")), 175), 2, 2);
    grid->addWidget(y_ = item(new QLineEdit, 172), 2, 3);
    auto *lists = new QFormLayout;
    auto makeList = [&](int id, const char *label,
                        std::initializer_list<std::pair<unsigned, const char *>> texts) {
        auto *list = item(new QComboBox, id);
        for (auto [sid, fallback] : texts)
            list->addItem(FromWindows1252(libraryString(sid, 64, fallback)));
        lists->addRow(QString::fromLatin1(label), list);
        return list;
    };
    horz_ = makeList(160, "Horizontal:", {{163, "Left"}, {164, "Center"}, {165, "Right"}});
    vert_ = makeList(161, "Vertical:", {{166, "Top"}, {164, "Center"}, {167, "Bottom"}});
    lock_ = makeList(162, "Locked to:", {{169, "Page"}, {168, "Map"}, {170, "Screen"}});
    grid->addLayout(lists, 3, 0, 1, 4);
    fontLabel_ = item(new QLabel, 157);
    grid->addWidget(fontLabel_, 4, 0, 1, 4);

    auto *buttons = new QVBoxLayout;
    auto *ok = item(new QPushButton(QStringLiteral("OK")), IDOK);
    ok->setDefault(true);
    auto *cancel = item(new QPushButton(QStringLiteral("Cancel")), IDCANCEL);
    auto *font = item(new QPushButton(QStringLiteral("&Font...")), 151);
    auto *orientation = item(new QPushButton(QStringLiteral("&Orientation...")), 152);
    auto *charMap = item(new QPushButton(QStringLiteral("CharMap")), 177);
    auto *help = item(new QPushButton(QStringLiteral("Help")), kHelpId);
    for (QPushButton *b : {ok, cancel, font, orientation, charMap, help})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 4, 5, 1);

    // Fill (OnInitDialog).
    text_->setPlainText(FromWindows1252(model_.text));
    x_->setText(QString::number(model_.data.x));
    y_->setText(QString::number(model_.data.y));
    horz_->setCurrentIndex(model_.HorzIndex());
    vert_->setCurrentIndex(model_.VertIndex());
    lock_->setCurrentIndex(model_.LockIndex());
    showFontLabel();
    model_.changeMask = 0;

    connect(text_, &QPlainTextEdit::textChanged, this, [this] {
        // The edit holds at most 2048 characters.
        if (text_->toPlainText().size() > int(kTextDialogMaxText)) {
            QTextCursor c = text_->textCursor();
            text_->setPlainText(text_->toPlainText().left(int(kTextDialogMaxText)));
            c.movePosition(QTextCursor::End);
            text_->setTextCursor(c);
        }
        model_.TextEdited();
    });
    connect(horz_, &QComboBox::currentIndexChanged, this, [this] { model_.HorzChanged(); });
    connect(vert_, &QComboBox::currentIndexChanged, this, [this] { model_.VertChanged(); });
    connect(lock_, &QComboBox::currentIndexChanged, this, [this] { model_.LockChanged(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(font, &QPushButton::clicked, this, [this] { OnFont(); });
    connect(orientation, &QPushButton::clicked, this, [this] { OnOrientation(); });
    connect(charMap, &QPushButton::clicked, this, [this] { OnCharMap(); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(window_, 757); });
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState s) { OnActivateApp(s == Qt::ApplicationActive); });
}

void CTextObjectDlg::showFontLabel() { fontLabel_->setText(FromWindows1252(model_.FontLabel())); }

int CTextObjectDlg::DoModal() { return RunModalDialog(*this, 0); }

void CTextObjectDlg::OnFont()
{
    const int dpi = screenDpi();
    const LOGFONTA given = model_.FontForDialog(dpi);
    CMyFontDlg dlg(&given, CF_SCREENFONTS | CF_EFFECTS, 0, this);
    dlg.SetColor(model_.data.colour);
    dlg.ownColour = model_.data.ownColour;
    const bool ok = dlg.DoModal() == IDOK;
    model_.FontDialogClosed(ok ? dlg.GetLogFont() : given, ok, dlg.GetColor(), dlg.ownColour, dpi);
    if (ok)
        showFontLabel();
}

void CTextObjectDlg::OnOrientation()
{
    CTextOrientDlg dlg(model_.OrientationDegrees(), window_, this);
    if (dlg.DoModal() == IDOK)
        model_.OrientationConfirmed(dlg.degrees);
}

void CTextObjectDlg::OnCharMap()
{
    if (QProcess::startDetached(QString::fromStdString(charMapProgram()), {}))
        return;
    const std::string text =
        libraryString(719, 128, "Windows accessory Charmap is not installed,\nplease install it");
    MessageBoxA(window_, text.c_str(), "", MB_OK | MB_ICONEXCLAMATION);
}

void CTextObjectDlg::OnActivateApp(bool active)
{
    if (!active)
        return;
    model_.TakeClipboardFace(window_);
    showFontLabel();
}

void CTextObjectDlg::OnOK()
{
    const QString shown = text_->toPlainText();
    std::string text = model_.text;
    if (model_.changeMask & TEXTDLG_TEXT) {
        // Lines end as the edit control of the system ends them.
        text = ToWindows1252(QString(shown).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    }
    model_.Accept(text, horz_->currentIndex(), vert_->currentIndex(), lock_->currentIndex(),
                  x_->text().toStdString(), y_->text().toStdString());
    done(IDOK);
}

void SetCharMapProgram(const std::string &program) { charMapProgram() = program; }

// ---------------------------------------------------------------------------

namespace {

_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    _COORDRECT r{};
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

// The model of an existing text, read through the window-level getter.
bool loadText(HWND window, OBJHANDLE handle, TextDialogModel &m)
{
    std::vector<char> buffer(kTextDialogMaxText + 1, 0);
    uint32_t length = 0;
    MAP_COORDPT anchor{};
    char face[sizeof m.data.font.lfFaceName] = {};
    int32_t size = 0;
    int style = 0, rotation = 0, escapement = 0, own = 0;
    COLORREF colour = 0;
    uint16_t flags = 0;
    uint8_t charSet = 0;
    if (!map_text_GetEx(window, handle, &length, buffer.data(), uint16_t(kTextDialogMaxText), &anchor, face,
                        uint16_t(sizeof face), &size, &style, &colour, &rotation, &escapement, &flags,
                        &charSet, &own))
        return false;
    m.text.assign(buffer.data(), strnlen(buffer.data(), kTextDialogMaxText));
    m.data.x = anchor.x;
    m.data.y = anchor.y;
    SetLogFontFace(m.data.font, std::string_view(face, strnlen(face, sizeof face)));
    m.data.font.lfHeight = size;
    FontFromTextStyle(m.data.font, style);
    m.data.font.lfEscapement = rotation;
    m.data.font.lfCharSet = charSet;
    m.data.colour = colour;
    m.data.ownColour = own;
    m.flags = flags;
    return true;
}

void setModified(HWND window)
{
    if (_WNDRES *rec = GetWndRes(window))
        rec->flags |= WNDRES_MODIFIED;
}

// The selected texts, in the order of the selection list.
std::vector<OBJHANDLE> selectedTexts(HWND window)
{
    std::vector<OBJHANDLE> out;
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return out;
    const OBJHANDLE list = GetRootOBJKern(rec->kernel, rec->rootObject, CLASS_SELLIST);
    int32_t pos = -1;
    for (OBJHANDLE h = GetReference(rec->kernel, list, REF_SELECTED, &pos); h;
         h = GetReference(rec->kernel, list, REF_SELECTED, &pos))
        if (GetOBJectClassID(rec->kernel, h) == CLASS_TEXT)
            out.push_back(h);
    return out;
}

} // namespace

int DlgText(HWND window, OBJHANDLE handle, MAP_COORDPT anchor)
{
    _WNDRES *rec = GetWndRes(window);
    OBJectKernel *kernel = rec ? rec->kernel : nullptr;
    TextDialogModel m;
    _COORDRECT oldBound{};
    if (handle) {
        if (!loadText(window, handle, m))
            return -1;
        oldBound = boundOf(kernel, handle);
    } else {
        m.data = TextDefaultsRead(window, &m.flags);
        m.data.x = anchor.x;
        m.data.y = anchor.y;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return -1; // no dialog can run
    {
        CTextObjectDlg dlg(m, window);
        if (dlg.DoModal() != IDOK)
            return -1;
    }
    const int style = TextStyleFromFont(m.data.font);
    const MAP_COORDPT at{m.data.x, m.data.y};
    int result = m.changeMask;
    if (handle) {
        map_text_SetEx(window, handle, m.text.c_str(), &at, m.data.font.lfFaceName, m.data.font.lfHeight,
                       style, m.data.colour, m.data.font.lfEscapement, 0, m.flags, 0, m.data.font.lfCharSet,
                       m.data.ownColour);
        // A changed text is a changed document, though no undo step is kept.
        setModified(window);
        _COORDRECT area = oldBound;
        const _COORDRECT now = boundOf(kernel, handle);
        SumBoundRect(&area, &now);
        InvalidateGraphRect(window, &area, 0);
    } else if (!m.text.empty() && kernel) {
        OBJHANDLE created = 0;
        map_text_CreateEx(window, &created, m.text.c_str(), &at, m.data.font.lfFaceName, m.data.font.lfHeight,
                          style, m.data.colour, m.data.font.lfEscapement, 0, m.flags, 0,
                          m.data.font.lfCharSet, m.data.ownColour);
        if (created) {
            setModified(window);
            Undo_AddNew(kernel, created);
            Undo_SetNewStep(window, kernel, kOperationCreateText);
            SetSelection(window, &created, 1, 0, 1); // the new text alone
            const _COORDRECT area = boundOf(kernel, created);
            InvalidateGraphRect(window, &area, 0);
        } else {
            result = -1;
        }
    } else {
        result = -1;
    }
    TextDefaultsWrite(window, m.data, m.flags);
    return result;
}

int ReDefTextObj(HWND window)
{
    const std::vector<OBJHANDLE> texts = selectedTexts(window);
    if (texts.empty())
        return 0;
    _WNDRES *rec = GetWndRes(window);
    OBJectKernel *kernel = rec->kernel;
    const int mask = DlgText(window, texts.front(), MAP_COORDPT{0, 0});
    if (mask == -1)
        return 1;
    const char *firstRecord = TextObjectLock(kernel, texts.front());
    if (!firstRecord)
        return 1;
    const TextObjectData first = TextRecordLoad(firstRecord);
    std::vector<char> firstText(kTextDialogMaxText + 1, 0);
    TextObjectTextGet(kernel, texts.front(), firstText.data(), int(kTextDialogMaxText));

    const bool waitCursor = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    if (waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    for (OBJHANDLE h : texts) {
        char *p = TextObjectLock(kernel, h);
        if (!p)
            continue;
        TextObjectData d = TextRecordLoad(p);
        if (mask & TEXTDLG_FONT) {
            std::memcpy(d.faceName, first.faceName, sizeof d.faceName);
            d.style = first.style;
            d.charSet = first.charSet;
            d.ownColor = first.ownColor;
            d.size = first.size;
            d.mapHeight = first.mapHeight;
            d.colorMode = first.colorMode;
        }
        if (mask & TEXTDLG_ROTATION)
            d.rotation = first.rotation;
        uint16_t flags = d.flags;
        if (mask & TEXTDLG_HORZ)
            flags = uint16_t((flags & ~0x03) | (first.flags & 0x03));
        if (mask & TEXTDLG_VERT)
            flags = uint16_t((flags & ~0x0C) | (first.flags & 0x0C));
        if (mask & TEXTDLG_LOCK)
            flags = uint16_t((flags & ~0x30) | (first.flags & 0x30));
        if (mask & (TEXTDLG_HORZ | TEXTDLG_VERT | TEXTDLG_LOCK))
            d.flags = uint16_t(flags & 0x00FF);
        TextRecordStore(p, d);
        if (mask & TEXTDLG_LOCK) {
            const int32_t height = TextHeightToWindow(window, d.size, d.flags);
            if (char *q = TextObjectLock(kernel, h)) {
                TextObjectData e = TextRecordLoad(q);
                e.mapHeight = height;
                TextRecordStore(q, e);
            }
        }
        if (mask & TEXTDLG_TEXT)
            TextObjectTextSet(kernel, h, firstText.data());
        TextObjectRecalcRect(window, h);
    }
    if (waitCursor)
        QApplication::restoreOverrideCursor();
    if (mask)
        setModified(window);
    return 1;
}
