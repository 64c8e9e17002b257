#include "platform/Sha256.h"

#include <openssl/evp.h>

bool ComputeSha256(const uint8_t* data, size_t size, Sha256Digest* digest) {
  unsigned int length = 0;
  return EVP_Digest(data, size, digest->data(), &length, EVP_sha256(), nullptr) == 1 &&
         length == digest->size();
}
