#pragma once
#include <cstdint>

#include "engine/scene/ParticleSystem.h"

// Draws its particles as point sprites where the renderer has them, else as
// quads facing the current camera (six vertices each). The buffers are
// sized once for maxParticles and rewritten in place every update. A new
// system draws with a SpriteEffect.
class SpriteParticleSystem : public ParticleSystem
{
    QRE_DECLARE_CLASS

public:
    explicit SpriteParticleSystem(const String& name = String());

    // Points or triangles, as the buffers were sized.
    PrimitiveType GetPrimitiveType() const override;
    // Points drawn, or twice the quads drawn, by the last update.
    uint32_t GetPrimitiveCount() const { return primitiveCount; }

    // The particle update, then the buffers from the live particles (quads
    // only with a current camera).
    void UpdateWorldData(double time) override;
    // The sphere around the vertices written (already in world space).
    void UpdateWorldBound() override;
    void Draw(Renderer& renderer) override;
    void DrawDeferred(Renderer& renderer) override;

    // Point sprites: vertices, coordinate set 0, point sizes and colours of
    // maxParticles elements; quads: vertices, colours and set 0 of six per
    // particle, the coordinates filled once. 0; 2 when memory runs out
    // (logged, no buffers).
    int32_t AllocateBuffers() override;

protected:
    // True when the renderer (if any) draws point sprites.
    static bool RendererHasPointSprites();
    // Sizes the buffers again when the renderer's kind of sprite changed.
    void MatchRenderer();
    // The live particles into the buffers, in list order.
    void WriteSprites();

    uint32_t primitiveCount = 0;
    bool pointMode = false; // the kind of sprite the buffers were sized for
};
