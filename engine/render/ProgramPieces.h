#pragma once

// The pieces the effect family's shader programs are put together from, as
// adjacent string literals, so each program is still one constant text (see
// EffectPrograms.cpp, the only place that includes this). A piece names the
// registers it reads and writes; the constant registers come from the
// caller where they differ between programs, so that the ConstantLayout
// row of each program stays the one place its registers are written down.
//
// Conventions every piece keeps: the displaced or blended position is in
// r5 (w = 1) when the transform, lighting and fog pieces run; r0-r4 and r6
// are scratch; the sway constants (QRE_SWAY_CONSTANTS) take c20-c23 in the
// programs that have room for them.

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
// A sin(angle) H, H the weight (the height y, or a grass blade's 0 at the
// root to 1 at the tip). The angles are brought into -pi..pi through the
// fraction of angle / 2pi + 1/2, then an odd polynomial to the 11th power
// keeps the sine's error below 5e-4 over that range.
#define QRE_WIND_SWAY_BY(W, H)                                            \
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
    "mul r4.xy, r4, " H "\n"             /* grows with the weight */     \
    "mov r5, v0\n"                                                       \
    "add r5.x, v0.x, r4.x\n"                                             \
    "add r5.z, v0.z, r4.y\n"

// The sway that grows with the height y.
#define QRE_WIND_SWAY(W) QRE_WIND_SWAY_BY(W, "v0.y")

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

// The terms of Blinn-Phong per vertex for a light towards L (a unit vector,
// the object's space) seen from the eye at E: r3 = lit(N.L, N.H, power),
// y max(N.L, 0), z (N.H)^power or 0 where N.L is not above 0.
#define QRE_LIGHT_TERMS_11(L, E)                                             \
    "dp3 r1.x, v3, " L "\n"              /* N.L */                          \
    "add r2.xyz, " E ", -r5\n"           /* to the eye */                   \
    "dp3 r2.w, r2, r2\n"                                                    \
    "rsq r2.w, r2.w\n"                                                      \
    "mad r2.xyz, r2, r2.w, " L "\n"                                         \
    "dp3 r2.w, r2, r2\n"                                                    \
    "rsq r2.w, r2.w\n"                                                      \
    "mul r2.xyz, r2, r2.w\n"             /* half vector */                  \
    "dp3 r1.y, v3, r2\n"                 /* N.H */                          \
    "mov r1.w, c12.x\n"                                                     \
    "lit r3, r1\n"

// Blinn-Phong per vertex: oD0 ambient + diffuse N.L (alpha the material's),
// oD1 specular (N.H)^power + emissive.
#define QRE_VERTEX_LIGHTING                                                  \
    QRE_LIGHT_TERMS_11("c16", "c17")                                        \
    "mul r4, c8, c13\n"                                                     \
    "mul r6, c9, c14\n"                                                     \
    "mad r4, r6, r3.y, r4\n"                                                \
    "mov r4.w, c9.w\n"                                                      \
    "mov oD0, r4\n"                                                         \
    "mul r6, c10, c15\n"                                                    \
    "mad oD1, r6, r3.z, c11\n"

// One light's share from the terms in r3, scaled by its attenuation ATT:
// (M ambient LA + M diffuse LD N.L) added to r4, M specular LS (N.H)^power
// to r7 (the sums start at zero; the emissive is added once, after).
#define QRE_ADD_LIGHT_11(LA, LD, LS, ATT)    \
    "mul r6, c8, " LA "\n"                   \
    "mul r10, c9, " LD "\n"                  \
    "mad r6, r10, r3.y, r6\n"                \
    "mad r4, r6, " ATT ", r4\n"              \
    "mul r6, c10, " LS "\n"                  \
    "mul r6, r6, r3.z\n"                     \
    "mad r7, r6, " ATT ", r7\n"

// A point light at P with attenuation (constant, linear, quadratic) in A,
// seen from the point AT (vertex or pixel programs): r8.xyz the unit vector
// towards it, r8.w the squared distance d^2, r9.w the attenuation
// 1 / (constant + linear d + quadratic d^2).
#define QRE_POINT_ATTENUATION(P, A, AT)              \
    "add r8.xyz, " P ", -" AT "\n"                   \
    "dp3 r8.w, r8, r8\n"                             \
    "rsq r9.x, r8.w\n"                               \
    "mul r8.xyz, r8, r9.x\n"                         \
    "mul r9.y, r8.w, r9.x\n"           /* d */       \
    "mad r9.z, " A ".y, r9.y, " A ".x\n"             \
    "mad r9.z, " A ".z, r8.w, r9.z\n"                \
    "rcp r9.w, r9.z\n"

// The second coordinate set (the lightmap's) of the 1.1 and 2.0 programs,
// passed on as the next coordinate output: 1.1 reads it from v8 into oT1,
// 2.0 from v3 into oT3 (after the normal and the eye vector).
#define QRE_LIGHTMAP_INPUT_11 "dcl_texcoord1 v8\n"
#define QRE_LIGHTMAP_PASS_11 "mov oT1, v8\n"
#define QRE_LIGHTMAP_INPUT_20 "dcl_texcoord1 v3\n"
#define QRE_LIGHTMAP_PASS_20 "mov oT3, v3\n"

// The unlit programs' inputs: position and the first coordinate set.
#define QRE_UNLIT_INPUTS "dcl_position v0\ndcl_texcoord v7\n"

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

// Per pixel, after the texture colour is in r0: r0 (colour only) times the
// lightmap sampled at coordinate T from sampler S, so the lightmap darkens
// what the light reflects off the texture but not the highlight.
// T and S are declared by QRE_LIGHTMAP_SAMPLER (declarations come first).
#define QRE_LIGHTMAP_SAMPLER(T, S) "dcl " T ".xy\ndcl_2d " S "\n"
#define QRE_LIGHTMAP_MULTIPLY(T, S)          \
    "texld r8, " T ", " S "\n"                \
    "mul r0.xyz, r0, r8\n"

// Blinn-Phong per pixel for the light in the pixel row's registers (c0 light
// specular, c1 material specular, c2 direction, c4.x power, c5 material
// ambient, c6 light ambient, c7 material diffuse, c8 light diffuse, c9
// emissive, c10 the constants) on the colour in r0, with the normal in t1
// and the vector to the eye in t2: colour x (ambient + diffuse N.L) +
// specular (N.H)^power + emissive, alpha colour x material diffuse.
#define QRE_PIXEL_LIGHTING                                                         \
    "nrm r1.xyz, t1\n"                                                              \
    "nrm r2.xyz, t2\n"                                                              \
    "add r3.xyz, r2, c2\n"                                                          \
    "nrm r4.xyz, r3\n"                  /* half vector */                            \
    "dp3_sat r5.x, r1, c2\n"            /* N.L */                                    \
    "dp3_sat r5.y, r1, r4\n"            /* N.H */                                    \
    "pow r5.z, r5.y, c4.x\n"                                                        \
    "cmp r5.z, -r5.x, c10.x, r5.z\n"    /* no highlight where the light is not */    \
    "mul r6, c5, c6\n"                                                              \
    "mul r7, c7, c8\n"                                                              \
    "mad r6, r7, r5.x, r6\n"                                                        \
    "mul r6, r6, r0\n"                                                              \
    "mul r7, c1, c0\n"                                                              \
    "mad r6, r7, r5.z, r6\n"                                                        \
    "add r6, r6, c9\n"                                                              \
    "mul r6.w, c7.w, r0.w\n"                                                        \
    "mov oC0, r6\n"

// Blinn-Phong per pixel for one of several lights, towards L (unit) with
// colours LA, LD, LS and attenuation ATT, the normal in r1 and the way to
// the eye in r2 (both unit): (M ambient LA + M diffuse LD N.L) ATT added to
// r6, M specular LS (N.H)^power ATT to r7 (material registers as above).
#define QRE_PIXEL_LIGHT_TERMS(L, LA, LD, LS, ATT)                         \
    "add r3.xyz, r2, " L "\n"                                             \
    "nrm r4.xyz, r3\n"                 /* half vector */                   \
    "dp3_sat r5.x, r1, " L "\n"        /* N.L */                           \
    "dp3_sat r5.y, r1, r4\n"           /* N.H */                           \
    "pow r5.z, r5.y, c4.x\n"                                              \
    "cmp r5.z, -r5.x, c10.x, r5.z\n"                                      \
    "mul r3, c5, " LA "\n"                                                \
    "mul r4, c7, " LD "\n"                                                \
    "mad r3, r4, r5.x, r3\n"                                              \
    "mad r6, r3, " ATT ", r6\n"                                           \
    "mul r4, c1, " LS "\n"                                                \
    "mul r4, r4, r5.z\n"                                                  \
    "mad r7, r4, " ATT ", r7\n"

// The sums of QRE_PIXEL_LIGHT_TERMS on the colour in r0: colour x r6 + r7
// + emissive, alpha colour x material diffuse.
#define QRE_PIXEL_LIGHTS_OUT      \
    "mul r6, r6, r0\n"            \
    "add r6, r6, r7\n"            \
    "add r6, r6, c9\n"            \
    "mul r6.w, c7.w, r0.w\n"      \
    "mov oC0, r6\n"

// The pixel programs' declarations: the constants, the coordinates, the
// normal and the eye vector, the texture's sampler.
#define QRE_PIXEL_LIT_DECLARATIONS \
    "def c10, 0, 1, 0, 0\n"        \
    "dcl t0.xy\n"                  \
    "dcl t1.xyz\n"                 \
    "dcl t2.xyz\n"                 \
    "dcl_2d s0\n"

// The texture colour into r0.
#define QRE_TEXTURE_SAMPLE "texld r0, t0, s0\n"

// The normal-map vertex programs' inputs (2.0): position, normal, the
// texture's coordinates, the normal map's, and the tangent after them.
#define QRE_NORMALMAP_INPUTS \
    QRE_PIXEL_LIT_INPUTS "dcl_texcoord1 v3\ndcl_texcoord2 v4\n"

// The tangent basis of the vertex from the tangent T and normal N: r7 the
// unit tangent (x), r8 = T x N (y); N itself is z.
#define QRE_TANGENT_BASIS(T, N) \
    "nrm r7.xyz, " T "\n"       \
    "crs r8.xyz, r7, " N "\n"

// The vector V (object space) into tangent space as output O, with the
// basis of QRE_TANGENT_BASIS and the normal N.
#define QRE_TO_TANGENT(O, V, N)  \
    "dp3 " O ".x, " V ", r7\n"   \
    "dp3 " O ".y, " V ", r8\n"   \
    "dp3 " O ".z, " V ", " N "\n"

// The per-vertex factor saturate(4 N.L) of a light towards L, into O, with
// (4, 0, 1) in K's x, z, w: it fades the normal map's light out where the
// surface itself turns away, so a bump never lights the dark side.
#define QRE_VERTEX_FACTOR(O, L, N, K) \
    "dp3 r9.x, " N ", " L "\n"        \
    "mul r9.x, r9.x, " K ".x\n"       \
    "max r9.x, r9.x, " K ".z\n"       \
    "min " O ", r9.x, " K ".w\n"

// The normal from the normal map's texel in R: 2 (rgb - 0.5), unit, with
// (2, -1) in K's x, y.
#define QRE_NORMAL_FETCH(R, K)                  \
    "mad " R ".xyz, " R ", " K ".x, " K ".y\n"  \
    "nrm " R ".xyz, " R "\n"

// The parallax shift of the coordinates C0 and C1 into r8 and r10 by
// (height x scale - bias) x (E.x, -E.y): the height the alpha of the
// normal map's texel in R, E the unit tangent-space eye vector in r2,
// (scale, bias) in P, (1, -1) in K's z, w.
#define QRE_PARALLAX_SHIFT(C0, C1, R, P, K) \
    "mad r3.x, " R ".w, " P ".x, -" P ".y\n" \
    "mul r4.xy, r2, r3.x\n"                 \
    "mul r4.xy, r4, " K ".zw\n"             \
    "add r8.xy, " C0 ", r4\n"               \
    "add r10.xy, " C1 ", r4\n"

// QRE_PIXEL_LIGHT_TERMS with the diffuse and specular also times the
// per-vertex factor F (the ambient not).
#define QRE_PIXEL_MAPPED_LIGHT_TERMS(L, LA, LD, LS, ATT, F) \
    "add r3.xyz, r2, " L "\n"                               \
    "nrm r4.xyz, r3\n"                                      \
    "dp3_sat r5.x, r1, " L "\n"                             \
    "dp3_sat r5.y, r1, r4\n"                                \
    "pow r5.z, r5.y, c4.x\n"                                \
    "cmp r5.z, -r5.x, c10.x, r5.z\n"                        \
    "mul r5.x, r5.x, " F "\n"                               \
    "mul r5.z, r5.z, " F "\n"                               \
    "mul r3, c5, " LA "\n"                                  \
    "mul r4, c7, " LD "\n"                                  \
    "mad r3, r4, r5.x, r3\n"                                \
    "mad r6, r3, " ATT ", r6\n"                             \
    "mul r4, c1, " LS "\n"                                  \
    "mul r4, r4, r5.z\n"                                    \
    "mad r7, r4, " ATT ", r7\n"

// The attenuation of a point light along the vector r8.xyz towards it
// (tangent space, its length the distance), with (constant, linear,
// quadratic) in A: r8.xyz made unit, r9.w = 1 / (c + l d + q d^2).
#define QRE_ATTENUATION_ALONG(A)                \
    "dp3 r8.w, r8, r8\n"                        \
    "rsq r9.x, r8.w\n"                          \
    "mul r8.xyz, r8, r9.x\n"                    \
    "mul r9.y, r8.w, r9.x\n"                    \
    "mad r9.z, " A ".y, r9.y, " A ".x\n"        \
    "mad r9.z, " A ".z, r8.w, r9.z\n"           \
    "rcp r9.w, r9.z\n"

// The skinned blend: up to four bones of the palette from c8 (four rows a
// bone; the index in v4 truncated, times 4 by K.x), weighted by v3: the
// blended position (world space) into r5, the normal into r3.
#define QRE_BONE_BLEND(K)                          \
    "frc r9, v4\n"                                 \
    "add r9, v4, -r9\n"                            \
    "mul r9, r9, " K ".x\n" QRE_BONE("x")          \
    "mul r2, r0, v3.x\n"                           \
    "mul r3.xyz, r1, v3.x\n" QRE_BONE("y")         \
    "mad r2, r0, v3.y, r2\n"                       \
    "mad r3.xyz, r1, v3.y, r3\n" QRE_BONE("z")     \
    "mad r2, r0, v3.z, r2\n"                       \
    "mad r3.xyz, r1, v3.z, r3\n" QRE_BONE("w")     \
    "mad r2, r0, v3.w, r2\n"                       \
    "mad r3.xyz, r1, v3.w, r3\n"                   \
    "mov r5, r2\n"

// A fur shell: the position in r5 moved along the unit normal N by S.x (the
// shell's i / (n + 1) x the fur length; 0 for the base pass).
#define QRE_SHELL_OFFSET(N, S) \
    "nrm r0.xyz, " N "\n"      \
    "mad r5.xyz, r0, " S ".x, r5\n"

// One light of a list per vertex (vs 2.0) on the unit normal in r11 seen
// from the unit way to the eye in r0: its way from its vector V (the
// position r5 taken off where w is 1), attenuation T; with the material
// registers MA, MD, MS and the power in MP.x it adds att (MA LA + MD LD N.L)
// to r4 and att MS LS (N.H)^power to r7.
#define QRE_VERTEX_LIST_LIGHT(MA, MD, MS, MP, S, V, A, D, T)  \
    "mad r8.xyz, r5, -" V ".w, " V "\n" QRE_ATTENUATION_ALONG(T) \
    "dp3 r1.x, r11, r8\n"                                       \
    "add r2.xyz, r0, r8\n"                                     \
    "nrm r10.xyz, r2\n"                                         \
    "dp3 r1.y, r11, r10\n"                                      \
    "mov r1.w, " MP ".x\n"                                      \
    "lit r3, r1\n"                                              \
    "mul r6, " MA ", " A "\n"                                   \
    "mul r10, " MD ", " D "\n"                                  \
    "mad r6, r10, r3.y, r6\n"                                   \
    "mad r4, r6, r9.w, r4\n"                                    \
    "mul r6, " MS ", " S "\n"                                   \
    "mul r6, r6, r3.z\n"                                        \
    "mad r7, r6, r9.w, r7\n"

// QRE_BONE_BLEND with the tangent in T blended as the normal is: the
// position into r5, the normal into r3, the tangent into r4.
#define QRE_BONE_BLEND_TANGENT(K, T)                                                        \
    "frc r9, v4\n"                                                                          \
    "add r9, v4, -r9\n"                                                                     \
    "mul r9, r9, " K ".x\n" QRE_BONE("x") QRE_BONE_TANGENT(T)                                \
    "mul r2, r0, v3.x\n"                                                                    \
    "mul r3.xyz, r1, v3.x\n"                                                                \
    "mul r4.xyz, r10, v3.x\n" QRE_BONE("y") QRE_BONE_TANGENT(T)                              \
    "mad r2, r0, v3.y, r2\n"                                                                \
    "mad r3.xyz, r1, v3.y, r3\n"                                                            \
    "mad r4.xyz, r10, v3.y, r4\n" QRE_BONE("z") QRE_BONE_TANGENT(T)                          \
    "mad r2, r0, v3.z, r2\n"                                                                \
    "mad r3.xyz, r1, v3.z, r3\n"                                                            \
    "mad r4.xyz, r10, v3.z, r4\n" QRE_BONE("w") QRE_BONE_TANGENT(T)                          \
    "mad r2, r0, v3.w, r2\n"                                                                \
    "mad r3.xyz, r1, v3.w, r3\n"                                                            \
    "mad r4.xyz, r10, v3.w, r4\n"                                                           \
    "mov r5, r2\n"

// The tangent T through the bone QRE_BONE picked (a0.x), into r10.
#define QRE_BONE_TANGENT(T)                        \
    "mul r10.xyz, " T ".x, c[a0.x + 8]\n"           \
    "mad r10.xyz, " T ".y, c[a0.x + 9], r10\n"      \
    "mad r10.xyz, " T ".z, c[a0.x + 10], r10\n"
