#include "engine/scene/Grass.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Stream.h"
#include "engine/image/Image.h"
#include "engine/render/Texture.h"
#include "engine/scene/BufferOf.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(Grass, Triangles)

namespace
{

constexpr float kTwoPi = 6.2831855f;
constexpr Vector3 kUp{0.0f, 1.0f, 0.0f};

// The picture's first three channels at texture coordinates t, wrapped
// into 0..1 and clamped into the picture (a coordinate just below 0 wraps
// to 1.0 in floats), each from 0 to 1.
Vector3 SamplePixel(const Image& image, const Vector2& t)
{
    const auto pick = [](float coordinate, uint32_t size) {
        const float fraction = coordinate - std::floor(coordinate);
        const float scaled = fraction * static_cast<float>(size);
        const uint32_t whole = scaled > 0.0f ? static_cast<uint32_t>(scaled) : 0u;
        return std::min(whole, size - 1);
    };
    const uint32_t column = pick(t.x, image.GetWidth());
    const uint32_t row = pick(t.y, image.GetHeight());
    const uint8_t* pixel = image.GetData() + (static_cast<size_t>(row) * image.GetWidth() + column) * 3;
    return {pixel[0] / 255.0f, pixel[1] / 255.0f, pixel[2] / 255.0f};
}

// A triangle's texture-space corners blended by barycentric weights.
Vector2 Blend(const Vector2 (&t)[3], float w1, float w2)
{
    const float w0 = 1.0f - w1 - w2;
    return {t[0].x * w0 + t[1].x * w1 + t[2].x * w2, t[0].y * w0 + t[1].y * w1 + t[2].y * w2};
}

Vector3 Blend(const Vector3 (&p)[3], float w1, float w2)
{
    const float w0 = 1.0f - w1 - w2;
    return p[0] * w0 + p[1] * w1 + p[2] * w2;
}

// The cells of one triangle: k x k of them, "upright" cells at (i, j) for
// i + j < k and "inverted" ones for i + j < k - 1; visit gets each cell's
// three corners as barycentric (w1, w2) pairs.
template <typename Visit>
void ForEachCell(uint32_t k, Visit&& visit)
{
    const float step = 1.0f / static_cast<float>(k);
    for (uint32_t i = 0; i < k; ++i)
    {
        for (uint32_t j = 0; i + j < k; ++j)
        {
            const float a = static_cast<float>(i) * step;
            const float b = static_cast<float>(j) * step;
            const float corners[3][2] = {{a, b}, {a + step, b}, {a, b + step}};
            visit(corners);
            if (i + j + 1 < k)
            {
                const float inverted[3][2] = {{a + step, b}, {a + step, b + step}, {a, b + step}};
                visit(inverted);
            }
        }
    }
}

// The usable parts of a mesh: positions, normals, indices and the named
// coordinate sets, all checked against one another.
struct MeshView
{
    const Vector3* positions = nullptr;
    const Vector3* normals = nullptr;
    const int32_t* indices = nullptr;
    const Vector2* coordinates[2] = {};
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
};

enum class MeshCheck
{
    Usable,
    Missing,  // a part is absent: nothing to scatter, silently
    Damaged,  // parts disagree: logged
};

MeshCheck ViewMesh(const Triangles& mesh, uint32_t coordinateSets, MeshView& view)
{
    const Vector3Buffer* positions = mesh.GetVertices();
    const Vector3Buffer* normals = mesh.GetNormals();
    const IntBuffer* indices = mesh.GetIndices();
    if (!positions || !normals || !indices || positions->GetCount() == 0 || indices->GetCount() < 3)
        return MeshCheck::Missing;
    view.vertexCount = positions->GetCount();
    view.indexCount = indices->GetCount() / 3 * 3;
    if (normals->GetCount() != view.vertexCount)
        return MeshCheck::Damaged;
    for (uint32_t set = 0; set < coordinateSets; ++set)
    {
        Buffer* buffer = mesh.GetTextureCoordinates(set);
        if (!buffer)
            return MeshCheck::Missing;
        if (!buffer->IsDerived(Vector2Buffer::TYPE) || buffer->GetCount() != view.vertexCount)
            return MeshCheck::Damaged;
        view.coordinates[set] = static_cast<const Vector2Buffer*>(buffer)->GetElements();
    }
    view.positions = positions->GetElements();
    view.normals = normals->GetElements();
    view.indices = indices->GetElements();
    for (uint32_t i = 0; i < view.indexCount; ++i)
        if (view.indices[i] < 0 || static_cast<uint32_t>(view.indices[i]) >= view.vertexCount)
            return MeshCheck::Damaged;
    return MeshCheck::Usable;
}

// Cells along a triangle's edges: resolution per unit of texture space on
// its longest edge, at least one.
uint32_t CellsPerEdge(const Vector2 (&t)[3], int32_t resolution)
{
    float longest = 0.0f;
    for (int e = 0; e < 3; ++e)
    {
        const Vector2& a = t[e];
        const Vector2& b = t[(e + 1) % 3];
        longest = std::max(longest, std::hypot(b.x - a.x, b.y - a.y));
    }
    const double cells = std::ceil(static_cast<double>(resolution) * static_cast<double>(longest));
    if (!(cells >= 1.0))
        return 1;
    return cells > Grass::kMaxCellsPerEdge ? Grass::kMaxCellsPerEdge + 1 : static_cast<uint32_t>(cells);
}

// One cell's picture value: its three corners sampled and averaged.
Vector3 SampleCell(const Image& image, const Vector2 (&t)[3], const float (&cell)[3][2])
{
    Vector3 sum;
    for (const auto& corner : cell)
        sum += SamplePixel(image, Blend(t, corner[0], corner[1]));
    return sum * (1.0f / 3.0f);
}

uint32_t TuftsOf(const Vector3& p, float density)
{
    const double tufts = std::floor(static_cast<double>(density) * static_cast<double>(p.x));
    return tufts > 0.0 ? static_cast<uint32_t>(std::min(tufts, 4294967295.0)) : 0u;
}

} // namespace

int32_t Grass::SetGrassModel(Triangles* model)
{
    if (model && (model == this || model->Holds(this)))
    {
        LogError("Модель травы уже содержит этот узел. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    grassModel = model;
    regenerate = true;
    return 0;
}

int32_t Grass::SetPatchModel(Triangles* model)
{
    if (model && (model == this || model->Holds(this)))
    {
        LogError("Модель площадки травы уже содержит этот узел. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    patchModel = model;
    regenerate = true;
    return 0;
}

int32_t Grass::SetParameterTexture(Texture* texture)
{
    if (texture && texture->Holds(this))
    {
        LogError("Текстура параметров уже содержит этот узел. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    parameterTexture = texture;
    regenerate = true;
    return 0;
}

void Grass::SetResolution(int32_t value)
{
    resolution = value;
    regenerate = true;
}

void Grass::SetScale(float value)
{
    scale = value;
    regenerate = true;
}

void Grass::SetAngleJitter(float value)
{
    angleJitter = value;
    regenerate = true;
}

void Grass::SetDensity(float value)
{
    density = value;
    regenerate = true;
}

int32_t Grass::Generate()
{
    if (!grassModel || !patchModel || !parameterTexture)
        return 1;
    const Image* image = parameterTexture->GetImage();
    if (!image || image->GetFormat() != Image::kPixel24 || !image->GetData() || image->GetWidth() == 0 ||
        image->GetHeight() == 0)
        return 1;
    MeshView patch, tuft;
    const MeshCheck patchCheck = ViewMesh(*patchModel, 1, patch);
    const MeshCheck tuftCheck = ViewMesh(*grassModel, 2, tuft);
    if (patchCheck == MeshCheck::Missing || tuftCheck == MeshCheck::Missing)
        return 1;
    if (patchCheck == MeshCheck::Damaged || tuftCheck == MeshCheck::Damaged)
    {
        LogWarning("Модели травы и площадки не согласованы: трава не создана. Имя[%s] ID[%d]", GetName().CStr(),
                   GetID());
        return 1;
    }
    if (resolution < 1 || !std::isfinite(density) || density < 0.0f || !std::isfinite(scale) ||
        !std::isfinite(angleJitter))
    {
        LogWarning("Неверные параметры травы (разрешение [%d], плотность [%f]): трава не создана. Имя[%s] ID[%d]",
                   resolution, static_cast<double>(density), GetName().CStr(), GetID());
        return 1;
    }

    // First walk: count, so the limits hold before anything is allocated.
    const auto corners = [&](uint32_t triangle, Vector2 (&t)[3]) {
        for (int c = 0; c < 3; ++c)
            t[c] = patch.coordinates[0][patch.indices[triangle * 3 + static_cast<uint32_t>(c)]];
    };
    const uint32_t triangles = patch.indexCount / 3;
    uint64_t cells = 0;
    for (uint32_t triangle = 0; triangle < triangles; ++triangle)
    {
        Vector2 t[3];
        corners(triangle, t);
        const uint64_t k = CellsPerEdge(t, resolution);
        cells += k > kMaxCellsPerEdge ? kMaxCells + 1 : k * k;
    }
    uint64_t tufts = 0;
    if (cells <= kMaxCells)
    {
        for (uint32_t triangle = 0; triangle < triangles; ++triangle)
        {
            Vector2 t[3];
            corners(triangle, t);
            ForEachCell(CellsPerEdge(t, resolution),
                        [&](const float(&cell)[3][2]) { tufts += TuftsOf(SampleCell(*image, t, cell), density); });
        }
    }
    if (cells > kMaxCells || tufts * tuft.vertexCount > kMaxVertices || tufts * tuft.indexCount > 3 * kMaxVertices)
    {
        LogWarning("Слишком много травы (ячеек [%llu], пучков [%llu]): трава не создана. Имя[%s] ID[%d]",
                   static_cast<unsigned long long>(cells), static_cast<unsigned long long>(tufts), GetName().CStr(),
                   GetID());
        return 1;
    }

    const uint32_t vertexTotal = static_cast<uint32_t>(tufts * tuft.vertexCount);
    const uint32_t indexTotal = static_cast<uint32_t>(tufts * tuft.indexCount);
    Ptr<Vector3Buffer> newPositions = CreateBuffer<Vector3Buffer>(vertexTotal);
    Ptr<Vector3Buffer> newNormals = CreateBuffer<Vector3Buffer>(vertexTotal);
    Ptr<ColorBuffer> newColors = CreateBuffer<ColorBuffer>(vertexTotal);
    Ptr<Vector2Buffer> newSets[2] = {CreateBuffer<Vector2Buffer>(vertexTotal), CreateBuffer<Vector2Buffer>(vertexTotal)};
    Ptr<IntBuffer> newIndices = CreateBuffer<IntBuffer>(indexTotal);
    if (!newPositions || !newNormals || !newColors || !newSets[0] || !newSets[1] || !newIndices)
    {
        LogError("Недостаточно памяти для травы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }

    // Second walk: place the tufts.
    instanceCount = 0;
    Vector3* positions = newPositions->GetElements();
    Vector3* normalsOut = newNormals->GetElements();
    Vector4* colorsOut = newColors->GetElements();
    int32_t* indicesOut = newIndices->GetElements();
    for (uint32_t triangle = 0; triangle < triangles; ++triangle)
    {
        Vector2 t[3];
        Vector3 p[3], n[3];
        corners(triangle, t);
        for (int c = 0; c < 3; ++c)
        {
            const int32_t index = patch.indices[triangle * 3 + static_cast<uint32_t>(c)];
            p[c] = patch.positions[index];
            n[c] = patch.normals[index];
        }
        ForEachCell(CellsPerEdge(t, resolution), [&](const float(&cell)[3][2]) {
            const Vector3 sample = SampleCell(*image, t, cell);
            const uint32_t count = TuftsOf(sample, density);
            for (uint32_t copy = 0; copy < count; ++copy)
            {
                // Where in the cell: lattice noise, so the same patch gives
                // the same meadow whatever the random generator says.
                float w[3];
                float sum = 0.0f;
                for (int c = 0; c < 3; ++c)
                {
                    const float value = IntNoise(static_cast<int32_t>(instanceCount), static_cast<int32_t>(noiseRow + 1), c);
                    w[c] = std::clamp((value + 1.0f) * 0.5f, 0.0f, 1.0f);
                    sum += w[c];
                }
                if (sum <= 0.0f)
                    w[0] = w[1] = w[2] = sum = 1.0f;
                float w1 = 0.0f, w2 = 0.0f;
                for (int c = 0; c < 3; ++c)
                {
                    w1 += w[c] / sum * cell[c][0];
                    w2 += w[c] / sum * cell[c][1];
                }
                const Vector3 base = Blend(p, w1, w2);
                Vector3 normal = Blend(n, w1, w2);
                if (normal.Normalize() <= 0.0f)
                    normal = kUp;

                // Turned about its own up, then tilted from up onto the
                // surface normal, give or take the jitter.
                Vector3 axis = normal.Cross(kUp);
                if (axis.Normalize() <= 0.0f)
                    axis = Vector3(1.0f, 0.0f, 0.0f);
                const float tilt = std::acos(std::clamp(normal.Dot(kUp), -1.0f, 1.0f)) +
                                   (2.0f * RandomUnit() - 1.0f) * angleJitter;
                const Quaternion turn = Quaternion::FromAxisAngle(kUp, RandomUnit() * kTwoPi) *
                                        Quaternion::FromAxisAngle(axis, tilt);
                const float size = scale * sample.y;
                const Vector4 colour(sample.z, sample.z, sample.z, 1.0f);

                const uint32_t first = instanceCount * tuft.vertexCount;
                for (uint32_t i = 0; i < tuft.vertexCount; ++i)
                {
                    positions[first + i] = base + turn.Rotate(tuft.positions[i] * size);
                    normalsOut[first + i] = turn.Rotate(tuft.normals[i]);
                    colorsOut[first + i] = colour;
                    for (int set = 0; set < 2; ++set)
                        newSets[set]->GetElements()[first + i] = tuft.coordinates[set][i];
                }
                int32_t* indexOut = indicesOut + static_cast<size_t>(instanceCount) * tuft.indexCount;
                for (uint32_t j = 0; j < tuft.indexCount; ++j)
                    indexOut[j] = tuft.indices[j] + static_cast<int32_t>(first);
                ++instanceCount;
            }
        });
    }

    vertices = newPositions;
    normals = newNormals;
    colors = newColors;
    indices = newIndices;
    tangents = nullptr;
    for (uint32_t set = 0; set < kTextureStages; ++set)
        textureCoordinates[set] = set < 2 ? Ptr<Buffer>(newSets[set].Get()) : nullptr;
    UpdateModelBound();
    LogInfo("NODE[%s] GRASS COUNT [%d]", GetName().CStr(), static_cast<int32_t>(instanceCount));
    return 0;
}

void Grass::UpdateWorldData(double time)
{
    Triangles::UpdateWorldData(time);
    if (regenerate)
    {
        Generate();
        regenerate = false;
    }
}

bool Grass::Holds(const Object* other) const
{
    if (Triangles::Holds(other))
        return true;
    const Object* links[] = {grassModel.Get(), patchModel.Get(), parameterTexture.Get()};
    for (const Object* link : links)
        if (link && (link == other || link->Holds(other)))
            return true;
    return false;
}

Object* Grass::FindByName(const String& searched)
{
    if (Object* found = Triangles::FindByName(searched))
        return found;
    Object* links[] = {grassModel.Get(), patchModel.Get(), parameterTexture.Get()};
    for (Object* link : links)
        if (Object* found = link ? link->FindByName(searched) : nullptr)
            return found;
    return nullptr;
}

void Grass::CollectByType(const RTTI& type, Array<Object*>& found)
{
    Triangles::CollectByType(type, found);
    Object* links[] = {grassModel.Get(), patchModel.Get(), parameterTexture.Get()};
    for (Object* link : links)
        if (link)
            link->CollectByType(type, found);
}

int32_t Grass::Save(Stream& stream)
{
    // The merged mesh is rebuilt from the sources on load: the record holds
    // null links in its places.
    Ptr<Vector3Buffer> keptVertices = vertices;
    Ptr<ColorBuffer> keptColors = colors;
    Ptr<IntBuffer> keptIndices = indices;
    Ptr<Vector3Buffer> keptNormals = normals;
    Ptr<Vector3Buffer> keptTangents = tangents;
    Ptr<Buffer> keptSets[kTextureStages];
    for (uint32_t set = 0; set < kTextureStages; ++set)
    {
        keptSets[set] = textureCoordinates[set];
        textureCoordinates[set] = nullptr;
    }
    vertices = nullptr;
    colors = nullptr;
    indices = nullptr;
    normals = nullptr;
    tangents = nullptr;
    const int32_t base = Triangles::Save(stream);
    vertices = keptVertices;
    colors = keptColors;
    indices = keptIndices;
    normals = keptNormals;
    tangents = keptTangents;
    for (uint32_t set = 0; set < kTextureStages; ++set)
        textureCoordinates[set] = keptSets[set];
    if (base != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(grassModel.Get()) != 0 || stream.WriteLink(patchModel.Get()) != 0 ||
        stream.WriteLink(parameterTexture.Get()) != 0)
    {
        LogError("Невозможно сохранить ссылки травы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(resolution) != 0 || stream.WriteFloat(scale) != 0 || stream.WriteFloat(angleJitter) != 0 ||
        stream.WriteFloat(density) != 0)
    {
        LogError("Невозможно сохранить данные флара. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Grass::Load(Stream& stream)
{
    if (Triangles::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* links[3] = {};
    const char* failures[3] = {"Невозможно загрузить модель травы. ID[%d] Имя[%s]",
                               "Невозможно загрузить модель площадки травы. ID[%d] Имя[%s]",
                               "Невозможно загрузить текстуру параметров. ID[%d] Имя[%s]"};
    for (int i = 0; i < 3; ++i)
    {
        if (stream.ReadLink(links[i]) != 0)
        {
            LogError(failures[i], GetID(), GetName().CStr());
            return 1;
        }
    }
    if (stream.ReadInt32(resolution) != 0 || stream.ReadFloat(scale) != 0 || stream.ReadFloat(angleJitter) != 0 ||
        stream.ReadFloat(density) != 0)
    {
        LogError("Невозможно загрузить данные флара. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    // Another class in a link's place counts as missing.
    const auto mesh = [&](int i) {
        if (links[i] && !links[i]->IsDerived(Triangles::TYPE))
            LogWarning("Ссылка травы [%d] указывает на объект другого класса. Имя[%s] ID[%d]", i, GetName().CStr(),
                       GetID());
        return links[i] && links[i]->IsDerived(Triangles::TYPE) ? static_cast<Triangles*>(links[i]) : nullptr;
    };
    if (links[2] && !links[2]->IsDerived(Texture::TYPE))
        LogWarning("Ссылка травы [%d] указывает на объект другого класса. Имя[%s] ID[%d]", 2, GetName().CStr(),
                   GetID());
    if (SetGrassModel(mesh(0)) != 0 || SetPatchModel(mesh(1)) != 0 ||
        SetParameterTexture(links[2] && links[2]->IsDerived(Texture::TYPE) ? static_cast<Texture*>(links[2])
                                                                           : nullptr) != 0)
        return 1;

    // Placeholders until the first update scatters.
    vertices = CreateBuffer<Vector3Buffer>(3);
    indices = CreateBuffer<IntBuffer>(1);
    if (!vertices || !indices)
    {
        LogError("Недостаточно памяти для травы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    indices->GetElements()[0] = 0;
    regenerate = true;
    return 0;
}
