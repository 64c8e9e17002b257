#pragma once
// Resources a test makes up: any name with any bytes, or found but not
// mappable. Type "FW" only, with the system's error codes for the rest; every
// name asked for is recorded.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "seams/Resources.h"

class FakeResources final : public Resources {
 public:
  void Add(const std::string& name, std::vector<uint8_t> bytes) {
    unmapped_.erase(name);
    mapped_[name] = std::move(bytes);
  }
  void AddUnmapped(const std::string& name, uint32_t size) {
    mapped_.erase(name);
    unmapped_[name] = size;
  }

  ResourceLookup Find(const char* name, const char* type) override {
    lookups.emplace_back(name);
    ResourceLookup lookup;
    lookup.lastError = std::strcmp(type, "FW") != 0 ? 1813 : 1814;
    if (lookup.lastError == 1813) return lookup;
    if (const auto found = mapped_.find(name); found != mapped_.end()) {
      lookup = {true, 0, static_cast<uint32_t>(found->second.size()), found->second.data()};
    } else if (const auto unmapped = unmapped_.find(name); unmapped != unmapped_.end()) {
      lookup = {true, 0, unmapped->second, nullptr};
    }
    return lookup;
  }

  std::vector<std::string> lookups;

 private:
  std::map<std::string, std::vector<uint8_t>> mapped_;
  std::map<std::string, uint32_t> unmapped_;
};
