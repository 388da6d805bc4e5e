// Occlusion queries, the screen copy and the device's capabilities.
#include "engine/render/gl/GLRenderer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/render/gl/GLQueryTable.h"
#include "engine/render/gl/GLStateScope.h"

namespace
{

// A shader level as VERNALIA_SHADER_LEVELS spells it: the digit of its
// value (0, 1, 2 or 4).
bool ParseShaderLevel(char digit, ShaderLevel& level)
{
    switch (digit)
    {
    case '0': level = ShaderLevel::Model1; return true;
    case '1': level = ShaderLevel::Model2; return true;
    case '2': level = ShaderLevel::Model3; return true;
    case '4': level = ShaderLevel::None; return true;
    default: return false;
    }
}

// VERNALIA_SHADER_LEVELS=V,P replaces the detected vertex and pixel levels,
// so a run can show the techniques another device would choose; a malformed
// value is logged and the detected levels stay.
void OverrideShaderLevels(DeviceCaps& caps)
{
    const char* value = std::getenv("VERNALIA_SHADER_LEVELS");
    if (!value)
        return;
    ShaderLevel vertex = ShaderLevel::None, pixel = ShaderLevel::None;
    if (std::strlen(value) == 3 && value[1] == ',' && ParseShaderLevel(value[0], vertex) &&
        ParseShaderLevel(value[2], pixel))
    {
        caps.vertexShaderLevel = vertex;
        caps.pixelShaderLevel = pixel;
        return;
    }
    LogWarning("Переменная окружения %s имеет неверное значение [%s] и не учитывается.", "VERNALIA_SHADER_LEVELS",
               value);
}


const char* TrueFalse(bool value)
{
    return value ? "true" : "false";
}

uintptr_t TokenOf(const OcclusionQuery* query)
{
    return reinterpret_cast<uintptr_t>(query->GetDeviceHandle());
}

// "major.minor" from the start of a version string (GL_VERSION and
// GL_SHADING_LANGUAGE_VERSION both begin so); 0 when unreadable.
int VersionNumber(const char* text)
{
    int major = 0, minor = 0;
    if (!text || std::sscanf(text, "%d.%d", &major, &minor) != 2 || major < 0 || minor < 0)
        return 0;
    // GLSL minors have two digits ("1.20"); GL ones one ("2.1").
    while (minor >= 10)
        minor /= 10;
    return major * 10 + minor;
}

// Whether a texture of this storage can be drawn into through a framebuffer
// object: a small level 0 is made and attached, and the driver's verdict on
// the attachment is taken. For cube textures every face gets a level 0 and
// the +x face is attached.
bool IsRenderableFormat(const GLFunctions& gl, GLenum internalFormat, GLenum format, GLenum type, bool cube)
{
    constexpr GLsizei kSide = 4;
    const GLenum target = cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    while (glGetError() != GL_NO_ERROR)
    {
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(target, texture);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (cube)
    {
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, static_cast<GLint>(internalFormat), kSide, kSide,
                         0, format, type, nullptr);
    }
    else
    {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), kSide, kSide, 0, format, type, nullptr);
    }
    bool renderable = glGetError() == GL_NO_ERROR;

    GLuint framebuffer = 0;
    if (renderable)
    {
        gl.genFramebuffers(1, &framebuffer);
        gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : GL_TEXTURE_2D, texture, 0);
        renderable = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE &&
                     glGetError() == GL_NO_ERROR;
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &framebuffer);
    }
    glDeleteTextures(1, &texture);
    while (glGetError() != GL_NO_ERROR)
    {
    }
    return renderable;
}

} // namespace

// occlusion queries ----------------------------------------------------------

int32_t GLRenderer::BeginQuery(OcclusionQuery* query)
{
    if (!query)
    {
        LogError("Запрос видимости не задан.");
        return 3;
    }
    if (!device || !caps.occlusionQueries)
    {
        LogError("Запросы видимости недоступны: %s.", device ? "устройство их не поддерживает" : "нет устройства");
        return 1;
    }
    if (queryTable->activeToken != 0)
    {
        // The device counts one query at a time; nesting would silently
        // give the outer one the wrong draws.
        LogError("Запрос видимости уже начат; вложенные запросы не поддерживаются.");
        return 1;
    }
    device->MakeCurrent();
    const GLFunctions& gl = device->Functions();

    uintptr_t token = TokenOf(query);
    auto found = queryTable->queries.find(token);
    if (query->GetDeviceRenderer() != this || found == queryTable->queries.end() || found->second.owner != query)
    {
        // A copy made by another renderer is given back there first, so no
        // table is left pointing at the query.
        Renderer* other = query->GetDeviceRenderer();
        if (other && other != this)
            other->ReleaseQuery(query);

        GLuint name = 0;
        gl.genQueries(1, &name);
        if (name == 0)
        {
            LogError("Невозможно создать запрос видимости.");
            return 1;
        }
        token = queryTable->nextToken++;
        found = queryTable->queries.emplace(token, GLQueryTable::Entry{name, query}).first;
        query->SetDeviceHandle(this, reinterpret_cast<void*>(token));
        query->ClearChanged();
    }
    gl.beginQuery(GL_SAMPLES_PASSED, found->second.name);
    queryTable->activeToken = token;
    return 0;
}

int32_t GLRenderer::EndQuery(OcclusionQuery* query)
{
    if (!query)
    {
        LogError("Запрос видимости не задан.");
        return 3;
    }
    const uintptr_t token = TokenOf(query);
    auto found = queryTable->queries.find(token);
    if (!device || queryTable->activeToken == 0 || token != queryTable->activeToken ||
        query->GetDeviceRenderer() != this || found == queryTable->queries.end())
    {
        LogError("Запрос видимости не был начат.");
        return 1;
    }
    device->MakeCurrent();
    const GLFunctions& gl = device->Functions();
    gl.endQuery(GL_SAMPLES_PASSED);
    queryTable->activeToken = 0;

    // Asking for the result itself (not just its availability) makes the
    // driver flush and wait until the draws are counted.
    GLuint samples = 0;
    gl.getQueryObjectuiv(found->second.name, GL_QUERY_RESULT, &samples);
    query->SetVisibleSamples(samples);
    return 0;
}

void GLRenderer::ReleaseQuery(OcclusionQuery* query)
{
    if (!query || query->GetDeviceRenderer() != this)
        return;
    const uintptr_t token = TokenOf(query);
    auto found = queryTable->queries.find(token);
    if (found == queryTable->queries.end() || found->second.owner != query)
        return;
    if (device && device->MakeCurrent())
    {
        const GLFunctions& gl = device->Functions();
        if (queryTable->activeToken == token)
            gl.endQuery(GL_SAMPLES_PASSED);
        gl.deleteQueries(1, &found->second.name);
    }
    if (queryTable->activeToken == token)
        queryTable->activeToken = 0;
    queryTable->queries.erase(found);
    query->SetDeviceHandle(nullptr, nullptr);
}

void GLRenderer::ReleaseQueries(bool contextUsable)
{
    std::map<uintptr_t, GLQueryTable::Entry> taken;
    taken.swap(queryTable->queries);
    const bool active = queryTable->activeToken != 0;
    queryTable->activeToken = 0;

    if (contextUsable && !taken.empty())
    {
        const GLFunctions& gl = device->Functions();
        if (active)
            gl.endQuery(GL_SAMPLES_PASSED);
        for (auto& [token, entry] : taken)
            gl.deleteQueries(1, &entry.name);
    }
    // Owners last: clearing a record lets go of its hold on this renderer.
    for (auto& [token, entry] : taken)
        entry.owner->SetDeviceHandle(nullptr, nullptr);
}

// the screen copy ----------------------------------------------------------

int32_t GLRenderer::CaptureScreen(Image** image)
{
    if (!image)
    {
        LogError("Не задано место для снимка экрана.");
        return 3;
    }
    if (!device)
    {
        LogError("Невозможно сделать снимок экрана: нет устройства.");
        return 1;
    }
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (!device->ReadBackBuffer(rgba, width, height) || width <= 0 || height <= 0 ||
        rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    {
        LogError("Невозможно сделать снимок экрана: задний буфер не читается.");
        return 1;
    }

    // Nothing references the picture until the caller takes it.
    std::unique_ptr<Image> picture(new (std::nothrow)
        Image(String("Screen"), Image::kPixel24, static_cast<uint32_t>(width), static_cast<uint32_t>(height)));
    if (!picture)
    {
        LogError("Недостаточно памяти для снимка экрана %dx%d.", width, height);
        return 2;
    }
    uint8_t* out = picture->GetData();
    if (!out)
        return 2; // the image has logged why
    // Same row order as the back buffer read-back: top row first.
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint8_t* in = rgba.data();
    for (size_t i = 0; i < pixels; ++i, in += 4, out += 3)
    {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
    *image = picture.release();
    return 0;
}

// capabilities ----------------------------------------------------------------

void GLRenderer::DetectCapabilities()
{
    if (!device || !device->MakeCurrent())
        return;
    const GLFunctions& gl = device->Functions();
    const int glVersion = VersionNumber(device->Version().c_str());
    const int glslVersion = VersionNumber(reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION)));
    auto has = [this](const char* name) { return device->HasExtension(name); };

    // Fixed-function units: the draw code feeds at most eight stages.
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    caps.simultaneousTextures = units < 1 ? 1 : (units > 8 ? 8 : units);
    GLint lightCount = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &lightCount);
    caps.maxLights = lightCount;

    caps.volumeTextures = glVersion >= 12 || has("GL_EXT_texture3D");
    caps.cubeTextures = glVersion >= 13 || has("GL_ARB_texture_cube_map") || has("GL_EXT_texture_cube_map");
    // Fixed-function texture coordinates always divide by q.
    caps.projectedTextures = true;

    // The programs are translated from versions 1.1 and 2.0 into GLSL 1.20;
    // nothing translates 3.0 programs, so Model3 is never claimed however
    // new the driver is. Without GLSL 1.20 neither stage has programs.
    const bool programs = glVersion >= 20 && glslVersion >= 12;
    caps.vertexShaderLevel = programs ? ShaderLevel::Model2 : ShaderLevel::None;
    caps.pixelShaderLevel = programs ? ShaderLevel::Model2 : ShaderLevel::None;
    // Programs sample the image units, of which drivers often have more
    // than fixed-function units; the engine has eight stages at most.
    GLint imageUnits = 0;
    if (programs)
        glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &imageUnits);
    caps.programTextures = imageUnits < 0 ? 0 : (imageUnits > 8 ? 8 : imageUnits);

    GLfloat pointRange[2] = {1.0f, 1.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, pointRange);
    caps.pointSprites = pointRange[1] > 1.0f;

    caps.occlusionQueries = false;
    if ((glVersion >= 15 || has("GL_ARB_occlusion_query")) && gl.HasQueries())
    {
        GLint counterBits = 0;
        gl.getQueryiv(GL_SAMPLES_PASSED, GL_QUERY_COUNTER_BITS, &counterBits);
        caps.occlusionQueries = counterBits > 0;
    }

    // Depth textures that compare against the reference in the sampler.
    caps.hardwareShadowmaps = glVersion >= 14 || (has("GL_ARB_depth_texture") && has("GL_ARB_shadow"));
    caps.floatTextures64 = glVersion >= 30 || has("GL_ARB_texture_float");

    // A render target's mip chain is rebuilt from its level 0 by
    // glGenerateMipmap after it is drawn, so a format counts when that call
    // exists and the driver accepts the format as a framebuffer colour
    // attachment (the cube variants also need cube textures). The formats:
    // A8, A16B16G16R16, R8G8B8, R8G8B8A8.
    struct Probe
    {
        GLenum internalFormat, format, type;
    };
    const Probe probes[4] = {{GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE},
                             {GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT},
                             {GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE},
                             {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE}};
    {
        GLStateScope scope(gl);
        for (int i = 0; i < 4; ++i)
        {
            const Probe& p = probes[i];
            caps.targetMipAutogen[i] =
                gl.generateMipmap && IsRenderableFormat(gl, p.internalFormat, p.format, p.type, false);
            caps.cubeTargetMipAutogen[i] = gl.generateMipmap && caps.cubeTextures &&
                                           IsRenderableFormat(gl, p.internalFormat, p.format, p.type, true);
        }
    }

    // DXT2 and DXT4 are DXT3 and DXT5 with premultiplied alpha, which no
    // OpenGL format describes.
    const bool s3tc = has("GL_EXT_texture_compression_s3tc");
    caps.compression[0] = s3tc;
    caps.compression[1] = false;
    caps.compression[2] = s3tc;
    caps.compression[3] = false;
    caps.compression[4] = s3tc;

    OverrideShaderLevels(caps);

    LogInfo("Simultaneous Textures [%d]", caps.simultaneousTextures);
    LogInfo("Max Active Lights [%d]", caps.maxLights);
    LogInfo("Volume Textures [%s]", TrueFalse(caps.volumeTextures));
    LogInfo("Cube Textures [%s]", TrueFalse(caps.cubeTextures));
    LogInfo("Projected Textures [%s]", TrueFalse(caps.projectedTextures));
    LogInfo("VERTEX SHADER %d", ToInt(caps.vertexShaderLevel));
    LogInfo("PIXEL SHADER %d", ToInt(caps.pixelShaderLevel));
    LogInfo("Point Sprites [%s]", TrueFalse(caps.pointSprites));
    LogInfo("Occlusion Query [%s]", TrueFalse(caps.occlusionQueries));
    LogInfo("Hardware Shadowmaps [%s]", TrueFalse(caps.hardwareShadowmaps));
    LogInfo("A16B16G16R16F Textures [%s]", TrueFalse(caps.floatTextures64));
    static const char* const kFormats[4] = {"A8", "A16B16G16R16", "R8G8B8", "R8G8B8A8"};
    for (int i = 0; i < 4; ++i)
        LogInfo("%s RenderTarget Textures MipMap Autogen support[%s]", kFormats[i],
                TrueFalse(caps.targetMipAutogen[i]));
    for (int i = 0; i < 4; ++i)
        LogInfo("%s CubeRenderTarget Textures MipMap Autogen support[%s]", kFormats[i],
                TrueFalse(caps.cubeTargetMipAutogen[i]));
    for (int i = 0; i < 5; ++i)
        LogInfo("DXT%d texture compression support[%s]", i + 1, TrueFalse(caps.compression[i]));
}
