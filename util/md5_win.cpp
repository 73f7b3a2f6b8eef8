// MD5 through the system's cryptography provider (BCrypt).
#include <windows.h>
// The Win32 headers above must come first.
#include <bcrypt.h>

#include <algorithm>

#include "util/hi.h"

namespace {

constexpr std::size_t kDigestSize = 16;

// The provider is opened once and kept: opening it is the costly part.
BCRYPT_ALG_HANDLE Md5Provider() {
  static const BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle, BCRYPT_MD5_ALGORITHM, nullptr, 0)))
      return BCRYPT_ALG_HANDLE{nullptr};
    return handle;
  }();
  return provider;
}

bool Digest(const std::string& bytes, unsigned char (&digest)[kDigestSize]) {
  BCRYPT_ALG_HANDLE provider = Md5Provider();
  if (provider == nullptr) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) return false;
  bool ok = true;
  // BCrypt takes at most 4 GiB per call.
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + done));
    ok = BCRYPT_SUCCESS(BCryptHashData(hash, data, chunk, 0));
    done += chunk;
  }
  ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, kDigestSize, 0));
  BCryptDestroyHash(hash);
  return ok;
}

}  // namespace

std::string THi::Md5Hex(const std::string& bytes) {
  unsigned char digest[kDigestSize] = {};
  if (!Digest(bytes, digest)) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * kDigestSize);
  for (unsigned char byte : digest) {
    hex.push_back(kHex[byte >> 4]);
    hex.push_back(kHex[byte & 0x0F]);
  }
  return hex;
}
