#include "platform/resources.h"

#include "platform/gdi_objects.h"
#include "platform/module.h"
#include "platform/text_codec.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

namespace {

struct CursorRecord {
    std::optional<Qt::CursorShape> shape; // a system cursor
    QImage image;
    QPoint hotSpot;
};

struct Tables {
    std::recursive_mutex mutex;
    std::map<HINSTANCE, std::string> folders;
    std::map<std::string, std::map<UINT, std::string>> strings;         // by folder
    std::vector<CursorRecord> cursors;                                  // handle = index + 1
    std::map<std::tuple<std::string, char, UINT>, uint32_t> loaded;     // (folder, kind, id)
    std::map<std::pair<std::string, std::string>, uint32_t> namedIcons; // (folder, name)
};

Tables &tables()
{
    static Tables t;
    return t;
}

std::string defaultFolder(HINSTANCE module)
{
    char path[4096];
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    std::string name(path, n);
    if (const size_t slash = name.find_last_of('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.rfind("lib", 0) == 0)
        name.erase(0, 3);
    if (const size_t dot = name.find('.'); dot != std::string::npos)
        name.resize(dot);
    return name.empty() ? std::string() : ":/resources/" + name;
}

std::string folderOf(Tables &t, HINSTANCE module)
{
    if (auto it = t.folders.find(module); it != t.folders.end())
        return it->second;
    return defaultFolder(module);
}

QString unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar e = text[++i];
            out += e == u'n' ? QChar(u'\n') : e == u't' ? QChar(u'\t') : e;
        } else {
            out += c;
        }
    }
    return out;
}

const std::map<UINT, std::string> &stringTable(Tables &t, const std::string &folder)
{
    auto [it, fresh] = t.strings.try_emplace(folder);
    if (!fresh)
        return it->second;
    QFile file(QString::fromStdString(folder + "/strings.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return it->second;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(u'\r');
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        bool ok = false;
        const uint id = line.left(tab).trimmed().toUInt(&ok);
        if (tab < 0 || !ok)
            continue;
        it->second.try_emplace(UINT(id), ToWindows1252(unescape(line.mid(tab + 1))));
    }
    return it->second;
}

QImage loadImage(const std::string &folder, const std::string &stem, std::initializer_list<const char *> exts)
{
    for (const char *ext : exts) {
        QImage image(QString::fromStdString(folder + "/" + stem + "." + ext));
        if (!image.isNull())
            return image;
    }
    return {};
}

std::optional<QPoint> hotSpotOf(const std::string &folder, UINT id)
{
    QFile file(QString::fromStdString(folder + "/cursors/hotspots.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.trimmed().split('\t');
        if (f.size() == 3 && f[0].toUInt() == id && !f[0].isEmpty())
            return QPoint(f[1].toInt(), f[2].toInt());
    }
    return std::nullopt;
}

std::optional<Qt::CursorShape> systemCursor(UINT id)
{
    switch (id) {
    case IDC_ARROW:
        return Qt::ArrowCursor;
    case IDC_IBEAM:
        return Qt::IBeamCursor;
    case IDC_WAIT:
        return Qt::WaitCursor;
    case IDC_CROSS:
        return Qt::CrossCursor;
    case IDC_UPARROW:
        return Qt::UpArrowCursor;
    case IDC_SIZENWSE:
        return Qt::SizeFDiagCursor;
    case IDC_SIZENESW:
        return Qt::SizeBDiagCursor;
    case IDC_SIZEWE:
        return Qt::SizeHorCursor;
    case IDC_SIZENS:
        return Qt::SizeVerCursor;
    case IDC_SIZEALL:
        return Qt::SizeAllCursor;
    case IDC_NO:
        return Qt::ForbiddenCursor;
    case IDC_HAND:
        return Qt::PointingHandCursor;
    case IDC_APPSTARTING:
        return Qt::BusyCursor;
    default:
        return std::nullopt;
    }
}

uint32_t addCursor(Tables &t, CursorRecord record)
{
    t.cursors.push_back(std::move(record));
    return uint32_t(t.cursors.size());
}

const CursorRecord *findCursor(Tables &t, uint32_t handle)
{
    return handle >= 1 && handle <= t.cursors.size() ? &t.cursors[handle - 1] : nullptr;
}

// Loads a cursor ('C') or icon ('I') once per folder and id.
uint32_t loadShared(HINSTANCE module, UINT id, char kind)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const std::string folder =
        module == 0 && (kind == 'C' ? systemCursor(id).has_value() : id == IDI_APPLICATION)
            ? std::string("<system>")
            : folderOf(t, module);
    if (folder.empty())
        return 0;
    const auto key = std::make_tuple(folder, kind, id);
    if (auto it = t.loaded.find(key); it != t.loaded.end())
        return it->second;
    CursorRecord record;
    if (folder == "<system>") {
        if (kind == 'C') {
            record.shape = systemCursor(id);
        } else { // the one system icon asked for: a plain square
            record.image = QImage(32, 32, QImage::Format_ARGB32);
            record.image.fill(Qt::darkBlue);
        }
    } else {
        const std::string stem = (kind == 'C' ? "cursors/" : "icons/") + std::to_string(id);
        record.image = loadImage(folder, stem, {"png", "xpm"});
        if (record.image.isNull())
            return 0;
        if (kind == 'C')
            record.hotSpot =
                hotSpotOf(folder, id).value_or(QPoint(record.image.width() / 2, record.image.height() / 2));
    }
    const uint32_t handle = addCursor(t, std::move(record));
    t.loaded.emplace(key, handle);
    return handle;
}

} // namespace

void SetModuleResourceFolder(HINSTANCE module, const std::string &folder)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    t.folders[module] = folder;
}

std::string ModuleResourceFolder(HINSTANCE module)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    return folderOf(t, module);
}

int LoadStringA(HINSTANCE module, UINT id, char *buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const std::string folder = folderOf(t, module);
    if (folder.empty())
        return 0;
    const auto &table = stringTable(t, folder);
    auto it = table.find(id);
    if (it == table.end())
        return 0;
    const size_t n = std::min(it->second.size(), size_t(size - 1));
    std::memcpy(buffer, it->second.data(), n);
    buffer[n] = 0;
    return int(n);
}

HCURSOR LoadCursorA(HINSTANCE module, UINT id) { return loadShared(module, id, 'C'); }

HICON LoadIconA(HINSTANCE module, UINT id) { return loadShared(module, id, 'I'); }

HICON LoadIconA(HINSTANCE module, const char *name)
{
    if (!name || !*name || std::strpbrk(name, "/\\"))
        return 0;
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const std::string folder = folderOf(t, module);
    if (folder.empty())
        return 0;
    const auto key = std::make_pair(folder, std::string(name));
    if (auto it = t.namedIcons.find(key); it != t.namedIcons.end())
        return it->second;
    CursorRecord record;
    record.image = loadImage(folder, std::string("icons/") + name, {"png", "xpm"});
    if (record.image.isNull())
        return 0;
    const uint32_t handle = addCursor(t, std::move(record));
    t.namedIcons.emplace(key, handle);
    return handle;
}

HBITMAP LoadBitmapA(HINSTANCE module, const char *name)
{
    if (!name || !*name || std::strpbrk(name, "/\\"))
        return 0;
    std::string folder;
    {
        Tables &t = tables();
        std::lock_guard lock(t.mutex);
        folder = folderOf(t, module);
    }
    if (folder.empty())
        return 0;
    const QImage image = loadImage(folder, std::string("bitmaps/") + name, {"png", "xpm", "bmp"});
    if (image.isNull())
        return 0;
    const HBITMAP bitmap = CreateBitmapOfSize(image.width(), image.height());
    auto *record = gdi::FindAs<gdi::Bitmap>(bitmap, gdi::Kind::Bitmap);
    if (!record)
        return 0;
    record->image = image.convertToFormat(record->image.format());
    return bitmap;
}

bool IsCursorHandle(HCURSOR cursor)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    return findCursor(t, cursor) != nullptr;
}

Qt::CursorShape CursorShapeOf(HCURSOR cursor)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const CursorRecord *r = findCursor(t, cursor);
    if (!r)
        return Qt::ArrowCursor;
    return r->shape ? *r->shape : Qt::BitmapCursor;
}

QImage CursorImage(HCURSOR cursor)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const CursorRecord *r = findCursor(t, cursor);
    return r ? r->image : QImage();
}

QPoint CursorHotSpot(HCURSOR cursor)
{
    Tables &t = tables();
    std::lock_guard lock(t.mutex);
    const CursorRecord *r = findCursor(t, cursor);
    return r ? r->hotSpot : QPoint();
}

QCursor CursorFromHandle(HCURSOR cursor)
{
    const Qt::CursorShape shape = CursorShapeOf(cursor);
    if (shape != Qt::BitmapCursor)
        return QCursor(shape);
    const QPoint hot = CursorHotSpot(cursor);
    return QCursor(QPixmap::fromImage(CursorImage(cursor)), hot.x(), hot.y());
}

QImage IconImage(HICON icon) { return CursorImage(icon); }
