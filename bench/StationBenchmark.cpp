// Wall time of updating N enclosures side by side (tq214 update --all's
// workers), each virtual enclosure taking a real chip's time to store a
// firmware piece. One after another would take N times as long as one; side
// by side should take about as long as one.

#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "cli/enclosure/RowResult.h"
#include "cli/update/ParallelUpdates.h"
#include "embedded/EmbeddedResources.h"
#include "seams/ConsoleShell.h"
#include "seams/Seams.h"
#include "sim/VirtualMachine.h"

namespace {

// The pace of the harness's enclosures: as real flash stores a 1024-byte piece.
constexpr int kPieceMs = 20;

class NoWaitShell final : public ConsoleShell {
 public:
  void Sleep(uint32_t) override {}
  int ShowMessageBox(const char*, const char*, uint32_t) override { return kIdOk; }
};

std::string EnclosurePath(int n) {
  return "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#" + std::to_string(n) +
         "&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

void BM_UpdateSideBySide(benchmark::State& state) {
  const int enclosures = static_cast<int>(state.range(0));
  const int pieceMs = static_cast<int>(state.range(1));
  NoWaitShell shell;
  EmbeddedResources resources;
  for (auto _ : state) {
    state.PauseTiming();
    VirtualMachine machine;
    for (int n = 0; n < enclosures; ++n) {
      VirtualEnclosure& chip = machine.AddDisk(EnclosurePath(n), VirtualEnclosure::Tbr640());
      chip.SetFirmwareVersion(21, 32, 0, 2);
    }
    machine.SetAfterCommand([pieceMs](const TraceEntry& entry) {
      if (entry.kind == CommandKind::kWriteBufferData) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pieceMs));
      }
    });
    ScopedSeams seams(Seams{&machine, &shell, &machine, &machine, &resources});
    std::ostringstream ignored;
    StreamProgress shown(ignored);
    MultiProgress progress(ignored, shown, false);
    state.ResumeTiming();

    {
      ParallelUpdates updates(progress, nullptr, nullptr, std::cerr);
      for (int n = 0; n < enclosures; ++n) {
        ExaminedEnclosure device;
        device.candidate.path = device.row.device = EnclosurePath(n);
        updates.Start(device);
      }
      updates.WaitAll();
      for (const ResultRow& row : updates.Collect()) {
        if (row.result != RowResult::kPass) state.SkipWithError("an update failed");
      }
    }
  }
  state.counters["enclosures"] = enclosures;
}
// The figures: 1, 2, 4 and 8 enclosures at a real chip's pace; and one
// without pacing, for the quick run in the tests.
BENCHMARK(BM_UpdateSideBySide)
    ->ArgsProduct({{1, 2, 4, 8}, {kPieceMs}})
    ->Args({1, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
BENCHMARK_MAIN();
