// The scene traversal against the renderer's frame state: what is drawn,
// in which order, and what each frame runs before drawing.
#include <gtest/gtest.h>

#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/PostUpdateController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/WindowPlane.h"
#include "scene/SceneTestSupport.h"

namespace
{

// A mesh of one vertex at the given place, drawn by a stand-in effect.
template <typename Mesh = Triangles>
Ptr<Mesh> Drawable(const char* name, const Vector3& at, bool transparent = false)
{
    Ptr<Mesh> mesh = new Mesh(String(name));
    mesh->SetVertices(new Vector3Buffer(1, new Vector3[1]));
    mesh->UpdateModelBound();
    mesh->GetLocalTransform().SetTranslation(at);
    auto* effect = new StandInGeometryEffect();
    effect->SetBlendEnabled(transparent);
    mesh->SetEffect(effect);
    return mesh;
}

StandInGeometryEffect& EffectOf(GeometryNode& node)
{
    return *static_cast<StandInGeometryEffect*>(node.GetEffect());
}

// Records its PostUpdate in the current renderer's events.
class Prerender : public PostUpdateController
{
public:
    explicit Prerender(const char* name) : PostUpdateController(String(name)) {}
    int32_t PostUpdate() override
    {
        static_cast<RecordingRenderer*>(GetRenderer())->events.push_back(GetName().CStr());
        return 0;
    }
};

} // namespace

// Nor is geometry whose buffers it would read past. The order of drawing
// (solid at once, transparent farthest first, window planes last) is drawn
// in pixels by the golden image tests.
TEST_F(SceneTest, GeometryWithoutAnEnabledEffectOrWithShortBuffersIsNeitherDrawnNorQueued)
{
    Ptr<Triangles> bare = Drawable("bare", Vector3(0, 0, 5));
    bare->SetEffect(nullptr);
    Ptr<Triangles> off = Drawable("off", Vector3(0, 0, 5), true);
    off->GetEffect()->Disable();
    Ptr<Triangles> broken = Drawable("broken", Vector3(0, 0, 5));
    broken->SetIndices(new IntBuffer(3, new int32_t[3]{0, 0, 1})); // one vertex only
    Ptr<Triangles> on = Drawable("on", Vector3(0, 0, 5));
    for (Triangles* mesh : {bare.Get(), off.Get(), broken.Get(), on.Get()})
    {
        mesh->UpdateTree(0.0);
        mesh->DrawCulled(Recorder());
    }
    EXPECT_EQ(Recorder().GetTransparentCount(), 0u);
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"on"}));
    EXPECT_EQ(Recorder().GetGeometry(), on.Get());
}

// A transparent window plane waits for the other transparent geometry
// however far it is (the pictures have it near).
TEST_F(SceneTest, TransparentWindowPlanesAreDrawnLastWhateverTheirDistance)
{
    Ptr<SceneNode> root = new SceneNode();
    root->AttachChild(Drawable<WindowPlane>("plane", Vector3(0, 0, 900), true).Get());
    root->AttachChild(Drawable("near", Vector3(0, 0, 5), true).Get());
    root->UpdateTree(0.0);
    ASSERT_EQ(Recorder().BeginFrame(), 0);
    root->DrawCulled(Recorder());
    EXPECT_EQ(Recorder().GetWindowPlaneCount(), 1u);
    Recorder().EndFrame();
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"near", "plane"}));
}

TEST_F(SceneTest, WindowPlanesDrawInScreenSpaceWhereverTheCameraLooks)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<WindowPlane> plane = Drawable<WindowPlane>("plane", Vector3());
    plane->SetPosition(Vector2(0.25f, 0.5f));
    plane->SetSize(Vector2(0.5f, 0.25f));
    root->AttachChild(plane.Get());
    root->UpdateTree(0.0);

    Ptr<Camera> camera = new Camera();
    camera->GetLocalTransform().SetTranslation(Vector3(0, 0, 50)); // looking away from the plane
    Recorder().SetCamera(camera.Get());
    ASSERT_EQ(Recorder().BeginFrame(), 0);
    const Matrix4 projection = camera->GetProjection();
    root->DrawCulled(Recorder());
    ASSERT_EQ(Recorder().drawn, (std::vector<std::string>{"plane"}));
    EXPECT_EQ(Recorder().drawnScale[0], 2.0f) << "drawn with the screen mapping";
    EXPECT_TRUE(camera->GetProjection() == projection) << "and the camera's own put back";
    EXPECT_EQ(plane->GetWorldTransform().ApplyToPoint(Vector3(1, 1, 0)), Vector3(0.75f, 0.75f, 0));
}

TEST_F(SceneTest, SceneEffectsDrawTheSubtreeOncePerPassAndResolveTransparencyInside)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<StandInSceneEffect> twice = new StandInSceneEffect(String("E"));
    twice->passes = 2;
    Ptr<StandInSceneEffect> disabled = new StandInSceneEffect(String("D"));
    disabled->Disable();
    root->AddEffect(twice.Get());
    root->AddEffect(disabled.Get());
    root->AttachChild(Drawable("glass", Vector3(0, 0, 5), true).Get());
    root->AttachChild(Drawable("wall", Vector3(0, 0, 6)).Get());
    root->UpdateTree(0.0);

    ASSERT_EQ(Recorder().BeginFrame(), 0);
    root->DrawCulled(Recorder());
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"wall", "glass", "wall", "glass"}));
    EXPECT_EQ(Recorder().events, (std::vector<std::string>{"begin", "E pass 0", "E pass 1"}));
}

TEST_F(SceneTest, FailedPassesAreSkippedAndEveryPassLeavesNoLightBehind)
{
    Ptr<Triangles> mesh = Drawable("lit", Vector3(0, 0, 5));
    EffectOf(*mesh).passes = 3;
    EffectOf(*mesh).failingPass = 1;
    EffectOf(*mesh).lightsPerPass = 2;
    mesh->UpdateTree(0.0);
    mesh->DrawCulled(Recorder());
    EXPECT_EQ(Recorder().drawn.size(), 2u);
    EXPECT_EQ(Recorder().GetLightCount(), 0u);
    EXPECT_EQ(Recorder().enabledLights, 6);
    EXPECT_EQ(Recorder().disabledLights, 6) << "a failed pass's lights go too";
}

TEST_F(SceneTest, FramesMakeADefaultCameraOnceAndRunThePrerenderQueueInOrder)
{
    RecordingRenderer& renderer = Recorder();
    ASSERT_EQ(renderer.BeginFrame(), 0);
    Camera* first = renderer.GetCamera();
    ASSERT_NE(first, nullptr);
    Ptr<Triangles> held = Drawable("held", Vector3());
    renderer.SetGeometry(held.Get());
    renderer.EndFrame();
    EXPECT_EQ(renderer.GetGeometry(), nullptr) << "the frame lets its geometry go";
    renderer.BeginFrame();
    EXPECT_EQ(renderer.GetCamera(), first);
    renderer.EndFrame();

    Ptr<SceneNode> holder = new SceneNode();
    Ptr<Prerender> a = new Prerender("a");
    Ptr<Prerender> b = new Prerender("b");
    Ptr<Prerender> idle = new Prerender("idle");
    idle->SetActive(false);
    holder->SetController(idle.Get());
    holder->SetController(b.Get());
    holder->SetController(a.Get()); // the newest runs first
    holder->UpdateTree(0.0);
    holder->UpdateTree(0.0); // queued twice in one frame: still once
    EXPECT_EQ(renderer.GetPreRenderCount(), 2u);

    renderer.events.clear();
    renderer.BeginFrame();
    EXPECT_EQ(renderer.events, (std::vector<std::string>{"begin", "a", "b"}));
    EXPECT_EQ(renderer.GetPreRenderCount(), 0u);

    // A lost device ends the frame before anything is run or drawn.
    holder->UpdateTree(0.0);
    renderer.sceneResult = 1;
    renderer.events.clear();
    EXPECT_EQ(renderer.BeginFrame(), 1);
    EXPECT_EQ(renderer.events, (std::vector<std::string>{"begin"}));
}
