// What one undoable step costs: an inspector-sized change (one value) and a
// whole-record change (a script Update), each with its undo and redo,
// against a plain copy of the 32 KB record measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "uDocument.h"

namespace {

void FillRecord(ParticleSystem &record, unsigned char seed)
{
    auto *bytes = reinterpret_cast<unsigned char *>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        bytes[i] = static_cast<unsigned char>(seed + i * 7);
}

void BM_CopyRecord(benchmark::State &state)
{
    auto a = std::make_unique<ParticleSystem>();
    auto b = std::make_unique<ParticleSystem>();
    FillRecord(*a, 1);
    for (auto _ : state) {
        std::memcpy(static_cast<void *>(b.get()), a.get(), sizeof *a);
        benchmark::DoNotOptimize(b.get());
        benchmark::ClobberMemory();
    }
}

void BM_OneValueStepUndoRedo(benchmark::State &state)
{
    Document doc;
    FillRecord(doc.record, 1);
    double value = 0;
    for (auto _ : state) {
        doc.Change("Gravity", [&](ParticleSystem &record) { record.types[3].gravity.min = ++value; });
        doc.Undo();
        doc.Redo();
    }
    state.counters["steps kept"] = static_cast<double>(doc.history().StepCount());
    state.counters["bytes kept"] = static_cast<double>(doc.history().Bytes());
}

void BM_WholeRecordStepUndoRedo(benchmark::State &state)
{
    Document doc;
    auto other = std::make_unique<ParticleSystem>();
    FillRecord(doc.record, 1);
    unsigned char seed = 2;
    for (auto _ : state) {
        FillRecord(*other, seed++);
        doc.Change("Update", [&](ParticleSystem &record) { record = *other; });
        doc.Undo();
        doc.Redo();
    }
    state.counters["steps kept"] = static_cast<double>(doc.history().StepCount());
    state.counters["bytes kept"] = static_cast<double>(doc.history().Bytes());
}

}  // namespace

BENCHMARK(BM_CopyRecord);
BENCHMARK(BM_OneValueStepUndoRedo);
BENCHMARK(BM_WholeRecordStepUndoRedo);
BENCHMARK_MAIN();
