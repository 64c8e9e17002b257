#include "engine/WriteSpan.h"

#include <utility>

#include "seams/Seams.h"

WriteSpan::WriteSpan(const std::string& path, std::unique_ptr<SystemGuard> held)
    : lock_(held ? TakenLock(std::move(held)) : ActiveSystemGuards().LockEnclosure(path.c_str())) {
  if (lock_.taken()) awake_ = ActiveSystemGuards().KeepAwake(&awakeNote_);
}
