#pragma once
// Programs written the way the engine's effects write theirs (constants hold
// matrix rows, a position is the sum of its components times the rows), for
// the tests, the benchmark and the fuzzer's seeds.

// Vertex-lit Blinn-Phong with exponential fog.
// c0-c3 world-view-projection, c4-c7 world-view, c8-c11 material ambient,
// diffuse, specular, emissive, c12.x power, c13-c15 light ambient, diffuse,
// specular, c16 direction to the light, c17 camera (object space),
// c18 (fog density, fog exponent).
inline constexpr const char* kLitFoggedVertex11 = R"(vs_1_1
def c19, 0, 1, 0.5, 1.442695
dcl_position v0
dcl_normal v3
dcl_texcoord v7
mul r0, v0.x, c0
mad r0, v0.y, c1, r0
mad r0, v0.z, c2, r0
mad oPos, v0.w, c3, r0
dp3 r1.x, v3, c16               ; N.L
add r2, c17, -v0                ; to the eye
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mad r2.xyz, r2, r2.w, c16
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mul r2.xyz, r2, r2.w            ; half vector
dp3 r1.y, v3, r2                ; N.H
mov r1.w, c12.x
lit r3, r1
mul r4, c8, c13
mul r5, c9, c14
mad oD0, r5, r3.y, r4
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
mul r6.w, r6.z, -c19.w
exp oFog, r6.w                  ; 1 / e^that
mov oT0, v7
)";

// The same lighting after a wind sway: x and z swing with the height y.
// c19 (amplitude, speed, time).
inline constexpr const char* kWindVertex11 = R"(vs_1_1
def c20, 0.5077, -0.421, 1.31415, 0.3
def c21, -0.6, 0.15915494, 0.5, 6.2831853
def c22, 3.14159265, -0.16666667, 0.0083333333, -0.0001984127
def c23, 1, 0, 0, 1.442695
dcl_position v0
dcl_normal v3
dcl_texcoord v7
mul r0.x, c19.y, c19.z          ; s t
mul r1.x, v0.x, c20.x
add r1.x, r1.x, r0.x
mad r1.x, v0.z, c20.y, r1.x
mul r1.y, r0.x, c20.z
mad r1.y, v0.y, c20.w, r1.y
mad r1.y, v0.z, c21.x, r1.y
mad r1.xy, r1, c21.y, c21.z     ; into -pi..pi through a fraction
frc r2.xy, r1
mad r2.xy, r2, c21.w, -c22.x
mul r3.xy, r2, r2
mad r4.xy, r3, c22.w, c22.z
mad r4.xy, r4, r3, c22.y
mad r4.xy, r4, r3, c23.x
mul r4.xy, r4, r2               ; sines
mul r4.xy, r4, c19.x
mul r4.xy, r4, v0.y
mov r5, v0
add r5.x, r5.x, r4.x
add r5.z, r5.z, r4.y
mul r0, r5.x, c0
mad r0, r5.y, c1, r0
mad r0, r5.z, c2, r0
mad oPos, r5.w, c3, r0
dp3 r1.x, v3, c16
add r2, c17, -r5
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
mad oD0, r6, r3.y, r4
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

// Pixel-lit, skinned by up to four bones of the palette from c8 (four rows
// a bone, chosen by the blend indices). c0-c3 view-projection, c4-c7 view,
// c208 camera (world), c209 (fog density, fog exponent).
// Out: oT0 texture coordinates, oT1 normal, oT2 to the eye, oFog.
inline constexpr const char* kSkinnedVertex20 = R"(vs_2_0
def c210, 4, 1.442695, 0, 1
dcl_position v0
dcl_normal v1
dcl_texcoord v2
dcl_blendweight v3
dcl_blendindices v4
mul r9, v4, c210.x
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
mov r3.w, c210.z
nrm r4, r3
mov oT1, r4
add oT2, c208, -r2
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

// Blinn-Phong per pixel. c0 light specular, c1 material specular, c2
// direction to the light, c4.x power, c5 material ambient, c6 light
// ambient, c7 material diffuse, c8 light diffuse, c9 emissive; s0 texture.
inline constexpr const char* kBlinnPhongPixel20 = R"(ps_2_0
def c10, 0, 0, 0, 0
dcl t0.xy
dcl t1.xyz
dcl t2.xyz
dcl_2d s0
texld r0, t0, s0
nrm r1, t1
nrm r2, t2
add r3.xyz, r2, c2
mov r3.w, c10.x
nrm r4, r3
dp3_sat r5.x, r1, c2
dp3_sat r5.y, r1, r4
pow r5.z, r5.y, c4.x
cmp r5.z, -r5.x, c10.x, r5.z
mul r6, c5, c6
mul r7, c7, c8
mad r6, r7, r5.x, r6
mul r6, r6, r0
mul r7, c1, c0
mad r6, r7, r5.z, r6
add oC0, r6, c9
)";
