#include "engine/render/ShadowPrograms.h"

// The sway is the family's own, so a swaying caster's shadow sways with it.
#include "engine/render/ProgramPieces.h"

namespace
{

constexpr const char* kDepthPlain = "vs_1_1\n"
                                    "dcl_position v0\n" QRE_REST_POSITION QRE_TRANSFORM;

constexpr const char* kDepthWind = "vs_1_1\n" QRE_SWAY_CONSTANTS "dcl_position v0\n" QRE_WIND_SWAY("c4") QRE_TRANSFORM;

// Up to four bones of the palette from c8 (four rows a bone, the index
// truncated), positions only.
#define QRE_DEPTH_BONE(C)                   \
    "mova a0.x, r9." C "\n"                 \
    "mul r0, v0.x, c[a0.x + 8]\n"           \
    "mad r0, v0.y, c[a0.x + 9], r0\n"       \
    "mad r0, v0.z, c[a0.x + 10], r0\n"      \
    "mad r0, v0.w, c[a0.x + 11], r0\n"

constexpr const char* kDepthSkinned = "vs_2_0\n"
                                      "def c210, 4, 0, 0, 1\n"
                                      "dcl_position v0\n"
                                      "dcl_blendweight v3\n"
                                      "dcl_blendindices v4\n"
                                      "frc r9, v4\n"
                                      "add r9, v4, -r9\n"
                                      "mul r9, r9, c210.x\n" QRE_DEPTH_BONE("x") "mul r2, r0, v3.x\n" QRE_DEPTH_BONE("y")
                                      "mad r2, r0, v3.y, r2\n" QRE_DEPTH_BONE("z") "mad r2, r0, v3.z, r2\n"
                                      QRE_DEPTH_BONE("w") "mad r2, r0, v3.w, r2\n"
                                      "mov r5, r2\n" QRE_TRANSFORM;

constexpr const char* kReceiveVertex = "vs_1_1\n"
                                       "dcl_position v0\n" QRE_REST_POSITION QRE_TRANSFORM
                                       "mul r1, r5.x, c4\n"
                                       "mad r1, r5.y, c5, r1\n"
                                       "mad r1, r5.z, c6, r1\n"
                                       "mad oT1, r5.w, c7, r1\n"
                                       "mov oD0, c8\n";

constexpr const char* kReceiveOne = R"(ps_2_0
; one lookup: shadowed where the stored depth is nearer than this pixel's
def c1, 1, 0, 0, 0
dcl v0
dcl t1
dcl_2d s0
rcp r1.w, t1.w
mul r1.z, t1.z, r1.w            ; own depth from the light
texldp r0, t1, s0
add r0, r0.x, -r1.z
cmp r0, r0, c1.y, c1.x          ; amount: 0 lit, 1 shadowed
mul r2.w, v0.w, r0.x
mul r2.xyz, v0, r2.w            ; premultiplied
mov oC0, r2
)";

constexpr const char* kReceiveFive = R"(ps_2_0
; five lookups a texel (c0) apart: the amount is 1 - 0.2 x the lit ones
def c1, 1, 0, 0.2, 0
dcl v0
dcl t1
dcl_2d s0
rcp r1.w, t1.w
mul r1.z, t1.z, r1.w            ; own depth from the light
mul r2.xy, c0, t1.w             ; one texel before the divide
texldp r0, t1, s0
add r0, r0.x, -r1.z
cmp r4.x, r0.x, c1.x, c1.y
mov r3, t1
add r3.xy, t1, -r2
texldp r0, r3, s0
add r0, r0.x, -r1.z
cmp r0.x, r0.x, c1.x, c1.y
add r4.x, r4.x, r0.x
mov r3, t1
add r3.x, t1.x, r2.x
add r3.y, t1.y, -r2.y
texldp r0, r3, s0
add r0, r0.x, -r1.z
cmp r0.x, r0.x, c1.x, c1.y
add r4.x, r4.x, r0.x
mov r3, t1
add r3.xy, t1, r2
texldp r0, r3, s0
add r0, r0.x, -r1.z
cmp r0.x, r0.x, c1.x, c1.y
add r4.x, r4.x, r0.x
mov r3, t1
add r3.x, t1.x, -r2.x
add r3.y, t1.y, r2.y
texldp r0, r3, s0
add r0, r0.x, -r1.z
cmp r0.x, r0.x, c1.x, c1.y
add r4.x, r4.x, r0.x
mad r4.x, r4.x, -c1.z, c1.x     ; amount
mul r2.w, v0.w, r4.x
mul r2.xyz, v0, r2.w            ; premultiplied
mov oC0, r2
)";

} // namespace

namespace ShadowPrograms
{
const char* DepthPlainVertex()
{
    return kDepthPlain;
}
const char* DepthWindVertex()
{
    return kDepthWind;
}
const char* DepthSkinnedVertex()
{
    return kDepthSkinned;
}
const char* ReceiveVertex()
{
    return kReceiveVertex;
}
const char* ReceiveOneSamplePixel()
{
    return kReceiveOne;
}
const char* ReceiveFiveSamplePixel()
{
    return kReceiveFive;
}
} // namespace ShadowPrograms
