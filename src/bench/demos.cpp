#include "bench/demos.h"

namespace quorvel::bench {

const std::array<BuiltInDemo, 3>& BuiltInDemos() {
  static const std::array<BuiltInDemo, 3> kDemos = {{
      {"ZRV - Highway", "Zarvent - Highway", "zrv_highway.dem", "zrv_highway",
       steam::Game::HalfLife2, 0},
      {"ZRV - Lost Coast", "Zarvent - Lost Coast", "zrv_lost_coast.dem", "zrv_lost_coast",
       steam::Game::LostCoast, 1000},
      {"ZRV - Anticitizen", "Zarvent - Anticitizen One", "zrv_anticitizen.dem", "zrv_anticitizen",
       steam::Game::HalfLife2, 1000},
  }};
  return kDemos;
}

steam::Game SeriesGameFor(const DemoChoice& choice) {
  bool lostCoast = choice.Item == 1 || (choice.Item == kCustomDemoItem && choice.LostCoastType);
  return lostCoast ? steam::Game::LostCoast : steam::Game::HalfLife2;
}

std::string FileNameOfPath(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string CustomDemoName(std::string_view fileName) {
  size_t dem = fileName.find(steam::kDemoExtension);
  return dem == std::string_view::npos ? std::string() : std::string(fileName.substr(0, dem));
}

std::string DemoChoiceProblem(const DemoChoice& choice,
                              const std::function<bool(const std::string&)>& fileExists) {
  if (choice.Item != kCustomDemoItem) return std::string();
  if (choice.CustomPath.empty() || FileNameOfPath(choice.CustomPath).empty())
    return kDefineCustomDemo;
  if (!fileExists(choice.CustomPath))
    return "The custom demo file \"" + choice.CustomPath +
           "\" cannot be found. Please choose the demo again.";
  return std::string();
}

DemoInstallPlan PlanDemoInstall(const DemoChoice& choice, steam::Game game,
                                const GamePaths& paths) {
  DemoInstallPlan plan;
  if (choice.Item >= 0 && choice.Item < static_cast<int>(BuiltInDemos().size())) {
    const BuiltInDemo& demo = BuiltInDemos()[static_cast<size_t>(choice.Item)];
    plan.HasDemo = true;
    plan.Source = paths.ProgramFolder + kDemosSubfolder + demo.FileName;
    plan.Target = paths.GameFolder(demo.Game) + demo.FileName;
    plan.PauseMs = demo.PauseMs;
    plan.DemoName = demo.DemoName;
    plan.DemoCaption = demo.ReportCaption;
  } else if (choice.Item == kCustomDemoItem) {
    std::string fileName = FileNameOfPath(choice.CustomPath);
    plan.HasDemo = true;
    plan.Source = choice.CustomPath;
    plan.Target = paths.GameFolder(game) + fileName;
    plan.PauseMs = kCustomDemoPauseMs;
    plan.DemoName = CustomDemoName(fileName);
    plan.DemoCaption = kCustomReportCaption + plan.DemoName;
  }
  return plan;
}

}  // namespace quorvel::bench
