#include "engine/render/EffectPrograms.h"

#include "engine/render/ProgramPieces.h"

namespace
{

constexpr const char* kVertexLit = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_REST_POSITION QRE_TRANSFORM
    QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

constexpr const char* kVertexLitWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_WIND_SWAY("c19")
    QRE_TRANSFORM QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

// The pixel-lit vertex programs hand the normal and the vector to the eye to
// the pixel program.
constexpr const char* kPixelLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS QRE_REST_POSITION QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

constexpr const char* kPixelLitWindVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS QRE_WIND_SWAY("c10")
    QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

// Blends up to four bones of the palette from c8 (four rows a bone, the
// index truncated); the result is in world space.
#define QRE_SKINNED_LIT_VERTEX                            \
    "vs_2_0\n"                                            \
    "def c210, 4, 1.442695, 0, 1\n" QRE_PIXEL_LIT_INPUTS  \
    "dcl_blendweight v3\n"                                \
    "dcl_blendindices v4\n" QRE_BONE_BLEND("c210") QRE_TRANSFORM \
    "mov oT1.xyz, r3\n"                                   \
    "add oT2.xyz, c208, -r5\n" QRE_FOG("c209", "c210.y") "mov oT0, v2\n"

constexpr const char* kPixelLitSkinnedVertex = QRE_SKINNED_LIT_VERTEX;

constexpr const char* kPixelLitPixel = R"(ps_2_0
; texture x (ambient + diffuse N.L) + specular (N.H)^power + emissive, with
; the alpha of texture x material diffuse.
def c10, 0, 1, 0, 0
dcl t0.xy
dcl t1.xyz
dcl t2.xyz
dcl_2d s0
texld r0, t0, s0
nrm r1.xyz, t1                  ; normal
nrm r2.xyz, t2                  ; to the eye
add r3.xyz, r2, c2
nrm r4.xyz, r3                  ; half vector
dp3_sat r5.x, r1, c2            ; N.L
dp3_sat r5.y, r1, r4            ; N.H
pow r5.z, r5.y, c4.x
cmp r5.z, -r5.x, c10.x, r5.z    ; no highlight where the light does not reach
mul r6, c5, c6
mul r7, c7, c8
mad r6, r7, r5.x, r6
mul r6, r6, r0
mul r7, c1, c0
mad r6, r7, r5.z, r6
add r6, r6, c9
mul r6.w, c7.w, r0.w
mov oC0, r6
)";

// LightmapTexture1DLEffect: the same lighting, the texture times the
// lightmap of the second coordinate set.
constexpr const char* kLightmapVertexLit = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_LIGHTMAP_INPUT_11
    QRE_REST_POSITION QRE_TRANSFORM QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w") "mov oT0, v7\n" QRE_LIGHTMAP_PASS_11;

constexpr const char* kLightmapVertexLitWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS
    QRE_LIGHTMAP_INPUT_11 QRE_WIND_SWAY("c19") QRE_TRANSFORM QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w")
    "mov oT0, v7\n" QRE_LIGHTMAP_PASS_11;

constexpr const char* kLightmapPixelLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS
    QRE_LIGHTMAP_INPUT_20 QRE_REST_POSITION QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n" QRE_LIGHTMAP_PASS_20;

constexpr const char* kLightmapPixelLitWindVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS
    QRE_LIGHTMAP_INPUT_20 QRE_WIND_SWAY("c10") QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n" QRE_LIGHTMAP_PASS_20;

constexpr const char* kLightmapPixelLitPixel = "ps_2_0\n" QRE_PIXEL_LIT_DECLARATIONS
    QRE_LIGHTMAP_SAMPLER("t3", "s1") QRE_TEXTURE_SAMPLE QRE_LIGHTMAP_MULTIPLY("t3", "s1") QRE_PIXEL_LIGHTING;

// Texture1DL1PLEffect: the directional light of Texture1DLEffect's rows
// and a point light with attenuation, summed.
#define QRE_TWO_LIGHTS_11                                                         \
    "def c29, 0, 0, 0, 1\n"                                                       \
    "mov r4, c29.x\n"                                                             \
    "mov r7, c29.x\n" QRE_LIGHT_TERMS_11("c16", "c17") QRE_ADD_LIGHT_11("c13", "c14", "c15", "c29.w") \
    QRE_POINT_ATTENUATION("c27", "c28", "r5") QRE_LIGHT_TERMS_11("r8", "c17")                        \
    QRE_ADD_LIGHT_11("c24", "c25", "c26", "r9.w")                                                     \
    "mov r4.w, c9.w\n"                                                            \
    "mov oD0, r4\n"                                                               \
    "add oD1, r7, c11\n"

constexpr const char* kTwoLightVertexLit = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_REST_POSITION
    QRE_TRANSFORM QRE_TWO_LIGHTS_11 QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

constexpr const char* kTwoLightVertexLitWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS
    QRE_WIND_SWAY("c19") QRE_TRANSFORM QRE_TWO_LIGHTS_11 QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

// The per-pixel ones add the point (object space, or world when skinned)
// as oT3 for the point light's way and distance.
constexpr const char* kTwoLightPixelLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS
    QRE_REST_POSITION QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n"
    "mov oT3.xyz, r5\n";

constexpr const char* kTwoLightPixelLitWindVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS
    QRE_WIND_SWAY("c10") QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n"
    "mov oT3.xyz, r5\n";

constexpr const char* kTwoLightPixelLitSkinnedVertex = QRE_SKINNED_LIT_VERTEX "mov oT3.xyz, r5\n";

constexpr const char* kTwoLightPixelLitPixel = "ps_2_0\n" QRE_PIXEL_LIT_DECLARATIONS
    "dcl t3.xyz\n" QRE_TEXTURE_SAMPLE
    "nrm r1.xyz, t1\n"
    "nrm r2.xyz, t2\n"
    "mov r6, c10.x\n"
    "mov r7, c10.x\n" QRE_PIXEL_LIGHT_TERMS("c2", "c6", "c8", "c0", "c10.y")
    QRE_POINT_ATTENUATION("c12", "c15", "t3") QRE_PIXEL_LIGHT_TERMS("r8", "c13", "c14", "c11", "r9.w")
    QRE_PIXEL_LIGHTS_OUT;

// LightmapTextureEffect: colour x texture x lightmap on the fixed-function
// stages 0 and 1.
constexpr const char* kLightmapVertex = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_UNLIT_INPUTS QRE_LIGHTMAP_INPUT_11
    QRE_REST_POSITION QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n" QRE_LIGHTMAP_PASS_11;

constexpr const char* kLightmapVertexWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_UNLIT_INPUTS QRE_LIGHTMAP_INPUT_11
    QRE_WIND_SWAY("c10") QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n" QRE_LIGHTMAP_PASS_11;

// GrassEffect: the texture's set in v7, the sway weight's in v8; the vertex
// colour in v5 where the geometry has one.
#define QRE_GRASS_INPUTS QRE_UNLIT_INPUTS "dcl_texcoord1 v8\n"
constexpr const char* kGrassVertex = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_GRASS_INPUTS QRE_WIND_SWAY_BY("c10", "v8.x")
    QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n";

constexpr const char* kGrassVertexColoured = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_GRASS_INPUTS "dcl_color v5\n"
    QRE_WIND_SWAY_BY("c10", "v8.x") QRE_TRANSFORM "mov oD0, v5\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n";

// LightmapGrassEffect: the lightmap's set in v8 (on to oT1), the sway
// weight's in v9.
#define QRE_LIGHTMAP_GRASS_INPUTS QRE_UNLIT_INPUTS QRE_LIGHTMAP_INPUT_11 "dcl_texcoord2 v9\n"
constexpr const char* kLightmapGrassVertex = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_LIGHTMAP_GRASS_INPUTS
    QRE_WIND_SWAY_BY("c10", "v9.x") QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n"
    QRE_LIGHTMAP_PASS_11;

constexpr const char* kLightmapGrassVertexColoured = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_LIGHTMAP_GRASS_INPUTS
    "dcl_color v5\n" QRE_WIND_SWAY_BY("c10", "v9.x") QRE_TRANSFORM "mov oD0, v5\n" QRE_FOG("c9", "c23.w")
    "mov oT0, v7\n" QRE_LIGHTMAP_PASS_11;

// NormalmapTexture1DLEffect and ParallaxTexture1DLEffect: the ways to the
// light and to the eye into tangent space, the per-vertex factor.
#define QRE_NORMAL_LIT_VERTEX_BODY                                   \
    QRE_TRANSFORM QRE_FOG("c9", "c23.w") "mov oT0, v2\n"              \
    "mov oT1, v3\n" QRE_TANGENT_BASIS("v4", "v1") QRE_TO_TANGENT("oT2", "c11", "v1") \
    "add r9.xyz, c8, -r5\n" QRE_TO_TANGENT("oT3", "r9", "v1") QRE_VERTEX_FACTOR("oT4.x", "c11", "v1", "c24")

constexpr const char* kNormalLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n" QRE_NORMALMAP_INPUTS
    QRE_REST_POSITION QRE_NORMAL_LIT_VERTEX_BODY;

constexpr const char* kNormalLitVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMALMAP_INPUTS QRE_WIND_SWAY("c10") QRE_NORMAL_LIT_VERTEX_BODY;

#define QRE_NORMAL_LIT_PIXEL_DECLARATIONS                                                   \
    "ps_2_0\n"                                                                              \
    "def c10, 0, 1, 0, 0\n"                                                                 \
    "def c16, 2, -1, 1, -1\n"                                                               \
    "dcl t0.xy\ndcl t1.xy\ndcl t2.xyz\ndcl t3.xyz\ndcl t4.xy\ndcl_2d s0\ndcl_2d s1\n"

#define QRE_NORMAL_LIT_PIXEL_LIGHTING                                                          \
    QRE_NORMAL_FETCH("r1", "c16") "nrm r9.xyz, t2\n"                                           \
    "mov r6, c10.x\n"                                                                          \
    "mov r7, c10.x\n" QRE_PIXEL_MAPPED_LIGHT_TERMS("r9", "c6", "c8", "c0", "c10.y", "t4.x")   \
    QRE_PIXEL_LIGHTS_OUT

constexpr const char* kNormalLitPixel = QRE_NORMAL_LIT_PIXEL_DECLARATIONS "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    "nrm r2.xyz, t3\n" QRE_NORMAL_LIT_PIXEL_LIGHTING;

constexpr const char* kParallaxLitPixel = QRE_NORMAL_LIT_PIXEL_DECLARATIONS "texld r1, t1, s0\n"
    "nrm r2.xyz, t3\n" QRE_PARALLAX_SHIFT("t0", "t1", "r1", "c17", "c16") "texld r0, r8, s1\n"
    "texld r1, r10, s0\n" QRE_NORMAL_LIT_PIXEL_LIGHTING;

// NormalmapLightmapTexture1DLEffect and ParallaxLightmapTexture1DLEffect.
#define QRE_NORMAL_LIGHTMAP_LIT_VERTEX_BODY                                            \
    QRE_TRANSFORM QRE_FOG("c9", "c23.w") "mov oT0, v2\n"                                \
    "mov oT1, v4\n"                                                                     \
    "mov oT5, v3\n" QRE_TANGENT_BASIS("v5", "v1") QRE_TO_TANGENT("oT2", "c11", "v1")    \
    "add r9.xyz, c8, -r5\n" QRE_TO_TANGENT("oT3", "r9", "v1") QRE_VERTEX_FACTOR("oT4.x", "c11", "v1", "c24")
#define QRE_NORMAL_LIGHTMAP_INPUTS QRE_PIXEL_LIT_INPUTS "dcl_texcoord1 v3\ndcl_texcoord2 v4\ndcl_texcoord3 v5\n"

constexpr const char* kNormalLightmapLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMAL_LIGHTMAP_INPUTS QRE_REST_POSITION QRE_NORMAL_LIGHTMAP_LIT_VERTEX_BODY;

constexpr const char* kNormalLightmapLitVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMAL_LIGHTMAP_INPUTS QRE_WIND_SWAY("c10") QRE_NORMAL_LIGHTMAP_LIT_VERTEX_BODY;

constexpr const char* kNormalLightmapLitPixel = QRE_NORMAL_LIT_PIXEL_DECLARATIONS "dcl t5.xy\ndcl_2d s2\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s2\n" QRE_LIGHTMAP_MULTIPLY("t5", "s1") "nrm r2.xyz, t3\n" QRE_NORMAL_LIT_PIXEL_LIGHTING;

constexpr const char* kParallaxLightmapLitPixel = QRE_NORMAL_LIT_PIXEL_DECLARATIONS "dcl t5.xy\ndcl_2d s2\n"
    "texld r1, t1, s0\n"
    "nrm r2.xyz, t3\n" QRE_PARALLAX_SHIFT("t0", "t1", "r1", "c17", "c16") "texld r0, r8, s1\n"
    "texld r1, r10, s0\n" QRE_LIGHTMAP_MULTIPLY("t5", "s2") QRE_NORMAL_LIT_PIXEL_LIGHTING;

// NormalmapTexture1DL1PLEffect: the point light's way and factor added.
#define QRE_POINT_TO_TANGENT                                            \
    "add r10.xyz, c12, -r5\n" QRE_TO_TANGENT("oT5", "r10", "v1")          \
    "nrm r11.xyz, r10\n" QRE_VERTEX_FACTOR("oT4.y", "r11", "v1", "c24")

constexpr const char* kNormalTwoLightVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMALMAP_INPUTS QRE_REST_POSITION QRE_NORMAL_LIT_VERTEX_BODY QRE_POINT_TO_TANGENT;

constexpr const char* kNormalTwoLightVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMALMAP_INPUTS QRE_WIND_SWAY("c10") QRE_NORMAL_LIT_VERTEX_BODY QRE_POINT_TO_TANGENT;

constexpr const char* kNormalTwoLightPixel = QRE_NORMAL_LIT_PIXEL_DECLARATIONS "dcl t5.xyz\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    "nrm r2.xyz, t3\n" QRE_NORMAL_FETCH("r1", "c16") "nrm r9.xyz, t2\n"
    "mov r6, c10.x\n"
    "mov r7, c10.x\n" QRE_PIXEL_MAPPED_LIGHT_TERMS("r9", "c6", "c8", "c0", "c10.y", "t4.x")
    "mov r8.xyz, t5\n" QRE_ATTENUATION_ALONG("c15") QRE_PIXEL_MAPPED_LIGHT_TERMS("r8", "c13", "c14", "c11", "r9.w", "t4.y")
    QRE_PIXEL_LIGHTS_OUT;

// TexturePixelLightingEffect: light i's way from its vector V (the point
// t3 taken off where w is 1), its attenuation T, its colours S, A, D.
#define QRE_LIST_LIGHT(S, V, A, D, T)                 \
    "mad r8.xyz, t3, -" V ".w, " V "\n" QRE_ATTENUATION_ALONG(T) QRE_PIXEL_LIGHT_TERMS("r8", A, D, S, "r9.w")

constexpr const char* kListLitPixel = "ps_2_0\n" QRE_PIXEL_LIT_DECLARATIONS "dcl t3.xyz\n" QRE_TEXTURE_SAMPLE
    "nrm r1.xyz, t1\n"
    "nrm r2.xyz, t2\n"
    "mov r6, c10.x\n"
    "mov r7, c10.x\n" QRE_LIST_LIGHT("c11", "c12", "c13", "c14", "c15") QRE_LIST_LIGHT("c16", "c17", "c18", "c19", "c20")
    QRE_LIST_LIGHT("c21", "c22", "c23", "c24", "c25") QRE_LIST_LIGHT("c26", "c27", "c28", "c29", "c30")
    QRE_PIXEL_LIGHTS_OUT;

// NormalmapTexturePixelLightingEffect: the basis and each light's factor,
// its way from its vector V (the vertex taken off where w is 1), into F.
#define QRE_LIST_FACTOR(V, F) \
    "mad r10.xyz, r5, -" V ".w, " V "\n" "nrm r11.xyz, r10\n" QRE_VERTEX_FACTOR(F, "r11", "v1", "c24")
#define QRE_NORMAL_LIST_VERTEX_BODY                                                               \
    QRE_TRANSFORM QRE_FOG("c9", "c23.w") "mov oT0, v2\n"                                           \
    "mov oT1.xyz, v1\n"                                                                            \
    "add oT2.xyz, c8, -r5\n"                                                                       \
    "mov oT3.xyz, r5\n"                                                                            \
    "mov oT4, v3\n" QRE_TANGENT_BASIS("v4", "v1") "mov oT5.xyz, r7\n"                              \
    "mov oT6.xyz, r8\n" QRE_LIST_FACTOR("c11", "oT7.x") QRE_LIST_FACTOR("c12", "oT7.y")           \
    QRE_LIST_FACTOR("c13", "oT7.z") QRE_LIST_FACTOR("c14", "oT7.w")

constexpr const char* kNormalListVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n" QRE_NORMALMAP_INPUTS
    QRE_REST_POSITION QRE_NORMAL_LIST_VERTEX_BODY;

constexpr const char* kNormalListVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c24, 4, 0, 0, 1\n"
    QRE_NORMALMAP_INPUTS QRE_WIND_SWAY("c10") QRE_NORMAL_LIST_VERTEX_BODY;

#define QRE_MAPPED_LIST_LIGHT(S, V, A, D, T, F)      \
    "mad r8.xyz, t3, -" V ".w, " V "\n" QRE_ATTENUATION_ALONG(T) QRE_PIXEL_MAPPED_LIGHT_TERMS("r8", A, D, S, "r9.w", F)

constexpr const char* kNormalListPixel =
    "ps_2_0\n"
    "def c10, 0, 1, 0, 0\n"
    "def c31, 2, -1, 0, 0\n"
    "dcl t0.xy\ndcl t1.xyz\ndcl t2.xyz\ndcl t3.xyz\ndcl t4.xy\ndcl t5.xyz\ndcl t6.xyz\ndcl t7\n"
    "dcl_2d s0\ndcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t4, s1\n" QRE_NORMAL_FETCH("r1", "c31") "nrm r3.xyz, t1\n"
    "mul r11.xyz, t5, r1.x\n"
    "mad r11.xyz, t6, r1.y, r11\n"
    "mad r11.xyz, r3, r1.z, r11\n"
    "nrm r1.xyz, r11\n"
    "nrm r2.xyz, t2\n"
    "mov r6, c10.x\n"
    "mov r7, c10.x\n" QRE_MAPPED_LIST_LIGHT("c11", "c12", "c13", "c14", "c15", "t7.x")
    QRE_MAPPED_LIST_LIGHT("c16", "c17", "c18", "c19", "c20", "t7.y")
    QRE_MAPPED_LIST_LIGHT("c21", "c22", "c23", "c24", "c25", "t7.z")
    QRE_MAPPED_LIST_LIGHT("c26", "c27", "c28", "c29", "c30", "t7.w") QRE_PIXEL_LIGHTS_OUT;

// FurEffect: the base pass and each shell, moved along the normal by the
// shell's offset; the colour times the texture, the shells' alpha the fur
// texture's times the shell's factor (sampler 1).
#define QRE_FUR_INPUTS QRE_PIXEL_LIT_INPUTS
#define QRE_SKINNED_INPUTS QRE_PIXEL_LIT_INPUTS "dcl_blendweight v3\ndcl_blendindices v4\n"

constexpr const char* kFurVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_FUR_INPUTS QRE_REST_POSITION
    QRE_SHELL_OFFSET("v1", "c11") QRE_TRANSFORM QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

constexpr const char* kFurVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_FUR_INPUTS QRE_WIND_SWAY("c10")
    QRE_SHELL_OFFSET("v1", "c11") QRE_TRANSFORM QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

constexpr const char* kFurVertexSkinned = "vs_2_0\n"
                                          "def c210, 4, 1.442695, 0, 1\n" QRE_SKINNED_INPUTS QRE_BONE_BLEND("c210")
                                              QRE_SHELL_OFFSET("r3", "c211") QRE_TRANSFORM QRE_FOG("c209", "c210.y")
                                                  "mov oT0, v2\n";

constexpr const char* kFurPixel = "ps_2_0\n"
                                  "dcl t0.xy\n"
                                  "dcl_2d s0\n"
                                  "texld r0, t0, s0\n"
                                  "mul r0, r0, c0\n"
                                  "mov oC0, r0\n";

constexpr const char* kFurShellPixel = "ps_2_0\n"
                                       "dcl t0.xy\n"
                                       "dcl_2d s0\n"
                                       "dcl_2d s1\n"
                                       "texld r0, t0, s0\n"
                                       "texld r1, t0, s1\n"
                                       "mul r0.xyz, r0, c0\n"
                                       "mul r0.w, r1.w, c1.y\n"
                                       "mov oC0, r0\n";

// FurVertexLightingEffect: the first four lights of the list per vertex,
// each directional or attenuated point by its type: oD0 the sums of
// ambient and diffuse (alpha the material diffuse's), oD1 the highlights
// plus the emissive; the pixel programs put them on the texture.
#define QRE_FUR_LIT_BODY(MA, MD, MS, ME, MP, Z, EYE, LIGHTS)   \
    "mov oT0, v2\n"                                          \
    "nrm r11.xyz, r3\n"                                      \
    "add r10.xyz, " EYE ", -r5\n"                            \
    "nrm r0.xyz, r10\n"                                     \
    "mov r4, " Z "\n"                                        \
    "mov r7, " Z "\n" LIGHTS                                 \
    "mov r4.w, " MD ".w\n"                                   \
    "mov oD0, r4\n"                                          \
    "add oD1, r7, " ME "\n"

// The lights from c24 (five registers a light: specular, vector, ambient,
// diffuse, attenuation), the material in c8-c12 as the 1.1 programs have it.
#define QRE_FUR_LIT_LIGHTS                                                                  \
    QRE_VERTEX_LIST_LIGHT("c8", "c9", "c10", "c12", "c24", "c25", "c26", "c27", "c28")      \
    QRE_VERTEX_LIST_LIGHT("c8", "c9", "c10", "c12", "c29", "c30", "c31", "c32", "c33")      \
    QRE_VERTEX_LIST_LIGHT("c8", "c9", "c10", "c12", "c34", "c35", "c36", "c37", "c38")      \
    QRE_VERTEX_LIST_LIGHT("c8", "c9", "c10", "c12", "c39", "c40", "c41", "c42", "c43")

// Skinned, past the palette: the material in c212-c216, the lights from c217.
#define QRE_FUR_LIT_LIGHTS_SKINNED                                                                    \
    QRE_VERTEX_LIST_LIGHT("c212", "c213", "c214", "c216", "c217", "c218", "c219", "c220", "c221")     \
    QRE_VERTEX_LIST_LIGHT("c212", "c213", "c214", "c216", "c222", "c223", "c224", "c225", "c226")     \
    QRE_VERTEX_LIST_LIGHT("c212", "c213", "c214", "c216", "c227", "c228", "c229", "c230", "c231")     \
    QRE_VERTEX_LIST_LIGHT("c212", "c213", "c214", "c216", "c232", "c233", "c234", "c235", "c236")

constexpr const char* kFurLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c45, 0, 0, 0, 1\n" QRE_FUR_INPUTS
    QRE_REST_POSITION QRE_SHELL_OFFSET("v1", "c44") QRE_TRANSFORM QRE_FOG("c18", "c23.w") "mov r3.xyz, v1\n"
    QRE_FUR_LIT_BODY("c8", "c9", "c10", "c11", "c12", "c45.x", "c17", QRE_FUR_LIT_LIGHTS);

constexpr const char* kFurLitVertexWind = "vs_2_0\n" QRE_SWAY_CONSTANTS "def c45, 0, 0, 0, 1\n" QRE_FUR_INPUTS
    QRE_WIND_SWAY("c19") QRE_SHELL_OFFSET("v1", "c44") QRE_TRANSFORM QRE_FOG("c18", "c23.w") "mov r3.xyz, v1\n"
    QRE_FUR_LIT_BODY("c8", "c9", "c10", "c11", "c12", "c45.x", "c17", QRE_FUR_LIT_LIGHTS);

constexpr const char* kFurLitVertexSkinned = "vs_2_0\n"
                                             "def c210, 4, 1.442695, 0, 1\n" QRE_SKINNED_INPUTS QRE_BONE_BLEND("c210")
                                                 QRE_SHELL_OFFSET("r3", "c211") QRE_TRANSFORM
                                                     QRE_FOG("c209", "c210.y") QRE_FUR_LIT_BODY(
                                                         "c212", "c213", "c214", "c215", "c216", "c210.z", "c208",
                                                         QRE_FUR_LIT_LIGHTS_SKINNED);

// texture x the ambient and diffuse sums + the highlights and emissive;
// alpha texture x material diffuse, or the shell's.
#define QRE_FUR_LIT_PIXEL_HEAD \
    "ps_2_0\n"                 \
    "dcl t0.xy\n"              \
    "dcl v0\n"                 \
    "dcl v1\n"                 \
    "dcl_2d s0\n"
#define QRE_FUR_LIT_PIXEL_COLOUR \
    "texld r0, t0, s0\n"         \
    "mul r1, r0, v0\n"           \
    "add r1.xyz, r1, v1\n"

constexpr const char* kFurLitPixel = QRE_FUR_LIT_PIXEL_HEAD QRE_FUR_LIT_PIXEL_COLOUR "mov oC0, r1\n";

constexpr const char* kFurLitShellPixel = QRE_FUR_LIT_PIXEL_HEAD "dcl_2d s1\n" QRE_FUR_LIT_PIXEL_COLOUR
                                                                "texld r2, t0, s1\n"
                                                                "mul r1.w, r2.w, c1.y\n"
                                                                "mov oC0, r1\n";

// ColorEffect and TextureEffect: the colour (the effect's or the vertex's)
// on fixed-function pixels, the texture's coordinates passed on.
constexpr const char* kColourVertex = "vs_1_1\n" QRE_SWAY_CONSTANTS "dcl_position v0\n" QRE_REST_POSITION
    QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w");

constexpr const char* kColourVertexWind = "vs_1_1\n" QRE_SWAY_CONSTANTS "dcl_position v0\n" QRE_WIND_SWAY("c10")
    QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w");

constexpr const char* kColourVertexColoured = "vs_1_1\n" QRE_SWAY_CONSTANTS "dcl_position v0\ndcl_color v5\n"
    QRE_REST_POSITION QRE_TRANSFORM "mov oD0, v5\n" QRE_FOG("c9", "c23.w");

constexpr const char* kTextureVertex = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_UNLIT_INPUTS QRE_REST_POSITION QRE_TRANSFORM
    "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n";

constexpr const char* kTextureVertexWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_UNLIT_INPUTS QRE_WIND_SWAY("c10")
    QRE_TRANSFORM "mov oD0, c8\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n";

constexpr const char* kTextureVertexColoured = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_UNLIT_INPUTS "dcl_color v5\n"
    QRE_REST_POSITION QRE_TRANSFORM "mov oD0, v5\n" QRE_FOG("c9", "c23.w") "mov oT0, v7\n";

constexpr const char* kTextureVertexSkinned = "vs_2_0\n"
                                              "def c210, 4, 1.442695, 0, 1\n" QRE_SKINNED_INPUTS
                                                  QRE_BONE_BLEND("c210") QRE_TRANSFORM "mov oD0, c211\n"
                                                      QRE_FOG("c209", "c210.y") "mov oT0, v2\n";

// The normal-map programs skinned: the map's coordinates in v5, the
// tangent in v6; the unit normal in r6, the basis in r7 and r8; past the
// palette c208 the eye, c209 the fog, c210 the constants, the light's way
// from c211.
#define QRE_SKINNED_NORMALMAP_HEAD                                                          \
    "vs_2_0\n"                                                                              \
    "def c210, 4, 1.442695, 0, 1\n" QRE_SKINNED_INPUTS "dcl_texcoord1 v5\ndcl_texcoord2 v6\n" \
    QRE_BONE_BLEND_TANGENT("c210", "v6") QRE_TRANSFORM QRE_FOG("c209", "c210.y") "mov oT0, v2\n" \
    "nrm r6.xyz, r3\n" QRE_TANGENT_BASIS("r4", "r6")

#define QRE_SKINNED_NORMAL_LIT                                                             \
    QRE_SKINNED_NORMALMAP_HEAD "mov oT1, v5\n" QRE_TO_TANGENT("oT2", "c211", "r6")          \
    "add r9.xyz, c208, -r5\n" QRE_TO_TANGENT("oT3", "r9", "r6") QRE_VERTEX_FACTOR("oT4.x", "c211", "r6", "c210")

constexpr const char* kNormalLitVertexSkinned = QRE_SKINNED_NORMAL_LIT;

constexpr const char* kNormalTwoLightVertexSkinned = QRE_SKINNED_NORMAL_LIT
    "add r10.xyz, c212, -r5\n" QRE_TO_TANGENT("oT5", "r10", "r6") "nrm r11.xyz, r10\n"
    QRE_VERTEX_FACTOR("oT4.y", "r11", "r6", "c210");

#define QRE_SKINNED_LIST_FACTOR(V, F) \
    "mad r10.xyz, r5, -" V ".w, " V "\n" "nrm r11.xyz, r10\n" QRE_VERTEX_FACTOR(F, "r11", "r6", "c210")

constexpr const char* kNormalListVertexSkinned = QRE_SKINNED_NORMALMAP_HEAD "mov oT1.xyz, r6\n"
    "add oT2.xyz, c208, -r5\n"
    "mov oT3.xyz, r5\n"
    "mov oT4, v5\n"
    "mov oT5.xyz, r7\n"
    "mov oT6.xyz, r8\n" QRE_SKINNED_LIST_FACTOR("c211", "oT7.x") QRE_SKINNED_LIST_FACTOR("c212", "oT7.y")
        QRE_SKINNED_LIST_FACTOR("c213", "oT7.z") QRE_SKINNED_LIST_FACTOR("c214", "oT7.w");

} // namespace

namespace EffectPrograms
{

namespace
{

using enum Id;

constexpr Program kPrograms[] = {
    {LitVertex11, "Texture1DL.VertexLit", false, kVertexLit},
    {LitVertex11Wind, "Texture1DL.VertexLitWind", false, kVertexLitWind},
    {LitVertex20, "Texture1DL.PixelLit", false, kPixelLitVertex},
    {LitVertex20Wind, "Texture1DL.PixelLitWind", false, kPixelLitWindVertex},
    {LitVertex20Skinned, "Texture1DL.PixelLitSkinned", false, kPixelLitSkinnedVertex},
    {LitPixel20, "Texture1DL.Pixel", true, kPixelLitPixel},
    {LightmapLitVertex11, "LightmapTexture1DL.VertexLit", false, kLightmapVertexLit},
    {LightmapLitVertex11Wind, "LightmapTexture1DL.VertexLitWind", false, kLightmapVertexLitWind},
    {LightmapLitVertex20, "LightmapTexture1DL.PixelLit", false, kLightmapPixelLitVertex},
    {LightmapLitVertex20Wind, "LightmapTexture1DL.PixelLitWind", false, kLightmapPixelLitWindVertex},
    {LightmapLitPixel20, "LightmapTexture1DL.Pixel", true, kLightmapPixelLitPixel},
    {TwoLightVertex11, "Texture1DL1PL.VertexLit", false, kTwoLightVertexLit},
    {TwoLightVertex11Wind, "Texture1DL1PL.VertexLitWind", false, kTwoLightVertexLitWind},
    {TwoLightVertex20, "Texture1DL1PL.PixelLit", false, kTwoLightPixelLitVertex},
    {TwoLightVertex20Wind, "Texture1DL1PL.PixelLitWind", false, kTwoLightPixelLitWindVertex},
    {TwoLightVertex20Skinned, "Texture1DL1PL.PixelLitSkinned", false, kTwoLightPixelLitSkinnedVertex},
    {TwoLightPixel20, "Texture1DL1PL.Pixel", true, kTwoLightPixelLitPixel},
    {LightmapVertex11, "LightmapTexture.Vertex", false, kLightmapVertex},
    {LightmapVertex11Wind, "LightmapTexture.VertexWind", false, kLightmapVertexWind},
    {GrassVertex11, "Grass.Vertex", false, kGrassVertex},
    {GrassVertex11Coloured, "Grass.VertexColoured", false, kGrassVertexColoured},
    {LightmapGrassVertex11, "LightmapGrass.Vertex", false, kLightmapGrassVertex},
    {LightmapGrassVertex11Coloured, "LightmapGrass.VertexColoured", false, kLightmapGrassVertexColoured},
    {NormalLitVertex20, "NormalmapTexture1DL.PixelLit", false, kNormalLitVertex},
    {NormalLitVertex20Wind, "NormalmapTexture1DL.PixelLitWind", false, kNormalLitVertexWind},
    {NormalLitPixel20, "NormalmapTexture1DL.Pixel", true, kNormalLitPixel},
    {ParallaxLitPixel20, "ParallaxTexture1DL.Pixel", true, kParallaxLitPixel},
    {NormalLightmapLitVertex20, "NormalmapLightmapTexture1DL.PixelLit", false, kNormalLightmapLitVertex},
    {NormalLightmapLitVertex20Wind, "NormalmapLightmapTexture1DL.PixelLitWind", false, kNormalLightmapLitVertexWind},
    {NormalLightmapLitPixel20, "NormalmapLightmapTexture1DL.Pixel", true, kNormalLightmapLitPixel},
    {ParallaxLightmapLitPixel20, "ParallaxLightmapTexture1DL.Pixel", true, kParallaxLightmapLitPixel},
    {NormalTwoLightVertex20, "NormalmapTexture1DL1PL.PixelLit", false, kNormalTwoLightVertex},
    {NormalTwoLightVertex20Wind, "NormalmapTexture1DL1PL.PixelLitWind", false, kNormalTwoLightVertexWind},
    {NormalTwoLightPixel20, "NormalmapTexture1DL1PL.Pixel", true, kNormalTwoLightPixel},
    {ListLitPixel20, "TexturePixelLighting.Pixel", true, kListLitPixel},
    {NormalListVertex20, "NormalmapTexturePixelLighting.PixelLit", false, kNormalListVertex},
    {NormalListVertex20Wind, "NormalmapTexturePixelLighting.PixelLitWind", false, kNormalListVertexWind},
    {NormalListPixel20, "NormalmapTexturePixelLighting.Pixel", true, kNormalListPixel},
    {FurVertex20, "Fur.Vertex", false, kFurVertex},
    {FurVertex20Wind, "Fur.VertexWind", false, kFurVertexWind},
    {FurVertex20Skinned, "Fur.VertexSkinned", false, kFurVertexSkinned},
    {FurPixel20, "Fur.Pixel", true, kFurPixel},
    {FurShellPixel20, "Fur.ShellPixel", true, kFurShellPixel},
    {FurLitVertex20, "FurVertexLighting.Vertex", false, kFurLitVertex},
    {FurLitVertex20Wind, "FurVertexLighting.VertexWind", false, kFurLitVertexWind},
    {FurLitVertex20Skinned, "FurVertexLighting.VertexSkinned", false, kFurLitVertexSkinned},
    {FurLitPixel20, "FurVertexLighting.Pixel", true, kFurLitPixel},
    {FurLitShellPixel20, "FurVertexLighting.ShellPixel", true, kFurLitShellPixel},
    {ColourVertex11, "Color.Vertex", false, kColourVertex},
    {ColourVertex11Wind, "Color.VertexWind", false, kColourVertexWind},
    {ColourVertex11Coloured, "Color.VertexColoured", false, kColourVertexColoured},
    {TextureVertex11, "Texture.Vertex", false, kTextureVertex},
    {TextureVertex11Wind, "Texture.VertexWind", false, kTextureVertexWind},
    {TextureVertex11Coloured, "Texture.VertexColoured", false, kTextureVertexColoured},
    {TextureVertex20Skinned, "Texture.VertexSkinned", false, kTextureVertexSkinned},
    {NormalLitVertex20Skinned, "NormalmapTexture1DL.PixelLitSkinned", false, kNormalLitVertexSkinned},
    {NormalTwoLightVertex20Skinned, "NormalmapTexture1DL1PL.PixelLitSkinned", false, kNormalTwoLightVertexSkinned},
    {NormalListVertex20Skinned, "NormalmapTexturePixelLighting.PixelLitSkinned", false, kNormalListVertexSkinned},
};
static_assert(sizeof kPrograms / sizeof kPrograms[0] == static_cast<uint32_t>(Count), "one program per Id");

} // namespace

std::span<const Program> All()
{
    return kPrograms;
}

const Program& Get(Id id)
{
    const uint32_t index = static_cast<uint32_t>(id);
    return kPrograms[index < static_cast<uint32_t>(Count) ? index : 0];
}

} // namespace EffectPrograms

#undef QRE_SWAY_CONSTANTS
#undef QRE_REST_POSITION
#undef QRE_WIND_SWAY
#undef QRE_WIND_SWAY_BY
#undef QRE_GRASS_INPUTS
#undef QRE_LIGHTMAP_GRASS_INPUTS
#undef QRE_TRANSFORM
#undef QRE_FOG
#undef QRE_VERTEX_LIGHTING
#undef QRE_VERTEX_LIT_INPUTS
#undef QRE_PIXEL_LIT_INPUTS
#undef QRE_BONE
#undef QRE_LIGHTMAP_INPUT_11
#undef QRE_LIGHTMAP_PASS_11
#undef QRE_LIGHTMAP_INPUT_20
#undef QRE_LIGHTMAP_PASS_20
#undef QRE_LIGHTMAP_MULTIPLY
#undef QRE_PIXEL_LIGHTING
#undef QRE_PIXEL_LIT_DECLARATIONS
#undef QRE_TEXTURE_SAMPLE
#undef QRE_LIGHTMAP_SAMPLER
#undef QRE_LIGHT_TERMS_11
#undef QRE_ADD_LIGHT_11
#undef QRE_POINT_ATTENUATION
#undef QRE_PIXEL_LIGHT_TERMS
#undef QRE_PIXEL_LIGHTS_OUT
#undef QRE_SKINNED_LIT_VERTEX
#undef QRE_TWO_LIGHTS_11
#undef QRE_UNLIT_INPUTS
#undef QRE_NORMALMAP_INPUTS
#undef QRE_TANGENT_BASIS
#undef QRE_TO_TANGENT
#undef QRE_VERTEX_FACTOR
#undef QRE_NORMAL_FETCH
#undef QRE_PARALLAX_SHIFT
#undef QRE_PIXEL_MAPPED_LIGHT_TERMS
#undef QRE_NORMAL_LIT_VERTEX_BODY
#undef QRE_NORMAL_LIT_PIXEL_DECLARATIONS
#undef QRE_NORMAL_LIT_PIXEL_LIGHTING
#undef QRE_NORMAL_LIGHTMAP_LIT_VERTEX_BODY
#undef QRE_NORMAL_LIGHTMAP_INPUTS
#undef QRE_POINT_TO_TANGENT
#undef QRE_ATTENUATION_ALONG
#undef QRE_LIST_LIGHT
#undef QRE_LIST_FACTOR
#undef QRE_NORMAL_LIST_VERTEX_BODY
#undef QRE_MAPPED_LIST_LIGHT
#undef QRE_BONE_BLEND
#undef QRE_BONE_BLEND_TANGENT
#undef QRE_BONE_TANGENT
#undef QRE_SKINNED_NORMALMAP_HEAD
#undef QRE_SKINNED_NORMAL_LIT
#undef QRE_SKINNED_LIST_FACTOR
#undef QRE_SHELL_OFFSET
#undef QRE_VERTEX_LIST_LIGHT
#undef QRE_FUR_INPUTS
#undef QRE_SKINNED_INPUTS
#undef QRE_FUR_LIT_BODY
#undef QRE_FUR_LIT_LIGHTS
#undef QRE_FUR_LIT_LIGHTS_SKINNED
#undef QRE_FUR_LIT_PIXEL_HEAD
#undef QRE_FUR_LIT_PIXEL_COLOUR
