#include "ui/updater_wiring_win.h"

#include <climits>

#include "platform/errors.h"
#include "platform/seams_win.h"
#include "ui/resource_ids.h"

namespace quorvel {

namespace {

// A whole decimal number as the port field holds it: leading blanks and a sign allowed.
std::int32_t PortNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 12; ++i, ++digits)
    value = value * 10 + (text[i] - '0');
  if (digits == 0 || i != text.size() || value > INT_MAX)
    throw AppError("'" + text + "' is not a valid integer value");
  return static_cast<std::int32_t>(negative ? -value : value);
}

void Notice(MainWindow& main, const char* text) {
  CurrentSeams().Box(main.Handle(), text, kApplicationTitle, MB_OK);
}

}  // namespace

void ConfigureUpdater(update::TzUpdater& updater, MainWindow& main) {
  using namespace update;
  updater.InfoFileURL = kInfoFileURL;
  updater.VersionControl = TzUpdaterVersionControl::byNumber;
  updater.VersionNumber = main.VersionText;
  updater.VersionDate = "03/12/2008";
  updater.ShowMessages = mAskUpgrade | mConnLost | mLostFile;
  updater.Wizard.HideFileLocation = true;
  updater.Wizard.Pic118x218 = IDB_WIZARD_PICTURE;
  updater.Wizard.Language = TzUpdaterLanguage::wlEnglish;
  updater.ApplicationTitle = kApplicationTitle;
  updater.MainWindow = main.Handle();
}

void ToolButton3Click(MainWindow& main, update::TzUpdater& updater) {
  if (main.Checked(Control::UseProxyBox)) {
    updater.Proxy.ProxyServer = main.Text(Control::ProxyServerEdit);
    updater.Proxy.ProxyPort = PortNumber(main.Text(Control::ProxyPortEdit));
    updater.Proxy.ProxyUsername = main.Text(Control::ProxyUsernameEdit);
    updater.Proxy.ProxyPassword = main.Text(Control::ProxyPassEdit);
    updater.Proxy.AccessType = TzHttpAccessType::atUseProxy;
  } else {
    updater.Proxy.AccessType = TzHttpAccessType::atDirect;
  }
  updater.CheckUpdate(false);
}

void WireUpdater(MainWindow& main, update::TzUpdater& updater) {
  main.UpdateBenchmark = [&main, &updater] { ToolButton3Click(main, updater); };
  updater.OnLaterUpgrade = [&main](update::TzUpdater&) { Notice(main, "Update aborted."); };
  updater.OnAborted = [&main](update::TzUpdater&) { Notice(main, "Update aborted."); };
  updater.OnNoUpdateAvailable = [&main](update::TzUpdater&) {
    Notice(main, "No update available.");
  };
  updater.OnHostUnreachable = [&main](update::TzUpdater&, const std::string&, const std::string&) {
    Notice(main, "No internet connection.");
  };
}

}  // namespace quorvel
