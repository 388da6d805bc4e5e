#pragma once
#include "engine/scene/GeometryNode.h"

// A triangle list: each whole triple of indices is a triangle (a trailing
// partial triple is ignored). Can derive its own normals and tangents.
class Triangles : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    explicit Triangles(const String& name = String()) : GeometryNode(name) {}

    PrimitiveType GetPrimitiveType() const override { return PrimitiveType::TriangleList; }

    // New normals, one per vertex: the sum of the unnormalised face normals
    // (v1 - v0) x (v2 - v0) around it, so larger faces weigh more, then
    // normalised. A vertex no triangle uses (or only degenerate ones) gets
    // zero. Needs indices and vertices; triangles naming a vertex that is
    // not there are skipped.
    void GenerateNormals() override;

    // New tangents along the direction of growing s of texture stage
    // stage, accumulated per vertex like the normals. Needs indices,
    // vertices and two- to four-component coordinates on that stage;
    // triangles whose coordinates span no area add nothing.
    void GenerateTangents(uint32_t stage) override;
};
