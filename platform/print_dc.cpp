#include "platform/print_dc.h"

#include "platform/dc.h"
#include "platform/printer_devices.h"
#include "platform/region.h"
#include "platform/screen_metrics.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <atomic>
#include <memory>

namespace {

std::atomic<int> jobCounter{0};

class PrinterDevice : public gdi::Device {
public:
    PrinterDevice(printing::PrinterDescription printer, const printing::PrinterGeometry &geometry,
                  std::string port, const DEVMODEA *devMode)
        : printer_(std::move(printer)), geometry_(geometry), port_(std::move(port))
    {
        if (devMode)
            copies_ = std::max<int>(1, devMode->dmCopies);
    }
    ~PrinterDevice() override
    {
        if (painter_.isActive())
            Abort();
    }

    int Caps(int index) const override
    {
        const int dpi = geometry_.dpi;
        switch (index) {
        case TECHNOLOGY:
            return DT_RASPRINTER;
        case HORZRES:
            return geometry_.printable.cx;
        case VERTRES:
            return geometry_.printable.cy;
        case HORZSIZE:
            return int(int64_t(geometry_.printable.cx) * 254 / (int64_t(dpi) * 10));
        case VERTSIZE:
            return int(int64_t(geometry_.printable.cy) * 254 / (int64_t(dpi) * 10));
        case LOGPIXELSX:
        case LOGPIXELSY:
            return dpi;
        case CLIPCAPS:
            return geometry_.canClip ? CP_RECTANGLE : CP_NONE;
        case PHYSICALWIDTH:
            return geometry_.sheet.cx;
        case PHYSICALHEIGHT:
            return geometry_.sheet.cy;
        case PHYSICALOFFSETX:
            return geometry_.offset.x;
        case PHYSICALOFFSETY:
            return geometry_.offset.y;
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        default:
            return 0;
        }
    }

    void Drawing() override
    {
        if (!pageOpen_)
            return;
        dirty_ = true;
        if (abortProc_ && !inAbortProc_ && pollTimer_.hasExpired(100)) {
            runAbortProc();
            pollTimer_.restart();
        }
    }

    void Attach(HDC self, gdi::DeviceContext *dc)
    {
        self_ = self;
        dc_ = dc;
    }
    const printing::PrinterGeometry &Geometry() const { return geometry_; }
    void SetAbortProc(ABORTPROC proc) { abortProc_ = proc; }

    int StartDoc(const DOCINFOA *info)
    {
        if (painter_.isActive() || aborted_)
            return SP_ERROR;
        const std::string output = info && info->lpszOutput && *info->lpszOutput ? info->lpszOutput : port_;
        if (printer_.kind == printing::PrinterKind::System) {
            qprinter_ = std::make_unique<QPrinter>(
                QPrinterInfo::printerInfo(QString::fromStdString(printer_.device)), QPrinter::HighResolution);
        } else {
            qprinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
            qprinter_->setOutputFormat(QPrinter::PdfFormat);
            qprinter_->setOutputFileName(QString::fromLocal8Bit(output.c_str()));
            outputFile_ = QString::fromLocal8Bit(output.c_str());
        }
        qprinter_->setResolution(geometry_.dpi);
        qprinter_->setFullPage(true);
        qprinter_->setCopyCount(copies_);
        if (info && info->lpszDocName)
            qprinter_->setDocName(QString::fromLatin1(info->lpszDocName));
        QPageSize size = geometry_.pageSize;
        if (printer_.kind == printing::PrinterKind::Fake || !size.isValid()) {
            // The sheet as the printer has it, at its resolution.
            size = QPageSize(
                QSizeF(geometry_.sheet.cx * 72.0 / geometry_.dpi, geometry_.sheet.cy * 72.0 / geometry_.dpi),
                QPageSize::Point, QString(), QPageSize::FuzzyMatch);
        }
        const QPageLayout layout(size, geometry_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                 QMarginsF(0, 0, 0, 0));
        qprinter_->setPageLayout(layout);
        if (output.empty() && printer_.kind != printing::PrinterKind::System)
            return SP_ERROR;
        if (!painter_.begin(qprinter_.get())) {
            qprinter_.reset();
            return SP_ERROR;
        }
        pages_ = 0;
        return ++jobCounter;
    }

    int StartPage()
    {
        if (!painter_.isActive() || pageOpen_ || aborted_)
            return SP_ERROR;
        if (abortProc_ && !runAbortProc())
            return SP_ERROR;
        if (pages_ > 0 && !qprinter_->newPage())
            return SP_ERROR;
        working_ = QImage(geometry_.printable.cx, geometry_.printable.cy, QImage::Format_RGB32);
        if (working_.isNull())
            return SP_ERROR;
        working_.fill(Qt::white);
        committed_ = QImage();
        dirty_ = false;
        pageOpen_ = true;
        dc_->target = &working_;
        pollTimer_.start();
        return 1;
    }

    int EndPage()
    {
        if (!pageOpen_)
            return SP_ERROR;
        if (hasClip_ || !committed_.isNull())
            commit();
        const QImage &page = committed_.isNull() ? working_ : committed_;
        painter_.drawImage(QPointF(geometry_.offset.x, geometry_.offset.y), page);
        closePage();
        ++pages_;
        if (abortProc_ && !runAbortProc())
            return SP_ERROR;
        return aborted_ ? SP_ERROR : 1;
    }

    int EndDoc()
    {
        if (!painter_.isActive())
            return SP_ERROR;
        if (aborted_) {
            Abort();
            return SP_ERROR;
        }
        if (pageOpen_)
            EndPage();
        const bool ok = painter_.end();
        qprinter_.reset();
        return ok ? 1 : SP_ERROR;
    }

    int Abort()
    {
        if (!painter_.isActive() && !qprinter_)
            return SP_ERROR;
        closePage();
        if (qprinter_)
            qprinter_->abort();
        if (painter_.isActive())
            painter_.end();
        qprinter_.reset();
        if (!outputFile_.isEmpty())
            QFile::remove(outputFile_);
        aborted_ = false;
        return 1;
    }

    int SelectClip(HRGN region)
    {
        RECT box{};
        int kind = NULLREGION;
        if (region) {
            kind = GetRgnBox(region, &box);
            if (kind == RGN_ERROR)
                return RGN_ERROR;
        }
        if (pageOpen_ && dirty_)
            commit();
        hasClip_ = region != 0;
        clip_ = QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1));
        return kind;
    }

private:
    bool runAbortProc()
    {
        inAbortProc_ = true;
        const BOOL goOn = abortProc_(self_, 0);
        inAbortProc_ = false;
        if (!goOn)
            aborted_ = true;
        return goOn != FALSE;
    }

    // Keeps what was drawn inside the clip selected so far, and starts the
    // next stretch of drawing from what is kept.
    void commit()
    {
        if (committed_.isNull()) {
            committed_ = QImage(working_.size(), QImage::Format_RGB32);
            committed_.fill(Qt::white);
        }
        const QRect area = hasClip_ ? clip_.intersected(working_.rect()) : working_.rect();
        if (!area.isEmpty()) {
            QPainter p(&committed_);
            p.drawImage(area.topLeft(), working_, area);
        }
        working_ = committed_.copy();
        dirty_ = false;
    }

    void closePage()
    {
        pageOpen_ = false;
        if (dc_)
            dc_->target = nullptr;
        working_ = QImage();
        committed_ = QImage();
    }

    printing::PrinterDescription printer_;
    printing::PrinterGeometry geometry_;
    std::string port_;
    QString outputFile_;
    int copies_ = 1;
    HDC self_ = 0;
    gdi::DeviceContext *dc_ = nullptr;
    std::unique_ptr<QPrinter> qprinter_;
    QPainter painter_;
    QImage working_;   // what the context draws into
    QImage committed_; // what the clips selected so far have kept
    bool dirty_ = false;
    bool hasClip_ = false;
    QRect clip_;
    bool pageOpen_ = false;
    bool aborted_ = false;
    int pages_ = 0;
    ABORTPROC abortProc_ = nullptr;
    bool inAbortProc_ = false;
    QElapsedTimer pollTimer_;
};

PrinterDevice *findPrinter(HDC hdc)
{
    gdi::DeviceContext *dc = gdi::FindDC(hdc);
    return dc ? dynamic_cast<PrinterDevice *>(dc->device.get()) : nullptr;
}

} // namespace

HDC CreateDCA(const char *, const char *device, const char *port, const DEVMODEA *devMode)
{
    std::optional<printing::PrinterDescription> printer = printing::FindPrinter(device);
    if (!printer || printer->refusesContext)
        return 0;
    const printing::PrinterGeometry geometry = printing::GeometryFor(*printer, devMode);
    if (geometry.printable.cx <= 0 || geometry.printable.cy <= 0 || geometry.dpi <= 0)
        return 0;
    const std::string output = port && *port ? port : printer->port;
    auto device_ = std::make_unique<PrinterDevice>(std::move(*printer), geometry, output, devMode);
    PrinterDevice *raw = device_.get();
    const HDC hdc = gdi::CreateDeviceContext(std::move(device_));
    if (hdc)
        raw->Attach(hdc, gdi::FindDC(hdc));
    return hdc;
}

int StartDocA(HDC dc, const DOCINFOA *info)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->StartDoc(info) : SP_ERROR;
}

int StartPage(HDC dc)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->StartPage() : SP_ERROR;
}

int EndPage(HDC dc)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->EndPage() : SP_ERROR;
}

int EndDoc(HDC dc)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->EndDoc() : SP_ERROR;
}

int AbortDoc(HDC dc)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->Abort() : SP_ERROR;
}

int SetAbortProc(HDC dc, ABORTPROC proc)
{
    PrinterDevice *p = findPrinter(dc);
    if (!p)
        return SP_ERROR;
    p->SetAbortProc(proc);
    return 1;
}

int Escape(HDC dc, int escape, int inBytes, const void *in, void *out)
{
    PrinterDevice *p = findPrinter(dc);
    if (!p)
        return 0;
    const printing::PrinterGeometry &g = p->Geometry();
    switch (escape) {
    case QUERYESCSUPPORT: {
        if (!in || inBytes < int(sizeof(int)))
            return 0;
        const int asked = *static_cast<const int *>(in);
        return asked == GETPHYSPAGESIZE || asked == GETPRINTINGOFFSET || asked == QUERYESCSUPPORT;
    }
    case GETPHYSPAGESIZE:
        if (!out)
            return 0;
        *static_cast<POINT *>(out) = POINT{g.sheet.cx, g.sheet.cy};
        return 1;
    case GETPRINTINGOFFSET:
        if (!out)
            return 0;
        *static_cast<POINT *>(out) = g.offset;
        return 1;
    default:
        return 0;
    }
}

int SelectClipRgn(HDC dc, HRGN region)
{
    PrinterDevice *p = findPrinter(dc);
    return p ? p->SelectClip(region) : RGN_ERROR;
}
