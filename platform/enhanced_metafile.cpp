#include "platform/enhanced_metafile.h"

#include "platform/dc.h"
#include "platform/device_limit.h"
#include "platform/global_memory.h"
#include "platform/screen_metrics.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

// A recording larger than this would make an SVG document of hundreds of
// megabytes; past it the resolution drops.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 24;

// The device behind a picture context: the recording and what it answers.
struct PictureDevice : gdi::Device {
    QImage recording;
    RECT frame{};
    std::string fileName;
    std::string title, description;
    int horzSize = 0, vertSize = 0; // millimetres
    int horzRes = 0, vertRes = 0;   // pixels of the recording's resolution
    int logPixelsX = 0, logPixelsY = 0;

    int Caps(int index) const override
    {
        switch (index) {
        case TECHNOLOGY:
            return DT_METAFILE;
        case HORZSIZE:
            return horzSize;
        case VERTSIZE:
            return vertSize;
        case HORZRES:
            return horzRes;
        case VERTRES:
            return vertRes;
        case LOGPIXELSX:
            return logPixelsX;
        case LOGPIXELSY:
            return logPixelsY;
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        default:
            return 0;
        }
    }
};

// The picture contexts open now; CloseEnhMetaFile finds its device here.
std::mutex openLock;
std::map<HDC, PictureDevice *> openPictures;

int caps(HDC dc, int index) { return dc ? GetDeviceCaps(dc, index) : ScreenMetric(index); }

QString text(const std::string &s) { return QString::fromLocal8Bit(s.c_str()); }

} // namespace

HDC CreateEnhMetaFileA(HDC reference, const char *fileName, const RECT *frame, const char *description)
{
    auto device = std::make_unique<PictureDevice>();
    PictureDevice &d = *device;
    d.horzSize = caps(reference, HORZSIZE);
    d.vertSize = caps(reference, VERTSIZE);
    const int horzRes = caps(reference, HORZRES), vertRes = caps(reference, VERTRES);
    if (d.horzSize <= 0 || d.vertSize <= 0 || horzRes <= 0 || vertRes <= 0)
        return 0;
    d.frame = frame ? *frame : RECT{0, 0, d.horzSize * 100, d.vertSize * 100};
    const int64_t fw = int64_t(d.frame.right) - d.frame.left, fh = int64_t(d.frame.bottom) - d.frame.top;
    if (fw <= 0 || fh <= 0)
        return 0;
    // Pixels per 0.01 mm of the reference device, scaled down alike on both
    // axes when the frame's recording would not fit the device.
    double px = double(horzRes) / (d.horzSize * 100.0), py = double(vertRes) / (d.vertSize * 100.0);
    const double pixels = std::ceil(fw * px) * std::ceil(fh * py);
    const auto limit = double(std::min(DeviceBitmapLimit(), kMaxPicturePixels));
    if (pixels > limit) {
        const double f = std::sqrt(limit / pixels) * 0.999;
        px *= f;
        py *= f;
    }
    const int w = std::max(1, int(std::ceil(fw * px))), h = std::max(1, int(std::ceil(fh * py)));
    d.recording = QImage(w, h, QImage::Format_ARGB32);
    if (d.recording.isNull())
        return 0;
    d.recording.fill(0);
    d.horzRes = std::max(1, int(std::lround(px * d.horzSize * 100.0)));
    d.vertRes = std::max(1, int(std::lround(py * d.vertSize * 100.0)));
    d.logPixelsX = std::max(1, int(std::lround(px * 2540.0)));
    d.logPixelsY = std::max(1, int(std::lround(py * 2540.0)));
    if (fileName)
        d.fileName = fileName;
    if (description) {
        d.title = description;
        d.description = description + d.title.size() + 1;
    }
    PictureDevice *raw = device.get();
    const HDC dc = gdi::CreateDeviceContext(std::move(device));
    if (!dc)
        return 0;
    gdi::FindDC(dc)->target = &raw->recording;
    const std::lock_guard<std::mutex> lock(openLock);
    openPictures[dc] = raw;
    return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc)
{
    PictureDevice *d = nullptr;
    {
        const std::lock_guard<std::mutex> lock(openLock);
        const auto it = openPictures.find(dc);
        if (it == openPictures.end())
            return 0;
        d = it->second;
        openPictures.erase(it);
    }
    const int fw = d->frame.right - d->frame.left, fh = d->frame.bottom - d->frame.top;
    QByteArray document;
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        // At 2540 units per inch, one unit is 0.01 mm: the size in mm is
        // the frame / 100.
        svg.setResolution(2540);
        svg.setSize(QSize(fw, fh));
        svg.setViewBox(QRect(d->frame.left, d->frame.top, fw, fh));
        svg.setTitle(text(d->title));
        svg.setDescription(text(d->description));
        QPainter painter(&svg);
        painter.drawImage(QRectF(d->frame.left, d->frame.top, fw, fh), d->recording);
        painter.end();
    }
    const std::string fileName = d->fileName;
    DeleteDC(dc); // deletes the device with its recording
    if (!fileName.empty()) {
        QFile file(QString::fromLocal8Bit(fileName.c_str()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(document) != document.size()) {
            file.remove();
            return 0;
        }
    }
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size_t(document.size()));
    if (!block)
        return 0;
    std::memcpy(GlobalLock(block), document.constData(), size_t(document.size()));
    GlobalUnlock(block);
    return block;
}

UINT GetEnhMetaFileBits(HENHMETAFILE picture, UINT size, BYTE *buffer)
{
    const size_t total = picture ? GlobalSize(picture) : 0;
    if (!total)
        return 0;
    if (!buffer)
        return UINT(std::min<size_t>(total, UINT32_MAX));
    const size_t n = std::min<size_t>(total, size);
    std::memcpy(buffer, GlobalLock(picture), n);
    GlobalUnlock(picture);
    return UINT(n);
}

BOOL DeleteEnhMetaFile(HENHMETAFILE picture) { return picture && GlobalFree(picture) == 0 ? TRUE : FALSE; }
