#include "engine/polygon/engine_polygon.h"

EnginePolygon::~EnginePolygon() noexcept(false)
{
    {
        DL_Iter<LPoint *> iter(&points);
        while (iter.iterate())
            delete iter.item();
    }
}

EnginePolygonList::~EnginePolygonList() noexcept(false)
{
    DL_Iter<EnginePolygon *> iter(this);
    while (iter.iterate())
        delete iter.item();
}

void EnginePolygonList::DeleteAll()
{
    {
        DL_Iter<EnginePolygon *> iter(this);
        while (iter.iterate())
            delete iter.item();
    }
    remove_all();
}
