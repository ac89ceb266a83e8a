// KrtGroup: a group of map objects as an automation object: its name and
// parent group, and its members as a KrtObjects collection.
#pragma once

#include "control/automation/map_link.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <string>

class KrtGroup : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtGroup();

    // A new group object for an engine group of the map: the name of a
    // layer group (ordinary groups read an empty name) and its own parent.
    // One reference for the caller.
    static KrtGroup *ForEngineGroup(const MapLink &map, OBJHANDLE group);

    MapLink map;
    OBJHANDLE hObject = 0;
    OBJHANDLE hLayer = 0;
    std::string name; // Windows-1252
    OBJHANDLE parent = 0;

protected:
    ~KrtGroup() override;

private:
    ModuleLock lock_;
};
