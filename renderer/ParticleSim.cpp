#include "ParticleSim.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "AsciiCase.h"
#include "RecordText.h"

namespace gx {

namespace {

// Names and render modes compare as record texts, ignoring ASCII case.
bool EqualsIgnoringCase(const char *a, const char *b)
{
    return EqualIgnoringAsciiCase(RecordText(a), RecordText(b));
}

float g_cosTable[450];
bool g_cosTableFilled = false;

void FreeParticle(SimState &sim, Particle *p)
{
    ++p->serial;  // even: in the free list
    p->next = sim.freeHead;
    sim.freeHead = p;
}

void ReleaseSprite(SimState &sim, TypeLink &link)
{
    if (link.sprite && sim.sprites.release)
        sim.sprites.release(link.sprite);
    link.sprite = nullptr;
}

SpriteModel *LoadSprite(SimState &sim, const char *name)
{
    return sim.sprites.load ? sim.sprites.load(name) : nullptr;
}

bool BothPositive(const ParamRange &range)
{
    return range.min > 0 && range.max > 0;
}

// Steps 4 to 13 of a particle's initialisation: everything after its overlay child.
void InitOwnValues(SimState &sim, Particle &p)
{
    TypeLink *link = p.typeLink;
    const ParticleType &t = *link->type;
    const float inv = std::fabs(p.lifetime) < 0.0001f ? 100.0f : 1.0f / p.lifetime;

    const float rate = RandomInRange(sim, t.sprayrate);
    p.nextSprayTime = (link->sprayLink && std::fabs(rate) >= 0.0001f) ? 1.0f / rate : 0.0f;

    p.size = RandomInRange(sim, t.startsize);
    if (BothPositive(t.endsize))
        p.sizeDelta = (RandomInRange(sim, t.endsize) - p.size) * inv;
    else
        p.sizeDelta = RandomInRange(sim, t.sizedelta);

    p.frame = RandomInRange(sim, t.startframe);
    if (BothPositive(t.endframe))
        p.frameRate = (RandomInRange(sim, t.endframe) - p.frame) * inv;
    else
        p.frameRate = RandomInRange(sim, t.framerate);

    link->bounceEnabled = BothPositive(t.bounce) ? 1 : 0;

    p.alpha = RandomInRange(sim, t.startalpha);
    p.alphaDelta = (RandomInRange(sim, t.endalpha) - p.alpha) * inv;

    const ParamRange *starts[3] = {&t.startred, &t.startgreen, &t.startblue};
    const ParamRange *ends[3] = {&t.endred, &t.endgreen, &t.endblue};
    for (int c = 0; c < 3; ++c) {
        p.colour[c] = RandomInRange(sim, *starts[c]);
        p.colourDelta[c] = (RandomInRange(sim, *ends[c]) - p.colour[c]) * inv;
    }

    p.angle = RandomInRange(sim, t.startangle);
    p.angleDelta = RandomInRange(sim, t.angledelta);

    p.drag = RandomInRange(sim, t.drag);

    const float strength = RandomInRange(sim, t.windstrength);
    const int yaw = WholeDegrees(RandomInRange(sim, t.windyaw));
    p.windVelocity = {strength * CosDeg(yaw), strength * CosDeg90(yaw), 0.0f};

    p.offset = {ToFloat(t.offset.x), ToFloat(t.offset.y), ToFloat(t.offset.z)};
}

}  // namespace

// ---------------------------------------------------------------- angles

void FillCosTable()
{
    if (g_cosTableFilled)
        return;
    for (int i = 0; i < 450; ++i)
        g_cosTable[i] = static_cast<float>(std::cos(i * M_PI / 180.0));
    g_cosTableFilled = true;
}

const float *CosTable()
{
    return g_cosTable;
}

int WholeDegrees(float degrees)
{
    if (std::isnan(degrees))
        return 0;
    if (degrees > -361.0f && degrees < 360.0f)
        return static_cast<int>(degrees);
    const float wrapped = std::fmod(degrees, 360.0f);
    return std::isnan(wrapped) ? 0 : static_cast<int>(wrapped);  // infinity wraps to NaN
}

namespace {
int WrapForTable(int degrees)
{
    if (degrees < -360 || degrees > 359) {
        degrees %= 360;
        if (degrees < 0)
            degrees += 360;
    }
    return degrees;
}
}  // namespace

float CosDeg(int degrees)
{
    degrees = WrapForTable(degrees);
    return degrees >= 0 ? g_cosTable[degrees] : g_cosTable[degrees + 360];
}

float CosDeg90(int degrees)
{
    degrees = WrapForTable(degrees);
    return degrees >= -90 ? g_cosTable[degrees + 90] : g_cosTable[degrees + 450];
}

// ---------------------------------------------------------------- random values

void RefreshTick(SimState &sim)
{
    sim.tick = sim.tickCount ? sim.tickCount() : 0u;
}

// ---------------------------------------------------------------- state and pool

bool CreateSimState(SimState &sim, SpriteHooks hooks, MessageSink message, uint32_t (*tickCount)())
{
    FillCosTable();
    sim = SimState{};
    sim.randomState = 1;
    sim.sprites = hooks;
    sim.message = message;
    sim.tickCount = tickCount;
    return ResizePool(sim, 100);
}

void DestroySimState(SimState &sim)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        ReleaseSprite(sim, *link);
    std::free(sim.pool);
    SpriteHooks hooks = sim.sprites;
    MessageSink message = sim.message;
    auto tick = sim.tickCount;
    sim = SimState{};
    sim.sprites = hooks;
    sim.message = message;
    sim.tickCount = tick;
    sim.randomState = 1;
}

bool ResizePool(SimState &sim, int32_t count)
{
    std::free(sim.pool);
    sim.pool = nullptr;
    sim.activeHead = nullptr;
    sim.freeHead = nullptr;
    sim.emitter = nullptr;
    sim.liveCount = 0;
    sim.effectTime = 0.0;
    sim.capacity = 0;
    // The cap keeps count * size far from overflow and from allocator aborts.
    if (count > 0 && count <= kMaxPoolParticles)
        sim.pool = static_cast<Particle *>(std::calloc(static_cast<size_t>(count), sizeof(Particle)));
    if (!sim.pool) {
        if (sim.message)
            sim.message("Out of memory");
        return false;
    }
    sim.capacity = count;
    for (int32_t i = count - 1; i >= 0; --i) {
        sim.pool[i].next = sim.freeHead;
        sim.freeHead = &sim.pool[i];
    }
    return true;
}

Particle *TakeParticle(SimState &sim)
{
    Particle *p = sim.freeHead;
    if (!p)
        return nullptr;
    sim.freeHead = p->next;
    p->next = sim.activeHead;
    sim.activeHead = p;
    ++p->serial;  // odd: in the active list
    p->overlayChild = nullptr;
    p->overlaySerial = 0;
    return p;
}

bool IsAlive(const Particle *p, uint32_t serial)
{
    return p && p->serial == serial && (serial & 1u);
}

Particle *OverlayChild(const Particle &p)
{
    return IsAlive(p.overlayChild, p.overlaySerial) ? p.overlayChild : nullptr;
}

// ---------------------------------------------------------------- birth and step

Particle *Spawn(SimState &sim, TypeLink *link)
{
    if (!link)
        return nullptr;
    Particle *p = TakeParticle(sim);
    if (!p)
        return nullptr;
    p->age = 0.0f;
    p->lifetime = RandomInRange(sim, link->type->lifetime);
    InitParticle(sim, *p, link);
    return p;
}

void InitParticle(SimState &sim, Particle &p, TypeLink *link)
{
    // A chain of overlay types (even one naming itself) may be as long as the
    // pool, so the chain is built in two loops instead of by recursion, keeping
    // the order of the random draws: first every member's gravity, parents
    // before children, then the remaining values from the last child back up.
    Particle *cur = &p;
    TypeLink *curLink = link;
    for (;;) {
        cur->typeLink = curLink;
        cur->origin = {0.0f, 0.0f, 0.0f};
        cur->velocity = {0.0f, 0.0f, 0.0f};
        cur->acceleration = {0.0f, 0.0f, RandomInRange(sim, curLink->type->gravity)};
        cur->overlayChild = nullptr;
        cur->overlaySerial = 0;
        Particle *child = curLink->overlayLink ? TakeParticle(sim) : nullptr;
        if (!child)
            break;
        child->age = cur->age;
        child->lifetime = cur->lifetime;
        cur->overlayChild = child;
        cur->overlaySerial = child->serial;
        cur = child;
        curLink = curLink->overlayLink;
    }

    // Turn the chain around, then walk it from the last child back to p,
    // restoring each link on the way.
    Particle *prev = nullptr;
    for (Particle *x = &p; x;) {
        Particle *next = x->overlayChild;
        x->overlayChild = prev;
        prev = x;
        x = next;
    }
    Particle *restored = nullptr;
    for (Particle *x = prev; x;) {
        Particle *parent = x->overlayChild;
        InitOwnValues(sim, *x);
        x->overlayChild = restored;
        restored = x;
        x = parent;
    }
}

namespace {

// The generator of RandomInRange, rewritten for a whole frame step, whose tick
// is fixed. Each draw feeds the next, so the draws of all particles form one
// chain and its latency sets the pace; the plain form costs three dependent
// multiply-adds and a multiply per draw. Here the state is kept as m with
// state = m * kMul + base, and the two values k1 and k2 are computed side by
// side from m, leaving one multiply-add, a shift and one multiply on the
// chain. A value's bits 16..30 are taken as (2x mod 2^32) >> 17, saving the
// mask. Results and the state left behind are those of RandomInRange.
constexpr uint32_t kMul = 214013u;
constexpr uint32_t kAdd = 2531011u;
constexpr uint32_t kMul2 = kMul * kMul;
constexpr uint32_t kMul3 = kMul2 * kMul;

constexpr uint32_t InverseOf(uint32_t a)  // a odd
{
    uint32_t x = a;
    for (int i = 0; i < 5; ++i)
        x *= 2u - a * x;
    return x;
}
constexpr uint32_t kMulInverse = InverseOf(kMul);
static_assert(kMul * kMulInverse == 1u);

struct FrameRandom {
    uint32_t m;
    uint32_t base;              // state = m * kMul + base
    uint32_t t0, t1, t2;        // doubled additive terms of the state and the next two values
    uint32_t mul1, mul2, mul3;  // doubled powers of the multiplier

    FrameRandom(uint32_t state, uint32_t tick)
    {
        t0 = tick * kMul + kAdd;
        t1 = t0 * kMul + kAdd;
        t2 = t1 * kMul + kAdd;
        m = (state - t0) * kMulInverse;
        base = t0;
        t0 *= 2u;
        t1 *= 2u;
        t2 *= 2u;
        mul1 = 2u * kMul;
        mul2 = 2u * kMul2;
        mul3 = 2u * kMul3;
#if defined(__GNUC__)
        // Kept opaque: folded constants lead the compiler to double after
        // the multiply-add, one more step on the chain.
        asm("" : "+r"(mul1), "+r"(mul2), "+r"(mul3));
#endif
    }
    uint32_t State() const
    {
        return m * kMul + base;
    }
    uint32_t Draw()  // 0..32767, as the three values of RandomInRange
    {
        const uint32_t k1 = (m * mul2 + t1) >> 17;
        const uint32_t k2 = (m * mul3 + t2) >> 17;
        m = k1 * k2;
        return (m * mul1 + t0) >> 17;
    }
};

FloatRange ToFloatRange(const ParamRange &range)
{
    const float lo = ToFloat(range.min);
    const float hi = ToFloat(range.max);
    return {lo, hi - lo};
}

// Same operations, in the same order, as RandomInRange.
inline float ValueOf(FloatRange range, uint32_t k)
{
    return range.lo + static_cast<float>(static_cast<int32_t>(k)) * range.span * (1.0f / 32767.0f);
}

void RefreshStepRanges(TypeLink &link)
{
    const ParticleType &t = *link.type;
    link.stepRanges = {ToFloatRange(t.bounce), ToFloatRange(t.bouncefriction), ToFloatRange(t.sprayrate)};
}

// A spray particle is due and the pool has room: rare next to the step itself.
__attribute__((noinline)) void Spray(SimState &sim, const Particle &p)
{
    TypeLink *link = p.typeLink;
    Particle *q = Spawn(sim, link->sprayLink);
    if (!q)
        return;
    const ParticleType &t = *link->type;
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

__attribute__((noinline)) void WrapAngle(Particle &p)
{
    // Far angles are brought near first so the loops below stay short.
    if (p.angle < -720.0f || p.angle > 720.0f)
        p.angle = std::fmod(p.angle, 360.0f);
    while (p.angle < 0.0f)
        p.angle += 360.0f;
    while (p.angle > 360.0f)
        p.angle -= 360.0f;
}

// One particle's step; the link's stepRanges must be current.
__attribute__((always_inline)) inline bool Advance(SimState &sim, FrameRandom &rng, Particle &p, float dt)
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

    const TypeLink *link = p.typeLink;
    const StepRanges &ranges = link->stepRanges;
    if (link->bounceEnabled && p.origin.z + d.z < 0.0f) {
        p.origin.x += d.x;
        p.origin.y += d.y;
        p.origin.z = 0.0f;
        const float friction = ValueOf(ranges.bouncefriction, rng.Draw());
        const float bounce = ValueOf(ranges.bounce, rng.Draw());
        p.velocity.x *= 1.0f - friction;
        p.velocity.y *= 1.0f - friction;
        p.velocity.z = -bounce * p.velocity.z;
    }

    // Whether a spray is due changes from step to step without a pattern, so
    // it is computed without a branch; a mispredicted one would also throw
    // away the loads already under way for the next particles.
    const float rate = ValueOf(ranges.sprayrate, rng.Draw());
    const bool due = (p.nextSprayTime != 0.0f) & (p.age > p.nextSprayTime) & (std::fabs(rate) >= 0.0001f);
    const uint32_t dueMask = 0u - static_cast<uint32_t>(due);
    const float nextSpray = p.age + 1.0f / rate;  // IEEE: no trap when not due
    p.nextSprayTime = std::bit_cast<float>((std::bit_cast<uint32_t>(nextSpray) & dueMask) |
                                           (std::bit_cast<uint32_t>(p.nextSprayTime) & ~dueMask));
    // With the pool full a birth takes nothing and draws nothing; that test
    // comes first as it rarely changes.
    if (sim.freeHead && link->sprayLink && due) {
        sim.randomState = rng.State();
        Spray(sim, p);
        rng = FrameRandom(sim.randomState, sim.tick);
    }

    p.size += p.sizeDelta * dt;
    p.alpha += p.alphaDelta * dt;
    p.colour[0] += p.colourDelta[0] * dt;
    p.colour[1] += p.colourDelta[1] * dt;
    p.colour[2] += p.colourDelta[2] * dt;
    p.frame += p.frameRate * dt;

    if (p.angleDelta != 0.0f) {
        p.angle += p.angleDelta * dt;
        if (!(p.angle >= 0.0f && p.angle <= 360.0f))
            WrapAngle(p);
    }
    return true;
}

}  // namespace

bool StepParticle(SimState &sim, Particle &p, float dt)
{
    RefreshStepRanges(*p.typeLink);
    FrameRandom rng(sim.randomState, sim.tick);
    const bool alive = Advance(sim, rng, p, dt);
    sim.randomState = rng.State();
    return alive;
}

bool FrameStep(SimState &sim, float frameTime)
{
    if (!sim.record || !sim.pool)
        return false;
    RefreshTick(sim);
    if (!sim.emitter) {
        if (!sim.mainLink)
            return false;
        sim.emitter = Spawn(sim, sim.mainLink);
        if (sim.emitter) {
            sim.emitter->lifetime = -1.0f;
            sim.emitterSerial = sim.emitter->serial;
        }
    }
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        RefreshStepRanges(*link);

    FrameRandom rng(sim.randomState, sim.tick);
    int32_t live = 0;
    Particle **link = &sim.activeHead;
    while (Particle *p = *link) {
        if (Advance(sim, rng, *p, frameTime)) {
            ++live;
            link = &p->next;
        } else {
            *link = p->next;
            FreeParticle(sim, p);
        }
    }
    sim.randomState = rng.State();
    sim.liveCount = live;
    sim.effectTime += frameTime;
    return true;
}

void RestartEffect(SimState &sim)
{
    sim.emitter = nullptr;
    sim.activeHead = nullptr;
    sim.freeHead = nullptr;
    sim.liveCount = 0;
    sim.effectTime = 0.0;
    for (int32_t i = sim.capacity - 1; sim.pool && i >= 0; --i) {
        Particle &p = sim.pool[i];
        if (p.serial & 1u)
            ++p.serial;
        p.next = sim.freeHead;
        sim.freeHead = &p;
    }
}

// ---------------------------------------------------------------- record attachment

void UpdateParticles(SimState &sim, const ParticleSystem *record)
{
    sim.record = record;
    if (!record) {
        for (TypeLink *link = sim.typeLinks; link; link = link->next)
            ReleaseSprite(sim, *link);
        sim.typeLinks = nullptr;
        sim.mainLink = nullptr;
        sim.emitter = nullptr;
        sim.effectTime = 0.0;
        return;
    }
    ReallocParticles(sim);
    UpdateTypes(sim);
    UpdateRendermode(sim);
}

void ReallocParticles(SimState &sim)
{
    if (!sim.record)
        return;
    const int32_t wanted = sim.record->particles;
    if (wanted > 0 && wanted != sim.capacity)
        ResizePool(sim, wanted);
}

void UpdateTypes(SimState &sim)
{
    if (!sim.record)
        return;
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        ReleaseSprite(sim, *link);
    sim.typeLinks = nullptr;
    sim.mainLink = nullptr;

    const int32_t count = UsedTypeCount(*sim.record);
    for (int32_t i = 0; i < count; ++i) {
        TypeLink &link = sim.links[i];
        std::memset(static_cast<void *>(&link), 0, sizeof link);
        link.type = &sim.record->types[i];
        link.next = sim.typeLinks;
        sim.typeLinks = &link;
        if (link.type->sprite.text[0] != '\0') {
            CopyRecordText(link.spriteName, RecordText(link.type->sprite.text));
            link.sprite = LoadSprite(sim, link.spriteName);
            link.drawable = 1;
        }
    }
    RelinkTypes(sim);
}

void RelinkTypes(SimState &sim)
{
    if (!sim.record)
        return;
    for (TypeLink *link = sim.typeLinks; link; link = link->next) {
        link->sprayLink = FindTypeLink(sim, link->type->spraytype.text);
        link->overlayLink = FindTypeLink(sim, link->type->overlaytype.text);
    }
    sim.mainLink = FindTypeLink(sim, sim.record->maintype);
    if (sim.mainLink && !sim.mainLink->sprayLink)
        sim.mainLink->sprayLink = sim.mainLink;
    RestartEffect(sim);
}

int32_t RenderListForMode(const char *rendermode)
{
    if (EqualsIgnoringCase(rendermode, RenderMode::kRenderTransAlpha))
        return kListAlphaTest;
    if (EqualsIgnoringCase(rendermode, RenderMode::kRenderTransTexture))
        return kListTexture;
    if (EqualsIgnoringCase(rendermode, RenderMode::kRenderTransColor))
        return kListColour;
    return kListAdditive;
}

void UpdateRendermode(SimState &sim)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        link->renderList = RenderListForMode(link->type->rendermode.text);
}

void UpdateTextures(SimState &sim)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next) {
        const char *text = link->type->sprite.text;
        if (text[0] == '\0') {
            ReleaseSprite(sim, *link);
            // Forget the name too, so that giving the same name back loads it again.
            link->spriteName[0] = '\0';
            link->drawable = link->renderList == kListColour ? 1 : 0;
        } else if (!EqualsIgnoringCase(text, link->spriteName)) {
            CopyRecordText(link->spriteName, RecordText(text));
            ReleaseSprite(sim, *link);
            link->sprite = LoadSprite(sim, link->spriteName);
            link->drawable = 1;
        }
    }
}

void ReleaseSprites(SimState &sim)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next) {
        ReleaseSprite(sim, *link);
        link->drawable = 0;
    }
}

TypeLink *FindTypeLink(const SimState &sim, const char *name)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        if (EqualsIgnoringCase(link->type->name, name))
            return link;
    return nullptr;
}

}  // namespace gx
