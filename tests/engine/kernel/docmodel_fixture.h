// Fixture of the layer, layer-group, group and selection tests: the
// graphical classes' document in a headless map window, with its first layer
// and active aspect at hand.
#pragma once

#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/selection_list.h"
#include "graph_fixture.h"

#include <string>
#include <vector>

namespace docmodeltest {

using graphtest::WindowMessage;

inline constexpr UINT kNotifyMessage = 0x0400 + 0x222;

class DocModelTest : public graphtest::GraphTest {
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        if (HasFatalFailure())
            return;
        layer0 = layer;
        aspect = GetActiveAspect(kernel, groups);
        ASSERT_NE(aspect, 0u);
    }

    // A polyline with a bound rectangle, on the layer when one is given.
    OBJHANDLE makeObject(OBJHANDLE layer = 0, _COORDRECT rect = {0, 0, 10, 10}, uint16_t cls = CLASS_POLYLINE)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&rect));
        if (layer) {
            EXPECT_NE(InsertLayerRef(kernel, h, layer), OBJ_INVALID);
        }
        return h;
    }

    // A Group under the parent (a group or an aspect) holding the members.
    OBJHANDLE makeGroup(OBJHANDLE parent, std::vector<OBJHANDLE> members)
    {
        const OBJHANDLE g = CreateOBJect(kernel, CLASS_GROUP);
        EXPECT_NE(g, 0u);
        if (parent) {
            EXPECT_EQ(PutInGroup(kernel, g, parent), 1);
        }
        for (OBJHANDLE m : members)
            EXPECT_EQ(PutInGroup(kernel, m, g), 1);
        return g;
    }

    std::vector<OBJHANDLE> targets(OBJHANDLE holder, uint16_t id)
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE t = FirstReference(kernel, holder, id, &pos); t;
             t = GetReference(kernel, holder, id, &pos))
            out.push_back(t);
        return out;
    }

    std::vector<OBJHANDLE> layerOrder() { return targets(layers, REF_LAYER_MEMBER); }
    std::vector<OBJHANDLE> selected() { return targets(selList, REF_SELECTED); }

    uint16_t graphFlags(OBJHANDLE h)
    {
        return uint16_t(SendOBJectMessage(kernel, 0, h, 0, GRM_GETFLAGS, 0xFFFF, 0));
    }

    int32_t number(OBJHANDLE layer) { return LayerNumberNameGet(kernel, layer, nullptr); }

    std::string name(OBJHANDLE layer)
    {
        char buf[LAYER_NAME_SIZE];
        LayerNumberNameGet(kernel, layer, buf);
        return buf;
    }

    OBJHANDLE makePageLayer()
    {
        return CreateLayerOBJect(kernel, layers, PAGE_LAYER_NUMBER, PAGE_LAYER_NAME);
    }

    OBJHANDLE layer0 = 0, aspect = 0;
};

} // namespace docmodeltest
