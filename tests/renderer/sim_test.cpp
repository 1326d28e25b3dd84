// The particle simulation stepped by hand: fixed ticks, fixed frame times and
// single-valued ranges give exact expectations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ParticleSim.h"

using namespace gx;

namespace {

uint32_t g_tick = 0;
uint32_t FixedTick()
{
    return g_tick;
}

std::vector<std::string> g_messages;
void CollectMessage(const char *text)
{
    g_messages.emplace_back(text);
}

void Set(ParamRange &range, double lo, double hi)
{
    range.min = lo;
    range.max = hi;
}
void Set(ParamRange &range, double value)
{
    Set(range, value, value);
}

// A type as the script manager's defaults leave it: white, opaque, 4 s of life.
void DefaultType(ParticleType &t, const char *name)
{
    std::memset(&t, 0, sizeof t);
    std::strcpy(t.name, name);
    std::strcpy(t.rendermode.text, "kRenderTransAdd");
    for (ParamRange *r : {&t.startalpha, &t.endalpha, &t.startred, &t.endred, &t.startgreen, &t.endgreen,
                          &t.startblue, &t.endblue})
        Set(*r, 1.0);
    Set(t.startangle, 45.0);
    Set(t.lifetime, 4.0);
}

class Sim : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_tick = 0;
        g_messages.clear();
        std::memset(&record, 0, sizeof record);
        record.particles = 100;
        record.typeCount = 1;
        std::strcpy(record.maintype, "main");
        DefaultType(record.types[0], "main");
        ASSERT_TRUE(CreateSimState(sim, SpriteHooks{nullptr, nullptr}, CollectMessage, FixedTick));
    }
    void TearDown() override { DestroySimState(sim); }

    void Attach() { UpdateParticles(sim, &record); }
    ParticleType &Type(int i) { return record.types[i]; }

    int ActiveCount() const
    {
        int n = 0;
        for (const Particle *p = sim.activeHead; p; p = p->next)
            ++n;
        return n;
    }

    ParticleSystem record;
    SimState sim;
};

}  // namespace

TEST(Angles, TableLookupsWrapAndTruncate)
{
    FillCosTable();
    const float *table = CosTable();
    EXPECT_FLOAT_EQ(table[0], 1.0f);
    EXPECT_NEAR(table[90], 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(CosDeg(-90), table[270]);
    EXPECT_FLOAT_EQ(CosDeg90(-91), table[359]);
    EXPECT_FLOAT_EQ(CosDeg90(-90), table[0]);
    EXPECT_FLOAT_EQ(CosDeg90(359), table[449]);
    // Outside -360..359 the angle is wrapped instead of read outside the table.
    EXPECT_FLOAT_EQ(CosDeg(725), table[5]);
    EXPECT_FLOAT_EQ(CosDeg(-725), table[355]);
    EXPECT_FLOAT_EQ(CosDeg90(100000), CosDeg90(100000 % 360));

    EXPECT_EQ(WholeDegrees(89.9f), 89);
    EXPECT_EQ(WholeDegrees(-0.5f), 0);
    EXPECT_EQ(WholeDegrees(-360.7f), -360);
    EXPECT_EQ(WholeDegrees(725.5f), 5);
    EXPECT_EQ(WholeDegrees(-725.5f), -5);
    EXPECT_EQ(WholeDegrees(NAN), 0);
    EXPECT_EQ(WholeDegrees(INFINITY), 0);
    const int far = WholeDegrees(1e30f);
    EXPECT_TRUE(far > -360 && far < 360);
}

TEST_F(Sim, RandomInRangeFollowsTheGeneratorAndReseeds)
{
    ParamRange r{};
    Set(r, 0.0, 32767.0);
    // Seed 1: the first two draws are 41 and 18467; the reseed is 41 * 18467 + tick.
    EXPECT_FLOAT_EQ(RandomInRange(sim, r), 14962.0f);
    sim.randomState = 1;
    g_tick = 1000;
    RefreshTick(sim);
    EXPECT_FLOAT_EQ(RandomInRange(sim, r), 18227.0f);
    // Frame steps read the tick themselves.
    g_tick = 0;
    record.particles = 1;
    Attach();
    FrameStep(sim, 0.01f);
    EXPECT_EQ(sim.tick, 0u);
    g_tick = 77;
    FrameStep(sim, 0.01f);
    EXPECT_EQ(sim.tick, 77u);

    Set(r, 2.5);
    EXPECT_FLOAT_EQ(RandomInRange(sim, r), 2.5f);
    Set(r, -3.0, 5.0);
    for (int i = 0; i < 1000; ++i) {
        const float v = RandomInRange(sim, r);
        ASSERT_GE(v, -3.0f);
        ASSERT_LE(v, 5.0f);
    }
    Set(r, 1e300, 1e300);  // beyond single precision: clamped, not undefined
    EXPECT_TRUE(std::isfinite(RandomInRange(sim, r)));
}

TEST_F(Sim, PoolHandsOutParticlesInIndexOrder)
{
    EXPECT_EQ(sim.capacity, 100);
    Particle *a = TakeParticle(sim);
    Particle *b = TakeParticle(sim);
    EXPECT_EQ(a, &sim.pool[0]);
    EXPECT_EQ(b, &sim.pool[1]);
    EXPECT_EQ(sim.activeHead, b);
    EXPECT_EQ(b->next, a);
    for (int i = 2; i < 100; ++i)
        ASSERT_NE(TakeParticle(sim), nullptr);
    EXPECT_EQ(TakeParticle(sim), nullptr);
}

TEST_F(Sim, PoolSizeFollowsTheRecord)
{
    record.particles = 0;
    Attach();
    EXPECT_EQ(sim.capacity, 100);  // 0 keeps the current pool
    record.particles = 7;
    ReallocParticles(sim);
    EXPECT_EQ(sim.capacity, 7);

    // A size that cannot be had: a message, no pool, no steps, and no overflow.
    record.particles = 0x7FFFFFFF;
    ReallocParticles(sim);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], "Out of memory");
    EXPECT_EQ(sim.pool, nullptr);
    EXPECT_FALSE(FrameStep(sim, 0.1f));
    // Attaching the same size again retries; a sane size brings the effect back.
    record.particles = 50;
    ReallocParticles(sim);
    RelinkTypes(sim);
    EXPECT_EQ(sim.capacity, 50);
    EXPECT_TRUE(FrameStep(sim, 0.1f));
    EXPECT_EQ(sim.liveCount, 1);
}

TEST_F(Sim, BirthFollowsTheType)
{
    ParticleType &t = Type(0);
    Set(t.lifetime, 2.0);
    Set(t.gravity, -50.0);
    Set(t.startalpha, 1.0);
    Set(t.endalpha, 0.0);
    Set(t.startred, 0.2);
    Set(t.endred, 1.0);
    Set(t.startsize, 10.0);
    Set(t.endsize, 30.0);  // positive end: size runs to it over the lifetime
    Set(t.startframe, 1.0);
    Set(t.framerate, 3.0);  // no end frame: the rate is used
    Set(t.angledelta, 90.0);
    Set(t.drag, 0.5);
    Set(t.windyaw, 90.0);
    Set(t.windstrength, 50.0);
    t.offset.x = 1;
    t.offset.y = 2;
    t.offset.z = 3;
    Set(t.bounce, 0.5);
    Attach();

    Particle *p = Spawn(sim, sim.mainLink);
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(p->lifetime, 2.0f);
    EXPECT_FLOAT_EQ(p->acceleration.z, -50.0f);
    EXPECT_FLOAT_EQ(p->alphaDelta, -0.5f);
    EXPECT_FLOAT_EQ(p->colourDelta[0], 0.4f);
    EXPECT_FLOAT_EQ(p->colourDelta[1], 0.0f);
    EXPECT_FLOAT_EQ(p->sizeDelta, 10.0f);
    EXPECT_FLOAT_EQ(p->frameRate, 3.0f);
    EXPECT_FLOAT_EQ(p->angle, 45.0f);
    EXPECT_FLOAT_EQ(p->drag, 0.5f);
    EXPECT_NEAR(p->windVelocity.x, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(p->windVelocity.y, -50.0f);
    EXPECT_EQ(p->windVelocity.z, 0.0f);
    EXPECT_FLOAT_EQ(p->offset.z, 3.0f);
    EXPECT_EQ(sim.mainLink->bounceEnabled, 1);
    // The main type names no spray type, so it sprays copies of itself.
    EXPECT_EQ(sim.mainLink->sprayLink, sim.mainLink);

    Set(t.lifetime, 0.0);  // zero life: inv is 100
    p = Spawn(sim, sim.mainLink);
    EXPECT_FLOAT_EQ(p->alphaDelta, -100.0f);
}

TEST_F(Sim, StepMovesChangesAndKills)
{
    ParticleType &t = Type(0);
    Set(t.gravity, -10.0);
    Set(t.lifetime, 0.5);
    Set(t.startsize, 4.0);
    Set(t.sizedelta, 2.0);
    Attach();
    Particle *p = Spawn(sim, sim.mainLink);
    p->velocity = {1.0f, 0.0f, 0.0f};

    EXPECT_TRUE(StepParticle(sim, *p, 0.0f));  // no time, no change
    EXPECT_EQ(p->age, 0.0f);

    EXPECT_TRUE(StepParticle(sim, *p, 0.25f));
    EXPECT_FLOAT_EQ(p->velocity.z, -2.5f);
    EXPECT_FLOAT_EQ(p->origin.z, -0.625f);  // no bounce: it falls through the ground
    EXPECT_FLOAT_EQ(p->origin.x, 0.25f);
    EXPECT_FLOAT_EQ(p->size, 4.5f);
    EXPECT_TRUE(StepParticle(sim, *p, 0.25f));  // age equal to the lifetime survives
    EXPECT_FALSE(StepParticle(sim, *p, 0.01f));

    Set(t.lifetime, -1.0);
    p = Spawn(sim, sim.mainLink);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(StepParticle(sim, *p, 1.0f));

    Set(t.lifetime, 0.0);
    p = Spawn(sim, sim.mainLink);
    EXPECT_FALSE(StepParticle(sim, *p, 0.001f));
}

TEST_F(Sim, DragPullsTowardTheWind)
{
    ParticleType &t = Type(0);
    Set(t.drag, 2.0);
    Set(t.windstrength, 10.0);  // yaw 0: wind along +x
    Attach();
    Particle *p = Spawn(sim, sim.mainLink);
    p->velocity = {0.0f, 4.0f, 0.0f};
    StepParticle(sim, *p, 0.1f);
    EXPECT_FLOAT_EQ(p->velocity.x, 2.0f);  // 0 - (0 - 10) * 2 * 0.1
    EXPECT_FLOAT_EQ(p->velocity.y, 3.2f);  // 4 - 4 * 0.2
}

TEST_F(Sim, BounceReflectsOnTheGround)
{
    ParticleType &t = Type(0);
    Set(t.bounce, 0.5);
    Attach();
    Particle *p = Spawn(sim, sim.mainLink);
    p->origin = {0.0f, 0.0f, 1.5f};
    p->velocity = {2.0f, 0.0f, -10.0f};
    StepParticle(sim, *p, 0.1f);  // 1.5 -> 0.5; the next step would end below 0
    EXPECT_EQ(p->origin.z, 0.0f);
    EXPECT_FLOAT_EQ(p->origin.x, 0.4f);  // x advanced twice
    EXPECT_FLOAT_EQ(p->velocity.z, 5.0f);
    EXPECT_FLOAT_EQ(p->velocity.x, 2.0f);

    Set(t.bouncefriction, 0.25);
    p->origin = {0.0f, 0.0f, 0.5f};
    p->velocity = {4.0f, -8.0f, -10.0f};
    StepParticle(sim, *p, 0.1f);
    EXPECT_FLOAT_EQ(p->velocity.x, 3.0f);
    EXPECT_FLOAT_EQ(p->velocity.y, -6.0f);
}

TEST_F(Sim, AnglesStayInRangeOnlyWhenTurning)
{
    ParticleType &t = Type(0);
    Set(t.startangle, 400.0);
    Attach();
    Particle *p = Spawn(sim, sim.mainLink);
    StepParticle(sim, *p, 0.1f);
    EXPECT_FLOAT_EQ(p->angle, 400.0f);

    p->angleDelta = -100.0f;
    p->angle = 5.0f;
    StepParticle(sim, *p, 0.1f);
    EXPECT_FLOAT_EQ(p->angle, 355.0f);
    p->angle = 360.0f;
    p->angleDelta = 1e-9f;
    StepParticle(sim, *p, 0.1f);
    EXPECT_FLOAT_EQ(p->angle, 360.0f);  // 360 itself stays
    p->angle = 1e30f;                   // would never leave a subtract-360 loop
    p->angleDelta = 1.0f;
    StepParticle(sim, *p, 0.1f);
    EXPECT_GE(p->angle, 0.0f);
    EXPECT_LE(p->angle, 360.0f);
}

namespace {
struct SprayCase {
    double pitch, yaw;
    float x, y, z;
};
}  // namespace

TEST_F(Sim, SprayKickFollowsPitchAndYaw)
{
    const SprayCase cases[] = {{0, 0, 100, 0, 0},
                               {90, 0, 0, 0, 100},
                               {0, 90, 0, -100, 0},
                               {89.9, 0, 1.745f, 0, 99.98f}};
    for (const SprayCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "pitch " << c.pitch << " yaw " << c.yaw);
        ParticleType &t = Type(0);
        Set(t.sprayrate, 10.0);
        Set(t.sprayforce, 100.0);
        Set(t.spraypitch, c.pitch);
        Set(t.sprayyaw, c.yaw);
        Attach();
        ASSERT_TRUE(FrameStep(sim, 0.05f));  // emitter born and aged 0.05: nothing due yet
        EXPECT_EQ(sim.liveCount, 1);
        sim.emitter->velocity = {1.0f, 2.0f, 3.0f};
        sim.emitter->origin = {5.0f, 6.0f, 7.0f};
        ASSERT_TRUE(FrameStep(sim, 0.1f));
        Particle *q = sim.activeHead;
        ASSERT_NE(q, sim.emitter);
        EXPECT_EQ(q->age, 0.0f);             // born during the walk: first step next frame
        EXPECT_FLOAT_EQ(q->origin.x, 5.1f);  // the parent's position after its move
        EXPECT_NEAR(q->velocity.x, 1.0f + c.x, 0.01f);
        EXPECT_NEAR(q->velocity.y, 2.0f + c.y, 0.01f);
        EXPECT_NEAR(q->velocity.z, 3.0f + c.z, 0.01f);
        EXPECT_FLOAT_EQ(sim.emitter->nextSprayTime, 0.25f);
    }
}

TEST_F(Sim, SprayRateZeroAtBirthNeverSprays)
{
    Attach();
    ASSERT_TRUE(FrameStep(sim, 0.1f));
    Set(Type(0).sprayrate, 100.0);  // too late: the emitter was born without a spray time
    for (int i = 0; i < 10; ++i)
        FrameStep(sim, 0.1f);
    EXPECT_EQ(sim.liveCount, 1);
    RelinkTypes(sim);  // a restart takes the new rate
    for (int i = 0; i < 10; ++i)
        FrameStep(sim, 0.1f);
    EXPECT_GT(sim.liveCount, 5);
}

TEST_F(Sim, EffectLivesAndDies)
{
    ParticleType &main = Type(0);
    std::strcpy(main.spraytype.text, "SPARK");
    Set(main.sprayrate, 10.0);
    record.typeCount = 2;
    DefaultType(Type(1), "spark");
    Set(Type(1).lifetime, 0.35);
    Attach();
    int maxLive = 0;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(FrameStep(sim, 0.05f));
        // Particles born during the walk are counted from their first step on.
        const int born = ActiveCount() - sim.liveCount;
        EXPECT_TRUE(born == 0 || born == 1) << born;
        maxLive = std::max(maxLive, sim.liveCount);
    }
    // One spark each 0.1 s living 0.35 s: the emitter and three or four sparks.
    EXPECT_GE(maxLive, 4);
    EXPECT_LE(maxLive, 5);
    for (const Particle *p = sim.activeHead; p; p = p->next)
        if (p != sim.emitter) {
            EXPECT_EQ(p->typeLink->type, &Type(1));
        }
}

TEST_F(Sim, FrameStepNeedsRecordPoolAndMainType)
{
    EXPECT_FALSE(FrameStep(sim, 0.1f));  // no record
    std::strcpy(record.maintype, "nothing");
    Attach();
    EXPECT_FALSE(FrameStep(sim, 0.1f));
    std::strcpy(record.maintype, "MAIN");
    RelinkTypes(sim);
    EXPECT_TRUE(FrameStep(sim, 0.1f));
    EXPECT_EQ(sim.emitter->lifetime, -1.0f);
    for (int i = 0; i < 100; ++i)
        FrameStep(sim, 0.1f);
    EXPECT_EQ(sim.liveCount, 1);  // the emitter outlives its drawn 4 s
}

TEST_F(Sim, NamesResolveIgnoringCaseHigherIndexWins)
{
    record.typeCount = 3;
    DefaultType(Type(1), "Smoke");
    DefaultType(Type(2), "SMOKE");
    std::strcpy(Type(0).spraytype.text, "smoke");
    std::strcpy(Type(0).overlaytype.text, "none such");
    Attach();
    ASSERT_NE(sim.mainLink, nullptr);
    EXPECT_EQ(sim.mainLink->sprayLink->type, &Type(2));
    EXPECT_EQ(sim.mainLink->overlayLink, nullptr);
    EXPECT_EQ(sim.typeLinks->type, &Type(2));  // list runs from the last type

    record.typeCount = 11;  // beyond the record: ten types
    UpdateTypes(sim);
    int links = 0;
    for (TypeLink *l = sim.typeLinks; l; l = l->next)
        ++links;
    EXPECT_EQ(links, 10);
    record.typeCount = -3;
    UpdateTypes(sim);
    EXPECT_EQ(sim.typeLinks, nullptr);
    EXPECT_FALSE(FrameStep(sim, 0.1f));
}

TEST_F(Sim, OverlayChainShareLifeAndDieTogether)
{
    record.typeCount = 3;
    DefaultType(Type(1), "glow");
    DefaultType(Type(2), "halo");
    std::strcpy(Type(0).overlaytype.text, "glow");
    std::strcpy(Type(1).overlaytype.text, "halo");
    std::strcpy(Type(0).spraytype.text, "glow");
    Set(Type(0).sprayrate, 10.0);
    Set(Type(1).lifetime, 0.3);
    Set(Type(1).gravity, -7.0);
    Attach();
    ASSERT_TRUE(FrameStep(sim, 0.05f));
    // The emitter took a glow child which took a halo child.
    Particle *emitter = sim.emitter;
    Particle *glow = OverlayChild(*emitter);
    ASSERT_NE(glow, nullptr);
    Particle *halo = OverlayChild(*glow);
    ASSERT_NE(halo, nullptr);
    EXPECT_EQ(OverlayChild(*halo), nullptr);
    EXPECT_EQ(glow->typeLink->type, &Type(1));
    EXPECT_EQ(halo->typeLink->type, &Type(2));
    EXPECT_FLOAT_EQ(glow->lifetime, 4.0f);  // the parent's drawn lifetime, not the glow type's
    EXPECT_FLOAT_EQ(glow->acceleration.z, -7.0f);
    EXPECT_EQ(sim.liveCount, 3);

    // The emitter is immortal but its children carry its drawn 4 s: they die,
    // and the emitter stops naming them, also once their slots are reused.
    for (int i = 0; i < 90; ++i)
        FrameStep(sim, 0.05f);
    EXPECT_EQ(OverlayChild(*emitter), nullptr);
    EXPECT_EQ(sim.emitter, emitter);
}

TEST_F(Sim, SelfOverlayFillsAHugePoolWithoutRecursion)
{
    std::strcpy(Type(0).overlaytype.text, "Main");
    record.particles = 400000;
    Attach();
    ASSERT_TRUE(FrameStep(sim, 0.01f));
    EXPECT_EQ(sim.liveCount, 400000);
    int chain = 1;
    for (Particle *p = OverlayChild(*sim.emitter); p; p = OverlayChild(*p))
        ++chain;
    EXPECT_EQ(chain, 400000);
    // With the pool exhausted, spray births silently yield nothing.
    Set(Type(0).sprayrate, 1000.0);
    RelinkTypes(sim);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(FrameStep(sim, 0.01f));
    EXPECT_EQ(sim.liveCount, 400000);
}

namespace {
int g_loads = 0;
int g_releases = 0;
SpriteModel *CountingLoad(const char *)
{
    ++g_loads;
    return reinterpret_cast<SpriteModel *>(static_cast<uintptr_t>(0x1000 + g_loads));
}
void CountingRelease(SpriteModel *)
{
    ++g_releases;
}
}  // namespace

TEST_F(Sim, SpritesReloadOnlyWhenTheNameChanges)
{
    DestroySimState(sim);
    CreateSimState(sim, SpriteHooks{CountingLoad, CountingRelease}, CollectMessage, FixedTick);
    g_loads = g_releases = 0;
    record.typeCount = 2;
    DefaultType(Type(1), "flat");
    std::strcpy(Type(0).sprite.text, "sprites/a.spr");
    std::strcpy(Type(1).rendermode.text, "KRENDERTRANSCOLOR");
    Attach();
    EXPECT_EQ(g_loads, 1);
    TypeLink *main = sim.mainLink;
    TypeLink *flat = FindTypeLink(sim, "flat");
    EXPECT_EQ(main->drawable, 1);
    EXPECT_EQ(flat->drawable, 0);
    EXPECT_EQ(flat->renderList, kListColour);
    EXPECT_EQ(main->renderList, kListAdditive);

    std::strcpy(Type(0).sprite.text, "SPRITES/A.SPR");  // letter case only
    UpdateTextures(sim);
    EXPECT_EQ(g_loads, 1);
    EXPECT_EQ(flat->drawable, 1);  // colour mode without a sprite draws untextured
    std::strcpy(Type(0).sprite.text, "sprites/b.spr");
    UpdateTextures(sim);
    EXPECT_EQ(g_loads, 2);
    EXPECT_EQ(g_releases, 1);

    ReleaseSprites(sim);  // the device closed
    EXPECT_EQ(main->sprite, nullptr);
    EXPECT_EQ(main->drawable, 0);
    UpdateTextures(sim);  // same name: not reloaded
    EXPECT_EQ(g_loads, 2);
    UpdateTypes(sim);  // rebuilding the types reloads every sprite
    EXPECT_EQ(g_loads, 3);
    Type(0).sprite.text[0] = '\0';
    UpdateTextures(sim);
    EXPECT_EQ(g_releases, 3);
    EXPECT_EQ(main->drawable, 0);
}

TEST_F(Sim, SpriteNameGivenBackAfterEmptyingLoadsAgain)
{
    DestroySimState(sim);
    CreateSimState(sim, SpriteHooks{CountingLoad, CountingRelease}, CollectMessage, FixedTick);
    g_loads = g_releases = 0;
    std::strcpy(Type(0).sprite.text, "sprites/a.spr");
    Attach();
    EXPECT_EQ(g_loads, 1);
    Type(0).sprite.text[0] = '\0';
    UpdateTextures(sim);
    EXPECT_STREQ(sim.mainLink->spriteName, "");
    std::strcpy(Type(0).sprite.text, "sprites/a.spr");
    UpdateTextures(sim);
    EXPECT_EQ(g_loads, 2);
    EXPECT_NE(sim.mainLink->sprite, nullptr);
    EXPECT_EQ(sim.mainLink->drawable, 1);

    // A text filling its whole field is cut to the 255 bytes a name holds.
    std::memset(Type(0).sprite.text, 'a', sizeof Type(0).sprite.text);
    UpdateTextures(sim);
    EXPECT_EQ(std::strlen(sim.mainLink->spriteName), 255u);
    EXPECT_EQ(g_loads, 3);
}

TEST(RenderModes, NamesIgnoreCaseAndDefaultToAdditive)
{
    EXPECT_EQ(RenderListForMode("krendertransalpha"), kListAlphaTest);
    EXPECT_EQ(RenderListForMode("kRenderTransTexture"), kListTexture);
    EXPECT_EQ(RenderListForMode("kRenderTransColor"), kListColour);
    EXPECT_EQ(RenderListForMode("kRenderTransAdd"), kListAdditive);
    EXPECT_EQ(RenderListForMode(""), kListAdditive);
    EXPECT_EQ(RenderListForMode("kRenderTransAlphaX"), kListAdditive);
}

// Records come from scripts that may say anything: extreme, infinite and
// not-a-number values must step without undefined behaviour or endless loops.
TEST_F(Sim, ExtremeValuesStepSafely)
{
    const double extremes[] = {0.0,     -0.0,  1e-30,  -1e-30,   0.5,       -720.5, 1e9,    -1e9,    3.5e38,
                               -3.5e38, 1e300, -1e300, INFINITY, -INFINITY, NAN,    359.99, -360.99, 1e7};
    const size_t count = sizeof extremes / sizeof extremes[0];
    uint32_t seed = 12345;
    auto pick = [&] {
        seed = seed * 1664525u + 1013904223u;
        return extremes[(seed >> 8) % count];
    };
    record.particles = 64;
    record.typeCount = 2;
    DefaultType(Type(1), "other");
    std::strcpy(Type(0).spraytype.text, "other");
    std::strcpy(Type(1).spraytype.text, "main");
    std::strcpy(Type(1).overlaytype.text, "main");
    for (int round = 0; round < 300; ++round) {
        for (int i = 0; i < 2; ++i) {
            ParticleType &t = Type(i);
            for (ParamRange *r = &t.gravity; r <= &t.bouncefriction; ++r) {
                r->min = pick();
                r->max = (seed & 1) ? r->min : pick();
            }
            t.offset.x = pick();
        }
        Set(Type(0).sprayrate, 50.0);
        Attach();
        for (int frame = 0; frame < 8; ++frame)
            ASSERT_TRUE(FrameStep(sim, frame % 3 == 0 ? 0.25f : 0.016f));
        ASSERT_LE(sim.liveCount, sim.capacity);
        for (const Particle *p = sim.activeHead; p; p = p->next)
            ASSERT_TRUE(std::isnan(p->angle) || std::isinf(p->angle) || p->angleDelta == 0.0f ||
                        (p->angle >= 0.0f && p->angle <= 360.0f));
    }
}

namespace {

// One particle's step written plainly from the rules, every draw through
// RandomInRange: the reference that the frame step must match bit for bit.
bool ModelStep(SimState &sim, Particle &p, float dt)
{
    if (dt == 0.0f)
        return true;
    p.age += dt;
    if (p.lifetime >= 0.0f && p.age > p.lifetime)
        return false;
    if (p.drag != 0.0f) {
        p.velocity.x -= (p.velocity.x - p.windVelocity.x) * p.drag * dt;
        p.velocity.y -= (p.velocity.y - p.windVelocity.y) * p.drag * dt;
        p.velocity.z -= (p.velocity.z - p.windVelocity.z) * p.drag * dt;
    }
    p.velocity.x += p.acceleration.x * dt;
    p.velocity.y += p.acceleration.y * dt;
    p.velocity.z += p.acceleration.z * dt;
    const Vec3 d = {p.velocity.x * dt, p.velocity.y * dt, p.velocity.z * dt};
    p.origin.x += d.x;
    p.origin.y += d.y;
    p.origin.z += d.z;
    const ParticleType &t = *p.typeLink->type;
    if (p.typeLink->bounceEnabled && p.origin.z + d.z < 0.0f) {
        p.origin.x += d.x;
        p.origin.y += d.y;
        p.origin.z = 0.0f;
        const float f = RandomInRange(sim, t.bouncefriction);
        const float b = RandomInRange(sim, t.bounce);
        p.velocity.x *= 1.0f - f;
        p.velocity.y *= 1.0f - f;
        p.velocity.z = -b * p.velocity.z;
    }
    const float r = RandomInRange(sim, t.sprayrate);
    if (p.nextSprayTime != 0.0f && p.age > p.nextSprayTime && std::fabs(r) >= 0.0001f) {
        p.nextSprayTime = p.age + 1.0f / r;
        if (Particle *q = Spawn(sim, p.typeLink->sprayLink)) {
            q->origin = p.origin;
            q->velocity = p.velocity;
            const float force = RandomInRange(sim, t.sprayforce);
            if (force != 0.0f) {
                const int pitch = WholeDegrees(RandomInRange(sim, t.spraypitch));
                const int yaw = WholeDegrees(RandomInRange(sim, t.sprayyaw));
                q->velocity.x += force * CosDeg(pitch) * CosDeg(yaw);
                q->velocity.y += force * CosDeg(pitch) * CosDeg90(yaw);
                q->velocity.z -= force * CosDeg90(pitch);
            }
        }
    }
    p.size += p.sizeDelta * dt;
    p.alpha += p.alphaDelta * dt;
    for (int c = 0; c < 3; ++c)
        p.colour[c] += p.colourDelta[c] * dt;
    p.frame += p.frameRate * dt;
    if (p.angleDelta != 0.0f) {
        p.angle += p.angleDelta * dt;
        if (p.angle < -720.0f || p.angle > 720.0f)
            p.angle = std::fmod(p.angle, 360.0f);
        while (p.angle < 0.0f)
            p.angle += 360.0f;
        while (p.angle > 360.0f)
            p.angle -= 360.0f;
    }
    return true;
}

void ModelFrame(SimState &sim, float dt)
{
    RefreshTick(sim);
    if (!sim.emitter) {
        sim.emitter = Spawn(sim, sim.mainLink);
        if (sim.emitter) {
            sim.emitter->lifetime = -1.0f;
            sim.emitterSerial = sim.emitter->serial;
        }
    }
    sim.liveCount = 0;
    Particle **link = &sim.activeHead;
    while (Particle *p = *link) {
        if (ModelStep(sim, *p, dt)) {
            ++sim.liveCount;
            link = &p->next;
        } else {
            *link = p->next;
            ++p->serial;
            p->next = sim.freeHead;
            sim.freeHead = p;
        }
    }
}

long IndexIn(const SimState &sim, const Particle *p)
{
    return p ? p - sim.pool : -1;
}

// The effect's state, pointers turned into pool indexes so two states compare.
std::vector<uint32_t> Snapshot(const SimState &sim)
{
    std::vector<uint32_t> out{sim.randomState, static_cast<uint32_t>(sim.liveCount),
                              static_cast<uint32_t>(IndexIn(sim, sim.emitter))};
    for (const Particle *p = sim.activeHead; p; p = p->next) {
        out.push_back(static_cast<uint32_t>(IndexIn(sim, p)));
        out.push_back(static_cast<uint32_t>(IndexIn(sim, p->overlayChild)));
        out.push_back(static_cast<uint32_t>(p->typeLink - sim.links));
        const float *first = &p->origin.x;
        const float *end = &p->nextSprayTime + 1;
        for (const float *f = first; f != end; ++f) {
            uint32_t bits;
            std::memcpy(&bits, f, sizeof bits);
            out.push_back(bits);
        }
    }
    return out;
}

}  // namespace

// The frame step keeps its generator and ranges in a faster form; whatever
// the effect does (births, bounces, deaths, overlays, turning, record edits
// between frames, a changing tick) it must leave exactly the state, and the
// generator, that the plain rules give.
TEST_F(Sim, FrameStepMatchesThePlainRules)
{
    record.particles = 400;
    record.typeCount = 3;
    ParticleType &main = Type(0);
    std::strcpy(main.spraytype.text, "drop");
    Set(main.sprayrate, 90.0, 120.0);
    Set(main.sprayforce, 40.0, 90.0);
    Set(main.spraypitch, 30.0, 89.0);
    Set(main.sprayyaw, -180.0, 179.0);
    ParticleType &drop = Type(1);
    DefaultType(drop, "drop");
    std::strcpy(drop.spraytype.text, "drop");
    std::strcpy(drop.overlaytype.text, "glow");
    Set(drop.lifetime, 0.5, 3.0);
    Set(drop.gravity, -140.0, -60.0);
    Set(drop.drag, 0.0, 0.4);
    Set(drop.windstrength, 0.0, 30.0);
    Set(drop.windyaw, -90.0, 270.0);
    Set(drop.bounce, 0.3, 0.9);
    Set(drop.bouncefriction, 0.0, 0.3);
    Set(drop.sprayrate, 0.0, 6.0);
    Set(drop.sprayforce, 0.0, 20.0);
    Set(drop.spraypitch, -45.0, 45.0);
    Set(drop.sprayyaw, -400.0, 400.0);
    Set(drop.startangle, -30.0, 390.0);
    Set(drop.angledelta, -2000.0, 2000.0);
    Set(drop.endsize, 0.5, 4.0);
    Set(drop.framerate, 1.0, 9.0);
    Set(drop.endred, 0.0, 1.0);
    DefaultType(Type(2), "glow");
    Set(Type(2).angledelta, 90.0);

    SimState model;
    ASSERT_TRUE(CreateSimState(model, SpriteHooks{nullptr, nullptr}, CollectMessage, FixedTick));
    Attach();
    UpdateParticles(model, &record);
    int mostLive = 0;
    for (int frame = 0; frame < 900; ++frame) {
        g_tick = static_cast<uint32_t>(frame * 17 + (frame % 5) * 3);
        const float dt = frame % 97 == 0 ? 0.0f : (frame % 31 == 0 ? 0.2f : 1.0f / 60.0f);
        if (frame == 450) {  // edits reach both from the next frame on
            Set(drop.bounce, 0.0, 0.7);
            Set(drop.sprayrate, 2.0, 30.0);
            Set(drop.bouncefriction, 0.5);
        }
        ASSERT_TRUE(FrameStep(sim, dt));
        ModelFrame(model, dt);
        ASSERT_EQ(Snapshot(sim), Snapshot(model)) << "frame " << frame;
        mostLive = std::max(mostLive, sim.liveCount);
    }
    DestroySimState(model);
    EXPECT_EQ(mostLive, record.particles);  // the pool ran full, so births failed too
}

TEST_F(Sim, SprayFallsDueOnlyAfterItsTime)
{
    Set(Type(0).sprayrate, 4.0);  // due after 0.25 s, exactly representable
    Attach();
    ASSERT_TRUE(FrameStep(sim, 0.125f));
    ASSERT_TRUE(FrameStep(sim, 0.125f));  // age equals the spray time: not yet
    EXPECT_EQ(ActiveCount(), 1);
    EXPECT_EQ(sim.emitter->nextSprayTime, 0.25f);
    ASSERT_TRUE(FrameStep(sim, 0.125f));
    EXPECT_EQ(ActiveCount(), 2);
    EXPECT_EQ(sim.emitter->nextSprayTime, 0.625f);
}
