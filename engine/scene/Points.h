#pragma once
#include "engine/scene/GeometryNode.h"

// Each index is a point (particle systems draw as points too).
class Points : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    explicit Points(const String& name = String()) : GeometryNode(name) {}

    PrimitiveType GetPrimitiveType() const override { return PrimitiveType::PointList; }
};
