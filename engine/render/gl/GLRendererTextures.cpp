// The texture side of GLRenderer: device copies of textures, their sampler
// state, and the render-target stack.
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <vector>

#include "engine/image/Image.h"
#include "engine/image/VolumeImage.h"
#include "engine/core/Log.h"
#include "engine/core/Vector2.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/Texture.h"
#include "engine/render/VolumeTexture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLDeviceValues.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/render/gl/GLTextureCache.h"

namespace
{

using Entry = GLTextureCache::Entry;

// Cube targets need a side; without an image to take it from they get this.
constexpr int kDefaultCubeTargetSide = 256;
constexpr uint32_t kStageCount = 8;

// Errors left by earlier calls would be taken for ours. Bounded: a lost
// context may report its loss forever.
void DiscardErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}

// The transfer format and storage of an image format; false for formats a
// device cannot take.
bool PixelFormat(int32_t imageFormat, bool dxt1, GLenum& format, GLint& internal)
{
    switch (imageFormat)
    {
    case Image::kPixel24: // red, green, blue as the codecs leave them
        format = GL_RGB;
        internal = dxt1 ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGB8;
        return true;
    case Image::kPixel32:
        format = GL_RGBA;
        internal = GL_RGBA8;
        return true;
    case Image::kPixel8: // one byte, stored as alpha
        format = GL_ALPHA;
        internal = GL_ALPHA8;
        return true;
    default:
        return false;
    }
}

GLenum TargetOf(const BaseTexture& texture)
{
    if (texture.IsDerived(CubeTexture::TYPE))
        return GL_TEXTURE_CUBE_MAP;
    if (texture.IsDerived(VolumeTexture::TYPE))
        return GL_TEXTURE_3D;
    return GL_TEXTURE_2D;
}

// The chain below level 0 is filtered by the driver as level 0 arrives;
// the texture must be bound on the active unit.
void PrepareChain(GLenum target, uint32_t levels)
{
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels > 0 ? levels - 1 : 0));
    glTexParameteri(target, GL_GENERATE_MIPMAP, levels > 1 ? GL_TRUE : GL_FALSE);
}

// Level 0 of a texture bound on the active unit, from its owner's image.
// False when there is nothing to upload or the driver refuses it.
bool UploadImage(const GLFunctions& gl, BaseTexture& texture, GLenum target, bool dxt1Supported)
{
    GLenum format = 0;
    GLint internal = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    DiscardErrors();
    if (target == GL_TEXTURE_2D)
    {
        auto& plain = static_cast<Texture&>(texture);
        const Image* image = plain.GetImage();
        if (!image || !image->GetData() || image->GetWidth() == 0 || image->GetHeight() == 0 ||
            !PixelFormat(image->GetFormat(), plain.GetCompress() && dxt1Supported, format, internal))
            return false;
        const uint32_t levels =
            BaseTexture::ResolveMipCount(plain.GetMipLevels(), image->GetWidth(), image->GetHeight());
        PrepareChain(target, levels);
        glTexImage2D(GL_TEXTURE_2D, 0, internal, static_cast<GLsizei>(image->GetWidth()),
                     static_cast<GLsizei>(image->GetHeight()), 0, format, GL_UNSIGNED_BYTE, image->GetData());
        if (glGetError() != GL_NO_ERROR)
            return false;
        plain.SetMipLevels(levels);
        return true;
    }
    if (target == GL_TEXTURE_CUBE_MAP)
    {
        auto& cube = static_cast<CubeTexture&>(texture);
        const Image* image = cube.GetImage();
        // GL cube faces are square; the faces follow each other in the
        // image in GL's own face order (+x, -x, +y, -y, +z, -z).
        if (!image || !cube.GetFace(0) || image->GetWidth() == 0 || image->GetWidth() != image->GetHeight() ||
            !PixelFormat(image->GetFormat(), false, format, internal))
            return false;
        const uint32_t side = image->GetWidth();
        const uint32_t levels = BaseTexture::ResolveMipCount(cube.GetMipLevels(), side, side);
        PrepareChain(target, levels);
        for (uint32_t face = 0; face < CubeTexture::kFaceCount; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, internal, static_cast<GLsizei>(side),
                         static_cast<GLsizei>(side), 0, format, GL_UNSIGNED_BYTE, cube.GetFace(face));
        if (glGetError() != GL_NO_ERROR)
            return false;
        cube.SetMipLevels(levels);
        return true;
    }
    auto& volume = static_cast<VolumeTexture&>(texture);
    const VolumeImage* image = volume.GetImage();
    if (!image || !image->GetData() || image->GetWidth() == 0 || image->GetHeight() == 0 ||
        image->GetDepth() == 0 || !PixelFormat(image->GetFormat(), false, format, internal))
        return false;
    // The chain of a volume halves the depth too.
    const uint32_t wide = image->GetWidth() > image->GetDepth() ? image->GetWidth() : image->GetDepth();
    const uint32_t levels = BaseTexture::ResolveMipCount(volume.GetMipLevels(), wide, image->GetHeight());
    PrepareChain(target, levels);
    gl.texImage3D(GL_TEXTURE_3D, 0, internal, static_cast<GLsizei>(image->GetWidth()),
                  static_cast<GLsizei>(image->GetHeight()), static_cast<GLsizei>(image->GetDepth()), 0, format,
                  GL_UNSIGNED_BYTE, image->GetData());
    if (glGetError() != GL_NO_ERROR)
        return false;
    volume.SetMipLevels(levels);
    return true;
}

void DeleteEntry(const GLFunctions& gl, const Entry& entry)
{
    if (entry.name)
        glDeleteTextures(1, &entry.name);
    if (entry.framebuffer)
        gl.deleteFramebuffers(1, &entry.framebuffer);
    if (entry.depthBuffer)
        gl.deleteRenderbuffers(1, &entry.depthBuffer);
}

// Points a unit at one texture target (or none); a unit with fixed-function
// state also switches its targets to match, where any other unit (sampled
// by programs only) would raise an error. A unit of programs only with
// nothing bound is left alone. The active unit is left at 0.
void BindUnit(const GLFunctions& gl, GLTextureCache::Stage& stage, uint32_t unit, bool fixedFunction, GLenum target,
              GLuint name, uintptr_t token)
{
    if (!fixedFunction && !stage.target && !target)
        return;
    gl.activeTexture(GL_TEXTURE0 + unit);
    if (stage.target && (stage.target != target || !target))
        glBindTexture(stage.target, 0);
    if (fixedFunction)
    {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_3D);
    }
    if (target)
    {
        glBindTexture(target, name);
        if (fixedFunction)
            glEnable(target);
    }
    gl.activeTexture(GL_TEXTURE0);
    stage.target = target;
    stage.name = target ? name : 0;
    stage.token = target ? token : 0;
}

// Storage of a target made on unit 0, whose binding of that target is put
// back afterwards. False when the driver refuses the size.
bool MakeTargetStorage(const GLFunctions& gl, const GLTextureCache& cache, Entry& entry)
{
    DiscardErrors();
    gl.activeTexture(GL_TEXTURE0);
    glGenTextures(1, &entry.name);
    glBindTexture(entry.target, entry.name);
    glTexParameteri(entry.target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(entry.target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(entry.target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(entry.target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    PrepareChain(entry.target, 1);
    if (entry.kind == GLTextureCache::kDepthTarget)
    {
        // Sampled as a shadow map: the lookup gives the stored depth and the
        // program compares (the translated programs sample through plain
        // 2D samplers, with which a comparing texture is undefined).
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
        glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, entry.width, entry.height, 0, GL_DEPTH_COMPONENT,
                     GL_UNSIGNED_INT, nullptr);
    }
    else if (entry.target == GL_TEXTURE_CUBE_MAP)
    {
        for (GLenum face = 0; face < CubeTexture::kFaceCount; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, entry.width, entry.height, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
    }
    else
    {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, entry.width, entry.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    const GLTextureCache::Stage& unit0 = cache.stages[0];
    glBindTexture(entry.target, unit0.target == entry.target ? unit0.name : 0);
    if (glGetError() != GL_NO_ERROR)
        return false;

    if (entry.kind == GLTextureCache::kColourTarget)
    {
        gl.genRenderbuffers(1, &entry.depthBuffer);
        gl.bindRenderbuffer(GL_RENDERBUFFER, entry.depthBuffer);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, entry.width, entry.height);
        gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    }
    gl.genFramebuffers(1, &entry.framebuffer);
    return glGetError() == GL_NO_ERROR && entry.framebuffer != 0;
}

// The picture currently drawn into, so that a depth-only target can keep
// it: GL has no separate depth surface, only framebuffers that join both.
struct ColourAttachment
{
    GLint type = GL_NONE;
    GLint name = 0;
    GLint face = 0;
    GLint level = 0;
};

ColourAttachment CurrentColour(const GLFunctions& gl, GLuint framebuffer)
{
    ColourAttachment colour;
    if (framebuffer == 0 || !gl.getFramebufferAttachmentParameteriv)
        return colour;
    gl.getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                           &colour.type);
    if (colour.type == GL_NONE)
        return colour;
    gl.getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME,
                                           &colour.name);
    if (colour.type == GL_TEXTURE)
    {
        gl.getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                               GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE, &colour.face);
        gl.getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                               GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_LEVEL, &colour.level);
    }
    return colour;
}

void AttachColour(const GLFunctions& gl, const ColourAttachment& colour)
{
    if (colour.type == GL_TEXTURE)
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                colour.face ? static_cast<GLenum>(colour.face) : GL_TEXTURE_2D,
                                static_cast<GLuint>(colour.name), colour.level);
    else if (colour.type == GL_RENDERBUFFER)
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   static_cast<GLuint>(colour.name));
    else
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    const GLenum buffer = colour.type == GL_NONE ? GL_NONE : GL_COLOR_ATTACHMENT0;
    glDrawBuffer(buffer);
    glReadBuffer(buffer);
}

} // namespace

// textures -------------------------------------------------------------------

namespace
{

// A count of the capabilities as stages, 0..8.
uint32_t StageCount(int32_t count)
{
    return count < 0 ? 0 : (static_cast<uint32_t>(count) > kStageCount ? kStageCount : static_cast<uint32_t>(count));
}

} // namespace

uint32_t GLRenderer::FixedStages() const
{
    return StageCount(caps.simultaneousTextures);
}

uint32_t GLRenderer::TextureStages() const
{
    const uint32_t programStages = StageCount(caps.programTextures);
    return programStages > FixedStages() ? programStages : FixedStages();
}

int32_t GLRenderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (!device)
        return 0;
    GLTextureCache& cache = *textureCache;
    const GLFunctions& gl = device->Functions();
    // A stage the device does not have holds nothing to unbind: every pass
    // unbinds more stages than some devices have.
    if (stage >= TextureStages())
    {
        if (!texture)
            return 0;
        LogWarning("Неверный номер текстурной стадии [%u].", stage);
        return 3;
    }
    const bool fixedFunction = stage < FixedStages();
    // A target being drawn into is never sampled at the same time.
    if (!texture || cache.IsTarget(texture))
    {
        BindUnit(gl, cache.stages[stage], stage, fixedFunction, 0, 0, 0);
        return 0;
    }

    // A copy made by another renderer goes back to it first.
    if (Renderer* other = texture->GetDeviceRenderer(); other && other != this)
        other->ReleaseTexture(texture);
    uintptr_t token =
        texture->GetDeviceRenderer() == this ? reinterpret_cast<uintptr_t>(texture->GetDeviceHandle()) : 0;
    Entry* entry = token ? cache.Find(token) : nullptr;
    if (entry && entry->kind == GLTextureCache::kFailed)
    {
        // Already reported; tried again once the owner has new pixels.
        if (!texture->IsChanged())
        {
            BindUnit(gl, cache.stages[stage], stage, fixedFunction, 0, 0, 0);
            return 1;
        }
        cache.Remove(token);
        entry = nullptr;
    }
    bool upload = false;
    if (!entry)
    {
        Entry fresh;
        fresh.owner = texture;
        fresh.target = TargetOf(*texture);
        glGenTextures(1, &fresh.name);
        token = cache.Add(fresh);
        entry = cache.Find(token);
        texture->SetDeviceHandle(this, reinterpret_cast<void*>(token));
        upload = true;
    }
    else
        upload = entry->kind == GLTextureCache::kPlain && texture->IsChanged();

    if (upload)
    {
        gl.activeTexture(GL_TEXTURE0 + stage);
        glBindTexture(entry->target, entry->name);
        const bool dxt1 = device->HasExtension("GL_EXT_texture_compression_s3tc");
        const bool uploaded = entry->name != 0 && UploadImage(gl, *texture, entry->target, dxt1);
        glBindTexture(entry->target, cache.stages[stage].target == entry->target ? cache.stages[stage].name : 0);
        gl.activeTexture(GL_TEXTURE0);
        if (!uploaded)
        {
            LogError("Невозможно обновить изображение текстуры [%s].", texture->GetName().CStr());
            if (entry->name)
                glDeleteTextures(1, &entry->name);
            entry->name = 0;
            entry->kind = GLTextureCache::kFailed;
            texture->ClearChanged();
            BindUnit(gl, cache.stages[stage], stage, fixedFunction, 0, 0, 0);
            return 1;
        }
    }
    // A target keeps what was drawn into it whatever its owner's flag says.
    texture->ClearChanged();
    BindUnit(gl, cache.stages[stage], stage, fixedFunction, entry->target, entry->name, token);
    ApplySamplerState(stage);
    return 0;
}

void GLRenderer::ApplySamplerState(uint32_t stage)
{
    if (!device || stage >= kStageCount || !textureCache->stages[stage].target)
        return;
    const GLenum target = textureCache->stages[stage].target;
    const StageSampler& sampler = samplers[stage];
    const GLFunctions& gl = device->Functions();
    // GL keeps these on the texture, not the unit: a texture bound on two
    // stages takes the state of the stage applied last.
    gl.activeTexture(GL_TEXTURE0 + stage);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER,
                    static_cast<GLint>(ToGLMinFilter(sampler.minFilter, TextureFilter::Linear)));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(ToGLMagFilter(sampler.magFilter)));
    glTexParameteri(target, GL_TEXTURE_WRAP_S, static_cast<GLint>(ToGL(sampler.addressU, AddressMode::Wrap)));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, static_cast<GLint>(ToGL(sampler.addressV, AddressMode::Wrap)));
    if (target != GL_TEXTURE_2D)
        glTexParameteri(target, GL_TEXTURE_WRAP_R, static_cast<GLint>(ToGL(sampler.addressW, AddressMode::Wrap)));
    glTexParameterfv(target, GL_TEXTURE_BORDER_COLOR, sampler.borderColour);
    gl.activeTexture(GL_TEXTURE0);
}

bool GLRenderer::IsRenderTargetTexture(const BaseTexture* texture) const
{
    return textureCache->IsTarget(texture);
}

void GLRenderer::ReleaseTexture(BaseTexture* texture)
{
    if (!texture || texture->GetDeviceRenderer() != this)
        return;
    GLTextureCache& cache = *textureCache;
    const uintptr_t token = reinterpret_cast<uintptr_t>(texture->GetDeviceHandle());
    if (const Entry* entry = cache.Find(token))
    {
        const bool usable = device && !device->IsLost() && device->MakeCurrent();
        for (uint32_t stage = 0; stage < kStageCount; ++stage)
            if (cache.stages[stage].token == token)
            {
                if (usable)
                    BindUnit(device->Functions(), cache.stages[stage], stage, stage < FixedStages(), 0, 0, 0);
                cache.stages[stage] = GLTextureCache::Stage();
            }
        if (usable)
            DeleteEntry(device->Functions(), *entry);
        cache.Remove(token);
    }
    for (GLTextureCache::TargetEntry& target : cache.targets)
        if (target.texture == texture)
            target.texture = nullptr;
    // Last: this may drop the owner's reference to this renderer.
    texture->SetDeviceHandle(nullptr, nullptr);
}

void GLRenderer::ReleaseTextures(bool contextUsable)
{
    GLTextureCache& cache = *textureCache;
    const bool usable = contextUsable && device;
    if (usable)
    {
        const GLFunctions& gl = device->Functions();
        for (uint32_t stage = 0; stage < kStageCount; ++stage)
            if (cache.stages[stage].target)
                BindUnit(gl, cache.stages[stage], stage, stage < FixedStages(), 0, 0, 0);
        if (!cache.targets.empty())
        {
            gl.bindFramebuffer(GL_FRAMEBUFFER, cache.targets.front().previousFramebuffer);
            glPolygonOffset(0.0f, 0.0f);
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
        for (const auto& [token, entry] : cache.textures)
        {
            (void)token;
            DeleteEntry(gl, entry);
        }
    }
    std::vector<std::pair<BaseTexture*, uintptr_t>> owners;
    owners.reserve(cache.textures.size());
    for (const auto& [token, entry] : cache.textures)
        owners.emplace_back(entry.owner, token);
    cache.textures.clear();
    for (GLTextureCache::Stage& stage : cache.stages)
        stage = GLTextureCache::Stage();
    cache.targets.clear();
    // The owners are cleared last: each drops a reference to this renderer.
    for (const auto& [owner, token] : owners)
        if (owner && owner->GetDeviceRenderer() == this &&
            reinterpret_cast<uintptr_t>(owner->GetDeviceHandle()) == token)
            owner->SetDeviceHandle(nullptr, nullptr);
}

// render targets -------------------------------------------------------------

namespace
{

// The device copy of a texture as a target of the given kind, made (again)
// when it is missing or was made as something else. Null (logged) when the
// driver refuses it.
Entry* EnsureTarget(GLRenderer* renderer, const GLFunctions& gl, GLTextureCache& cache, BaseTexture& texture,
                    GLTextureCache::Kind kind, int width, int height)
{
    const GLenum target = TargetOf(texture);
    uintptr_t token = 0;
    if (texture.GetDeviceRenderer() == renderer)
        token = reinterpret_cast<uintptr_t>(texture.GetDeviceHandle());
    else if (Renderer* other = texture.GetDeviceRenderer())
        other->ReleaseTexture(&texture);
    if (Entry* entry = token ? cache.Find(token) : nullptr)
    {
        // A picture of another size (a new image, a new back buffer) is
        // made anew as well.
        if (entry->kind == kind && entry->target == target && entry->width == width && entry->height == height)
            return entry;
        for (uint32_t stage = 0; stage < kStageCount; ++stage)
            if (cache.stages[stage].token == token)
                BindUnit(gl, cache.stages[stage], stage, stage < renderer->FixedStages(), 0, 0, 0);
        DeleteEntry(gl, *entry);
        cache.Remove(token);
    }

    Entry fresh;
    fresh.owner = &texture;
    fresh.target = target;
    fresh.kind = kind;
    fresh.width = width;
    fresh.height = height;
    const bool made = width > 0 && height > 0 && MakeTargetStorage(gl, cache, fresh);
    if (!made)
    {
        DeleteEntry(gl, fresh);
        texture.SetDeviceHandle(nullptr, nullptr);
        LogError("Невозможно создать цель рендеринга [%s] размером %dx%d.", texture.GetName().CStr(), width, height);
        return nullptr;
    }
    token = cache.Add(fresh);
    texture.SetMipLevels(1);
    texture.ClearChanged();
    texture.SetDeviceHandle(renderer, reinterpret_cast<void*>(token));
    return cache.Find(token);
}

// The size an image asks of a target, or the fallback.
void TargetSize(const Image* image, int fallbackWidth, int fallbackHeight, int& width, int& height)
{
    if (image && image->GetWidth() > 0 && image->GetHeight() > 0)
    {
        width = static_cast<int>(image->GetWidth());
        height = static_cast<int>(image->GetHeight());
        return;
    }
    width = fallbackWidth;
    height = fallbackHeight;
}

// The fixed-function projection again, so that it takes the flip of the new
// top of the stack.
void ReloadProjection(GLRenderer& renderer)
{
    Matrix4 projection;
    renderer.GetProjectionMatrix(projection);
    renderer.SetProjectionMatrix(projection);
}

int32_t PushRenderTarget(GLRenderer& renderer, GLDevice& device, GLTextureCache& cache, BaseTexture* texture,
                         uint32_t face, bool depthOnly, int width, int height)
{
    const GLFunctions& gl = device.Functions();
    const GLTextureCache::Kind kind = depthOnly ? GLTextureCache::kDepthTarget : GLTextureCache::kColourTarget;
    Entry* entry = EnsureTarget(&renderer, gl, cache, *texture, kind, width, height);
    if (!entry)
        return 1;

    GLTextureCache::TargetEntry pushed;
    pushed.texture = texture;
    pushed.depthOnly = depthOnly;
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    pushed.previousFramebuffer = static_cast<unsigned int>(previous);
    glGetIntegerv(GL_VIEWPORT, pushed.previousViewport);

    const ColourAttachment below = depthOnly ? CurrentColour(gl, pushed.previousFramebuffer) : ColourAttachment();
    gl.bindFramebuffer(GL_FRAMEBUFFER, entry->framebuffer);
    GLenum status = 0;
    if (depthOnly)
    {
        AttachColour(gl, below);
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, entry->name, 0);
        status = gl.checkFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE && below.type != GL_NONE)
        {
            // A colour picture of another size cannot join on older
            // drivers; the depth alone is what a shadow map needs.
            AttachColour(gl, ColourAttachment());
            status = gl.checkFramebufferStatus(GL_FRAMEBUFFER);
        }
        pushed.height = cache.targets.empty() ? device.Height() : cache.targets.back().height;
    }
    else
    {
        const GLenum faceTarget =
            entry->target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, faceTarget, entry->name, 0);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, entry->depthBuffer);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, entry->depthBuffer);
        status = gl.checkFramebufferStatus(GL_FRAMEBUFFER);
        pushed.height = entry->height;
    }
    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        gl.bindFramebuffer(GL_FRAMEBUFFER, pushed.previousFramebuffer);
        LogError("Невозможно создать цель рендеринга [%s] размером %dx%d.", texture->GetName().CStr(), entry->width,
                 entry->height);
        return 1;
    }

    // Whatever stage still shows the target lets go of it now.
    const uintptr_t token = reinterpret_cast<uintptr_t>(texture->GetDeviceHandle());
    for (uint32_t stage = 0; stage < kStageCount; ++stage)
        if (cache.stages[stage].token == token)
            BindUnit(gl, cache.stages[stage], stage, stage < renderer.FixedStages(), 0, 0, 0);

    cache.targets.push_back(pushed);
    if (!depthOnly)
    {
        glViewport(0, 0, entry->width, entry->height);
        glDepthRange(0.0, 1.0);
        cache.viewportWidth = entry->width;
        cache.viewportHeight = entry->height;
    }
    ReloadProjection(renderer);
    return 0;
}

int32_t PopRenderTarget(GLRenderer& renderer, GLDevice& device, GLTextureCache& cache)
{
    if (cache.targets.empty())
    {
        LogWarning("Нет цели рендеринга для восстановления.");
        return 3;
    }
    const GLTextureCache::TargetEntry popped = cache.targets.back();
    cache.targets.pop_back();
    device.Functions().bindFramebuffer(GL_FRAMEBUFFER, popped.previousFramebuffer);
    glViewport(popped.previousViewport[0], popped.previousViewport[1], popped.previousViewport[2],
               popped.previousViewport[3]);
    cache.viewportWidth = popped.previousViewport[2];
    cache.viewportHeight = popped.previousViewport[3];
    ReloadProjection(renderer);
    return 0;
}

} // namespace

int32_t GLRenderer::SetRenderTarget(Texture* texture)
{
    if (!device)
        return 1;
    if (!texture)
        return PopRenderTarget(*this, *device, *textureCache);
    int width = 0, height = 0;
    // Without an image a target is a copy of the screen's size.
    TargetSize(texture->GetImage(), device->Width(), device->Height(), width, height);
    return PushRenderTarget(*this, *device, *textureCache, texture, 0, false, width, height);
}

int32_t GLRenderer::SetCubeRenderTarget(uint32_t face, CubeTexture* texture)
{
    if (!device)
        return 1;
    if (!texture)
        return PopRenderTarget(*this, *device, *textureCache);
    if (face >= CubeTexture::kFaceCount)
    {
        LogWarning("Неверная грань кубической текстуры [%u]. Имя[%s]", face, texture->GetName().CStr());
        return 3;
    }
    int width = 0, height = 0;
    TargetSize(texture->GetImage(), kDefaultCubeTargetSide, kDefaultCubeTargetSide, width, height);
    // Cube faces are square: the width decides.
    return PushRenderTarget(*this, *device, *textureCache, texture, face, false, width, width);
}

int32_t GLRenderer::SetDepthRenderTarget(Texture* texture, float depthBias, float slopeBias)
{
    if (!device)
        return 1;
    if (!texture)
    {
        const int32_t popped = PopRenderTarget(*this, *device, *textureCache);
        glPolygonOffset(0.0f, 0.0f);
        glDisable(GL_POLYGON_OFFSET_FILL);
        return popped;
    }
    int width = 0, height = 0;
    TargetSize(texture->GetImage(), device->Width(), device->Height(), width, height);
    const int32_t pushed = PushRenderTarget(*this, *device, *textureCache, texture, 0, true, width, height);
    if (pushed != 0)
        return pushed;
    // The bias is asked for in units of 2^-24 of the depth range, which is
    // exactly the resolvable step of the 24-bit depth texture, so it is GL's
    // units value as it is; the slope factor means the same on both sides.
    glPolygonOffset(slopeBias, depthBias);
    if (depthBias != 0.0f || slopeBias != 0.0f)
        glEnable(GL_POLYGON_OFFSET_FILL);
    else
        glDisable(GL_POLYGON_OFFSET_FILL);
    return 0;
}

int32_t GLRenderer::SetViewport(const Vector2& position, const Vector2& size)
{
    if (!device)
        return 1;
    const long x = std::lround(position.x);
    const long y = std::lround(position.y);
    const long width = std::lround(size.x);
    const long height = std::lround(size.y);
    if (width < 0 || height < 0)
    {
        LogWarning("Неверный размер области вывода %ldx%ld.", width, height);
        return 3;
    }
    GLTextureCache& cache = *textureCache;
    // Positions count from the top of the picture. A texture target is drawn
    // flipped, so its rows already run from the top; the back buffer's run
    // from the bottom.
    const long pictureHeight = cache.targets.empty() ? device->Height() : cache.targets.back().height;
    const long glY = cache.FlipY() ? y : pictureHeight - (y + height);
    glViewport(static_cast<GLint>(x), static_cast<GLint>(glY), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height));
    glDepthRange(0.0, 1.0);
    cache.viewportWidth = static_cast<int>(width);
    cache.viewportHeight = static_cast<int>(height);
    return 0;
}
