// Particle steps per second of a spraying effect, single thread, against a
// strict floor that makes every load and store of a step in the same order,
// and of an effect whose particles die and are born every step.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

#include "BenchEffect.h"
#include "ParticleSim.h"

namespace {

uint32_t MonotonicTick()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

constexpr float kFrame = 1.0f / 60.0f;

// Brings the effect to exactly `count` live particles.
void Fill(gx::SimState &sim, ParticleSystem &rec, int count)
{
    gx::CreateSimState(sim, gx::SpriteHooks{nullptr, nullptr}, nullptr,
                       std::getenv("NOTICK") ? nullptr : MonotonicTick);
    SprayingEffect(rec, count, nullptr);
    gx::UpdateParticles(sim, &rec);
    gx::FrameStep(sim, kFrame);
    gx::TypeLink *drop = gx::FindTypeLink(sim, "drop");
    while (gx::Particle *p = gx::Spawn(sim, drop)) {
        p->origin.z = static_cast<float>(gx::NextRandom(sim) % 200);
        p->velocity = {static_cast<float>(gx::NextRandom(sim) % 100) - 50.0f,
                       static_cast<float>(gx::NextRandom(sim) % 100) - 50.0f,
                       static_cast<float>(gx::NextRandom(sim) % 200)};
    }
    gx::FrameStep(sim, kFrame);
}

void BM_SimulationStep(benchmark::State &state)
{
    gx::SimState sim;
    ParticleSystem rec;
    Fill(sim, rec, static_cast<int>(state.range(0)));
    int64_t steps = 0;
    for (auto _ : state) {
        gx::FrameStep(sim, kFrame);
        steps += sim.liveCount;
    }
    state.SetItemsProcessed(steps);
    state.counters["live"] = sim.liveCount;
    gx::DestroySimState(sim);
}

// Drops live 1 to 2 s and spray while the pool has room, so every step frees
// some particles and takes as many again; a few seconds of it leave the
// active list in the order births and deaths give it, spread over the pool.
void Churn(gx::SimState &sim, ParticleSystem &rec)
{
    BenchRange(rec.types[1].lifetime, 1.0, 2.0);
    for (gx::Particle *p = sim.activeHead; p; p = p->next)
        if (p != sim.emitter)
            p->lifetime = 1.0f + static_cast<float>(gx::NextRandom(sim)) / 32767.0f;
    for (int i = 0; i < 180; ++i)
        gx::FrameStep(sim, kFrame);
}

// The strict floor of one step: the same walk over the same particles with
// every load and store a step must make (34 words read, 15 written per
// particle: links, age and lifetime, drag, velocity, wind, acceleration,
// position, spray time, size, alpha, colour, frame and angle with their
// deltas) and the plain arithmetic between them, without the rules (deaths,
// bounces, sprays, random draws, angle wrapping). Returns the particles
// walked; those past their lifetime are counted in `expired`.
int StrictFloorStep(gx::SimState &sim, int &expired)
{
    const float dt = kFrame;
    int walked = 0;
    expired = 0;
    for (gx::Particle *p = sim.activeHead; p; p = p->next, ++walked) {
        benchmark::DoNotOptimize(p->typeLink);
        p->age += dt;
        expired += p->lifetime >= 0.0f && p->age > p->lifetime;
        const float drag = p->drag * dt;
        p->velocity.x += (p->windVelocity.x - p->velocity.x) * drag + p->acceleration.x * dt;
        p->velocity.y += (p->windVelocity.y - p->velocity.y) * drag + p->acceleration.y * dt;
        p->velocity.z += (p->windVelocity.z - p->velocity.z) * drag + p->acceleration.z * dt;
        p->origin.x += p->velocity.x * dt;
        p->origin.y += p->velocity.y * dt;
        p->origin.z += p->velocity.z * dt;
        p->nextSprayTime = p->age > p->nextSprayTime ? p->age + 0.05f : p->nextSprayTime;
        p->size += p->sizeDelta * dt;
        p->alpha += p->alphaDelta * dt;
        p->colour[0] += p->colourDelta[0] * dt;
        p->colour[1] += p->colourDelta[1] * dt;
        p->colour[2] += p->colourDelta[2] * dt;
        p->frame += p->frameRate * dt;
        p->angle += p->angleDelta * dt;
    }
    return walked;
}

// Arg 1: 0 the filled effect, 1 after churning (the list as births and deaths leave it).
void BM_StrictFloor(benchmark::State &state)
{
    gx::SimState sim;
    ParticleSystem rec;
    Fill(sim, rec, static_cast<int>(state.range(0)));
    if (state.range(1))
        Churn(sim, rec);
    int64_t steps = 0;
    for (auto _ : state) {
        int expired = 0;
        steps += StrictFloorStep(sim, expired);
        benchmark::DoNotOptimize(expired);
    }
    state.SetItemsProcessed(steps);
    gx::DestroySimState(sim);
}

// Births and deaths in every step.
void BM_SimulationChurn(benchmark::State &state)
{
    gx::SimState sim;
    ParticleSystem rec;
    Fill(sim, rec, static_cast<int>(state.range(0)));
    Churn(sim, rec);
    int64_t steps = 0;
    for (auto _ : state) {
        gx::FrameStep(sim, kFrame);
        steps += sim.liveCount;
    }
    state.SetItemsProcessed(steps);

    // One more step, untimed, to count its deaths and births.
    std::vector<std::pair<gx::Particle *, uint32_t>> before;
    for (gx::Particle *p = sim.activeHead; p; p = p->next)
        before.emplace_back(p, p->serial);
    const int liveBefore = sim.liveCount;
    gx::FrameStep(sim, kFrame);
    int deaths = 0;
    for (const auto &[p, serial] : before)
        deaths += !gx::IsAlive(p, serial);
    state.counters["live"] = sim.liveCount;
    state.counters["deaths/step"] = deaths;
    state.counters["births/step"] = sim.liveCount - (liveBefore - deaths);
    gx::DestroySimState(sim);
}

}  // namespace

// Each size in turn: the step and its floor, the churning step and its floor.
void Sizes(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_SimulationStep)->Arg(10000)->Apply(Sizes);
BENCHMARK(BM_StrictFloor)->Args({10000, 0})->Apply(Sizes);
BENCHMARK(BM_SimulationChurn)->Arg(10000)->Apply(Sizes);
BENCHMARK(BM_StrictFloor)->Args({10000, 1})->Apply(Sizes);
BENCHMARK(BM_SimulationStep)->Arg(100000)->Apply(Sizes);
BENCHMARK(BM_StrictFloor)->Args({100000, 0})->Apply(Sizes);
BENCHMARK(BM_SimulationChurn)->Arg(100000)->Apply(Sizes);
BENCHMARK(BM_StrictFloor)->Args({100000, 1})->Apply(Sizes);
BENCHMARK(BM_SimulationStep)->Arg(1000000)->Apply(Sizes);
BENCHMARK(BM_StrictFloor)->Args({1000000, 0})->Apply(Sizes);

BENCHMARK_MAIN();
