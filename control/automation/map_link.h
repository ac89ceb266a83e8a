// The weak reference an automation object keeps to the map it belongs to:
// the control that shows the map, the control's record of it and the
// record's generation. An object that outlives Close or its control finds
// no map through it and answers as when it has none.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <QPointer>
#include <cstdint>

class CMapCtrl;
struct _WNDRES;
struct OBJectKernel;

class MapLink {
public:
    MapLink() = default;
    // Bound to the map the control shows now; unbound for null.
    explicit MapLink(CMapCtrl *control);

    // The control while it lives and still shows the map this link was made
    // for; null otherwise (and for an unbound link).
    CMapCtrl *control() const;
    // The parts of that map; null or 0 when control() is null.
    _WNDRES *record() const;
    HWND window() const;
    OBJectKernel *kernel() const;

    // True once bound, whether or not the map still exists.
    bool bound() const { return record_ != nullptr; }
    explicit operator bool() const { return control() != nullptr; }

private:
    QPointer<CMapCtrl> control_;
    const _WNDRES *record_ = nullptr;
    uint64_t generation_ = 0;
};
