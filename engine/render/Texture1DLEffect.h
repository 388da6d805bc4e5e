#pragma once
#include <cstdint>

#include "engine/render/LightSlot.h"
#include "engine/render/TextureEffect.h"

class GeometryNode;
class Light;
class Pass;
class Renderer;
class RenderStateBlock;
class Shader;
class Technique;

// A textured geometry lit by one directional light (Blinn-Phong with the
// effect's material, plus emissive), in the best of three ways the device
// runs: per pixel (vertex and pixel programs 2.0; plain, wind or skinned),
// per vertex (vertex programs 1.1, plain or wind, with fixed-function
// texturing) or with one fixed-function hardware light. Fog and wind follow
// the effect's settings in every program.
class Texture1DLEffect : public TextureEffect
{
    QRE_DECLARE_CLASS

public:
    // The techniques, in the order they are tried.
    enum Lighting : int32_t
    {
        kNotChosen = -1,
        kPixelLit = 0,
        kVertexLit = 1,
        kFixedFunction = 2,
    };

    explicit Texture1DLEffect(const String& name = String());

    // The light (held; null lights with nothing, leaving ambient x 0 and the
    // emissive). 3 (refused, logged) when the light holds this effect.
    Light* GetLight() const { return light.Get(); }
    int32_t SetLight(Light* newLight);

    // Which technique drives the passes; kNotChosen before the first
    // PassCount or when the device runs none.
    Lighting GetLighting() const;

    // The fixed-function technique's bindings: the texture pass's plus the
    // normals and the light (pushed, so the geometry pops it after the
    // draw); no programs.
    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override;

    // What a program pass binds after the renderer began it: streams, the
    // texture, the programs and their constants, the material taken from
    // the pass's state. A pixel program makes it the per-pixel layout, none
    // the per-vertex one; skinned takes the skin controller's buffers and
    // bones. 0, or 1 (pass skipped) without vertices or, when skinned,
    // without bone matrices.
    int32_t BindPrograms(Renderer& renderer, GeometryNode& geometry, const RenderStateBlock& material,
                         Shader* vertexProgram, Shader* pixelProgram, bool skinned);

    bool Holds(const Object* other) const override;

    // streaming: the light link after the texture effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightSlot light;
    // The three lit techniques; the effect's list owns them. Plain.
    Technique* techniques[3] = {nullptr, nullptr, nullptr};
};
