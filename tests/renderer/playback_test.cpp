// The effect's clock under the host's control, restarting, and the camera
// logic behind Reset View and Frame Effect: plain logic, no GL.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "Camera.h"
#include "ParticleSim.h"
#include "Playback.h"

using namespace gx;

namespace {

TEST(Playback, SpeedScalesTheFrameAndIsClamped)
{
    Playback p;
    double dt = -1;
    ASSERT_TRUE(TakeEffectTime(p, 0.02, dt));
    EXPECT_DOUBLE_EQ(0.02, dt);

    SetPlayback(p, 0, 0.25);
    ASSERT_TRUE(TakeEffectTime(p, 0.02, dt));
    EXPECT_DOUBLE_EQ(0.005, dt);

    SetPlayback(p, 0, 0.001);
    EXPECT_DOUBLE_EQ(0.01, p.speed);
    SetPlayback(p, 0, -3.0);
    EXPECT_DOUBLE_EQ(0.01, p.speed);
    SetPlayback(p, 0, 1e9);
    EXPECT_DOUBLE_EQ(100.0, p.speed);
    SetPlayback(p, 0, std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(100.0, p.speed);
    SetPlayback(p, 0, 4.0);
    SetPlayback(p, 0, std::nan(""));  // keeps the speed it had
    EXPECT_DOUBLE_EQ(4.0, p.speed);
}

TEST(Playback, PausedStandsStillAndStepsOneFrameAtATime)
{
    Playback p;
    double dt = -1;
    EXPECT_FALSE(p.stepPending);
    RequestStep(p);  // running: a step means nothing
    EXPECT_FALSE(p.stepPending);

    SetPlayback(p, 1, 2.0);
    EXPECT_FALSE(TakeEffectTime(p, 0.5, dt));
    EXPECT_EQ(0.0, dt);
    RequestStep(p);
    RequestStep(p);  // two requests before a frame are still one step
    ASSERT_TRUE(TakeEffectTime(p, 0.5, dt));
    EXPECT_DOUBLE_EQ(2.0 / 60.0, dt);
    EXPECT_FALSE(TakeEffectTime(p, 0.5, dt));

    // A step asked for and then played away is not kept for the next pause.
    RequestStep(p);
    SetPlayback(p, 0, 1.0);
    SetPlayback(p, 1, 1.0);
    EXPECT_FALSE(TakeEffectTime(p, 0.5, dt));
}

TEST(Playback, SpeedTexts)
{
    char text[16];
    FormatSpeed(0.25, text, sizeof text);
    EXPECT_STREQ("0.25x", text);
    FormatSpeed(1.0, text, sizeof text);
    EXPECT_STREQ("1x", text);
    FormatSpeed(0.1, text, sizeof text);
    EXPECT_STREQ("0.1x", text);
}

void SetRange(ParamRange &r, double v)
{
    r.min = r.max = v;
}

uint32_t ZeroTick()
{
    return 0;
}

class Effect : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&record, 0, sizeof record);
        record.particles = 50;
        record.typeCount = 1;
        std::strcpy(record.maintype, "m");
        ParticleType &t = record.types[0];
        std::strcpy(t.name, "m");
        std::strcpy(t.rendermode.text, "kRenderTransAdd");
        SetRange(t.lifetime, 10.0);
        SetRange(t.startsize, 4.0);
        SetRange(t.sprayrate, 20.0);
        SetRange(t.sprayforce, 30.0);
        t.sprayyaw.min = 0;
        t.sprayyaw.max = 360;
        SetRange(t.spraypitch, 30.0);
        ASSERT_TRUE(CreateSimState(sim, SpriteHooks{nullptr, nullptr}, nullptr, ZeroTick));
        UpdateParticles(sim, &record);
    }
    void TearDown() override { DestroySimState(sim); }

    ParticleSystem record;
    SimState sim;
};

TEST_F(Effect, TimeCountsFromTheRestartAndRestartRespawnsTheEmitter)
{
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(FrameStep(sim, 0.05f));
    EXPECT_NEAR(1.5, sim.effectTime, 1e-5);
    ASSERT_GT(sim.liveCount, 5);
    const int32_t before = sim.liveCount;

    RestartEffect(sim);
    EXPECT_EQ(0, sim.liveCount);
    EXPECT_EQ(nullptr, sim.activeHead);
    EXPECT_EQ(nullptr, sim.emitter);
    EXPECT_EQ(0.0, sim.effectTime);
    int freeCount = 0;
    for (const Particle *p = sim.freeHead; p; p = p->next)
        ++freeCount;
    EXPECT_EQ(record.particles, freeCount);

    // The next frames replay the start: the emitter again, spraying anew.
    ASSERT_TRUE(FrameStep(sim, 0.05f));
    ASSERT_NE(nullptr, sim.emitter);
    EXPECT_EQ(sim.emitter->lifetime, -1.0f);
    for (int i = 1; i < 30; ++i)
        FrameStep(sim, 0.05f);
    EXPECT_NEAR(1.5, sim.effectTime, 1e-5);
    EXPECT_NEAR(before, sim.liveCount, 2);

    // A new pool size starts the clock again too.
    record.particles = 80;
    ReallocParticles(sim);
    EXPECT_EQ(0.0, sim.effectTime);
}

// Where every live particle lands on a width × height view; the largest
// distance from the centre in each direction, as a share of the half view.
struct Extent {
    float maxX = 0, maxY = 0;
    float meanX = 0, meanY = 0;
    bool allInFront = true;
};
Extent Measure(const Camera &camera, const SimState &sim, int width, int height)
{
    Extent e;
    int n = 0;
    for (const Particle *p = sim.activeHead; p; p = p->next) {
        const Vec3 at = {p->origin.x + p->offset.x, p->origin.y + p->offset.y, p->origin.z + p->offset.z};
        float x, y;
        if (!ProjectPoint(camera, width, height, at, x, y)) {
            e.allInFront = false;
            continue;
        }
        e.maxX = std::max(e.maxX, std::fabs(x));
        e.maxY = std::max(e.maxY, std::fabs(y));
        e.meanX += x;
        e.meanY += y;
        ++n;
    }
    if (n) {
        e.meanX /= n;
        e.meanY /= n;
    }
    return e;
}

// Places the live particles by hand along a line through (x, y, z).
void Spread(SimState &sim, float x, float y, float z, float dx, float dy, float dz)
{
    int i = 0;
    for (Particle *p = sim.activeHead; p; p = p->next, ++i) {
        p->origin = {x + dx * (i % 7 - 3), y + dy * (i % 5 - 2), z + dz * (i % 3 - 1)};
        p->offset = {0, 0, 0};
        p->size = 2.0f;
    }
}

TEST(CameraMaths, ProjectionMatchesTheResetViewAndItsFrustum)
{
    Camera c;
    ResetCamera(c);
    // The point 100 units ahead of the start camera is the middle of the view.
    const Vec3 f = CameraForward(c);
    const Vec3 ahead = {c.origin.x + 100 * f.x, c.origin.y + 100 * f.y, c.origin.z + 100 * f.z};
    float x = 1, y = 1;
    ASSERT_TRUE(ProjectPoint(c, 320, 240, ahead, x, y));
    EXPECT_NEAR(0.0f, x, 1e-4);
    EXPECT_NEAR(0.0f, y, 1e-4);
    EXPECT_NEAR(-1.5192f, ahead.x, 1e-3);
    EXPECT_NEAR(42.635f, ahead.z, 1e-3);
    // The frustum is 90 degrees across; +y of the scene is to the left.
    c.pitch = 0;
    c.origin = {0, 0, 0};
    ASSERT_TRUE(ProjectPoint(c, 320, 240, Vec3{10, 10, 0}, x, y));
    EXPECT_NEAR(-1.0f, x, 1e-5);
    ASSERT_TRUE(ProjectPoint(c, 320, 240, Vec3{10, 0, 7.5f}, x, y));
    EXPECT_NEAR(1.0f, y, 1e-5);  // 240 / 320 of the width upwards
    EXPECT_FALSE(ProjectPoint(c, 320, 240, Vec3{-10, 0, 0}, x, y));
    // The scene spin turns the world about its vertical axis.
    c.sceneSpin = 90;
    ASSERT_TRUE(ProjectPoint(c, 320, 240, Vec3{0, 10, 0}, x, y));
    EXPECT_NEAR(0.0f, x, 1e-5);
}

TEST_F(Effect, FramingCentresTheParticlesAndFillsTwoThirds)
{
    for (int i = 0; i < 40; ++i)
        FrameStep(sim, 0.05f);
    ASSERT_GT(sim.liveCount, 10);

    struct View {
        int width, height;
        float pitch, yaw, spin;
    };
    for (const View v :
         {View{320, 240, 10, 0, 0}, View{240, 480, -30, 120, 45}, View{800, 200, 60, 300, 200}}) {
        for (const float scale : {0.5f, 40.0f}) {
            Spread(sim, 500, -300, 200, 3 * scale, 2 * scale, 5 * scale);
            Camera c;
            ResetCamera(c);
            c.pitch = v.pitch;
            c.yaw = v.yaw;
            c.sceneSpin = v.spin;
            ASSERT_TRUE(FrameParticles(c, sim, v.width, v.height));
            EXPECT_EQ(v.pitch, c.pitch);  // only the position changes
            EXPECT_EQ(v.yaw, c.yaw);
            const Extent e = Measure(c, sim, v.width, v.height);
            EXPECT_TRUE(e.allInFront);
            EXPECT_NEAR(0.0f, e.meanX, 0.12f) << v.width << " " << scale;
            EXPECT_NEAR(0.0f, e.meanY, 0.12f) << v.width << " " << scale;
            // Everything inside the view, and the larger extent about two thirds.
            EXPECT_LT(e.maxX, 0.8f);
            EXPECT_LT(e.maxY, 0.8f);
            EXPECT_GT(std::max(e.maxX, e.maxY), 0.3f) << v.width << " " << scale;
        }
    }
}

TEST_F(Effect, FramingWithoutUsableParticlesLeavesTheCamera)
{
    Camera c;
    ResetCamera(c);
    const Camera before = c;
    EXPECT_FALSE(FrameParticles(c, sim, 320, 240));  // nothing spawned yet
    FrameStep(sim, 0.05f);
    ASSERT_GT(sim.liveCount, 0);
    for (Particle *p = sim.activeHead; p; p = p->next)
        p->origin.x = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(FrameParticles(c, sim, 320, 240));
    EXPECT_EQ(0, std::memcmp(&before.origin, &c.origin, sizeof c.origin));

    // One particle of size 0: a view close by, the particle in the middle.
    sim.activeHead->origin = {50, 60, 70};
    sim.activeHead->size = 0;
    Particle *rest = sim.activeHead->next;
    sim.activeHead->next = nullptr;
    ASSERT_TRUE(FrameParticles(c, sim, 320, 240));
    float x, y;
    ASSERT_TRUE(ProjectPoint(c, 320, 240, Vec3{50, 60, 70}, x, y));
    EXPECT_NEAR(0.0f, x, 1e-4);
    EXPECT_NEAR(0.0f, y, 1e-4);
    const float dx = c.origin.x - 50, dy = c.origin.y - 60, dz = c.origin.z - 70;
    EXPECT_LT(std::sqrt(dx * dx + dy * dy + dz * dz), 40.0f);
    sim.activeHead->next = rest;
}

}  // namespace
