// The map object model: KrtObject, a view of one engine object named by its
// handle, and KrtObjects, a view of one set of engine objects (all objects,
// the selection, the layers, a group's or a layer's members, the objects
// with identifiers, the texts, the polygons, the polylines) that counts,
// finds, enumerates, adds, removes, narrows and dumps them. Both keep a weak
// reference to their map: once the map is closed or its control gone they
// answer 0, null or empty values and change nothing.
#pragma once

#include "control/automation/map_link.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_enum.h"
#include "platform/automation_server.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct PresentationManager;

class KrtObject : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    // Made by the class factory: no map, handle 0.
    KrtObject();
    KrtObject(const MapLink &map, OBJHANDLE handle);

    const MapLink &map() const { return map_; }
    OBJHANDLE handle = 0;

    void SetSelected(bool selected);
    // Moves the object into group G (see the member's rules).
    void SetGroup(OBJHANDLE group);
    void SetLength(double length);
    // The object's bounding rectangle as a new KrtRect; null without a map.
    IDispatch *BoundingRectangle() const;

    // A display length in the view's length unit as map units.
    static double LengthToMapUnits(const PresentationManager *view, double value);

protected:
    ~KrtObject() override;

private:
    MapLink map_;
    ModuleLock lock_;
};

// The handles a collection shows once it is fixed; shared by the collection
// and its enumerators.
using HandleSnapshot = std::vector<OBJHANDLE>;

class KrtObjects : public DispatchObject {
public:
    enum Kind : int32_t {
        kAllObjects = 0,
        kSelection = 1,
        kLayers = 2,
        kGroupMembers = 3,
        kLayerMembers = 4,
        kIdentified = 5,
        kTexts = 6,
        kPolygons = 7,
        kPolylines = 8,
    };

    static std::shared_ptr<const MemberTable> Table();
    // Made by the class factory: no map, kind 0.
    KrtObjects();
    KrtObjects(CMapCtrl *control, int32_t kind, OBJHANDLE group = 0, OBJHANDLE layer = 0);
    KrtObjects(const MapLink &map, int32_t kind, OBJHANDLE group = 0, OBJHANDLE layer = 0);

    int32_t kind() const { return kind_; }
    const MapLink &map() const { return map_; }
    int32_t Count();
    IDispatch *BoundingRectangle() const;
    int32_t Add(IDispatch *object);
    int32_t Remove(const VARIANT &key);
    // The text dump; nothing when its buffer cannot be had.
    std::optional<std::u16string> ToString();
    // Narrows this collection to the objects found in the rectangle.
    bool Narrow(const MAP_COORDRECT &rect, bool enclosed);
    // The engine handle a key names (0 for none).
    OBJHANDLE ResolveKey(const VARIANT &key) const;
    IDispatch *Item(const VARIANT &key) const;
    void SetItem(const VARIANT &key, IDispatch *object);
    IEnumVARIANT *NewEnum();
    // The snapshot, made now when there is none yet (empty without a map).
    const std::shared_ptr<HandleSnapshot> &Snapshot();

protected:
    ~KrtObjects() override;

private:
    void BuildSnapshot(HandleSnapshot &out) const;
    int32_t LiveCount() const;
    int32_t LinkIntoGroup(IDispatch *object);

    MapLink map_;
    int32_t kind_ = kAllObjects;
    OBJHANDLE group_ = 0;
    OBJHANDLE layer_ = 0;
    std::shared_ptr<HandleSnapshot> snapshot_;
    ModuleLock lock_;
};

// The enumerator of a collection: walks the snapshot, one new KrtObject per
// entry.
class ObjectEnumerator : public ComObject<IEnumVARIANT> {
public:
    ObjectEnumerator(const MapLink &map, int32_t kind, std::shared_ptr<HandleSnapshot> snapshot,
                     size_t position = 0);

    HRESULT Next(ULONG count, VARIANT *items, ULONG *fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumVARIANT **out) override;

protected:
    ~ObjectEnumerator() override;

private:
    MapLink map_;
    int32_t kind_;
    std::shared_ptr<HandleSnapshot> snapshot_;
    size_t position_;
    ModuleLock lock_;
};

KrtObject *AsKrtObject(IDispatch *object);
KrtObjects *AsKrtObjects(IDispatch *object);

// Registers the object model's classes with the library (called once while
// the library registers its classes) and their member tables for the type
// library.
void AddObjectModelClasses(ServerModule &module, std::vector<const MemberTable *> &typeLibClasses);
