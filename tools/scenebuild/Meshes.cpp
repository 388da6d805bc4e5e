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

Ptr<Triangles> MakeBox(const char* name, const Vector3& halfExtents, float span)
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
    const Vector3 up(0, 1, 0);
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    for (const Face& face : faces)
    {
        // Texture axes as seen from outside: u to the right (normal x up),
        // v down the wall, so a picture stands upright and unmirrored on
        // every side; the top and bottom take x and z.
        const bool flat = face.normal.y != 0.0f;
        const Vector3 across = flat ? Vector3(1, 0, 0) : face.normal.Cross(up);
        const Vector3 down = flat ? Vector3(0, 0, face.normal.y) : Vector3(0, -1, 0);
        const int32_t first = static_cast<int32_t>(positions.size());
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners)
        {
            const Vector3 p = MultiplyComponents(face.normal + face.u * corner[0] + face.v * corner[1], halfExtents);
            positions.push_back(p);
            coordinates.emplace_back(p.Dot(across) / span, p.Dot(down) / span);
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
    // The seam has two columns, u = 0 and u = 1, so a texture runs once
    // round without the last quad sweeping back across it.
    const uint32_t columns = sides + 1;
    for (uint32_t r = 0; r <= rings; ++r)
    {
        const float along = static_cast<float>(r) / rings;
        for (uint32_t i = 0; i < columns; ++i)
        {
            const float angle = 2.0f * kPi * static_cast<float>(i % sides) / sides;
            positions.emplace_back(radius * std::cos(angle), length * along, radius * std::sin(angle));
            coordinates.emplace_back(static_cast<float>(i) / sides, along);
        }
    }
    for (uint32_t r = 0; r < rings; ++r)
    {
        for (uint32_t i = 0; i < sides; ++i)
        {
            const auto at = [&](uint32_t ring, uint32_t column) { return static_cast<int32_t>(ring * columns + column); };
            // Round the tube against the angle, up along it: outwards.
            Quad(indices, at(r, i), at(r + 1, i), at(r + 1, i + 1), at(r, i + 1));
        }
    }
    Ptr<Triangles> tube = Finish(name, positions, coordinates, indices);
    // Generated normals and tangents would see only one side of each seam
    // vertex and lean; the exact ones of a cylinder are known.
    Vector3* normals = tube->GetNormals() ? tube->GetNormals()->GetElements() : nullptr;
    Vector3* tangents = tube->GetTangents() ? tube->GetTangents()->GetElements() : nullptr;
    for (uint32_t v = 0; v < positions.size(); ++v)
    {
        const float angle = 2.0f * kPi * static_cast<float>(v % columns % sides) / sides;
        if (normals)
            normals[v] = Vector3(std::cos(angle), 0.0f, std::sin(angle));
        if (tangents)
            tangents[v] = Vector3(-std::sin(angle), 0.0f, std::cos(angle));
    }
    return tube;
}

Ptr<Triangles> MakeSphere(const char* name, float radius, uint32_t slices, uint32_t stacks)
{
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    const int32_t row = static_cast<int32_t>(slices + 1);
    for (uint32_t j = 0; j <= stacks; ++j)
    {
        const float polar = kPi * static_cast<float>(j) / static_cast<float>(stacks);
        for (uint32_t i = 0; i <= slices; ++i)
        {
            const float around = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(slices);
            positions.emplace_back(radius * std::sin(polar) * std::cos(around), radius * std::cos(polar),
                                   radius * std::sin(polar) * std::sin(around));
            coordinates.emplace_back(static_cast<float>(i) / static_cast<float>(slices),
                                     static_cast<float>(j) / static_cast<float>(stacks));
        }
    }
    for (int32_t j = 0; j < static_cast<int32_t>(stacks); ++j)
        for (int32_t i = 0; i < static_cast<int32_t>(slices); ++i)
            Quad(indices, j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i);
    return Finish(name, positions, coordinates, indices);
}

Ptr<Triangles> MakeGrassTuft(const char* name)
{
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates, weights;
    std::vector<int32_t> indices;
    constexpr float kHalfWidth = 0.05f, kLean = 0.12f;
    for (int blade = 0; blade < 3; ++blade)
    {
        const float turn = kPi / 3.0f * static_cast<float>(blade);
        const Vector3 across(std::cos(turn), 0.0f, std::sin(turn));
        const Vector3 out(-across.z, 0.0f, across.x);
        const int32_t first = static_cast<int32_t>(positions.size());
        // Root left, root right, tip right, tip left (narrower at the tip).
        positions.push_back(across * -kHalfWidth);
        positions.push_back(across * kHalfWidth);
        positions.push_back(across * (kHalfWidth * 0.3f) + out * kLean + Vector3(0, 1, 0));
        positions.push_back(across * (-kHalfWidth * 0.3f) + out * kLean + Vector3(0, 1, 0));
        coordinates.insert(coordinates.end(), {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
        weights.insert(weights.end(), {{0, 0}, {0, 0}, {1, 0}, {1, 0}});
        Quad(indices, first, first + 1, first + 2, first + 3);
    }
    Ptr<Triangles> tuft = Finish(name, positions, coordinates, indices);
    auto* sway = new Vector2Buffer(static_cast<uint32_t>(weights.size()), new Vector2[weights.size()]);
    std::copy(weights.begin(), weights.end(), sway->GetElements());
    tuft->SetTextureCoordinates(1, sway);
    // Blades stand up: lit like the ground they grow from.
    for (uint32_t i = 0; i < tuft->GetNormals()->GetCount(); ++i)
        (*tuft->GetNormals())[i] = Vector3(0, 1, 0);
    return tuft;
}

Ptr<Triangles> MakeGrassPatch(const char* name, float width, float depth, uint32_t cells)
{
    std::vector<Vector3> positions;
    std::vector<Vector2> coordinates;
    std::vector<int32_t> indices;
    const int32_t row = static_cast<int32_t>(cells + 1);
    for (uint32_t z = 0; z <= cells; ++z)
    {
        for (uint32_t x = 0; x <= cells; ++x)
        {
            const float u = static_cast<float>(x) / static_cast<float>(cells);
            const float v = static_cast<float>(z) / static_cast<float>(cells);
            positions.emplace_back(width * (u - 0.5f), 0.0f, depth * (v - 0.5f));
            coordinates.emplace_back(u, v);
        }
    }
    for (int32_t z = 0; z < static_cast<int32_t>(cells); ++z)
        for (int32_t x = 0; x < static_cast<int32_t>(cells); ++x)
            Quad(indices, z * row + x, (z + 1) * row + x, (z + 1) * row + x + 1, z * row + x + 1);
    return Finish(name, positions, coordinates, indices);
}
