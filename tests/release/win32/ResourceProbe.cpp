// Prints what Windows finds in a program file's resources, as the file's
// properties would show them:
//   version 1.0.0.1                 the fixed file version
//   OriginalFilename tq214.exe      and FileVersion, ProductVersion
//   icon MAINICON                   when the program has its icon
//   manifest <the text, one line>   its manifest
//
//   ResourceProbe PROGRAM.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void PrintVersion(const char* path) {
  const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
  std::vector<char> info(size);
  if (size == 0 || !GetFileVersionInfoA(path, 0, size, info.data())) return;
  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(info.data(), "\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    std::printf("version %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
  }
  for (const char* name : {"OriginalFilename", "FileVersion", "ProductVersion"}) {
    const std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (VerQueryValueA(info.data(), key.c_str(), &value, &length) && length > 0) {
      std::printf("%s %s\n", name, static_cast<const char*>(value));
    }
  }
}

void PrintResources(const char* path) {
  HMODULE module =
      LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return;
  if (FindResourceA(module, "MAINICON", RT_GROUP_ICON) != nullptr) {
    std::printf("icon MAINICON\n");
  }
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
  HGLOBAL loaded = manifest ? LoadResource(module, manifest) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes != nullptr) {
    std::string text(bytes, SizeofResource(module, manifest));
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::printf("manifest %s\n", text.c_str());
  }
  FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ResourceProbe PROGRAM.exe\n");
    return 2;
  }
  PrintVersion(argv[1]);
  PrintResources(argv[1]);
  return 0;
}
