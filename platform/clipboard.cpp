#include "platform/clipboard.h"

#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/text_codec.h"
#include "platform/window.h"
#include "platform/window_messages.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Marks the clipboard contents this process published, so that a change by
// another program (or another process of ours) is told apart from our own.
constexpr const char *kStampMime = "application/x-map-clipboard-stamp";
constexpr const char *kTextMime = "text/plain";
constexpr const char *kImageMime = "application/x-qt-image";
constexpr const char *kSvgMime = "image/svg+xml";

struct State {
    std::recursive_mutex mutex;
    bool open = false;
    HWND openWindow = 0;
    std::thread::id openThread;
    HWND owner = 0;
    std::map<UINT, uint32_t> data; // format -> handle, owned
    std::set<UINT> announced;      // formats the owner renders on request
    uint64_t generation = 0;       // of the contents we published
    // The contents are another program's (at start too): data holds only
    // conversions of them, made on request.
    bool imported = true;
    uint64_t seenChanges = 0;             // of qtChanges
    std::vector<std::string> formatNames; // index i: format CF_FIRST_REGISTERED + i
    bool rendering = false;               // the owner is answering WM_RENDERFORMAT
};

State &state()
{
    static State s;
    return s;
}

// Changes of Qt's clipboard, ours and others'.
std::atomic<uint64_t> qtChanges{0};
// ClipboardRenderBlock objects alive on the GUI thread.
std::atomic<int> renderBlocks{0};

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

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
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
    s.announced.clear();
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

bool isRegistered(const State &s, UINT format)
{
    return format >= CF_FIRST_REGISTERED && format - CF_FIRST_REGISTERED < s.formatNames.size();
}

// The rule of the header: the mime type of any format.
QString mimeOf(const State &s, UINT format)
{
    switch (format) {
    case CF_TEXT:
        return QString::fromLatin1(kTextMime);
    case CF_BITMAP:
        return QString::fromLatin1(kImageMime);
    case CF_ENHMETAFILE:
        return QString::fromLatin1(kSvgMime);
    default:
        break;
    }
    if (isRegistered(s, format)) {
        const std::string &registered = s.formatNames[format - CF_FIRST_REGISTERED];
        if (equalNoCase(registered, "Rich Text Format"))
            return QStringLiteral("text/rtf");
        const QByteArray name = QByteArray::fromStdString(registered);
        return QStringLiteral("application/x-map-format-") + QString::fromLatin1(name.toPercentEncoding());
    }
    if (format == 0 || format >= CF_FIRST_REGISTERED)
        return {};
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

QString textOf(HGLOBAL h)
{
    const QByteArray bytes = blockBytes(h);
    const qsizetype end = bytes.indexOf('\0');
    return FromWindows1252(std::string_view(bytes.constData(), size_t(end < 0 ? bytes.size() : end)));
}

// Sends the render request to the owner and answers the data it set, or 0.
// Called with the state locked once by the caller; the lock is let go while
// the owner renders, since its handler runs any code.
uint32_t render(State &s, std::unique_lock<std::recursive_mutex> &lock, UINT format)
{
    if (auto it = s.data.find(format); it != s.data.end())
        return it->second;
    if (!s.announced.count(format) || !s.owner || s.rendering || !IsWindow(s.owner))
        return 0;
    const HWND owner = s.owner;
    const uint64_t generation = s.generation;
    s.rendering = true;
    lock.unlock();
    SendMessageA(owner, WM_RENDERFORMAT, WPARAM(format), 0);
    lock.lock();
    s.rendering = false;
    if (s.generation != generation)
        return 0;
    auto it = s.data.find(format);
    return it == s.data.end() ? 0 : it->second;
}

// Our contents as Qt sees them. Formats and data are read from the state
// when asked, so that formats set after the publishing are seen and an
// announced format is rendered only when a reader wants its data.
class ContentsMime : public QMimeData {
public:
    explicit ContentsMime(uint64_t generation) : generation_(generation) {}

    QStringList formats() const override
    {
        State &s = state();
        std::lock_guard lock(s.mutex);
        QStringList list;
        if (s.generation != generation_ || s.imported)
            return list;
        list << QString::fromLatin1(kStampMime);
        std::set<UINT> all = s.announced;
        for (auto [format, handle] : s.data)
            all.insert(format);
        for (UINT format : all) {
            const QString mime = mimeOf(s, format);
            if (!mime.isEmpty() && !list.contains(mime))
                list << mime;
        }
        return list;
    }

    bool hasFormat(const QString &mime) const override { return formats().contains(mime); }

protected:
    QVariant retrieveData(const QString &mime, QMetaType type) const override
    {
        if (!onGuiThread()) {
            // Rendering runs on the GUI thread, where the owner's window lives.
            QVariant answer;
            QMetaObject::invokeMethod(
                const_cast<ContentsMime *>(this), [&] { answer = retrieveData(mime, type); },
                Qt::BlockingQueuedConnection);
            return answer;
        }
        State &s = state();
        std::unique_lock lock(s.mutex);
        if (s.generation != generation_ || s.imported)
            return {};
        if (mime == QLatin1String(kStampMime))
            return stampOf(generation_);
        UINT format = 0;
        std::set<UINT> all = s.announced;
        for (auto [f, handle] : s.data)
            all.insert(f);
        for (UINT f : all)
            if (mimeOf(s, f) == mime) {
                format = f;
                break;
            }
        if (!format)
            return {};
        uint32_t handle = 0;
        if (auto it = s.data.find(format); it != s.data.end())
            handle = it->second;
        else if (!ClipboardRenderRefused())
            handle = render(s, lock, format);
        if (!handle)
            return {};
        if (format == CF_TEXT) {
            const QString text = textOf(handle);
            return type.id() == QMetaType::QByteArray ? QVariant(text.toUtf8()) : QVariant(text);
        }
        if (format == CF_BITMAP)
            return GetBitmapImage(handle);
        return blockBytes(handle);
    }

private:
    uint64_t generation_;
};

// Publishes a new contents object for the present generation.
void publish(State &s)
{
    QClipboard *cb = qtClipboard();
    if (!cb)
        return;
    cb->setMimeData(new ContentsMime(s.generation));
    s.seenChanges = qtChanges.load();
}

// When another program changed Qt's clipboard since we looked, our data no
// longer stands for it: drop it, and its owner with it.
void syncWithQt(State &s)
{
    QClipboard *cb = qtClipboard();
    if (!cb || s.rendering)
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
    } else if (format != CF_TEXT && format != CF_BITMAP) {
        const QString type = mimeOf(s, format);
        if (!type.isEmpty() && mime->hasFormat(type))
            h = blockOf(mime->data(type), false);
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
    default: {
        const QString type = mimeOf(s, format);
        return !type.isEmpty() && mime->hasFormat(type);
    }
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
    // A renderer does not throw away the contents it is asked to fill.
    if (!heldByCaller(s) || s.rendering)
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
    if (s.data.count(format) || s.announced.count(format))
        return TRUE;
    return s.imported && foreignHas(s, format);
}

HGLOBAL GetClipboardData(UINT format)
{
    State &s = state();
    std::unique_lock lock(s.mutex);
    if (!heldByCaller(s))
        return 0;
    syncWithQt(s);
    if (auto it = s.data.find(format); it != s.data.end())
        return it->second;
    if (s.announced.count(format))
        return render(s, lock, format);
    return s.imported ? importFormat(s, format) : 0;
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL data)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (format == 0)
        return 0;
    if (s.rendering) {
        // The owner answering a request: only an announced format is taken.
        if (!data || !s.announced.count(format) || s.data.count(format))
            return 0;
        s.announced.erase(format);
        s.data[format] = data;
        return data;
    }
    if (!heldByCaller(s))
        return 0;
    syncWithQt(s);
    if (!data && (s.imported || s.owner != s.openWindow || !s.owner))
        return 0; // only the owner can answer for an announced format
    bool republish = false;
    if (s.imported) { // foreign contents are replaced, not mixed with ours
        freeAll(s);
        s.imported = false;
        s.owner = 0;
        ++s.generation;
        republish = true;
    }
    if (auto it = s.data.find(format); it != s.data.end() && it->second != data) {
        freeHandle(format, it->second);
        s.data.erase(it);
    }
    if (data) {
        s.announced.erase(format);
        s.data[format] = data;
    } else {
        s.announced.insert(format);
    }
    if (republish)
        publish(s);
    return data;
}

std::string ClipboardMimeType(UINT format)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return mimeOf(s, format).toStdString();
}

ClipboardRenderBlock::ClipboardRenderBlock()
{
    if (onGuiThread())
        ++renderBlocks;
}

ClipboardRenderBlock::~ClipboardRenderBlock()
{
    if (onGuiThread())
        --renderBlocks;
}

bool ClipboardRenderRefused()
{
    if (!onGuiThread())
        return true;
    // The plain event loop is level 1 (0 when the caller reads Qt's
    // clipboard without one running); a modal dialog's loop is above it.
    if (QThread::currentThread()->loopLevel() > 1)
        return true;
    if (renderBlocks.load() > 0)
        return true;
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.rendering;
}

void ClipboardOwnerDestroying(HWND window)
{
    State &s = state();
    std::unique_lock lock(s.mutex);
    if (!window || s.owner != window || s.imported)
        return;
    const std::set<UINT> formats = s.announced;
    for (UINT format : formats) {
        render(s, lock, format);
        if (s.owner != window)
            return; // the contents went away meanwhile
    }
    s.announced.clear();
    s.owner = 0;
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
    if (!isRegistered(s, format))
        return 0;
    const std::string &name = s.formatNames[format - CF_FIRST_REGISTERED];
    const size_t n = std::min(name.size(), size_t(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = 0;
    return int(n);
}
