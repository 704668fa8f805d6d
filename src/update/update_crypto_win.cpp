#include "update/update_crypto_win.h"

#include "platform/handles_win.h"
#include "platform/win.h"

#include <bcrypt.h>

#include "update/update_key.h"

namespace quorvel::update {

namespace {

// The few CNG functions the checks use, from the system folder's bcrypt.dll.
struct Cng {
  decltype(&::BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
  decltype(&::BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
  decltype(&::BCryptCreateHash) CreateHash = nullptr;
  decltype(&::BCryptHashData) HashData = nullptr;
  decltype(&::BCryptFinishHash) FinishHash = nullptr;
  decltype(&::BCryptDestroyHash) DestroyHash = nullptr;
  decltype(&::BCryptImportKeyPair) ImportKeyPair = nullptr;
  decltype(&::BCryptVerifySignature) VerifySignature = nullptr;
  decltype(&::BCryptDestroyKey) DestroyKey = nullptr;
  bool Loaded = false;
};

template <typename F>
void Resolve(HMODULE module, F& function, const char* name) {
  function = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const Cng& Bcrypt() {
  static const Cng cng = [] {
    Cng c;
    HMODULE module = ::LoadLibraryExA("bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return c;
    Resolve(module, c.OpenAlgorithmProvider, "BCryptOpenAlgorithmProvider");
    Resolve(module, c.CloseAlgorithmProvider, "BCryptCloseAlgorithmProvider");
    Resolve(module, c.CreateHash, "BCryptCreateHash");
    Resolve(module, c.HashData, "BCryptHashData");
    Resolve(module, c.FinishHash, "BCryptFinishHash");
    Resolve(module, c.DestroyHash, "BCryptDestroyHash");
    Resolve(module, c.ImportKeyPair, "BCryptImportKeyPair");
    Resolve(module, c.VerifySignature, "BCryptVerifySignature");
    Resolve(module, c.DestroyKey, "BCryptDestroyKey");
    c.Loaded = c.OpenAlgorithmProvider && c.CloseAlgorithmProvider && c.CreateHash && c.HashData &&
               c.FinishHash && c.DestroyHash && c.ImportKeyPair && c.VerifySignature &&
               c.DestroyKey;
    return c;
  }();
  return cng;
}

class Algorithm {
 public:
  explicit Algorithm(const wchar_t* name) {
    if (Bcrypt().Loaded && Bcrypt().OpenAlgorithmProvider(&handle_, name, nullptr, 0) != 0)
      handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) Bcrypt().CloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE Get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// An incremental SHA-256.
class Hasher {
 public:
  Hasher() : algorithm_(BCRYPT_SHA256_ALGORITHM) {
    if (algorithm_.Get() &&
        Bcrypt().CreateHash(algorithm_.Get(), &hash_, nullptr, 0, nullptr, 0, 0) != 0)
      hash_ = nullptr;
  }
  ~Hasher() {
    if (hash_) Bcrypt().DestroyHash(hash_);
  }
  Hasher(const Hasher&) = delete;
  Hasher& operator=(const Hasher&) = delete;
  bool Add(const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (hash_ && size > 0) {
      ULONG chunk = static_cast<ULONG>(size > (1u << 30) ? (1u << 30) : size);
      if (Bcrypt().HashData(hash_, const_cast<PUCHAR>(bytes), chunk, 0) != 0) return false;
      bytes += chunk;
      size -= chunk;
    }
    return hash_ != nullptr;
  }
  std::optional<Sha256Digest> Finish() {
    Sha256Digest digest{};
    if (!hash_ || Bcrypt().FinishHash(hash_, digest.data(), 32, 0) != 0) return std::nullopt;
    return digest;
  }

 private:
  Algorithm algorithm_;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

std::optional<Sha256Digest> Sha256Of(std::string_view bytes) {
  Hasher hasher;
  if (!hasher.Add(bytes.data(), bytes.size())) return std::nullopt;
  return hasher.Finish();
}

std::optional<FileHash> Sha256OfFile(const std::string& path) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  Hasher hasher;
  FileHash result;
  static constexpr DWORD kChunk = 1 << 16;
  std::string buffer(kChunk, '\0');
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), buffer.data(), kChunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (!hasher.Add(buffer.data(), got)) return std::nullopt;
    result.Size += got;
  }
  auto digest = hasher.Finish();
  if (!digest) return std::nullopt;
  result.Sha256 = *digest;
  return result;
}

bool VerifyP256Signature(std::string_view content, const InfoSignature& signature,
                         const unsigned char (&keyX)[32], const unsigned char (&keyY)[32]) {
  auto digest = Sha256Of(content);
  if (!digest) return false;
  Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa.Get()) return false;
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
  auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob);
  header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header->cbKey = 32;
  std::copy(keyX, keyX + 32, blob + sizeof(BCRYPT_ECCKEY_BLOB));
  std::copy(keyY, keyY + 32, blob + sizeof(BCRYPT_ECCKEY_BLOB) + 32);
  BCRYPT_KEY_HANDLE key = nullptr;
  if (Bcrypt().ImportKeyPair(ecdsa.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob, sizeof blob,
                             0) != 0)
    return false;
  NTSTATUS status = Bcrypt().VerifySignature(key, nullptr, digest->data(), 32,
                                             const_cast<PUCHAR>(signature.data()), 64, 0);
  Bcrypt().DestroyKey(key);
  return status == 0;
}

bool VerifyMakerSignature(std::string_view content, const InfoSignature& signature) {
  return VerifyP256Signature(content, signature, kUpdateKeyX, kUpdateKeyY);
}

std::optional<std::string_view> VerifiedInfoContent(std::string_view file) {
  auto signedInfo = SplitSignedInfo(file);
  if (!signedInfo || !VerifyMakerSignature(signedInfo->Content, signedInfo->Signature))
    return std::nullopt;
  return signedInfo->Content;
}

}  // namespace quorvel::update
