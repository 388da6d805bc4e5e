#include "engine/render/gl/GLShaderCache.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <iterator>
#include <new>

#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "engine/render/Shader.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLShaderProgram.h"
#include "engine/render/gl/ShaderAssembler.h"

namespace
{

constexpr uint32_t kAttributeLocations = 16;

} // namespace

GLShaderCache::GLShaderCache() = default;

GLShaderCache::~GLShaderCache()
{
    // The renderer empties the cache in Shutdown while the device lives;
    // what is left here has lost its context.
    ForgetAll(false);
}

GLShaderCache::Entry* GLShaderCache::FindEntry(const Shader* shader) const
{
    auto found = entries.find(shader);
    return found == entries.end() ? nullptr : found->second.get();
}

GLShaderCache::Entry* GLShaderCache::Bind(Renderer* renderer, Shader* shader)
{
    Entry* entry = FindEntry(shader);
    if (entry && !shader->IsChanged() && shader->GetDeviceRenderer() == renderer)
        return entry;
    // New, or a new text: whatever was linked with the old one goes.
    if (entry)
        Forget(shader);
    std::unique_ptr<Entry> made(new (std::nothrow) Entry());
    if (!made)
    {
        LogError("Недостаточно памяти для программы шейдера [%s].", shader->GetName().CStr());
        return nullptr;
    }
    made->owner = shader;
    // The assembler logs its own line for a text it refuses.
    const bool assembled = ShaderAssembler::Assemble(shader->GetText().View(), made->translation) == 0;
    made->usable = assembled && made->translation.pixel == shader->IsPixelShader();
    if (assembled && !made->usable)
        LogError("Программа шейдера [%s] другого вида: она не будет использоваться.", shader->GetName().CStr());
    entry = made.get();
    entries[shader] = std::move(made);
    shader->ClearChanged();
    shader->SetDeviceHandle(renderer, entry);
    return entry;
}

GLShaderProgram* GLShaderCache::Program(GLDevice& device, const Entry* vertex, const Entry* pixel)
{
    const PairKey pair(vertex ? vertex->owner : nullptr, pixel ? pixel->owner : nullptr);
    auto known = pairs.find(pair);
    if (known != pairs.end())
        return linked[known->second].program.get();
    TextKey texts(vertex ? vertex->translation.source : std::string(),
                  pixel ? pixel->translation.source : std::string());
    Linked& shared = linked[texts];
    // GLShaderProgram logs its own line when the driver refuses.
    if (shared.users == 0)
        shared.program = GLShaderProgram::Create(device, vertex ? &vertex->translation : nullptr,
                                                 pixel ? &pixel->translation : nullptr);
    ++shared.users;
    GLShaderProgram* result = shared.program.get();
    pairs[pair] = std::move(texts);
    return result;
}

void GLShaderCache::DropPair(std::map<PairKey, TextKey>::iterator pair)
{
    auto shared = linked.find(pair->second);
    if (shared != linked.end() && --shared->second.users == 0)
        linked.erase(shared);
    pairs.erase(pair);
}

void GLShaderCache::BeginDraw(GLDevice& device, GLShaderProgram& program, const Entry& vertex, bool flipY,
                              const AttributeStream (&streams)[16], uint32_t vertexBound)
{
    const GLFunctions& gl = device.Functions();
    drawing = true;
    program.Use();
    program.SetFlipY(flipY);
    program.SetConstants(GLShaderProgram::ConstantFile::kVertexFloat, 0, vertexRegisters, kVertexRegisters);
    if (program.HasPixelStage())
        program.SetConstants(GLShaderProgram::ConstantFile::kPixelFloat, 0, pixelRegisters, kPixelRegisters);

    // oFog carries the fog factor itself: a linear ramp from 1 to 0 hands it
    // through unchanged, to GL's fog or to the pixel stage's.
    const bool fog = glIsEnabled(GL_FOG) == GL_TRUE;
    if (fog && program.WritesFog())
    {
        GLint mode = GL_EXP;
        glGetIntegerv(GL_FOG_MODE, &mode);
        savedFogMode = mode;
        glGetFloatv(GL_FOG_START, &savedFogStart);
        glGetFloatv(GL_FOG_END, &savedFogEnd);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 1.0f);
        glFogf(GL_FOG_END, 0.0f);
        fogOverridden = true;
    }
    if (program.HasPixelStage())
        program.SetFogMode(fog && program.WritesFog() ? 1 : 0);
    // Without a pixel stage the fixed-function stage adds the specular
    // output after texturing (the device conventions at the top of
    // Renderer.h).
    if (!program.HasPixelStage() && program.WritesSpecular())
    {
        glEnable(GL_COLOR_SUM);
        colourSumEnabled = true;
    }
    if (program.WritesPointSize())
    {
        glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
        pointSizeEnabled = true;
    }

    // Client arrays left on by a fixed-function draw must not be fetched.
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);

    for (const ShaderTranslation::Attribute& attribute : vertex.translation.attributes)
    {
        if (attribute.location < 0 || static_cast<uint32_t>(attribute.location) >= kAttributeLocations)
            continue;
        const GLuint location = static_cast<GLuint>(attribute.location);
        const AttributeStream& stream = streams[location];
        if (stream.data && stream.components > 0 && stream.count >= vertexBound)
        {
            gl.vertexAttribPointer(location, stream.components, GL_FLOAT, GL_FALSE, 0, stream.data);
            gl.enableVertexAttribArray(location);
            enabledAttributes.push_back(location);
        }
        else
        {
            // A missing input reads as the shader model's default.
            gl.disableVertexAttribArray(location);
            gl.vertexAttrib4f(location, 0.0f, 0.0f, 0.0f, 1.0f);
        }
    }
}

void GLShaderCache::EndDraw(GLDevice& device)
{
    if (!drawing)
        return;
    drawing = false;
    const GLFunctions& gl = device.Functions();
    for (uint32_t location : enabledAttributes)
        gl.disableVertexAttribArray(location);
    enabledAttributes.clear();
    if (fogOverridden)
    {
        glFogi(GL_FOG_MODE, savedFogMode);
        glFogf(GL_FOG_START, savedFogStart);
        glFogf(GL_FOG_END, savedFogEnd);
        fogOverridden = false;
    }
    if (colourSumEnabled)
    {
        glDisable(GL_COLOR_SUM);
        colourSumEnabled = false;
    }
    if (pointSizeEnabled)
    {
        glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
        pointSizeEnabled = false;
    }
    gl.useProgram(0);
}

void GLShaderCache::Forget(const Shader* shader)
{
    for (auto at = pairs.begin(); at != pairs.end();)
    {
        auto next = std::next(at);
        if (at->first.first == shader || at->first.second == shader)
            DropPair(at);
        at = next;
    }
    entries.erase(shader);
    if (vertexShader == shader)
        vertexShader = nullptr;
    if (pixelShader == shader)
        pixelShader = nullptr;
}

void GLShaderCache::ForgetAll(bool contextUsable)
{
    // A program's destructor deletes its GL object; on a lost context that
    // call does nothing, so the same path serves both cases.
    (void)contextUsable;
    pairs.clear();
    linked.clear();
    drawing = false;
    enabledAttributes.clear();
    fogOverridden = colourSumEnabled = pointSizeEnabled = false;
    vertexShader = nullptr;
    pixelShader = nullptr;
    // Clearing a record may let go of a reference to the renderer: take the
    // entries out first so nothing here is touched afterwards.
    std::map<const Shader*, std::unique_ptr<Entry>> gone;
    gone.swap(entries);
    for (auto& [shader, entry] : gone)
        if (entry && entry->owner)
            entry->owner->SetDeviceHandle(nullptr, nullptr);
}
