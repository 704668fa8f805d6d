#include "bench/result_reader_win.h"

#include <optional>
#include <string>

#include "bench/result_reader.h"
#include "platform/files_win.h"

namespace quorvel::bench {

bool ResultExists(const GamePaths& paths, steam::Game game) {
  return files::FileExists(paths.GameFolder(game) + steam::kResultFile);
}

void CopyResultFile(const GamePaths& paths, steam::Game game, HWND owner) {
  const std::string& folder = paths.GameFolder(game);
  files::ShellCopy(owner, folder + steam::kResultFile, folder + kResultCopy);
}

bool ReadRunScore(BenchSeries& series, const GamePaths& paths) {
  std::optional<std::string> content =
      files::ReadAll(paths.GameFolder(series.Game()) + kResultCopy);
  if (!content) return false;
  return ReadRunScore(series, *content, LocaleDecimalSeparator());
}

void DeleteResultFiles(const GamePaths& paths) {
  files::DeleteQuietly(paths.LostCoastGameFolder + steam::kResultFile);
  files::DeleteQuietly(paths.Hl2GameFolder + steam::kResultFile);
  files::DeleteQuietly(paths.LostCoastGameFolder + kResultCopy);
  files::DeleteQuietly(paths.Hl2GameFolder + kResultCopy);
}

char LocaleDecimalSeparator() {
  char buffer[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof(buffer)) < 2)
    return '.';
  return buffer[0];
}

}  // namespace quorvel::bench
