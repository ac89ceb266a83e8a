#include "engine/window/converters/converter_service.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/converters/converter_dialog.h"
#include "engine/window/converters/converter_entries.h"
#include "engine/window/converters/converter_table.h"
#include "engine/window/page.h"
#include "engine/window/view_display.h"
#include "engine/window/window_objects.h"
#include "platform/dispatch_exception.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/window.h"

#include <vector>

namespace {

constexpr unsigned kImportCaption = 711;
constexpr unsigned kExportCaption = 712;

std::string caption(ConverterKind kind)
{
    return kind == ConverterKind::Import ? LoadStringMapOr(kImportCaption, "Gorm Import")
                                         : LoadStringMapOr(kExportCaption, "Gorm Export");
}

void noConvertersMessage(ConverterKind kind)
{
    const std::string text =
        kind == ConverterKind::Import
            ? LoadStringMapOr(713, "No imports registered\nUpdate your registry,\nor update your cnv files.")
            : LoadStringMapOr(714, "No exports registered\nUpdate your registry,\nor update your cnv files.");
    MessageBoxA(GetActiveWindow(), text.c_str(), caption(kind).c_str(), MB_OK);
}

void notLoadedMessage(HWND map, ConverterKind kind, const std::string &library)
{
    const std::string text = LoadStringMapOr(856, "No converter library loaded: ") + library;
    MessageBoxA(map, text.c_str(), caption(kind).c_str(), MB_OK);
}

void markModified(HWND map)
{
    if (_WNDRES *rec = GetWndRes(map))
        rec->flags |= WNDRES_MODIFIED;
}

// The imported content decides the view: it shows all objects (in fit mode
// it becomes the visible rectangle), the page is fitted to them, and the
// texts are measured again.
void fitToContent(HWND map)
{
    _WNDRES *rec = GetWndRes(map);
    if (!rec || !rec->kernel || !rec->displayView)
        return;
    MAP_COORDRECT bounds;
    if (map_object_boundrect_Get(map, 0, &bounds) && bounds.x1 <= bounds.x2 && bounds.y1 <= bounds.y2) {
        PM_SetAllObjectsRect(rec->displayView, map, &bounds);
        if (rec->displayView->resizeMode == 1)
            PM_SetWorldRect(rec->displayView, map, &bounds, 0);
        PageFitToAllObjects(map);
    }
    TextObjectsRecalcAll(map);
    PM_InitDisplaySettings(rec->displayView, map);
    InvalidateRect(map, nullptr, TRUE);
}

// The table, or false after telling the user that there is nothing to use.
bool usableTable(ConverterKind kind, ConverterTable *table)
{
    if (BuildConverterTable(kind, table) && !table->entries.empty())
        return true;
    noConvertersMessage(kind);
    return false;
}

long serviceEx(ConverterKind kind, HWND map, const char *converter, const char *fileName, int showDialog)
{
    const std::string name = converter ? converter : "";
    std::string file = fileName ? fileName : "";
    if (name.size() > kMaxConverterNameLength) {
        // Refused whole rather than cut to a name that may be another's.
        const std::string text =
            DispatchErrorText(kErrorWrongFileOrFormat) + ":\n" + name.substr(0, 40) + "...";
        MessageBoxA(map, text.c_str(), caption(kind).c_str(), MB_OK);
        return CONVERT_UNKNOWN;
    }
    if (name.empty()) {
        if (!showDialog)
            return CONVERT_NO_NAME;
        const int done = kind == ConverterKind::Import ? ImportService(map, 0) : ExportService(map, 0);
        return done ? CONVERT_DONE : CONVERT_DIALOG_FAILED;
    }
    if (file.empty())
        return CONVERT_NO_FILE;
    ConverterTable table;
    BuildConverterTable(kind, &table);
    const int index = FindConverterEntry(table, name);
    if (index < 0)
        return CONVERT_UNKNOWN;
    const std::string modulePath = table.entries[size_t(index)].modulePath;
    if (showDialog && table.entries[size_t(index)].hasOptions) {
        ConverterDialogModel model(map, kind, std::move(table));
        model.SelectType(size_t(index));
        model.SetFileNames({file});
        model.PressOption(0);
        if (kind == ConverterKind::Import && !model.FileNames().empty())
            file = model.FileNames().front();
    }
    const int result = kind == ConverterKind::Import
                           ? ImportFileThroughConverter(map, file, modulePath, 0, nullptr)
                           : ExportFileThroughConverter(map, file, modulePath, 0);
    return result ? CONVERT_DONE : CONVERT_NOT_LOADED;
}

} // namespace

int ImportFileThroughConverter(HWND map, const std::string &fileName, const std::string &modulePath,
                               HWND sheet, int *shared)
{
    const HMODULE module = modulePath.empty() ? 0 : LoadLibraryA(modulePath.c_str());
    if (!module) {
        notLoadedMessage(map, ConverterKind::Import, modulePath);
        return 0;
    }
    auto entry = reinterpret_cast<GormImportFn>(GetProcAddress(module, kGormImportEntry));
    if (entry) {
        entry(map, fileName.c_str(), shared, sheet);
        fitToContent(map);
    }
    FreeLibrary(module);
    return entry ? 1 : 0;
}

int ExportFileThroughConverter(HWND map, const std::string &fileName, const std::string &modulePath,
                               HWND sheet)
{
    const HMODULE module = modulePath.empty() ? 0 : LoadLibraryA(modulePath.c_str());
    if (!module) {
        notLoadedMessage(map, ConverterKind::Export, modulePath);
        return 0;
    }
    int result = 0;
    if (auto entry = reinterpret_cast<GormExportFn>(GetProcAddress(module, kGormExportEntry))) {
        OBJHANDLE layers = GetRootOBJect(map, CLASS_LAYERS);
        result = entry(map, fileName.c_str(), &layers, sheet);
    }
    FreeLibrary(module);
    return result;
}

int ImportService(HWND map, HWND sheet)
{
    ConverterTable table;
    if (!usableTable(ConverterKind::Import, &table))
        return 0;
    ConverterDialogModel model(map, ConverterKind::Import, std::move(table));
    if (!RunConverterDialog(model, caption(ConverterKind::Import)))
        return 0;
    const ConverterEntry &entry = model.SelectedEntry();
    StoreCurrentConverter(ConverterKind::Import, entry.name);
    int shared = 0;
    int result = 0;
    for (const std::string &file : model.FileNames())
        if (!(result = ImportFileThroughConverter(map, file, entry.modulePath, sheet, &shared)))
            break;
    // Whatever the converter did, the document may have changed.
    markModified(map);
    return result;
}

int ExportService(HWND map, HWND sheet)
{
    ConverterTable table;
    if (!usableTable(ConverterKind::Export, &table))
        return 0;
    ConverterDialogModel model(map, ConverterKind::Export, std::move(table));
    if (!RunConverterDialog(model, caption(ConverterKind::Export)))
        return 0;
    const ConverterEntry &entry = model.SelectedEntry();
    StoreCurrentConverter(ConverterKind::Export, entry.name);
    return ExportFileThroughConverter(map, model.FileNames().front(), entry.modulePath, sheet);
}

long ImportServiceEx(HWND map, const char *converter, const char *fileName, int showDialog)
{
    return serviceEx(ConverterKind::Import, map, converter, fileName, showDialog);
}

long ExportServiceEx(HWND map, const char *converter, const char *fileName, int showDialog)
{
    return serviceEx(ConverterKind::Export, map, converter, fileName, showDialog);
}
