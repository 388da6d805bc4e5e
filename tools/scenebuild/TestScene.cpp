#include "tools/scenebuild/TestScene.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tools/scenebuild/FamilyRow.h"
#include "tools/scenebuild/Meshes.h"
#include "tools/scenebuild/Pictures.h"
#include "tools/scenebuild/Shots.h"
#include "tools/scenebuild/Sounds.h"
#include "tools/scenebuild/SpringLife.h"

namespace
{

constexpr uint32_t kPictureSize = 256;
// Metres of wall one brick picture covers: four courses of half a metre,
// toy-block bricks that read well from the show's distances.
constexpr float kBrickSpan = 2.0f;

constexpr float kTubeLength = 4.0f;

Vector3Buffer* CopyOf(const Vector3Buffer& source)
{
    auto* copy = new Vector3Buffer(source.GetCount(), new Vector3[source.GetCount()]);
    std::copy(source.GetElements(), source.GetElements() + source.GetCount(), copy->GetElements());
    return copy;
}

// Two bones up the tube, the second bent, and an end bone at its tip; the
// tube skinned to the first two. The tube comes after the bones in the
// skeleton, so the bones have moved by the time its skin runs.
Ptr<SceneNode> MakeSkeleton(Texture* ribbon, Light* sun)
{
    Ptr<SceneNode> skeleton = new SceneNode(String("Skeleton"));
    skeleton->GetLocalTransform().SetTranslation(Vector3(4, 0, 3));

    // The end bone moves nothing; it marks the tip, so the bound the skin
    // fits around its bones covers the whole tube.
    Ptr<SceneNode> bone0 = new SceneNode(String("Bone0"));
    Ptr<SceneNode> bone1 = new SceneNode(String("Bone1"));
    Ptr<SceneNode> end = new SceneNode(String("BoneEnd"));
    bone0->GetLocalTransform().SetTranslation(Vector3(0, 0, 0));
    bone1->GetLocalTransform().SetTranslation(Vector3(0, kTubeLength / 2, 0));
    bone1->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.6f));
    end->GetLocalTransform().SetTranslation(Vector3(0, kTubeLength / 2, 0));
    bone1->AttachChild(end.Get());
    bone0->AttachChild(bone1.Get());
    skeleton->AttachChild(bone0.Get());

    const uint32_t sides = 12, rings = 8;
    Ptr<Triangles> tube = MakeTube("Tube", 0.3f, kTubeLength, sides, rings);
    Ptr<SkinController> skin = new SkinController(String("TubeSkin"));
    skin->SetRestVertices(CopyOf(*tube->GetVertices()));
    skin->SetRestNormals(CopyOf(*tube->GetNormals()));
    skin->SetRestTangents(CopyOf(*tube->GetTangents()));

    // Weights shift from the first bone to the second over the middle
    // third of the tube, so the bend is a curve rather than a kink.
    const uint32_t count = tube->GetVertices()->GetCount();
    auto* weights = new Vector4Buffer(count, new Vector4[count]);
    auto* indices = new Vector4Buffer(count, new Vector4[count]);
    for (uint32_t v = 0; v < count; ++v)
    {
        const float along = (*tube->GetVertices())[v].y / kTubeLength;
        const float t = std::clamp((along - 1.0f / 3.0f) * 3.0f, 0.0f, 1.0f);
        const float second = t * t * (3.0f - 2.0f * t);
        (*weights)[v] = Vector4(1.0f - second, second, 0.0f, 0.0f);
        (*indices)[v] = Vector4(0.0f, 1.0f, 0.0f, 0.0f);
    }
    skin->SetWeights(weights);
    skin->SetBoneIndices(indices);

    // The mesh relative to each bone at rest: the inverse of the bone's
    // unbent place in the skeleton.
    Node* bones[3] = {bone0.Get(), bone1.Get(), end.Get()};
    const Transform offsets[3] = {Transform(Vector3(0, 0, 0), Quaternion(), Vector3(1, 1, 1)),
                                  Transform(Vector3(0, -kTubeLength / 2, 0), Quaternion(), Vector3(1, 1, 1)),
                                  Transform(Vector3(0, -kTubeLength, 0), Quaternion(), Vector3(1, 1, 1))};
    skin->SetBones(3, bones, offsets);
    tube->SetController(skin.Get());
    // Where the device runs vertex programs 2.0 the effect skins the tube;
    // elsewhere the controller keeps skinning it on the CPU.
    Dress(*tube, ribbon, Vector4(1.0f, 1.0f, 1.0f, 1.0f), sun)->SetSkinController(skin.Get());
    skeleton->AttachChild(tube.Get());
    return skeleton;
}

} // namespace

// A texture of a generated picture, named after it; null without one (it
// could not be made), which leaves the materials untextured.
Ptr<Texture> TextureOf(Image* picture)
{
    if (!picture)
        return nullptr;
    Ptr<Texture> texture = new Texture(picture->GetName());
    texture->SetImage(picture);
    return texture;
}

// A textured material lit by the sun: the tint as the diffuse and ambient
// colour (white shows the texture as painted), a faint highlight, repeating
// and filtered through the whole mip chain. Returns the effect so a skinned
// mesh can hand it its skin.
Texture1DLEffect* Dress(GeometryNode& mesh, Texture* texture, const Vector4& tint, Light* sun)
{
    Ptr<Texture1DLEffect> effect = new Texture1DLEffect(String(mesh.GetName().CStr()));
    effect->SetColor(tint);
    effect->SetTexture(texture);
    effect->SetLight(sun);
    effect->SetMaterial(tint, tint, Vector4(0.25f, 0.25f, 0.25f, 1.0f), Vector4(0.0f, 0.0f, 0.0f, 1.0f), 24.0f);
    effect->SetSampler(0, AddressMode::Wrap, TextureFilter::LinearMipLinear, TextureFilter::Linear);
    mesh.SetEffect(effect.Get());
    return effect.Get();
}

Ptr<SceneNode> BuildTestScene(std::vector<Ptr<Image>>& pictures)
{
    Ptr<Image> meadow = MakeMeadowPicture("meadow.jpg", kPictureSize);
    Ptr<Image> brick = MakeBrickPicture("brick.jpg", kPictureSize);
    Ptr<Image> ribbon = MakeRibbonPicture("ribbon.jpg", kPictureSize);
    for (const Ptr<Image>& picture : {meadow, brick, ribbon})
        if (picture)
            pictures.push_back(picture);
    // The boxes share one brick texture, so one device copy serves them.
    Ptr<Texture> meadowTexture = TextureOf(meadow.Get());
    Ptr<Texture> brickTexture = TextureOf(brick.Get());
    Ptr<Texture> ribbonTexture = TextureOf(ribbon.Get());

    Ptr<SceneNode> root = new SceneNode(String("Root"), 8, 4);

    // Low, warm morning sun shining along the light's forward axis: tipped
    // about 25 degrees down and turned across the meadow, with a cool sky
    // ambient. The lit effects take their light by this name.
    Ptr<Light> sun = new Light(String("Sun"));
    sun->SetLightType(Light::kDirectional);
    sun->SetAmbient(Vector4(0.28f, 0.3f, 0.36f, 1.0f));
    sun->SetDiffuse(Vector4(1.0f, 0.9f, 0.72f, 1.0f));
    sun->SetSpecular(Vector4(0.5f, 0.48f, 0.42f, 1.0f));
    sun->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(1, 0, 0), 0.45f) *
                                         Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.5f));
    root->AttachChild(sun.Get());

    // The whole picture glows where it is bright: sky-lit brick and the
    // sunny side of the tube.
    Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect(String("Bloom"));
    bloom->SetWeights(0.55f, 0.35f, 1.0f, 0.45f, 1.0f);
    bloom->SetTint(Vector4(1.0f, 0.92f, 0.8f, 1.0f));
    bloom->SetScale(0.25f);
    root->AddEffect(bloom.Get());

    // The meadow, the boxes and the tube under one node whose effect lays
    // the sun's shadows on them (an effect of the root would nest in the
    // bloom's passes); a box and the tube cast.
    Ptr<SceneNode> shadowed = new SceneNode(String("Shadowed"), 8, 4);
    root->AttachChild(shadowed.Get());
    Ptr<ShadowmapEffect> shadows = new ShadowmapEffect(String("Shadows"));
    shadows->SetLight(sun.Get());
    shadows->SetFitToView(true);
    shadows->SetRange(0.99f);
    shadows->SetBias(0.0f, 3.0f);
    shadows->SetShadowColour(Vector4(0.0f, 0.0f, 0.0f, 0.5f));
    shadows->SetController(new RenderShadowmapEffectController(String("ShadowsMap")));
    shadowed->AddEffect(shadows.Get());

    Ptr<Triangles> ground = MakeGround("Ground", 40.0f, 10);
    Dress(*ground, meadowTexture.Get(), Vector4(1.0f, 1.0f, 1.0f, 1.0f), sun.Get());
    shadowed->AttachChild(ground.Get());

    struct Placement
    {
        const char* name;
        Vector3 halfExtents, at;
        float turn;
        Vector4 tint;
    };
    const Placement boxes[] = {
        {"Box1", {1, 1, 1}, {-4, 1, 2}, 0.0f, {1.0f, 1.0f, 1.0f, 1.0f}},
        {"Box2", {0.5f, 2, 0.5f}, {-1, 2, 6}, 0.4f, {0.9f, 0.92f, 1.0f, 1.0f}},
        {"Box3", {2, 0.5f, 1}, {3, 0.5f, -2}, -0.8f, {1.0f, 0.95f, 0.85f, 1.0f}},
    };
    for (const Placement& placement : boxes)
    {
        Ptr<Triangles> box = MakeBox(placement.name, placement.halfExtents, kBrickSpan);
        box->GetLocalTransform().SetTranslation(placement.at);
        box->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), placement.turn));
        Dress(*box, brickTexture.Get(), placement.tint, sun.Get());
        shadowed->AttachChild(box.Get());
        if (std::string(placement.name) == "Box2")
            shadows->AddCaster(box.Get());
    }

    Ptr<SceneNode> skeleton = MakeSkeleton(ribbonTexture.Get(), sun.Get());
    shadowed->AttachChild(skeleton.Get());
    if (Object* tube = skeleton->FindByName(String("Tube")))
        shadows->AddCaster(static_cast<Node*>(tube));
    AddSpringLife(*root, sun.Get(), pictures);
    AddShots(*root);
    AddSounds(*root);
    AddFamilyRow(*root, pictures);
    return root;
}
