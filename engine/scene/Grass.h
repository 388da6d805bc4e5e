#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/Triangles.h"

class Texture;

// A meadow built at load time: copies of one tuft model scattered over the
// triangles of a patch model and merged into one vertex and index buffer,
// so the whole patch draws in one batch. A parameter picture steers the
// scatter: red the tufts per sample (times density), green their size
// (times scale), blue their brightness.
//
// The patch is walked in its texture space: each triangle is cut into k x k
// cells, k = ceil(resolution x its longest texture-space edge); each cell
// samples the picture at its three corners and gets floor(density x red)
// tufts at points inside it chosen by lattice noise. The count depends on
// the picture and the patch only, never on the random generator (which
// turns and tilts the tufts).
class Grass : public Triangles
{
    QRE_DECLARE_CLASS

public:
    // Limits past which the patch counts as damaged rather than grass.
    static constexpr uint32_t kMaxCellsPerEdge = 1024;
    static constexpr uint64_t kMaxCells = uint64_t(16) << 20;
    static constexpr uint64_t kMaxVertices = uint64_t(4) << 20;

    explicit Grass(const String& name = String()) : Triangles(name) {}

    // The three sources (held). Each asks for a new scatter on the next
    // update; 3 (logged) for one that holds this node.
    Triangles* GetGrassModel() const { return grassModel.Get(); }
    int32_t SetGrassModel(Triangles* model);
    Triangles* GetPatchModel() const { return patchModel.Get(); }
    int32_t SetPatchModel(Triangles* model);
    Texture* GetParameterTexture() const { return parameterTexture.Get(); }
    int32_t SetParameterTexture(Texture* texture);

    // The scatter's numbers; each change asks for a new scatter too.
    int32_t GetResolution() const { return resolution; }
    void SetResolution(int32_t value);
    float GetScale() const { return scale; }
    void SetScale(float value);
    float GetAngleJitter() const { return angleJitter; }
    void SetAngleJitter(float value);
    float GetDensity() const { return density; }
    void SetDensity(float value);

    // Tufts written by the last scatter.
    uint32_t GetInstanceCount() const { return instanceCount; }
    bool IsRegenerationPending() const { return regenerate; }

    // Builds the merged mesh now. 0 when built (the count is logged); 1
    // when a source is missing (silently) or unusable, or the patch would
    // be too large (logged); 2 out of memory. The old mesh stays on failure.
    int32_t Generate();

    // Controllers, world transform, effect, then the scatter when asked for.
    void UpdateWorldData(double time) override;

    bool Holds(const Object* other) const override;
    Object* FindByName(const String& searched) override;
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: the Triangles record without the generated buffers (null
    // links), then the grass model, patch model and parameter texture
    // links, then resolution, scale, angleJitter, density. A loaded node
    // holds placeholder buffers until its first update scatters.
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    uint32_t instanceCount = 0;
    uint32_t noiseRow = 0; // the lattice row the tuft positions are read from
    bool regenerate = false;
    Ptr<Triangles> grassModel;
    Ptr<Triangles> patchModel;
    Ptr<Texture> parameterTexture;
    int32_t resolution = 1;
    float scale = 1.0f;
    float angleJitter = 0.0f;
    float density = 1.0f;
};
