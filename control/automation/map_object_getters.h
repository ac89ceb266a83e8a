// The control's properties that hand out the object model: MapObjects,
// MapLayers, Selection, Page, UndoRedo, MapIDs, MapTexts, MapPolygons and
// MapPolylines (dispatch ids 1 to 4 and 13 to 17 of IMap).
#pragma once

#include "platform/automation_dispatch.h"

#include <vector>

std::vector<MemberInfo> MapObjectGetters();

// The members followed by the object getters.
inline std::vector<MemberInfo> WithMapObjectGetters(std::vector<MemberInfo> members)
{
    for (MemberInfo &m : MapObjectGetters())
        members.push_back(std::move(m));
    return members;
}
