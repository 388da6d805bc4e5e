#pragma once
#include "engine/scene/GeometryNode.h"

// Each pair of indices is a line segment.
class Lines : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    explicit Lines(const String& name = String()) : GeometryNode(name) {}

    PrimitiveType GetPrimitiveType() const override { return PrimitiveType::LineList; }
};
