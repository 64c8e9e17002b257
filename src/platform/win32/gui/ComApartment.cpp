#include "platform/win32/gui/ComApartment.h"

#include <objbase.h>

// S_FALSE: the thread was in this apartment already; it must still leave once.
// A thread in another kind of apartment keeps it and may use COM.
ComApartment::ComApartment()
    : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
  if (entered_) CoUninitialize();
}
