#include "engine/render/NormalmapTextureController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/render/CubeTexture.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/scene/SceneNode.h"
#include "render/TextureTestSupport.h"
#include "support/LogCapture.h"

namespace
{

Ptr<Texture> HeightTexture(int32_t format, uint32_t width, uint32_t height, const uint8_t* bytes)
{
    Ptr<Image> image = new Image(String("heights"), format, width, height);
    std::memcpy(image->GetData(), bytes, image->GetDataSize());
    Ptr<Texture> texture = new Texture(String("bumps"));
    texture->SetImage(image.Get());
    return texture;
}

NormalmapTextureController* Attach(Object* target, float scale, bool alpha)
{
    auto* controller = new NormalmapTextureController(String("n"));
    controller->SetBumpScale(scale);
    controller->SetHeightInAlpha(alpha);
    target->SetController(controller);
    return controller;
}

} // namespace

TEST(NormalmapTextureController, SingleTexelIsFlatWhateverTheScale)
{
    const uint8_t height = 77;
    Ptr<Texture> texture = HeightTexture(Image::kPixel8, 1, 1, &height);
    texture->ClearChanged();
    NormalmapTextureController* controller = Attach(texture.Get(), 40.0f, false);
    EXPECT_EQ(controller->Update(0.04), 0);
    EXPECT_TRUE(controller->IsDone());
    EXPECT_TRUE(texture->IsChanged());
    const Image* image = texture->GetImage();
    ASSERT_EQ(image->GetFormat(), Image::kPixel24);
    EXPECT_EQ(image->GetData()[0], 128);
    EXPECT_EQ(image->GetData()[1], 128);
    EXPECT_EQ(image->GetData()[2], 255);

    Ptr<Texture> withAlpha = HeightTexture(Image::kPixel8, 1, 1, &height);
    Attach(withAlpha.Get(), -3.0f, true)->Update(0.04);
    ASSERT_EQ(withAlpha->GetImage()->GetFormat(), Image::kPixel32);
    const uint8_t expected[] = {128, 128, 255, 77};
    EXPECT_EQ(std::memcmp(withAlpha->GetImage()->GetData(), expected, 4), 0);
}

TEST(NormalmapTextureController, SlopesWrapAroundTheEdges)
{
    // Heights 0 and 255 side by side: each texel's right neighbour (wrapping)
    // is the other one, so dx = -1 then +1, dy = 0, n = 1/sqrt(2).
    const uint8_t heights[] = {0, 255};
    Ptr<Texture> texture = HeightTexture(Image::kPixel8, 2, 1, heights);
    Attach(texture.Get(), 1.0f, false)->Update(0.0);
    const float n = 1.0f / std::sqrt(2.0f);
    const uint8_t low = static_cast<uint8_t>(-n * 127 + 128);
    const uint8_t high = static_cast<uint8_t>(n * 127 + 128);
    const uint8_t expected[] = {low, 128, high, high, 128, high};
    EXPECT_EQ(std::memcmp(texture->GetImage()->GetData(), expected, sizeof(expected)), 0);
}

TEST(NormalmapTextureController, OnlyEightBitHeightsOfATextureConvert)
{
    const uint8_t rgba[] = {1, 2, 3, 4};
    Ptr<Texture> texture = HeightTexture(Image::kPixel32, 1, 1, rgba);
    texture->ClearChanged();
    NormalmapTextureController* controller = Attach(texture.Get(), 1.0f, false);
    controller->Update(0.0);
    EXPECT_FALSE(controller->IsDone()); // tries again next time
    EXPECT_TRUE(texture->IsChanged());
    EXPECT_EQ(texture->GetImage()->GetFormat(), Image::kPixel32);
    EXPECT_EQ(std::memcmp(texture->GetImage()->GetData(), rgba, 4), 0);

    Ptr<CubeTexture> cube = new CubeTexture(String("c"));
    NormalmapTextureController* misplaced = Attach(cube.Get(), 1.0f, false);
    misplaced->Update(0.0);
    EXPECT_TRUE(misplaced->IsDone());
}

TEST(RenderTextureController, NonContinuousTargetIsDueOnceAndAgainAfterLoss)
{
    Ptr<Texture> target = new Texture(String("mirror"));
    Ptr<RenderTextureController> controller = new RenderTextureController(String("r"));
    EXPECT_FALSE(controller->NeedsRender()); // no target texture
    target->SetController(controller.Get());
    controller->SetContinuous(false);
    EXPECT_TRUE(controller->NeedsRender());

    int handle = 0;
    target->SetDeviceHandle(nullptr, &handle);
    controller->SetRendered(true);
    EXPECT_FALSE(controller->NeedsRender());
    ASSERT_EQ(GetRenderer(), nullptr);
    EXPECT_EQ(controller->PostUpdate(), 0); // not due: nothing asked of a renderer

    target->SetDeviceHandle(nullptr, nullptr); // the device lost it
    EXPECT_TRUE(controller->NeedsRender());
    EXPECT_EQ(controller->PostUpdate(), 1); // due, but there is nothing to draw with
    EXPECT_EQ(controller->GetRenderCount(), 0u);
    EXPECT_TRUE(controller->IsRendered());

    target->SetDeviceHandle(nullptr, &handle);
    controller->SetContinuous(true);
    EXPECT_TRUE(controller->NeedsRender());
}

TEST(RenderCubeTextureController, FaceCameraLooksAlongEachFaceFromTheViewpoint)
{
    Ptr<RenderCubeTextureController> controller = new RenderCubeTextureController(String("env"));
    Ptr<Camera> viewpoint = new Camera(String("eye"));
    viewpoint->SetLocalTransform(Transform(Vector3(1, 2, 3), Quaternion::Identity(), Vector3(1, 1, 1)));
    viewpoint->UpdateWorldData(0.0);
    ASSERT_EQ(controller->SetCamera(viewpoint.Get()), 0);
    EXPECT_EQ(controller->OrientCubeCamera(0), 3); // not prepared yet

    Ptr<Camera> current = new Camera(String("main"));
    current->SetNearDistance(0.5f);
    current->SetFarDistance(900.0f);
    Camera* cubeCamera = controller->PrepareCubeCamera(current.Get());
    ASSERT_NE(cubeCamera, nullptr);
    EXPECT_EQ(controller->PrepareCubeCamera(current.Get()), cubeCamera);
    EXPECT_EQ(cubeCamera->GetFieldOfView(), 1.5707964f);
    EXPECT_EQ(cubeCamera->GetNearDistance(), 0.5f);
    EXPECT_EQ(cubeCamera->GetFarDistance(), 900.0f);

    const Vector3 faces[6][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 1, 0}, {0, 0, -1}, {1, 0, 0}}, {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}},
        {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}},  {{0, 0, -1}, {0, 1, 0}, {-1, 0, 0}},
    };
    for (uint32_t face = 0; face < 6; ++face)
    {
        SCOPED_TRACE(face);
        ASSERT_EQ(controller->OrientCubeCamera(face), 0);
        ExpectNear(cubeCamera->GetForward(), faces[face][0]);
        ExpectNear(cubeCamera->GetUp(), faces[face][1]);
        ExpectNear(cubeCamera->GetRight(), faces[face][2]);
        ExpectNear(cubeCamera->GetPosition(), Vector3(1, 2, 3));
    }
    EXPECT_EQ(controller->OrientCubeCamera(6), 3);
}

TEST_F(TextureSceneTest, RenderControllerRecordsRoundTripAndRefuseHostileCounts)
{
    Ptr<Camera> eye = new Camera(String("eye"));
    Ptr<SceneNode> first = new SceneNode(String("first"));
    Ptr<SceneNode> second = new SceneNode(String("second"));
    Ptr<RenderTextureController> plane = new RenderTextureController(String("plane"));
    plane->SetContinuous(false);
    plane->SetCamera(eye.Get());
    plane->AddNode(first.Get());
    plane->AddNode(second.Get());
    {
        TextureByteStream stream(Serialize(plane.Get()));
        Object* link = nullptr;
        ASSERT_EQ(stream.ReadLink(link), 0);
        ASSERT_TRUE(link && link->IsExactly(RenderTextureController::TYPE));
        auto* back = static_cast<RenderTextureController*>(link);
        EXPECT_FALSE(back->IsContinuous());
        ASSERT_NE(back->GetCamera(), nullptr);
        EXPECT_EQ(back->GetCamera()->GetName(), String("eye"));
        ASSERT_EQ(back->GetNodeCount(), 2u);
        EXPECT_EQ(back->GetNode(1)->GetName(), String("second"));
    }

    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController(String("cube"));
    cube->AddNode(first.Get());
    std::vector<uint8_t> bytes = Serialize(cube.Get());
    {
        TextureByteStream stream(bytes);
        Object* link = nullptr;
        ASSERT_EQ(stream.ReadLink(link), 0);
        ASSERT_TRUE(link && link->IsExactly(RenderCubeTextureController::TYPE));
        EXPECT_TRUE(static_cast<RenderCubeTextureController*>(link)->IsContinuous());
        EXPECT_EQ(static_cast<RenderCubeTextureController*>(link)->GetNodeCount(), 1u);
    }
    // The node count comes right before the first node's link, which
    // starts with its ID; claim far more links than the file holds.
    const int32_t id = static_cast<int32_t>(first->GetID());
    size_t at = 4;
    while (at + 4 <= bytes.size() && std::memcmp(&bytes[at], &id, 4) != 0)
        ++at;
    ASSERT_LT(at + 4, bytes.size());
    const int32_t huge = 0x10000000;
    std::memcpy(&bytes[at - 4], &huge, 4);
    LogCapture capture;
    EXPECT_FALSE(Deserialize(bytes));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить узлы. Имя[cube]"));
}
