// Particle systems: bursts and their limits, motion, the emitters' cones and
// cycles, the pool, foliage sway and the records.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/core/MathUtil.h"
#include "engine/render/SpriteEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Flare.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Foliage.h"
#include "engine/scene/PositionEmitter.h"
#include "engine/scene/SphereVolumeEmitter.h"
#include "engine/scene/SpriteParticleSystem.h"
#include "engine/scene/TrianglesEmitter.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{
class ParticleTest : public SceneTest
{
protected:
    // A system whose cone is straight up, at the given place.
    static Ptr<ParticleSystem> Straight(int32_t maxParticles, const Vector3& at = Vector3())
    {
        Ptr<ParticleSystem> system = new ParticleSystem(String("fountain"));
        static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0.0f, 0.0f);
        system->GetLocalTransform().SetTranslation(at);
        system->SetMaxParticles(maxParticles);
        return system;
    }

    static int32_t Bits(float value)
    {
        int32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return bits;
    }
};

// The burst loop: a full system drops the rest of a step, an interval that
// cannot be counted gives one burst per update, lifetime 0 dies at once.
TEST_F(ParticleTest, BurstsFollowTheIntervalAndStopAtTheLimit)
{
    constexpr float kClear = -1.0f; // a step that clears the particles first
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        const char* what;
        int32_t maxParticles;
        float interval;
        float lifetime;
        std::vector<float> steps;
        std::vector<uint32_t> live; // after each step
    };
    const Case cases[] = {
        {"maxParticles 0 emits nothing", 0, 1.0f, 5.0f, {1.0f, 1.0f}, {0, 0}},
        {"bursts of 10 up to the limit", 25, 1.0f, 50.0f, {0.5f, 1.0f, 1.0f, 1.0f}, {10, 20, 25, 25}},
        {"one step over several intervals", 100, 1.0f, 50.0f, {0.1f, 3.0f}, {10, 40}},
        {"a full system drops the rest", 15, 1.0f, 50.0f, {100.0f, kClear, 0.5f, 0.6f}, {15, 0, 0, 10}},
        {"interval 0: one burst per update", 100, 0.0f, 50.0f, {5.0f, 5.0f}, {10, 20}},
        {"NaN interval: one burst per update", 100, kNaN, 50.0f, {5.0f, 5.0f}, {10, 20}},
        {"negative interval", 100, -1.0f, 50.0f, {5.0f}, {10}},
        {"lifetime 0 dies in its first update", 100, 100.0f, 0.0f, {0.1f, 0.1f}, {10, 0}},
        {"a NaN step ages and emits nothing", 100, 1.0f, 5.0f, {0.1f, kNaN}, {10, 10}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Ptr<ParticleSystem> system = Straight(c.maxParticles);
        system->emitInterval = c.interval;
        system->lifetime = c.lifetime;
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            if (c.steps[i] == kClear)
                system->ClearParticles();
            else
                system->UpdateTree(c.steps[i]);
            EXPECT_EQ(system->GetLiveCount(), c.live[i]) << "step " << i;
        }
    }
}

// Born particles stay where they were emitted in their first update; then
// velocity, position, size and colour follow the ramps. The cone with both
// angles 0 is +Y, turned by the node.
TEST_F(ParticleTest, ParticlesMoveFromTheirSecondUpdate)
{
    Ptr<ParticleSystem> system = Straight(1, Vector3(1.0f, 2.0f, 3.0f));
    system->speed = 2.0f;
    system->acceleration = Vector3(0.0f, -2.0f, 0.0f);
    system->lifetime = 2.0f;
    system->startSize = 1.0f;
    system->endSize = 3.0f;
    system->startColor = Vector4(1.0f, 0.0f, 0.0f, 1.0f);
    system->endColor = Vector4(0.0f, 1.0f, 0.0f, 0.0f);
    system->UpdateTree(0.5);
    const Particle* p = system->GetFirstLive();
    ASSERT_NE(p, nullptr);
    ExpectNear(p->position, Vector3(1.0f, 2.0f, 3.0f));
    system->UpdateTree(0.5);
    // v = 2 - 2 x 0.5 = 1, y = 2 + 1 x 0.5; t = 0.25.
    ExpectNear(p->velocity, Vector3(0.0f, 1.0f, 0.0f));
    ExpectNear(p->position, Vector3(1.0f, 2.5f, 3.0f));
    EXPECT_FLOAT_EQ(p->size, 1.5f);
    EXPECT_FLOAT_EQ(p->color.x, 0.75f);
    EXPECT_FLOAT_EQ(p->color.w, 0.75f);

    // A quarter turn about Z takes +Y to +X.
    Ptr<ParticleSystem> turned = Straight(1);
    turned->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0.0f, 0.0f, 1.0f), kPi / 2));
    turned->UpdateTree(0.1);
    ExpectNear(turned->GetFirstLive()->velocity, Vector3(1.0f, 0.0f, 0.0f));
}

// Every cone emitter sends +Y turned by its node (or mesh) when both angles
// are 0, from where its class says.
TEST_F(ParticleTest, EmittersPlaceAndAimAsTheirClassSays)
{
    Ptr<Node> node = new Node(String("turned"));
    node->GetLocalTransform().SetTranslation(Vector3(5.0f, 0.0f, 0.0f));
    node->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0.0f, 0.0f, 1.0f), kPi / 2));
    node->UpdateTree(0.0);
    const Vector3 turnedUp(1.0f, 0.0f, 0.0f);

    Ptr<Triangles> mesh = new Triangles(String("crown"));
    // Vertex 3 lies far off: only a triangle through the index list stays
    // on the square x, z in 0..1 (indexed, not read as 0, 1, 2).
    mesh->SetVertices(MakeBuffer<Vector3Buffer>({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {100, 100, 100}, {1, 0, 1}}));
    mesh->SetIndices(MakeBuffer<IntBuffer>({4, 1, 2, 0, 1, 2, 0, 9, 1}));
    mesh->GetLocalTransform() = node->GetLocalTransform();
    mesh->UpdateTree(0.0);

    Ptr<PointEmitter> point = new PointEmitter();
    Ptr<SphereVolumeEmitter> sphere = new SphereVolumeEmitter();
    sphere->SetRadius(2.0f);
    Ptr<TrianglesEmitter> triangles = new TrianglesEmitter();
    triangles->SetMesh(mesh.Get());
    for (PointEmitter* emitter : {point.Get(), static_cast<PointEmitter*>(sphere.Get()), static_cast<PointEmitter*>(triangles.Get())})
    {
        SCOPED_TRACE(emitter->GetRtti().GetName().CStr());
        emitter->SetAngles(0.0f, 0.0f);
        emitter->SetNode(node.Get());
        for (int i = 0; i < 50; ++i)
        {
            Vector3 position;
            Vector3 direction;
            emitter->Emit(position, direction);
            ExpectNear(direction, turnedUp);
            const Vector3 offset = position - Vector3(5.0f, 0.0f, 0.0f);
            if (emitter == point.Get())
                ExpectNear(position, Vector3(5.0f, 0.0f, 0.0f));
            else if (emitter == sphere.Get())
                EXPECT_LE(offset.Length(), 2.0f + 1e-5f);
            else // the square turned: x' = y = 0, y' = -x in -1..0, z in 0..1
            {
                EXPECT_NEAR(offset.x, 0.0f, 1e-5f);
                EXPECT_TRUE(offset.y >= -1.0f - 1e-5f && offset.y <= 1e-5f && offset.z >= -1e-5f &&
                            offset.z <= 1.0f + 1e-5f)
                    << offset.y << " " << offset.z;
            }
        }
    }

    // No usable triangle (every corner past the vertices): as with no mesh.
    mesh->SetIndices(MakeBuffer<IntBuffer>({0, 1, 7}));
    Vector3 position(9.0f, 9.0f, 9.0f);
    Vector3 direction;
    triangles->Emit(position, direction);
    ExpectNear(position, Vector3());
    ExpectNear(direction, Vector3(0.0f, -1.0f, 0.0f));

    // The position list in order, round again, with no direction.
    Ptr<PositionEmitter> positions = new PositionEmitter();
    const Vector3 list[] = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}};
    for (const Vector3& p : list)
        ASSERT_EQ(positions->AddPosition(p), 0);
    for (int i = 0; i < 4; ++i)
    {
        positions->Emit(position, direction);
        EXPECT_EQ(position, list[i % 3]);
        EXPECT_EQ(direction, Vector3());
    }
}

// Dead particles are reused: after the pool has grown to what the steady
// state needs, updates allocate nothing more.
TEST_F(ParticleTest, ASteadySystemStopsAllocating)
{
    Ptr<ParticleSystem> system = Straight(1000);
    system->emitInterval = 0.1f;
    system->burstCount = 5;
    system->lifetime = 0.35f;
    for (int i = 0; i < 20; ++i)
        system->UpdateTree(0.1);
    // Blocks of 16, each as large as the pool so far: 20 live at most needs 32.
    const uint32_t pool = system->GetPoolSize();
    EXPECT_LE(pool, 32u);
    for (int i = 0; i < 200; ++i)
        system->UpdateTree(0.1);
    EXPECT_EQ(system->GetPoolSize(), pool);
    EXPECT_GT(system->GetLiveCount(), 0u);
}

// Foliage sways on a circle of radius windAmplitude around each anchor in
// the camera's view plane, never ages, and is coloured by height.
TEST_F(ParticleTest, FoliageSwaysWithinTheWindAroundItsAnchors)
{
    Ptr<Camera> camera = new Camera(String("eye"));
    camera->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0.3f, 1.0f, 0.2f).Normalized(), 0.7f));
    camera->UpdateTree(0.0);
    Recorder().SetCamera(camera.Get());

    Ptr<Foliage> flowers = new Foliage(String("bed"));
    Ptr<PositionEmitter> bed = new PositionEmitter();
    const Vector3 anchors[] = {{0, 0, 0}, {3, 2, 0}, {0, 4, 5}};
    for (const Vector3& p : anchors)
        bed->AddPosition(p);
    flowers->SetEmitter(bed.Get());
    flowers->SetMaxParticles(3);
    flowers->burstCount = 3;
    flowers->lifetime = 1.0f;
    flowers->lifetimeJitter = 1.0f;
    flowers->startColor = Vector4(0.0f, 0.0f, 0.0f, 1.0f);
    flowers->endColor = Vector4(1.0f, 1.0f, 1.0f, 1.0f);
    static_cast<GeometryNodeEffect*>(flowers->GetEffect())->SetWind(true, 0.25f, 2.0f);

    float farthest = 0.0f;
    for (int i = 0; i < 60; ++i)
    {
        flowers->UpdateTree(0.05);
        ASSERT_EQ(flowers->GetLiveCount(), 3u);
        for (const Particle* p = flowers->GetFirstLive(); p; p = p->next)
        {
            const float away = (p->position - p->acceleration).Length();
            EXPECT_LE(away, 0.25f + 1e-4f);
            farthest = std::max(farthest, away);
            // The bursts go on, the field is full: the colour stays the
            // one given at birth, by height over 0..4.
            EXPECT_NEAR(p->color.x, p->acceleration.y / 4.0f, 1e-5f);
        }
    }
    EXPECT_GT(farthest, 0.2f); // it does sway
    EXPECT_FLOAT_EQ(flowers->GetMaxHeight(), 4.0f);
}

// Quads: six corners around each particle with the diagonal s, the fixed
// coordinates, the bound from the corners; a renderer with point sprites
// gets one point per particle, its size scaled by the projection.
TEST_F(ParticleTest, SpritesFillTheirBuffersInPlace)
{
    Ptr<Camera> camera = new Camera(String("eye"));
    camera->UpdateTree(0.0);
    camera->SetProjection(Matrix4(1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0));
    Recorder().SetCamera(camera.Get());
    for (bool points : {false, true})
    {
        SCOPED_TRACE(points ? "points" : "quads");
        DeviceCaps caps;
        caps.pointSprites = points;
        Recorder().SetCapsForTest(caps);
        Ptr<SpriteParticleSystem> sprites = new SpriteParticleSystem(String("motes"));
        static_cast<PointEmitter*>(sprites->GetEmitter())->SetAngles(0.0f, 0.0f);
        sprites->GetLocalTransform().SetTranslation(Vector3(1.0f, 2.0f, 3.0f));
        sprites->SetMaxParticles(4);
        sprites->burstCount = 3;
        sprites->startSize = sprites->endSize = 2.0f;
        sprites->UpdateTree(0.1);
        const Vector3Buffer* vertices = sprites->GetVertices();
        ASSERT_NE(vertices, nullptr);
        EXPECT_EQ(vertices->GetCount(), points ? 4u : 24u);
        EXPECT_EQ(sprites->GetPrimitiveCount(), points ? 3u : 6u);
        const Vector3* v = vertices->GetElements();
        const Vector3 p(1.0f, 2.0f, 3.0f);
        float radius = 0.0f;
        if (points)
        {
            EXPECT_EQ(v[2], p);
            EXPECT_FLOAT_EQ(sprites->GetPointSizes()->GetElements()[2], 2.0f * 2.0f / (2.0f * std::sqrt(2.0f)));
        }
        else
        {
            // The camera's right is +X, its up +Y: the quad is axis-aligned
            // with side 2 / sqrt(2), bottom-left first.
            const float h = 1.0f / std::sqrt(2.0f);
            ExpectNear(v[12], p + Vector3(-h, -h, 0.0f));
            ExpectNear(v[16], p + Vector3(h, h, 0.0f));
            ExpectNear(v[14], p + Vector3(h, -h, 0.0f));
            const auto* coordinates = static_cast<Vector2Buffer*>(sprites->GetTextureCoordinates(0))->GetElements();
            EXPECT_EQ(coordinates[16], Vector2(1.0f, 0.0f));
            EXPECT_EQ(coordinates[18], Vector2(0.0f, 1.0f));
            radius = 1.0f;
        }
        const auto* bound = static_cast<SphereBoundingVolume*>(sprites->GetWorldBound());
        ExpectNear(bound->GetCenter(), p);
        EXPECT_NEAR(bound->GetRadius(), radius, 1e-5f);
    }
}

// Save -> load -> save gives the same bytes for every class, with values
// other than the defaults; the load clamps and the hostile counts.
TEST_F(ParticleTest, RecordsRoundTripAndRefuseDamage)
{
    Ptr<Triangles> mesh = new Triangles(String("crown"));
    Ptr<TrianglesEmitter> petals = new TrianglesEmitter(String("petals"));
    petals->SetAngles(0.25f, 1.5f);
    petals->SetMesh(mesh.Get());
    Ptr<SphereVolumeEmitter> ball = new SphereVolumeEmitter(String("ball"));
    ball->SetRadius(3.5f);
    Ptr<PositionEmitter> places = new PositionEmitter(String("places"));
    places->AddPosition(Vector3(1, 2, 3));
    places->AddPosition(Vector3(4, 5, 6));

    Ptr<ParticleSystem> plain = new ParticleSystem(String("plain"));
    Ptr<SpriteParticleSystem> sprites = new SpriteParticleSystem(String("sprites"));
    Ptr<Foliage> foliage = new Foliage(String("foliage"));
    for (ParticleSystem* system : {plain.Get(), static_cast<ParticleSystem*>(sprites.Get()),
                                   static_cast<ParticleSystem*>(foliage.Get())})
    {
        system->SetMaxParticles(7);
        system->emitInterval = 0.5f;
        system->burstCountJitter = 2;
        system->endColorJitter = Vector4(0.1f, 0.2f, 0.3f, 0.4f);
        system->accelerationJitter = Vector3(1, 2, 3);
        system->endSizeJitter = 0.25f;
        system->UpdateTree(0.1); // runtime buffers and particles stay out
    }
    plain->SetEmitter(petals.Get());
    sprites->SetEmitter(ball.Get());
    foliage->SetEmitter(places.Get());
    Ptr<Flare> flare = new Flare(String("lantern"));
    flare->SetColor(Vector4(1.0f, 0.5f, 0.25f, 1.0f));
    flare->SetSize(0.75f);
    flare->UpdateTree(0.1);

    for (Object* object : {static_cast<Object*>(plain.Get()), static_cast<Object*>(sprites.Get()),
                           static_cast<Object*>(foliage.Get()), static_cast<Object*>(flare.Get())})
    {
        SCOPED_TRACE(object->GetName().CStr());
        const std::vector<uint8_t> bytes = Serialize(object);
        Ptr<Object> loaded = Deserialize(bytes);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(&loaded->GetRtti(), &object->GetRtti());
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), CanonicalLinks(bytes));
    }

    // maxParticles: above the limit clamped with one warning, negative 0.
    std::vector<uint8_t> bytes = Serialize(plain.Get());
    {
        LogCapture log;
        ASSERT_TRUE(Patch(bytes, 7, 70000));
        Ptr<Object> loaded = Deserialize(bytes);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(static_cast<ParticleSystem*>(loaded.Get())->GetMaxParticles(), 65536);
        EXPECT_EQ(log.Count("Слишком много частиц [70000], взято [65536]"), 1u);
        ASSERT_TRUE(Patch(bytes, 70000, -3));
        loaded = Deserialize(bytes);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(static_cast<ParticleSystem*>(loaded.Get())->GetMaxParticles(), 0);
    }
    // The angle clamps: a negative maximum becomes the (default 0) minimum,
    // then the minimum cannot pass it.
    bytes = Serialize(petals.Get());
    ASSERT_TRUE(Patch(bytes, Bits(1.5f), Bits(-2.0f)));
    Ptr<Object> loaded = Deserialize(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(static_cast<PointEmitter*>(loaded.Get())->GetMaxAngle(), 0.0f);
    EXPECT_EQ(static_cast<PointEmitter*>(loaded.Get())->GetMinAngle(), 0.0f);
    // A count of positions beyond the bytes left, and a negative flare size.
    bytes = Serialize(places.Get());
    ASSERT_TRUE(Patch(bytes, 2, 1000000));
    EXPECT_FALSE(Deserialize(bytes));
    bytes = Serialize(flare.Get());
    ASSERT_TRUE(Patch(bytes, Bits(0.75f), Bits(-1.0f)));
    loaded = Deserialize(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(static_cast<Flare*>(loaded.Get())->GetSize(), 0.0f);
}
} // namespace
