#include "support/update_signing_win.h"

#include "platform/handles_win.h"
#include "platform/win.h"

#include <bcrypt.h>

#include <stdexcept>

#include "update/test_signing_key.h"
#include "update/update_crypto_win.h"

namespace quorvel::testing {

namespace {

// A scoped find handle.
class Find {
 public:
  Find(const std::string& pattern, WIN32_FIND_DATAA* data)
      : handle_(::FindFirstFileA(pattern.c_str(), data)) {}
  ~Find() {
    if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
  }
  Find(const Find&) = delete;
  Find& operator=(const Find&) = delete;
  bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA* data) { return ::FindNextFileA(handle_, data); }

 private:
  HANDLE handle_;
};

}  // namespace

std::string SignInfo(const std::string& content) {
  auto digest = update::Sha256Of(content);
  if (!digest) throw std::runtime_error("SHA-256 is not available");
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0)
    throw std::runtime_error("ECDSA P-256 is not available");
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 96];
  auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob);
  header->dwMagic = BCRYPT_ECDSA_PRIVATE_P256_MAGIC;
  header->cbKey = 32;
  unsigned char* p = blob + sizeof(BCRYPT_ECCKEY_BLOB);
  std::copy(update::kUpdateKeyX, update::kUpdateKeyX + 32, p);
  std::copy(update::kUpdateKeyY, update::kUpdateKeyY + 32, p + 32);
  std::copy(update::kUpdateKeyD, update::kUpdateKeyD + 32, p + 64);
  BCRYPT_KEY_HANDLE key = nullptr;
  NTSTATUS status =
      ::BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key, blob, sizeof blob, 0);
  unsigned char signature[64];
  ULONG length = 0;
  if (status == 0)
    status =
        ::BCryptSignHash(key, nullptr, digest->data(), 32, signature, sizeof signature, &length, 0);
  if (key) ::BCryptDestroyKey(key);
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
  if (status != 0 || length != 64) throw std::runtime_error("the test key could not sign");
  return content + std::string(update::kSignatureKey) + update::HexText(signature, 64) + "\r\n";
}

std::string HashLine(const std::string& key, const std::string& bytes) {
  auto digest = update::Sha256Of(bytes);
  if (!digest) throw std::runtime_error("SHA-256 is not available");
  return "#hash" + key + "=" + update::HexText(digest->data(), 32) + "," +
         std::to_string(bytes.size()) + "\r\n";
}

std::vector<std::string> UpdtmpFiles(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA data;
  Find find(folder + "*.updtmp", &data);
  if (!find.Found()) return out;
  do out.push_back(data.cFileName);
  while (find.Next(&data));
  return out;
}

}  // namespace quorvel::testing
