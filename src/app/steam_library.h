#pragma once
// Steam's library folders of today: where Half-Life 2 lies when it is not inside the Steam
// folder. Steam lists its libraries in "steamapps\libraryfolders.vdf" and describes each
// installed game in "steamapps\appmanifest_<app>.acf" of its library; the game is in
// "steamapps\common\" + the manifest's "installdir". Plain text rules, portable.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::library {

// Longest path the program uses for a game file (the "A" calls take MAX_PATH, 260, with the
// terminating zero).
inline constexpr size_t kMaxPath = 259;

// The library folders a "libraryfolders.vdf" names, each ending with "\", in file order,
// each once (compared without regard to case). Both forms are read: numbered entries that
// hold "path" (today) and numbered entries that are the path (older files). Only local
// absolute paths ("D:\..." or "D:/...") without "." or ".." parts and without characters a
// path cannot hold are taken; "/" becomes "\". A text that is not KeyValues gives none.
std::vector<std::string> LibraryFolders(std::string_view vdfText);
// The same, or nullopt when the text is not a library list at all (not KeyValues, or no
// "libraryfolders" section): then Steam keeps no list the program can go by.
std::optional<std::vector<std::string>> ReadLibraryList(std::string_view vdfText);

// The folder name in an app manifest's "AppState" / "installdir"; nullopt when missing or
// when it is not one plain folder name (empty, "." or "..", a separator, a drive colon, a
// character a name cannot hold).
std::optional<std::string> ManifestInstallDir(std::string_view acfText);

// The Steam folder's or a library's "steamapps\" folder.
std::string SteamAppsFolder(const std::string& library);
// Where a library's manifest of application `app` lies.
std::string ManifestPath(const std::string& library, const std::string& app);
// The folder, ending with "\", in which a library holds an installed game; "" when the
// path would be longer than kMaxPath with `programName` added.
std::string InstalledGameFolder(const std::string& library, const std::string& installDir,
                                const std::string& programName);

}  // namespace quorvel::library
