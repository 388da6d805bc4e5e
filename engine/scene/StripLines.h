#pragma once
#include "engine/scene/GeometryNode.h"

// The indices form one connected line, each after the first joined to the one before.
class StripLines : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    explicit StripLines(const String& name = String()) : GeometryNode(name) {}

    PrimitiveType GetPrimitiveType() const override { return PrimitiveType::LineStrip; }
};
