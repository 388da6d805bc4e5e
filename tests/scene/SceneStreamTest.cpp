// Scene records through the scene codec, and files that lie: every count,
// index and link read from a file is checked before it is used.
#include <gtest/gtest.h>

#include <cfloat>
#include <vector>

#include "engine/core/ClassRegistry.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderTextureController.h"
#include "engine/scene/CameraCulledController.h"
#include "engine/scene/FPCamera.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Lines.h"
#include "engine/scene/Points.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/StripLines.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "engine/scene/WindowPlane.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

template <typename Class>
Class* Find(Object* root, const char* name)
{
    Object* found = root->FindByName(String(name));
    return found && found->IsDerived(Class::TYPE) ? static_cast<Class*>(found) : nullptr;
}

// One of every scene class, wired the way a real scene is.
Ptr<SceneNode> BuildScene()
{
    Ptr<SceneNode> root = new SceneNode(String("Root"), 1, 3);
    root->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.5f));

    Ptr<FPCamera> camera = new FPCamera(String("camera"));
    camera->SetFieldOfView(1.0f);
    camera->SetNearDistance(0.5f);
    camera->SetFarDistance(500.0f);
    camera->SetSettings(2.0f, 4.0f, true);
    root->AttachChild(camera.Get());

    Ptr<Light> light = new Light(String("sun"));
    light->SetLightType(Light::kSpot);
    light->SetDiffuse(Vector4(1, 0.5f, 0.25f, 1));
    light->SetAttenuation(1, 0.1f, 0.01f, true);
    light->SetAngle(0.3f);
    root->AttachChild(light.Get());

    Ptr<SceneNode> skeleton = new SceneNode(String("skeleton"));
    Ptr<SceneNode> bone0 = new SceneNode(String("bone0"));
    Ptr<SceneNode> bone1 = new SceneNode(String("bone1"));
    bone1->GetLocalTransform().SetTranslation(Vector3(0, 2, 0));
    skeleton->AttachChild(bone0.Get());
    skeleton->AttachChild(bone1.Get());
    root->AttachChild(skeleton.Get());

    Ptr<Triangles> mesh = new Triangles(String("mesh"));
    mesh->SetVertices(MakeBuffer<Vector3Buffer>({{0, 0, 0}, {1, 0, 0}, {0, 2, 0}}));
    mesh->SetIndices(MakeBuffer<IntBuffer>({0, 1, 2}));
    mesh->SetColors(MakeBuffer<ColorBuffer>({{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}}));
    mesh->SetPointSizes(MakeBuffer<FloatBuffer>({1, 2, 3}));
    mesh->SetTextureCoordinates(0, MakeBuffer<Vector2Buffer>({{0, 0}, {1, 0}, {0, 1}}));
    mesh->SetTextureCoordinates(5, MakeBuffer<Vector4Buffer>({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}}));
    mesh->UpdateModelData(true, true);
    mesh->SetUpdateWorldBound(false);
    mesh->SetEffect(new StandInGeometryEffect(String("paint")));

    Ptr<SkinController> skin = new SkinController(String("skin"));
    Node* bones[2] = {bone0.Get(), bone1.Get()};
    Transform offsets[2] = {Transform(Vector3(1, 2, 3), Quaternion(), Vector3(1, 1, 1)), Transform()};
    skin->SetBones(2, bones, offsets);
    skin->SetWeights(MakeBuffer<Vector4Buffer>({{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0, 1, 0, 0}}));
    skin->SetBoneIndices(MakeBuffer<Vector4Buffer>({{0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}));
    skin->SetRestVertices(mesh->GetVertices());
    skin->SetRestNormals(mesh->GetNormals());
    skin->SetRestTangents(mesh->GetTangents());
    mesh->SetController(skin.Get());
    root->AttachChild(mesh.Get());

    Ptr<CameraCulledController> hider = new CameraCulledController(String("hider"));
    hider->AddNode(mesh.Get());
    hider->SetActive(false);
    camera->SetController(hider.Get());

    Ptr<WindowPlane> plane = new WindowPlane(String("plane"));
    plane->SetPosition(Vector2(0.1f, 0.2f));
    plane->SetSize(Vector2(0.3f, 0.4f));
    root->AttachChild(plane.Get());

    Ptr<Points> points = new Points(String("points"));
    Ptr<Lines> lines = new Lines(String("lines"));
    Ptr<StripLines> strip = new StripLines(String("strip"));
    root->AttachChild(points.Get());
    root->AttachChild(lines.Get());
    root->AttachChild(strip.Get());
    root->DetachChild(lines.Get()); // leaves an empty slot
    root->AddEffect(new StandInSceneEffect(String("wrap")));
    return root;
}

// Writes records by hand, for files the engine would never write.
class Crafted
{
public:
    // The link that starts a record: ID, type name, then the Object part
    // (name, no controllers).
    int32_t Begin(const char* type, const char* name = "")
    {
        const int32_t id = nextId++;
        stream.WriteInt32(id);
        stream.WriteString(String(type));
        stream.WriteString(String(name));
        stream.WriteInt32(0);
        return id;
    }
    // A Node part: no parent, then its own fields.
    void NodePart()
    {
        Null();
        NodeFields();
    }
    // A stored transform, a sphere, bound updates on.
    void NodeFields()
    {
        stream.WriteTransform(Transform());
        stream.WriteInt32(0);
        stream.WriteBool(true);
    }
    // A SceneNode record up to its child links, which the caller writes.
    int32_t SceneNode(const char* name, int32_t children, int32_t effects = 0)
    {
        const int32_t id = Begin("QRE.SceneNode", name);
        NodePart();
        Int(effects);
        Int(children);
        Int(2);
        return id;
    }
    void Null() { stream.WriteInt32(-1); }
    void Int(int32_t value) { stream.WriteInt32(value); }
    std::vector<uint8_t> Bytes() const { return WrittenBytes(stream); }

    Stream stream{0, 256};

private:
    int32_t nextId = 100;
};

} // namespace

TEST_F(SceneTest, EverySceneClassComesBackFromAFileAsItWent)
{
    // Whatever one saves and the other does not load shows in the bytes.
    Ptr<SceneNode> original = BuildScene();
    Ptr<Object> loaded = RoundTrip(original.Get());
    ASSERT_TRUE(loaded && loaded->IsExactly(SceneNode::TYPE));
    const Bytes saved = CanonicalLinks(Serialize(original.Get()));
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved);
    Ptr<SphereBoundingVolume> sphere = new SphereBoundingVolume(Vector3(1, 2, 3), 4);
    EXPECT_EQ(CanonicalLinks(Serialize(RoundTrip(sphere.Get()).Get())), CanonicalLinks(Serialize(sphere.Get())));

    // A loaded scene runs: bones resolve, the skin deforms in world space.
    auto* root = static_cast<SceneNode*>(loaded.Get());
    auto* mesh = Find<Triangles>(root, "mesh");
    ASSERT_TRUE(mesh);
    EXPECT_EQ(static_cast<SphereBoundingVolume*>(mesh->GetLocalBound())->GetCenter(), Vector3(0.5f, 1, 0));
    root->UpdateTree(0.0);
    EXPECT_TRUE(mesh->GetWorldTransform().IsIdentity());
    // Vertex 0 rides bone0 only, placed by its offset under the turned root.
    const Vector3 expected = root->GetWorldTransform().ApplyToPoint(Vector3(1, 2, 3));
    EXPECT_NEAR((*mesh->GetVertices())[0].x, expected.x, 1e-5f);
    EXPECT_NEAR((*mesh->GetVertices())[0].z, expected.z, 1e-5f);
}

TEST_F(SceneTest, CountsBeyondTheFileAreRefusedBeforeAnythingIsMade)
{
    LogCapture capture;
    auto refused = [&](const Crafted& file, const char* message) {
        EXPECT_FALSE(Deserialize(file.Bytes())) << message;
        EXPECT_TRUE(capture.Contains(message));
    };
    Crafted children;
    children.SceneNode("", 0x7FFFFFFF);
    refused(children, "Невозможно загрузить количество дочерних узлов.");
    Crafted effects;
    effects.SceneNode("", 0, 0x40000000);
    refused(effects, "Невозможно загрузить количество эффектов.");
    for (int32_t count : {0x10000000, -3})
    {
        Crafted file;
        file.Begin("QRE.Vector3Buffer");
        file.Int(count);
        file.Int(0);
        EXPECT_FALSE(Deserialize(file.Bytes())) << count;
    }
    EXPECT_TRUE(capture.Contains("Невозможно загрузить данные буффера."));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить количество данных буффера."));
    Crafted bones;
    bones.Begin("QRE.SkinController");
    bones.stream.WriteBool(true);
    bones.Int(1 << 28);
    refused(bones, "Невозможно загрузить количество костей.");
    Crafted nodes;
    nodes.Begin("QRE.CameraCulledController");
    nodes.stream.WriteBool(true);
    nodes.Int(1 << 30);
    refused(nodes, "Невозможно загрузить узлы.");
}

TEST_F(SceneTest, LinksFromAFileNeverMakeASharedChildACycleOrADanglingPointer)
{
    LogCapture capture;
    // Root lists A and then A's own child X again: X keeps one parent.
    Crafted shared;
    shared.SceneNode("root", 2);
    shared.SceneNode("A", 1);
    const int32_t x = shared.SceneNode("X", 0);
    shared.Int(x);
    Ptr<Object> root = Deserialize(shared.Bytes());
    ASSERT_TRUE(root);
    auto* scene = static_cast<SceneNode*>(root.Get());
    EXPECT_EQ(scene->GetChild(1), nullptr);
    auto* a = static_cast<SceneNode*>(scene->GetChild(0));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->GetChild(0)->GetParent(), a);
    EXPECT_TRUE(capture.Contains("Дочерний узел пропущен"));

    // A lists B, B lists A: one of the two links must go, or both leak.
    Crafted cycle;
    const int32_t first = cycle.SceneNode("A", 1);
    cycle.SceneNode("B", 1);
    cycle.Int(first);
    root = Deserialize(cycle.Bytes());
    ASSERT_TRUE(root);
    scene = static_cast<SceneNode*>(root.Get());
    EXPECT_EQ(scene->GetChild(0), nullptr);
    EXPECT_EQ(scene->GetParent(), nullptr) << "B, held by nobody, is gone";
    EXPECT_FALSE(scene->Holds(scene));
    scene->UpdateTree(0.0);

    // A parent link to a node that does not hold this one is not followed.
    Crafted stranger;
    stranger.Begin("QRE.SceneNode", "child");
    stranger.SceneNode("stranger", 0);
    stranger.NodeFields();
    stranger.Int(0); // no effects
    stranger.Int(0); // no children
    stranger.Int(2);
    root = Deserialize(stranger.Bytes());
    ASSERT_TRUE(root);
    EXPECT_EQ(static_cast<Node*>(root.Get())->GetParent(), nullptr);
    static_cast<Node*>(root.Get())->UpdateTree(0.0);
}

TEST_F(SceneTest, AbstractClassesInAFileAreRefusedAndRenderTargetsShowTheirDescribedBase)
{
    for (const char* type : {"QRE.Object", "QRE.Buffer", "QRE.BoundingVolume", "QRE.Node", "QRE.Pass", "QRE.Effect",
                             "QRE.Controller", "QRE.GeometryNodeEffect", "QRE.GeometryNode", "QRE.SceneNodeEffect",
                             "QRE.Shader", "QRE.PostUpdateController", "QRE.GeometryNodeEffectPass"})
    {
        LogCapture capture;
        Crafted file;
        file.Begin(type, "named");
        EXPECT_FALSE(Deserialize(file.Bytes())) << type;
        EXPECT_TRUE(capture.Contains(("Невозможно создать объект. RTTI[" + std::string(type) + "] ID[100]").c_str()))
            << type;
    }
    // Their shared C++ base has no type name of its own.
    for (const RTTI* type : {&RenderTextureController::TYPE, &RenderCubeTextureController::TYPE})
    {
        EXPECT_EQ(type->GetBase(), &PostUpdateController::TYPE) << type->GetName().CStr();
        Object* made = nullptr;
        ASSERT_EQ(FindClassFactory(type->GetName())(&made), 0);
        EXPECT_TRUE(Ptr<Object>(made)->IsExactly(*type));
    }
    LogCapture capture;
    Crafted shared;
    shared.Begin("QRE.RenderTargetController");
    EXPECT_FALSE(Deserialize(shared.Bytes()));
    EXPECT_TRUE(capture.Contains("Невозможно найти функцию создания объекта. RTTI[QRE.RenderTargetController] ID[100]"));
}

TEST_F(SceneTest, LinksOfTheWrongClassOrToLostNodesCountAsMissing)
{
    // Vertices that are an index list, and a bone nothing holds.
    Crafted mesh;
    mesh.SceneNode("root", 1);
    mesh.stream.WriteInt32(200);
    mesh.stream.WriteString(String("QRE.Triangles"));
    mesh.stream.WriteString(String("mesh"));
    mesh.Int(1); // one controller
    mesh.Begin("QRE.SkinController", "skin");
    mesh.stream.WriteBool(true);
    mesh.Int(1);
    mesh.SceneNode("loose", 0);
    mesh.stream.WriteTransform(Transform());
    for (int i = 0; i < 5; ++i)
        mesh.Null();
    mesh.NodePart();
    mesh.Null(); // effect
    mesh.Begin("QRE.IntBuffer", "not vertices");
    mesh.Int(1);
    mesh.Int(7);
    for (int i = 0; i < 4 + 8 + 1; ++i)
        mesh.Null();
    mesh.Int(0); // local bound type

    Ptr<Object> root = Deserialize(mesh.Bytes());
    ASSERT_TRUE(root);
    auto* loaded = Find<Triangles>(root.Get(), "mesh");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetVertices(), nullptr);
    auto* skin = static_cast<SkinController*>(loaded->GetController(0));
    ASSERT_EQ(skin->GetBoneCount(), 1u);
    EXPECT_EQ(skin->GetBone(0), nullptr);
    static_cast<SceneNode*>(root.Get())->UpdateTree(0.0);
    loaded->UpdateModelData(true, true);
    loaded->DrawCulled(Recorder());
}

TEST_F(SceneTest, DamagedCopiesOfARealSceneLoadOrFailButNeverMisbehave)
{
    const std::vector<uint8_t> bytes = Serialize(BuildScene().Get());
    ASSERT_GT(bytes.size(), 500u);
    // Every cut falls inside the root's record.
    for (size_t length = 0; length < bytes.size(); length += 7)
        EXPECT_FALSE(Deserialize(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length))) << length;

    // Every byte in turn made large: whatever loads must update and draw.
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        std::vector<uint8_t> damaged = bytes;
        damaged[i] = static_cast<uint8_t>(damaged[i] ^ 0x80);
        Ptr<Object> root = Deserialize(damaged);
        if (!root || !root->IsDerived(Node::TYPE))
            continue;
        auto* node = static_cast<Node*>(root.Get());
        node->UpdateTree(0.016);
        Recorder().BeginFrame();
        node->DrawCulled(Recorder());
        Recorder().EndFrame();
        Array<Object*> meshes;
        node->CollectByType(Triangles::TYPE, meshes);
        for (Object* mesh : meshes)
            static_cast<Triangles*>(mesh)->UpdateModelData(true, true);
    }
}
