#include "engine/render/gl/GLShaderProgram.h"

#include <cstdio>
#include <new>
#include <string>

#include "engine/core/Log.h"
#include "engine/render/gl/GLDevice.h"

namespace
{

// The driver's first complaint, on one line.
std::string FirstLine(const char* text)
{
    std::string line;
    for (const char* c = text; *c && *c != '\n' && line.size() < 300; ++c)
        line += *c == '\r' ? ' ' : *c;
    return line.empty() ? "причина не сообщается" : line;
}

// A stage of a translated program; 0 after one error line.
GLuint CompileStage(const GLFunctions& gl, GLenum kind, const std::string& source)
{
    const GLShaderProgram::Compiled stage = GLShaderProgram::Compile(gl, kind, source.c_str());
    if (stage.shader)
        return stage.shader;
    if (stage.noObject)
        LogError("Невозможно создать программу шейдера: драйвер не выдал объект");
    else
        LogError("Невозможно скомпилировать %s программу шейдера: %s",
                 kind == GL_VERTEX_SHADER ? "вершинную" : "пиксельную", FirstLine(stage.complaint.c_str()).c_str());
    return 0;
}

} // namespace

GLShaderProgram::Compiled GLShaderProgram::Compile(const GLFunctions& gl, GLenum kind, const char* source)
{
    Compiled result;
    const GLuint shader = gl.createShader(kind);
    if (!shader)
    {
        result.noObject = true;
        return result;
    }
    gl.shaderSource(shader, 1, &source, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
    {
        result.shader = shader;
        return result;
    }
    char message[1024] = {};
    gl.getShaderInfoLog(shader, sizeof message, nullptr, message);
    result.complaint = message;
    gl.deleteShader(shader);
    return result;
}

std::unique_ptr<GLShaderProgram> GLShaderProgram::Create(GLDevice& device, const ShaderTranslation* vertex,
                                                         const ShaderTranslation* pixel)
{
    if ((!vertex && !pixel) || (vertex && vertex->pixel) || (pixel && !pixel->pixel))
    {
        LogWarning("Программа шейдера не создана: нет подходящих стадий");
        return nullptr;
    }
    if (!device.MakeCurrent())
    {
        LogError("Программа шейдера не создана: контекст устройства недоступен");
        return nullptr;
    }
    const GLFunctions& gl = device.Functions();
    std::unique_ptr<GLShaderProgram> result(new (std::nothrow) GLShaderProgram(gl));
    if (!result)
    {
        LogError("Программа шейдера не создана: недостаточно памяти");
        return nullptr;
    }

    GLuint stages[2] = {0, 0};
    if (vertex && !(stages[0] = CompileStage(gl, GL_VERTEX_SHADER, vertex->source)))
        return nullptr;
    if (pixel && !(stages[1] = CompileStage(gl, GL_FRAGMENT_SHADER, pixel->source)))
    {
        if (stages[0])
            gl.deleteShader(stages[0]);
        return nullptr;
    }
    result->program = gl.createProgram();
    for (GLuint stage : stages)
        if (stage)
        {
            gl.attachShader(result->program, stage);
            // The program keeps an attached stage alive as long as it needs it.
            gl.deleteShader(stage);
        }
    if (vertex)
        for (const ShaderTranslation::Attribute& attribute : vertex->attributes)
        {
            char name[8];
            std::snprintf(name, sizeof name, "v%u", static_cast<unsigned>(attribute.inputRegister));
            gl.bindAttribLocation(result->program, static_cast<GLuint>(attribute.location), name);
        }
    gl.linkProgram(result->program);
    GLint linked = GL_FALSE;
    gl.getProgramiv(result->program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        char message[1024] = {};
        gl.getProgramInfoLog(result->program, sizeof message, nullptr, message);
        LogError("Невозможно собрать программу шейдера: %s", FirstLine(message).c_str());
        return nullptr;
    }

    result->hasVertex = vertex != nullptr;
    result->hasPixel = pixel != nullptr;
    if (vertex)
    {
        result->writesSpecular = vertex->writesSpecular;
        result->writesFog = vertex->writesFog;
        result->writesPointSize = vertex->writesPointSize;
        result->vertexConstants.assign(vertex->constantCount, -2);
        result->intConstants.assign(vertex->usesIntConstants ? 16 : 0, -2);
        result->boolConstants.assign(vertex->usesBoolConstants ? 16 : 0, -2);
        result->flipLocation = gl.getUniformLocation(result->program, "flipY");
    }
    if (pixel)
    {
        result->pixelConstants.assign(pixel->constantCount, -2);
        result->fogLocation = gl.getUniformLocation(result->program, "fogMode");
    }

    // Samplers read the unit of their number, for good.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    gl.useProgram(result->program);
    if (pixel)
        for (const ShaderTranslation::Sampler& sampler : pixel->samplers)
        {
            char name[8];
            std::snprintf(name, sizeof name, "s%u", static_cast<unsigned>(sampler.unit));
            const GLint location = gl.getUniformLocation(result->program, name);
            if (location >= 0)
                gl.uniform1i(location, sampler.unit);
        }
    gl.useProgram(static_cast<GLuint>(previous));
    return result;
}

GLShaderProgram::~GLShaderProgram()
{
    if (program)
        gl.deleteProgram(program);
}

void GLShaderProgram::Use() const
{
    gl.useProgram(program);
}

GLint GLShaderProgram::ElementLocation(std::vector<GLint>& cache, const char* name, uint32_t element)
{
    if (cache[element] == -2)
    {
        char text[24];
        std::snprintf(text, sizeof text, "%s[%u]", name, static_cast<unsigned>(element));
        cache[element] = gl.getUniformLocation(program, text);
    }
    return cache[element];
}

void GLShaderProgram::SetConstants(ConstantFile file, uint32_t firstRegister, const void* values,
                                   uint32_t registerCount)
{
    // Each file's location cache (its length is the declared file) and the
    // name of its uniform array in the translated source.
    struct Target
    {
        std::vector<GLint> GLShaderProgram::*cache;
        const char* name;
    };
    static constexpr Target kTargets[4] = {{&GLShaderProgram::vertexConstants, "vc"},
                                           {&GLShaderProgram::pixelConstants, "pc"},
                                           {&GLShaderProgram::intConstants, "vi"},
                                           {&GLShaderProgram::boolConstants, "vb"}};
    const auto index = static_cast<uint32_t>(file);
    if (!values || index >= 4)
        return;
    std::vector<GLint>& cache = this->*kTargets[index].cache;
    if (firstRegister >= cache.size())
        return;
    if (registerCount > cache.size() - firstRegister)
        registerCount = static_cast<uint32_t>(cache.size() - firstRegister);
    // The driver stops at the last element it keeps.
    const GLint location = ElementLocation(cache, kTargets[index].name, firstRegister);
    if (location < 0 || registerCount == 0)
        return;
    const GLsizei count = static_cast<GLsizei>(registerCount);
    if (file == ConstantFile::kVertexInt)
        gl.uniform4iv(location, count, static_cast<const GLint*>(values));
    else if (file == ConstantFile::kVertexBool)
        gl.uniform1iv(location, count, static_cast<const GLint*>(values));
    else
        gl.uniform4fv(location, count, static_cast<const GLfloat*>(values));
}

void GLShaderProgram::SetFlipY(bool flipped)
{
    if (flipLocation >= 0)
        gl.uniform1f(flipLocation, flipped ? -1.0f : 1.0f);
}

void GLShaderProgram::SetFogMode(int32_t mode)
{
    if (fogLocation >= 0)
        gl.uniform1i(fogLocation, mode >= 0 && mode <= 3 ? mode : 0);
}
