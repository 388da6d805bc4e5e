#pragma once

// The shader programs of Texture1DLEffect, as assembly texts the renderer
// assembles on first use. Register layouts (rows of matrices, a position is
// the sum of its components times the rows):
//
// vertex-lit, vs 1.1 (plain and wind), fixed-function pixels:
//   c0-c3 world-view-projection, c4-c7 world-view, c8 material ambient,
//   c9 material diffuse, c10 material specular, c11 material emissive,
//   c12.x power, c13 light ambient, c14 light diffuse, c15 light specular,
//   c16 direction to the light and c17 camera position (object space),
//   c18 (fog density, fog exponent, ...), c19 wind (amplitude, speed, time).
//   In: v0 position, v3 normal, v7 texture coordinate.
//   Out: oD0 ambient + diffuse, oD1 specular + emissive, oT0, oFog.
//
// pixel-lit, vs 2.0 plain and wind:
//   c0-c3, c4-c7 as above, c8 camera position (object space), c9 fog,
//   c10 wind. In: v0 position, v1 normal, v2 texture coordinate.
// pixel-lit, vs 2.0 skinned:
//   c0-c3 view-projection, c4-c7 view, c8.. bone palette (four rows a bone,
//   at most kMaxBones), c208 camera position (world), c209 fog.
//   In adds v3 blend weights, v4 blend indices.
//   All three write oT0 texture coordinate, oT1 normal, oT2 vector to the
//   eye, oFog.
// pixel-lit, ps 2.0:
//   c0 light specular, c1 material specular, c2 direction to the light,
//   c4.x power, c5 material ambient, c6 light ambient, c7 material diffuse,
//   c8 light diffuse, c9 material emissive; s0 the texture.
//
// Fog factor 1 / e^((density z)^exponent) with z the view depth; wind
// sways x and z with the height y (amplitude A, speed s, time t):
//   x += A sin(0.5077 x + s t - 0.421 z) y,
//   z += A sin(1.31415 s t + 0.3 y - 0.6 z) y.
namespace Texture1DLPrograms
{
extern const char* const kVertexLit;
extern const char* const kVertexLitWind;
extern const char* const kPixelLitVertex;
extern const char* const kPixelLitWindVertex;
extern const char* const kPixelLitSkinnedVertex;
extern const char* const kPixelLitPixel;

// Bones the skinned program's palette holds (c8 up to c207).
constexpr unsigned kMaxBones = 50;
// First registers of the skinned program's palette, camera and fog.
constexpr unsigned kBonePaletteRegister = 8;
constexpr unsigned kSkinnedCameraRegister = 208;
constexpr unsigned kSkinnedFogRegister = 209;
} // namespace Texture1DLPrograms
