#include <windows.h>
// <bcrypt.h> uses the base types that <windows.h> declares.
#include <bcrypt.h>

#include <vector>

#include "platform/Sha256.h"
#include "platform/win32/Win32DllSearch.h"

namespace {

// bcrypt.dll is no KnownDLL: loaded from the system folder on first use.
struct Bcrypt {
  HMODULE dll = LoadSystemDll(L"bcrypt.dll");
  decltype(&BCryptOpenAlgorithmProvider) open =
      DllFunction<decltype(open)>(dll, "BCryptOpenAlgorithmProvider");
  decltype(&BCryptCloseAlgorithmProvider) close =
      DllFunction<decltype(close)>(dll, "BCryptCloseAlgorithmProvider");
  decltype(&BCryptGetProperty) getProperty =
      DllFunction<decltype(getProperty)>(dll, "BCryptGetProperty");
  decltype(&BCryptCreateHash) createHash =
      DllFunction<decltype(createHash)>(dll, "BCryptCreateHash");
  decltype(&BCryptHashData) hashData = DllFunction<decltype(hashData)>(dll, "BCryptHashData");
  decltype(&BCryptFinishHash) finishHash =
      DllFunction<decltype(finishHash)>(dll, "BCryptFinishHash");
  decltype(&BCryptDestroyHash) destroyHash =
      DllFunction<decltype(destroyHash)>(dll, "BCryptDestroyHash");

  bool complete() const {
    return open && close && getProperty && createHash && hashData && finishHash && destroyHash;
  }
};

const Bcrypt& System() {
  static const Bcrypt bcrypt;
  return bcrypt;
}

class AlgorithmHandle {
 public:
  AlgorithmHandle() {
    if (System().open(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) handle_ = nullptr;
  }
  ~AlgorithmHandle() {
    if (handle_) System().close(handle_, 0);
  }
  AlgorithmHandle(const AlgorithmHandle&) = delete;
  AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

bool ComputeSha256(const uint8_t* data, size_t size, Sha256Digest* digest) {
  const Bcrypt& bcrypt = System();
  if (!bcrypt.complete()) return false;
  AlgorithmHandle algorithm;
  if (algorithm.get() == nullptr || size > ULONG_MAX) return false;
  // The hash object's storage is the caller's on systems before Windows 7.
  DWORD objectSize = 0;
  ULONG got = 0;
  if (bcrypt.getProperty(algorithm.get(), BCRYPT_OBJECT_LENGTH,
                         reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize, &got, 0) != 0) {
    return false;
  }
  std::vector<UCHAR> object(objectSize);
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (bcrypt.createHash(algorithm.get(), &hash, object.data(), objectSize, nullptr, 0, 0) != 0) {
    return false;
  }
  const bool ok =
      bcrypt.hashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) == 0 &&
      bcrypt.finishHash(hash, digest->data(), static_cast<ULONG>(digest->size()), 0) == 0;
  bcrypt.destroyHash(hash);
  return ok;
}
