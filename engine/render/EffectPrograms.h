#pragma once
#include <cstdint>
#include <span>

// Every shader program of the effect family, as assembly texts the renderer
// assembles on first use, each put together from the pieces of
// ProgramPieces.h. A program is named by an Id; its constant registers are
// the ConstantLayout row of that Id, so a pass never writes a register
// number. Programs that more than one member runs are one constant here,
// listed once.
//
// Vertex inputs: v0 position; 1.1 programs read the normal from v3 and the
// first coordinate set from v7, 2.0 programs the normal from v1 and the
// coordinate sets from v2 on; skinned programs add blend weights and blend
// indices. Fog factor 1 / e^((density z)^exponent) with z the view depth;
// the wind sway moves x and z with the height y (amplitude A, speed s,
// time t): x += A sin(0.5077 x + s t - 0.421 z) y,
// z += A sin(1.31415 s t + 0.3 y - 0.6 z) y.
namespace EffectPrograms
{
// The programs, in the order All() lists them.
enum class Id : uint32_t
{
    // One directional light per vertex (vs 1.1, fixed-function pixels):
    // oD0 ambient + diffuse, oD1 specular + emissive, oT0, oFog.
    LitVertex11 = 0,
    LitVertex11Wind,
    // One directional light per pixel: the vertex programs (vs 2.0) write
    // oT0 coordinates, oT1 normal, oT2 vector to the eye and oFog; the
    // skinned one blends up to four bones of the palette into world space.
    LitVertex20,
    LitVertex20Wind,
    LitVertex20Skinned,
    // texture x (ambient + diffuse N.L) + specular (N.H)^power + emissive,
    // alpha texture x material diffuse; s0 the texture.
    LitPixel20,
    // The same with the texture times the lightmap of the second coordinate
    // set (1.1: oT1 for fixed-function stage 1; 2.0: oT3, sampler 1).
    LightmapLitVertex11,
    LightmapLitVertex11Wind,
    LightmapLitVertex20,
    LightmapLitVertex20Wind,
    LightmapLitPixel20,
    // A directional and a point light (attenuated), summed: 1.1 as
    // LitVertex11; 2.0 as LitVertex20 with the point as oT3 for the pixel
    // program's way to the point light.
    TwoLightVertex11,
    TwoLightVertex11Wind,
    TwoLightVertex20,
    TwoLightVertex20Wind,
    TwoLightVertex20Skinned,
    TwoLightPixel20,
    // Unlit (vs 1.1, fixed-function pixels): oD0 the effect's colour, oT0
    // and oT1 the texture's and the lightmap's coordinates, oFog.
    LightmapVertex11,
    LightmapVertex11Wind,
    // Grass (vs 1.1, unlit, always swaying): the sway weighted by the u of
    // a coordinate set (0 at the root, 1 at the tip) in place of the
    // height; oD0 the effect's colour or (Coloured) the vertex colour, oT0
    // the texture's coordinates (and oT1 the lightmap's), oFog.
    GrassVertex11,
    GrassVertex11Coloured,
    LightmapGrassVertex11,
    LightmapGrassVertex11Coloured,
    // One directional light per pixel on a normal map: the vertex programs
    // (vs 2.0) write oT0 the texture's and oT1 the normal map's coordinates,
    // oT2 the way to the light and oT3 to the eye in tangent space (x the
    // tangent, y tangent x normal, z the normal), oT4.x the per-vertex
    // factor saturate(4 N.L), oFog; the pixel programs light the normal
    // 2 (rgb - 0.5) of the map, the factor on diffuse and specular: texture
    // s0, normal map s1; the parallax one shifts both coordinates by
    // (height x scale - bias) x (E.x, -E.y) first, normal map (height in
    // alpha) s0, texture s1.
    NormalLitVertex20,
    NormalLitVertex20Wind,
    NormalLitPixel20,
    ParallaxLitPixel20,
    // The same with a lightmap: the vertex programs read the texture's,
    // the lightmap's and the normal map's coordinates and the tangent
    // (four sets) and add oT5 the lightmap's coordinates; the pixel
    // programs multiply the texture by the lightmap (never shifted): s0
    // texture, s1 lightmap, s2 normal map; parallax s0 normal map, s1
    // texture, s2 lightmap.
    NormalLightmapLitVertex20,
    NormalLightmapLitVertex20Wind,
    NormalLightmapLitPixel20,
    ParallaxLightmapLitPixel20,
    // A directional and a point light on a normal map: as NormalLitVertex20
    // with oT5 the way to the point light in tangent space (its length the
    // distance) and oT4.y its per-vertex factor; the pixel program sums the
    // two, the point's attenuated.
    NormalTwoLightVertex20,
    NormalTwoLightVertex20Wind,
    NormalTwoLightPixel20,
    // The first four lights of a list per pixel, each directional or
    // attenuated point by its type (the vertex programs are TwoLight's,
    // oT3 the point): texture s0.
    ListLitPixel20,
    // The same on a normal map: the vertex programs write oT0 the texture's
    // coordinates, oT1 the normal, oT2 the way to the eye, oT3 the point,
    // oT4 the normal map's coordinates, oT5 and oT6 the tangent basis
    // (object space) and oT7 the four lights' per-vertex factors; the pixel
    // program turns the map's normal into object space by the basis.
    // Texture s0, normal map s1.
    NormalListVertex20,
    NormalListVertex20Wind,
    NormalListPixel20,
    // Fur, unlit (vs 2.0): the base and each shell moved along the unit
    // normal by the shell's offset, oT0 the coordinates, oFog; the pixel
    // programs give colour x texture (s0), the shells' alpha the fur
    // texture's (s1) times the shell's factor.
    FurVertex20,
    FurVertex20Wind,
    FurVertex20Skinned,
    FurPixel20,
    FurShellPixel20,
    // Fur lit per vertex by the first four lights of a list, each
    // directional or attenuated point by its type: oD0 ambient + diffuse,
    // oD1 highlights + emissive; the pixel programs put them on the texture.
    FurLitVertex20,
    FurLitVertex20Wind,
    FurLitVertex20Skinned,
    FurLitPixel20,
    FurLitShellPixel20,
    // ColorEffect's (vs 1.1, fixed-function pixels, position only): oD0 the
    // effect's colour or (Coloured) the vertex colour, oFog.
    ColourVertex11,
    ColourVertex11Wind,
    ColourVertex11Coloured,
    // TextureEffect's: the same with oT0 the texture's coordinates; the
    // skinned one (vs 2.0) blends the palette as the lit ones do.
    TextureVertex11,
    TextureVertex11Wind,
    TextureVertex11Coloured,
    TextureVertex20Skinned,
    // The normal-map vertex programs skinned: the palette blends the
    // position, the normal and the tangent (world space); outputs as the
    // unskinned ones.
    NormalLitVertex20Skinned,
    NormalTwoLightVertex20Skinned,
    NormalListVertex20Skinned,
    Count
};

// One program: its Id, the name its shader object carries, its kind and its
// text (beginning with the version line).
struct Program
{
    Id id;
    const char* name;
    bool pixel;
    const char* text;
};

// Every program, one entry per Id in Id order.
std::span<const Program> All();

// The program of an Id; Count and beyond give the first.
const Program& Get(Id id);

// Bones the skinned programs' palette holds (four registers a bone).
constexpr uint32_t kMaxBones = 50;
} // namespace EffectPrograms
