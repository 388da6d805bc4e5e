#include "engine/render/ConstantLayout.h"

namespace ConstantLayout
{

namespace
{

using enum Quantity;

// Texture1DLEffect's programs.
constexpr Entry kLitVertex11[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},    {MaterialAmbient, 0, 8},  {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {LightAmbient, 0, 13},
    {LightDiffuse, 0, 14},     {LightSpecular, 0, 15},   {LightDirection, 0, 16},  {CameraPosition, 0, 17},
    {Fog, 0, 18},
};
constexpr Entry kLitVertex11Wind[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},    {MaterialAmbient, 0, 8},  {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {LightAmbient, 0, 13},
    {LightDiffuse, 0, 14},     {LightSpecular, 0, 15},   {LightDirection, 0, 16},  {CameraPosition, 0, 17},
    {Fog, 0, 18},              {Wind, 0, 19},
};
constexpr Entry kLitVertex20[] = {{Transform, 0, 0}, {ViewTransform, 0, 4}, {CameraPosition, 0, 8}, {Fog, 0, 9}};
constexpr Entry kLitVertex20Wind[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {CameraPosition, 0, 8}, {Fog, 0, 9}, {Wind, 0, 10}};
constexpr Entry kLitVertex20Skinned[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {BonePalette, 0, 8}, {CameraPosition, 0, 208}, {Fog, 0, 209}};
constexpr Entry kLitPixel20[] = {
    {LightSpecular, 0, 0},   {MaterialSpecular, 0, 1}, {LightDirection, 0, 2}, {MaterialPower, 0, 4},
    {MaterialAmbient, 0, 5}, {LightAmbient, 0, 6},     {MaterialDiffuse, 0, 7}, {LightDiffuse, 0, 8},
    {MaterialEmissive, 0, 9},
};

// Texture1DL1PLEffect's: Texture1DLEffect's rows, the point light (light 1)
// after the sway constants (c20-c23) and the pixel constants (c10).
constexpr Entry kTwoLightVertex11[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},    {MaterialAmbient, 0, 8},  {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {LightAmbient, 0, 13},
    {LightDiffuse, 0, 14},     {LightSpecular, 0, 15},   {LightDirection, 0, 16},  {CameraPosition, 0, 17},
    {Fog, 0, 18},              {LightAmbient, 1, 24},    {LightDiffuse, 1, 25},    {LightSpecular, 1, 26},
    {LightPosition, 1, 27},    {LightAttenuation, 1, 28},
};
constexpr Entry kTwoLightVertex11Wind[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},    {MaterialAmbient, 0, 8},  {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {LightAmbient, 0, 13},
    {LightDiffuse, 0, 14},     {LightSpecular, 0, 15},   {LightDirection, 0, 16},  {CameraPosition, 0, 17},
    {Fog, 0, 18},              {Wind, 0, 19},            {LightAmbient, 1, 24},    {LightDiffuse, 1, 25},
    {LightSpecular, 1, 26},    {LightPosition, 1, 27},   {LightAttenuation, 1, 28},
};
constexpr Entry kTwoLightPixel20[] = {
    {LightSpecular, 0, 0},    {MaterialSpecular, 0, 1}, {LightDirection, 0, 2},  {MaterialPower, 0, 4},
    {MaterialAmbient, 0, 5},  {LightAmbient, 0, 6},     {MaterialDiffuse, 0, 7}, {LightDiffuse, 0, 8},
    {MaterialEmissive, 0, 9}, {LightSpecular, 1, 11},   {LightPosition, 1, 12},  {LightAmbient, 1, 13},
    {LightDiffuse, 1, 14},    {LightAttenuation, 1, 15},
};

// LightmapTextureEffect's (unlit).
constexpr Entry kUnlitVertex11[] = {{Transform, 0, 0}, {ViewTransform, 0, 4}, {Colour, 0, 8}, {Fog, 0, 9}};
constexpr Entry kUnlitVertex11Wind[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {Colour, 0, 8}, {Fog, 0, 9}, {Wind, 0, 10}};

// The normal-map members': the way to the light after the wind, the
// parallax after the pixel program's constants (c16).
constexpr Entry kNormalVertex20[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {CameraPosition, 0, 8}, {Fog, 0, 9}, {LightDirection, 0, 11}};
constexpr Entry kNormalVertex20Wind[] = {{Transform, 0, 0}, {ViewTransform, 0, 4}, {CameraPosition, 0, 8},
                                         {Fog, 0, 9},       {Wind, 0, 10},          {LightDirection, 0, 11}};
constexpr Entry kNormalTwoLightVertex20[] = {{Transform, 0, 0},      {ViewTransform, 0, 4},  {CameraPosition, 0, 8},
                                             {Fog, 0, 9},            {LightDirection, 0, 11}, {LightPosition, 1, 12}};
constexpr Entry kNormalTwoLightVertex20Wind[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4},   {CameraPosition, 0, 8},
    {Fog, 0, 9},       {Wind, 0, 10},           {LightDirection, 0, 11}, {LightPosition, 1, 12}};
constexpr Entry kParallaxPixel20[] = {
    {LightSpecular, 0, 0},   {MaterialSpecular, 0, 1}, {LightDirection, 0, 2},  {MaterialPower, 0, 4},
    {MaterialAmbient, 0, 5}, {LightAmbient, 0, 6},     {MaterialDiffuse, 0, 7}, {LightDiffuse, 0, 8},
    {MaterialEmissive, 0, 9}, {Parallax, 0, 17},
};

// The list members' pixel program: the material of kLitPixel20, then five
// registers a light (specular, vector, ambient, diffuse, attenuation).
constexpr Entry kListPixel20[] = {
    {MaterialSpecular, 0, 1},      {MaterialPower, 0, 4},   {MaterialAmbient, 0, 5},  {MaterialDiffuse, 0, 7},
    {MaterialEmissive, 0, 9},      {LightSpecular, 0, 11},  {LightVector, 0, 12},     {LightAmbient, 0, 13},
    {LightDiffuse, 0, 14},         {LightKindAttenuation, 0, 15}, {LightSpecular, 1, 16}, {LightVector, 1, 17},
    {LightAmbient, 1, 18},         {LightDiffuse, 1, 19},   {LightKindAttenuation, 1, 20}, {LightSpecular, 2, 21},
    {LightVector, 2, 22},          {LightAmbient, 2, 23},   {LightDiffuse, 2, 24},    {LightKindAttenuation, 2, 25},
    {LightSpecular, 3, 26},        {LightVector, 3, 27},    {LightAmbient, 3, 28},    {LightDiffuse, 3, 29},
    {LightKindAttenuation, 3, 30},
};

// The normal-map list members' vertex programs: the four lights' vectors
// for their per-vertex factors.
constexpr Entry kNormalListVertex20[] = {{Transform, 0, 0},   {ViewTransform, 0, 4}, {CameraPosition, 0, 8},
                                         {Fog, 0, 9},         {LightVector, 0, 11},  {LightVector, 1, 12},
                                         {LightVector, 2, 13}, {LightVector, 3, 14}};
constexpr Entry kNormalListVertex20Wind[] = {{Transform, 0, 0},   {ViewTransform, 0, 4}, {CameraPosition, 0, 8},
                                             {Fog, 0, 9},         {Wind, 0, 10},         {LightVector, 0, 11},
                                             {LightVector, 1, 12}, {LightVector, 2, 13}, {LightVector, 3, 14}};

// The fur programs': the shell after the wind (unlit) or after the lights
// (lit, five registers a light from c24 as the list's pixel row); skinned,
// past the palette.
constexpr Entry kFurVertex20[] = {{Transform, 0, 0}, {ViewTransform, 0, 4}, {Fog, 0, 9}, {Shell, 0, 11}};
constexpr Entry kFurVertex20Wind[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {Fog, 0, 9}, {Wind, 0, 10}, {Shell, 0, 11}};
constexpr Entry kFurVertex20Skinned[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {BonePalette, 0, 8}, {Fog, 0, 209}, {Shell, 0, 211}};
constexpr Entry kFurPixel20[] = {{Colour, 0, 0}};
constexpr Entry kFurShellPixel20[] = {{Colour, 0, 0}, {Shell, 0, 1}};
#define QRE_FUR_LIGHT(I, F)                                                                            \
    {LightSpecular, I, F}, {LightVector, I, F + 1}, {LightAmbient, I, F + 2}, {LightDiffuse, I, F + 3}, \
        {LightKindAttenuation, I, F + 4}
constexpr Entry kFurLitVertex20[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},     {MaterialAmbient, 0, 8}, {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {CameraPosition, 0, 17},
    {Fog, 0, 18},              QRE_FUR_LIGHT(0, 24),      QRE_FUR_LIGHT(1, 29),    QRE_FUR_LIGHT(2, 34),
    QRE_FUR_LIGHT(3, 39),      {Shell, 0, 44},
};
constexpr Entry kFurLitVertex20Wind[] = {
    {Transform, 0, 0},         {ViewTransform, 0, 4},     {MaterialAmbient, 0, 8}, {MaterialDiffuse, 0, 9},
    {MaterialSpecular, 0, 10}, {MaterialEmissive, 0, 11}, {MaterialPower, 0, 12},  {CameraPosition, 0, 17},
    {Fog, 0, 18},              {Wind, 0, 19},             QRE_FUR_LIGHT(0, 24),    QRE_FUR_LIGHT(1, 29),
    QRE_FUR_LIGHT(2, 34),      QRE_FUR_LIGHT(3, 39),      {Shell, 0, 44},
};
constexpr Entry kFurLitVertex20Skinned[] = {
    {Transform, 0, 0},          {ViewTransform, 0, 4},      {BonePalette, 0, 8},      {CameraPosition, 0, 208},
    {Fog, 0, 209},              {Shell, 0, 211},            {MaterialAmbient, 0, 212}, {MaterialDiffuse, 0, 213},
    {MaterialSpecular, 0, 214}, {MaterialEmissive, 0, 215}, {MaterialPower, 0, 216},  QRE_FUR_LIGHT(0, 217),
    QRE_FUR_LIGHT(1, 222),      QRE_FUR_LIGHT(2, 227),      QRE_FUR_LIGHT(3, 232),
};
#undef QRE_FUR_LIGHT
constexpr Entry kFurLitShellPixel20[] = {{Shell, 0, 1}};

// TextureEffect's skinned: the colour past the palette.
constexpr Entry kTextureVertex20Skinned[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4}, {BonePalette, 0, 8}, {Fog, 0, 209}, {Colour, 0, 211}};

// The normal-map programs skinned: past the palette, as kLitVertex20Skinned,
// the lights' ways from c211.
constexpr Entry kNormalVertex20Skinned[] = {{Transform, 0, 0},         {ViewTransform, 0, 4}, {BonePalette, 0, 8},
                                            {CameraPosition, 0, 208}, {Fog, 0, 209},         {LightDirection, 0, 211}};
constexpr Entry kNormalTwoLightVertex20Skinned[] = {
    {Transform, 0, 0}, {ViewTransform, 0, 4},    {BonePalette, 0, 8},     {CameraPosition, 0, 208},
    {Fog, 0, 209},     {LightDirection, 0, 211}, {LightPosition, 1, 212},
};
constexpr Entry kNormalListVertex20Skinned[] = {
    {Transform, 0, 0},    {ViewTransform, 0, 4},  {BonePalette, 0, 8},   {CameraPosition, 0, 208},
    {Fog, 0, 209},        {LightVector, 0, 211},  {LightVector, 1, 212}, {LightVector, 2, 213},
    {LightVector, 3, 214},
};

// Indexed by program Id.
constexpr std::span<const Entry> kRows[] = {
    kLitVertex11, kLitVertex11Wind, kLitVertex20, kLitVertex20Wind, kLitVertex20Skinned, kLitPixel20,
    // LightmapTexture1DLEffect's: the lightmap adds a coordinate set and a
    // sampler, no register.
    kLitVertex11, kLitVertex11Wind, kLitVertex20, kLitVertex20Wind, kLitPixel20,
    kTwoLightVertex11, kTwoLightVertex11Wind, kLitVertex20, kLitVertex20Wind, kLitVertex20Skinned, kTwoLightPixel20,
    kUnlitVertex11, kUnlitVertex11Wind,
    // The grass programs: the unlit wind row, the sway always on.
    kUnlitVertex11Wind, kUnlitVertex11Wind, kUnlitVertex11Wind, kUnlitVertex11Wind,
    kNormalVertex20, kNormalVertex20Wind, kLitPixel20, kParallaxPixel20,
    kNormalVertex20, kNormalVertex20Wind, kLitPixel20, kParallaxPixel20,
    kNormalTwoLightVertex20, kNormalTwoLightVertex20Wind, kTwoLightPixel20,
    kListPixel20,
    kNormalListVertex20, kNormalListVertex20Wind, kListPixel20,
    kFurVertex20, kFurVertex20Wind, kFurVertex20Skinned, kFurPixel20, kFurShellPixel20,
    kFurLitVertex20, kFurLitVertex20Wind, kFurLitVertex20Skinned, std::span<const Entry>(), kFurLitShellPixel20,
    // ColorEffect's and TextureEffect's: the unlit rows.
    kUnlitVertex11, kUnlitVertex11Wind, kUnlitVertex11, kUnlitVertex11, kUnlitVertex11Wind, kUnlitVertex11,
    kTextureVertex20Skinned,
    kNormalVertex20Skinned, kNormalTwoLightVertex20Skinned, kNormalListVertex20Skinned,
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<uint32_t>(EffectPrograms::Id::Count),
              "one row per program");

} // namespace

std::span<const Entry> Row(EffectPrograms::Id program)
{
    const uint32_t index = static_cast<uint32_t>(program);
    return index < static_cast<uint32_t>(EffectPrograms::Id::Count) ? kRows[index] : std::span<const Entry>();
}

uint32_t Width(Quantity quantity)
{
    switch (quantity)
    {
    case Transform:
    case ViewTransform:
        return 4;
    case BonePalette:
        return 4 * EffectPrograms::kMaxBones;
    default:
        return 1;
    }
}

} // namespace ConstantLayout
