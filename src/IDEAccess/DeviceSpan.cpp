#include "IDEAccess/DeviceSpan.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "seams/AsciiCase.h"
#include "seams/Seams.h"

// One open handle and who shares it. A span made under one backend binds
// nothing for another (tests change the seams in force).
struct SpanBinding {
  ScsiBackend* backend = nullptr;
  std::string path;
  std::string key;  // the path without regard to case, as the system names devices
  std::unique_ptr<DeviceHandle> handle;
  DeviceIdentity identity;
  bool identified = false;  // the system told what the handle stands for
};

namespace {

std::mutex gSpansLock;
std::vector<std::weak_ptr<SpanBinding>> gSpans;

// Under gSpansLock.
std::shared_ptr<SpanBinding> FindSpan(const ScsiBackend* backend, const std::string& key) {
  for (const std::weak_ptr<SpanBinding>& weak : gSpans) {
    std::shared_ptr<SpanBinding> binding = weak.lock();
    if (binding && binding->backend == backend && binding->key == key) return binding;
  }
  return nullptr;
}

std::shared_ptr<SpanBinding> OpenSpan(const std::string& path) {
  ScsiBackend& backend = ActiveScsiBackend();
  const std::string key = AsciiLower(path);
  {
    std::lock_guard<std::mutex> guard(gSpansLock);
    if (std::shared_ptr<SpanBinding> joined = FindSpan(&backend, key)) return joined;
  }
  auto binding = std::make_shared<SpanBinding>();
  binding->backend = &backend;
  binding->path = path;
  binding->key = key;
  if (backend.KeepsHandles()) {
    // Opened outside the lock: an open may take the system a while.
    binding->handle = backend.OpenHandle(path.c_str());
    binding->identified = binding->handle && binding->handle->openError == 0 &&
                          backend.IdentifyHandle(*binding->handle, &binding->identity);
    if (!binding->identified) binding->identity = DeviceIdentity{};
  }
  std::lock_guard<std::mutex> guard(gSpansLock);
  // Another thread may have opened one meanwhile: there is one handle a path.
  if (std::shared_ptr<SpanBinding> joined = FindSpan(&backend, key)) return joined;
  gSpans.erase(std::remove_if(gSpans.begin(), gSpans.end(),
                              [](const std::weak_ptr<SpanBinding>& w) { return w.expired(); }),
               gSpans.end());
  if (binding->handle) gSpans.push_back(binding);
  return binding;
}

}  // namespace

DeviceSpan::DeviceSpan(const std::string& path) : binding_(OpenSpan(path)) {}

DeviceSpan::~DeviceSpan() = default;

const std::string& DeviceSpan::path() const {
  return binding_->path;
}

bool DeviceSpan::bound() const {
  return binding_->handle != nullptr;
}

bool DeviceSpan::opened() const {
  return !bound() || binding_->handle->openError == 0;
}

uint32_t DeviceSpan::openError() const {
  return bound() ? binding_->handle->openError : 0;
}

const DeviceIdentity& DeviceSpan::identity() const {
  return binding_->identity;
}

bool DeviceSpan::StillThere() const {
  if (!bound()) return true;
  if (!opened()) return false;
  // A system that could not tell at first cannot tell now: the handle alone
  // keeps the commands from another unit.
  if (!binding_->identified) return true;
  DeviceIdentity now;
  return binding_->backend->IdentifyHandle(*binding_->handle, &now) && now == binding_->identity;
}

std::shared_ptr<DeviceHandle> BoundHandle(const char* path) {
  if (path == nullptr) return nullptr;
  const ScsiBackend* backend = &ActiveScsiBackend();
  const std::string key = AsciiLower(path);
  std::lock_guard<std::mutex> guard(gSpansLock);
  std::shared_ptr<SpanBinding> binding = FindSpan(backend, key);
  if (!binding) return nullptr;
  // Shares the binding's life: the handle stays open while a command uses it.
  return std::shared_ptr<DeviceHandle>(binding, binding->handle.get());
}
