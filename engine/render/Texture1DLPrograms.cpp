#include "engine/render/Texture1DLPrograms.h"

// The sine of the wind programs: the angle is brought into -pi..pi through
// the fraction of angle / 2pi + 1/2, then an odd polynomial to the 11th
// power keeps the error below 5e-4 over that range.

namespace Texture1DLPrograms
{

const char* const kVertexLit = R"(vs_1_1
; Blinn-Phong per vertex with fixed-function texturing.
def c19, 1.442695, 0, 1, 0
dcl_position v0
dcl_normal v3
dcl_texcoord v7
mul r0, v0.x, c0
mad r0, v0.y, c1, r0
mad r0, v0.z, c2, r0
mad oPos, v0.w, c3, r0
dp3 r1.x, v3, c16               ; N.L
add r2.xyz, c17, -v0            ; to the eye
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mad r2.xyz, r2, r2.w, c16       ; normalised, plus the light direction
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mul r2.xyz, r2, r2.w            ; half vector
dp3 r1.y, v3, r2                ; N.H
mov r1.w, c12.x
lit r3, r1                      ; y max(N.L, 0), z (N.H)^power or 0
mul r4, c8, c13
mul r5, c9, c14
mad r4, r5, r3.y, r4
mov r4.w, c9.w                  ; alpha is the material's
mov oD0, r4
mul r5, c10, c15
mad oD1, r5, r3.z, c11
mul r6.x, v0.x, c4.z            ; view depth: third column of world-view
mad r6.x, v0.y, c5.z, r6.x
mad r6.x, v0.z, c6.z, r6.x
mad r6.x, v0.w, c7.z, r6.x
mul r6.x, r6.x, c18.x
log r6.y, r6.x
mul r6.y, r6.y, c18.y
exp r6.z, r6.y                  ; (density z)^exponent
mul r6.w, r6.z, -c19.x
exp oFog, r6.w                  ; 1 / e^that
mov oT0, v7
)";

const char* const kVertexLitWind = R"(vs_1_1
; The vertex-lit program after the wind sway.
def c20, 0.5077, -0.421, 1.31415, 0.3
def c21, -0.6, 0.15915494, 0.5, 6.2831853
def c22, 3.14159265, -0.16666667, 0.0083333333, -0.0001984127
def c23, 0.0000027557319, -0.000000025052108, 1, 1.442695
dcl_position v0
dcl_normal v3
dcl_texcoord v7
mul r0.x, c19.y, c19.z          ; s t
mul r1.x, v0.x, c20.x
add r1.x, r1.x, r0.x
mad r1.x, v0.z, c20.y, r1.x     ; 0.5077 x + s t - 0.421 z
mul r1.y, r0.x, c20.z
mad r1.y, v0.y, c20.w, r1.y
mad r1.y, v0.z, c21.x, r1.y     ; 1.31415 s t + 0.3 y - 0.6 z
mad r1.xy, r1, c21.y, c21.z
frc r2.xy, r1
mad r2.xy, r2, c21.w, -c22.x    ; the same angles within -pi..pi
mul r3.xy, r2, r2
mad r4.xy, r3, c23.y, c23.x
mad r4.xy, r4, r3, c22.w
mad r4.xy, r4, r3, c22.z
mad r4.xy, r4, r3, c22.y
mad r4.xy, r4, r3, c23.z
mul r4.xy, r4, r2               ; the two sines
mul r4.xy, r4, c19.x
mul r4.xy, r4, v0.y             ; grows with the height
mov r5, v0
add r5.x, v0.x, r4.x
add r5.z, v0.z, r4.y
mul r0, r5.x, c0
mad r0, r5.y, c1, r0
mad r0, r5.z, c2, r0
mad oPos, r5.w, c3, r0
dp3 r1.x, v3, c16
add r2.xyz, c17, -r5
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mad r2.xyz, r2, r2.w, c16
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mul r2.xyz, r2, r2.w
dp3 r1.y, v3, r2
mov r1.w, c12.x
lit r3, r1
mul r4, c8, c13
mul r6, c9, c14
mad r4, r6, r3.y, r4
mov r4.w, c9.w
mov oD0, r4
mul r6, c10, c15
mad oD1, r6, r3.z, c11
mul r6.x, r5.x, c4.z
mad r6.x, r5.y, c5.z, r6.x
mad r6.x, r5.z, c6.z, r6.x
mad r6.x, r5.w, c7.z, r6.x
mul r6.x, r6.x, c18.x
log r6.y, r6.x
mul r6.y, r6.y, c18.y
exp r6.z, r6.y
mul r6.w, r6.z, -c23.w
exp oFog, r6.w
mov oT0, v7
)";

const char* const kPixelLitVertex = R"(vs_2_0
; Hands the normal and the vector to the eye to the pixel program.
def c11, 1.442695, 0, 1, 0
dcl_position v0
dcl_normal v1
dcl_texcoord v2
mul r0, v0.x, c0
mad r0, v0.y, c1, r0
mad r0, v0.z, c2, r0
mad oPos, v0.w, c3, r0
mov oT1.xyz, v1
add oT2.xyz, c8, -v0
mul r6.x, v0.x, c4.z
mad r6.x, v0.y, c5.z, r6.x
mad r6.x, v0.z, c6.z, r6.x
mad r6.x, v0.w, c7.z, r6.x
mul r6.x, r6.x, c9.x
log r6.y, r6.x
mul r6.y, r6.y, c9.y
exp r6.z, r6.y
mul r6.w, r6.z, -c11.x
exp oFog, r6.w
mov oT0, v2
)";

const char* const kPixelLitWindVertex = R"(vs_2_0
; The pixel-lit vertex program after the wind sway; c10 (A, s, t).
def c11, 1.442695, 0, 1, 0
def c12, 0.5077, -0.421, 1.31415, 0.3
def c13, -0.6, 0.15915494, 0.5, 6.2831853
def c14, 3.14159265, -0.16666667, 0.0083333333, -0.0001984127
def c15, 0.0000027557319, -0.000000025052108, 1, 0
dcl_position v0
dcl_normal v1
dcl_texcoord v2
mul r0.x, c10.y, c10.z
mul r1.x, v0.x, c12.x
add r1.x, r1.x, r0.x
mad r1.x, v0.z, c12.y, r1.x
mul r1.y, r0.x, c12.z
mad r1.y, v0.y, c12.w, r1.y
mad r1.y, v0.z, c13.x, r1.y
mad r1.xy, r1, c13.y, c13.z
frc r2.xy, r1
mad r2.xy, r2, c13.w, -c14.x
mul r3.xy, r2, r2
mad r4.xy, r3, c15.y, c15.x
mad r4.xy, r4, r3, c14.w
mad r4.xy, r4, r3, c14.z
mad r4.xy, r4, r3, c14.y
mad r4.xy, r4, r3, c15.z
mul r4.xy, r4, r2
mul r4.xy, r4, c10.x
mul r4.xy, r4, v0.y
mov r5, v0
add r5.x, v0.x, r4.x
add r5.z, v0.z, r4.y
mul r0, r5.x, c0
mad r0, r5.y, c1, r0
mad r0, r5.z, c2, r0
mad oPos, r5.w, c3, r0
mov oT1.xyz, v1
add oT2.xyz, c8, -r5
mul r6.x, r5.x, c4.z
mad r6.x, r5.y, c5.z, r6.x
mad r6.x, r5.z, c6.z, r6.x
mad r6.x, r5.w, c7.z, r6.x
mul r6.x, r6.x, c9.x
log r6.y, r6.x
mul r6.y, r6.y, c9.y
exp r6.z, r6.y
mul r6.w, r6.z, -c11.x
exp oFog, r6.w
mov oT0, v2
)";

const char* const kPixelLitSkinnedVertex = R"(vs_2_0
; Blends up to four bones of the palette from c8 (four rows a bone, the
; index truncated); the result is in world space.
def c210, 4, 1.442695, 0, 1
dcl_position v0
dcl_normal v1
dcl_texcoord v2
dcl_blendweight v3
dcl_blendindices v4
frc r9, v4
add r9, v4, -r9
mul r9, r9, c210.x
mova a0.x, r9.x
mul r0, v0.x, c[a0.x + 8]
mad r0, v0.y, c[a0.x + 9], r0
mad r0, v0.z, c[a0.x + 10], r0
mad r0, v0.w, c[a0.x + 11], r0
mul r1.xyz, v1.x, c[a0.x + 8]
mad r1.xyz, v1.y, c[a0.x + 9], r1
mad r1.xyz, v1.z, c[a0.x + 10], r1
mul r2, r0, v3.x
mul r3.xyz, r1, v3.x
mova a0.x, r9.y
mul r0, v0.x, c[a0.x + 8]
mad r0, v0.y, c[a0.x + 9], r0
mad r0, v0.z, c[a0.x + 10], r0
mad r0, v0.w, c[a0.x + 11], r0
mul r1.xyz, v1.x, c[a0.x + 8]
mad r1.xyz, v1.y, c[a0.x + 9], r1
mad r1.xyz, v1.z, c[a0.x + 10], r1
mad r2, r0, v3.y, r2
mad r3.xyz, r1, v3.y, r3
mova a0.x, r9.z
mul r0, v0.x, c[a0.x + 8]
mad r0, v0.y, c[a0.x + 9], r0
mad r0, v0.z, c[a0.x + 10], r0
mad r0, v0.w, c[a0.x + 11], r0
mul r1.xyz, v1.x, c[a0.x + 8]
mad r1.xyz, v1.y, c[a0.x + 9], r1
mad r1.xyz, v1.z, c[a0.x + 10], r1
mad r2, r0, v3.z, r2
mad r3.xyz, r1, v3.z, r3
mova a0.x, r9.w
mul r0, v0.x, c[a0.x + 8]
mad r0, v0.y, c[a0.x + 9], r0
mad r0, v0.z, c[a0.x + 10], r0
mad r0, v0.w, c[a0.x + 11], r0
mul r1.xyz, v1.x, c[a0.x + 8]
mad r1.xyz, v1.y, c[a0.x + 9], r1
mad r1.xyz, v1.z, c[a0.x + 10], r1
mad r2, r0, v3.w, r2
mad r3.xyz, r1, v3.w, r3
mul r0, r2.x, c0
mad r0, r2.y, c1, r0
mad r0, r2.z, c2, r0
mad oPos, r2.w, c3, r0
mov oT1.xyz, r3
add oT2.xyz, c208, -r2
mul r5.x, r2.x, c4.z
mad r5.x, r2.y, c5.z, r5.x
mad r5.x, r2.z, c6.z, r5.x
mad r5.x, r2.w, c7.z, r5.x
mul r5.x, r5.x, c209.x
log r5.y, r5.x
mul r5.y, r5.y, c209.y
exp r5.z, r5.y
mul r5.w, r5.z, -c210.y
exp oFog, r5.w
mov oT0, v2
)";

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
