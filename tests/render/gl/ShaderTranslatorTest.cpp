// Tiny programs drawn headless through the translator and read back as
// floats; each result is compared with the instruction's definition
// computed here.
#include <cfloat>
#include <cmath>

#include "engine/render/Texture1DLPrograms.h"
#include "render/gl/ShaderRig.h"
#include "support/LogCapture.h"

namespace
{

constexpr float kMax = FLT_MAX;

Float4 Splat(float v) { return {v, v, v, v}; }

// One instruction sequence and the result its definition gives.
struct VertexRow
{
    const char* version;
    std::string body;
    std::vector<Float4> constants;
    Float4 expected;
    float tolerance;
};

void ExpectRows(ShaderRig& rig, const std::vector<VertexRow>& rows)
{
    for (const VertexRow& row : rows)
    {
        SCOPED_TRACE(std::string(row.version) + ": " + row.body);
        EXPECT_FLOAT4_NEAR(rig.Vertex(row.version, row.body, row.constants), row.expected, row.tolerance);
    }
}

// ---------------------------------------------------------------- vertex

TEST_F(ShaderRender, ArithmeticHonoursSwizzlesMasksNegationAndSaturation)
{
    const Float4 a{0.25f, -0.5f, 2.0f, 3.0f};
    const Float4 b{1.5f, 0.75f, -1.0f, 0.125f};
    const Float4 difference{a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]};
    for (const char* v : {"vs_1_1", "vs_2_0"})
        ExpectRows(*rig, {
            {v, "add r0, c0, -c1", {a, b}, difference, 1e-6f},
            {v, "sub r0, c0, c1", {a, b}, difference, 1e-6f},
            {v, "mul r0, c0.yzwx, c1.x", {a, b}, {a[1] * b[0], a[2] * b[0], a[3] * b[0], a[0] * b[0]}, 1e-6f},
            // A short swizzle repeats its last component.
            {v, "mov r0, c0.zy", {a}, {a[2], a[1], a[1], a[1]}, 1e-6f},
            {v, "mad r0, c0, c1, -c0.w", {a, b},
             {a[0] * b[0] - a[3], a[1] * b[1] - a[3], a[2] * b[2] - a[3], a[3] * b[3] - a[3]}, 1e-6f},
            // Components outside the mask keep what the register held.
            {v, "mov r0, c1\nmov r0.xz, -c0", {a, b}, {-a[0], b[1], -a[2], b[3]}, 1e-6f},
            {v, "mov r0, c1\nMUL R0.GA, C0.R, c0.w", {a, b}, {b[0], a[0] * a[3], b[2], a[0] * a[3]}, 1e-6f},
            {v, "mov_sat r0, c0.abgr", {a}, {1, 1, 0, 0.25f}, 1e-6f},
        });
}

TEST_F(ShaderRender, DotProductsAndMatrixMacrosUseConsecutiveRegisters)
{
    const Float4 p{0.5f, -2.0f, 1.5f, 2.0f};
    const Float4 rows[4] = {{1, 2, 3, 4}, {-1, 0.5f, 2, 0}, {0, 0, 1, -3}, {2, -2, 0.25f, 1}};
    auto dot4 = [&](int r) { return p[0] * rows[r][0] + p[1] * rows[r][1] + p[2] * rows[r][2] + p[3] * rows[r][3]; };
    auto dot3 = [&](int r) { return p[0] * rows[r][0] + p[1] * rows[r][1] + p[2] * rows[r][2]; };
    const std::vector<Float4> c = {p, rows[0], rows[1], rows[2], rows[3], Splat(9)};
    // The three-row forms leave w alone; m3x2 leaves z and w.
    ExpectRows(*rig, {
        {"vs_1_1", "dp3 r0, c0, c1", c, Splat(dot3(0)), 1e-6f},
        {"vs_1_1", "dp4 r0, c0, c2", c, Splat(dot4(1)), 1e-6f},
        {"vs_1_1", "m4x4 r0, c0, c1", c, {dot4(0), dot4(1), dot4(2), dot4(3)}, 1e-6f},
        {"vs_2_0", "mov r0, c5\nm4x3 r0, c0, c1", c, {dot4(0), dot4(1), dot4(2), 9}, 1e-6f},
        {"vs_2_0", "m3x4 r0, c0, c1", c, {dot3(0), dot3(1), dot3(2), dot3(3)}, 1e-6f},
        {"vs_2_0", "mov r0, c5\nm3x3 r0, c0, c1", c, {dot3(0), dot3(1), dot3(2), 9}, 1e-6f},
        {"vs_1_1", "mov r0, c5\nm3x2 r0, c0, c1", c, {dot3(0), dot3(1), 9, 9}, 1e-6f},
    });
}

TEST_F(ShaderRender, ReciprocalsLogarithmsAndExponentialsKeepTheirSpecialCases)
{
    // rcp and rsq of 0 give the largest float, of exactly 1 exactly 1;
    // rsq takes the magnitude; an unswizzled source reads x. The largest
    // float times 0 is 0, unlike an infinity.
    const Float4 in{0.0f, 1.0f, -0.5f, -4.0f};
    ExpectRows(*rig, {
        {"vs_1_1", "rcp r0, c0.x", {in}, Splat(kMax), 0.0f},
        {"vs_1_1", "rcp r0, c0.y", {in}, Splat(1.0f), 0.0f},
        {"vs_2_0", "rcp r0, c0.z", {in}, Splat(-2.0f), 1e-6f},
        {"vs_2_0", "rsq r0, c0", {in}, Splat(kMax), 0.0f},
        {"vs_2_0", "rsq r0, c0.y", {in}, Splat(1.0f), 0.0f},
        {"vs_1_1", "rsq r0, c0.w", {in}, Splat(0.5f), 1e-6f},
        {"vs_1_1", "rcp r0, c0.x\nmul r0, r0, c0.x", {in}, Splat(0.0f), 0.0f},
    });
    // log of 0 is the lowest float; 1.1's expp gives 2^floor, fraction, 2^v,
    // 1; 2.0's gives 2^v everywhere.
    const Float4 e{0.0f, -8.0f, 2.5f, -1.5f};
    ExpectRows(*rig, {
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
}

TEST_F(ShaderRender, LitClampsItsInputsAndPower)
{
    auto lit = [](float x, float y, float power) {
        Float4 d{1, 0, 0, 1};
        power = std::fmin(std::fmax(power, -127.9961f), 127.9961f);
        if (x > 0)
        {
            d[1] = x;
            if (y > 0)
                d[2] = std::pow(y, power);
        }
        return d;
    };
    const Float4 cases[] = {
        {0.5f, 0.8f, 7.0f, 10.0f}, {-0.5f, 0.8f, 0, 10.0f}, {0.5f, -0.8f, 0, 10.0f}, {0.5f, 0.0f, 0, 0.0f},
        {0.25f, 0.999f, 0, 300.0f}, {0.25f, 0.999f, 0, -300.0f}, {1.0f, 0.5f, 0, 0.0f},
    };
    for (const Float4& c : cases)
        ExpectRows(*rig, {{"vs_1_1", "lit r0, c0", {c}, lit(c[0], c[1], c[3]), 1e-5f}});
}

TEST_F(ShaderRender, DistanceFractionComparisonsSignsCrossLerpNormalizeAndPower)
{
    const Float4 a{-1.25f, 2.0f, 0.5f, 3.75f};
    const Float4 b{0.5f, 2.0f, -0.5f, 4.0f};
    ExpectRows(*rig, {
        {"vs_1_1", "dst r0, c0, c1", {a, b}, {1.0f, a[1] * b[1], a[2], b[3]}, 1e-6f},
        {"vs_2_0", "frc r0, c0", {a}, {0.75f, 0.0f, 0.5f, 0.75f}, 1e-6f},
        {"vs_1_1", "mov r0, c1\nfrc r0.xy, c0", {a, b}, {0.75f, 0.0f, b[2], b[3]}, 1e-6f},
        {"vs_1_1", "min r0, c0, c1", {a, b}, {-1.25f, 2.0f, -0.5f, 3.75f}, 1e-6f},
        {"vs_1_1", "max r0, c0, c1", {a, b}, {0.5f, 2.0f, 0.5f, 4.0f}, 1e-6f},
        {"vs_1_1", "slt r0, c0, c1", {a, b}, {1, 0, 0, 1}, 0.0f},
        {"vs_1_1", "sge r0, c0, c1", {a, b}, {0, 1, 1, 0}, 0.0f},
        {"vs_2_0", "abs r0, c0", {a}, {1.25f, 2.0f, 0.5f, 3.75f}, 1e-6f},
        {"vs_2_0", "sgn r0, c0.xyzw, r1, r2", {{-3.0f, 0.0f, 0.25f, -0.0f}}, {-1, 0, 1, 0}, 0.0f},
    });

    const Float4 u{1.0f, 2.0f, 3.0f, 5.0f};
    const Float4 w{-2.0f, 0.5f, 1.0f, 7.0f};
    const float length = std::sqrt(14.0f);
    // nrm scales w by the same factor; a zero vector stays zero. pow takes
    // |base|; a zero base follows exp(power * log 0).
    const Float4 p{-2.0f, 3.0f, 0.0f, -1.0f};
    ExpectRows(*rig, {
        {"vs_2_0", "mov r0, c2\ncrs r0.xyz, c0, c1", {u, w, Splat(9)},
         {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0], 9}, 1e-6f},
        {"vs_2_0", "lrp r0, c2, c0, c1", {u, w, {0.25f, 0.5f, 1.0f, 0.0f}}, {-1.25f, 1.25f, 3.0f, 7.0f}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {u}, {1 / length, 2 / length, 3 / length, 5 / length}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {{0, 0, 0, 1}}, {0, 0, 0, kMax}, 1e-6f},
        {"vs_2_0", "nrm r0, c0", {{0, 0, 0, 0}}, Splat(0), 0.0f},
        {"vs_2_0", "pow r0, c0.x, c0.y", {p}, Splat(8.0f), 1e-5f},
        {"vs_2_0", "pow r0, c0.x, c0.w", {p}, Splat(0.5f), 1e-6f},
        {"vs_2_0", "pow r0, c0.z, c0.z", {p}, Splat(1.0f), 0.0f},
        {"vs_2_0", "pow r0, c0.z, c0.y", {p}, Splat(0.0f), 0.0f},
    });
}

TEST_F(ShaderRender, SinCosWritesOnlyCosineAndSine)
{
    const std::vector<Float4> c = {{1.0f, 0.0f, 0.0f, 0.0f},
                                   {-1.5500992e-6f, -2.1701389e-5f, 0.0026041667f, 0.00026041668f},
                                   {-0.020833334f, -0.125f, 1.0f, 0.5f}, Splat(9)};
    ExpectRows(*rig, {
        {"vs_2_0", "mov r0, c3\nsincos r0.xy, c0.x, c1, c2", c, {std::cos(1.0f), std::sin(1.0f), 9, 9}, 1e-5f},
        {"vs_2_0", "mov r0, c3\nsincos r0.x, c0.x, c1, c2", c, {std::cos(1.0f), 9, 9, 9}, 1e-5f},
        {"vs_2_0", "mov r0, c3\nsincos r0.y, c0.x, c1, c2", c, {9, std::sin(1.0f), 9, 9}, 1e-5f},
    });
}

TEST_F(ShaderRender, AddressRegisterRoundsToNearest)
{
    // c(k) holds k in x, so the register read back names the index.
    std::vector<Float4> c;
    for (int k = 0; k < 12; ++k)
        c.push_back({static_cast<float>(k), 0, 0, 0});
    struct Case
    {
        float value;
        int index;
    } cases[] = {{1.4f, 1}, {1.5f, 2}, {2.49f, 2}, {2.6f, 3}, {-0.4f, 0}, {-0.6f, -1}};
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.value);
        std::vector<Float4> withInput = c;
        withInput.push_back({test.value, test.value, 0, 0});   // c12
        EXPECT_EQ(rig->Vertex("vs_2_0", "mova a0.x, c12.x\nmov r0, c[a0.x + 5]", withInput)[0],
                  static_cast<float>(test.index + 5));
        EXPECT_EQ(rig->Vertex("vs_1_1", "mov a0.x, c12.x\nmov r0, c[a0.x + 5]", withInput)[0],
                  static_cast<float>(test.index + 5));
    }
    // Any component of a0 in 2.0; the base may also stand before the bracket.
    std::vector<Float4> withInput = c;
    withInput.push_back({0.0f, 3.0f, 0, 0});
    EXPECT_EQ(rig->Vertex("vs_2_0", "mova a0.xy, c12\nmov r0, c[a0.y + 2]", withInput)[0], 5.0f);
    EXPECT_EQ(rig->Vertex("vs_2_0", "mova a0.xy, c12\nmov r0, c4[a0.y]", withInput)[0], 7.0f);
}

TEST_F(ShaderRender, RelativeReadsReachDefinitionsAndStopAtTheEnds)
{
    std::vector<Float4> c(10, Splat(1.0f));
    c.push_back({300, -6, 2, 0});   // c10: addresses
    c[3] = {3, 3, 3, 3};
    // A defined register wins over the uploaded one, read directly or
    // relatively; outside the register file reads give 0.
    const char* defined = "def c4, 0.5, 0.25, 0.125, 2\n";
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", std::string(defined) + "mova a0, c10\nmov r0, c[a0.z + 2]", c),
                       (Float4{0.5f, 0.25f, 0.125f, 2}), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", std::string(defined) + "mov r0, c4", c), (Float4{0.5f, 0.25f, 0.125f, 2}),
                       0.0f);
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", std::string(defined) + "mova a0, c10\nmov r0, c[a0.z + 1]", c),
                       Splat(3.0f), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", "mova a0, c10\nmov r0, c[a0.x + 1]", c), Splat(0.0f), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", "mova a0, c10\nmov r0, c[a0.y + 2]", c), Splat(0.0f), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_1_1", std::string(defined) + "mov a0.x, c10.z\nmov r0, c[a0.x + 2]", c),
                       (Float4{0.5f, 0.25f, 0.125f, 2}), 0.0f);
}

TEST_F(ShaderRender, StaticFlowControlLoopsBranchesAndCalls)
{
    // rep with a defined count; loop walks aL over c[aL + n].
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", "defi i0, 5, 0, 0, 0\nrep i0\nadd r0, r0, c0\nendrep", {Splat(0.5f)}),
                       Splat(2.5f), 1e-6f);
    std::vector<Float4> c = {{1, 0, 0, 0}, {10, 0, 0, 0}, {100, 0, 0, 0}, {1000, 0, 0, 0}};
    EXPECT_FLOAT4_NEAR(rig->Vertex("vs_2_0", "defi i1, 2, 1, 2, 0\nloop aL, i1\nadd r0, r0, c[aL]\nendloop", c),
                       (Float4{1010, 0, 0, 0}), 1e-6f);

    // Uploaded integer and boolean registers steer the same program.
    const std::string text = "vs_2_0\ndcl_position v0\nmov oPos, v0\n"
                             "rep i0\n  if b1\n    add r0, r0, c0\n  else\n    call l2\n  endif\nendrep\n"
                             "callnz l3, !b2\nmov oT0, r0\nret\n"
                             "label l2\n  add r0, r0, c1\nret\nlabel l3\n  mul r0, r0, c2\nret\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(text.c_str(), ShaderRig::kCopyTexCoord);
    ASSERT_NE(program, nullptr);
    struct Case
    {
        int count;
        int b1, b2;
        float expected;
    } cases[] = {{3, 1, 1, 3.0f}, {3, 0, 1, 30.0f}, {2, 1, 0, 20.0f}, {0, 1, 0, 0.0f}, {-4, 1, 1, 0.0f}};
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.count);
        rig->Draw(program.get(), {0, 0, 0, 0},
                  [&] {
                      ShaderRig::Upload(*program, {Splat(1), Splat(10), Splat(10)}, false);
                      const int32_t count[4] = {test.count, 0, 0, 0};
                      const int32_t flags[3] = {0, test.b1, test.b2};
                      program->SetConstants(GLShaderProgram::ConstantFile::kVertexInt, 0, count, 1);
                      program->SetConstants(GLShaderProgram::ConstantFile::kVertexBool, 0, flags, 3);
                  },
                  [](int) {});
        EXPECT_FLOAT4_NEAR(rig->Pixel(1, 1), Splat(test.expected), 1e-6f);
    }
}

TEST_F(ShaderRender, VertexInputsBindByUsage)
{
    const std::string text = "vs_1_1\ndcl_position v0\ndcl_normal v3\ndcl_texcoord v7\ndcl_color1 v5\n"
                             "dcl_blendweight v1\ndcl_blendindices v2\nmov oPos, v0\n"
                             "mul r0, v3, c0.x\nmad r0, v7, c0.y, r0\nmad r0, v5, c0.z, r0\n"
                             "mad r0, v1, c0.w, r0\nadd oT0, r0, v2\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(text.c_str(), ShaderRig::kCopyTexCoord);
    ASSERT_NE(program, nullptr);
    auto feed = [&](ShaderProgram::Usage usage, uint32_t index, Float4 v) {
        rig->vertexAttrib4f(static_cast<GLuint>(ShaderTranslation::AttributeLocation(usage, index)), v[0], v[1], v[2],
                            v[3]);
    };
    rig->Draw(program.get(), {0, 0, 0, 0}, [&] { ShaderRig::Upload(*program, {{1, 10, 100, 1000}}, false); },
              [&](int) {
                  feed(ShaderProgram::kUsageNormal, 0, {1, 2, 3, 4});
                  feed(ShaderProgram::kUsageTexCoord, 0, {0.5f, 0.25f, 0, 1});
                  feed(ShaderProgram::kUsageColor, 1, {0.01f, 0.02f, 0.03f, 0.04f});
                  feed(ShaderProgram::kUsageBlendWeight, 0, {0.001f, 0, 0, 0});
                  feed(ShaderProgram::kUsageBlendIndices, 0, {7, 8, 9, 10});
              });
    EXPECT_FLOAT4_NEAR(rig->Pixel(2, 2), (Float4{1 + 5 + 1 + 1 + 7, 2 + 2.5f + 2 + 8, 3 + 3 + 9, 4 + 10 + 4 + 10}),
                       1e-5f);
}

// --------------------------------------------------------------- outputs

TEST_F(ShaderRender, ClipDepthZeroToOneAndTheVerticalFlip)
{
    // oPos.z = k * w lands at window depth k; the quad covers the upper
    // half of the picture unless flipped.
    const char* text = "vs_2_0\ndcl_position v0\nmul r0, v0, c0.x\nmul r0.y, r0.y, c0.z\nadd r0.y, r0.y, c0.w\n"
                       "mul r0.z, c0.y, c0.x\nmov r0.w, c0.x\nmov oPos, r0\nmov oT0, c1\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(text, ShaderRig::kCopyTexCoord);
    ASSERT_NE(program, nullptr);
    for (float depth : {0.0f, 0.25f, 0.75f})
    {
        SCOPED_TRACE(depth);
        for (bool flipped : {false, true})
        {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(GL_ALWAYS);
            rig->Draw(program.get(), {0, 0, 0, 0},
                      [&] {
                          ShaderRig::Upload(*program, {{2.0f, depth, 0.5f, 1.0f}, Splat(1)}, false);
                          program->SetFlipY(flipped);
                      },
                      [](int) {});
            glDisable(GL_DEPTH_TEST);
            const int covered = flipped ? 0 : 3;   // GL rows count from the bottom
            const int bare = flipped ? 3 : 0;
            EXPECT_EQ(rig->Pixel(1, covered)[0], 1.0f) << flipped;
            EXPECT_EQ(rig->Pixel(1, bare)[0], 0.0f) << flipped;
            float stored = -1;
            glReadPixels(1, covered, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &stored);
            EXPECT_NEAR(stored, depth, 1e-6f);
        }
    }
}

TEST_F(ShaderRender, VertexProgramFeedsFixedFunctionFragments)
{
    // Colours, fog factor and texture coordinates reach GL's own fragment
    // processing: diffuse + specular with colour sum, then fog.
    const char* text = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c0\nmov oD1, c1\nmov oFog, c2.x\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(text, nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->WritesFog());
    EXPECT_TRUE(program->WritesSpecular());
    const Float4 diffuse{0.25f, 0.5f, 0.125f, 0.75f}, specular{0.25f, 0.125f, 0.5f, 0.0f}, fog{1.0f, 0.0f, 0.5f, 1.0f};
    const float factor = 0.25f;
    const GLfloat fogColour[4] = {fog[0], fog[1], fog[2], fog[3]};
    glEnable(GL_COLOR_SUM);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 0.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    rig->Draw(program.get(), {0, 0, 0, 0},
              [&] { ShaderRig::Upload(*program, {diffuse, specular, Splat(factor)}, false); }, [](int) {});
    glDisable(GL_FOG);
    glDisable(GL_COLOR_SUM);
    Float4 expected;
    for (int i = 0; i < 3; ++i)
        expected[i] = factor * (diffuse[i] + specular[i]) + (1 - factor) * fog[i];
    expected[3] = diffuse[3];
    EXPECT_FLOAT4_NEAR(rig->Pixel(2, 1), expected, 2e-3f);
}

TEST_F(ShaderRender, PointSizeComesFromTheProgram)
{
    const char* text = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c0\nmov oPts, c0.w\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(text, nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->WritesPointSize());
    glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
    glPointSize(1.0f);
    rig->Clear({0, 0, 0, 0});
    program->Use();
    ShaderRig::Upload(*program, {{1, 1, 1, 4}}, false);
    glBegin(GL_POINTS);
    glVertex4f(0, 0, 0, 1);
    glEnd();
    rig->Device().Functions().useProgram(0);
    glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
    int lit = 0;
    for (int y = 0; y < ShaderRig::kSize; ++y)
        for (int x = 0; x < ShaderRig::kSize; ++x)
            lit += rig->Pixel(x, y)[0] > 0.5f;
    EXPECT_EQ(lit, ShaderRig::kSize * ShaderRig::kSize);
}

// ----------------------------------------------------------------- pixel

// A 2 x 2 texture on a unit, texels red = x, green = y, blue = 0.5.
GLuint MakeTexture(GLDevice& device, GLenum unit)
{
    const uint8_t texels[16] = {0, 0, 128, 255, 255, 0, 128, 255, 0, 255, 128, 255, 255, 255, 128, 255};
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

TEST_F(ShaderRender, PixelArithmeticAndSelection)
{
    const Float4 a{-0.5f, 0.0f, 0.25f, 2.0f}, b{1, 2, 3, 4}, c{5, 6, 7, 8};
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\ncmp r0, c0, c1, c2\nmov oC0, r0", {a, b, c}), (Float4{5, 2, 3, 4}),
                       0.0f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\ndp2add r0, c0, c1, c2.w\nmov oC0, r0", {a, b, c}),
                       Splat(-0.5f + 8.0f), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\ndcl t1\nmad oC0, t1, c0.w, -c1", {a, b}, {}, {0.5f, 1, 2, 3}),
                       (Float4{0, 0, 1, 2}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\nrcp r0.x, c0.y\nrsq r0.y, c0.x\nlog r0.z, c0.y\nmov r0.w, c0.w\n"
                                         "mov_sat oC0, r0",
                                         {a}),
                       (Float4{1, 1, 0, 1}), 0.0f);
}

TEST_F(ShaderRender, PixelTextureSamplingAndKill)
{
    GLuint texture = MakeTexture(rig->Device(), GL_TEXTURE1);
    const Float4 upperRight{0.75f, 0.75f, 0, 1};
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\ndcl t0\ndcl_2d s1\ntexld r0, t0, s1\nmov oC0, r0", {}, upperRight),
                       (Float4{1, 1, 128 / 255.0f, 1}), 1e-6f);
    // Projected: (1.5, 0.5) / 2 reads the lower right texel.
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_2_0\ndcl t0\ndcl_2d s1\ntexldp r0, t0, s1\nmov oC0, r0", {},
                                         {1.5f, 0.5f, 0, 2}),
                       (Float4{1, 0, 128 / 255.0f, 1}), 1e-6f);
    // Any of x, y, z below zero drops the pixel; w does not count.
    const char* kill = "ps_2_0\ndcl t0\ntexkill t0\nmov oC0, c0";
    EXPECT_FLOAT4_NEAR(rig->PixelProgram(kill, {Splat(1)}, {0.5f, -0.1f, 0, 1}), Splat(0), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram(kill, {Splat(1)}, {0.5f, 0.1f, 0, -1}), Splat(1), 0.0f);
    glDeleteTextures(1, &texture);
}

TEST_F(ShaderRender, PixelOneXModifiersClampsAndPairs)
{
    GLuint texture = MakeTexture(rig->Device(), GL_TEXTURE0);
    const Float4 coord{0.75f, 0.25f, 1.5f, 1};
    // Constants read clamped to -1..1; texcoord clamps to 0..1.
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, c0", {{2, -3, 0.5f, 0.25f}}), (Float4{1, -1, 0.5f, 0.25f}),
                       0.0f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\ntexcoord t0\nmov r0, t0", {}, coord), (Float4{0.75f, 0.25f, 1, 1}),
                       1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\ntex t0\nmov r0, t0", {}, coord), (Float4{1, 0, 128 / 255.0f, 1}),
                       1e-6f);
    // Source modifiers, instruction scales and saturation.
    const Float4 v{0.25f, 0.5f, 0.75f, 1.0f};
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, c0_bias", {v}), (Float4{-0.25f, 0, 0.25f, 0.5f}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, -c0_bx2", {v}), (Float4{0.5f, 0, -0.5f, -1}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, 1-c0", {v}), (Float4{0.75f, 0.5f, 0.25f, 0}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_4\nmov r0, c0_x2", {v}), (Float4{0.5f, 1, 1.5f, 2}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nadd_x4 r0, c0, c0", {v}), (Float4{2, 4, 6, 8}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmul_d2 r0, c0, c0.a", {v}), (Float4{0.125f, 0.25f, 0.375f, 0.5f}),
                       1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nadd_x2_sat r0, c0, c0", {v}), (Float4{1, 1, 1, 1}), 0.0f);
    // cnd compares with 0.5; lrp blends.
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, c0\ncnd r1, r0.a, c1, c2\nmov r0, r1",
                                         {{0, 0, 0, 0.6f}, Splat(0.25f), Splat(0.75f)}),
                       Splat(0.25f), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_4\ncnd r0, c0, c1, c2", {{0.5f, 0.6f, 0, 1}, Splat(0.25f), Splat(0.75f)}),
                       (Float4{0.75f, 0.25f, 0.75f, 0.25f}), 0.0f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nlrp r0, c0, c1, c2", {Splat(0.25f), Splat(1), Splat(0.5f)}),
                       Splat(0.625f), 1e-6f);
    // A co-issued pair reads the registers as they were before either.
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_1\nmov r0, c0\nmov r1, c1\nmov r1.rgb, r0\n+mov r1.a, r1.b\nmov r0, r1",
                                         {v, {0.1f, 0.2f, 0.3f, 0.4f}}),
                       (Float4{0.25f, 0.5f, 0.75f, 0.3f}), 1e-6f);
    // 1.4: the destination number names the sampler; texcrd copies.
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_4\ntexld r0, t0", {}, coord), (Float4{1, 0, 128 / 255.0f, 1}), 1e-6f);
    EXPECT_FLOAT4_NEAR(rig->PixelProgram("ps_1_4\ntexcrd r0.rgb, t0\nmov r0.a, c0", {Splat(0.5f)}, coord),
                       (Float4{0.75f, 0.25f, 1.5f, 0.5f}), 1e-6f);
    glDeleteTextures(1, &texture);
}

TEST_F(ShaderRender, PixelStageFogsAfterTheProgram)
{
    // The vertex stage writes the fog factor; the pixel stage blends with
    // the GL fog colour, as fixed function does after a pixel program.
    const char* vertexText = "vs_2_0\ndcl_position v0\nmov oPos, v0\nmov oFog, c0.x\n";
    const char* pixelText = "ps_2_0\nmov oC0, c0\n";
    std::unique_ptr<GLShaderProgram> program = rig->Build(vertexText, pixelText);
    ASSERT_NE(program, nullptr);
    const GLfloat fogColour[4] = {1.0f, 0.0f, 0.5f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 0.0f);
    glFogfv(GL_FOG_COLOR, fogColour);
    const Float4 colour{0.25f, 0.5f, 0.75f, 0.5f};
    for (int mode : {0, 1})
    {
        SCOPED_TRACE(mode);
        rig->Draw(program.get(), {0, 0, 0, 0},
                  [&] {
                      ShaderRig::Upload(*program, {Splat(0.25f)}, false);
                      ShaderRig::Upload(*program, {colour}, true);
                      program->SetFogMode(mode);
                  },
                  [](int) {});
        Float4 expected = colour;
        if (mode == 1)
            for (int i = 0; i < 3; ++i)
                expected[i] = 0.25f * colour[i] + 0.75f * fogColour[i];
        EXPECT_FLOAT4_NEAR(rig->Pixel(1, 2), expected, 1e-5f);
    }
}

// ------------------------------------------------------- whole programs

TEST_F(ShaderRender, SkinningPicksBonesFromThePalette)
{
    std::unique_ptr<GLShaderProgram> program =
        rig->Build(Texture1DLPrograms::kPixelLitSkinnedVertex, "ps_2_0\ndcl t1\nmov oC0, t1\n");
    ASSERT_NE(program, nullptr);
    const Float4 identity[4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const Float4 turn[4] = {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};   // 90 degrees about z
    std::vector<Float4> c(8 + 16, Splat(5.0f));   // bones 0 and 2 are junk that must not count
    for (int row = 0; row < 4; ++row)
    {
        c[row] = c[4 + row] = identity[row];
        c[8 + 4 + row] = identity[row];   // bone 1
        c[8 + 12 + row] = turn[row];      // bone 3
    }
    auto feed = [&](ShaderProgram::Usage usage, Float4 v) {
        rig->vertexAttrib4f(static_cast<GLuint>(ShaderTranslation::AttributeLocation(usage, 0)), v[0], v[1], v[2],
                            v[3]);
    };
    rig->Draw(program.get(), {0, 0, 0, 0},
              [&] {
                  ShaderRig::Upload(*program, c, false);
                  const float fog[8] = {0, 0, 0, 0, 0.001f, 1, 0, 0};
                  program->SetConstants(GLShaderProgram::ConstantFile::kVertexFloat, 208, fog, 2);
              },
              [&](int) {
                  feed(ShaderProgram::kUsageNormal, {1, 0, 0, 0});
                  feed(ShaderProgram::kUsageTexCoord, {0, 0, 0, 1});
                  feed(ShaderProgram::kUsageBlendWeight, {0.25f, 0.75f, 0, 0});
                  feed(ShaderProgram::kUsageBlendIndices, {3, 1, 0, 0});
              });
    // The normal leaves blended but not renormalised (the pixel stage does
    // that): a quarter of bone 3's turn, three quarters of bone 1.
    const Float4 normal = rig->Pixel(2, 2);
    EXPECT_NEAR(normal[0], 0.75f, 1e-5f);
    EXPECT_NEAR(normal[1], 0.25f, 1e-5f);
    EXPECT_NEAR(normal[2], 0.0f, 1e-5f);
}

TEST_F(ShaderRender, DriverRefusalIsOneLogLine)
{
    ShaderTranslation broken;
    ASSERT_EQ(ShaderAssembler::Assemble("vs_1_1\ndcl_position v0\nmov oPos, v0\n", broken), 0);
    broken.source += "this is not GLSL\n";
    LogCapture log;
    EXPECT_EQ(GLShaderProgram::Create(rig->Device(), &broken, nullptr), nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("Невозможно скомпилировать вершинную программу шейдера")) << log.Lines()[0].text;
    log.Clear();
    EXPECT_EQ(GLShaderProgram::Create(rig->Device(), nullptr, nullptr), nullptr);
    EXPECT_EQ(log.Lines().size(), 1u);
}

} // namespace
