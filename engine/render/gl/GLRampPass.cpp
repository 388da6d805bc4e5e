#include "engine/render/gl/GLRampPass.h"

#include "engine/render/gl/GLShaderProgram.h"

namespace
{

// Positions are already in clip space; the matrices of the renderer play no
// part, and the picture's coordinates follow from the position.
const char* const kVertexSource =
    "#version 120\n"
    "varying vec2 pictureCoord;\n"
    "void main()\n"
    "{\n"
    "    pictureCoord = gl_Vertex.xy * 0.5 + 0.5;\n"
    "    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);\n"
    "}\n";

// Each channel is turned back into its byte (0..255) and that texel of the
// 256-wide ramp is taken at its centre, so filtering never mixes entries.
const char* const kFragmentSource =
    "#version 120\n"
    "uniform sampler2D picture;\n"
    "uniform sampler2D ramp;\n"
    "varying vec2 pictureCoord;\n"
    "void main()\n"
    "{\n"
    "    vec3 colour = texture2D(picture, pictureCoord).rgb;\n"
    "    vec3 entry = (floor(clamp(colour, 0.0, 1.0) * 255.0 + 0.5) + 0.5) / 256.0;\n"
    "    gl_FragColor = vec4(texture2D(ramp, vec2(entry.r, 0.5)).r,\n"
    "                        texture2D(ramp, vec2(entry.g, 0.5)).g,\n"
    "                        texture2D(ramp, vec2(entry.b, 0.5)).b, 1.0);\n"
    "}\n";

GLuint Compile(const GLFunctions& gl, GLenum kind, const char* source, std::string* why)
{
    const GLShaderProgram::Compiled stage = GLShaderProgram::Compile(gl, kind, source);
    if (!stage.shader && why)
        *why = "программа вывода кадра не компилируется: " + stage.complaint.substr(0, 511);
    return stage.shader;
}

} // namespace

bool GLRampPass::Create(std::string* why)
{
    Release();
    GLuint vertex = Compile(gl, GL_VERTEX_SHADER, kVertexSource, why);
    if (!vertex)
        return false;
    GLuint fragment = Compile(gl, GL_FRAGMENT_SHADER, kFragmentSource, why);
    if (!fragment)
    {
        gl.deleteShader(vertex);
        return false;
    }
    program = gl.createProgram();
    gl.attachShader(program, vertex);
    gl.attachShader(program, fragment);
    gl.linkProgram(program);
    // The program keeps the attached shaders alive as long as it needs them.
    gl.deleteShader(vertex);
    gl.deleteShader(fragment);
    GLint linked = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        char message[512] = {};
        gl.getProgramInfoLog(program, sizeof message, nullptr, message);
        if (why)
            *why = std::string("программа вывода кадра не собирается: ") + message;
        Release();
        return false;
    }

    GLint oldProgram = 0, oldTexture = 0, oldUnit = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &oldProgram);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &oldUnit);
    gl.useProgram(program);
    gl.uniform1i(gl.getUniformLocation(program, "picture"), 0);
    gl.uniform1i(gl.getUniformLocation(program, "ramp"), 1);
    gl.useProgram(static_cast<GLuint>(oldProgram));

    gl.activeTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
    glGenTextures(1, &rampTexture);
    glBindTexture(GL_TEXTURE_2D, rampTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // Storage only; the identity ramp below is uploaded at the first Draw.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTexture));
    gl.activeTexture(static_cast<GLenum>(oldUnit));

    uint16_t identity[256];
    for (int i = 0; i < 256; ++i)
        identity[i] = static_cast<uint16_t>(i * 256);
    SetRamp(identity, identity, identity);
    return true;
}

void GLRampPass::Release()
{
    if (program)
        gl.deleteProgram(program);
    if (rampTexture)
        glDeleteTextures(1, &rampTexture);
    program = 0;
    rampTexture = 0;
}

void GLRampPass::SetRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256])
{
    for (int i = 0; i < 256; ++i)
    {
        ramp[i * 4 + 0] = static_cast<uint8_t>(red[i] >> 8);
        ramp[i * 4 + 1] = static_cast<uint8_t>(green[i] >> 8);
        ramp[i * 4 + 2] = static_cast<uint8_t>(blue[i] >> 8);
        ramp[i * 4 + 3] = 255;
    }
    rampDirty = true;
}

void GLRampPass::Draw(GLuint picture, int pictureWidth, int pictureHeight, int x, int y, int width, int height)
{
    if (!program)
        return;

    // Whatever the renderer left switched on would otherwise reach the
    // picture: tests, blending, masks, clipping, stippling.
    static const GLenum kOff[] = {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_BLEND, GL_CULL_FACE,
                                  GL_SCISSOR_TEST, GL_COLOR_LOGIC_OP, GL_POLYGON_STIPPLE, GL_POLYGON_SMOOTH,
                                  GL_POLYGON_OFFSET_FILL, GL_DITHER, GL_SAMPLE_ALPHA_TO_COVERAGE,
                                  GL_SAMPLE_ALPHA_TO_ONE, GL_SAMPLE_COVERAGE, GL_FOG, GL_LIGHTING,
                                  GL_VERTEX_PROGRAM_POINT_SIZE};
    for (GLenum capability : kOff)
        glDisable(capability);
    GLint clipPlanes = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &clipPlanes);
    for (GLint plane = 0; plane < clipPlanes; ++plane)
        glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + plane));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glViewport(x, y, width, height);

    gl.activeTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, rampTexture);
    if (rampDirty)
    {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGBA, GL_UNSIGNED_BYTE, ramp);
        rampDirty = false;
    }
    gl.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture);
    // Same size: every pixel takes exactly its texel. Scaled: smooth.
    const GLint filter = pictureWidth == width && pictureHeight == height ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);

    gl.useProgram(program);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(-1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glEnd();
}
