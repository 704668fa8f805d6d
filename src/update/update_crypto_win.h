#pragma once
// The SHA-256 hashes and the ECDSA P-256 signature check of updates, with Windows' own CNG
// (bcrypt.dll, loaded from the system folder only, so that neither the program nor the
// helper imports it). Shared by the program and the installation helper. Any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/update_signature.h"

namespace quorvel::update {

// SHA-256 of `bytes`; nullopt when CNG is not available.
std::optional<Sha256Digest> Sha256Of(std::string_view bytes);
// SHA-256 and size of a file, read through once; nullopt when it cannot be read or hashed.
// The file is opened without write or delete sharing, so it cannot change while it is read.
std::optional<FileHash> Sha256OfFile(const std::string& path);

// Whether `signature` (r then s) is a valid ECDSA P-256 signature over SHA-256(`content`) by
// the key (X, Y). False for a wrong signature and when CNG is not available.
bool VerifyP256Signature(std::string_view content, const InfoSignature& signature,
                         const unsigned char (&keyX)[32], const unsigned char (&keyY)[32]);

// The signature check with the key built into this program.
bool VerifyMakerSignature(std::string_view content, const InfoSignature& signature);

// The signed content of a maker's information file, or nullopt when the file carries no
// valid signature by the built-in key.
std::optional<std::string_view> VerifiedInfoContent(std::string_view file);

}  // namespace quorvel::update
