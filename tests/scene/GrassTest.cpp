// Grass: the scatter follows the parameter picture, every tuft stands on the
// patch along its normal, the count ignores the random generator, damaged
// sources generate nothing, and the record rebuilds the same meadow.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/image/Image.h"
#include "engine/render/Texture.h"
#include "engine/scene/BufferOf.h"
#include "engine/scene/Grass.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

template <typename BufferClass, typename Element>
Ptr<BufferClass> Filled(const std::vector<Element>& values)
{
    Ptr<BufferClass> buffer = CreateBuffer<BufferClass>(static_cast<uint32_t>(values.size()));
    for (uint32_t i = 0; i < values.size(); ++i)
        (*buffer)[i] = values[i];
    return buffer;
}

// A mesh with positions, one normal for all, set 0 (and set 1 when asked)
// and the indices.
Ptr<Triangles> Mesh(const std::vector<Vector3>& positions, const Vector3& normal, const std::vector<Vector2>& set0,
                    const std::vector<int32_t>& indices, bool withSet1)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetVertices(Filled<Vector3Buffer>(positions).Get());
    mesh->SetNormals(Filled<Vector3Buffer>(std::vector<Vector3>(positions.size(), normal)).Get());
    mesh->SetTextureCoordinates(0, Filled<Vector2Buffer>(set0).Get());
    if (withSet1)
        mesh->SetTextureCoordinates(1, Filled<Vector2Buffer>(set0).Get());
    mesh->SetIndices(Filled<IntBuffer>(indices).Get());
    return mesh;
}

// One blade: its root at the origin, its tip one unit up.
Ptr<Triangles> Tuft()
{
    return Mesh({{0, 0, 0}, {0.05f, 1, 0}, {-0.05f, 1, 0}}, {0, 0, 1}, {{0, 0}, {1, 0}, {1, 1}}, {0, 1, 2}, true);
}

// A unit square patch turned by `tilt` about x, texture coordinates
// following its two sides.
Ptr<Triangles> Square(float tilt = 0.0f)
{
    const float s = std::sin(tilt), c = std::cos(tilt);
    return Mesh({{0, 0, 0}, {1, 0, 0}, {1, s, c}, {0, s, c}}, {0, c, -s}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                {0, 1, 2, 0, 2, 3}, false);
}

// A picture of width x 2 pixels whose red channel is red(column); green
// 255, blue 200.
Ptr<Texture> Picture(uint32_t width, int (*red)(uint32_t column))
{
    Ptr<Image> image = new Image(String("parameters"), Image::kPixel24, width, 2);
    for (uint32_t i = 0; i < width * 2; ++i)
    {
        uint8_t* pixel = image->GetData() + i * 3;
        pixel[0] = static_cast<uint8_t>(red(i % width));
        pixel[1] = 255;
        pixel[2] = 200;
    }
    Ptr<Texture> texture = new Texture(String("parameters"));
    texture->SetImage(image.Get());
    return texture;
}

// Black, grey 128 and white thirds.
int Bands(uint32_t column)
{
    return column < 10 ? 0 : column < 20 ? 128 : 255;
}

Ptr<Grass> Meadow(Triangles* patch, Texture* picture, int32_t resolution, float density)
{
    Ptr<Grass> grass = new Grass(String("meadow"));
    grass->SetGrassModel(Tuft().Get());
    grass->SetPatchModel(patch);
    grass->SetParameterTexture(picture);
    grass->SetResolution(resolution);
    grass->SetDensity(density);
    grass->SetScale(0.5f);
    return grass;
}

const Vector3* Positions(Grass& grass)
{
    return grass.GetVertices()->GetElements();
}

class GrassTest : public SceneTest
{
};

} // namespace

// Over black, grey and white thirds at density 4, no tuft stands on black
// and white carries twice the tufts of grey (floor(4 x 128 / 255) = 2),
// give or take the cells on the seams.
TEST_F(GrassTest, TuftsFollowThePictureAndStandOnThePatchAlongItsNormal)
{
    Ptr<Texture> bands = Picture(30, Bands);
    Ptr<Grass> grass = Meadow(Square().Get(), bands.Get(), 30, 4.0f);
    LogCapture log;
    grass->UpdateTree(0.0);
    EXPECT_FALSE(grass->IsRegenerationPending());
    const uint32_t tufts = grass->GetInstanceCount();
    ASSERT_GT(tufts, 100u);
    EXPECT_EQ(log.Count("NODE[meadow] GRASS COUNT ["), 1u);
    EXPECT_EQ(grass->GetVertices()->GetCount(), tufts * 3);
    EXPECT_EQ(grass->GetIndices()->GetCount(), tufts * 3);
    EXPECT_EQ(grass->GetIndices()->GetElements()[tufts * 3 - 1], static_cast<int32_t>(tufts * 3 - 1));

    // Equal windows two cells clear of the seams (ceil(30 x sqrt 2) cells
    // along a triangle's longest edge).
    const float seam = 2.0f / 43.0f;
    uint32_t grey = 0, white = 0;
    for (uint32_t i = 0; i < tufts; ++i)
    {
        const float u = Positions(*grass)[i * 3].x;
        EXPECT_GE(u, 1.0f / 3.0f - seam) << "a tuft on black at u " << u;
        grey += u > 1.0f / 3.0f + seam && u < 2.0f / 3.0f - seam;
        white += u > 2.0f / 3.0f + seam && u < 1.0f - seam;
    }
    EXPECT_NEAR(static_cast<double>(white) / grey, 2.0, 0.2) << white << " / " << grey;
    // The picture's green scales, its blue greys.
    const Vector4& colour = grass->GetColors()->GetElements()[0];
    EXPECT_NEAR(colour.x, 200.0f / 255.0f, 1e-5f);
    EXPECT_EQ(colour.w, 1.0f);

    // On a patch tilted by 30 degrees every root lies on the patch and every
    // tip stands along its normal, whatever the turn about it.
    const float tilt = 0.5235988f;
    const Vector3 normal(0.0f, std::cos(tilt), -std::sin(tilt));
    Ptr<Texture> white64 = Picture(4, [](uint32_t) { return 255; });
    Ptr<Grass> slope = Meadow(Square(tilt).Get(), white64.Get(), 4, 1.0f);
    ASSERT_EQ(slope->Generate(), 0);
    ASSERT_GT(slope->GetInstanceCount(), 10u);
    for (uint32_t i = 0; i < slope->GetInstanceCount(); ++i)
    {
        const Vector3 root = Positions(*slope)[i * 3];
        const Vector3 tip = (Positions(*slope)[i * 3 + 1] + Positions(*slope)[i * 3 + 2]) * 0.5f;
        EXPECT_NEAR(root.Dot(normal), 0.0f, 1e-4f);
        EXPECT_GE(root.x, -1e-4f);
        EXPECT_LE(root.x, 1.0001f);
        EXPECT_GE(root.Dot(Vector3(0.0f, std::sin(tilt), std::cos(tilt))), -1e-4f);
        EXPECT_LE(root.Dot(Vector3(0.0f, std::sin(tilt), std::cos(tilt))), 1.0001f);
        const Vector3 up = tip - root;
        EXPECT_NEAR(up.x, normal.x * 0.5f, 1e-4f);
        EXPECT_NEAR(up.y, normal.y * 0.5f, 1e-4f);
        EXPECT_NEAR(up.z, normal.z * 0.5f, 1e-4f);
    }
}

TEST_F(GrassTest, TheSamePatchGivesTheSameMeadowForAnySeed)
{
    Ptr<Texture> bands = Picture(30, Bands);
    std::vector<float> roots[2];
    for (int run = 0; run < 2; ++run)
    {
        std::srand(run == 0 ? 1u : 77u);
        Ptr<Grass> grass = Meadow(Square().Get(), bands.Get(), 12, 3.0f);
        grass->SetAngleJitter(0.3f);
        ASSERT_EQ(grass->Generate(), 0);
        for (uint32_t i = 0; i < grass->GetInstanceCount(); ++i)
            roots[run].push_back(Positions(*grass)[i * 3].x + 7.0f * Positions(*grass)[i * 3].z);
    }
    EXPECT_FALSE(roots[0].empty());
    EXPECT_EQ(roots[0], roots[1]);
}

// Each damaged source generates nothing (one line) and keeps the old mesh;
// absent sources generate nothing silently.
TEST_F(GrassTest, DamagedSourcesGenerateNothing)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        const char* what;
        void (*damage)(Grass&);
        const char* line; // null: silent
    } cases[] = {
        {"resolution 0", [](Grass& g) { g.SetResolution(0); }, "Неверные параметры травы"},
        {"density NaN", [](Grass& g) { g.SetDensity(kNaN); }, "Неверные параметры травы"},
        {"density -1", [](Grass& g) { g.SetDensity(-1.0f); }, "Неверные параметры травы"},
        {"patch index past its vertices",
         [](Grass& g) { g.GetPatchModel()->GetIndices()->GetElements()[4] = 4; }, "не согласованы"},
        {"tuft index past its vertices", [](Grass& g) { g.GetGrassModel()->GetIndices()->GetElements()[2] = -1; },
         "не согласованы"},
        {"tuft normals short",
         [](Grass& g) { g.GetGrassModel()->SetNormals(CreateBuffer<Vector3Buffer>(2)); }, "не согласованы"},
        {"patch set 0 of another length",
         [](Grass& g) { g.GetPatchModel()->SetTextureCoordinates(0, CreateBuffer<Vector2Buffer>(5)); },
         "не согласованы"},
        {"too many cells", [](Grass& g) { g.SetResolution(1 << 20); }, "Слишком много травы"},
        {"too many vertices", [](Grass& g) { g.SetDensity(1e7f); }, "Слишком много травы"},
        {"tuft without set 1", [](Grass& g) { g.GetGrassModel()->SetTextureCoordinates(1, nullptr); }, nullptr},
        {"no picture", [](Grass& g) { g.SetParameterTexture(nullptr); }, nullptr},
        {"picture of another format",
         [](Grass& g) { g.GetParameterTexture()->GetImage()->SetPixels(Image::kPixel8, 1, 1, std::unique_ptr<uint8_t[]>(new uint8_t[1]())); },
         nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Ptr<Texture> white = Picture(2, [](uint32_t) { return 255; });
        Ptr<Grass> grass = Meadow(Square().Get(), white.Get(), 2, 1.0f);
        ASSERT_EQ(grass->Generate(), 0);
        const uint32_t before = grass->GetInstanceCount();
        Ptr<Vector3Buffer> mesh = grass->GetVertices();
        c.damage(*grass);
        LogCapture log;
        EXPECT_EQ(grass->Generate(), 1);
        EXPECT_EQ(grass->GetVertices(), mesh.Get());
        EXPECT_EQ(grass->GetInstanceCount(), before);
        EXPECT_EQ(log.Count("трава не создана"), c.line ? 1u : 0u);
        if (c.line)
        {
            EXPECT_EQ(log.Count(c.line), 1u);
        }
    }

    // A coordinate just below 0 wraps to the picture's last column (white),
    // never past it.
    Ptr<Texture> halves = Picture(2, [](uint32_t column) { return column == 0 ? 0 : 255; });
    Ptr<Triangles> edge = Mesh({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {0, 1, 0},
                               {{-1e-9f, 0.5f}, {-1e-9f, 0.5f}, {-1e-9f, 0.5f}}, {0, 1, 2}, false);
    Ptr<Grass> grass = Meadow(edge.Get(), halves.Get(), 1, 2.0f);
    ASSERT_EQ(grass->Generate(), 0);
    EXPECT_EQ(grass->GetInstanceCount(), 2u);
}

TEST_F(GrassTest, TheRecordRebuildsTheSameMeadow)
{
    Ptr<Texture> bands = Picture(30, Bands);
    Ptr<Grass> grass = Meadow(Square().Get(), bands.Get(), 9, 2.0f);
    grass->SetAngleJitter(0.25f);
    grass->UpdateTree(0.0);
    const uint32_t tufts = grass->GetInstanceCount();

    const std::vector<uint8_t> bytes = Serialize(grass.Get());
    Ptr<Object> loaded = Deserialize(bytes);
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(loaded->IsDerived(Grass::TYPE));
    Grass& copy = static_cast<Grass&>(*loaded);
    EXPECT_EQ(CanonicalLinks(Serialize(&copy)), CanonicalLinks(bytes));
    // Placeholders until the first update scatters again.
    EXPECT_EQ(copy.GetVertices()->GetCount(), 3u);
    EXPECT_EQ(copy.GetIndices()->GetCount(), 1u);
    EXPECT_TRUE(copy.IsRegenerationPending());
    // A made picture's record holds its size only: the pixels come back here.
    Image* pixels = copy.GetParameterTexture()->GetImage();
    ASSERT_EQ(pixels->GetDataSize(), bands->GetImage()->GetDataSize());
    std::copy_n(bands->GetImage()->GetData(), pixels->GetDataSize(), pixels->GetData());
    copy.UpdateTree(0.0);
    EXPECT_EQ(copy.GetInstanceCount(), tufts);
    EXPECT_EQ(copy.GetResolution(), 9);
    EXPECT_EQ(copy.GetAngleJitter(), 0.25f);
}
