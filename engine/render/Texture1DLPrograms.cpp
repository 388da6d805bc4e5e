#include "engine/render/Texture1DLPrograms.h"

// The vertex programs are put together from shared pieces (adjacent string
// literals, so each program is still one constant text). Every piece reads
// the displaced or blended position from r5.

// Constants of the sway and of the fog in the programs that have room for
// them (the skinned palette covers c8 up to c207): the sway's coefficients,
// the sine's polynomial, and log2(e) in c23.w.
#define QRE_SWAY_CONSTANTS                                          \
    "def c20, 0.5077, -0.421, 1.31415, 0.3\n"                        \
    "def c21, -0.6, 0.15915494, 0.5, 6.2831853\n"                    \
    "def c22, 3.14159265, -0.16666667, 0.0083333333, -0.0001984127\n" \
    "def c23, 0.0000027557319, -0.000000025052108, 1, 1.442695\n"

// The undisplaced position.
#define QRE_REST_POSITION "mov r5, v0\n"

// The wind sway with (amplitude, speed, time) in register W: x and z move by
// A sin(angle) y. The angles are brought into -pi..pi through the fraction
// of angle / 2pi + 1/2, then an odd polynomial to the 11th power keeps the
// sine's error below 5e-4 over that range.
#define QRE_WIND_SWAY(W)                                                  \
    "mul r0.x, " W ".y, " W ".z\n"       /* s t */                       \
    "mul r1.x, v0.x, c20.x\n"                                            \
    "add r1.x, r1.x, r0.x\n"                                             \
    "mad r1.x, v0.z, c20.y, r1.x\n"      /* 0.5077 x + s t - 0.421 z */  \
    "mul r1.y, r0.x, c20.z\n"                                            \
    "mad r1.y, v0.y, c20.w, r1.y\n"                                      \
    "mad r1.y, v0.z, c21.x, r1.y\n"      /* 1.31415 s t + 0.3 y - 0.6 z */ \
    "mad r1.xy, r1, c21.y, c21.z\n"                                      \
    "frc r2.xy, r1\n"                                                    \
    "mad r2.xy, r2, c21.w, -c22.x\n"                                     \
    "mul r3.xy, r2, r2\n"                                                \
    "mad r4.xy, r3, c23.y, c23.x\n"                                      \
    "mad r4.xy, r4, r3, c22.w\n"                                         \
    "mad r4.xy, r4, r3, c22.z\n"                                         \
    "mad r4.xy, r4, r3, c22.y\n"                                         \
    "mad r4.xy, r4, r3, c23.z\n"                                         \
    "mul r4.xy, r4, r2\n"                /* the two sines */             \
    "mul r4.xy, r4, " W ".x\n"                                           \
    "mul r4.xy, r4, v0.y\n"              /* grows with the height */     \
    "mov r5, v0\n"                                                       \
    "add r5.x, v0.x, r4.x\n"                                             \
    "add r5.z, v0.z, r4.y\n"

// Clip position from the matrix in c0-c3.
#define QRE_TRANSFORM                  \
    "mul r0, r5.x, c0\n"               \
    "mad r0, r5.y, c1, r0\n"           \
    "mad r0, r5.z, c2, r0\n"           \
    "mad oPos, r5.w, c3, r0\n"

// Fog factor 1 / e^((density z)^exponent), z the view depth (third column
// of c4-c7), with (density, exponent) in register F and log2(e) in L.
#define QRE_FOG(F, L)                           \
    "mul r6.x, r5.x, c4.z\n"                    \
    "mad r6.x, r5.y, c5.z, r6.x\n"              \
    "mad r6.x, r5.z, c6.z, r6.x\n"              \
    "mad r6.x, r5.w, c7.z, r6.x\n"              \
    "mul r6.x, r6.x, " F ".x\n"                 \
    "log r6.y, r6.x\n"                          \
    "mul r6.y, r6.y, " F ".y\n"                 \
    "exp r6.z, r6.y\n"                          \
    "mul r6.w, r6.z, -" L "\n"                  \
    "exp oFog, r6.w\n"

// Blinn-Phong per vertex: oD0 ambient + diffuse N.L (alpha the material's),
// oD1 specular (N.H)^power + emissive.
#define QRE_VERTEX_LIGHTING                                                  \
    "dp3 r1.x, v3, c16\n"                /* N.L */                          \
    "add r2.xyz, c17, -r5\n"             /* to the eye */                   \
    "dp3 r2.w, r2, r2\n"                                                    \
    "rsq r2.w, r2.w\n"                                                      \
    "mad r2.xyz, r2, r2.w, c16\n"                                           \
    "dp3 r2.w, r2, r2\n"                                                    \
    "rsq r2.w, r2.w\n"                                                      \
    "mul r2.xyz, r2, r2.w\n"             /* half vector */                  \
    "dp3 r1.y, v3, r2\n"                 /* N.H */                          \
    "mov r1.w, c12.x\n"                                                     \
    "lit r3, r1\n"                       /* y max(N.L, 0), z (N.H)^p or 0 */ \
    "mul r4, c8, c13\n"                                                     \
    "mul r6, c9, c14\n"                                                     \
    "mad r4, r6, r3.y, r4\n"                                                \
    "mov r4.w, c9.w\n"                                                      \
    "mov oD0, r4\n"                                                         \
    "mul r6, c10, c15\n"                                                    \
    "mad oD1, r6, r3.z, c11\n"

#define QRE_VERTEX_LIT_INPUTS "dcl_position v0\ndcl_normal v3\ndcl_texcoord v7\n"
#define QRE_PIXEL_LIT_INPUTS "dcl_position v0\ndcl_normal v1\ndcl_texcoord v2\n"

// One bone of the skinned blend: index component C of r9 (already times 4)
// picks the rows from c8; the transformed position (r0) and normal (r1) are
// added to
// r2 and r3 by the caller with weight component C of v3.
#define QRE_BONE(C)                                  \
    "mova a0.x, r9." C "\n"                              \
    "mul r0, v0.x, c[a0.x + 8]\n"                        \
    "mad r0, v0.y, c[a0.x + 9], r0\n"                    \
    "mad r0, v0.z, c[a0.x + 10], r0\n"                   \
    "mad r0, v0.w, c[a0.x + 11], r0\n"                   \
    "mul r1.xyz, v1.x, c[a0.x + 8]\n"                    \
    "mad r1.xyz, v1.y, c[a0.x + 9], r1\n"                \
    "mad r1.xyz, v1.z, c[a0.x + 10], r1\n"

namespace Texture1DLPrograms
{

const char* const kVertexLit = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_REST_POSITION QRE_TRANSFORM
    QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

const char* const kVertexLitWind = "vs_1_1\n" QRE_SWAY_CONSTANTS QRE_VERTEX_LIT_INPUTS QRE_WIND_SWAY("c19")
    QRE_TRANSFORM QRE_VERTEX_LIGHTING QRE_FOG("c18", "c23.w") "mov oT0, v7\n";

// The pixel-lit vertex programs hand the normal and the vector to the eye to
// the pixel program.
const char* const kPixelLitVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS QRE_REST_POSITION QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

const char* const kPixelLitWindVertex = "vs_2_0\n" QRE_SWAY_CONSTANTS QRE_PIXEL_LIT_INPUTS QRE_WIND_SWAY("c10")
    QRE_TRANSFORM
    "mov oT1.xyz, v1\n"
    "add oT2.xyz, c8, -r5\n" QRE_FOG("c9", "c23.w") "mov oT0, v2\n";

// Blends up to four bones of the palette from c8 (four rows a bone, the
// index truncated); the result is in world space.
const char* const kPixelLitSkinnedVertex = "vs_2_0\n"
                                           "def c210, 4, 1.442695, 0, 1\n" QRE_PIXEL_LIT_INPUTS
                                           "dcl_blendweight v3\n"
                                           "dcl_blendindices v4\n"
                                           "frc r9, v4\n"
                                           "add r9, v4, -r9\n"
                                           "mul r9, r9, c210.x\n" QRE_BONE("x")
                                           "mul r2, r0, v3.x\n"
                                           "mul r3.xyz, r1, v3.x\n" QRE_BONE("y")
                                           "mad r2, r0, v3.y, r2\n"
                                           "mad r3.xyz, r1, v3.y, r3\n" QRE_BONE("z")
                                           "mad r2, r0, v3.z, r2\n"
                                           "mad r3.xyz, r1, v3.z, r3\n" QRE_BONE("w")
                                           "mad r2, r0, v3.w, r2\n"
                                           "mad r3.xyz, r1, v3.w, r3\n"
                                           "mov r5, r2\n" QRE_TRANSFORM
                                           "mov oT1.xyz, r3\n"
                                           "add oT2.xyz, c208, -r5\n" QRE_FOG("c209", "c210.y") "mov oT0, v2\n";

const char* const kPixelLitPixel = R"(ps_2_0
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

} // namespace Texture1DLPrograms

#undef QRE_SWAY_CONSTANTS
#undef QRE_REST_POSITION
#undef QRE_WIND_SWAY
#undef QRE_TRANSFORM
#undef QRE_FOG
#undef QRE_VERTEX_LIGHTING
#undef QRE_VERTEX_LIT_INPUTS
#undef QRE_PIXEL_LIT_INPUTS
#undef QRE_BONE
