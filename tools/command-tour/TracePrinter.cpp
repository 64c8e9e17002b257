#include "command-tour/TracePrinter.h"

#include <cctype>

std::string HexBytes(const uint8_t* bytes, size_t count) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
    out += cell;
  }
  return out;
}

std::string PrintableText(const uint8_t* bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && bytes[i] != 0; ++i) {
    out += std::isprint(bytes[i]) ? static_cast<char>(bytes[i]) : '.';
  }
  return out;
}

void PrintTraceHeader(std::FILE* out) {
  std::fprintf(out, "%-3s %-23s %-35s %-4s %6s %5s  %s\n", "#", "command", "CDB", "dir", "bytes",
               "t/o", "result");
}

void PrintTraceEntry(std::FILE* out, const TraceEntry& entry, const std::string& note) {
  const std::string cdb = HexBytes(entry.cdb.data(), entry.cdb.size());
  const char* direction = entry.length == 0 ? "-" : entry.dataIn ? "in" : "out";
  char result[64];
  if (!entry.opened) {
    std::snprintf(result, sizeof result, "FAILED (cannot open, error %u)", entry.lastError);
  } else if (entry.ok()) {
    std::snprintf(result, sizeof result, "ok, %u bytes", entry.transferred);
  } else {
    std::snprintf(result, sizeof result, "FAILED (status 0x%02X, error %u)", entry.scsiStatus,
                  entry.lastError);
  }
  std::fprintf(out, "%-3u %-23s %-35s %-4s %6u %4us  %s%s%s\n", entry.sequence,
               CommandKindName(entry.kind), cdb.c_str(), direction, entry.length,
               entry.timeoutSeconds, result, note.empty() ? "" : "  ", note.c_str());
}
