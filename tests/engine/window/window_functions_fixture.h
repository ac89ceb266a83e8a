// A map window with a document for the window-level functions: its store,
// roots and first layer, and helpers that put bare objects into layers.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "tests/engine/window/window_fixture.h"

#include <vector>

class WindowFunctionsTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        kernel = rec.kernel;
        layers = GetRootOBJect(window, CLASS_LAYERS);
        groups = GetRootOBJect(window, CLASS_GROUPS);
        selList = GetRootOBJect(window, CLASS_SELLIST);
        ASSERT_NE(layers, 0u);
        layer = GetActiveLayer(kernel, layers);
        aspect = GetActiveAspect(kernel, groups);
        ASSERT_NE(layer, 0u);
        ASSERT_NE(aspect, 0u);
    }

    // A new object of the class in the layer (0: none).
    OBJHANDLE make(uint16_t cls, OBJHANDLE in = 0)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        if (in) {
            EXPECT_NE(InsertLayerRef(kernel, h, in), OBJ_INVALID);
        }
        return h;
    }

    std::vector<OBJHANDLE> children(OBJHANDLE holder, uint16_t id)
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        while (OBJHANDLE h = GetReference(kernel, holder, id, &pos))
            out.push_back(h);
        return out;
    }

    OBJectKernel *kernel = nullptr;
    OBJHANDLE layers = 0;
    OBJHANDLE groups = 0;
    OBJHANDLE selList = 0;
    OBJHANDLE layer = 0;
    OBJHANDLE aspect = 0;
};
