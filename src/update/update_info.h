#pragma once
// The update information file on the maker's server and what the update flow derives from it:
// key values, the file list, version and date comparisons, the upgrade method, where each
// update file goes, the total progress and the helper's queue and command line.
// Portable; never throws except std::bad_alloc, never reads past the text it is given.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::update {

// The file's location on the maker's update server.
inline constexpr const char* kInfoFileURL =
    "https://update.zarvent-benchmarks.net/benchmarks/hl2/zrv_quorvel.inf";
// The maker's news page, opened by the news window when the machine is online.
inline constexpr const char* kNewsURL = "https://www.zarvent-benchmarks.net/benchmarks/news.html";

inline constexpr const char* kTempSuffix = ".updtmp";
inline constexpr const char* kHelperFileName = "ZrvUpdHelper.exe";
inline constexpr const char* kQueueFileName = "ZrvUpdQueue.txt";
// The signed information file beside the staged downloads, for the helper's own check.
inline constexpr const char* kStagedInfoName = "update.inf";
inline constexpr const char* kDefaultRestartParams = "/afterupdate";

// The value of `key` ("#version", "#url3", ...): found anywhere in the text, without regard to
// letter case, as the key directly followed by "="; the text after it up to the first
// character below code 32 or the end of the text. Empty when the key is absent.
std::string InfoValue(std::string_view text, std::string_view key);
// The value of "#message": written "#message={...}", it may span lines and ends at the first
// "}"; without a "}" it runs to the end of the text (less one final CR LF).
std::string InfoMessage(std::string_view text);

// The update files in order: "#url", then "#url0" (each when not empty), then "#url" with
// N + 1, N + 2, ... (N the number of entries so far) until a key is absent or empty.
std::vector<std::string> InfoFileList(std::string_view text);
// The same files, each with the key suffix it was found under ("" for "#url", "0", "3"), so
// that the values beside it ("#hash3" for "#url3") can be found.
struct ListedFile {
  std::string Key;
  std::string Entry;
};
std::vector<ListedFile> InfoFileEntries(std::string_view text);

// 0 self-upgrade, 1 external setup, 2 redirect: the first character of "#method".
int UpgradeMethodOf(std::string_view methodValue);

// > 0 when `infoVersion` is newer than `ownVersion`, 0 when equal, < 0 when older. Four
// dotted parts (missing parts are 0, more are ignored); when a part of either text is no
// whole number the two whole texts are compared byte by byte.
int CompareVersionsByNumber(std::string_view infoVersion, std::string_view ownVersion);

struct UpdaterDate {
  int Year = 0, Month = 0, Day = 0;
  friend auto operator<=>(const UpdaterDate&, const UpdaterDate&) = default;
};
// Month, day and year separated by "/"; nullopt when that is not a date of the calendar.
std::optional<UpdaterDate> ParseUpdaterDate(std::string_view text);
// Whether the information file's "#date" is later than `versionDate`; a text that is no
// date counts as `today`.
bool NewerByDate(std::string_view infoDate, std::string_view versionDate, UpdaterDate today);

// One entry of the file list, split at its first "=". An entry without "=" or with nothing
// after it has no destination.
struct FileEntry {
  std::string Url;
  std::string Destination;
  bool HasDestination = false;
};
FileEntry SplitEntry(std::string_view entry);

// The part of a URL after its last "/".
std::string UrlFileName(std::string_view url);

// The folders the place-holders of a destination stand for, each ending with a backslash
// (or empty when the platform gave none).
struct PlaceholderFolders {
  std::string Current, Desktop, MyDocuments, MyPictures, AppData, ProgramFiles, Windows, System,
      Temp, Help, Media, Cursors;
};
// Builds the table from what the platform reports: the program folder, the four user folders
// of the shell, the Windows and system folders and the temporary path (`tempIsFolder` false:
// the program folder stands in for it).
PlaceholderFolders MakePlaceholderFolders(std::string_view programFolder, std::string_view desktop,
                                          std::string_view personal, std::string_view pictures,
                                          std::string_view appData, std::string_view windows,
                                          std::string_view system, std::string_view temp,
                                          bool tempIsFolder);

// Every place-holder ("%current%", "%system%", ...; any letter case) replaced by its folder,
// in one pass from left to right, so a folder name is never read as a place-holder.
std::string ReplacePlaceholders(std::string_view destination, const PlaceholderFolders& folders);

// Where an entry's file goes: with a destination, the place-holders replaced and, when the
// result is not an absolute path (no drive letter and colon at its start), the program folder
// in front; without one, the program folder and the URL's file name.
std::string ResolveDestination(const FileEntry& entry, const PlaceholderFolders& folders);

// The folders to create for `path`, outermost first ("C:\a\b\f.txt" gives "C:\a", "C:\a\b").
std::vector<std::string> FolderLevels(std::string_view path);

// The host name of a URL: after "://" (or from the start) up to the first "/", ":", "?" or
// "#", without a "user:password@" part.
std::string UrlHostName(std::string_view url);

// A browser's "open" command split into the program and its arguments: a quoted program
// path, or the text before the first " -", " /", " \", "," or " %".
struct BrowserCommand {
  std::string Program, Arguments;
};
BrowserCommand SplitBrowserCommand(std::string_view command);

// round(index * 100 / count) (halves to even) + percentsDone div count; 0 when count is 0.
int TotalPercentsDone(int index, int count, int percentsDone);

// "ZrvUpdQueue.txt": each resolved destination followed by CR LF.
std::string QueueText(const std::vector<std::string>& destinations);

// The command line that starts the helper: its path in double quotes (a blank in the
// temporary folder must not let the platform start another program), a blank, the program
// path unquoted, " +", the restart parameters and the method digit.
std::string HelperCommandLine(std::string_view helperPath, std::string_view programPath,
                              std::string_view restartParams, int method);

}  // namespace quorvel::update
