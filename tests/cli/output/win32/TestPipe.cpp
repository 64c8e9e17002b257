#include "cli/output/TestPipe.h"

#include <windows.h>

#include <algorithm>

#include "cli/output/win32/HandleSink.h"

namespace {

HANDLE HandleOf(std::intptr_t end) {
  return reinterpret_cast<HANDLE>(end);
}

}  // namespace

TestPipe::TestPipe() {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  CreatePipe(&read, &write, nullptr, 0);
  read_ = reinterpret_cast<std::intptr_t>(read);
  write_ = reinterpret_cast<std::intptr_t>(write);
}

std::unique_ptr<OutputSink> TestPipe::WritingSink() const {
  return MakeHandleSink(HandleOf(write_));
}

void TestPipe::CloseWriteEnd() const {
  CloseHandle(HandleOf(write_));
}

std::string TestPipe::ReadAll() const {
  std::string all;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(HandleOf(read_), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    all.append(buffer, got);
  }
  CloseHandle(HandleOf(read_));
  all.erase(std::remove(all.begin(), all.end(), '\r'), all.end());
  return all;
}
