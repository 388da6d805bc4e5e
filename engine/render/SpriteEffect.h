#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/ColorBuffer.h"

class GeometryNode;
class Renderer;

// Draws screen-facing quads and point sprites (text, particles) with one
// texture through one fixed-function pass without shaders. The geometry is
// already where it is drawn: the world matrix is the identity, view and
// projection come from the current camera. A blended sprite leaves the
// depth buffer as it is, so overlapping sprites do not hide each other.
class SpriteEffect : public GeometryNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit SpriteEffect(const String& name = String());

    // The texture on stage 0 (held; null draws untextured). 3 (refused,
    // logged) when the texture is this effect or holds it.
    BaseTexture* GetTexture() const { return texture.Get(); }
    int32_t SetTexture(BaseTexture* newTexture);

    // The colour of geometry without colours of its own (a font's colour);
    // shows from the next draw on. Not streamed: its owner sets it.
    const Vector4& GetColor() const { return colour; }
    void SetColor(const Vector4& value) { colour = value; }

    // Binds position, point-size, colour and coordinate set 0 streams, the
    // indices and the texture, the identity world and the camera's view and
    // projection. 0, 1 without vertices, 2 when the colour fill cannot be
    // made.
    int32_t BindSprites(Renderer& renderer, GeometryNode& geometry);

    // After BindSprites, for points drawn as sprites: where the device runs
    // vertex programs, one that sizes each sprite from the point-size
    // stream (value x viewport height / depth pixels, as the device scales
    // its own). 0, 2 when the program cannot be made.
    int32_t BindPointSizes(Renderer& renderer);

    bool Holds(const Object* other) const override;
    // The search reaches the texture, so a scene's textures can be found.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: texture link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<BaseTexture> texture;
    Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    Ptr<ColorBuffer> filled; // the colour for geometry without colours
    Vector4 filledWith;      // the colour filled holds
    Ptr<VertexShader> pointSizer; // made on the first sprite of points
};
