// What the document converter tests share: a built module loaded by full
// path with its entries, a map window to import into, a summary of a map's
// objects to compare two maps by, and the messages the modules show.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/layers.h"
#include "engine/window/converters/converter_entries.h"
#include "engine/window/window_children.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_text.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "tests/engine/window/window_fixture.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class LoadedModule {
public:
    explicit LoadedModule(const std::string &file)
        : module_(LoadLibraryA((std::string(MAP_MODULES_DIR) + "/" + file).c_str()))
    {
    }
    ~LoadedModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    LoadedModule(const LoadedModule &) = delete;
    LoadedModule &operator=(const LoadedModule &) = delete;

    bool Loaded() const { return module_ != 0; }
    template <typename F>
    F Entry(const char *name) const
    {
        return reinterpret_cast<F>(GetProcAddress(module_, name));
    }
    std::string LastError() const
    {
        auto f = Entry<GormConverterLastErrorFn>(kGormConverterLastErrorEntry);
        return f ? f() : "";
    }

private:
    HMODULE module_;
};

// Captures the message boxes for the length of a test.
class MessageCatcher {
public:
    MessageCatcher()
        : previous_(SetMessageBoxHook([this](const MessageBoxRequest &r) {
              messages.push_back(r);
              return IDOK;
          }))
    {
    }
    ~MessageCatcher() { SetMessageBoxHook(previous_); }
    std::vector<MessageBoxRequest> messages;

private:
    MessageBoxHook previous_;
};

// A second map window beside the fixture's own.
struct ExtraWindow {
    ExtraWindow()
    {
        WndRes_Constructor(&rec);
        window = CreateHeadlessWindow(nullptr);
        SetClientSize(window, 400, 300);
        WndRes_AttachToWindow(&rec, window, 1);
    }
    ~ExtraWindow()
    {
        WndRes_Destructor(&rec);
        DestroyWindow(window);
    }
    _WNDRES rec;
    HWND window = 0;
};

inline std::vector<OBJHANDLE> LayerObjects(HWND window, OBJHANDLE layer)
{
    int32_t count = 0;
    CHILDREN_Get(window, layer, &count, nullptr, 0, 1);
    std::vector<OBJHANDLE> objects(size_t(std::max(count, 0)));
    CHILDREN_Get(window, layer, &count, objects.data(), int32_t(objects.size()), 1);
    return objects;
}

inline std::string PointsText(const std::vector<MAP_COORDPT> &pts)
{
    std::string s;
    for (const MAP_COORDPT &p : pts)
        s += " " + std::to_string(p.x) + "," + std::to_string(p.y);
    return s;
}

// One line per object, by layer in drawing order: layer number and name,
// kind, points (a text's anchor, string, face, size, style, colour and
// rotation) and identifier.
inline std::vector<std::string> DescribeMap(HWND window)
{
    std::vector<std::string> lines;
    int32_t n = 0;
    map_layers_Get(window, &n, nullptr, 0);
    std::vector<OBJHANDLE> layers(size_t(std::max(n, 0)));
    map_layers_Get(window, &n, layers.data(), int32_t(layers.size()));
    for (OBJHANDLE layer : layers) {
        int32_t number = 0;
        char layerName[64] = {};
        map_layer_Get(window, layer, nullptr, nullptr, 0, &number, layerName, sizeof layerName, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr);
        if (number == PAGE_LAYER_NUMBER)
            continue; // the page is the window's own
        for (OBJHANDLE object : LayerObjects(window, layer)) {
            std::string line = std::to_string(number) + " " + layerName + ":";
            const int type = map_object_type_Get(window, object);
            if (type == MOT_POLYGON || type == MOT_POLYLINE) {
                auto get = type == MOT_POLYGON ? map_polygon_Get : map_polyline_Get;
                int32_t total = 0;
                get(window, object, &total, nullptr, 0);
                std::vector<MAP_COORDPT> pts(size_t(std::max(total, 0)));
                get(window, object, &total, pts.data(), int32_t(pts.size()));
                line += (type == MOT_POLYGON ? " polygon" : " polyline") + PointsText(pts);
            } else if (type == MOT_TEXT) {
                char text[256] = {}, face[64] = {};
                MAP_COORDPT anchor{};
                int32_t size = 0;
                int style = 0, rotation = 0, escapement = 0;
                COLORREF colour = 0;
                uint16_t flags = 0;
                map_text_Get(window, object, nullptr, text, sizeof text, &anchor, face, sizeof face, &size,
                             &style, &colour, &rotation, &escapement, &flags);
                line += std::string(" text \"") + text + "\"" + PointsText({anchor}) + " " + face + " " +
                        std::to_string(size) + " " + std::to_string(style) + " " + std::to_string(colour) +
                        " " + std::to_string(rotation);
            } else {
                line += " type " + std::to_string(type);
            }
            char code[16] = {}, name[40] = {};
            if (map_object_id_Get(window, object, code, sizeof code, name, sizeof name, nullptr, nullptr))
                line += std::string(" id ") + code + "/" + name;
            lines.push_back(line);
        }
    }
    return lines;
}

inline OBJHANDLE MakeLayer(HWND window, int32_t number, const char *name)
{
    OBJHANDLE layer = 0;
    map_layer_Create(window, &layer, nullptr, 0, number, name, 0xFF, -1, 0, 1, LDF_VISIBLE | LDF_SELECTABLE,
                     LAYER_FLAGS_KEEP, 0);
    return layer;
}

inline OBJHANDLE PutOn(HWND window, OBJHANDLE layer, OBJHANDLE object)
{
    CHILDREN_Add(window, layer, &object, 1, 0, 0);
    return object;
}
