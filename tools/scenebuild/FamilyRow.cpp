#include "tools/scenebuild/FamilyRow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/render/ColorEffect.h"
#include "engine/render/FurVertexLightingEffect.h"
#include "engine/render/GrassEffect.h"
#include "engine/render/LightmapGrassEffect.h"
#include "engine/render/LightmapTexture1DLEffect.h"
#include "engine/render/NormalmapLightmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexturePixelLightingEffect.h"
#include "engine/render/ParallaxLightmapTexture1DLEffect.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/TexturePixelLightingEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace
{

// Where the grid stands: far out along x, so no shot of the meadow sees it.
const Vector3 kCentre(5000.0f, 0.0f, 0.0f);
// The camera this far in front of the grid; the pitch of the cells fills a
// 4:3 frame at the lens's 45 degrees, the patches cover two thirds of each.
constexpr float kDistance = 20.0f;
constexpr float kPitchX = 3.68f, kPitchY = 4.14f, kHalf = 1.3f;
constexpr uint32_t kMapSize = 64;

// Everything a patch's effect may link.
struct Links
{
    Texture* texture;
    Texture* lightmap;
    Texture* normalmap;
    Texture* fur;
    Light* sun;
    Light* lamp;
};

// A member with every link it has; fur of sixteen shells.
template <class Member>
Ptr<GeometryNodeEffect> Make(const Links& with)
{
    Ptr<Member> effect = new Member(String("FamilyEffect"));
    effect->SetColor(Vector4(0.95f, 0.85f, 0.75f, 1.0f));
    effect->SetMaterial(Vector4(0.9f, 0.9f, 0.9f, 1.0f), Vector4(0.4f, 0.4f, 0.45f, 1.0f),
                        Vector4(0.3f, 0.3f, 0.3f, 1.0f), Vector4(0.0f, 0.0f, 0.0f, 1.0f), 16.0f);
    effect->SetCullEnabled(false);
    if constexpr (requires { effect->SetTexture(with.texture); })
        effect->SetTexture(with.texture);
    if constexpr (requires { effect->SetLightmap(with.lightmap); })
        effect->SetLightmap(with.lightmap);
    if constexpr (requires { effect->SetNormalmap(with.normalmap); })
        effect->SetNormalmap(with.normalmap);
    if constexpr (requires { effect->SetParallax(0.04f, 0.02f); })
        effect->SetParallax(0.04f, 0.02f);
    if constexpr (requires { effect->SetLight(with.sun); })
        effect->SetLight(with.sun);
    if constexpr (requires { effect->SetPointLight(with.lamp); })
    {
        effect->SetDirectionalLight(with.sun);
        effect->SetPointLight(with.lamp);
    }
    if constexpr (requires { effect->AddLight(with.sun); })
    {
        effect->AddLight(with.sun);
        effect->AddLight(with.lamp);
    }
    if constexpr (requires { effect->SetFurTexture(with.fur); })
    {
        effect->SetFurTexture(with.fur);
        effect->SetFurLength(0.35f);
        effect->SetShellCount(16);
        effect->SetFade(0.5f);
    }
    return effect;
}

// The family in its table's order.
using Maker = Ptr<GeometryNodeEffect> (*)(const Links&);
constexpr Maker kMembers[24] = {
    Make<ColorEffect>,
    Make<TextureEffect>,
    Make<LightmapTextureEffect>,
    Make<NormalmapTextureEffect>,
    Make<NormalmapLightmapTextureEffect>,
    Make<ParallaxTextureEffect>,
    Make<ParallaxLightmapTextureEffect>,
    Make<GrassEffect>,
    Make<LightmapGrassEffect>,
    Make<FurEffect>,
    Make<Texture1DLEffect>,
    Make<NormalmapTexture1DLEffect>,
    Make<LightmapTexture1DLEffect>,
    Make<NormalmapLightmapTexture1DLEffect>,
    Make<ParallaxTexture1DLEffect>,
    Make<ParallaxLightmapTexture1DLEffect>,
    Make<Texture1DL1PLEffect>,
    Make<NormalmapTexture1DL1PLEffect>,
    Make<TextureLightingEffect>,
    Make<TexturePixelLightingEffect>,
    Make<NormalmapTextureLightingEffect>,
    Make<NormalmapTexturePixelLightingEffect>,
    Make<FurLightingEffect>,
    Make<FurVertexLightingEffect>,
};

// A picture of kMapSize texels a side from a function of (u, v) giving
// red, green, blue and alpha in 0..1.
template <typename Texel>
Ptr<Image> Generate(const char* fileName, bool alpha, Texel texel)
{
    Ptr<Image> image = new Image(String(fileName), alpha ? Image::kPixel32 : Image::kPixel24, kMapSize, kMapSize);
    uint8_t* pixels = image->GetData();
    if (!pixels)
        return nullptr;
    image->SetFileName(String(fileName));
    const uint32_t channels = alpha ? 4 : 3;
    for (uint32_t y = 0; y < kMapSize; ++y)
        for (uint32_t x = 0; x < kMapSize; ++x)
        {
            float value[4] = {};
            texel((static_cast<float>(x) + 0.5f) / kMapSize, (static_cast<float>(y) + 0.5f) / kMapSize, value);
            for (uint32_t c = 0; c < channels; ++c)
                pixels[(static_cast<size_t>(y) * kMapSize + x) * channels + c] =
                    static_cast<uint8_t>(std::lround(std::clamp(value[c], 0.0f, 1.0f) * 255.0f));
        }
    return image;
}

// Round bumps, four a side: the height in alpha, the normal of its slope in
// the colour.
void Bumps(float u, float v, float* out)
{
    constexpr float kTwoPi = 6.2831853f;
    const float su = std::sin(kTwoPi * 4 * u), sv = std::sin(kTwoPi * 4 * v);
    const float dx = 0.6f * std::cos(kTwoPi * 4 * u) * sv, dy = 0.6f * su * std::cos(kTwoPi * 4 * v);
    const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
    out[0] = 0.5f - 0.5f * dx / length;
    out[1] = 0.5f - 0.5f * dy / length;
    out[2] = 0.5f + 0.5f / length;
    out[3] = 0.5f + 0.5f * su * sv;
}

// Baked light: bright in the middle, falling off to the edges.
void Baked(float u, float v, float* out)
{
    const float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
    const float light = 1.0f - 0.8f * std::min(1.0f, r * 1.6f);
    out[0] = light;
    out[1] = 0.9f * light + 0.1f;
    out[2] = 0.7f * light + 0.2f;
}

// Hairs: a hash per texel, opaque where it is high.
void Hairs(float u, float v, float* out)
{
    const auto x = static_cast<uint32_t>(u * kMapSize), y = static_cast<uint32_t>(v * kMapSize);
    uint32_t h = x * 73856093u ^ y * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    out[0] = out[1] = out[2] = 0.8f;
    out[3] = (h & 0xff) > 110 ? 1.0f : 0.0f;
}

Ptr<Texture> TextureOf(const Ptr<Image>& picture, std::vector<Ptr<Image>>& pictures)
{
    if (!picture)
        return nullptr;
    pictures.push_back(picture);
    Ptr<Texture> texture = new Texture(picture->GetName());
    texture->SetImage(picture.Get());
    return texture;
}

// A square patch facing the camera (-z), its four coordinate sets the same
// 0..1 (the grass's sway weight the u of set 1).
Ptr<Triangles> MakePatch(const Vector3& at)
{
    Ptr<Triangles> patch = new Triangles(String("FamilyPatch"));
    patch->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(-kHalf, kHalf, 0), Vector3(kHalf, kHalf, 0),
                                                            Vector3(kHalf, -kHalf, 0), Vector3(-kHalf, -kHalf, 0)}));
    const Vector3 facing(0, 0, -1);
    patch->SetNormals(new Vector3Buffer(4, new Vector3[4]{facing, facing, facing, facing}));
    Ptr<Vector2Buffer> coordinates =
        new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 1)});
    for (uint32_t set = 0; set < 4; ++set)
        patch->SetTextureCoordinates(set, coordinates.Get());
    patch->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    patch->GenerateTangents(1);
    patch->UpdateModelBound();
    patch->GetLocalTransform().SetTranslation(at);
    return patch;
}

} // namespace

void AddFamilyRow(SceneNode& root, std::vector<Ptr<Image>>& pictures)
{
    // The meadow's brick texture (its picture carries the same name, so the
    // texture is looked for among the textures).
    Texture* brick = nullptr;
    Array<Object*> textures;
    root.CollectByType(Texture::TYPE, textures);
    for (Object* texture : textures)
        if (!brick && texture->GetName() == String("brick.jpg"))
            brick = static_cast<Texture*>(texture);
    Ptr<Texture> lightmap = TextureOf(Generate("familylight.jpg", false, Baked), pictures);
    Ptr<Texture> normalmap = TextureOf(Generate("familybumps.tga", true, Bumps), pictures);
    Ptr<Texture> fur = TextureOf(Generate("familyfur.tga", true, Hairs), pictures);

    // A light from over the camera's shoulder, and the lamp close in front.
    Ptr<Light> sun = new Light(String("FamilySun"));
    sun->SetLightType(Light::kDirectional);
    sun->SetAmbient(Vector4(0.25f, 0.25f, 0.3f, 1.0f));
    sun->SetDiffuse(Vector4(0.85f, 0.8f, 0.7f, 1.0f));
    sun->SetSpecular(Vector4(0.4f, 0.4f, 0.4f, 1.0f));
    sun->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(1, 0, 0), 0.35f) *
                                         Quaternion::FromAxisAngle(Vector3(0, 1, 0), -0.3f));
    root.AttachChild(sun.Get());
    Ptr<Light> lamp = new Light(String("Lamp"));
    lamp->SetLightType(Light::kPoint);
    lamp->SetAmbient(Vector4(0.05f, 0.04f, 0.0f, 1.0f));
    lamp->SetDiffuse(Vector4(0.9f, 0.7f, 0.4f, 1.0f));
    lamp->SetSpecular(Vector4(0.6f, 0.5f, 0.3f, 1.0f));
    lamp->SetAttenuation(0.6f, 0.04f, 0.004f, true);
    lamp->GetLocalTransform().SetTranslation(kCentre + Vector3(2.0f, 1.5f, -6.0f));
    root.AttachChild(lamp.Get());

    const Links links{brick, lightmap.Get(), normalmap.Get(), fur.Get(), sun.Get(), lamp.Get()};
    for (uint32_t index = 0; index < 24; ++index)
    {
        const float column = static_cast<float>(index % 6), row = static_cast<float>(index / 6);
        Ptr<Triangles> patch =
            MakePatch(kCentre + Vector3((column - 2.5f) * kPitchX, (1.5f - row) * kPitchY, 0.0f));
        Ptr<GeometryNodeEffect> effect = kMembers[index](links);
        effect->SetWind(false, 0.1f, 1.0f);
        patch->SetEffect(effect.Get());
        root.AttachChild(patch.Get());
    }

    Ptr<Camera> camera = new Camera(String("FamilyRow"));
    camera->SetFarDistance(100.0f);
    camera->GetLocalTransform().SetTranslation(kCentre + Vector3(0.0f, 0.0f, -kDistance));
    root.AttachChild(camera.Get());
}
