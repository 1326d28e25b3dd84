// The renderer's own particle simulation: a fixed pool of particles with
// intrusive free and active lists, one TypeLink per used particle type, and
// the per-frame step. Free of GL and of the system clock: the millisecond tick
// and the frame time are handed in, so the simulation steps deterministically.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MessageSink.h"
#include "ParticleSystem.h"

struct SpriteModel;  // owned by the sprite loader

namespace gx {

using ::MessageSink;  // the shared sink type, also reachable as gx::MessageSink

// Display lists holding the render state of each mode (compiled by the device).
enum : int32_t {
    kListAdditive = 500,
    kListAlphaTest = 501,
    kListTexture = 502,
    kListColour = 503,
    kListResetAfterParticles = 504,
};

// Largest pool the renderer asks for; beyond it the pool counts as out of memory.
inline constexpr int32_t kMaxPoolParticles = 1 << 24;

struct Vec3 {
    float x, y, z;
};

struct TypeLink;

// A range converted to single precision: lo + k * span / 32767 for a draw k.
struct FloatRange {
    float lo, span;
};

// The ranges a particle's step may draw, converted once per frame step (the
// record does not change during one) instead of at every draw.
struct StepRanges {
    FloatRange bounce, bouncefriction, sprayrate;
};

struct Particle {
    Particle *next;          // active or free list
    Particle *overlayChild;  // valid only while overlaySerial matches the child's serial
    TypeLink *typeLink;
    uint32_t serial;  // changes whenever the particle is taken or freed
    uint32_t overlaySerial;
    Vec3 origin;
    Vec3 offset;
    Vec3 velocity;
    Vec3 acceleration;
    Vec3 windVelocity;
    float colour[3];
    float colourDelta[3];
    float alpha, alphaDelta;
    float frame, frameRate;
    float angle, angleDelta;
    float size, sizeDelta;
    float drag;
    float age;
    float lifetime;       // negative: never ends
    float nextSprayTime;  // 0: never sprays
};

struct TypeLink {
    const ParticleType *type;
    int32_t bounceEnabled;
    int32_t renderList;  // 0 until the render modes are read
    char spriteName[kParticleTextSize];
    SpriteModel *sprite;
    int32_t drawable;
    TypeLink *sprayLink;
    TypeLink *overlayLink;
    TypeLink *next;
    StepRanges stepRanges;
};

// How sprites are obtained and given back; both may be null (no sprites).
struct SpriteHooks {
    SpriteModel *(*load)(const char *name);
    void (*release)(SpriteModel *sprite);
};

struct SimState {
    int32_t capacity;
    int32_t liveCount;
    Particle *activeHead;
    Particle *pool;
    Particle *freeHead;
    Particle *emitter;
    uint32_t emitterSerial;
    TypeLink *typeLinks;  // list head: the last used type first
    TypeLink *mainLink;
    const ParticleSystem *record;
    TypeLink links[kMaxParticleTypes];  // storage of the list
    uint32_t randomState;               // linear congruential generator
    uint32_t (*tickCount)();            // millisecond tick source; null reads 0
    uint32_t tick;                      // the tick, read once per frame step
    SpriteHooks sprites;
    MessageSink message;  // where "Out of memory" goes; empty: nowhere
    double effectTime;    // seconds of simulation since the pool was last emptied
};

// ---- angles in whole degrees ----
void FillCosTable();
const float *CosTable();          // 450 entries, cos(i degrees)
int WholeDegrees(float degrees);  // truncation toward zero; far angles wrapped modulo 360
float CosDeg(int degrees);
float CosDeg90(int degrees);  // cos(degrees + 90)

// ---- random values ----
// Reads the millisecond tick that reseeds the generator. A frame step reads it
// once: a clock read per random draw would cost more than the whole step.
void RefreshTick(SimState &sim);

// Record values may be anything; converting an out-of-range double to float is
// undefined, so clamp first (NaN passes through unchanged).
inline float ToFloat(double value)
{
    if (value > 3.4028234663852886e38)
        return 3.4028234663852886e38f;
    if (value < -3.4028234663852886e38)
        return -3.4028234663852886e38f;
    return static_cast<float>(value);
}

inline uint32_t NextRandom(SimState &sim)  // 0..32767
{
    sim.randomState = sim.randomState * 214013u + 2531011u;
    return (sim.randomState >> 16) & 0x7FFFu;
}

// Inline: a birth draws a dozen ranges or more. The frame step draws through
// an equivalent form of its own (same values, same generator state).
inline float RandomInRange(SimState &sim, const ParamRange &range)
{
    const float lo = ToFloat(range.min);
    const float hi = ToFloat(range.max);
    const uint32_t k1 = NextRandom(sim);
    const uint32_t k2 = NextRandom(sim);
    sim.randomState = k1 * k2 + sim.tick;
    const uint32_t k = NextRandom(sim);
    return lo + static_cast<float>(k) * (hi - lo) * (1.0f / 32767.0f);
}

// ---- state and pool ----
// Sets the defaults of a fresh library: a pool of 100 particles, seed 1.
bool CreateSimState(SimState &sim, SpriteHooks hooks, MessageSink message, uint32_t (*tickCount)());
void DestroySimState(SimState &sim);  // frees pool and TypeLinks with their sprites
bool ResizePool(SimState &sim, int32_t count);
Particle *TakeParticle(SimState &sim);
bool IsAlive(const Particle *p, uint32_t serial);
Particle *OverlayChild(const Particle &p);  // null once the child went back to the pool

// ---- birth and step ----
Particle *Spawn(SimState &sim, TypeLink *link);
void InitParticle(SimState &sim, Particle &p, TypeLink *link);
bool StepParticle(SimState &sim, Particle &p, float dt);  // true: alive
bool FrameStep(SimState &sim, float frameTime);           // true: ran
// Every particle back to the free list and the effect's time to 0: the next
// frame step spawns the emitter again, as after a load.
void RestartEffect(SimState &sim);

// ---- record attachment (the exports of the same names) ----
void UpdateParticles(SimState &sim, const ParticleSystem *record);
void ReallocParticles(SimState &sim);
void UpdateTypes(SimState &sim);
void RelinkTypes(SimState &sim);
void UpdateRendermode(SimState &sim);
void UpdateTextures(SimState &sim);
void ReleaseSprites(SimState &sim);  // the device closes: textures go, names stay

TypeLink *FindTypeLink(const SimState &sim, const char *name);
int32_t RenderListForMode(const char *rendermode);

}  // namespace gx
