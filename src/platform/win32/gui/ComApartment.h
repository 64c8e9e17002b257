#pragma once
// The window thread in a single-threaded COM apartment, for as long as the
// object lives: the taskbar list and the accessibility property service are
// COM objects. When COM cannot be had, nothing that uses it is shown.

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  const bool entered_;
};
