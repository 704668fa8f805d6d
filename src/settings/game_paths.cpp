#include "settings/game_paths.h"

namespace quorvel {

GamePaths DeriveGamePaths(const std::string& programFolder, const std::string& steamFolder,
                          const std::string& accountFolder, const std::string& userSid) {
  GamePaths p;
  p.ProgramFolder = programFolder;
  p.SteamFolder = steamFolder;
  p.AccountFolder = accountFolder;
  p.Hl2GameFolder = accountFolder + steam::kHl2GameSubfolder;
  p.Hl2CfgFolder = p.Hl2GameFolder + steam::kCfgSubfolder;
  p.LostCoastGameFolder = accountFolder + steam::kLostCoastGameSubfolder;
  p.LostCoastCfgFolder = p.LostCoastGameFolder + steam::kCfgSubfolder;
  p.UserSid = userSid;
  return p;
}

void UseLostCoastInsideHalfLife2(GamePaths& paths) {
  paths.LostCoastGameFolder = paths.AccountFolder + steam::kLostCoastInsideHl2Subfolder;
  paths.LostCoastCfgFolder = paths.LostCoastGameFolder + steam::kCfgSubfolder;
}

void UseRecordedGameFolders(GamePaths& paths, const std::string& hl2GameFolder,
                            const std::string& lostCoastGameFolder) {
  if (!hl2GameFolder.empty()) {
    paths.Hl2GameFolder = hl2GameFolder;
    paths.Hl2CfgFolder = hl2GameFolder + steam::kCfgSubfolder;
  }
  if (!lostCoastGameFolder.empty()) {
    paths.LostCoastGameFolder = lostCoastGameFolder;
    paths.LostCoastCfgFolder = lostCoastGameFolder + steam::kCfgSubfolder;
  }
}

}  // namespace quorvel
