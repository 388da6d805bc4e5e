#include "tools/scenebuild/Meshes.h"

#include <cmath>
#include <vector>

#include "engine/core/MathUtil.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace
{

// Fills mesh from the collected arrays and derives the rest.
Ptr<Triangles> Finish(const char* name, const std::vector<Vector3>& positions, const std::vector<Vector2>& coordinates,
                      const std::vector<int32_t>& indices)
{
    Ptr<Triangles> mesh = new Triangles(String(name));
    auto* vertices = new Vector3Buffer(static_cast<uint32_t>(positions.size()), new Vector3[positions.size()]);
    std::copy(positions.begin(), positions.end(), vertices->GetElements());
    auto* uv = new Vector2Buffer(static_cast<uint32_t>(coordinates.size()), new Vector2[coordinates.size()]);
    std::copy(coordinates.begin(), coordinates.end(), uv->GetElements());
    auto* list = new IntBuffer(static_cast<uint32_t>(indices.size()), new int32_t[indices.size()]);
    std::copy(indices.begin(), indices.end(), list->GetElements());
    mesh->SetVertices(vertices);
    mesh->SetTextureCoordinates(0, uv);
    mesh->SetIndices(list);
    mesh->UpdateModelData(true, true);
    return mesh;
}

// Two triangles a, b, c and a, c, d of a quad. Corners go so that
// (b - a) x (c - a) points out of the solid: that is the normal normal
// generation computes, and in the engine's left-handed view space the face
// then appears clockwise from outside, the winding drawn as front.
void Quad(std::vector<int32_t>& indices, int32_t a, int32_t b, int32_t c, int32_t d)
{
    indices.insert(indices.end(), {a, b, c, a, c, d});
}

} // namespace

Ptr<Triangles> MakeGround(const char* name, float size, uint32_t cells)
{
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    const uint32_t row = cells + 1;
    for (uint32_t z = 0; z <= cells; ++z)
    {
        for (uint32_t x = 0; x <= cells; ++x)
        {
            positions.emplace_back(size * (static_cast<float>(x) / cells - 0.5f), 0.0f,
                                   size * (static_cast<float>(z) / cells - 0.5f));
            coordinates.emplace_back(static_cast<float>(x), static_cast<float>(z));
        }
    }
    for (uint32_t z = 0; z < cells; ++z)
    {
        for (uint32_t x = 0; x < cells; ++x)
        {
            const auto at = [&](uint32_t i, uint32_t j) { return static_cast<int32_t>(j * row + i); };
            // (+z) x (+x) = +y
            Quad(indices, at(x, z), at(x, z + 1), at(x + 1, z + 1), at(x + 1, z));
        }
    }
    return Finish(name, positions, coordinates, indices);
}

Ptr<Triangles> MakeBox(const char* name, const Vector3& h)
{
    // Each face: its normal and two axes u, v with u x v = normal.
    struct Face
    {
        Vector3 normal, u, v;
    };
    const Face faces[6] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    for (const Face& face : faces)
    {
        const int32_t first = static_cast<int32_t>(positions.size());
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners)
        {
            const Vector3 p = face.normal + face.u * corner[0] + face.v * corner[1];
            positions.push_back(MultiplyComponents(p, h));
            coordinates.emplace_back((corner[0] + 1) * 0.5f, (corner[1] + 1) * 0.5f);
        }
        Quad(indices, first, first + 1, first + 2, first + 3);
    }
    return Finish(name, positions, coordinates, indices);
}

Ptr<Triangles> MakeTube(const char* name, float radius, float length, uint32_t sides, uint32_t rings)
{
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    for (uint32_t r = 0; r <= rings; ++r)
    {
        const float along = static_cast<float>(r) / rings;
        for (uint32_t i = 0; i < sides; ++i)
        {
            const float angle = 2.0f * kPi * static_cast<float>(i) / sides;
            positions.emplace_back(radius * std::cos(angle), length * along, radius * std::sin(angle));
            coordinates.emplace_back(static_cast<float>(i) / sides, along);
        }
    }
    for (uint32_t r = 0; r < rings; ++r)
    {
        for (uint32_t i = 0; i < sides; ++i)
        {
            const auto at = [&](uint32_t ring, uint32_t side) {
                return static_cast<int32_t>(ring * sides + side % sides);
            };
            // Round the tube against the angle, up along it: outwards.
            Quad(indices, at(r, i), at(r + 1, i), at(r + 1, i + 1), at(r, i + 1));
        }
    }
    return Finish(name, positions, coordinates, indices);
}
