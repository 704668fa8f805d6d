#include "update/update_signature.h"

#include "platform/text.h"
#include "update/update_info.h"

namespace quorvel::update {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string HexText(const std::uint8_t* bytes, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return out;
}

std::optional<SignedInfo> SplitSignedInfo(std::string_view file) {
  std::string_view body = file;
  if (body.ends_with("\r\n")) {
    body.remove_suffix(2);
  } else if (body.ends_with("\n")) {
    body.remove_suffix(1);
  }
  std::size_t lineStart = body.find_last_of('\n');
  lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
  std::string_view line = body.substr(lineStart);
  if (line.size() != kSignatureKey.size() + 128 ||
      !text::EqualsNoCase(line.substr(0, kSignatureKey.size()), kSignatureKey))
    return std::nullopt;
  auto bytes = HexBytes(line.substr(kSignatureKey.size()));
  if (!bytes) return std::nullopt;
  SignedInfo signedInfo;
  signedInfo.Content = file.substr(0, lineStart);
  std::copy(bytes->begin(), bytes->end(), signedInfo.Signature.begin());
  return signedInfo;
}

std::optional<FileHash> InfoFileHash(std::string_view text, std::string_view key) {
  std::string value = InfoValue(text, "#hash" + std::string(key));
  std::size_t comma = value.find(',');
  if (comma != 64) return std::nullopt;
  auto digest = HexBytes(std::string_view(value).substr(0, 64));
  std::string_view size = std::string_view(value).substr(65);
  if (!digest || size.empty() || size.size() > 12) return std::nullopt;
  FileHash hash;
  for (char c : size) {
    if (c < '0' || c > '9') return std::nullopt;
    hash.Size = hash.Size * 10 + (c - '0');
  }
  std::copy(digest->begin(), digest->end(), hash.Sha256.begin());
  return hash;
}

bool IsHttpsEntry(std::string_view entry) {
  std::string_view url = entry.substr(0, entry.find('='));
  return url.size() > 8 && text::EqualsNoCase(url.substr(0, 8), "https://");
}

}  // namespace quorvel::update
