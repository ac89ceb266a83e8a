// What the automation classes of this library share: telling their objects
// from those of other libraries, and making the KrtObjects collections that
// some of them hand out (served by the object model, which sets the maker).
#pragma once

#include "control/automation/map_link.h"
#include "platform/automation_dispatch.h"

#include <memory>

// The member table of one of this library's classes. Objects whose table
// was made here count as this library's (IsLibraryObject).
std::shared_ptr<const MemberTable> LibraryTable(ClassInfo info);

// True for an object of any of this library's classes; false for null and
// for objects of other libraries.
bool IsLibraryObject(IDispatch *object);

// The object behind a dispatch pointer when it is this library's object of
// class T; null for null, foreign objects and this library's other classes.
template <class T>
T *LibraryObjectAs(IDispatch *object)
{
    return object ? dynamic_cast<T *>(object) : nullptr;
}

// Kinds of KrtObjects collections made for a group or a layer.
inline constexpr int kCollectionOfGroup = 3;
inline constexpr int kCollectionOfLayer = 4;

// Makes a new KrtObjects collection of a kind over the map (the handle is
// the group of kind 3 or the layer of kind 4); one reference for the caller,
// null when it cannot be made.
using CollectionMaker = IDispatch *(*)(const MapLink &map, int kind, OBJHANDLE handle);
void SetCollectionMaker(CollectionMaker maker);
// Null while no maker is set.
IDispatch *MakeCollection(const MapLink &map, int kind, OBJHANDLE handle);
