#pragma once
// What makes an update information file the maker's own: its signature line and the SHA-256
// and size of every file it lists. Portable; never throws except std::bad_alloc, never reads
// past the text it is given.
//
// A signed information file is the maker's file as before, with two kinds of lines added:
//   #hash=<64 hex digits>,<size>    beside "#url", "#hash0" beside "#url0", "#hash3" beside
//                                   "#url3" ...: the file's SHA-256 and its size in bytes
//   #signature=<128 hex digits>     the last line: the ECDSA P-256 signature (r, then s) over
//                                   the SHA-256 of every byte before this line
// Neither key starts with "#url", so the file list reads the same with or without them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::update {

using Sha256Digest = std::array<std::uint8_t, 32>;
using InfoSignature = std::array<std::uint8_t, 64>;

inline constexpr std::string_view kSignatureKey = "#signature=";
// The information file and the update files are refused beyond these sizes: a server that
// answers with more is not the maker's.
inline constexpr std::int64_t kMaxInfoFileSize = 1 << 20;

struct SignedInfo {
  std::string_view Content;  // every byte before the signature line
  InfoSignature Signature{};
};
// Splits a file into its signed content and its signature. nullopt when its last line (a
// final CR LF or LF aside) is not "#signature=" with exactly 128 hex digits.
std::optional<SignedInfo> SplitSignedInfo(std::string_view file);

struct FileHash {
  Sha256Digest Sha256{};
  std::int64_t Size = 0;
};
// "#hash" + `key`: 64 hex digits, a comma and the size in decimal; nullopt when absent or
// malformed.
std::optional<FileHash> InfoFileHash(std::string_view text, std::string_view key);

// Whether a file list entry's address is https (the part before its first "=").
bool IsHttpsEntry(std::string_view entry);

// Lower-case hex of `bytes`; bytes of hex text (nullopt when not an even count of hex digits).
std::string HexText(const std::uint8_t* bytes, std::size_t size);
std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view hex);

}  // namespace quorvel::update
