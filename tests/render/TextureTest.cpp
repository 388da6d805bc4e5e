// Textures and their controllers without a device: records, the
// composite's slices, the normal map conversion, the render targets.
#include "engine/render/Texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/image/VolumeImage.h"
#include "engine/render/CompositeTexture.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/VolumeTexture.h"
#include "engine/scene/SceneNode.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

Ptr<Image> FilledImage(int32_t format, uint32_t width, uint32_t height, uint8_t value)
{
    Ptr<Image> image = new Image(String("picture"), format, width, height);
    std::memset(image->GetData(), value, image->GetDataSize());
    return image;
}

Ptr<Texture> TextureOf(Image* image)
{
    Ptr<Texture> texture = new Texture(String("slice"));
    texture->SetImage(image);
    return texture;
}

Bytes DataOf(const Image& image)
{
    return Bytes(image.GetData(), image.GetData() + image.GetDataSize());
}

} // namespace

using TextureTest = SceneTest;

// Every texture class and texture controller, with everything it saves set,
// saved, loaded and saved again: whatever one writes and the other does not
// read shows in the bytes. The stream keeps what it made alive, so links to
// objects nobody holds (listed nodes) are still there to save.
TEST_F(TextureTest, RecordsSaveBackByteForByteAndCompositesComposeAgain)
{
    Ptr<Texture> plain = TextureOf(FilledImage(Image::kPixel32, 8, 4, 0).Get());
    plain->SetMipLevels(3);
    Ptr<NormalmapTextureController> bump = new NormalmapTextureController(String("bump"));
    bump->SetBumpScale(2.5f);
    bump->SetHeightInAlpha(true);
    ASSERT_EQ(plain->SetController(bump.Get()), 0);
    Ptr<CubeTexture> cube = new CubeTexture(String("sky"));
    cube->SetImage(new VolumeImage(String("faces"), Image::kPixel24, 2, 2, 6));
    EXPECT_EQ(cube->GetFace(5) - cube->GetFace(0), 5 * 12);
    EXPECT_EQ(cube->GetFace(6), nullptr);
    Ptr<VolumeTexture> volume = new VolumeTexture(String("fog"));
    volume->SetImage(new VolumeImage(String("slices"), Image::kPixel8, 4, 4, 3));
    Ptr<CompositeTexture> composite = new CompositeTexture(String("stack"));
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel8, 2, 2, 1).Get()).Get());
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel8, 2, 2, 2).Get()).Get());
    ASSERT_EQ(composite->Compose(), 0);
    Ptr<SceneNode> first = new SceneNode(String("first"));
    Ptr<SceneNode> second = new SceneNode(String("second"));
    Ptr<RenderTextureController> plane = new RenderTextureController(String("plane"));
    plane->SetContinuous(false);
    plane->SetCamera(new Camera(String("eye")));
    plane->AddNode(first.Get());
    plane->AddNode(second.Get());
    Ptr<RenderCubeTextureController> around = new RenderCubeTextureController(String("around"));
    around->AddNode(first.Get());

    LogCapture capture;
    for (Object* object : {static_cast<Object*>(plain.Get()), static_cast<Object*>(cube.Get()),
                           static_cast<Object*>(volume.Get()), static_cast<Object*>(composite.Get()),
                           static_cast<Object*>(plane.Get()), static_cast<Object*>(around.Get())})
    {
        SCOPED_TRACE(object->GetName().CStr());
        const Bytes saved = Serialize(object);
        ByteStream stream(saved);
        Object* loaded = nullptr;
        ASSERT_EQ(stream.ReadLink(loaded), 0);
        ASSERT_TRUE(loaded && loaded->IsExactly(object->GetRtti()));
        EXPECT_EQ(CanonicalLinks(Serialize(loaded)), CanonicalLinks(saved));
        if (object == plain.Get())
        {
            EXPECT_FALSE(static_cast<NormalmapTextureController*>(loaded->GetController(0))->IsDone());
        }
        // Pixels are never stored: the slices are whatever the loaded
        // textures' images hold, in list order.
        if (object == composite.Get())
        {
            auto* back = static_cast<CompositeTexture*>(loaded);
            ASSERT_TRUE(back->GetImage() && back->GetImage()->GetData());
            EXPECT_EQ(DataOf(*back->GetImage()),
                      Join(DataOf(*back->GetTexture(0)->GetImage()), DataOf(*back->GetTexture(1)->GetImage())));
        }
    }
    EXPECT_TRUE(capture.Contains("Текстура [slice] загружена."));
}

// Counts larger than the file are refused before any list grows; a link
// that names an object of another class loads as missing.
TEST_F(TextureTest, HostileRecordsAreRefusedOrReadAsMissing)
{
    LogCapture capture;
    Ptr<CompositeTexture> empty = new CompositeTexture(String("e"));
    Bytes bytes = Serialize(empty.Get());
    Poke32(bytes, bytes.size() - 4, 0x7FFFFFFF);
    EXPECT_FALSE(Deserialize(bytes));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить текстуры слоёв."));

    // The node count comes right before the first node's link, which
    // starts with its ID.
    Ptr<SceneNode> node = new SceneNode(String("node"));
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController(String("cube"));
    cube->AddNode(node.Get());
    bytes = Serialize(cube.Get());
    const int32_t id = static_cast<int32_t>(node->GetID());
    const auto* idBytes = reinterpret_cast<const uint8_t*>(&id);
    const size_t at = std::search(bytes.begin() + 4, bytes.end(), idBytes, idBytes + 4) - bytes.begin();
    ASSERT_LT(at + 4, bytes.size());
    Poke32(bytes, at - 4, 0x10000000);
    EXPECT_FALSE(Deserialize(bytes));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить узлы. Имя[cube]"));

    // The image link names the texture's own controller.
    Ptr<Image> image = FilledImage(Image::kPixel24, 1, 1, 0);
    Ptr<Texture> texture = TextureOf(image.Get());
    texture->SetController(new NormalmapTextureController(String("bump")));
    bytes = Serialize(texture.Get());
    ASSERT_TRUE(Patch(bytes, static_cast<int32_t>(image->GetID()),
                      static_cast<int32_t>(texture->GetController(0)->GetID())));
    Ptr<Object> loaded = Deserialize(bytes);
    ASSERT_TRUE(loaded && loaded->IsExactly(Texture::TYPE));
    EXPECT_EQ(static_cast<Texture*>(loaded.Get())->GetImage(), nullptr);
    EXPECT_EQ(loaded->GetControllerCount(), 1u);
}

TEST(CompositeTexture, StacksSlicesInListOrderAndRefusesMismatches)
{
    LogCapture capture;
    Ptr<CompositeTexture> composite = new CompositeTexture(String("stack"));
    EXPECT_EQ(composite->Compose(), 3);

    composite->AddTexture(TextureOf(FilledImage(Image::kPixel24, 2, 1, 3).Get()).Get());
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel24, 2, 1, 1).Get()).Get());
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel24, 2, 1, 2).Get()).Get());
    composite->SetMipLevels(4);
    ASSERT_EQ(composite->Compose(), 0);
    VolumeImage* volume = composite->GetImage();
    ASSERT_TRUE(volume && volume->GetData());
    EXPECT_EQ(volume->GetWidth(), 2u);
    EXPECT_EQ(volume->GetHeight(), 1u);
    EXPECT_EQ(volume->GetDepth(), 3u);
    EXPECT_EQ(volume->GetFormat(), Image::kPixel24);
    EXPECT_EQ(composite->GetMipLevels(), 0u);
    EXPECT_EQ(DataOf(*volume), (Bytes{3, 3, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2}));

    // Each mismatch keeps the volume made before.
    Ptr<Texture> taller = TextureOf(FilledImage(Image::kPixel24, 2, 2, 0).Get());
    composite->AddTexture(taller.Get());
    EXPECT_EQ(composite->Compose(), 3);
    taller->SetImage(FilledImage(Image::kPixel32, 2, 1, 0).Get());
    EXPECT_EQ(composite->Compose(), 3);
    taller->SetImage(nullptr);
    EXPECT_EQ(composite->Compose(), 3);
    EXPECT_EQ(composite->GetImage(), volume);
    EXPECT_EQ(composite->AddTexture(nullptr), 3);

    // Slices whose stack passes the engine's image limit: out of memory.
    Ptr<Texture> half = TextureOf(new Image(String("half"), Image::kPixel8, 16384, 8193));
    Ptr<CompositeTexture> huge = new CompositeTexture(String("huge"));
    huge->AddTexture(half.Get());
    huge->AddTexture(half.Get());
    EXPECT_EQ(huge->Compose(), 2);
    EXPECT_EQ(huge->GetImage(), nullptr);
}

TEST(Texture, ReferencesThatWouldCloseACycleAreRefused)
{
    Ptr<Texture> texture = new Texture(String("t"));
    Ptr<Image> image = FilledImage(Image::kPixel24, 1, 1, 0);
    ASSERT_EQ(image->SetController(new HoldingController(texture.Get())), 0);
    EXPECT_EQ(texture->SetImage(image.Get()), 3);
    EXPECT_EQ(texture->GetImage(), nullptr);

    // A composite holds its slice textures and, through them, their images.
    Ptr<CompositeTexture> composite = new CompositeTexture(String("stack"));
    Ptr<Image> plain = FilledImage(Image::kPixel24, 1, 1, 0);
    ASSERT_EQ(composite->AddTexture(TextureOf(plain.Get()).Get()), 0);
    EXPECT_TRUE(composite->Holds(plain.Get()));
    Ptr<Texture> holder = new Texture(String("h"));
    holder->SetController(new HoldingController(composite.Get()));
    EXPECT_EQ(composite->AddTexture(holder.Get()), 3);
    EXPECT_EQ(composite->GetTextureCount(), 1u);
}

// Heights 0 and 255 side by side: each texel's right neighbour (wrapping)
// is the other one, so dx = -1 then +1, dy = 0, n = 1/sqrt(2); with the
// heights kept in alpha when asked. Once done, the controller is idle.
TEST(NormalmapTextureController, EightBitHeightsOfATextureBecomeNormalsOnce)
{
    const uint8_t heights[] = {0, 255};
    const float n = 1.0f / std::sqrt(2.0f);
    const uint8_t low = static_cast<uint8_t>(-n * 127 + 128);
    const uint8_t high = static_cast<uint8_t>(n * 127 + 128);
    for (bool alpha : {false, true})
    {
        Ptr<Image> image = new Image(String("heights"), Image::kPixel8, 2, 1);
        std::memcpy(image->GetData(), heights, 2);
        Ptr<Texture> texture = TextureOf(image.Get());
        texture->ClearChanged();
        auto* controller = new NormalmapTextureController(String("n"));
        controller->SetHeightInAlpha(alpha);
        texture->SetController(controller);
        EXPECT_EQ(controller->Update(0.0), 0);
        EXPECT_TRUE(controller->IsDone());
        EXPECT_TRUE(texture->IsChanged());
        EXPECT_EQ(image->GetFormat(), alpha ? Image::kPixel32 : Image::kPixel24);
        const Bytes want = alpha ? Bytes{low, 128, high, 0, high, 128, high, 255} : Bytes{low, 128, high, high, 128, high};
        EXPECT_EQ(DataOf(*image), want);
    }

    // Other formats wait (and ask for a new device copy each time); on
    // anything but a texture the controller gives up at once.
    const uint8_t rgba[] = {1, 2, 3, 4};
    Ptr<Image> colours = new Image(String("colours"), Image::kPixel32, 1, 1);
    std::memcpy(colours->GetData(), rgba, 4);
    Ptr<Texture> texture = TextureOf(colours.Get());
    texture->ClearChanged();
    auto* waiting = new NormalmapTextureController(String("n"));
    texture->SetController(waiting);
    waiting->Update(0.0);
    EXPECT_FALSE(waiting->IsDone());
    EXPECT_TRUE(texture->IsChanged());
    EXPECT_EQ(DataOf(*colours), Bytes(rgba, rgba + 4));
    Ptr<CubeTexture> cube = new CubeTexture(String("c"));
    auto* misplaced = new NormalmapTextureController(String("n"));
    cube->SetController(misplaced);
    misplaced->Update(0.0);
    EXPECT_TRUE(misplaced->IsDone());
}

// Due while continuous or not yet drawn or lost by the device (the device
// tests draw the last two), and only on a texture.
TEST(RenderTextureController, DueOnlyOnATextureAndAlwaysWhenContinuous)
{
    Ptr<Texture> target = new Texture(String("mirror"));
    Ptr<RenderTextureController> controller = new RenderTextureController(String("r"));
    controller->SetContinuous(false);
    EXPECT_FALSE(controller->NeedsRender()); // no target texture
    target->SetController(controller.Get());
    int handle = 0;
    target->SetDeviceHandle(nullptr, &handle);
    controller->SetRendered(true);
    EXPECT_FALSE(controller->NeedsRender());
    ASSERT_EQ(GetRenderer(), nullptr);
    EXPECT_EQ(controller->PostUpdate(), 0); // not due: nothing asked of a renderer

    controller->SetContinuous(true);
    EXPECT_TRUE(controller->NeedsRender());
    EXPECT_EQ(controller->PostUpdate(), 1); // due, but there is nothing to draw with
    EXPECT_EQ(controller->GetRenderCount(), 0u);
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
