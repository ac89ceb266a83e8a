// Makes the page templates of new map documents, "P.mpd" (A4 portrait) and
// "L.mpd" (A4 landscape): empty documents with their page, written by the
// engine itself. A build tool: make_page_templates <folder>.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/projection/projection_module.h"
#include "engine/window/page.h"
#include "engine/window/window_view.h"
#include "engine/window/wndres.h"
#include "platform/window.h"

#include <QApplication>

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kPaperA4 = 9;     // the system's paper code of A4
constexpr uint16_t kA4Width = 2100; // tenths of a millimetre
constexpr uint16_t kA4Height = 2970;
// Unit ids of the engine's unit table.
constexpr int32_t kUnitCentimetre = 3;
constexpr int32_t kUnitMetre = 4;
constexpr int32_t kUnitHectare = 29;

// Writes one empty document with an A4 page; true when written.
bool WriteTemplate(const std::string &file, bool landscape)
{
    _WNDRES rec;
    if (WndRes_Constructor(&rec) != 1)
        return false;
    const HWND window = CreateHeadlessWindow(nullptr);
    SetClientSize(window, 800, 600);
    bool written = false;
    if (WndRes_AttachToWindow(&rec, window, 1) == 1) {
        const RECT margins = {VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN, VP_DEFAULT_MARGIN};
        // The editor's map units are centimetres of a plane grid: the
        // document says so, so that lengths, areas and scales come out in
        // true units. Lengths show in metres, areas in hectares.
        written = map_projection_Set(window, "", "", CS_CARTESIAN, kUnitCentimetre, CS_CARTESIAN,
                                     kUnitCentimetre, kUnitHectare, kUnitMetre) == 1 &&
                  map_page_Set(window, "A4", kPaperA4, landscape ? 1 : 0, kA4Width, kA4Height, &margins,
                               nullptr, 0) == 1 &&
                  MapSave(window, file.c_str()) >= 1;
    }
    WndRes_Destructor(&rec);
    DestroyWindow(window);
    return written;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_page_templates <folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    ClearClassTable();
    if (InitGraphClasses(0) != 1) {
        std::fprintf(stderr, "make_page_templates: the engine's classes cannot be set up\n");
        return 1;
    }
    for (const auto &[name, landscape] : {std::pair{"P.mpd", false}, std::pair{"L.mpd", true}}) {
        if (!WriteTemplate(folder + name, landscape)) {
            std::fprintf(stderr, "make_page_templates: cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
