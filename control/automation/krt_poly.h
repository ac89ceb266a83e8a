// KrtPoly: a polyline or polygon as an automation object, its points in an
// embedded KrtPoints list. Free-standing until added to a map.
#pragma once

#include "control/automation/krt_points.h"
#include "control/automation/map_link.h"

class KrtPoly : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtPoly();

    MapLink map;
    OBJHANDLE hObject = 0;
    OBJHANDLE hLayer = 0;
    bool isPolyline = true;
    // The embedded point list; a reference handed out keeps the list (not
    // the poly) alive.
    KrtPoints &points() { return *points_.get(); }
    const KrtPoints &points() const { return *points_.get(); }
    KrtPoints *pointsObject() { return points_.get(); }

protected:
    ~KrtPoly() override;

private:
    ComPtr<KrtPoints> points_;
    ModuleLock lock_;
};
