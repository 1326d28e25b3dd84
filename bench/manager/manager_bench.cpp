// Reads, writes and checks a script of ten fully specified types through the
// plug-in and compares them with a plain copy of the same text, measured in one run.
//
//   manager_bench [--save-script FILE] [benchmark options]
#include <dlfcn.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ManagerApi.h"

namespace {

struct Plugin {
    embLoadMemoryFileFn load = nullptr;
    embSaveMemoryFileFn save = nullptr;
    embGetDefaultsFn defaults = nullptr;
    embCheckMemoryFileFn check = nullptr;  // optional
};

Plugin g_plugin;
std::unique_ptr<ParticleSystem> g_record;
std::string g_script;

bool BindPlugin()
{
    void *library = ::dlopen(MANAGER_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", MANAGER_PLUGIN_PATH, ::dlerror());
        return false;
    }
    g_plugin.load = reinterpret_cast<embLoadMemoryFileFn>(::dlsym(library, "embLoadMemoryFile"));
    g_plugin.save = reinterpret_cast<embSaveMemoryFileFn>(::dlsym(library, "embSaveMemoryFile"));
    g_plugin.defaults = reinterpret_cast<embGetDefaultsFn>(::dlsym(library, "embGetDefaults"));
    g_plugin.check = reinterpret_cast<embCheckMemoryFileFn>(::dlsym(library, "embCheckMemoryFile"));
    return g_plugin.load != nullptr && g_plugin.save != nullptr && g_plugin.defaults != nullptr;
}

// Ten types with every key present: texts, words, offset, and a mix of
// single values and ranges over several magnitudes.
void BuildScript()
{
    g_record = std::make_unique<ParticleSystem>();
    ParticleSystem &record = *g_record;
    g_plugin.defaults(&record);
    record.typeCount = 10;
    record.particles = 4000;
    record.attachment.present = 1;
    record.attachment.value = 1;
    std::strcpy(record.maintype, "effect0");
    const char *const modes[] = {"kRenderTransAdd", "kRenderTransAlpha", "kRenderTransTexture",
                                 "kRenderTransColor"};
    double seed = 0.37;
    auto next = [&seed] {
        seed = seed * 3.7 - static_cast<int>(seed * 3.7) + 0.013;
        return seed;
    };
    for (int k = 0; k < 10; ++k) {
        ParticleType &type = record.types[k];
        std::snprintf(type.name, sizeof type.name, "effect%d", k);
        type.sprite.present = type.spraytype.present = type.overlaytype.present = 1;
        std::snprintf(type.sprite.text, sizeof type.sprite.text, "sprites/effect%d_glow.spr", k);
        std::snprintf(type.spraytype.text, sizeof type.spraytype.text, "effect%d", (k + 1) % 10);
        std::snprintf(type.overlaytype.text, sizeof type.overlaytype.text, "effect%d", (k + 2) % 10);
        type.rendermode.present = type.drawcondition.present = type.killcondition.present = 1;
        std::strcpy(type.rendermode.text, modes[k % 4]);
        std::strcpy(type.drawcondition.text, "CONTENT_EMPTY");
        std::strcpy(type.killcondition.text, "CONTENT_SOLID");
        type.offset.present = 1;
        type.offset.x = next() * 10;
        type.offset.y = -next() * 100;
        type.offset.z = next() * 1e6;
        int i = 0;
        for (ParamRange *range :
             {&type.gravity,    &type.windyaw,       &type.windstrength, &type.startalpha, &type.endalpha,
              &type.startred,   &type.endred,        &type.startgreen,   &type.endgreen,   &type.startblue,
              &type.endblue,    &type.startsize,     &type.sizedelta,    &type.endsize,    &type.startangle,
              &type.angledelta, &type.startframe,    &type.framerate,    &type.endframe,   &type.lifetime,
              &type.sprayrate,  &type.sprayforce,    &type.spraypitch,   &type.sprayyaw,   &type.drag,
              &type.bounce,     &type.bouncefriction}) {
            range->present = 1;
            range->min = next() * (i % 3 == 0 ? 1.0 : 360.0);
            range->max = (i % 2 == 0) ? range->min : range->min + next() * 50.0;
            ++i;
        }
    }
    std::vector<char> buffer(1 << 16);
    g_plugin.save(buffer.data(), static_cast<int32_t>(buffer.size()), nullptr, &record);
    g_script.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

void BM_ReadScript(benchmark::State &state)
{
    auto record = std::make_unique<ParticleSystem>();
    for (auto _ : state) {
        g_plugin.load(g_script.c_str(), record.get());
        benchmark::DoNotOptimize(record.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_script.size()));
}

void BM_WriteScript(benchmark::State &state)
{
    // The editor's buffer would cut this script; give the writer room for all of it.
    std::vector<char> buffer(g_script.size() + 1);
    for (auto _ : state) {
        g_plugin.save(buffer.data(), static_cast<int32_t>(buffer.size()), nullptr, g_record.get());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_script.size()));
}

// The editor checks the pane's text as the user types; the report buffer is
// the size it would give.
void BM_CheckScript(benchmark::State &state)
{
    if (g_plugin.check == nullptr) {
        state.SkipWithError("the plug-in offers no check");
        return;
    }
    std::vector<char> report(1 << 16);
    int32_t findings = 0;
    for (auto _ : state) {
        findings = g_plugin.check(g_script.c_str(), report.data(), static_cast<int32_t>(report.size()));
        benchmark::DoNotOptimize(report.data());
        benchmark::ClobberMemory();
    }
    state.counters["findings"] = findings;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_script.size()));
}

void BM_CopyText(benchmark::State &state)
{
    std::vector<char> buffer(g_script.size() + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_script.data());
        std::memcpy(buffer.data(), g_script.data(), g_script.size() + 1);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_script.size()));
}

BENCHMARK(BM_ReadScript);
BENCHMARK(BM_WriteScript);
BENCHMARK(BM_CheckScript);
BENCHMARK(BM_CopyText);

// Prints as usual and keeps each benchmark's CPU time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                seconds_[run.run_name.function_name] = run.cpu_accumulated_time /
                                                       static_cast<double>(run.iterations);
        }
    }

    double Seconds(const std::string &name) const
    {
        const auto it = seconds_.find(name);
        return it == seconds_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char **argv)
{
    const char *saveTo = nullptr;
    if (argc >= 3 && std::strcmp(argv[1], "--save-script") == 0) {
        saveTo = argv[2];
        argv[2] = argv[0];
        argv += 2;
        argc -= 2;
    }
    benchmark::Initialize(&argc, argv);
    if (!BindPlugin())
        return 1;
    BuildScript();
    if (saveTo != nullptr) {
        if (std::FILE *file = std::fopen(saveTo, "wb")) {
            std::fwrite(g_script.data(), 1, g_script.size(), file);
            std::fclose(file);
        }
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double bytes = static_cast<double>(g_script.size());
    const double read = reporter.Seconds("BM_ReadScript");
    const double write = reporter.Seconds("BM_WriteScript");
    const double copy = reporter.Seconds("BM_CopyText");
    if (read <= 0 || write <= 0 || copy <= 0)
        return 0;  // filtered out
    const auto mbps = [bytes](double seconds) { return bytes / seconds / 1e6; };
    std::printf("\nscript of ten fully specified types: %zu bytes\n", g_script.size());
    std::printf("read   %9.1f MB/s   %6.1f times slower than memcpy\n", mbps(read), read / copy);
    std::printf("write  %9.1f MB/s   %6.1f times slower than memcpy\n", mbps(write), write / copy);
    const double check = reporter.Seconds("BM_CheckScript");
    if (check > 0)
        std::printf("check  %9.1f MB/s   %6.1f times slower than memcpy, %.3f ms a script, %.2f times a "
                    "read\n",
                    mbps(check), check / copy, check * 1e3, check / read);
    std::printf("memcpy %9.1f MB/s\n", mbps(copy));
    return 0;
}
