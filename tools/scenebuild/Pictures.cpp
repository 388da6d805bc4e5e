#include "tools/scenebuild/Pictures.h"

#include <algorithm>
#include <cmath>

#include "engine/image/Image.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Vector3.h"

namespace
{

// Seeds of the lattices, one per use, so that no two layers line up.
constexpr int32_t kMeadowPatches = 11;
constexpr int32_t kMeadowBlades = 12;
constexpr int32_t kMeadowGrain = 13;
constexpr int32_t kBrickTint = 21;
constexpr int32_t kBrickGrain = 22;
constexpr int32_t kRibbonGrain = 31;

int32_t Wrap(int32_t value, int32_t period)
{
    const int32_t rest = value % period;
    return rest < 0 ? rest + period : rest;
}

// Value noise in -1..1 on a lattice of across x along cells over the unit
// square, eased between lattice points; lattice indices wrap, so the noise
// tiles over u and v in 0..1.
float TiledNoise(float u, float v, int32_t across, int32_t along, int32_t seed)
{
    const float x = u * static_cast<float>(across);
    const float y = v * static_cast<float>(along);
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int32_t x0 = static_cast<int32_t>(fx);
    const int32_t y0 = static_cast<int32_t>(fy);
    const auto at = [&](int32_t i, int32_t j) { return IntNoise(Wrap(i, across), Wrap(j, along), seed); };
    const float top = CosineInterpolate(at(x0, y0), at(x0 + 1, y0), x - fx);
    const float bottom = CosineInterpolate(at(x0, y0 + 1), at(x0 + 1, y0 + 1), x - fx);
    return CosineInterpolate(top, bottom, y - fy);
}

float TiledNoise(float u, float v, int32_t period, int32_t seed)
{
    return TiledNoise(u, v, period, period, seed);
}

// Octaves of TiledNoise, each twice the lattice and half the weight of the
// one before; scaled back to -1..1.
float Fractal(float u, float v, int32_t period, int32_t octaves, int32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int32_t octave = 0; octave < octaves; ++octave)
    {
        sum += weight * TiledNoise(u, v, period << octave, seed + octave * 101);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

float Smoothstep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

Vector3 Mix(const Vector3& a, const Vector3& b, float t)
{
    return a + (b - a) * t;
}

// An RGB picture whose texel (x, y) (row y of the pixel block) is
// shade(u, v) at the texel's centre.
template <typename Shade>
Ptr<Image> Paint(const char* fileName, uint32_t size, Shade shade)
{
    if (size < 16 || (size & (size - 1)) != 0)
        return nullptr;
    Ptr<Image> image = new Image(String(fileName), Image::kPixel24, size, size);
    uint8_t* pixels = image->GetData();
    if (!pixels)
        return nullptr;
    image->SetFileName(String(fileName));
    const float step = 1.0f / static_cast<float>(size);
    for (uint32_t y = 0; y < size; ++y)
    {
        for (uint32_t x = 0; x < size; ++x)
        {
            const Vector3 colour = shade((static_cast<float>(x) + 0.5f) * step, (static_cast<float>(y) + 0.5f) * step);
            uint8_t* texel = pixels + (static_cast<size_t>(y) * size + x) * 3;
            texel[0] = static_cast<uint8_t>(std::lround(std::clamp(colour.x, 0.0f, 1.0f) * 255.0f));
            texel[1] = static_cast<uint8_t>(std::lround(std::clamp(colour.y, 0.0f, 1.0f) * 255.0f));
            texel[2] = static_cast<uint8_t>(std::lround(std::clamp(colour.z, 0.0f, 1.0f) * 255.0f));
        }
    }
    return image;
}

} // namespace

Ptr<Image> MakeMeadowPicture(const char* fileName, uint32_t size)
{
    const Vector3 lightGrass(0.50f, 0.74f, 0.30f);
    const Vector3 darkGrass(0.24f, 0.48f, 0.16f);
    const Vector3 soil(0.47f, 0.37f, 0.24f);
    return Paint(fileName, size, [&](float u, float v) {
        // Blades: a lattice far finer across than along, so the noise
        // comes out as streaks that stand like grass.
        const float blades = TiledNoise(u, v, 128, 16, kMeadowBlades);
        const float tufts = Fractal(u, v, 8, 3, kMeadowPatches + 50);
        Vector3 grass = Mix(darkGrass, lightGrass, 0.5f + 0.35f * blades + 0.25f * tufts);
        // Bare soil where the broad noise runs high, with a soft edge.
        const float patches = Fractal(u, v, 4, 3, kMeadowPatches);
        const float bare = Smoothstep(0.24f, 0.40f, patches);
        Vector3 colour = Mix(grass, soil, bare * 0.85f);
        const float grain = TiledNoise(u, v, 128, kMeadowGrain) * 0.05f;
        return colour + Vector3(grain, grain, grain);
    });
}

Ptr<Image> MakeBrickPicture(const char* fileName, uint32_t size)
{
    constexpr int32_t kCourses = 4;
    constexpr int32_t kBricksPerCourse = 2;
    constexpr float kMortar = 0.06f; // of a course's height, each side of a joint
    const Vector3 mortar(0.85f, 0.81f, 0.74f);
    const Vector3 brick(0.78f, 0.47f, 0.38f);
    return Paint(fileName, size, [&](float u, float v) {
        const float courseAt = v * kCourses;
        const int32_t course = static_cast<int32_t>(courseAt);
        const float inCourse = courseAt - static_cast<float>(course);
        // Every other course starts half a brick along.
        const float along = u * kBricksPerCourse + ((course & 1) ? 0.5f : 0.0f);
        const int32_t index = static_cast<int32_t>(std::floor(along));
        const float inBrick = along - std::floor(along);
        // Mortar joints in texture units of the course height.
        const float brickAspect = static_cast<float>(kCourses) / kBricksPerCourse;
        const float toJointV = std::min(inCourse, 1.0f - inCourse);
        const float toJointU = std::min(inBrick, 1.0f - inBrick) * brickAspect;
        const float joint = std::min(toJointU, toJointV);
        const float inMortar = 1.0f - Smoothstep(kMortar * 0.7f, kMortar * 1.3f, joint);

        // A tint per brick, from its course and its index round the wrap.
        const int32_t id = Wrap(index, kBricksPerCourse);
        const float tint = IntNoise(id, course, kBrickTint);
        const float warmth = IntNoise(id, course, kBrickTint + 1);
        Vector3 face = brick + Vector3(0.08f * tint + 0.04f * warmth, 0.06f * tint, 0.05f * tint - 0.03f * warmth);
        const float grain = Fractal(u, v, 32, 2, kBrickGrain) * 0.07f;
        face += Vector3(grain, grain * 0.8f, grain * 0.7f);
        const float mortarGrain = TiledNoise(u, v, 128, kBrickGrain + 7) * 0.04f;
        return Mix(face, mortar + Vector3(mortarGrain, mortarGrain, mortarGrain), inMortar);
    });
}

Ptr<Image> MakeRibbonPicture(const char* fileName, uint32_t size)
{
    const Vector3 bands[5] = {
        {0.96f, 0.78f, 0.27f}, // saffron
        {0.94f, 0.58f, 0.66f}, // rose
        {0.74f, 0.62f, 0.88f}, // lilac
        {0.60f, 0.88f, 0.73f}, // mint
        {0.56f, 0.76f, 0.96f}, // sky
    };
    constexpr int32_t kTeeth = 6;       // zigzag teeth round the u direction
    constexpr float kToothHeight = 0.035f;
    constexpr float kSeam = 0.012f;     // half width of the white line
    const Vector3 white(0.97f, 0.96f, 0.93f);
    return Paint(fileName, size, [&](float u, float v) {
        // A triangle wave over u, whole teeth, so the edge meets itself.
        const float phase = u * kTeeth - std::floor(u * kTeeth);
        const float zig = (std::fabs(phase - 0.5f) * 2.0f - 0.5f) * kToothHeight;
        const float shifted = v * 5.0f + zig * 5.0f;
        const float wrapped = shifted - std::floor(shifted / 5.0f) * 5.0f;
        const int32_t band = std::clamp(static_cast<int32_t>(wrapped), 0, 4);
        const float inBand = wrapped - static_cast<float>(band);
        const float toEdge = std::min(inBand, 1.0f - inBand) / 5.0f;
        const float seam = 1.0f - Smoothstep(kSeam * 0.6f, kSeam * 1.4f, toEdge);
        const float grain = TiledNoise(u, v, 64, kRibbonGrain) * 0.025f;
        const Vector3 colour = Mix(bands[band], white, seam);
        return colour + Vector3(grain, grain, grain);
    });
}

Ptr<Image> MakeSpritePicture(const char* fileName, uint32_t size, SpriteShape shape)
{
    if (size < 16 || (size & (size - 1)) != 0)
        return nullptr;
    Ptr<Image> image = new Image(String(fileName), Image::kPixel32, size, size);
    uint8_t* pixels = image->GetData();
    if (!pixels)
        return nullptr;
    image->SetFileName(String(fileName));
    const float step = 2.0f / static_cast<float>(size);
    for (uint32_t y = 0; y < size; ++y)
    {
        for (uint32_t x = 0; x < size; ++x)
        {
            // -1..1 across the picture.
            const float px = (static_cast<float>(x) + 0.5f) * step - 1.0f;
            const float py = (static_cast<float>(y) + 0.5f) * step - 1.0f;
            const float r = std::sqrt(px * px + py * py);
            float alpha = 0.0f;
            float shade = 1.0f;
            switch (shape)
            {
            case SpriteShape::SoftDot:
                alpha = (1.0f - Smoothstep(0.0f, 1.0f, r)) * (1.0f - Smoothstep(0.0f, 1.0f, r));
                break;
            case SpriteShape::Petal:
            {
                // Wider at the top, pointed at the bottom.
                const float width = 0.55f + 0.25f * py;
                const float d = std::sqrt((px / width) * (px / width) + py * py);
                alpha = 1.0f - Smoothstep(0.8f, 0.95f, d);
                shade = 0.8f + 0.2f * (1.0f - d);
                break;
            }
            case SpriteShape::Blossom:
            {
                const float angle = std::atan2(py, px);
                const float edge = 0.55f + 0.4f * std::fabs(std::cos(angle * 2.5f));
                alpha = 1.0f - Smoothstep(edge - 0.08f, edge, r);
                shade = r < 0.22f ? 0.55f : 0.8f + 0.2f * Smoothstep(0.22f, edge, r);
                break;
            }
            }
            const auto level = static_cast<uint8_t>(std::lround(std::clamp(shade, 0.0f, 1.0f) * 255.0f));
            uint8_t* texel = pixels + (static_cast<size_t>(y) * size + x) * 4;
            texel[0] = texel[1] = texel[2] = level;
            texel[3] = static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
        }
    }
    return image;
}

Ptr<Image> MakeBlossomPicture(const char* fileName, uint32_t size)
{
    const Vector3 leaf(0.30f, 0.52f, 0.24f);
    const Vector3 pink(0.98f, 0.80f, 0.86f);
    const Vector3 deep(0.90f, 0.55f, 0.68f);
    return Paint(fileName, size, [&](float u, float v) {
        const float clusters = Fractal(u, v, 8, 3, 41);
        const float flowers = TiledNoise(u, v, 48, 42);
        const float bloom = Smoothstep(-0.1f, 0.25f, clusters + 0.35f * flowers);
        const Vector3 petals = Mix(deep, pink, 0.5f + 0.5f * TiledNoise(u, v, 96, 43));
        return Mix(leaf * (0.8f + 0.3f * flowers), petals, bloom);
    });
}

Ptr<Image> MakeBladesPicture(const char* fileName, uint32_t size)
{
    const Vector3 root(0.16f, 0.30f, 0.10f);
    const Vector3 tip(0.58f, 0.80f, 0.34f);
    return Paint(fileName, size, [&](float u, float v) {
        const float streak = TiledNoise(u, v, 64, 4, 51);
        return Mix(root, tip, std::clamp(1.0f - v + 0.12f * streak, 0.0f, 1.0f));
    });
}

Ptr<Image> MakeGrassMapPicture(const char* fileName, uint32_t size)
{
    return Paint(fileName, size, [&](float u, float v) {
        // A footpath winding along v.
        const float path = 0.5f + 0.18f * std::sin(v * 6.2831855f) + 0.05f * TiledNoise(u, v, 4, 61);
        const float fromPath = std::fabs(u - path);
        const float density = Smoothstep(0.04f, 0.16f, fromPath) * (0.75f + 0.25f * Fractal(u, v, 8, 2, 62));
        const float height = 0.55f + 0.45f * Smoothstep(0.05f, 0.3f, fromPath);
        const float brightness = 0.8f + 0.2f * Fractal(u, v, 4, 2, 63);
        return Vector3(density, height, brightness);
    });
}
