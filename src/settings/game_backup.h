#pragma once
// The rules of the game settings backup that need no Windows: which registry values of a
// game are saved, their defaults, the backup file of each game and how an entry's text
// becomes a number again. Pure functions, callable from any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/steam_game.h"

namespace quorvel::backup {

// One saved value of a game's settings key: its name (also the backup file's section) and
// what a restore writes when the backup file has no usable entry for it.
struct SavedValue {
  const char* Name;
  std::int32_t Default;
};

// The six values in the order they are saved and restored.
inline constexpr std::array<SavedValue, 6> kSavedValues = {{
    {"mat_antialias", 0},
    {"mat_forceaniso", 0},
    {"mat_trilinear", 0},
    {"mat_hdr_level", 0},
    {"ScreenHeight", 768},
    {"ScreenWidth", 1024},
}};

// The backup files in the program folder and the one entry of each section.
inline constexpr const char* kHl2BackupFile = "hl2set.ini";
inline constexpr const char* kLostCoastBackupFile = "hl2lcset.ini";
inline constexpr const char* kEntryName = "Value";
inline const char* BackupFileName(steam::Game game) {
  return game == steam::Game::LostCoast ? kLostCoastBackupFile : kHl2BackupFile;
}

// The settings value that says an earlier series may have left the game changed.
inline constexpr const char* kNoErrorWarningValue = "NoErrorWarning";
inline constexpr const char* kMarkerSet = "1";
inline constexpr const char* kMarkerClear = "0";

// The value of the account's own key (HKEY_CURRENT_USER) that says the account's backup
// files hold its own game values and a series may have changed the games' keys since: "1"
// from before a series first touches a game until those values are back in the keys, "0"
// (or missing) otherwise. While it is "1" no backup overwrites the files.
inline constexpr const char* kRestorePendingValue = "RestorePending";

// The value of the machine's settings key naming the account (its SID) whose series last
// changed the game's files, from before it touches them until it has ended cleanly or its
// account's start has repaired what it left. The game's cfg folders are shared by every
// account on the PC; their repair and the left-over marker belong to that account alone.
inline constexpr const char* kSeriesUserValue = "SeriesUser";

// A file in the program folder that the window's close deletes when it finds it.
inline constexpr const char* kBatchViewFile = "batchview.txt";

// The question the recovery asks about a script left in the Half-Life 2 cfg folder.
inline constexpr const char* kLeftoverScriptQuestion =
    "Maybe the last time an error occured. The program restored the original settings, but "
    "found an autoexec.cfg file in your HL2 user folder. If it's not yours, please delete it. "
    "Do you wish to delete the autoexec.cfg file?";

// The entry text for a REG_DWORD: the value read as a signed 32-bit number, in decimal.
std::string EntryText(std::uint32_t value);

// The number an entry's text stands for: optional blanks, an optional sign and decimal digits
// within the signed 32-bit range. Anything else (empty, letters, too large) gives nullopt.
std::optional<std::int32_t> ParseEntryNumber(std::string_view text);

// The text of `key` in `section` of a private-profile file's bytes, as the profile functions
// find it: names compared ignoring case, blanks around names and texts dropped, the first
// section and key of a name counting. nullopt when there is no such entry.
std::optional<std::string> ProfileEntry(std::string_view fileBytes, std::string_view section,
                                        std::string_view key);

// ParseEntry's number, or `fallback` when the text is not one.
std::int32_t ParseEntry(std::string_view text, std::int32_t fallback);

}  // namespace quorvel::backup
