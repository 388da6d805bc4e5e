#pragma once
#include "engine/render/Pass.h"

// A pass that binds nothing beyond its state block: the shadow map's passes
// bind their streams, programs and constants themselves, draw by draw, and
// a scene-node pass that only lets the node draw its children needs no
// more.
class StatePass : public Pass
{
public:
    explicit StatePass(const String& name = String()) : Pass(name) {}

    // 0: draw.
    int32_t Apply() override { return 0; }
};
