#include "engine/view/dialogs/line_style_picker.h"

#include "engine/view/linestyle/line_style.h"
#include "platform/dc.h"
#include "platform/focus_rect.h"
#include "platform/gdi_objects.h"
#include "platform/system_colors.h"

#include <QAbstractItemView>
#include <QImage>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

void DrawLineStyleItem(HDC dc, const RECT &rect, int style, COLORREF color, bool indeterminate, UINT state)
{
    RECT r = rect;
    const HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);

    if (indeterminate && (state & ODS_COMBOBOXEDIT)) {
        // A grey cross stands for no single style.
        r.left += 1;
        r.right -= 1;
        r.top += 2;
        r.bottom -= 2;
        const HPEN grey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
        const HGDIOBJ before = SelectObject(dc, grey);
        MoveToEx(dc, r.left, r.top, nullptr);
        LineTo(dc, r.right, r.bottom);
        MoveToEx(dc, r.left, r.bottom, nullptr);
        LineTo(dc, r.right, r.top);
        SelectObject(dc, before);
        DeleteObject(grey);
    } else {
        LineStyleContext ctx;
        LineStyleContextInit(&ctx, style, dc, color, LineStyleSampleWidth(style, 1), 0);
        const int m = (r.top + r.bottom) / 2;
        const POINT a{r.left + 5, m}, b{r.right - 5, m};
        LineStyleDrawSegment(&ctx, &a, &b, dc);
        LineStyleContextRelease(&ctx);
    }

    if (state & ODS_SELECTED) {
        // No highlight colour: the selection shows only as the focus frame.
        RECT f{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        DrawFocusRect(dc, &f);
    }
    DeleteObject(pen);
    DeleteObject(brush);
}

int map_presentation_Reinit(HWND) { return 0; }

namespace {

// Draws the list's items through the picker's own item drawing.
class SampleDelegate : public QStyledItemDelegate {
public:
    explicit SampleDelegate(CLineStylePicker *picker) : QStyledItemDelegate(picker), picker_(picker) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const UINT state = (option.state & QStyle::State_Selected) ? ODS_SELECTED : 0;
        painter->drawImage(option.rect.topLeft(), picker_->ItemImage(index.row(), option.rect.size(), state));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return {option.rect.width(), 16};
    }

private:
    CLineStylePicker *picker_;
};

} // namespace

CLineStylePicker::CLineStylePicker(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new SampleDelegate(this));
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this] { OnSelchange(); });
}

void CLineStylePicker::Initialize()
{
    if (initialized_)
        return;
    for (int i = 0; i < kStyleCount; ++i)
        addItem(QString());
    initialized_ = true;
    setCurrentIndex(int(style_));
}

void CLineStylePicker::requestRepaint()
{
    ++repaints_;
    update();
}

void CLineStylePicker::SetColor(COLORREF color)
{
    if (color == color_)
        return;
    color_ = color;
    requestRepaint();
}

void CLineStylePicker::SetStyle(long style)
{
    indeterminate_ = style == -1;
    if (style == style_)
        return;
    style_ = style;
    setCurrentIndex(style < 0 || style >= count() ? -1 : int(style));
    requestRepaint();
}

QImage CLineStylePicker::ItemImage(int index, QSize size, UINT state) const
{
    QImage image(size.isValid() ? size : QSize(1, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    const HDC dc = CreateImageDC(&image);
    const int style = index < 0 ? int(style_) : index;
    DrawLineStyleItem(dc, RECT{0, 0, image.width(), image.height()}, style, color_, indeterminate_, state);
    DeleteDC(dc);
    return image;
}

void CLineStylePicker::OnSelchange()
{
    style_ = currentIndex();
    if (!parentWidget())
        return;
    indeterminate_ = false;
    if (notify_)
        notify_(objectName().toInt(), kLineStylePickerChanged, this);
}

void CLineStylePicker::paintEvent(QPaintEvent *)
{
    if (!initialized_)
        Initialize();
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (field.isValid())
        painter.drawImage(field.topLeft(), ItemImage(currentIndex(), field.size(), ODS_COMBOBOXEDIT));
}
