#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/SceneNodeEffect.h"

class Pass;
class Renderer;
class Texture;
class Triangles;

// A scene-node effect for the scene's root that wraps the drawing of the
// whole picture. This one gives the cinema view: with film set the scene is
// drawn into a band of three quarters of the picture's height, the rest
// left black. Its first pass sets the band before the children, its second
// puts the full viewport back (and returns non-zero: the children are not
// drawn again). While a shadow map is drawn both do nothing.
class PostRenderEffect : public SceneNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit PostRenderEffect(const String& name = String());
    ~PostRenderEffect() override;

    bool GetFilm() const { return film; }
    void SetFilm(bool value) { film = value; }

    // The band when film is set: from the full viewport (the one before the
    // band, so applying it twice gives the same band) at (0, h x 0.125),
    // w x (h x 0.75); the renderer's letterbox flag follows film. The
    // current camera then takes the viewport's aspect.
    void ApplyLetterbox(Renderer& renderer);
    // The full viewport again when the band is set (film on or not).
    void RestoreViewport(Renderer& renderer);
    // The full size the band was made from (0 x 0 before the first band).
    int32_t GetFullWidth() const { return fullWidth; }
    int32_t GetFullHeight() const { return fullHeight; }

    // The work before and after the children; the second pass returns
    // non-zero whatever Finish does.
    virtual int32_t Begin(Renderer& renderer);
    virtual void Finish(Renderer& renderer);

    // streaming: film; loading it set applies the band at once when there
    // is a renderer
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // A triangle list of two triangles over clip space -1..1 at depth 0,
    // made on first use; null when out of memory.
    Triangles* GetQuad();
    // The picture the children are drawn into: "Screen Texture" with its
    // image "Screen Image", made again when the size differs. Null (logged)
    // when out of memory.
    Texture* EnsureScreenTexture(int32_t width, int32_t height);
    Texture* GetScreenTexture() const { return screenTexture.Get(); }

private:
    bool film = false;
    int32_t fullWidth = 0;
    int32_t fullHeight = 0;
    bool bandSet = false; // the viewport is the band now
    Ptr<Triangles> quad;
    Ptr<Texture> screenTexture;
};

// A render-target texture of a size with its named image, or null when out
// of memory. Sizes below 1 become 1.
Ptr<Texture> MakeTargetTexture(const char* textureName, const char* imageName, int32_t width, int32_t height);
