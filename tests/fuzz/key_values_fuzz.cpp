// Steam's library list and app manifests of any shape: the reader and the rules on top of it
// must neither crash nor read past the bytes they are given, and whatever they accept must
// stay inside what it names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/steam_library.h"
#include "settings/key_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  quorvel::kv::Parse(text);
  for (const std::string& folder : quorvel::library::LibraryFolders(text)) {
    // A library is an absolute local folder without "." or ".." parts.
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\' || folder.back() != '\\' ||
        folder.size() > quorvel::library::kMaxPath || folder.find("\\..\\") != std::string::npos ||
        folder.find("\\.\\") != std::string::npos || folder.find('/') != std::string::npos)
      std::abort();
  }
  if (auto dir = quorvel::library::ManifestInstallDir(text)) {
    if (dir->empty() || *dir == "." || *dir == ".." ||
        dir->find_first_of("\\/:") != std::string::npos)
      std::abort();
  }
  return 0;
}
