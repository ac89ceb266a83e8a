// The converters built with the engine, through the service as the control
// calls it: registered on first use, then a map document imported and the
// map exported by name.
#include "engine/kernel/map_file.h"
#include "engine/window/converters/converter_service.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "tests/engine/window/window_fixture.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using BuiltInConvertersTest = AttachedMapWindowTest;

TEST_F(BuiltInConvertersTest, MapDocumentImportAndInterchangeExportByName)
{
    // The document: one polygon, saved from a second window.
    _WNDRES other;
    ASSERT_EQ(WndRes_Constructor(&other), 1);
    const HWND otherWindow = CreateHeadlessWindow(nullptr);
    ASSERT_EQ(WndRes_AttachToWindow(&other, otherWindow, 1), 1);
    const MAP_COORDPT field[] = {{5000, 6000}, {9000, 6000}, {9000, 8000}};
    OBJHANDLE polygon = 0;
    map_polygon_Create(otherWindow, &polygon, field, 3, 0);
    QTemporaryDir dir;
    const std::string document = dir.path().toStdString() + "/field.mpd";
    EXPECT_GE(MapSave(otherWindow, document.c_str()), 1);
    WndRes_Destructor(&other);
    DestroyWindow(otherWindow);

    rec.flags = 0;
    ASSERT_EQ(ImportServiceEx(window, "MPD5", document.c_str(), 0), CONVERT_DONE);
    int32_t selected = 0;
    map_selection_Get(window, &selected, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 1);
    EXPECT_EQ(selected, 1) << "the imported polygon";
    MAP_COORDRECT all{};
    ASSERT_EQ(map_object_boundrect_Get(window, 0, &all), 1);
    EXPECT_LE(all.x1, 5000);
    EXPECT_GE(all.x2, 9000);

    const std::string exported = dir.path().toStdString() + "/field.mif";
    ASSERT_EQ(ExportServiceEx(window, "MIFF", exported.c_str(), 0), CONVERT_DONE);
    EXPECT_GT(QFileInfo(QString::fromStdString(exported)).size(), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/field.mid"));
    EXPECT_EQ(ImportServiceEx(window, "WMS", exported.c_str(), 0), CONVERT_UNKNOWN)
        << "a raster module is no import converter";
}

} // namespace
