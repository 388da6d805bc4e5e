#include "tools/scenebuild/SpringLife.h"

#include "engine/core/MathUtil.h"
#include "engine/image/Image.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/GrassEffect.h"
#include "engine/scene/Flare.h"
#include "engine/scene/Foliage.h"
#include "engine/scene/Grass.h"
#include "engine/scene/PointEmitter.h"
#include "engine/scene/PositionEmitter.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereVolumeEmitter.h"
#include "engine/scene/SpriteParticleSystem.h"
#include "engine/scene/TrianglesEmitter.h"
#include "tools/scenebuild/Meshes.h"
#include "tools/scenebuild/Pictures.h"
#include "tools/scenebuild/TestScene.h"

namespace
{

constexpr uint32_t kSpriteSize = 64;

// A sprite effect of the picture, blended over what is behind it: sprites
// write no depth, so they never hide one another in blocks.
Ptr<SpriteEffect> SpriteOf(Texture* picture, BlendFactor destination = BlendFactor::InverseSourceAlpha)
{
    Ptr<SpriteEffect> effect = new SpriteEffect();
    effect->SetTexture(picture);
    effect->SetBlend(true, BlendFactor::SourceAlpha, destination);
    return effect;
}

// The fountain: water thrown up in a narrow cone and falling back, bright
// drops fading as they fall, added onto the scene.
Ptr<SpriteParticleSystem> MakeFountain(Texture* dot)
{
    Ptr<SpriteParticleSystem> water = new SpriteParticleSystem(String("Fountain"));
    water->GetLocalTransform().SetTranslation(Vector3(0.5f, 0.0f, -4.5f));
    water->emitInterval = 0.05f;
    water->burstCount = 6;
    water->burstCountJitter = 2;
    water->speed = 6.5f;
    water->speedJitter = 0.6f;
    water->acceleration = Vector3(0.0f, -9.8f, 0.0f);
    water->lifetime = 1.1f;
    water->lifetimeJitter = 0.2f;
    water->startColor = Vector4(0.80f, 0.90f, 1.00f, 0.9f);
    water->endColor = Vector4(0.55f, 0.70f, 0.95f, 0.0f);
    water->startSize = 0.3f;
    water->startSizeJitter = 0.05f;
    water->endSize = 0.12f;
    water->SetMaxParticles(400);
    Ptr<PointEmitter> nozzle = new PointEmitter(String("FountainNozzle"));
    nozzle->SetAngles(0.0f, 0.22f);
    water->SetEmitter(nozzle.Get());
    water->SetEffect(SpriteOf(dot, BlendFactor::One).Get());
    return water;
}

// Pollen: slow golden motes drifting in a ball of air over the meadow.
Ptr<SpriteParticleSystem> MakePollen(Texture* dot)
{
    Ptr<SpriteParticleSystem> pollen = new SpriteParticleSystem(String("Pollen"));
    pollen->GetLocalTransform().SetTranslation(Vector3(0.0f, 2.2f, 1.0f));
    pollen->emitInterval = 0.2f;
    pollen->burstCount = 4;
    pollen->speed = 0.25f;
    pollen->speedJitter = 0.15f;
    pollen->acceleration = Vector3(0.05f, 0.02f, 0.0f);
    pollen->accelerationJitter = Vector3(0.05f, 0.05f, 0.05f);
    pollen->lifetime = 7.0f;
    pollen->lifetimeJitter = 2.0f;
    pollen->startColor = Vector4(1.0f, 0.92f, 0.55f, 0.9f);
    pollen->endColor = Vector4(1.0f, 0.85f, 0.40f, 0.0f);
    pollen->startSize = 0.12f;
    pollen->startSizeJitter = 0.04f;
    pollen->endSize = 0.10f;
    pollen->SetMaxParticles(180);
    Ptr<SphereVolumeEmitter> air = new SphereVolumeEmitter(String("PollenAir"));
    air->SetRadius(6.0f);
    pollen->SetEmitter(air.Get());
    pollen->SetEffect(SpriteOf(dot, BlendFactor::One).Get());
    return pollen;
}

// A blossoming tree whose crown lets petals go in the breeze.
Ptr<SceneNode> MakeBlossomTree(Texture* bark, Texture* blossom, Texture* petal, Light* sun)
{
    Ptr<SceneNode> tree = new SceneNode(String("BlossomTree"));
    tree->GetLocalTransform().SetTranslation(Vector3(-7.5f, 0.0f, -1.5f));
    Ptr<Triangles> trunk = MakeTube("Trunk", 0.28f, 3.2f, 10, 2);
    Dress(*trunk, bark, Vector4(0.55f, 0.42f, 0.32f, 1.0f), sun);
    tree->AttachChild(trunk.Get());
    Ptr<Triangles> crown = MakeSphere("Crown", 2.0f, 16, 10);
    crown->GetLocalTransform().SetTranslation(Vector3(0.0f, 4.2f, 0.0f));
    crown->GetLocalTransform().SetScale(Vector3(1.0f, 0.8f, 1.0f));
    Dress(*crown, blossom, Vector4(1.0f, 1.0f, 1.0f, 1.0f), sun);
    tree->AttachChild(crown.Get());

    Ptr<SpriteParticleSystem> petals = new SpriteParticleSystem(String("Petals"));
    petals->GetLocalTransform().SetTranslation(Vector3(0.0f, 4.2f, 0.0f));
    petals->emitInterval = 0.25f;
    petals->burstCount = 3;
    petals->burstCountJitter = 1;
    petals->speed = 0.3f;
    petals->acceleration = Vector3(0.35f, -0.55f, 0.1f);
    petals->accelerationJitter = Vector3(0.15f, 0.1f, 0.15f);
    petals->lifetime = 7.0f;
    petals->lifetimeJitter = 1.5f;
    petals->startColor = Vector4(1.0f, 0.84f, 0.90f, 1.0f);
    petals->startColorJitter = Vector4(0.0f, 0.08f, 0.05f, 0.0f);
    petals->endColor = Vector4(1.0f, 0.80f, 0.88f, 0.0f);
    petals->startSize = 0.16f;
    petals->endSize = 0.14f;
    petals->SetMaxParticles(200);
    Ptr<TrianglesEmitter> falling = new TrianglesEmitter(String("CrownPetals"));
    falling->SetMesh(crown.Get());
    falling->SetAngles(0.0f, 1.2f);
    petals->SetEmitter(falling.Get());
    petals->SetEffect(SpriteOf(petal).Get());
    tree->AttachChild(petals.Get());
    return tree;
}

// A bed of flowers: one sprite per planted spot, swaying in the wind,
// coloured from the low lilac to the high yellow.
Ptr<Foliage> MakeFlowerBed(Texture* flower)
{
    Ptr<Foliage> bed = new Foliage(String("FlowerBed"));
    bed->GetLocalTransform().SetTranslation(Vector3(6.0f, 0.0f, -6.0f));
    Ptr<PositionEmitter> spots = new PositionEmitter(String("FlowerSpots"));
    constexpr int kAcross = 10, kDeep = 6;
    for (int z = 0; z < kDeep; ++z)
        for (int x = 0; x < kAcross; ++x)
        {
            const float jitterX = 0.15f * IntNoise(x, z, 71);
            const float jitterZ = 0.15f * IntNoise(x, z, 72);
            const float height = 0.35f + 0.25f * (0.5f + 0.5f * IntNoise(x, z, 73));
            spots->AddPosition(Vector3(-2.0f + 0.42f * x + jitterX, height, -1.2f + 0.42f * z + jitterZ));
        }
    bed->SetEmitter(spots.Get());
    bed->emitInterval = 0.02f;
    bed->burstCount = kAcross * kDeep;
    bed->speed = 0.0f;
    bed->lifetime = 0.0f;
    bed->lifetimeJitter = 6.2831855f; // the sway's phase: neighbours sway apart
    bed->startColor = Vector4(0.80f, 0.55f, 0.95f, 1.0f);
    bed->endColor = Vector4(1.0f, 0.90f, 0.35f, 1.0f);
    bed->startSize = 0.32f;
    bed->endSize = 0.32f;
    bed->SetMaxParticles(kAcross * kDeep);
    Ptr<SpriteEffect> sprites = SpriteOf(flower);
    sprites->SetWind(true, 0.06f, 1.6f);
    bed->SetEffect(sprites.Get());
    return bed;
}

// A lantern's glow by the path.
Ptr<Flare> MakeLantern(Texture* dot)
{
    Ptr<Flare> lantern = new Flare(String("Lantern"));
    lantern->GetLocalTransform().SetTranslation(Vector3(2.5f, 1.9f, -7.0f));
    lantern->SetColor(Vector4(1.0f, 0.82f, 0.45f, 0.9f));
    lantern->SetSize(1.1f);
    lantern->SetEffect(SpriteOf(dot, BlendFactor::One).Get());
    return lantern;
}

// Tall grass across the foreground of the glide, thinned along a footpath.
Ptr<Grass> MakeMeadowGrass(Texture* blades, Texture* parameters)
{
    Ptr<Grass> grass = new Grass(String("GrassPatch"));
    grass->GetLocalTransform().SetTranslation(Vector3(-1.0f, 0.0f, -9.0f));
    grass->SetGrassModel(MakeGrassTuft("GrassTuft").Get());
    grass->SetPatchModel(MakeGrassPatch("GrassGround", 14.0f, 6.0f, 4).Get());
    grass->SetParameterTexture(parameters);
    grass->SetResolution(40);
    grass->SetDensity(1.8f);
    grass->SetScale(0.75f);
    grass->SetAngleJitter(0.25f);
    // Swayed by the wind, each blade by the u of its second set: the roots
    // stay, the tips move.
    Ptr<GrassEffect> effect = new GrassEffect(String("GrassPatch"));
    effect->SetTexture(blades);
    effect->SetSwaySet(1);
    effect->SetCullEnabled(false);
    effect->SetWind(true, 0.08f, 1.3f);
    grass->SetEffect(effect.Get());
    return grass;
}

} // namespace

void AddSpringLife(SceneNode& root, Light* sun, std::vector<Ptr<Image>>& pictures)
{
    Ptr<Image> made[] = {
        MakeSpritePicture("glow.tga", kSpriteSize, SpriteShape::SoftDot),
        MakeSpritePicture("petal.tga", kSpriteSize, SpriteShape::Petal),
        MakeSpritePicture("flower.tga", kSpriteSize, SpriteShape::Blossom),
        MakeBlossomPicture("blossom.jpg", 256),
        MakeBladesPicture("blades.jpg", 64),
        MakeGrassMapPicture("grassmap.jpg", 128),
    };
    Ptr<Texture> textures[6];
    for (int i = 0; i < 6; ++i)
    {
        if (!made[i])
            continue;
        pictures.push_back(made[i]);
        textures[i] = TextureOf(made[i].Get());
    }
    Texture* glow = textures[0].Get();
    root.AttachChild(MakeFountain(glow).Get());
    root.AttachChild(MakePollen(glow).Get());
    root.AttachChild(MakeBlossomTree(textures[4].Get(), textures[3].Get(), textures[1].Get(), sun).Get());
    root.AttachChild(MakeFlowerBed(textures[2].Get()).Get());
    root.AttachChild(MakeLantern(glow).Get());
    root.AttachChild(MakeMeadowGrass(textures[4].Get(), textures[5].Get()).Get());
}
