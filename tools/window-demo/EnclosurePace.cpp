#include "window-demo/EnclosurePace.h"

#include "seams/Seams.h"

EnclosurePace::EnclosurePace(VirtualMachine& machine, uint32_t writePieceMs, uint32_t readPieceMs)
    : machine_(machine), writePieceMs_(writePieceMs), readPieceMs_(readPieceMs) {}

void EnclosurePace::Install() {
  machine_.SetAfterCommand([this](const TraceEntry& entry) { AfterCommand(entry); });
}

void EnclosurePace::AfterCommand(const TraceEntry& entry) {
  if (entry.opened && !machine_.Present(entry.path)) {
    blockWritten_.erase(entry.path);
    if (onVanished) onVanished(entry.path);
    return;
  }
  if (!entry.ok()) return;
  switch (entry.kind) {
    case CommandKind::kWriteBufferData:
      ActiveShell().Sleep(writePieceMs_);
      break;
    case CommandKind::kReadBufferData:
      ActiveShell().Sleep(readPieceMs_);
      break;
    case CommandKind::kWriteBridgeMemory: {
      const VirtualEnclosure* chip = machine_.Find(entry.path);
      if (chip != nullptr && chip->downloadedBytes() >= kActivationSize) {
        blockWritten_.insert(entry.path);
      }
      break;
    }
    case CommandKind::kReadBridgeMemory:
      if (blockWritten_.erase(entry.path) != 0 && onUpdated) onUpdated(entry.path);
      break;
    default:
      break;
  }
}
