// What the window-level functions share: the document of a map window (its
// record, object store and roots), looked up once per call. A window without
// record, or a record without store, gives an empty document, and every
// function then answers with its failure value.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"

struct MapDoc {
    HWND window = 0;
    _WNDRES *rec = nullptr;
    OBJectKernel *kernel = nullptr;

    explicit MapDoc(HWND w) : window(w), rec(w ? GetWndRes(w) : nullptr)
    {
        kernel = rec ? rec->kernel : nullptr;
    }
    explicit operator bool() const { return kernel != nullptr; }

    // The class of a live object; 0 for 0, a freed or a foreign handle.
    uint16_t classOf(OBJHANDLE object) const
    {
        return kernel && object ? GetOBJectClassID(kernel, object) : uint16_t(0);
    }
    bool is(OBJHANDLE object, uint16_t classId) const { return object && classOf(object) == classId; }
    OBJHANDLE root(uint16_t classId) const { return kernel ? GetRootOBJect(window, classId) : 0; }
};

// Store classes with members (bit 0x4000).
inline bool IsListClass(uint16_t classId) { return (classId & CLASSBIT_LIST) != 0; }
