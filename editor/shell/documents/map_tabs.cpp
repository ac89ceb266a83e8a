#include "editor/shell/documents/map_documents.h"

#include "editor/shell/map/tpmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>

#include <cstdlib>

namespace {

constexpr int kGlyphActive = 1010;
constexpr int kGlyphInactive = 1011;
constexpr int kGlyphReadOnly = 1041;
constexpr int kGlyphLeft = 4;
constexpr int kGlyphTop = 4;
constexpr int kGlyphHalf = 8; // a press this close to the centre hits the glyph
constexpr int kCaptionLeft = 18;
constexpr int kCaptionTop = 3;
constexpr const char *kUntitledCaption = "New Map";

} // namespace

// --- TMapTabBar ----------------------------------------------------------------

TMapTabBar::TMapTabBar(QWidget *parent) : QTabBar(parent) {}

static TMapTab *TabOf(const QTabBar &bar, int index)
{
    auto *pages = dynamic_cast<TMapPageControl *>(bar.parentWidget());
    return pages ? pages->Tab(index) : nullptr;
}

int TMapTabBar::GlyphNumber(int index) const
{
    if (index != currentIndex())
        return kGlyphInactive;
    const TMapTab *tab = TabOf(*this, index);
    const TPMap *map = tab ? tab->Info().Map() : nullptr;
    return map && map->ReadOnly ? kGlyphReadOnly : kGlyphActive;
}

bool TMapTabBar::IsClosePress(const QPoint &pos) const
{
    const TMapTab *tab = TabOf(*this, currentIndex());
    if (!tab || TabChanged || count() < 2)
        return false;
    const QPoint centre = tab->Info().GlyphCentre;
    return std::abs(pos.x() - centre.x()) < kGlyphHalf && std::abs(pos.y() - centre.y()) < kGlyphHalf;
}

void TMapTabBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);

        const QRect r = tabRect(i);
        TMapTab *tab = TabOf(*this, i);
        if (count() > 1 && GlyphOf) {
            const QPixmap glyph = GlyphOf(GlyphNumber(i));
            if (!glyph.isNull())
                painter.drawPixmap(r.left() + kGlyphLeft, r.top() + kGlyphTop, glyph);
        }
        const QString caption = tab ? QString::fromStdString(tab->Info().ShortName) : kUntitledCaption;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(r.left() + kCaptionLeft, r.top() + kCaptionTop, r.width() - kCaptionLeft,
                               r.height() - kCaptionTop),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
        if (tab)
            tab->Info().GlyphCentre =
                QPoint(r.left() + kGlyphLeft + kGlyphHalf, r.top() + kGlyphTop + kGlyphHalf);
    }
}

void TMapTabBar::mousePressEvent(QMouseEvent *event)
{
    // A press that switches tabs only activates: the glyph closes only the
    // tab that was already active.
    const int before = currentIndex();
    QTabBar::mousePressEvent(event);
    if (currentIndex() != before)
        TabChanged = true;
    const bool close = event->button() == Qt::LeftButton && IsClosePress(event->position().toPoint());
    TabChanged = false;
    if (close && OnCloseGlyph)
        OnCloseGlyph();
}

QSize TMapTabBar::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    const TMapTab *tab = TabOf(*this, index);
    const QString caption = tab ? QString::fromStdString(tab->Info().ShortName) : kUntitledCaption;
    size.setWidth(std::max(size.width(), kCaptionLeft + fontMetrics().horizontalAdvance(caption) + 8));
    size.setHeight(std::max(size.height(), kGlyphTop * 2 + 2 * kGlyphHalf));
    return size;
}

// --- TMapPageControl -----------------------------------------------------------

TMapPageControl::TMapPageControl(QWidget *parent) : QTabWidget(parent), bar_(new TMapTabBar(this))
{
    setTabBar(bar_);
}

TMapTab *TMapPageControl::Tab(int index) const { return dynamic_cast<TMapTab *>(widget(index)); }

void TMapPageControl::UpdateCaption(TMapTab &tab)
{
    const int index = indexOf(&tab);
    if (index < 0)
        return;
    setTabText(index, QStringLiteral("      ") + QString::fromStdString(tab.Info().ShortName));
    setTabToolTip(index, QString::fromStdString(tab.Info().FullName));
}
