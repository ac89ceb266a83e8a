// First: the class table's header uses names that Qt's headers define as
// macros.
#include "engine/kernel/graph_classes.h"

#include "engine/window/dialogs/layers_dialog.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/module_startup.h"
#include "engine/view/dialogs/line_style_picker.h"
#include "engine/view/linestyle/line_style.h"
#include "engine/window/map_notifications.h"
#include "platform/message_box.h"
#include "platform/dc.h"
#include "platform/modal_dialog.h"
#include "platform/resources.h"
#include "platform/system_colors.h"
#include "platform/text_codec.h"
#include "platform/window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <QPaintEvent>

#include <algorithm>
#include <cstdio>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

Qt::CheckState checkState(LayerCheck c)
{
    return c == LayerCheck::Checked         ? Qt::Checked
           : c == LayerCheck::Indeterminate ? Qt::PartiallyChecked
                                            : Qt::Unchecked;
}

void showCheck(QCheckBox *box, LayerCheck c, bool enabled)
{
    box->setTristate(c == LayerCheck::Indeterminate);
    box->setCheckState(checkState(c));
    box->setEnabled(enabled);
}

QColor toQColor(COLORREF c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
COLORREF fromQColor(const QColor &c) { return COLORREF(c.red() | (c.green() << 8) | (c.blue() << 16)); }

QString lineText(const Layer &r)
{
    char text[80];
    std::snprintf(text, sizeof text, "%4i   %s", int(r.number), r.name);
    return FromWindows1252(text);
}

QColor fillColour(uint32_t fill)
{
    return fill == LAYER_NO_FILL ? QColor(Qt::white) : toQColor(fill & 0xFFFFFF);
}

// The centred square of a column, inset by a sixth of the row height.
QRect sampleSquare(const QRect &row, int left, int right)
{
    const int inset = row.height() / 6;
    const int side = std::max(std::min(right - left, row.height()) - 2 * inset, 1);
    return QRect((left + right - side) / 2, row.top() + (row.height() - side) / 2, side, side);
}

QPoint centreOf(const QRect &r)
{
    return QPoint((r.left() + r.right() + 1) / 2, (r.top() + r.bottom() + 1) / 2);
}

void paintCheck(QPainter &p, const QRect &sq, bool set)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(sq.adjusted(0, 0, -1, -1));
    if (set) {
        p.drawLine(sq.topLeft(), sq.bottomRight());
        p.drawLine(sq.topRight(), sq.bottomLeft());
    }
}

void paintCorner(QPainter &p, const QRect &sq, const Layer &l)
{
    const QPoint c = centreOf(sq);
    const QColor line = toQColor(l.lineColor), fill = fillColour(l.fill);
    p.setPen(Qt::NoPen);
    if (l.lineOptions & LAYER_ROUND_CORNERS) {
        p.fillRect(QRect(sq.topLeft(), c), fill);
        p.fillRect(QRect(QPoint(c.x(), sq.top()), QPoint(sq.right(), c.y())), line);
        p.fillRect(QRect(QPoint(sq.left(), c.y()), QPoint(c.x(), sq.bottom())), line);
        const QRect quarter(c, sq.bottomRight());
        p.fillRect(quarter, Qt::white);
        p.setBrush(line);
        const int rx = sq.width() / 2, ry = sq.height() / 2;
        p.drawPie(QRect(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry), 270 * 16, 90 * 16);
    } else {
        p.fillRect(sq, line);
        p.fillRect(QRect(sq.topLeft(), c), fill);
    }
}

void paintEnding(QPainter &p, const QRect &sq, const Layer &l)
{
    const QPoint c = centreOf(sq);
    const QColor fill = fillColour(l.fill);
    const QPen outline(QColor(6, 0, 0));
    p.setPen(outline);
    p.setBrush(fill);
    if (l.lineOptions & LAYER_SQUARE_ENDS) {
        p.drawRect(sq.adjusted(0, 0, -1, -1));
    } else {
        p.fillRect(QRect(sq.topLeft(), QPoint(c.x() + 1, sq.bottom())), fill);
        p.drawLine(sq.topLeft(), QPoint(c.x() + 1, sq.top()));
        p.drawLine(sq.topLeft(), sq.bottomLeft());
        p.drawLine(sq.bottomLeft(), QPoint(c.x() + 1, sq.bottom()));
        p.fillRect(QRect(QPoint(c.x() + 2, sq.top()), sq.bottomRight()), Qt::white);
        const int rx = sq.width() / 2, ry = sq.height() / 2;
        p.drawPie(QRect(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry), -90 * 16, 180 * 16);
    }
    p.setPen(QPen(QColor(6, 0, 0), 3));
    p.drawLine(QPoint(sq.left(), c.y()), QPoint(c.x() + 1, c.y()));
}

// A rectangle of the image outlined by the engine's line renderer in the
// colour, style and width (the line's middle inside the rectangle by half
// the width); the ends and corners follow the flags byte.
void outlineByRenderer(QImage &image, const QRect &r, COLORREF colour, int style, int width, uint8_t flags)
{
    const HDC dc = CreateImageDC(&image);
    if (!dc)
        return;
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, style, dc, colour, width, flags & (LAYER_ROUND_CORNERS | LAYER_SQUARE_ENDS));
    const int half = width / 2;
    LineStyleDrawRect(&ctx, dc, r.left() + half, r.top() + half, r.right() - half, r.bottom() - half);
    LineStyleContextRelease(&ctx);
    DeleteDC(dc);
}

// The engine's cursor over a drop position in the list.
constexpr UINT kDragCursor = 156;

// The window redraws the layers after a new root was installed.
void RedrawMapWindow(HWND window) { InvalidateRect(window, nullptr, TRUE); }

} // namespace

void PaintLayerLine(QPainter &painter, const QRect &row, const std::array<int, 7> &columns,
                    const Layer &layer, bool active, bool selected)
{
    painter.save();
    painter.fillRect(row, active ? QColor(Qt::lightGray) : QColor(Qt::white));
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(columns[0], row.top()), QPoint(columns[1] - 1, row.bottom())),
                     Qt::AlignVCenter | Qt::TextSingleLine, lineText(layer));
    paintCheck(painter, sampleSquare(row, columns[1], columns[2]), layer.visible);
    paintCheck(painter, sampleSquare(row, columns[2], columns[3]), layer.selectable);
    paintCorner(painter, sampleSquare(row, columns[3], columns[4]), layer);
    paintEnding(painter, sampleSquare(row, columns[4], columns[5]), layer);
    const QRect sample =
        QRect(QPoint(columns[5], row.top()), QPoint(columns[6], row.bottom())).adjusted(2, 2, -2, -2);
    if (sample.width() > 0 && sample.height() > 0) {
        // The layer's own line: a wide line is narrowed to a quarter of the
        // sample's height, so that the fill still shows.
        QImage image(sample.size(), QImage::Format_RGB32);
        image.fill(fillColour(layer.fill));
        const int width =
            int(std::clamp<uint32_t>(layer.lineWidth, 1, uint32_t(std::max(sample.height() / 4, 1))));
        outlineByRenderer(image, image.rect(), layer.lineColor, layer.lineStyle, width, layer.lineOptions);
        painter.drawImage(sample.topLeft(), image);
    }
    if (selected) {
        // Inverted up to the colour sample, which keeps its colours.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(QRect(QPoint(row.left(), row.top()), QPoint(columns[5] - 1, row.bottom())),
                         Qt::white);
    }
    painter.restore();
}

void PaintColourButton(QPainter &painter, const QRect &face, std::optional<COLORREF> colour)
{
    painter.save();
    painter.setPen(toQColor(GetSysColor(COLOR_BTNTEXT)));
    painter.setBrush(colour ? toQColor(*colour & 0xFFFFFF) : QColor(Qt::white));
    const QRect r = face.adjusted(0, 0, -1, -1);
    painter.drawRect(r);
    if (!colour) {
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomLeft());
    }
    painter.restore();
}

void PaintFillButton(QPainter &painter, const QRect &face, uint32_t fill, COLORREF lineColour, int style,
                     bool pressed)
{
    if (face.width() <= 0 || face.height() <= 0)
        return;
    QImage image(face.size(), QImage::Format_RGB32);
    image.fill(pressed ? QColor(Qt::lightGray) : QColor(Qt::white));
    const QRect all = image.rect();
    const QRect sample = all.adjusted(5, 5, -5, -5);
    {
        QPainter p(&image);
        p.setPen(Qt::black);
        const QRect cross = all.adjusted(10, 10, -10, -10);
        if (cross.width() > 0 && cross.height() > 0) {
            p.drawLine(cross.topLeft(), cross.bottomRight());
            p.drawLine(cross.topRight(), cross.bottomLeft());
        }
        if (fill != LAYER_NO_FILL && sample.width() > 0 && sample.height() > 0)
            p.fillRect(sample, toQColor(fill & 0xFFFFFF));
    }
    if (sample.width() > 0 && sample.height() > 0)
        outlineByRenderer(image, sample, lineColour, style, LineStyleSampleWidth(style, 1), 0);
    painter.drawImage(face.topLeft(), image);
}

void PaintWidthButton(QPainter &painter, const QRect &face, bool up, bool pressed)
{
    painter.save();
    painter.fillRect(face, toQColor(GetSysColor(COLOR_BTNFACE)));
    const QColor text = toQColor(GetSysColor(COLOR_BTNTEXT));
    const QRect frame = face.adjusted(0, 0, -1, -1);
    painter.setPen(text);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    const QRect inner = frame.adjusted(1, 1, -1, -1);
    if (pressed) {
        painter.setPen(toQColor(GetSysColor(COLOR_BTNSHADOW)));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
    } else {
        painter.setPen(toQColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(toQColor(GetSysColor(COLOR_BTNSHADOW)));
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
    }
    const int w = face.width() - 6, h = face.height() - 6;
    if (w > 0 && h > 0) {
        int rows = w >= 2 * h - 1 ? (w - 1) / 2 : h - 1;
        rows = std::max(rows, 1);
        rows += rows % 2;
        const int shift = pressed ? 1 : 0;
        const int centre = face.left() + face.width() / 2 + shift;
        const int top = face.top() + (face.height() - rows) / 2 + shift;
        for (int i = 0; i < rows; ++i) {
            // One pixel at the tip, two more on each further row.
            const int y = up ? top + i : top + rows - 1 - i;
            painter.fillRect(QRect(centre - i, y, 2 * i + 1, 1), text);
        }
    }
    painter.restore();
}

namespace {

// The owner-drawn buttons of the dialog: each paints its face itself.
class OwnerDrawnButton : public QPushButton {
public:
    OwnerDrawnButton(std::function<void(QPainter &, const QRect &, bool)> paint, QWidget *parent)
        : QPushButton(parent), paint_(std::move(paint))
    {
        setMinimumSize(24, 20);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        paint_(painter, rect(), isDown());
    }

private:
    std::function<void(QPainter &, const QRect &, bool)> paint_;
};

// A width button: its steps come from the press and the hold alone, so a
// double click steps no more than a single click does.
class WidthButton : public OwnerDrawnButton {
public:
    WidthButton(bool up, QWidget *parent)
        : OwnerDrawnButton(
              [up](QPainter &p, const QRect &r, bool pressed) { PaintWidthButton(p, r, up, pressed); },
              parent)
    {
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override { event->accept(); }
};

} // namespace

// Paints the list rows with PaintLayerLine, in columns taken from the
// header labels' positions.
class LayerLineDelegate : public QStyledItemDelegate {
public:
    LayerLineDelegate(CLayersDlg &dialog) : QStyledItemDelegate(&dialog), dialog_(dialog) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const auto &lines = dialog_.model_.lines();
        if (index.row() < 0 || size_t(index.row()) >= lines.size())
            return;
        std::array<int, 7> columns{};
        QWidget *viewport = dialog_.list_->viewport();
        for (size_t i = 0; i < 6; ++i)
            columns[i] = dialog_.headers_[i]->mapTo(&dialog_, QPoint(0, 0)).x() -
                         viewport->mapTo(&dialog_, QPoint(0, 0)).x();
        columns[0] = option.rect.left();
        columns[6] = option.rect.right();
        for (size_t i = 1; i < 7; ++i)
            columns[i] = std::max(columns[i], columns[i - 1] + 1);
        PaintLayerLine(*painter, option.rect, columns, lines[size_t(index.row())].record,
                       index.row() == dialog_.model_.activeLine(), option.state & QStyle::State_Selected);
        if (option.state & QStyle::State_HasFocus)
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }

private:
    CLayersDlg &dialog_;
};

CLayersDlg::CLayersDlg(LayersDialogModel &model, QWidget *parent) : QDialog(parent), model_(model)
{
    setObjectName(QStringLiteral("LAYERS"));
    setWindowTitle(QStringLiteral("Layers"));
    auto *grid = new QGridLayout(this);

    auto *headers = new QHBoxLayout;
    const std::pair<int, const char *> labels[] = {{IDC_LAYERS_HEADER_NAME, "Num.        Name"},
                                                   {IDC_LAYERS_HEADER_VISIBLE, "Vis."},
                                                   {IDC_LAYERS_HEADER_SELECTABLE, "Sel."},
                                                   {IDC_LAYERS_HEADER_CORNER, "Corn."},
                                                   {IDC_LAYERS_HEADER_END, "End."},
                                                   {IDC_LAYERS_HEADER_STYLE, "Color-Style"}};
    size_t column = 0;
    for (const auto &[id, text] : labels) {
        headers_[column] = item(new QLabel(QString::fromLatin1(text), this), id);
        headers->addWidget(headers_[column++]);
    }
    grid->addLayout(headers, 0, 0, 1, 2);
    list_ = item(new QListWidget(this), IDC_LAYERS_LIST);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->addWidget(list_, 1, 0, 6, 1);
    list_->setItemDelegate(new LayerLineDelegate(*this));
    list_->viewport()->installEventFilter(this);
    list_->viewport()->setMouseTracking(true);

    auto *fields = new QGridLayout;
    number_ = item(new QLineEdit(this), IDC_LAYERS_NUMBER);
    number_->setMaxLength(20);
    name_ = item(new QLineEdit(this), IDC_LAYERS_NAME);
    name_->setMaxLength(47);
    number_->installEventFilter(this);
    name_->installEventFilter(this);
    auto *numberLabel = new QLabel(QStringLiteral("&Number:"), this);
    numberLabel->setBuddy(number_);
    auto *nameLabel = new QLabel(QStringLiteral("Na&me:"), this);
    nameLabel->setBuddy(name_);
    fields->addWidget(numberLabel, 0, 0);
    fields->addWidget(number_, 0, 1);
    fields->addWidget(nameLabel, 1, 0);
    fields->addWidget(name_, 1, 1);
    grid->addLayout(fields, 1, 1);

    auto *line = new QGroupBox(QStringLiteral("&Line"), this);
    auto *lineGrid = new QGridLayout(line);
    width_ = item(new QLineEdit(line), IDC_LAYERS_WIDTH);
    auto *up = item(new WidthButton(true, line), IDC_LAYERS_WIDTH_UP);
    auto *down = item(new WidthButton(false, line), IDC_LAYERS_WIDTH_DOWN);
    // Held down, the width buttons step every 70 ms or more; a shorter
    // click steps once. The hold is polled more often than it steps.
    repeatTimer_ = new QTimer(this);
    repeatTimer_->setTimerType(Qt::PreciseTimer);
    repeatTimer_->setInterval(int(WidthButtonRepeat::kStepMs / 7));
    connect(repeatTimer_, &QTimer::timeout, this, [this] {
        if (repeat_.Poll(clock_.elapsed()))
            stepWidth();
    });
    for (QPushButton *b : {up, down}) {
        connect(b, &QPushButton::pressed, this, [this, b, up] {
            repeatUp_ = b == up;
            clock_.start();
            repeat_.Press(0);
            repeatTimer_->start();
        });
        connect(b, &QPushButton::released, this, [this] {
            repeatTimer_->stop();
            if (repeat_.Release())
                stepWidth();
        });
    }
    pixels_ = item(new QRadioButton(QStringLiteral("&Pixels"), line), IDC_LAYERS_PIXELS);
    units_ = item(new QRadioButton(QStringLiteral("&Units"), line), IDC_LAYERS_UNITS);
    auto *unitGroup = new QButtonGroup(line);
    unitGroup->addButton(pixels_);
    unitGroup->addButton(units_);
    style_ = item(new CLineStylePicker(line), IDC_LAYERS_STYLE);
    style_->Initialize();
    auto *styleLabel = new QLabel(QStringLiteral("&Style:"), line);
    styleLabel->setBuddy(style_);
    colour_ = item(new OwnerDrawnButton([this](QPainter &p, const QRect &r,
                                               bool) { PaintColourButton(p, r, model_.fields().lineColour); },
                                        line),
                   IDC_LAYERS_COLOUR);
    auto *colourLabel = new QLabel(QStringLiteral("&Color:"), line);
    colourLabel->setBuddy(colour_);
    lineGrid->addWidget(width_, 0, 0);
    lineGrid->addWidget(up, 0, 1);
    lineGrid->addWidget(down, 0, 2);
    lineGrid->addWidget(pixels_, 1, 0);
    lineGrid->addWidget(units_, 1, 1, 1, 2);
    lineGrid->addWidget(styleLabel, 2, 0);
    lineGrid->addWidget(style_, 2, 1, 1, 2);
    lineGrid->addWidget(colourLabel, 3, 0);
    lineGrid->addWidget(colour_, 3, 1, 1, 2);
    grid->addWidget(line, 2, 1);

    auto *fillBox = new QGroupBox(QStringLiteral("&Fill"), this);
    auto *fillRow = new QHBoxLayout(fillBox);
    fill_ = item(new OwnerDrawnButton(
                     [this](QPainter &p, const QRect &r, bool pressed) {
                         PaintFillButton(p, r, model_.currentFill(), model_.currentLineColour(),
                                         std::max(model_.fields().style, 0), pressed);
                     },
                     fillBox),
                 IDC_LAYERS_FILL);
    fill_->setMinimumSize(48, 32);
    noFill_ = item(new QCheckBox(QStringLiteral("<non&e>"), fillBox), IDC_LAYERS_NO_FILL);
    fillRow->addWidget(fill_);
    fillRow->addWidget(noFill_);
    grid->addWidget(fillBox, 3, 1);

    auto *checks = new QHBoxLayout;
    visible_ = item(new QCheckBox(QStringLiteral("&Visible"), this), IDC_LAYERS_VISIBLE);
    selectable_ = item(new QCheckBox(QStringLiteral("Selecta&ble"), this), IDC_LAYERS_SELECTABLE);
    active_ = item(new QCheckBox(QStringLiteral("Acti&ve"), this), IDC_LAYERS_ACTIVE);
    checks->addWidget(visible_);
    checks->addWidget(selectable_);
    checks->addWidget(active_);
    grid->addLayout(checks, 4, 1);

    auto *buttons = new QHBoxLayout;
    auto *add = item(new QPushButton(QStringLiteral("&Add Layer"), this), IDC_LAYERS_ADD);
    delete_ = item(new QPushButton(QStringLiteral("&Delete"), this), IDC_LAYERS_DELETE);
    auto *options = item(new QPushButton(QStringLiteral("Op&tions"), this), IDC_LAYERS_OPTIONS);
    auto *help = item(new QPushButton(QStringLiteral("&Help"), this), IDC_LAYERS_HELP);
    auto *ok = item(new QPushButton(QStringLiteral("&OK"), this), IDOK);
    auto *cancel = item(new QPushButton(QStringLiteral("&Cancel"), this), IDCANCEL);
    for (QPushButton *b : std::initializer_list<QPushButton *>{add, delete_, options, help, ok, cancel})
        buttons->addWidget(b);
    ok->setDefault(true);
    grid->addLayout(buttons, 7, 0, 1, 2);

    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        std::set<int> rows;
        for (const QModelIndex &i : list_->selectionModel()->selectedRows())
            rows.insert(i.row());
        model_.Select(rows);
        showState();
        // A click that leaves no line selected offers the next free number.
        if (rows.empty() && list_->hasFocus())
            number_->setFocus();
    });
    connect(number_, &QLineEdit::editingFinished, this, [this] {
        if (applyNumber())
            showState();
    });
    connect(name_, &QLineEdit::editingFinished, this, [this] { applyName(); });
    connect(width_, &QLineEdit::editingFinished, this, [this] { applyWidth(); });
    connect(pixels_, &QRadioButton::clicked, this, [this] { model_.SetUnit(false), showState(); });
    connect(units_, &QRadioButton::clicked, this, [this] { model_.SetUnit(true), showState(); });
    style_->SetParentNotify([this](int, int, CLineStylePicker *picker) {
        model_.SetStyle(int(picker->GetStyle()));
        showState();
    });
    connect(colour_, &QPushButton::clicked, this, [this] { chooseColour(false); });
    connect(fill_, &QPushButton::clicked, this, [this] { chooseColour(true); });
    connect(noFill_, &QCheckBox::clicked, this, [this] { model_.SetFill(LAYER_NO_FILL), showState(); });
    connect(visible_, &QCheckBox::clicked, this, [this](bool on) { model_.SetVisible(on), showState(); });
    connect(selectable_, &QCheckBox::clicked, this,
            [this](bool on) { model_.SetSelectable(on), showState(); });
    connect(active_, &QCheckBox::clicked, this, [this] { model_.SetActive(), showState(); });
    connect(add, &QPushButton::clicked, this, [this] {
        model_.Add();
        showState();
        number_->setFocus(); // with the next free number
    });
    connect(delete_, &QPushButton::clicked, this, [this] { model_.Delete(), showState(); });
    connect(options, &QPushButton::clicked, this, [this] { runOptions(); });
    connect(help, &QPushButton::clicked, this, [this] { GormF1Help(model_.window(), LAYERSDLG_HELP_TOPIC); });
    connect(ok, &QPushButton::clicked, this, [this] {
        // OK while the number or the name is being edited only applies that
        // field (as its focus moving away would); the dialog stays open. A
        // number refused by the Enter key that pressed OK is not refused
        // twice.
        QWidget *editing = focusWidget();
        if (editing == number_ || editing == name_) {
            if (editing == name_)
                applyName();
            else if (number_->text() != refusedNumber_)
                applyNumber();
            return;
        }
        // A field typed in whose focus left without notice is applied now;
        // a refused number keeps the dialog open with the focus there.
        if (!applyNumber())
            return;
        applyName();
        applyWidth();
        done(IDOK);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    showState();
}

void CLayersDlg::stepWidth()
{
    model_.StepWidth(repeatUp_);
    showState();
}

bool CLayersDlg::applyNumber()
{
    if (!number_->isModified())
        return true;
    if (!model_.SetNumberText(number_->text().toStdString())) {
        refusedNumber_ = number_->text();
        number_->setFocus();
        return false;
    }
    refusedNumber_.clear();
    showState();
    return true;
}

void CLayersDlg::applyName()
{
    if (!name_->isModified())
        return;
    model_.SetName(ToWindows1252(name_->text()));
    showState();
}

void CLayersDlg::applyWidth()
{
    if (width_->isModified())
        model_.SetWidthText(width_->text().toStdString());
    showState();
}

int CLayersDlg::dropPosition(const QPoint &at) const
{
    if (model_.selection().empty() || list_->count() == 0)
        return -1;
    const int rowHeight = list_->sizeHintForRow(0);
    const int top = list_->indexAt(QPoint(0, 0)).row();
    return LayerListDropPosition(at.x(), at.y(), rowHeight, std::max(top, 0), list_->count());
}

// Dragging lines: over a drop position the list shows the drag cursor, and
// a left press there moves the selected lines; the press and the release
// and double click that follow it do not reach the list.
// The fields lose their focus while the dialog's widgets are destroyed:
// their notices must no longer reach it.
CLayersDlg::~CLayersDlg()
{
    repeatTimer_->stop();
    for (QObject *o : std::initializer_list<QObject *>{list_, list_->viewport(), number_, name_, width_}) {
        o->removeEventFilter(this);
        o->disconnect(this);
    }
}

// F1, the framework's help command, asks for the dialog's help as the
// Help button does.
void CLayersDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        GormF1Help(model_.window(), LAYERSDLG_HELP_TOPIC);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CLayersDlg::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == number_ || watched == name_) && event->type() == QEvent::FocusIn) {
        // Getting the focus selects the whole text, also after the click
        // that gave it.
        auto *field = static_cast<QLineEdit *>(watched);
        QTimer::singleShot(0, field, [field] { field->selectAll(); });
        return false;
    }
    if (watched != list_->viewport())
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() != Qt::NoButton)
            break;
        if (dropPosition(mouse->position().toPoint()) >= 0) {
            list_->viewport()->setCursor(CursorFromHandle(LoadCursorA(MapInstance(), kDragCursor)));
            return true;
        }
        list_->viewport()->unsetCursor();
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int position = dropPosition(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && position > 0) {
            model_.MoveSelected(position);
            showState();
            swallowRelease_ = true;
            return true;
        }
        swallowRelease_ = false;
        break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (swallowRelease_) {
            // A double click ends what the moving press swallows.
            swallowRelease_ = event->type() == QEvent::MouseButtonRelease;
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CLayersDlg::showState()
{
    const QSignalBlocker blockList(list_);
    const auto &lines = model_.lines();
    list_->clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        auto *row = new QListWidgetItem(lineText(lines[i].record), list_);
        if (int(i) == model_.activeLine())
            row->setBackground(Qt::lightGray);
    }
    for (int i : model_.selection())
        list_->item(i)->setSelected(true);
    const auto &f = model_.fields();
    number_->setText(FromWindows1252(f.number));
    number_->setEnabled(f.numberEnabled);
    name_->setText(FromWindows1252(f.name));
    width_->setText(FromWindows1252(f.width));
    {
        const QSignalBlocker b1(pixels_), b2(units_);
        pixels_->setAutoExclusive(false);
        units_->setAutoExclusive(false);
        pixels_->setChecked(f.unit == 0);
        units_->setChecked(f.unit == 1);
        pixels_->setAutoExclusive(true);
        units_->setAutoExclusive(true);
    }
    style_->SetStyle(f.style);
    style_->SetColor(model_.currentLineColour());
    showCheck(noFill_, f.noFill, true);
    showCheck(visible_, f.visible, f.visibleEnabled);
    showCheck(selectable_, f.selectable, f.selectableEnabled);
    showCheck(active_, f.active, f.activeEnabled);
    delete_->setEnabled(f.deleteEnabled);
}

// The colour chooser, started from the current colour with the dialog's
// custom colours; cancelling it changes nothing.
void CLayersDlg::chooseColour(bool fill)
{
    const uint32_t current = fill ? model_.currentFill() : model_.currentLineColour();
    QColorDialog chooser(toQColor(current == LAYER_NO_FILL ? 0xFFFFFF : current & 0xFFFFFF), this);
    chooser.setObjectName(QStringLiteral("ChooseColor"));
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    const auto custom = model_.customColours();
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, toQColor(custom[size_t(i)]));
    if (RunModalDialog(chooser, kColourTemplateId) != IDOK)
        return;
    std::array<COLORREF, 16> kept{};
    for (int i = 0; i < 16; ++i)
        kept[size_t(i)] = fromQColor(QColorDialog::customColor(i));
    model_.SetCustomColours(kept);
    const COLORREF chosen = fromQColor(chooser.currentColor());
    if (fill)
        model_.SetFill(chosen);
    else
        model_.SetLineColour(chosen);
    showState();
}

void CLayersDlg::runOptions()
{
    QDialog options(this);
    options.setObjectName(QStringLiteral("Options"));
    options.setWindowTitle(QStringLiteral("Options"));
    auto *layout = new QHBoxLayout(&options);
    auto *endings = new QGroupBox(QStringLiteral("&Endings"), &options);
    auto *corners = new QGroupBox(QStringLiteral("&Corners"), &options);
    auto *endRound = item(new QRadioButton(QStringLiteral("Round"), endings), IDC_LAYERS_END_ROUND);
    auto *endSquare = item(new QRadioButton(QStringLiteral("Square"), endings), IDC_LAYERS_END_SQUARE);
    auto *cornerSquare = item(new QRadioButton(QStringLiteral("Square"), corners), IDC_LAYERS_CORNER_SQUARE);
    auto *cornerRound = item(new QRadioButton(QStringLiteral("Round"), corners), IDC_LAYERS_CORNER_ROUND);
    (new QVBoxLayout(endings))->addWidget(endRound);
    endings->layout()->addWidget(endSquare);
    (new QVBoxLayout(corners))->addWidget(cornerSquare);
    corners->layout()->addWidget(cornerRound);
    layout->addWidget(endings);
    layout->addWidget(corners);
    auto *ok = item(new QPushButton(QStringLiteral("&OK"), &options), IDOK);
    auto *cancel = item(new QPushButton(QStringLiteral("&Cancel"), &options), IDCANCEL);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    connect(ok, &QPushButton::clicked, &options, [&options] { options.done(IDOK); });
    connect(cancel, &QPushButton::clicked, &options, [&options] { options.done(IDCANCEL); });
    const uint8_t flags = model_.currentFlags();
    (flags & LAYER_SQUARE_ENDS ? endSquare : endRound)->setChecked(true);
    (flags & LAYER_ROUND_CORNERS ? cornerRound : cornerSquare)->setChecked(true);
    if (RunModalDialog(options, kOptionsTemplateId) != IDOK)
        return;
    model_.SetOptions(cornerRound->isChecked(), endSquare->isChecked());
    showState();
}

// The window's close command ends the dialog with its own result, which
// installs nothing either.
void CLayersDlg::closeEvent(QCloseEvent *event)
{
    done(kClosed);
    event->accept();
}

OBJHANDLE CLayersDlg::DoModal()
{
    const int result = RunModalDialog(*this, kTemplateId);
    if (result == kClosed)
        return 0;
    return result == IDOK ? model_.Ok() : model_.Cancel();
}

OBJHANDLE LayersDlg(HWND window, OBJHANDLE root)
{
    LayersDialogModel model(window, root);
    if (!model.valid())
        return root;
    CLayersDlg dialog(model);
    return dialog.DoModal();
}

OBJHANDLE SetLayers(HWND window, OBJHANDLE root) { return LayersDlg(window, root); }

int SetLayers(HWND window)
{
    const OBJHANDLE old = GetRootOBJect(window, CLASS_LAYERS);
    const OBJHANDLE result = SetLayers(window, old);
    if (!result || result == old)
        return 0;
    SetRootOBJect(window, result);
    RedrawMapWindow(window);
    return 1;
}
