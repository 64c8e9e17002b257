// A session file read where memory runs out: the reader says so in one line
// and keeps nothing. A program of its own, because it replaces the allocator
// of every test that runs in it: while a ceiling is set, any allocation above
// it fails as it would on a machine out of memory.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <utility>

#include "session/SessionReader.h"

namespace {

size_t gCeiling = 0;

void* Allocate(std::size_t size) {
  if (gCeiling != 0 && size > gCeiling) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}

namespace {

TEST(SessionFile, WhatMemoryCannotHoldIsRefusedWithOneLine) {
  // Enough of the smallest events that their list outgrows the ceiling.
  std::string text =
      R"({"format":1,"program":"tq214","version":"1","firmware":{"version":"21.32.0.3",)"
      R"("kind":"k","sha256":"s"},"system":"s","placesKey":"driveLetters","started":"t",)"
      R"("arguments":[],"events":[)";
  for (int i = 0; i < 20000; ++i) text += R"({"kind":"logicalDrives","value":0},)";
  text.back() = ']';
  text += "}";
  const std::string path =
      (std::filesystem::temp_directory_path() / "tq214-out-of-memory.json").string();
  std::ofstream(path, std::ios::binary) << text;

  // The name the message gives, and how it is read.
  const std::pair<std::string, std::function<SessionLoad(Session*)>> cases[] = {
      {path, [&](Session* session) { return LoadSession(path, session); }},
      {"f.json", [&](Session* session) { return ParseSession(text, "f.json", session); }},
  };
  for (const auto& [name, read] : cases) {
    Session session;
    gCeiling = size_t{256} * 1024;
    const SessionLoad refused = read(&session);
    gCeiling = 0;
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(name + ": too large to read (out of memory)", refused.error);
    EXPECT_TRUE(session.events.empty());
    // The same reads where memory does not run out.
    const SessionLoad whole = read(&session);
    EXPECT_TRUE(whole.ok) << whole.error;
    EXPECT_EQ(20000u, session.events.size());
  }
  std::filesystem::remove(path);
}

}  // namespace
