#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/Buffer.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/render/DeviceValues.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Node.h"
#include "engine/scene/Vector3Buffer.h"

class GeometryNodeEffect;

// A drawable leaf: vertex attribute buffers, an index list, a bound in model
// space and the effect that draws it. The primitive classes say how the
// indices are read; the renderer draws through the effect's passes, or
// defers the node to the end of the pass when the effect is transparent.
class GeometryNode : public Node
{
    QRE_DECLARE_CLASS

public:
    static constexpr uint32_t kTextureStages = 8;

    explicit GeometryNode(const String& name = String());
    // Lets the effect go (and tells it it has no owner any more).
    ~GeometryNode() override;

    // buffers ---------------------------------------------------------------
    // Each setter replaces the held reference; null removes the buffer.

    Vector3Buffer* GetVertices() const { return vertices.Get(); }
    void SetVertices(Vector3Buffer* buffer) { vertices = buffer; }
    FloatBuffer* GetPointSizes() const { return pointSizes.Get(); }
    void SetPointSizes(FloatBuffer* buffer) { pointSizes = buffer; }
    ColorBuffer* GetColors() const { return colors.Get(); }
    void SetColors(ColorBuffer* buffer) { colors = buffer; }
    Vector3Buffer* GetNormals() const { return normals.Get(); }
    void SetNormals(Vector3Buffer* buffer) { normals = buffer; }
    Vector3Buffer* GetTangents() const { return tangents.Get(); }
    void SetTangents(Vector3Buffer* buffer) { tangents = buffer; }
    IntBuffer* GetIndices() const { return indices.Get(); }
    void SetIndices(IntBuffer* buffer) { indices = buffer; }

    // One coordinate set per texture stage, 0..7; null past the last stage.
    Buffer* GetTextureCoordinates(uint32_t stage) const;
    // 0; 3 for a stage past the last.
    int32_t SetTextureCoordinates(uint32_t stage, Buffer* buffer);

    // True when the device may be handed this geometry: vertices present
    // and no index beyond them. Drawing skips anything else; the device
    // itself refuses a draw past any other stream a pass binds, so a
    // damaged file never sends it reading past a buffer.
    bool IsDrawable() const;

    // effect ----------------------------------------------------------------

    GeometryNodeEffect* GetEffect() const { return effect.Get(); }
    // Replaces the effect and becomes its owner. 0; 3 for an effect that
    // holds this node (a cycle).
    int32_t SetEffect(GeometryNodeEffect* newEffect);

    // model data ------------------------------------------------------------

    // In model space; owned.
    BoundingVolume* GetLocalBound() const { return localBound.Get(); }

    // How the device reads the indices.
    virtual PrimitiveType GetPrimitiveType() const = 0;
    // Nothing here; triangles compute theirs.
    virtual void GenerateNormals() {}
    // Nothing here; triangles compute theirs from texture stage stage.
    virtual void GenerateTangents(uint32_t stage) { (void)stage; }
    // The local bound from the vertices; kept as it was without them.
    virtual void UpdateModelBound();
    // The bound, then normals and tangents (from stage 0) on request.
    virtual void UpdateModelData(bool withNormals, bool withTangents);

    // update and drawing ----------------------------------------------------

    // Controllers, world transform, then the effect's update.
    void UpdateWorldData(double time) override;
    // The local bound carried by the world transform, while the flag is on.
    void UpdateWorldBound() override;
    // Nothing without an enabled effect; a transparent effect defers the
    // node to the renderer's queue; otherwise drawn at once.
    void Draw(Renderer& renderer) override;
    // The immediate drawing: this node becomes the renderer's geometry and
    // is drawn once per pass that applies. Used for deferred nodes.
    virtual void DrawDeferred(Renderer& renderer);

    // objects ---------------------------------------------------------------

    Object* FindByName(const String& searched) override;
    void CollectByType(const RTTI& type, Array<Object*>& found) override;
    bool Holds(const Object* other) const override;

    // streaming: effect, the buffers, the local bound's type
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // Each pass that applies draws the node; lights pushed by a pass are
    // popped after it, whether it drew or not.
    void DrawPasses(Renderer& renderer);

    Ptr<Vector3Buffer> vertices;
    Ptr<FloatBuffer> pointSizes;
    Ptr<ColorBuffer> colors;
    Ptr<Vector3Buffer> normals;
    Ptr<Vector3Buffer> tangents;
    Ptr<Buffer> textureCoordinates[kTextureStages];
    Ptr<IntBuffer> indices;
    Ptr<BoundingVolume> localBound;
    Ptr<GeometryNodeEffect> effect;

private:
    // The buffers in stream order after the effect, for the walks that
    // treat them alike.
    template <typename Visit>
    void ForEachBuffer(Visit visit) const;
};
