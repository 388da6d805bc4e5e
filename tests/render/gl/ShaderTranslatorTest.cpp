// Tiny programs drawn headless through the translator into a float target
// and read back, so each instruction's output is compared with its
// definition computed here, outside 0..1 and without 8-bit rounding.
#include <array>
#include <cfloat>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
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
#include "support/LogCapture.h"

namespace
{

using Float4 = std::array<float, 4>;

constexpr float kMax = FLT_MAX;

Float4 Splat(float v) { return {v, v, v, v}; }

// Float comparison with a relative and absolute allowance.
void ExpectNear(const Float4& got, const Float4& want, float tolerance)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], tolerance * (1.0f + std::fabs(want[i]))) << "component " << i;
}

// One device and a 4 x 4 float target for the whole suite (contexts are
// costly on llvmpipe), skipped where either cannot be had.
class ShaderRender : public ::testing::Test
{
protected:
    static constexpr int kSize = 4;
    using MultiTexCoord4f = void (*)(GLenum, GLfloat, GLfloat, GLfloat, GLfloat);

    static void SetUpTestSuite()
    {
        std::string why;
        if (!HeadlessOpenGL(why))
        {
            skipReason = "no headless OpenGL here: " + why;
            return;
        }
        device = GLDevice::Create(nullptr, 0, kSize, kSize, &why);
        if (!device || !device->HasExtension("GL_ARB_texture_float"))
        {
            skipReason = "shader rig unavailable: " + (device ? std::string("no float textures") : why);
            device.reset();
            return;
        }
        multiTexCoord4f = reinterpret_cast<MultiTexCoord4f>(eglGetProcAddress("glMultiTexCoord4f"));
        const GLFunctions& gl = device->Functions();
        glGenTextures(1, &target);
        glBindTexture(GL_TEXTURE_2D, target);
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
            skipReason = "shader rig unavailable: float target incomplete";
            TearDownTestSuite();
        }
    }

    // The context takes its objects with it.
    static void TearDownTestSuite() { device.reset(); }

    void SetUp() override
    {
        if (!device)
            GTEST_SKIP() << skipReason;
        device->MakeCurrent();
    }

    // Assembles and links; either text may be null. Fails the test (and
    // returns null) when anything refuses.
    static std::unique_ptr<GLShaderProgram> Build(const char* vertexText, const char* pixelText)
    {
        ShaderTranslation vertex, pixel;
        if (vertexText && ShaderAssembler::Assemble(vertexText, vertex) != 0)
            ADD_FAILURE() << vertexText;
        if (pixelText && ShaderAssembler::Assemble(pixelText, pixel) != 0)
            ADD_FAILURE() << pixelText;
        if (::testing::Test::HasFailure())
            return nullptr;
        std::unique_ptr<GLShaderProgram> program =
            GLShaderProgram::Create(*device, vertexText ? &vertex : nullptr, pixelText ? &pixel : nullptr);
        EXPECT_NE(program, nullptr) << (vertexText ? vertex.source : pixel.source);
        return program;
    }

    // Binds the float target with its viewport and clears colour and depth.
    static void Clear()
    {
        device->Functions().bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Clears and draws a quad over the whole target with the program in
    // use; setup runs once the program is in use, perVertex before each of
    // the four corners.
    template <typename Setup, typename PerVertex>
    static void Draw(GLShaderProgram& program, Setup setup, PerVertex perVertex)
    {
        Clear();
        program.Use();
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

    // The float target's pixel (x, y counted from the bottom row).
    static Float4 Pixel(int x, int y)
    {
        device->Functions().bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        Float4 value{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, value.data());
        return value;
    }

    static void Upload(GLShaderProgram& program, const std::vector<Float4>& constants, bool pixel)
    {
        std::vector<float> flat;
        for (const Float4& c : constants)
            flat.insert(flat.end(), c.begin(), c.end());
        program.SetConstants(pixel ? GLShaderProgram::ConstantFile::kPixelFloat
                                   : GLShaderProgram::ConstantFile::kVertexFloat,
                             0, flat.data(), static_cast<uint32_t>(constants.size()));
    }

    // A vertex program body between a position pass-through and the copy of
    // r0 to the target through oT0, with constants c0.. uploaded. The body
    // sees the vertex position in v0 only.
    static Float4 Vertex(const std::string& version, const std::string& body, const std::vector<Float4>& constants)
    {
        const std::string text = version + "\ndcl_position v0\nmov oPos, v0\n" + body + "\nmov oT0, r0\n";
        std::unique_ptr<GLShaderProgram> program = Build(text.c_str(), kCopyTexCoord);
        if (!program)
            return Splat(-999);
        Draw(*program, [&] { Upload(*program, constants, false); }, [](int) {});
        return Pixel(1, 1);
    }

    // A pixel program with fixed-function vertices carrying texture
    // coordinate sets 0 and 1, and constants c0..
    static Float4 PixelProgram(const std::string& text, const std::vector<Float4>& constants, Float4 coord0,
                               Float4 coord1)
    {
        std::unique_ptr<GLShaderProgram> program = Build(nullptr, text.c_str());
        if (!program)
            return Splat(-999);
        Draw(*program, [&] { Upload(*program, constants, true); },
             [&](int) {
                 multiTexCoord4f(GL_TEXTURE0, coord0[0], coord0[1], coord0[2], coord0[3]);
                 multiTexCoord4f(GL_TEXTURE1, coord1[0], coord1[1], coord1[2], coord1[3]);
             });
        return Pixel(1, 1);
    }

    static constexpr const char* kCopyTexCoord = "ps_2_0\ndcl t0\nmov oC0, t0\n";

    static inline std::unique_ptr<GLDevice> device;
    static inline GLuint framebuffer = 0;
    static inline GLuint target = 0;
    static inline GLuint depth = 0;
    static inline MultiTexCoord4f multiTexCoord4f = nullptr;
    static inline std::string skipReason;
};

// One instruction sequence and the result its definition gives.
struct VertexRow
{
    const char* version;
    std::string body;
    std::vector<Float4> constants;
    Float4 expected;
    float tolerance;
};

// ---------------------------------------------------------------- vertex

TEST_F(ShaderRender, VertexInstructionsFollowTheirDefinitions)
{
    std::vector<VertexRow> rows;
    // Swizzles (a short one repeats its last component), masks (components
    // outside keep what the register held), negation and saturation.
    const Float4 a{0.25f, -0.5f, 2.0f, 3.0f};
    const Float4 b{1.5f, 0.75f, -1.0f, 0.125f};
    const Float4 difference{a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]};
    for (const char* v : {"vs_1_1", "vs_2_0"})
        rows.insert(rows.end(), {
            {v, "add r0, c0, -c1", {a, b}, difference, 1e-6f},
            {v, "sub r0, c0, c1", {a, b}, difference, 1e-6f},
            {v, "mul r0, c0.yzwx, c1.x", {a, b}, {a[1] * b[0], a[2] * b[0], a[3] * b[0], a[0] * b[0]}, 1e-6f},
            {v, "mov r0, c0.zy", {a}, {a[2], a[1], a[1], a[1]}, 1e-6f},
            {v, "mad r0, c0, c1, -c0.w", {a, b},
             {a[0] * b[0] - a[3], a[1] * b[1] - a[3], a[2] * b[2] - a[3], a[3] * b[3] - a[3]}, 1e-6f},
            {v, "mov r0, c1\nmov r0.xz, -c0", {a, b}, {-a[0], b[1], -a[2], b[3]}, 1e-6f},
            {v, "mov r0, c1\nMUL R0.GA, C0.R, c0.w", {a, b}, {b[0], a[0] * a[3], b[2], a[0] * a[3]}, 1e-6f},
            {v, "mov_sat r0, c0.abgr", {a}, {1, 1, 0, 0.25f}, 1e-6f},
        });

    // Dot products and matrix macros use consecutive registers; the
    // three-row forms leave w alone, m3x2 leaves z and w.
    const Float4 p{0.5f, -2.0f, 1.5f, 2.0f};
    const Float4 m[4] = {{1, 2, 3, 4}, {-1, 0.5f, 2, 0}, {0, 0, 1, -3}, {2, -2, 0.25f, 1}};
    auto dot4 = [&](int r) { return p[0] * m[r][0] + p[1] * m[r][1] + p[2] * m[r][2] + p[3] * m[r][3]; };
    auto dot3 = [&](int r) { return p[0] * m[r][0] + p[1] * m[r][1] + p[2] * m[r][2]; };
    const std::vector<Float4> c = {p, m[0], m[1], m[2], m[3], Splat(9)};
    rows.insert(rows.end(), {
        {"vs_1_1", "dp3 r0, c0, c1", c, Splat(dot3(0)), 1e-6f},
        {"vs_1_1", "dp4 r0, c0, c2", c, Splat(dot4(1)), 1e-6f},
        {"vs_1_1", "m4x4 r0, c0, c1", c, {dot4(0), dot4(1), dot4(2), dot4(3)}, 1e-6f},
        {"vs_2_0", "mov r0, c5\nm4x3 r0, c0, c1", c, {dot4(0), dot4(1), dot4(2), 9}, 1e-6f},
        {"vs_2_0", "m3x4 r0, c0, c1", c, {dot3(0), dot3(1), dot3(2), dot3(3)}, 1e-6f},
        {"vs_2_0", "mov r0, c5\nm3x3 r0, c0, c1", c, {dot3(0), dot3(1), dot3(2), 9}, 1e-6f},
        {"vs_1_1", "mov r0, c5\nm3x2 r0, c0, c1", c, {dot3(0), dot3(1), 9, 9}, 1e-6f},
    });

    // rcp and rsq of 0 give the largest float, of exactly 1 exactly 1; rsq
    // takes the magnitude; an unswizzled source reads x. The largest float
    // times 0 is 0, unlike an infinity.
    const Float4 in{0.0f, 1.0f, -0.5f, -4.0f};
    // log of 0 is the lowest float; 1.1's expp gives 2^floor, fraction, 2^v,
    // 1; 2.0's gives 2^v everywhere.
    const Float4 e{0.0f, -8.0f, 2.5f, -1.5f};
    rows.insert(rows.end(), {
        {"vs_1_1", "rcp r0, c0.x", {in}, Splat(kMax), 0.0f},
        {"vs_1_1", "rcp r0, c0.y", {in}, Splat(1.0f), 0.0f},
        {"vs_2_0", "rcp r0, c0.z", {in}, Splat(-2.0f), 1e-6f},
        {"vs_2_0", "rsq r0, c0", {in}, Splat(kMax), 0.0f},
        {"vs_2_0", "rsq r0, c0.y", {in}, Splat(1.0f), 0.0f},
        {"vs_1_1", "rsq r0, c0.w", {in}, Splat(0.5f), 1e-6f},
        {"vs_1_1", "rcp r0, c0.x\nmul r0, r0, c0.x", {in}, Splat(0.0f), 0.0f},
        {"vs_1_1", "log r0, c0.x", {e}, Splat(-kMax), 0.0f},
        {"vs_1_1", "logp r0, c0.x", {e}, Splat(-kMax), 0.0f},
        {"vs_2_0", "log r0, c0.y", {e}, Splat(3.0f), 1e-6f},
        {"vs_2_0", "logp r0, c0.y", {e}, Splat(3.0f), 1e-6f},
        {"vs_1_1", "exp r0, c0.z", {e}, Splat(std::exp2(2.5f)), 1e-6f},
        {"vs_2_0", "exp r0, c0.w", {e}, Splat(std::exp2(-1.5f)), 1e-6f},
        {"vs_1_1", "expp r0, c0.z", {e}, {4.0f, 0.5f, std::exp2(2.5f), 1.0f}, 1e-6f},
        {"vs_1_1", "expp r0, c0.w", {e}, {0.25f, 0.5f, std::exp2(-1.5f), 1.0f}, 1e-6f},
        {"vs_2_0", "expp r0, c0.z", {e}, Splat(std::exp2(2.5f)), 1e-6f},
    });

    // lit clamps its inputs and its power.
    const std::vector<Float4> lit = {{0.5f, 0.8f, 7.0f, 10.0f}, {-0.5f, 0.8f, 0, 10.0f}, {0.5f, -0.8f, 0, 10.0f},
                                     {0.5f, 0.0f, 0, 0.0f}, {0.25f, 0.999f, 0, 300.0f}, {0.25f, 0.999f, 0, -300.0f},
                                     {1.0f, 0.5f, 0, 0.0f}};
    for (const Float4& l : lit)
    {
        const float power = std::fmin(std::fmax(l[3], -127.9961f), 127.9961f);
        const Float4 want{1, l[0] > 0 ? l[0] : 0, l[0] > 0 && l[1] > 0 ? std::pow(l[1], power) : 0, 1};
        rows.push_back({"vs_1_1", "lit r0, c0", {l}, want, 1e-5f});
    }

    // Distance, fraction, comparisons, signs, cross product, lerp, nrm (w
    // scaled by the same factor; a zero vector stays zero) and pow (of
    // |base|; a zero base follows exp(power * log 0)).
    const Float4 s{-1.25f, 2.0f, 0.5f, 3.75f};
    const Float4 t{0.5f, 2.0f, -0.5f, 4.0f};
    const Float4 u{1.0f, 2.0f, 3.0f, 5.0f};
    const Float4 w{-2.0f, 0.5f, 1.0f, 7.0f};
    const float length = std::sqrt(14.0f);
    const Float4 q{-2.0f, 3.0f, 0.0f, -1.0f};
    rows.insert(rows.end(), {
        {"vs_1_1", "dst r0, c0, c1", {s, t}, {1.0f, s[1] * t[1], s[2], t[3]}, 1e-6f},
        {"vs_2_0", "frc r0, c0", {s}, {0.75f, 0.0f, 0.5f, 0.75f}, 1e-6f},
        {"vs_1_1", "mov r0, c1\nfrc r0.xy, c0", {s, t}, {0.75f, 0.0f, t[2], t[3]}, 1e-6f},
        {"vs_1_1", "min r0, c0, c1", {s, t}, {-1.25f, 2.0f, -0.5f, 3.75f}, 1e-6f},
        {"vs_1_1", "max r0, c0, c1", {s, t}, {0.5f, 2.0f, 0.5f, 4.0f}, 1e-6f},
        {"vs_1_1", "slt r0, c0, c1", {s, t}, {1, 0, 0, 1}, 0.0f},
        {"vs_1_1", "sge r0, c0, c1", {s, t}, {0, 1, 1, 0}, 0.0f},
        {"vs_2_0", "abs r0, c0", {s}, {1.25f, 2.0f, 0.5f, 3.75f}, 1e-6f},
        {"vs_2_0", "sgn r0, c0.xyzw, r1, r2", {{-3.0f, 0.0f, 0.25f, -0.0f}}, {-1, 0, 1, 0}, 0.0f},
        {"vs_2_0", "mov r0, c2\ncrs r0.xyz, c0, c1", {u, w, Splat(9)},
         {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0], 9}, 1e-6f},
        {"vs_2_0", "lrp r0, c2, c0, c1", {u, w, {0.25f, 0.5f, 1.0f, 0.0f}}, {-1.25f, 1.25f, 3.0f, 7.0f}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {u}, {1 / length, 2 / length, 3 / length, 5 / length}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {{0, 0, 0, 1}}, {0, 0, 0, kMax}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {{0, 0, 0, 0}}, Splat(0), 0.0f},
        {"vs_2_0", "pow r0, c0.x, c0.y", {q}, Splat(8.0f), 1e-5f},
        {"vs_2_0", "pow r0, c0.x, c0.w", {q}, Splat(0.5f), 1e-6f},
        {"vs_2_0", "pow r0, c0.z, c0.z", {q}, Splat(1.0f), 0.0f},
        {"vs_2_0", "pow r0, c0.z, c0.y", {q}, Splat(0.0f), 0.0f},
    });

    // sincos writes only cosine and sine, each where the mask asks.
    const std::vector<Float4> sc = {{1.0f, 0.0f, 0.0f, 0.0f},
                                    {-1.5500992e-6f, -2.1701389e-5f, 0.0026041667f, 0.00026041668f},
                                    {-0.020833334f, -0.125f, 1.0f, 0.5f}, Splat(9)};
    const float cosine = std::cos(1.0f), sine = std::sin(1.0f);
    rows.insert(rows.end(), {
        {"vs_2_0", "mov r0, c3\nsincos r0.xy, c0.x, c1, c2", sc, {cosine, sine, 9, 9}, 1e-5f},
        {"vs_2_0", "mov r0, c3\nsincos r0.x, c0.x, c1, c2", sc, {cosine, 9, 9, 9}, 1e-5f},
        {"vs_2_0", "mov r0, c3\nsincos r0.y, c0.x, c1, c2", sc, {9, sine, 9, 9}, 1e-5f},
    });

    // The address register rounds to nearest; c(k) holds k in x, so the
    // register read back names the index. 2.0 reads any component of a0,
    // and the base may also stand before the bracket.
    std::vector<Float4> indexed;
    for (int k = 0; k < 12; ++k)
        indexed.push_back({static_cast<float>(k), 0, 0, 0});
    for (auto [value, index] : {std::pair{1.4f, 1}, std::pair{1.5f, 2}, std::pair{2.49f, 2}, std::pair{2.6f, 3},
                                std::pair{-0.4f, 0}, std::pair{-0.6f, -1}})
    {
        std::vector<Float4> withInput = indexed;
        withInput.push_back({value, value, 0, 0}); // c12
        const Float4 read{static_cast<float>(index + 5), 0, 0, 0};
        rows.push_back({"vs_2_0", "mova a0.x, c12.x\nmov r0, c[a0.x + 5]", withInput, read, 0.0f});
        rows.push_back({"vs_1_1", "mov a0.x, c12.x\nmov r0, c[a0.x + 5]", withInput, read, 0.0f});
    }
    indexed.push_back({0.0f, 3.0f, 0, 0});
    rows.push_back({"vs_2_0", "mova a0.xy, c12\nmov r0, c[a0.y + 2]", indexed, {5, 0, 0, 0}, 0.0f});
    rows.push_back({"vs_2_0", "mova a0.xy, c12\nmov r0, c4[a0.y]", indexed, {7, 0, 0, 0}, 0.0f});

    // A defined register wins over the uploaded one, read directly or
    // relatively; outside the register file reads give 0.
    std::vector<Float4> relative(10, Splat(1.0f));
    relative[3] = Splat(3);
    relative.push_back({300, -6, 2, 0}); // c10: addresses
    const std::string defined = "def c4, 0.5, 0.25, 0.125, 2\n";
    const Float4 c4{0.5f, 0.25f, 0.125f, 2};
    rows.insert(rows.end(), {
        {"vs_2_0", defined + "mova a0, c10\nmov r0, c[a0.z + 2]", relative, c4, 0.0f},
        {"vs_2_0", defined + "mov r0, c4", relative, c4, 0.0f},
        {"vs_2_0", defined + "mova a0, c10\nmov r0, c[a0.z + 1]", relative, Splat(3), 0.0f},
        {"vs_2_0", "mova a0, c10\nmov r0, c[a0.x + 1]", relative, Splat(0), 0.0f},
        {"vs_2_0", "mova a0, c10\nmov r0, c[a0.y + 2]", relative, Splat(0), 0.0f},
        {"vs_1_1", defined + "mov a0.x, c10.z\nmov r0, c[a0.x + 2]", relative, c4, 0.0f},
    });

    // rep with a defined count; loop walks aL over c[aL + n].
    rows.insert(rows.end(), {
        {"vs_2_0", "defi i0, 5, 0, 0, 0\nrep i0\nadd r0, r0, c0\nendrep", {Splat(0.5f)}, Splat(2.5f), 1e-6f},
        {"vs_2_0", "defi i1, 2, 1, 2, 0\nloop aL, i1\nadd r0, r0, c[aL]\nendloop",
         {{1, 0, 0, 0}, {10, 0, 0, 0}, {100, 0, 0, 0}, {1000, 0, 0, 0}}, {1010, 0, 0, 0}, 1e-6f},
    });

    for (const VertexRow& row : rows)
    {
        SCOPED_TRACE(std::string(row.version) + ": " + row.body);
        ExpectNear(Vertex(row.version, row.body, row.constants), row.expected, row.tolerance);
    }
}

TEST_F(ShaderRender, UploadedIntegersAndBooleansSteerLoopsBranchesAndCalls)
{
    const std::string text = "vs_2_0\ndcl_position v0\nmov oPos, v0\n"
                             "rep i0\n  if b1\n    add r0, r0, c0\n  else\n    call l2\n  endif\nendrep\n"
                             "callnz l3, !b2\nmov oT0, r0\nret\n"
                             "label l2\n  add r0, r0, c1\nret\nlabel l3\n  mul r0, r0, c2\nret\n";
    std::unique_ptr<GLShaderProgram> program = Build(text.c_str(), kCopyTexCoord);
    ASSERT_NE(program, nullptr);
    for (auto [count, b1, b2, expected] : {std::tuple{3, 1, 1, 3.0f}, std::tuple{3, 0, 1, 30.0f},
                                           std::tuple{2, 1, 0, 20.0f}, std::tuple{0, 1, 0, 0.0f},
                                           std::tuple{-4, 1, 1, 0.0f}})
    {
        SCOPED_TRACE(count);
        Draw(*program,
             [&] {
                 Upload(*program, {Splat(1), Splat(10), Splat(10)}, false);
                 const int32_t counts[4] = {count, 0, 0, 0};
                 const int32_t flags[3] = {0, b1, b2};
                 program->SetConstants(GLShaderProgram::ConstantFile::kVertexInt, 0, counts, 1);
                 program->SetConstants(GLShaderProgram::ConstantFile::kVertexBool, 0, flags, 3);
             },
             [](int) {});
        ExpectNear(Pixel(1, 1), Splat(expected), 1e-6f);
    }
}

// --------------------------------------------------------------- outputs

TEST_F(ShaderRender, ClipDepthZeroToOneAndTheVerticalFlip)
{
    // oPos.z = k * w lands at window depth k; the quad covers the upper
    // half of the picture unless flipped.
    const char* text = "vs_2_0\ndcl_position v0\nmul r0, v0, c0.x\nmul r0.y, r0.y, c0.z\nadd r0.y, r0.y, c0.w\n"
                       "mul r0.z, c0.y, c0.x\nmov r0.w, c0.x\nmov oPos, r0\nmov oT0, c1\n";
    std::unique_ptr<GLShaderProgram> program = Build(text, kCopyTexCoord);
    ASSERT_NE(program, nullptr);
    for (float depth : {0.0f, 0.25f, 0.75f})
        for (bool flipped : {false, true})
        {
            SCOPED_TRACE(testing::Message() << depth << (flipped ? " flipped" : ""));
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(GL_ALWAYS);
            Draw(*program,
                 [&] {
                     Upload(*program, {{2.0f, depth, 0.5f, 1.0f}, Splat(1)}, false);
                     program->SetFlipY(flipped);
                 },
                 [](int) {});
            glDisable(GL_DEPTH_TEST);
            const int covered = flipped ? 0 : 3; // GL rows count from the bottom
            EXPECT_EQ(Pixel(1, covered)[0], 1.0f);
            EXPECT_EQ(Pixel(1, 3 - covered)[0], 0.0f);
            float stored = -1;
            glReadPixels(1, covered, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &stored);
            EXPECT_NEAR(stored, depth, 1e-6f);
        }
}

TEST_F(ShaderRender, PointSizeComesFromTheProgram)
{
    const char* text = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c0\nmov oPts, c0.w\n";
    std::unique_ptr<GLShaderProgram> program = Build(text, nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->WritesPointSize());
    glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
    glPointSize(1.0f);
    Clear();
    program->Use();
    Upload(*program, {{1, 1, 1, 4}}, false);
    glBegin(GL_POINTS);
    glVertex4f(0, 0, 0, 1);
    glEnd();
    device->Functions().useProgram(0);
    glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
    std::vector<float> all(kSize * kSize * 4);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, all.data());
    EXPECT_EQ(all, std::vector<float>(all.size(), 1.0f));
}

// ----------------------------------------------------------------- pixel

// A 2 x 2 texture on a unit, texels red = x, green = y, blue the unit's own.
GLuint MakeTexture(GLDevice& device, GLenum unit, uint8_t b)
{
    const uint8_t texels[16] = {0, 0, b, 255, 255, 0, b, 255, 0, 255, b, 255, 255, 255, b, 255};
    GLuint texture = 0;
    device.Functions().activeTexture(unit);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    device.Functions().activeTexture(GL_TEXTURE0);
    return texture;
}

struct PixelRow
{
    std::string text;
    std::vector<Float4> constants;
    Float4 coord0;
    Float4 expected;
    float tolerance;
    Float4 coord1 = {};
};

// Units 0 and 1 hold the 2 x 2 texture, told apart by their blue.
TEST_F(ShaderRender, PixelInstructionsFollowTheirDefinitions)
{
    const GLuint textures[2] = {MakeTexture(*device, GL_TEXTURE0, 128), MakeTexture(*device, GL_TEXTURE1, 64)};
    const float b0 = 128 / 255.0f, b1 = 64 / 255.0f; // the blue of units 0 and 1
    const Float4 a{-0.5f, 0.0f, 0.25f, 2.0f}, b{1, 2, 3, 4}, c{5, 6, 7, 8};
    const Float4 coord{0.75f, 0.25f, 1.5f, 1};
    const Float4 v{0.25f, 0.5f, 0.75f, 1.0f};
    const std::vector<PixelRow> rows = {
        // 2.0: selection, dot products, texture coordinate set 1, special
        // cases through saturation.
        {"ps_2_0\ncmp r0, c0, c1, c2\nmov oC0, r0", {a, b, c}, {}, {5, 2, 3, 4}, 0.0f},
        {"ps_2_0\ndp2add r0, c0, c1, c2.w\nmov oC0, r0", {a, b, c}, {}, Splat(-0.5f + 8.0f), 1e-6f},
        {"ps_2_0\ndcl t1\nmad oC0, t1, c0.w, -c1", {a, b}, {}, {0, 0, 1, 2}, 1e-6f, {0.5f, 1, 2, 3}},
        {"ps_2_0\nrcp r0.x, c0.y\nrsq r0.y, c0.x\nlog r0.z, c0.y\nmov r0.w, c0.w\nmov_sat oC0, r0", {a}, {},
         {1, 1, 0, 1}, 0.0f},
        // Sampling, projected ((1.5, 0.5) / 2 reads the lower right texel),
        // and texkill on any of x, y, z below zero (w does not count).
        {"ps_2_0\ndcl t0\ndcl_2d s1\ntexld r0, t0, s1\nmov oC0, r0", {}, {0.75f, 0.75f, 0, 1}, {1, 1, b1, 1}, 1e-6f},
        {"ps_2_0\ndcl t0\ndcl_2d s1\ntexldp r0, t0, s1\nmov oC0, r0", {}, {1.5f, 0.5f, 0, 2}, {1, 0, b1, 1}, 1e-6f},
        {"ps_2_0\ndcl t0\ntexkill t0\nmov oC0, c0", {Splat(1)}, {0.5f, -0.1f, 0, 1}, Splat(0), 0.0f},
        {"ps_2_0\ndcl t0\ntexkill t0\nmov oC0, c0", {Splat(1)}, {0.5f, 0.1f, 0, -1}, Splat(1), 0.0f},
        // 1.x: constants read clamped to -1..1, texcoord clamps to 0..1.
        {"ps_1_1\nmov r0, c0", {{2, -3, 0.5f, 0.25f}}, {}, {1, -1, 0.5f, 0.25f}, 0.0f},
        {"ps_1_1\ntexcoord t0\nmov r0, t0", {}, coord, {0.75f, 0.25f, 1, 1}, 1e-6f},
        {"ps_1_1\ntex t0\nmov r0, t0", {}, coord, {1, 0, b0, 1}, 1e-6f},
        // Source modifiers, instruction scales and saturation.
        {"ps_1_1\nmov r0, c0_bias", {v}, {}, {-0.25f, 0, 0.25f, 0.5f}, 1e-6f},
        {"ps_1_1\nmov r0, -c0_bx2", {v}, {}, {0.5f, 0, -0.5f, -1}, 1e-6f},
        {"ps_1_1\nmov r0, 1-c0", {v}, {}, {0.75f, 0.5f, 0.25f, 0}, 1e-6f},
        {"ps_1_4\nmov r0, c0_x2", {v}, {}, {0.5f, 1, 1.5f, 2}, 1e-6f},
        {"ps_1_1\nadd_x4 r0, c0, c0", {v}, {}, {2, 4, 6, 8}, 1e-6f},
        {"ps_1_1\nmul_d2 r0, c0, c0.a", {v}, {}, {0.125f, 0.25f, 0.375f, 0.5f}, 1e-6f},
        {"ps_1_1\nadd_x2_sat r0, c0, c0", {v}, {}, {1, 1, 1, 1}, 0.0f},
        // cnd compares with 0.5; lrp blends.
        {"ps_1_1\nmov r0, c0\ncnd r1, r0.a, c1, c2\nmov r0, r1", {{0, 0, 0, 0.6f}, Splat(0.25f), Splat(0.75f)}, {},
         Splat(0.25f), 0.0f},
        {"ps_1_4\ncnd r0, c0, c1, c2", {{0.5f, 0.6f, 0, 1}, Splat(0.25f), Splat(0.75f)}, {},
         {0.75f, 0.25f, 0.75f, 0.25f}, 0.0f},
        {"ps_1_1\nlrp r0, c0, c1, c2", {Splat(0.25f), Splat(1), Splat(0.5f)}, {}, Splat(0.625f), 1e-6f},
        // A co-issued pair reads the registers as they were before either.
        {"ps_1_1\nmov r0, c0\nmov r1, c1\nmov r1.rgb, r0\n+mov r1.a, r1.b\nmov r0, r1",
         {v, {0.1f, 0.2f, 0.3f, 0.4f}}, {}, {0.25f, 0.5f, 0.75f, 0.3f}, 1e-6f},
        // 1.4: the destination number names the sampler; texcrd copies.
        {"ps_1_4\ntexld r0, t0", {}, coord, {1, 0, b0, 1}, 1e-6f},
        {"ps_1_4\ntexcrd r0.rgb, t0\nmov r0.a, c0", {Splat(0.5f)}, coord, {0.75f, 0.25f, 1.5f, 0.5f}, 1e-6f},
    };
    for (const PixelRow& row : rows)
    {
        SCOPED_TRACE(row.text);
        ExpectNear(PixelProgram(row.text, row.constants, row.coord0, row.coord1), row.expected, row.tolerance);
    }
    glDeleteTextures(2, textures);
}

// ------------------------------------------------------- whole programs

TEST_F(ShaderRender, DriverRefusalIsOneLogLine)
{
    ShaderTranslation broken;
    ASSERT_EQ(ShaderAssembler::Assemble("vs_1_1\ndcl_position v0\nmov oPos, v0\n", broken), 0);
    broken.source += "this is not GLSL\n";
    LogCapture log;
    EXPECT_EQ(GLShaderProgram::Create(*device, &broken, nullptr), nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("Невозможно скомпилировать вершинную программу шейдера")) << log.Lines()[0].text;
    log.Clear();
    EXPECT_EQ(GLShaderProgram::Create(*device, nullptr, nullptr), nullptr);
    EXPECT_EQ(log.Lines().size(), 1u);
}

} // namespace
