// Particle steps per second of a spraying effect, single thread, against a
// loop that only reads and writes the same particle memory in the same order.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

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
    gx::CreateSimState(sim, gx::SpriteHooks{nullptr, nullptr}, nullptr, std::getenv("NOTICK") ? nullptr : MonotonicTick);
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

// The same walk over the same particles, touching position, velocity, age,
// colour, size and angle, without the simulation's rules.
void BM_MemoryOnlyLoop(benchmark::State &state)
{
    gx::SimState sim;
    ParticleSystem rec;
    Fill(sim, rec, static_cast<int>(state.range(0)));
    int64_t steps = 0;
    for (auto _ : state) {
        int live = 0;
        for (gx::Particle *p = sim.activeHead; p; p = p->next) {
            p->age += kFrame;
            p->origin.x += p->velocity.x;
            p->origin.z += p->velocity.z;
            p->colour[0] += p->colourDelta[0];
            p->size += p->sizeDelta;
            p->angle += p->angleDelta;
            ++live;
        }
        benchmark::DoNotOptimize(live);
        steps += live;
    }
    state.SetItemsProcessed(steps);
    gx::DestroySimState(sim);
}

}  // namespace

BENCHMARK(BM_SimulationStep)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryOnlyLoop)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
