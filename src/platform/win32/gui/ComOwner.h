#pragma once
// One reference to a COM object, released when the owner goes or takes
// another; the thread stays in its COM apartment until then, whatever else
// the window holds or in which order it lets go.

#include <objbase.h>

#include "platform/win32/gui/ComApartment.h"

template <typename Interface>
class ComOwner {
 public:
  ComOwner() = default;
  ~ComOwner() { Reset(); }
  ComOwner(const ComOwner&) = delete;
  ComOwner& operator=(const ComOwner&) = delete;

  // Makes the object of class `object` and holds its interface `id`; false,
  // holding nothing, when the system made none.
  bool Create(const CLSID& object, const IID& id) {
    Reset();
    void* made = nullptr;
    if (FAILED(CoCreateInstance(object, nullptr, CLSCTX_INPROC_SERVER, id, &made))) return false;
    object_ = static_cast<Interface*>(made);
    return true;
  }
  void Reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }

  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  // Declared first: the apartment is left only after the object is released.
  ComApartment apartment_;
  Interface* object_ = nullptr;
};
