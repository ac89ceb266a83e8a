// Internal operation codes of the polygon engine.
#pragma once

enum EngineOperation {
    OP_INTERSECTION = 0,
    OP_UNION = 1,
    OP_EXCLUSIVE_OR = 2,
    OP_A_MINUS_B = 3,
    OP_B_MINUS_A = 4,
    OP_MAKE_RING = 5,
    OP_CORRECTION = 6,
    OP_SMOOTHEN = 12,
};
