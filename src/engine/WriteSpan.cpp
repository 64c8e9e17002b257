#include "engine/WriteSpan.h"

#include "seams/Seams.h"

WriteSpan::WriteSpan(const std::string& path)
    : lock_(ActiveSystemGuards().LockEnclosure(path.c_str())) {
  if (lock_) awake_ = ActiveSystemGuards().KeepAwake(&awakeNote_);
}
