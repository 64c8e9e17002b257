#pragma once
// The constructing thread in a single-threaded COM apartment for as long as
// the object lives, when COM lets it in. A thread already in another kind of
// apartment stays in that one; a thread COM refuses can make no COM object,
// and whoever wanted one goes on without it. ComOwner.h holds one for each
// object it owns.

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  const bool entered_;
};
