// Update information files of any shape: every reading of them must neither crash nor read
// past the bytes given, and what comes out must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/update_info.h"
#include "update/update_signature.h"
#include "update/update_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel::update;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"#version", "#date", "#url", "#url0", "#url7", "#method"}) {
    std::string value = InfoValue(input, key);
    if (value.size() > input.size()) std::abort();
    for (char c : value)
      if (static_cast<unsigned char>(c) < 32) std::abort();
  }
  if (InfoMessage(input).size() > input.size()) std::abort();
  PlaceholderFolders folders = MakePlaceholderFolders("C:\\P\\", "C:\\D", "C:\\M", "C:\\I", "C:\\A",
                                                      "C:\\W", "C:\\W\\S", "C:\\T\\", true);
  std::size_t total = 0;
  for (const std::string& entry : InfoFileList(input)) {
    if (entry.empty()) std::abort();
    total += entry.size();
    FileEntry e = SplitEntry(entry);
    std::string path = ResolveDestination(e, folders);
    if (path.size() < 2 || path[1] != ':') std::abort();
    for (const std::string& level : FolderLevels(path))
      if (level.size() >= path.size()) std::abort();
  }
  if (total > input.size()) std::abort();
  if (auto signedInfo = SplitSignedInfo(input)) {
    if (signedInfo->Content.size() + 139 > input.size()) std::abort();
    if (input.substr(0, signedInfo->Content.size()) != signedInfo->Content) std::abort();
  }
  for (const ListedFile& file : InfoFileEntries(input))
    if (auto hash = InfoFileHash(input, file.Key); hash && hash->Size < 0) std::abort();
  int cmp = CompareVersionsByNumber(input, "2.3.0.0");
  if (cmp != -CompareVersionsByNumber("2.3.0.0", input) && cmp != 0) std::abort();
  NewerByDate(input, "03/12/2008", UpdaterDate{2008, 12, 3});
  UpgradeMethodOf(input);
  FillTexts(input, input, input);
  DownloadingText(input, 1, 2);
  EstimatedTimeText(input, -5);
  return 0;
}
