#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/render/gl/GLFunctions.h"
#include "engine/render/gl/ShaderTranslation.h"

class GLDevice;

// A translated vertex stage, pixel stage or both, compiled and linked in a
// device's context: what the renderer binds for the engine's vertex and
// pixel shaders. A missing stage is done by fixed function, so a vertex
// program alone keeps fixed-function texturing, fog and colour sum.
//
// Uniforms belong to the linked program, not to the device: the renderer
// uploads the registers a pass sets after Use, each time it binds the
// program for that pass. Every call needs the device's context current.
class GLShaderProgram
{
public:
    // construction

    // One GLSL stage compiled: the shader object, or 0 with noObject set when
    // the driver handed out none, else with the driver's complaint.
    struct Compiled
    {
        GLuint shader = 0;
        bool noObject = false;
        std::string complaint;
    };
    // The one place a GLSL source is compiled: the translated programs and
    // the device's ramp pass both come here. A refused stage is deleted.
    static Compiled Compile(const GLFunctions& gl, GLenum kind, const char* source);

    // vertex and pixel are translations from ShaderAssembler; either may be
    // null, not both. Binds each vertex input to its usage's attribute
    // location before linking and each sampler s# to texture unit #. Null
    // after one error line (with the compiler's first complaint) when the
    // driver refuses the program; the caller then draws with fixed function.
    static std::unique_ptr<GLShaderProgram> Create(GLDevice& device, const ShaderTranslation* vertex,
                                                   const ShaderTranslation* pixel);

    // Deletes the program; harmless on a lost device.
    ~GLShaderProgram();

    GLShaderProgram(const GLShaderProgram&) = delete;
    GLShaderProgram& operator=(const GLShaderProgram&) = delete;

    // binding

    // glUseProgram with this program; glUseProgram(0) goes back to fixed
    // function.
    void Use() const;
    GLuint Handle() const { return program; }

    // constants (the program must be in use)

    // The register files a program reads constants from.
    enum class ConstantFile : uint8_t
    {
        kVertexFloat, // c# of the vertex stage: four floats a register
        kPixelFloat,  // c# of the pixel stage: four floats a register
        kVertexInt,   // i#: four int32_t a register
        kVertexBool,  // b#: one int32_t a register, 0 false, anything else true
    };

    // registerCount registers from firstRegister, as the renderer's vertex
    // and pixel constant setters take them; values holds floats or int32_t
    // as the file says. Registers the program does not
    // read, or defines itself with def, are ignored.
    void SetConstants(ConstantFile file, uint32_t firstRegister, const void* values, uint32_t registerCount);

    // fixed-function state the stages stand in for

    // True while drawing into a texture that will be sampled with top-down
    // coordinates (the device conventions at the top of Renderer.h): the
    // vertex stage turns the picture upside down (which also turns the
    // winding: cull the other face). False, the default, for the back buffer.
    void SetFlipY(bool flipped);

    // Fog blended after the pixel stage: 0 none, 1 linear, 2 exponential,
    // 3 exponential squared, with the GL fog colour, start, end and density.
    // Default 0. Nothing to do without a pixel stage: GL's own fog applies.
    void SetFogMode(int32_t mode);

    // What the vertex stage writes, for the fixed-function state that must
    // go with it (GL_COLOR_SUM for specular, fog start 1 / end 0 for oFog,
    // GL_VERTEX_PROGRAM_POINT_SIZE for oPts).
    bool HasVertexStage() const { return hasVertex; }
    bool HasPixelStage() const { return hasPixel; }
    bool WritesSpecular() const { return writesSpecular; }
    bool WritesFog() const { return writesFog; }
    bool WritesPointSize() const { return writesPointSize; }

private:
    explicit GLShaderProgram(const GLFunctions& gl) : gl(gl) {}

    // Location of name[element], looked up once; -1 when the driver keeps
    // no such element (unread).
    GLint ElementLocation(std::vector<GLint>& cache, const char* name, uint32_t element);

    const GLFunctions& gl;       // the device's entry points, which outlive us
    GLuint program = 0;
    bool hasVertex = false;
    bool hasPixel = false;
    bool writesSpecular = false;
    bool writesFog = false;
    bool writesPointSize = false;
    GLint flipLocation = -1;
    GLint fogLocation = -1;

    // Lengths are the declared register files; entries start unknown.
    std::vector<GLint> vertexConstants;
    std::vector<GLint> pixelConstants;
    std::vector<GLint> intConstants;
    std::vector<GLint> boolConstants;
};
