#include <windows.h>
// <bcrypt.h> uses the base types that <windows.h> declares.
#include <bcrypt.h>

#include <vector>

#include "platform/Sha256.h"

namespace {

class AlgorithmHandle {
 public:
  AlgorithmHandle() {
    if (BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
      handle_ = nullptr;
    }
  }
  ~AlgorithmHandle() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  AlgorithmHandle(const AlgorithmHandle&) = delete;
  AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

bool ComputeSha256(const uint8_t* data, size_t size, Sha256Digest* digest) {
  AlgorithmHandle algorithm;
  if (algorithm.get() == nullptr || size > ULONG_MAX) return false;
  // The hash object's storage is the caller's on systems before Windows 7.
  DWORD objectSize = 0;
  ULONG got = 0;
  if (BCryptGetProperty(algorithm.get(), BCRYPT_OBJECT_LENGTH,
                        reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize, &got, 0) != 0) {
    return false;
  }
  std::vector<UCHAR> object(objectSize);
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCryptCreateHash(algorithm.get(), &hash, object.data(), objectSize, nullptr, 0, 0) != 0) {
    return false;
  }
  const bool ok =
      BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) == 0 &&
      BCryptFinishHash(hash, digest->data(), static_cast<ULONG>(digest->size()), 0) == 0;
  BCryptDestroyHash(hash);
  return ok;
}
