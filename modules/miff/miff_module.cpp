// "miff.cnv": imports ".mif" files (regions, polylines, points and texts,
// with the layer and identifier of each object from the ".mid" file beside
// it) into the open map, and exports the map's polygons, polylines and
// texts the same way. Coordinates are multiplied on import, and divided on
// export, by "Multiplier" under "Converters\Imports\MIF" (1 by default).
//
// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/window/converters/converter_entries.h"
#include "engine/window/window_children.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_text.h"
#include "modules/miff/mif_format.h"
#include "modules/raster_io/module_export.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr const char *kSettingsKey = "Converters\\Imports\\MIF";
constexpr const char *kMultiplierValue = "Multiplier";

// Not thread-local: the module is unloaded after each call, and the leak
// checker cannot walk the thread-local block of an unloaded module.
std::string lastError;

int fail(HWND map, const char *caption, const std::string &text)
{
    lastError = text;
    MessageBoxA(map, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

// The multiplier as text, a 32-bit number or a stored double; 1 when it is
// missing or not a positive finite number.
double multiplier()
{
    double value = 0;
    char text[64] = {};
    if (RegStringGet(kSettingsKey, kMultiplierValue, text, sizeof text) && *text) {
        char *end = nullptr;
        value = std::strtod(text, &end);
        if (end == text)
            value = 0;
    } else if (!m_RegValueGet(kSettingsKey, kMultiplierValue, &value)) {
        value = 0;
    }
    return std::isfinite(value) && value > 0 ? value : 1.0;
}

bool readWhole(const std::string &path, std::string *out)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    *out = s.str();
    return !in.bad();
}

// "x.mif" gives "x.mid" ("X.MIF" gives "X.MID"); another name gets ".mid".
std::string attributePath(const std::string &mif)
{
    if (mif.size() > 4 && mif[mif.size() - 4] == '.') {
        const std::string ext = mif.substr(mif.size() - 4);
        if (ext == ".mif")
            return mif.substr(0, mif.size() - 4) + ".mid";
        if (ext == ".MIF")
            return mif.substr(0, mif.size() - 4) + ".MID";
    }
    return mif + ".mid";
}

bool toMap(double v, double factor, int32_t *out)
{
    const double scaled = v * factor;
    if (!std::isfinite(scaled) || scaled < double(INT32_MIN) || scaled > double(INT32_MAX))
        return false;
    *out = int32_t(std::llround(scaled));
    return true;
}

// Text styles: ours are 2 bold and 4 italic, the file's 1 and 2.
int fileStyle(int style) { return ((style & 2) ? 1 : 0) | ((style & 4) ? 2 : 0); }
int mapStyle(int style) { return ((style & 1) ? 2 : 0) | ((style & 2) ? 4 : 0); }
uint32_t rgbOf(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
COLORREF colourOf(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

struct MapFeature {
    const MifFeature *source;
    std::vector<std::vector<MAP_COORDPT>> parts;
    MAP_COORDPT corner{0, 0};
};

std::string value(const MifFeature &f, int column)
{
    return column >= 0 && size_t(column) < f.values.size() ? f.values[size_t(column)] : std::string();
}

class Importer {
public:
    explicit Importer(HWND map) : map_(map) {}

    // The layer of that number, made (with the name) when the map lacks it.
    OBJHANDLE layer(const std::string &number, const std::string &name)
    {
        char *end = nullptr;
        const long n = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end || n < 0 || n >= PAGE_LAYER_NUMBER)
            return 0;
        if (OBJHANDLE found = map_layer_Search(map_, int32_t(n), nullptr))
            return found;
        OBJHANDLE made = 0;
        map_layer_Create(map_, &made, nullptr, 0, int32_t(n), name.c_str(), 0xFFFFFFFF, -1, -1, -1,
                         LDF_VISIBLE | LDF_SELECTABLE, LAYER_FLAGS_KEEP, 0);
        return made;
    }

    bool add(OBJHANDLE object, OBJHANDLE layer)
    {
        if (!object)
            return false;
        made_.push_back(object);
        return !layer || CHILDREN_Add(map_, layer, &object, 1, 0, 0);
    }

    void undo() { map_objects_Delete(map_, made_.data(), int32_t(made_.size()), 0); }

    HWND map_;
    std::vector<OBJHANDLE> made_;
};

} // namespace

MODULE_EXPORT const char *GormConverterLastError() { return lastError.c_str(); }

MODULE_EXPORT int GormImport(HWND map, const char *fileName, int *shared, HWND /*sheet*/)
{
    const char *caption = "Gorm Import";
    lastError.clear();
    _WNDRES *rec = GetWndRes(map);
    if (!rec || !rec->kernel)
        return fail(map, caption, "There is no open map to import into.");
    const std::string path = fileName ? fileName : "";
    std::string mif, mid;
    if (!readWhole(path, &mif))
        return fail(map, caption, "The file \"" + path + "\" cannot be read.");
    const std::string midPath = attributePath(path);
    const bool hasMid = readWhole(midPath, &mid);
    MifDocument doc;
    std::string error;
    if (!ParseMif(mif, hasMid ? &mid : nullptr, &doc, &error))
        return fail(map, caption,
                    "The file \"" + path + "\" is damaged: " + error + ". Nothing was imported.");

    // Every coordinate is checked before the map is touched.
    const double factor = multiplier();
    std::vector<MapFeature> features;
    for (const MifFeature &f : doc.features) {
        if (f.kind == MifKind::None)
            continue;
        MapFeature m{&f, {}, {0, 0}};
        for (const auto &part : f.parts) {
            std::vector<MAP_COORDPT> pts(part.size());
            for (size_t i = 0; i < part.size(); ++i)
                if (!toMap(part[i].x, factor, &pts[i].x) || !toMap(part[i].y, factor, &pts[i].y))
                    return fail(map, caption,
                                "The file \"" + path +
                                    "\" holds coordinates beyond the map's range. Nothing was imported.");
            m.parts.push_back(std::move(pts));
        }
        if (f.kind == MifKind::Text &&
            (!toMap(f.textCorner.x, factor, &m.corner.x) || !toMap(f.textCorner.y, factor, &m.corner.y)))
            return fail(map, caption,
                        "The file \"" + path +
                            "\" holds coordinates beyond the map's range. Nothing was imported.");
        features.push_back(std::move(m));
    }

    const int layerColumn = doc.Column("Layer"), layerNameColumn = doc.Column("LayerName");
    const int codeColumn = doc.Column("Code"), nameColumn = doc.Column("Name");
    Importer importer(map);
    for (const MapFeature &m : features) {
        const MifFeature &f = *m.source;
        const OBJHANDLE layer = importer.layer(value(f, layerColumn), value(f, layerNameColumn));
        std::vector<OBJHANDLE> objects;
        for (const auto &part : m.parts) {
            if (f.kind == MifKind::Point) {
                for (const MAP_COORDPT &p : part) {
                    OBJHANDLE h = 0;
                    map_polyline_Create(map, &h, &p, 1, 0);
                    objects.push_back(h);
                }
                continue;
            }
            OBJHANDLE h = 0;
            if (f.kind == MifKind::Region)
                map_polygon_Create(map, &h, part.data(), int32_t(part.size()), 0);
            else if (f.kind == MifKind::Pline)
                map_polyline_Create(map, &h, part.data(), int32_t(part.size()), 0);
            else
                map_text_CreateEx(map, &h, f.text.c_str(), &part[0],
                                  f.face.empty() ? "Arial" : f.face.c_str(), f.fontSize,
                                  mapStyle(f.fontStyle), colourOf(f.fontColour),
                                  int(std::lround(f.angle * 10)), 0, 0, 0, 0, 1);
            objects.push_back(h);
        }
        for (OBJHANDLE h : objects) {
            if (!importer.add(h, layer)) {
                importer.undo();
                return fail(map, caption,
                            "The map could not take the objects of \"" + path + "\". Nothing was imported.");
            }
            const std::string code = value(f, codeColumn), name = value(f, nameColumn);
            if (!code.empty() || !name.empty())
                map_object_id_Set(map, h, code.c_str(), name.c_str(), 0, 0, 0);
        }
    }
    if (shared)
        ++*shared;
    return 1;
}

MODULE_EXPORT int GormExport(HWND map, const char *fileName, OBJHANDLE * /*layersRoot*/, HWND /*sheet*/)
{
    const char *caption = "Gorm Export";
    lastError.clear();
    _WNDRES *rec = GetWndRes(map);
    if (!rec || !rec->kernel)
        return fail(map, caption, "There is no open map to export.");
    const std::string path = fileName ? fileName : "";
    if (path.empty())
        return fail(map, caption, "No file was named for the export.");
    const double factor = multiplier();

    MifDocument doc;
    doc.delimiter = ',';
    doc.columns = {"Layer", "LayerName", "Code", "Name"};
    MAP_COORDRECT all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    auto extend = [&](MAP_COORDPT p) {
        all.x1 = std::min(all.x1, p.x), all.y1 = std::min(all.y1, p.y);
        all.x2 = std::max(all.x2, p.x), all.y2 = std::max(all.y2, p.y);
    };
    auto mifPoint = [&](MAP_COORDPT p) {
        extend(p);
        return MifPoint{p.x / factor, p.y / factor};
    };

    int32_t layerCount = 0;
    map_layers_Get(map, &layerCount, nullptr, 0);
    std::vector<OBJHANDLE> layers(size_t(std::max(layerCount, 0)));
    map_layers_Get(map, &layerCount, layers.data(), int32_t(layers.size()));
    for (OBJHANDLE layer : layers) {
        int32_t number = 0, count = 0;
        char layerName[LAYER_NAME_SIZE + 1] = {};
        map_layer_Get(map, layer, &count, nullptr, 0, &number, layerName, sizeof layerName, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr);
        if (number == PAGE_LAYER_NUMBER)
            continue;
        std::vector<OBJHANDLE> objects(size_t(std::max(count, 0)));
        map_layer_Get(map, layer, &count, objects.data(), int32_t(objects.size()), nullptr, nullptr, 0,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        for (OBJHANDLE object : objects) {
            MifFeature f;
            const int type = map_object_type_Get(map, object);
            if (type == MOT_POLYGON || type == MOT_POLYLINE) {
                int32_t total = 0;
                auto get = type == MOT_POLYGON ? map_polygon_Get : map_polyline_Get;
                get(map, object, &total, nullptr, 0);
                std::vector<MAP_COORDPT> pts(size_t(std::max(total, 0)));
                get(map, object, &total, pts.data(), int32_t(pts.size()));
                if (pts.empty() || (type == MOT_POLYGON && pts.size() < 3))
                    continue;
                f.kind = type == MOT_POLYGON ? MifKind::Region
                         : pts.size() == 1   ? MifKind::Point
                                             : MifKind::Pline;
                f.parts.resize(1);
                for (const MAP_COORDPT &p : pts)
                    f.parts[0].push_back(mifPoint(p));
            } else if (type == MOT_TEXT) {
                uint32_t length = 0;
                map_text_GetEx(map, object, &length, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
                std::vector<char> text(std::max<uint32_t>(length, 1) + 1, '\0');
                MAP_COORDPT anchor{0, 0};
                char face[64] = {};
                int32_t size = 0;
                int style = 0, rotation = 0, escapement = 0, own = 0;
                COLORREF colour = 0;
                uint16_t flags = 0;
                uint8_t charSet = 0;
                map_text_GetEx(map, object, &length, text.data(),
                               uint16_t(std::min<size_t>(text.size(), 65535)), &anchor, face, sizeof face,
                               &size, &style, &colour, &rotation, &escapement, &flags, &charSet, &own);
                MAP_COORDRECT box{};
                map_object_boundrect_Get(map, object, &box);
                f.kind = MifKind::Text;
                f.text = text.data();
                f.face = face;
                f.fontSize = size;
                f.fontStyle = fileStyle(style);
                f.fontColour = rgbOf(colour);
                f.angle = rotation / 10.0;
                f.parts = {{mifPoint(anchor)}};
                const MAP_COORDPT corner{
                    int32_t(std::min<int64_t>(INT32_MAX, int64_t(anchor.x) + (int64_t(box.x2) - box.x1))),
                    int32_t(std::min<int64_t>(INT32_MAX, int64_t(anchor.y) + (int64_t(box.y2) - box.y1)))};
                f.textCorner = mifPoint(corner);
            } else {
                continue; // legends, rasters and the like have no form in the file
            }
            char code[ID_CODE_MAX + 2] = {}, name[ID_NAME_MAX + 2] = {};
            map_object_id_Get(map, object, code, sizeof code, name, sizeof name, nullptr, nullptr);
            f.values = {std::to_string(number), layerName, code, name};
            doc.features.push_back(std::move(f));
        }
    }
    if (all.x1 > all.x2)
        all = {0, 0, 1, 1};
    const std::vector<MifColumnSpec> columns = {
        {"Layer", "Integer"}, {"LayerName", "Char(48)"}, {"Code", "Char(12)"}, {"Name", "Char(32)"}};
    const double margin = 1 / factor;
    const std::string mifText = WriteMif(doc, columns, all.x1 / factor - margin, all.y1 / factor - margin,
                                         all.x2 / factor + margin, all.y2 / factor + margin);
    const std::string midText = WriteMid(doc);
    File mifFile, midFile;
    const std::string midPath = attributePath(path);
    if (!mifFile.Open(path, File::Mode::ReplaceAtomic) || !midFile.Open(midPath, File::Mode::ReplaceAtomic) ||
        !mifFile.Write(mifText.data(), mifText.size()) || !midFile.Write(midText.data(), midText.size()) ||
        !mifFile.Commit() || !midFile.Commit())
        return fail(map, caption, "The file \"" + path + "\" cannot be written.");
    return 1;
}

// The import's options: the multiplier of the file's coordinates. The file
// name in the buffer is left as it is.
MODULE_EXPORT int GormImportOptions(HWND /*dialog*/, HWND /*map*/, char * /*buffer*/, uint32_t /*size*/)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Interchange Import Options"));
    auto *edit = new QLineEdit(QString::number(multiplier(), 'g', 17), &dialog);
    SetDialogItemId(edit, 1001);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto *form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("&Multiplier:"), edit);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog] { dialog.done(IDOK); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    if (RunModalDialog(dialog, 0) != IDOK)
        return 0;
    bool ok = false;
    const double value = edit->text().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0) {
        MessageBoxA(0, "The multiplier must be a number above 0.", "Gorm Import", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    return RegStringSet(kSettingsKey, kMultiplierValue,
                        QString::number(value, 'g', 17).toLatin1().constData())
               ? 1
               : 0;
}
