#pragma once
// Draws tiny translated shader programs headless and reads the result back
// as floats, so an instruction's output can be compared with its definition
// outside 0..1 and without 8-bit rounding.
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/render/gl/GLShaderProgram.h"
#include "engine/render/gl/ShaderAssembler.h"
#include "support/HeadlessGl.h"

using Float4 = std::array<float, 4>;

class ShaderRig
{
public:
    static constexpr int kSize = 4;

    // False (with the reason) when the device or the float target cannot
    // be had.
    bool Create(std::string& why)
    {
        device = GLDevice::Create(nullptr, 0, kSize, kSize, &why);
        if (!device)
            return false;
        if (!device->HasExtension("GL_ARB_texture_float"))
        {
            why = "no float textures";
            return false;
        }
        vertexAttrib4f = reinterpret_cast<PFNGLVERTEXATTRIB4FPROC>(eglGetProcAddress("glVertexAttrib4f"));
        multiTexCoord4f = reinterpret_cast<MultiTexCoord4f>(eglGetProcAddress("glMultiTexCoord4f"));
        const GLFunctions& gl = device->Functions();
        glGenTextures(1, &target);
        glBindTexture(GL_TEXTURE_2D, target);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F_ARB, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        gl.genRenderbuffers(1, &depth);
        gl.bindRenderbuffer(GL_RENDERBUFFER, depth);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kSize, kSize);
        gl.genFramebuffers(1, &framebuffer);
        gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        {
            why = "float target incomplete";
            return false;
        }
        return true;
    }

    GLDevice& Device() { return *device; }

    // Assembles and links; either text may be null. Fails the test (and
    // returns null) when anything refuses.
    std::unique_ptr<GLShaderProgram> Build(const char* vertexText, const char* pixelText)
    {
        ShaderTranslation vertex, pixel;
        if (vertexText)
        {
            EXPECT_EQ(ShaderAssembler::Assemble(vertexText, vertex), 0) << vertexText;
        }
        if (pixelText)
        {
            EXPECT_EQ(ShaderAssembler::Assemble(pixelText, pixel), 0) << pixelText;
        }
        if (::testing::Test::HasFailure())
            return nullptr;
        std::unique_ptr<GLShaderProgram> program =
            GLShaderProgram::Create(*device, vertexText ? &vertex : nullptr, pixelText ? &pixel : nullptr);
        EXPECT_NE(program, nullptr) << (vertexText ? vertex.source : pixel.source);
        return program;
    }

    // Binds the float target, clears it to `clear`, and draws a quad over
    // all of it with the program in use. perVertex runs before each of the
    // four corners (attributes, colours, coordinates).
    template <typename Setup, typename PerVertex>
    void Draw(GLShaderProgram* program, Float4 clear, Setup setup, PerVertex perVertex)
    {
        Clear(clear);
        if (program)
            program->Use();
        setup();
        static const float kCorners[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < 4; ++i)
        {
            perVertex(i);
            glVertex4f(kCorners[i][0], kCorners[i][1], 0.0f, 1.0f);
        }
        glEnd();
        device->Functions().useProgram(0);
    }

    // Binds the float target with its viewport and clears colour and depth.
    void Clear(Float4 clear)
    {
        device->Functions().bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, kSize, kSize);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // The float target's pixel (x, y counted from the bottom row).
    Float4 Pixel(int x, int y)
    {
        device->Functions().bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        Float4 value{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, value.data());
        return value;
    }

    // Runs a vertex program body between a position pass-through and the
    // copy of `result` (a register) to the target through oT0, with
    // constants c0.. set to `constants`. The body sees the vertex position
    // in v0 only.
    Float4 Vertex(const std::string& version, const std::string& body, const std::vector<Float4>& constants,
                  const char* result = "r0")
    {
        const std::string text = version + "\ndcl_position v0\nmov oPos, v0\n" + body + "\nmov oT0, " + result + "\n";
        std::unique_ptr<GLShaderProgram> program = Build(text.c_str(), kCopyTexCoord);
        if (!program)
            return {-999, -999, -999, -999};
        Draw(program.get(), {0, 0, 0, 0}, [&] { Upload(*program, constants, false); }, [](int) {});
        return Pixel(1, 1);
    }

    // Runs a pixel 2.0 program body with fixed-function vertices carrying
    // texture coordinate sets 0 and 1, and constants c0..
    Float4 PixelProgram(const std::string& text, const std::vector<Float4>& constants, Float4 coord0 = {},
                        Float4 coord1 = {})
    {
        std::unique_ptr<GLShaderProgram> program = Build(nullptr, text.c_str());
        if (!program)
            return {-999, -999, -999, -999};
        Draw(program.get(), {0, 0, 0, 0}, [&] { Upload(*program, constants, true); },
             [&](int) {
                 multiTexCoord4f(GL_TEXTURE0, coord0[0], coord0[1], coord0[2], coord0[3]);
                 multiTexCoord4f(GL_TEXTURE1, coord1[0], coord1[1], coord1[2], coord1[3]);
             });
        return Pixel(1, 1);
    }

    static void Upload(GLShaderProgram& program, const std::vector<Float4>& constants, bool pixel)
    {
        std::vector<float> flat;
        for (const Float4& c : constants)
            flat.insert(flat.end(), c.begin(), c.end());
        program.SetConstants(pixel ? GLShaderProgram::ConstantFile::kPixelFloat : GLShaderProgram::ConstantFile::kVertexFloat,
                             0, flat.data(), static_cast<uint32_t>(constants.size()));
    }

    static constexpr const char* kCopyTexCoord = "ps_2_0\ndcl t0\nmov oC0, t0\n";

    PFNGLVERTEXATTRIB4FPROC vertexAttrib4f = nullptr;
    using MultiTexCoord4f = void (*)(GLenum, GLfloat, GLfloat, GLfloat, GLfloat);
    MultiTexCoord4f multiTexCoord4f = nullptr;

    ~ShaderRig()
    {
        if (!device)
            return;
        device->MakeCurrent();
        const GLFunctions& gl = device->Functions();
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        if (framebuffer)
            gl.deleteFramebuffers(1, &framebuffer);
        if (depth)
            gl.deleteRenderbuffers(1, &depth);
        if (target)
            glDeleteTextures(1, &target);
    }

private:
    std::unique_ptr<GLDevice> device;
    GLuint framebuffer = 0;
    GLuint target = 0;
    GLuint depth = 0;
};

// Fixture: one device for the whole suite (contexts are costly on
// llvmpipe), skipped where no headless OpenGL exists.
class ShaderRender : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string why;
        if (!HeadlessOpenGL(why))
        {
            skipReason = "no headless OpenGL here: " + why;
            return;
        }
        rig = new ShaderRig();
        if (!rig->Create(why))
        {
            skipReason = "shader rig unavailable: " + why;
            delete rig;
            rig = nullptr;
        }
    }

    static void TearDownTestSuite()
    {
        delete rig;
        rig = nullptr;
    }

    void SetUp() override
    {
        if (!rig)
            GTEST_SKIP() << skipReason;
        rig->Device().MakeCurrent();
    }

    static inline ShaderRig* rig = nullptr;
    static inline std::string skipReason;
};

// Float comparison with a relative and absolute allowance.
#define EXPECT_FLOAT4_NEAR(actual, expected, tolerance)                                         \
    do                                                                                          \
    {                                                                                           \
        const Float4 a_ = (actual);                                                             \
        const Float4 e_ = (expected);                                                           \
        for (int i_ = 0; i_ < 4; ++i_)                                                          \
            EXPECT_NEAR(a_[i_], e_[i_], (tolerance) * (1.0f + std::fabs(e_[i_])))               \
                << "component " << i_;                                                          \
    } while (0)
