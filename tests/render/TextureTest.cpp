#include "engine/render/Texture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/image/VolumeImage.h"
#include "engine/render/CompositeTexture.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/VolumeTexture.h"
#include "render/TextureTestSupport.h"
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

} // namespace

using TextureTest = TextureSceneTest;

TEST_F(TextureTest, RecordsRoundTripWithTheirImagesAndControllers)
{
    Ptr<Texture> plain = TextureOf(FilledImage(Image::kPixel32, 8, 4, 0).Get());
    plain->SetMipLevels(3);
    Ptr<NormalmapTextureController> bump = new NormalmapTextureController(String("bump"));
    bump->SetBumpScale(2.5f);
    bump->SetHeightInAlpha(true);
    ASSERT_EQ(plain->SetController(bump.Get()), 0);

    LogCapture capture;
    Ptr<Object> loaded = Deserialize(Serialize(plain.Get()));
    ASSERT_TRUE(loaded && loaded->IsExactly(Texture::TYPE));
    auto* texture = static_cast<Texture*>(loaded.Get());
    EXPECT_EQ(texture->GetMipLevels(), 3u);
    ASSERT_NE(texture->GetImage(), nullptr);
    EXPECT_EQ(texture->GetImage()->GetWidth(), 8u);
    EXPECT_EQ(texture->GetImage()->GetFormat(), Image::kPixel32);
    EXPECT_TRUE(capture.Contains("Текстура [slice] загружена."));
    ASSERT_EQ(texture->GetControllerCount(), 1u);
    ASSERT_TRUE(texture->GetController(0)->IsExactly(NormalmapTextureController::TYPE));
    auto* loadedBump = static_cast<NormalmapTextureController*>(texture->GetController(0));
    EXPECT_EQ(loadedBump->GetBumpScale(), 2.5f);
    EXPECT_TRUE(loadedBump->GetHeightInAlpha());
    EXPECT_FALSE(loadedBump->IsDone());

    Ptr<CubeTexture> cube = new CubeTexture(String("sky"));
    Ptr<VolumeImage> faces = new VolumeImage(String("faces"), Image::kPixel24, 2, 2, 6);
    cube->SetImage(faces.Get());
    Ptr<Object> loadedCube = Deserialize(Serialize(cube.Get()));
    ASSERT_TRUE(loadedCube && loadedCube->IsExactly(CubeTexture::TYPE));
    const auto* cubeBack = static_cast<CubeTexture*>(loadedCube.Get());
    ASSERT_NE(cubeBack->GetFace(5), nullptr);
    EXPECT_EQ(cubeBack->GetFace(5) - cubeBack->GetFace(0), 5 * 12);
    EXPECT_EQ(cubeBack->GetFace(6), nullptr);

    Ptr<VolumeTexture> volume = new VolumeTexture(String("fog"));
    volume->SetImage(new VolumeImage(String("slices"), Image::kPixel8, 4, 4, 3));
    Ptr<Object> loadedVolume = Deserialize(Serialize(volume.Get()));
    ASSERT_TRUE(loadedVolume && loadedVolume->IsExactly(VolumeTexture::TYPE));
    ASSERT_NE(static_cast<VolumeTexture*>(loadedVolume.Get())->GetImage(), nullptr);
    EXPECT_EQ(static_cast<VolumeTexture*>(loadedVolume.Get())->GetImage()->GetDepth(), 3u);
}

TEST_F(TextureTest, CompositeRecordComposesItsSlicesAgainOnLoad)
{
    Ptr<CompositeTexture> composite = new CompositeTexture(String("stack"));
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel8, 2, 2, 1).Get()).Get());
    composite->AddTexture(TextureOf(FilledImage(Image::kPixel8, 2, 2, 2).Get()).Get());
    ASSERT_EQ(composite->Compose(), 0);

    Ptr<Object> loaded = Deserialize(Serialize(composite.Get()));
    ASSERT_TRUE(loaded && loaded->IsExactly(CompositeTexture::TYPE));
    auto* back = static_cast<CompositeTexture*>(loaded.Get());
    ASSERT_EQ(back->GetTextureCount(), 2u);
    VolumeImage* volume = back->GetImage();
    ASSERT_TRUE(volume && volume->GetData());
    EXPECT_EQ(volume->GetDepth(), 2u);
    // Pixels are never stored, so the slices are whatever the loaded
    // textures' images hold, in list order.
    EXPECT_EQ(std::memcmp(volume->GetData(), back->GetTexture(0)->GetImage()->GetData(), 4), 0);
    EXPECT_EQ(std::memcmp(volume->GetData() + 4, back->GetTexture(1)->GetImage()->GetData(), 4), 0);
}

TEST(Texture, NewImageResetsMipLevelsAndAsksForANewDeviceCopy)
{
    Ptr<Texture> texture = new Texture(String("t"));
    texture->SetMipLevels(5);
    int handle = 0;
    texture->SetDeviceHandle(nullptr, &handle);
    texture->ClearChanged();

    EXPECT_EQ(texture->SetImage(FilledImage(Image::kPixel24, 4, 4, 0).Get()), 0);
    EXPECT_EQ(texture->GetMipLevels(), 0u);
    EXPECT_EQ(texture->GetDeviceHandle(), nullptr);
    EXPECT_TRUE(texture->IsChanged());
}

TEST(Texture, DeviceFormatAndMipChainFollowTheImageFormat)
{
    Ptr<Texture> texture = new Texture(String("t"));
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceNone);

    texture->SetImage(FilledImage(Image::kPixel24, 8, 4, 0).Get());
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceRgb32);
    texture->SetCompress(true);
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceDxt1);
    EXPECT_EQ(texture->GetDeviceFormat(false), BaseTexture::kDeviceRgb32);
    texture->SetImage(FilledImage(Image::kPixel32, 8, 4, 0).Get());
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceArgb32);
    texture->SetImage(FilledImage(Image::kPixel8, 8, 4, 0).Get());
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceAlpha8);
    texture->SetImage(new Image(String("wide"), Image::kPixel64, 1, 1));
    EXPECT_EQ(texture->GetDeviceFormat(true), BaseTexture::kDeviceNone);

    // 8 x 4 -> 4 x 2 -> 2 x 1 -> 1 x 1: the short side stops at 1.
    EXPECT_EQ(BaseTexture::FullMipCount(8, 4), 4u);
    EXPECT_EQ(BaseTexture::FullMipCount(1, 1), 1u);
    EXPECT_EQ(BaseTexture::FullMipCount(0, 0), 0u);
    EXPECT_EQ(BaseTexture::ResolveMipCount(0, 256, 64), 9u);
    EXPECT_EQ(BaseTexture::ResolveMipCount(3, 256, 64), 3u);
    EXPECT_EQ(BaseTexture::ResolveMipCount(20, 8, 8), 4u);

    const uint64_t rgb[] = {128, 32, 8, 4};
    const uint64_t alpha[] = {32, 8, 2, 1};
    const uint64_t dxt[] = {16, 8, 8, 8}; // whole 4 x 4 blocks even below 4 texels
    for (uint32_t level = 0; level < 4; ++level)
    {
        EXPECT_EQ(BaseTexture::MipLevelBytes(BaseTexture::kDeviceRgb32, 8, 4, level), rgb[level]) << level;
        EXPECT_EQ(BaseTexture::MipLevelBytes(BaseTexture::kDeviceArgb32, 8, 4, level), rgb[level]) << level;
        EXPECT_EQ(BaseTexture::MipLevelBytes(BaseTexture::kDeviceAlpha8, 8, 4, level), alpha[level]) << level;
        EXPECT_EQ(BaseTexture::MipLevelBytes(BaseTexture::kDeviceDxt1, 8, 4, level), dxt[level]) << level;
    }
    EXPECT_EQ(BaseTexture::MipSide(8, 40), 1u);
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
    const uint8_t expected[] = {3, 3, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2};
    EXPECT_EQ(std::memcmp(volume->GetData(), expected, sizeof(expected)), 0);

    // Each mismatch keeps the volume made before.
    Ptr<Texture> taller = TextureOf(FilledImage(Image::kPixel24, 2, 2, 0).Get());
    composite->AddTexture(taller.Get());
    EXPECT_EQ(composite->Compose(), 3);
    EXPECT_EQ(composite->GetImage(), volume);
    taller->SetImage(FilledImage(Image::kPixel32, 2, 1, 0).Get());
    EXPECT_EQ(composite->Compose(), 3);
    taller->SetImage(nullptr);
    EXPECT_EQ(composite->Compose(), 3);
    EXPECT_EQ(composite->GetImage(), volume);
    EXPECT_TRUE(capture.Contains("Размеры слоя [3] составной текстуры отличаются от первого."));
    EXPECT_EQ(composite->AddTexture(nullptr), 3);
}

TEST_F(TextureTest, HostileRecordsAreRefusedOrReadAsMissing)
{
    // A slice count larger than the file is refused before any list grows.
    Ptr<CompositeTexture> empty = new CompositeTexture(String("e"));
    std::vector<uint8_t> bytes = Serialize(empty.Get());
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(bytes.data() + bytes.size() - 4, &huge, 4);
    {
        LogCapture capture;
        EXPECT_FALSE(Deserialize(bytes));
        EXPECT_TRUE(capture.Contains("Невозможно загрузить текстуры слоёв."));
    }

    // An image link that names an object of another class (here the
    // texture's own controller) loads as no image.
    Ptr<Image> image = FilledImage(Image::kPixel24, 1, 1, 0);
    Ptr<NormalmapTextureController> bump = new NormalmapTextureController(String("bump"));
    Ptr<Texture> texture = TextureOf(image.Get());
    texture->SetController(bump.Get());
    bytes = Serialize(texture.Get());
    ASSERT_TRUE(Patch(bytes, static_cast<int32_t>(image->GetID()), static_cast<int32_t>(bump->GetID())));
    Ptr<Object> loaded = Deserialize(bytes);
    ASSERT_TRUE(loaded && loaded->IsExactly(Texture::TYPE));
    EXPECT_EQ(static_cast<Texture*>(loaded.Get())->GetImage(), nullptr);
    EXPECT_EQ(loaded->GetControllerCount(), 1u);
}

TEST(Texture, ReferencesThatWouldCloseACycleAreRefused)
{
    Ptr<Texture> texture = new Texture(String("t"));
    Ptr<Image> image = FilledImage(Image::kPixel24, 1, 1, 0);
    ASSERT_EQ(image->SetController(new HoldingController(texture.Get())), 0);
    EXPECT_EQ(texture->SetImage(image.Get()), 3);
    EXPECT_EQ(texture->GetImage(), nullptr);

    Ptr<CubeTexture> cube = new CubeTexture(String("c"));
    Ptr<VolumeImage> faces = new VolumeImage(String("f"), Image::kPixel24, 1, 1, 6);
    faces->SetController(new HoldingController(cube.Get()));
    EXPECT_EQ(cube->SetImage(faces.Get()), 3);
    Ptr<VolumeTexture> volume = new VolumeTexture(String("v"));
    Ptr<VolumeImage> slices = new VolumeImage(String("s"), Image::kPixel24, 1, 1, 2);
    slices->SetController(new HoldingController(volume.Get()));
    EXPECT_EQ(volume->SetImage(slices.Get()), 3);

    // A composite holds its slice textures and, through them, their images.
    Ptr<CompositeTexture> composite = new CompositeTexture(String("stack"));
    Ptr<Image> plain = FilledImage(Image::kPixel24, 1, 1, 0);
    Ptr<Texture> slice = TextureOf(plain.Get());
    ASSERT_EQ(composite->AddTexture(slice.Get()), 0);
    EXPECT_TRUE(composite->Holds(plain.Get()));
    Ptr<Texture> holder = new Texture(String("h"));
    holder->SetController(new HoldingController(composite.Get()));
    EXPECT_EQ(composite->AddTexture(holder.Get()), 3);
    EXPECT_EQ(composite->GetTextureCount(), 1u);
}
