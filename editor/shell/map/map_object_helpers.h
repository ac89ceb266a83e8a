// Shared routines over the control's automation objects: free-standing
// objects made by ProgID, objects added to a map, walks over a map's
// objects, layers or a group's members, text labels, finding a text,
// showing one object, and the tests for the editor's internal and private
// layers and objects. A walk keeps its state in this module: walks of the
// same kind (and the plain and typed object walks) must not be nested.
#pragma once

#include "editor/shell/map/krt_control.h"

IKrtPoint NewKrtPoint();
IKrtPoly NewKrtPoly();
IKrtRect NewKrtRect();
IKrtText NewKrtText();

// Walks; each First starts a new one. None for no map and at the end.
IKrtObject FirstMapObject(const IMap *map);
IKrtObject NextMapObject();
IKrtObject FirstMapLayer(const IMap *map);
IKrtObject NextMapLayer();
IKrtObject FirstGroupMember(const IKrtObject &group);
IKrtObject NextGroupMember();
IKrtObject FirstMapObjectOfType(const IMap *map, int32_t type);
IKrtObject NextMapObjectOfType();
// Releases the walks' state (the program's end; tests).
void ResetMapWalks();

// Adds a poly of at least 2 points on a layer (handle above 0); a poly of
// fewer than 3 points is made a polyline first. The handle, or 0; errors
// of the control are swallowed.
int32_t AddPolyToMap(const IKrtPoly &poly, int32_t layer, const IMap &map);
// Adds any object; with a layer handle above 0 it goes on that layer.
int32_t AddObjectToMap(const KrtDispatch &object, int32_t layer, const IMap &map);
// A new text locked to the map (not added to any map); an empty text
// becomes one blank.
void MakeKrtText(const std::string &text, int32_t x, int32_t y, const TFontSpec *font, int32_t horizontal,
                 int32_t vertical, IKrtText &result);
// A label showing a polyline's or polygon's identifier at the centre of its
// bounds, for the caller to add; none for other objects.
IKrtText MakeObjectLabel(const IKrtObject &object);
// The first text object whose text is exactly the one given.
IKrtObject FindMapText(const std::string &text, const IMap *map);
// Selects only the object, views the selection and zooms out `steps` times.
void ShowMapObject(int32_t handle, const IMap &map, int steps);
// Whether the object's layer (the layer itself for a layer object) is an
// internal one (number above 65535) or a private one (name beginning with
// "_").
bool IsInternalLayer(const IKrtObject &object, const IMap &map);
bool IsPrivateLayer(const IKrtObject &object, const IMap &map);
bool IsPrivateObject(const IKrtObject &object);
