#include "engine/view/dialogs/raster_dialog_model.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/raster_images.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/unit_text.h"
#include "engine/window/converters/converter_table.h"
#include "engine/window/window_access.h"
#include "platform/file_dialog.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kFieldMax = 47; // characters read from a placement field

std::string unitText(int unit, int64_t value)
{
    char text[200] = {};
    if (!PM_UnitValueToText(unit, truncToInt32(double(value)), text))
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
}

int32_t unitValue(int unit, const std::string &text)
{
    int32_t value = 0;
    PM_TextToUnitValue(unit, &value, text.substr(0, kFieldMax).c_str());
    return value;
}

// A pattern of a converter's filter ("*.png") matches the file name, in any
// case.
bool patternMatches(const std::string &pattern, const std::string &path)
{
    const QString name = QFileInfo(QString::fromLocal8Bit(path.c_str())).fileName();
    for (const QString &p : QString::fromLocal8Bit(pattern.c_str()).split(' ', Qt::SkipEmptyParts))
        if (QDir::match(p, name))
            return true;
    return false;
}

} // namespace

std::string RasterDpiText(double dpi)
{
    if (!(dpi > 0))
        return "0 dpi";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f dpi", dpi);
    return text;
}

RasterDialogModel::RasterDialogModel(HWND owner, OBJHANDLE copy) : owner_(owner), copy_(copy)
{
    const MapDoc doc(owner);
    if (!doc || !RasterObjectLock(doc.kernel, copy))
        return;
    kernel_ = doc.kernel;
    if (doc.rec->displayView)
        unit_ = doc.rec->displayView->projection.transformedUnit;
    ready_ = false;
    const RasterObjectData d = RasterRecordLoad(RasterObjectLock(kernel_, copy_));
    scale_ = d.scale;
    hasImage_ = RasterObjectHeaderBlock(kernel_, copy_) != 0;
    const _COORDRECT r = d.bound;
    texts_[IDC_RASTERDLG_X] = unitText(unit_, r.x1);
    texts_[IDC_RASTERDLG_Y] = unitText(unit_, r.y1);
    texts_[IDC_RASTERDLG_WIDTH] = unitText(unit_, int64_t(r.x2) - r.x1);
    texts_[IDC_RASTERDLG_HEIGHT] = unitText(unit_, int64_t(r.y2) - r.y1);
    checks_[IDC_RASTERDLG_FRAME] = d.frameVisible != 0;
    checks_[IDC_RASTERDLG_IMAGE] = d.imageVisible != 0;
    checks_[IDC_RASTERDLG_CLIPPING] = d.clippingMode != 0;
    texts_[IDC_RASTERDLG_FILE] = std::string(d.fileName, strnlen(d.fileName, sizeof d.fileName));
    texts_[IDC_RASTERDLG_SCALE] = std::to_string(static_cast<unsigned long>(uint32_t(scale_)));
    // Without an image the resolutions stay empty (and disabled).
    if (hasImage_) {
        int32_t p = 0, q = 0;
        pixelSize(&p, &q);
        showResolutions(resOrDim(p, double(int64_t(r.x2) - r.x1)), resOrDim(q, double(int64_t(r.y2) - r.y1)));
    }
    ready_ = true;
}

std::string RasterDialogModel::text(int id) const
{
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

bool RasterDialogModel::checked(int id) const
{
    const auto it = checks_.find(id);
    return it != checks_.end() && it->second;
}

_COORDRECT RasterDialogModel::bound() const
{
    const char *p = RasterObjectLock(kernel_, copy_);
    return p ? RasterRecordLoad(p).bound : _COORDRECT{};
}

void RasterDialogModel::setBound(const _COORDRECT &r)
{
    _COORDRECT copy = r;
    SendOBJectMessage(kernel_, 0, copy_, 0, GRM_SETBOUNDRECT, 0, LPARAM(&copy));
}

bool RasterDialogModel::pixelSize(int32_t *p, int32_t *q) const
{
    return RasterObjectPixelSize(kernel_, copy_, p, q);
}

double RasterDialogModel::resOrDim(long pixels, double value) const
{
    return ResOrDim(unit_, pixels, value, 1, scale_);
}

void RasterDialogModel::showResolutions(double rx, double ry)
{
    texts_[IDC_RASTERDLG_RES_X] = RasterDpiText(rx);
    texts_[IDC_RASTERDLG_RES_Y] = RasterDpiText(ry);
}

void RasterDialogModel::EditFocusLost(int id, bool modified)
{
    if (ready_ && modified && hasImage_)
        Recalc(id);
}

int RasterDialogModel::Recalc(int id)
{
    if (!kernel_)
        return 1;
    int32_t p = 0, q = 0;
    if (!pixelSize(&p, &q))
        return 1;
    ready_ = false;
    bool badX = false, badY = false;
    double rx = 0, ry = 0;
    int64_t width = 0, height = 0;
    if (id == IDC_RASTERDLG_WIDTH || id == IDC_RASTERDLG_HEIGHT) {
        width = std::atol(text(IDC_RASTERDLG_WIDTH).c_str());
        badX = width <= 0;
        height = std::atol(text(IDC_RASTERDLG_HEIGHT).c_str());
        badY = height <= 0;
        if (!badX)
            badX = !((rx = resOrDim(p, double(width))) > 0);
        if (!badY)
            badY = !((ry = resOrDim(q, double(height))) > 0);
    } else {
        if (id == IDC_RASTERDLG_SCALE) {
            const long s = std::atol(text(IDC_RASTERDLG_SCALE).c_str());
            if (s <= 0) {
                ready_ = true;
                return 1;
            }
            scale_ = truncToInt32(double(s));
            if (char *rec = RasterObjectLock(kernel_, copy_)) {
                RasterObjectData d = RasterRecordLoad(rec);
                d.scale = scale_;
                RasterRecordStore(rec, d);
            }
        } else if (id != IDC_RASTERDLG_RES_X && id != IDC_RASTERDLG_RES_Y) {
            ready_ = true;
            return 1;
        }
        // The " dpi" behind the number is ignored.
        rx = std::atof(text(IDC_RASTERDLG_RES_X).c_str());
        badX = !(rx > 0);
        ry = std::atof(text(IDC_RASTERDLG_RES_Y).c_str());
        badY = !(ry > 0);
        if (!badX) {
            width = truncToInt32(resOrDim(p, rx));
            badX = width <= 0;
        }
        if (!badY) {
            height = truncToInt32(resOrDim(q, ry));
            badY = height <= 0;
        }
        if (!badX)
            badX = !((rx = resOrDim(p, double(width))) > 0);
        if (!badY)
            badY = !((ry = resOrDim(q, double(height))) > 0);
    }
    // A field that cannot be used falls back to what the rectangle gives.
    _COORDRECT r = bound();
    if (!badX) {
        r.x2 = truncToInt32(double(r.x1) + double(width));
        texts_[IDC_RASTERDLG_WIDTH] = unitText(unit_, width);
    } else {
        texts_[IDC_RASTERDLG_WIDTH] = unitText(unit_, int64_t(r.x2) - r.x1);
        rx = resOrDim(p, double(int64_t(r.x2) - r.x1));
    }
    if (!badY) {
        r.y2 = truncToInt32(double(r.y1) + double(height));
        texts_[IDC_RASTERDLG_HEIGHT] = unitText(unit_, height);
    } else {
        texts_[IDC_RASTERDLG_HEIGHT] = unitText(unit_, int64_t(r.y2) - r.y1);
        ry = resOrDim(q, double(int64_t(r.y2) - r.y1));
    }
    setBound(r);
    showResolutions(rx, ry);
    ready_ = true;
    return 1;
}

void RasterDialogModel::ClickVisibility(int id)
{
    if (checked(IDC_RASTERDLG_FRAME) || checked(IDC_RASTERDLG_IMAGE))
        return;
    checks_[id == IDC_RASTERDLG_FRAME ? IDC_RASTERDLG_IMAGE : IDC_RASTERDLG_FRAME] = true;
}

int RasterDialogModel::Browse(const RasterFileChooser &chooser)
{
    if (!kernel_)
        return 0;
    ConverterTable table;
    if (!BuildConverterTable(ConverterKind::Import, &table, "GormRasterBody"))
        return 0;
    const std::string title = LoadStringMapOr(IDS_RASTERDLG_BROWSE_TITLE, "Browse raster file");
    RasterBrowseRequest request{owner_, title, text(IDC_RASTERDLG_FILE), ConverterFilterText(table)};
    std::optional<std::string> chosen;
    if (chooser) {
        chosen = chooser(request);
    } else {
        FileDialogRequest open{owner_, title, request.initialPath, ParseFileFilter(request.filter),
                               OFN_FILEMUSTEXIST | OFN_HIDEREADONLY};
        chosen = ShowOpenFileDialog(open);
    }
    if (!chosen)
        return 0;
    const std::string path = *chosen;
    const auto fail = [&] {
        MessageBoxA(owner_,
                    LoadStringMapOr(IDS_RASTERDLG_BROWSE_FAILED, "Could not open browsed file.").c_str(),
                    "Browse raster file", MB_OK);
        return 0;
    };
    // The file dialog tells the path, not the filter chosen: the converter
    // whose pattern matches the file reads it, else each in turn until one
    // can.
    std::vector<const ConverterEntry *> order;
    for (const ConverterEntry &e : table.entries)
        if (patternMatches(e.pattern, path))
            order.push_back(&e);
    if (order.empty())
        for (const ConverterEntry &e : table.entries)
            order.push_back(&e);
    // The copy never holds pixels while the dialog runs: the header alone
    // gives the resolutions.
    HGLOBAL header = 0;
    const ConverterEntry *used = nullptr;
    for (const ConverterEntry *e : order) {
        if (RasterImportByModule(e->modulePath, path.c_str(), &header, nullptr, nullptr)) {
            used = e;
            break;
        }
    }
    if (!used || !header)
        return fail();
    // The raster's name fields keep at most 127 and 39 characters: a longer
    // path cannot be stored whole, so it is refused rather than cut.
    if (!RasterNamesFit(path.c_str(), used->name.c_str())) {
        GlobalFree(header);
        return fail();
    }
    RasterObjectSetImages(kernel_, copy_, header, 0);
    RasterObjectSetNames(kernel_, copy_, path.c_str(), used->name.c_str());
    if (!RasterObjectHeaderBlock(kernel_, copy_))
        return fail();
    int32_t p = 0, q = 0;
    pixelSize(&p, &q);
    const _COORDRECT r = bound();
    showResolutions(resOrDim(p, double(int64_t(r.x2) - r.x1)), resOrDim(q, double(int64_t(r.y2) - r.y1)));
    texts_[IDC_RASTERDLG_FILE] = path;
    hasImage_ = true;
    return 1;
}

int RasterDialogModel::Ok()
{
    if (!kernel_)
        return 1;
    const int64_t x = unitValue(unit_, text(IDC_RASTERDLG_X));
    const int64_t y = unitValue(unit_, text(IDC_RASTERDLG_Y));
    const int64_t w = unitValue(unit_, text(IDC_RASTERDLG_WIDTH));
    const int64_t h = unitValue(unit_, text(IDC_RASTERDLG_HEIGHT));
    setBound(_COORDRECT{int32_t(x), int32_t(y), truncToInt32(double(x + w)), truncToInt32(double(y + h))});
    if (char *rec = RasterObjectLock(kernel_, copy_)) {
        RasterObjectData d = RasterRecordLoad(rec);
        if (hasImage_) {
            d.frameVisible = checked(IDC_RASTERDLG_FRAME) ? 1 : 0;
            d.imageVisible = checked(IDC_RASTERDLG_IMAGE) ? 1 : 0;
            d.clippingMode = checked(IDC_RASTERDLG_CLIPPING) ? 1 : 0;
        }
        d.scale = truncToInt32(double(std::atol(text(IDC_RASTERDLG_SCALE).c_str())));
        RasterRecordStore(rec, d);
    }
    return 1;
}
