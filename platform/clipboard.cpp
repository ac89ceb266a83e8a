#include "platform/clipboard.h"

#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/text_codec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Marks the clipboard contents this process published, so that a change by
// another program (or another process of ours) is told apart from our own.
constexpr const char *kStampMime = "application/x-map-clipboard-stamp";
constexpr const char *kSvgMime = "image/svg+xml";

struct State {
    std::recursive_mutex mutex;
    bool open = false;
    HWND openWindow = 0;
    std::thread::id openThread;
    HWND owner = 0;
    std::map<UINT, uint32_t> data; // format -> handle, owned
    uint64_t generation = 0;       // of the contents we published
    // The contents are another program's (at start too): data holds only
    // conversions of them, made on request.
    bool imported = true;
    uint64_t seenChanges = 0;             // of qtChanges
    std::vector<std::string> formatNames; // index i: format CF_FIRST_REGISTERED + i
};

State &state()
{
    static State s;
    return s;
}

// Changes of Qt's clipboard, ours and others'.
std::atomic<uint64_t> qtChanges{0};

QClipboard *qtClipboard()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    QClipboard *cb = QGuiApplication::clipboard();
    static QClipboard *watched = nullptr;
    if (cb && cb != watched) {
        watched = cb;
        QObject::connect(cb, &QClipboard::dataChanged, cb, [] { ++qtChanges; });
    }
    return cb;
}

QByteArray stampOf(uint64_t generation)
{
    return QByteArray::number(qint64(getpid())) + ':' + QByteArray::number(quint64(generation));
}

void freeHandle(UINT format, uint32_t handle)
{
    if (format == CF_BITMAP)
        DeleteObject(handle);
    else
        GlobalFree(handle);
}

void freeAll(State &s)
{
    for (auto [format, handle] : s.data)
        freeHandle(format, handle);
    s.data.clear();
}

bool equalNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The mime type that carries a format other than text, bitmap and picture.
// Rich text travels under its common type, so other programs' rich text is
// seen and ours is understood.
QString mimeOf(State &s, UINT format)
{
    if (format >= CF_FIRST_REGISTERED && format - CF_FIRST_REGISTERED < s.formatNames.size()) {
        const std::string &registered = s.formatNames[format - CF_FIRST_REGISTERED];
        if (equalNoCase(registered, "Rich Text Format"))
            return QStringLiteral("text/rtf");
        const QByteArray name = QByteArray::fromStdString(registered);
        return QStringLiteral("application/x-map-format-") + QString::fromLatin1(name.toPercentEncoding());
    }
    return QStringLiteral("application/x-map-cf-%1").arg(format);
}

QByteArray blockBytes(HGLOBAL h)
{
    const size_t size = GlobalSize(h);
    const void *p = GlobalLock(h);
    if (!p)
        return {};
    QByteArray bytes(static_cast<const char *>(p), qsizetype(size));
    GlobalUnlock(h);
    return bytes;
}

HGLOBAL blockOf(const QByteArray &bytes, bool terminate)
{
    const size_t size = size_t(bytes.size()) + (terminate ? 1 : 0);
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size ? size : 1);
    if (void *p = h ? GlobalLock(h) : nullptr) {
        std::memcpy(p, bytes.constData(), size_t(bytes.size())); // the rest is zero
        GlobalUnlock(h);
    }
    return h;
}

// Publishes our data to Qt's clipboard.
void publish(State &s)
{
    QClipboard *cb = qtClipboard();
    if (!cb)
        return;
    auto *mime = new QMimeData;
    mime->setData(kStampMime, stampOf(s.generation));
    for (auto [format, handle] : s.data) {
        if (format == CF_TEXT) {
            const QByteArray bytes = blockBytes(handle);
            const qsizetype end = bytes.indexOf('\0');
            mime->setText(
                FromWindows1252(std::string_view(bytes.constData(), size_t(end < 0 ? bytes.size() : end))));
        } else if (format == CF_BITMAP) {
            mime->setImageData(GetBitmapImage(handle));
        } else if (format == CF_ENHMETAFILE) {
            mime->setData(kSvgMime, blockBytes(handle));
        } else {
            mime->setData(mimeOf(s, format), blockBytes(handle));
        }
    }
    cb->setMimeData(mime);
    s.seenChanges = qtChanges.load();
}

// When another program changed Qt's clipboard since we looked, our data no
// longer stands for it: drop it, and its owner with it.
void syncWithQt(State &s)
{
    QClipboard *cb = qtClipboard();
    if (!cb)
        return;
    const uint64_t changes = qtChanges.load();
    if (changes == s.seenChanges)
        return;
    s.seenChanges = changes;
    const QMimeData *mime = cb->mimeData();
    if (!s.imported && mime && mime->data(kStampMime) == stampOf(s.generation))
        return; // our own publishing
    freeAll(s);
    s.owner = 0;
    s.imported = true;
}

// Foreign contents: converts the format from Qt's clipboard on request.
uint32_t importFormat(State &s, UINT format)
{
    QClipboard *cb = qtClipboard();
    const QMimeData *mime = cb ? cb->mimeData() : nullptr;
    if (!mime)
        return 0;
    uint32_t h = 0;
    if (format == CF_TEXT && mime->hasText()) {
        h = blockOf(QByteArray::fromStdString(ToWindows1252(mime->text())), true);
    } else if (format == CF_BITMAP && mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        h = CreateBitmapOfSize(image.width(), image.height());
        if (auto *bm = gdi::FindAs<gdi::Bitmap>(h, gdi::Kind::Bitmap))
            bm->image = image.convertToFormat(bm->image.format());
    } else if (format == CF_ENHMETAFILE && mime->hasFormat(kSvgMime)) {
        h = blockOf(mime->data(kSvgMime), false);
    } else if (format != CF_TEXT && format != CF_BITMAP && format != CF_ENHMETAFILE &&
               mime->hasFormat(mimeOf(s, format))) {
        h = blockOf(mime->data(mimeOf(s, format)), false);
    }
    if (h)
        s.data[format] = h;
    return h;
}

bool foreignHas(State &s, UINT format)
{
    QClipboard *cb = qtClipboard();
    const QMimeData *mime = cb ? cb->mimeData() : nullptr;
    if (!mime)
        return false;
    switch (format) {
    case CF_TEXT:
        return mime->hasText();
    case CF_BITMAP:
        return mime->hasImage();
    case CF_ENHMETAFILE:
        return mime->hasFormat(kSvgMime);
    default:
        return mime->hasFormat(mimeOf(s, format));
    }
}

bool heldByCaller(const State &s) { return s.open && s.openThread == std::this_thread::get_id(); }

} // namespace

BOOL OpenClipboard(HWND owner)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (s.open)
        return s.openWindow == owner && s.openThread == std::this_thread::get_id();
    s.open = true;
    s.openWindow = owner;
    s.openThread = std::this_thread::get_id();
    return TRUE;
}

BOOL OpenClipboardRetry(HWND owner, int attempts, int intervalMs)
{
    for (int i = 0; i < attempts; ++i) {
        if (OpenClipboard(owner))
            return TRUE;
        if (i + 1 < attempts && intervalMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
    return FALSE;
}

BOOL CloseClipboard()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (!heldByCaller(s))
        return FALSE;
    s.open = false;
    s.openWindow = 0;
    s.openThread = {};
    return TRUE;
}

HWND GetOpenClipboardWindow()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.open ? s.openWindow : 0;
}

BOOL EmptyClipboard()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (!heldByCaller(s))
        return FALSE;
    freeAll(s);
    s.imported = false;
    s.owner = s.openWindow;
    ++s.generation;
    publish(s);
    return TRUE;
}

HWND GetClipboardOwner()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    syncWithQt(s);
    return s.owner;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    syncWithQt(s);
    if (s.data.count(format))
        return TRUE;
    return s.imported && foreignHas(s, format);
}

HGLOBAL GetClipboardData(UINT format)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (!heldByCaller(s))
        return 0;
    syncWithQt(s);
    if (auto it = s.data.find(format); it != s.data.end())
        return it->second;
    return s.imported ? importFormat(s, format) : 0;
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL data)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (!heldByCaller(s) || !data || format == 0)
        return 0;
    syncWithQt(s);
    if (s.imported) { // foreign contents are replaced, not mixed with ours
        freeAll(s);
        s.imported = false;
        s.owner = 0;
    }
    if (auto it = s.data.find(format); it != s.data.end() && it->second != data)
        freeHandle(format, it->second);
    s.data[format] = data;
    ++s.generation;
    publish(s);
    return data;
}

UINT RegisterClipboardFormatA(const char *name)
{
    if (!name || !*name)
        return 0;
    State &s = state();
    std::lock_guard lock(s.mutex);
    for (size_t i = 0; i < s.formatNames.size(); ++i)
        if (equalNoCase(s.formatNames[i], name))
            return UINT(CF_FIRST_REGISTERED + i);
    if (CF_FIRST_REGISTERED + s.formatNames.size() > 0xFFFF)
        return 0;
    s.formatNames.emplace_back(name);
    return UINT(CF_FIRST_REGISTERED + s.formatNames.size() - 1);
}

int GetClipboardFormatNameA(UINT format, char *buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (format < CF_FIRST_REGISTERED || format - CF_FIRST_REGISTERED >= s.formatNames.size())
        return 0;
    const std::string &name = s.formatNames[format - CF_FIRST_REGISTERED];
    const size_t n = std::min(name.size(), size_t(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = 0;
    return int(n);
}
