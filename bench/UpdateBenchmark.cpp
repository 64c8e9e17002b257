// Host time of a whole update against the zero-latency virtual enclosure:
// download, read-back, compare and the configuration block patch. A real chip
// needs about a millisecond per command over USB 2.0, so these figures show
// how small the tool's own share of an update is.

#include <benchmark/benchmark.h>

#include "engine/ConfigBlock.h"
#include "engine/FirmwareDownload.h"
#include "embedded/EmbeddedResources.h"
#include "seams/ConsoleShell.h"
#include "seams/Seams.h"
#include "sim/Scenarios.h"
#include "sim/VirtualMachine.h"

namespace {

class NoWaitShell final : public ConsoleShell {
 public:
  void Sleep(uint32_t) override {}
  int ShowMessageBox(const char*, const char*, uint32_t) override { return kIdOk; }
};

void BM_WholeUpdate(benchmark::State& state) {
  NoWaitShell shell;
  EmbeddedResources resources;
  size_t commands = 0;
  for (auto _ : state) {
    state.PauseTiming();
    VirtualMachine machine;
    BuildScenario("outdated", machine);
    ScopedSeams seams(Seams{&machine, &shell, &machine, &machine, &resources});
    state.ResumeTiming();

    const bool ok =
        UpdateFirmware(kScenarioEnclosurePath) && PatchConfigBlock(kScenarioEnclosurePath);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("the update failed");

    state.PauseTiming();
    commands = machine.trace().size();
    state.ResumeTiming();
  }
  state.counters["commands"] = static_cast<double>(commands);
  state.counters["per_command"] =
      benchmark::Counter(static_cast<double>(commands) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WholeUpdate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
