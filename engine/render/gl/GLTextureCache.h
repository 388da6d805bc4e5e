#pragma once
#include <cstdint>
#include <map>
#include <vector>

class BaseTexture;

// The renderer's bookkeeping for textures: the device copy of each texture
// by the token kept in the texture's handle slot, what each of the eight
// stages has bound, and the stack of render targets. Only plain GL names
// and enums live here; the GL calls themselves are made by GLRenderer.
// Internal to engine/render/gl.
class GLTextureCache
{
public:
    // How a device copy was made; a plain texture later drawn into is made
    // again as a target.
    enum Kind : uint8_t
    {
        kPlain,        // uploaded from the owner's image
        kColourTarget, // RGBA8 level 0 (2D or the six cube faces) with a depth renderbuffer
        kDepthTarget,  // a DEPTH_COMPONENT24 texture
        kFailed,       // the upload failed; not tried again until the owner changes
    };

    struct Entry
    {
        BaseTexture* owner = nullptr;  // plain: owners release their entry as they go
        unsigned int target = 0;       // GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP or GL_TEXTURE_3D
        unsigned int name = 0;         // 0 for kFailed
        unsigned int framebuffer = 0;  // targets only
        unsigned int depthBuffer = 0;  // colour targets only (renderbuffer)
        int width = 0;
        int height = 0;
        Kind kind = kPlain;
    };

    // What a stage has bound; target 0 when nothing.
    struct Stage
    {
        unsigned int target = 0;
        unsigned int name = 0;
        uintptr_t token = 0;
    };

    // One redirection of drawing. The texture is plain and becomes null if
    // it is released while still on the stack, so the pop still balances.
    struct TargetEntry
    {
        BaseTexture* texture = nullptr;
        unsigned int previousFramebuffer = 0;
        int previousViewport[4] = {0, 0, 0, 0};
        int height = 0;       // of the picture drawn into, for viewports given from the top
        bool depthOnly = false;
    };

    GLTextureCache() = default;

    // The entry for a token, or null. Tokens are never reused, so a token
    // from before a loss or from another renderer finds nothing.
    Entry* Find(uintptr_t token);
    uintptr_t Add(const Entry& entry);
    void Remove(uintptr_t token) { textures.erase(token); }

    // True while drawing goes into a texture: the picture is then flipped
    // vertically so that its top lands at v = 0, as it does on the back
    // buffer when the back buffer is read top row first.
    bool FlipY() const { return !targets.empty(); }

    // Whether texture is the target of any entry on the stack (it must not
    // be sampled while drawn into).
    bool IsTarget(const BaseTexture* texture) const;

    // The size of the viewport as last set by a push, pop or SetViewport;
    // 0 x 0 before the first.
    int ViewportWidth() const { return viewportWidth; }
    int ViewportHeight() const { return viewportHeight; }

    std::map<uintptr_t, Entry> textures;
    uintptr_t nextToken = 1;
    Stage stages[8];
    std::vector<TargetEntry> targets;
    int viewportWidth = 0;
    int viewportHeight = 0;
};
