#include "engine/render/gl/GLShaderProgram.h"

#include <EGL/egl.h>

#include <cstdio>
#include <new>
#include <string>

#include "engine/core/Log.h"
#include "engine/render/gl/GLDevice.h"

namespace
{

// OpenGL 2.0 calls the device's table does not carry. Fetched once:
// eglGetProcAddress gives pointers that serve every context.
struct UniformCalls
{
    PFNGLUNIFORM4FVPROC uniform4fv = nullptr;
    PFNGLUNIFORM4IVPROC uniform4iv = nullptr;
    PFNGLUNIFORM1IVPROC uniform1iv = nullptr;
    PFNGLUNIFORM1FPROC uniform1f = nullptr;
    PFNGLBINDATTRIBLOCATIONPROC bindAttribLocation = nullptr;
    bool loaded = false;
};

const UniformCalls& Calls()
{
    static UniformCalls calls;
    if (!calls.loaded)
    {
        calls.uniform4fv = reinterpret_cast<PFNGLUNIFORM4FVPROC>(eglGetProcAddress("glUniform4fv"));
        calls.uniform4iv = reinterpret_cast<PFNGLUNIFORM4IVPROC>(eglGetProcAddress("glUniform4iv"));
        calls.uniform1iv = reinterpret_cast<PFNGLUNIFORM1IVPROC>(eglGetProcAddress("glUniform1iv"));
        calls.uniform1f = reinterpret_cast<PFNGLUNIFORM1FPROC>(eglGetProcAddress("glUniform1f"));
        calls.bindAttribLocation =
            reinterpret_cast<PFNGLBINDATTRIBLOCATIONPROC>(eglGetProcAddress("glBindAttribLocation"));
        calls.loaded = calls.uniform4fv && calls.uniform4iv && calls.uniform1iv && calls.uniform1f &&
                       calls.bindAttribLocation;
    }
    return calls;
}

// The driver's first complaint, on one line.
std::string FirstLine(const char* text)
{
    std::string line;
    for (const char* c = text; *c && *c != '\n' && line.size() < 300; ++c)
        line += *c == '\r' ? ' ' : *c;
    return line.empty() ? "причина не сообщается" : line;
}

GLuint CompileStage(const GLFunctions& gl, GLenum kind, const std::string& source)
{
    GLuint shader = gl.createShader(kind);
    if (!shader)
    {
        LogError("Невозможно создать программу шейдера: драйвер не выдал объект");
        return 0;
    }
    const char* text = source.c_str();
    gl.shaderSource(shader, 1, &text, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    char message[1024] = {};
    gl.getShaderInfoLog(shader, sizeof message, nullptr, message);
    LogError("Невозможно скомпилировать %s программу шейдера: %s",
             kind == GL_VERTEX_SHADER ? "вершинную" : "пиксельную", FirstLine(message).c_str());
    gl.deleteShader(shader);
    return 0;
}

} // namespace

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
    const UniformCalls& calls = Calls();
    if (!calls.loaded)
    {
        LogError("Программа шейдера не создана: драйвер не даёт функций OpenGL 2.0");
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
            calls.bindAttribLocation(result->program, static_cast<GLuint>(attribute.location), name);
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

void GLShaderProgram::SetVertexConstants(uint32_t firstRegister, const float* values, uint32_t registerCount)
{
    if (!values || firstRegister >= vertexConstants.size())
        return;
    if (registerCount > vertexConstants.size() - firstRegister)
        registerCount = static_cast<uint32_t>(vertexConstants.size() - firstRegister);
    // The driver stops at the last element it keeps.
    const GLint location = ElementLocation(vertexConstants, "vc", firstRegister);
    if (location >= 0 && registerCount > 0)
        Calls().uniform4fv(location, static_cast<GLsizei>(registerCount), values);
}

void GLShaderProgram::SetPixelConstants(uint32_t firstRegister, const float* values, uint32_t registerCount)
{
    if (!values || firstRegister >= pixelConstants.size())
        return;
    if (registerCount > pixelConstants.size() - firstRegister)
        registerCount = static_cast<uint32_t>(pixelConstants.size() - firstRegister);
    const GLint location = ElementLocation(pixelConstants, "pc", firstRegister);
    if (location >= 0 && registerCount > 0)
        Calls().uniform4fv(location, static_cast<GLsizei>(registerCount), values);
}

void GLShaderProgram::SetVertexIntConstants(uint32_t firstRegister, const int32_t* values, uint32_t registerCount)
{
    if (!values || firstRegister >= intConstants.size())
        return;
    if (registerCount > intConstants.size() - firstRegister)
        registerCount = static_cast<uint32_t>(intConstants.size() - firstRegister);
    const GLint location = ElementLocation(intConstants, "vi", firstRegister);
    if (location >= 0 && registerCount > 0)
        Calls().uniform4iv(location, static_cast<GLsizei>(registerCount), values);
}

void GLShaderProgram::SetVertexBoolConstants(uint32_t firstRegister, const int32_t* values, uint32_t registerCount)
{
    if (!values || firstRegister >= boolConstants.size())
        return;
    if (registerCount > boolConstants.size() - firstRegister)
        registerCount = static_cast<uint32_t>(boolConstants.size() - firstRegister);
    const GLint location = ElementLocation(boolConstants, "vb", firstRegister);
    if (location >= 0 && registerCount > 0)
        Calls().uniform1iv(location, static_cast<GLsizei>(registerCount), values);
}

void GLShaderProgram::SetFlipY(bool flipped)
{
    if (flipLocation >= 0)
        Calls().uniform1f(flipLocation, flipped ? -1.0f : 1.0f);
}

void GLShaderProgram::SetFogMode(int32_t mode)
{
    if (fogLocation >= 0)
        gl.uniform1i(fogLocation, mode >= 0 && mode <= 3 ? mode : 0);
}
