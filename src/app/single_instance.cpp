#include "app/single_instance.h"

#include <cstdint>
#include <cstdio>

namespace quorvel {

namespace {
constexpr const char* kPrefix = "Quorvel.Instance.";
constexpr size_t kPrefixLength = 17;
constexpr size_t kHashLength = 16;

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}
}  // namespace

std::string InstanceObjectName(const std::string& upperPath) {
  std::string path = upperPath;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (kPrefixLength + path.size() <= kInstanceNameMax) return kPrefix + path;
  char hash[kHashLength + 2];
  std::snprintf(hash, sizeof(hash), "%016llx.", static_cast<unsigned long long>(Fnv1a(upperPath)));
  const size_t tail = kInstanceNameMax - kPrefixLength - kHashLength - 1;
  return kPrefix + std::string(hash) + path.substr(path.size() - tail);
}

}  // namespace quorvel
