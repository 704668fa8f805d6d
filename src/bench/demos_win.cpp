#include "bench/demos_win.h"

#include "platform/files_win.h"
#include "platform/seams_win.h"

namespace quorvel::bench {

std::string CheckDemoChoice(const DemoChoice& choice) {
  return DemoChoiceProblem(choice, [](const std::string& path) { return files::FileExists(path); });
}

void InstallDemo(BenchSeries& series, const GamePaths& paths, const DemoChoice& choice,
                 steam::Game game, HWND owner) {
  DemoInstallPlan plan = PlanDemoInstall(choice, game, paths);
  if (!plan.HasDemo) return;
  if (!files::FileExists(plan.Target)) {
    files::ShellCopy(owner, plan.Source, plan.Target);
    if (plan.PauseMs > 0) ::Sleep(CurrentSeams().WaitMs(plan.PauseMs));
  }
  series.DemoName = plan.DemoName;
  series.DemoCaption = plan.DemoCaption;
}

}  // namespace quorvel::bench
