// The texture side of GLRenderer: device copies of textures, their sampler
// state, and the render-target stack.
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "engine/codecs/Image.h"
#include "engine/render/Texture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLTextureCache.h"

namespace
{

constexpr GLenum kMinFilter[6] = {GL_NEAREST,
                                  GL_LINEAR,
                                  GL_NEAREST_MIPMAP_NEAREST,
                                  GL_NEAREST_MIPMAP_LINEAR,
                                  GL_LINEAR_MIPMAP_NEAREST,
                                  GL_LINEAR_MIPMAP_LINEAR};

template <size_t N>
GLenum Pick(const GLenum (&table)[N], int32_t index, GLenum fallback)
{
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : fallback;
}

GLenum AddressMode(int32_t mode)
{
    switch (mode)
    {
    case 0:
        return GL_CLAMP_TO_EDGE; // the other device's clamp repeats the edge texel
    case 2:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

} // namespace

// textures -------------------------------------------------------------------

int32_t GLRenderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (!device || stage != 0 || IsRenderTargetTexture(texture))
        return 0; // one stage of the fixed-function path so far
    Texture* plain = texture && texture->IsDerived(Texture::TYPE) ? static_cast<Texture*>(texture) : nullptr;
    Image* image = plain ? plain->GetImage() : nullptr;
    GLenum format = 0;
    GLenum internal = 0;
    if (image && image->GetData() && image->GetWidth() > 0 && image->GetHeight() > 0)
    {
        switch (image->GetFormat())
        {
        case Image::kPixel24: // red, green, blue as the codecs leave them
            format = GL_RGB;
            internal = GL_RGB8;
            break;
        case Image::kPixel32:
            format = GL_RGBA;
            internal = GL_RGBA8;
            break;
        case Image::kPixel8: // one byte, stored as alpha
            format = GL_ALPHA;
            internal = GL_ALPHA8;
            break;
        default:
            break;
        }
    }
    if (format == 0)
    {
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        textureCache->bound[0] = false;
        return 0;
    }

    const uintptr_t token = reinterpret_cast<uintptr_t>(plain->GetDeviceHandle());
    auto found = plain->GetDeviceRenderer() == this ? textureCache->textures.find(token) : textureCache->textures.end();
    GLuint name = 0;
    bool upload = plain->IsChanged();
    if (found == textureCache->textures.end())
    {
        glGenTextures(1, &name);
        if (name == 0)
            return 1;
        const uintptr_t newToken = textureCache->nextToken++;
        textureCache->textures[newToken] = name;
        plain->SetDeviceHandle(this, reinterpret_cast<void*>(newToken));
        upload = true;
    }
    else
        name = found->second;

    glBindTexture(GL_TEXTURE_2D, name);
    if (upload)
    {
        const uint32_t width = image->GetWidth();
        const uint32_t height = image->GetHeight();
        const uint32_t levels = BaseTexture::ResolveMipCount(plain->GetMipLevels(), width, height);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels > 0 ? levels - 1 : 0));
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, levels > 1 ? GL_TRUE : GL_FALSE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internal), static_cast<GLsizei>(width),
                     static_cast<GLsizei>(height), 0, format, GL_UNSIGNED_BYTE, image->GetData());
        plain->SetMipLevels(levels);
        plain->ClearChanged();
    }
    glEnable(GL_TEXTURE_2D);
    textureCache->bound[0] = true;
    ApplySamplerState(0);
    return 0;
}

void GLRenderer::ReleaseTextures(bool contextUsable)
{
    if (contextUsable)
        for (const auto& [token, name] : textureCache->textures)
        {
            (void)token;
            glDeleteTextures(1, &name);
        }
    textureCache->textures.clear();
    for (bool& stage : textureCache->bound)
        stage = false;
}

void GLRenderer::ApplySamplerState(uint32_t stage)
{
    if (stage >= 8 || !textureCache->bound[stage])
        return;
    const StageSampler& sampler = samplers[stage];
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(Pick(kMinFilter, sampler.minFilter, GL_LINEAR)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampler.magFilter == 0 ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(sampler.addressU)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(sampler.addressV)));
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, sampler.borderColour);
}

bool GLRenderer::IsRenderTargetTexture(const BaseTexture*) const
{
    return false;
}

void GLRenderer::ReleaseTexture(BaseTexture*)
{
}

int32_t GLRenderer::SetRenderTarget(Texture*)
{
    return 0;
}

int32_t GLRenderer::SetCubeRenderTarget(uint32_t, CubeTexture*)
{
    return 0;
}

int32_t GLRenderer::SetDepthRenderTarget(Texture*, float, float)
{
    return 0;
}

int32_t GLRenderer::SetViewport(const Vector2&, const Vector2&)
{
    return 0;
}
