// The real installer (built by makensis from install/quorvel.nsi), run silently in this test
// program's own fresh Wine prefix as an unattended set-up would: every file and setting in
// place, the installed program ready to run a series and to open its help, an installation
// over a changed one keeping the user's settings, and the uninstaller removing what was
// installed but never the user's reports.
#include <gtest/gtest.h>

#include "platform/win.h"
// after win.h, which configures windows.h
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bench/fake_controls.h"
#include "platform/files_win.h"
#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "platform/text.h"
#include "settings/bench_settings.h"
#include "settings/registry_settings_store_win.h"
#include "settings/settings_store.h"
#include "support/process_helpers_win.h"
#include "support/program_env_win.h"
#include "ui/main_window_win.h"
#include "ui/resource_ids.h"

namespace quorvel::testing {
namespace {

constexpr const char* kProduct = "Zarvent Half-Life 2 Benchmark";
constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZarventQuorvel";
// The uninstaller copies itself to the temporary folder under this name and works from there.
constexpr const char* kUninstallerCopy = "Un.exe";

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string Read(const std::string& path) { return files::ReadAll(path).value_or("<missing>"); }

// The type and text of a value of the settings key; type 0 when it is missing.
struct StoredValue {
  DWORD type = 0;
  std::string text;
};

StoredValue ReadValue(const std::string& keyPath, const std::string& name) {
  StoredValue value;
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ);
  if (!key) return value;
  char data[2048] = {};
  DWORD size = sizeof(data) - 1;
  if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.type,
                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
    return StoredValue{};
  value.text.assign(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
  return value;
}

std::set<std::string> ValueNames(const std::string& keyPath) {
  std::set<std::string> names;
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ);
  if (!key) return names;
  for (DWORD index = 0;; ++index) {
    char name[256] = {};
    DWORD length = sizeof(name);
    if (::RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.insert(name);
  }
  return names;
}

// Every right that the object's DACL allows the built-in Users group on the object itself
// (entries that only pass rights on to what is created below it left out); nullopt when the
// DACL cannot be read.
std::optional<DWORD> UsersRights(const std::string& object, SE_OBJECT_TYPE type) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoA(object.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return std::nullopt;
  BYTE usersSid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(usersSid);
  ::CreateWellKnownSid(WinBuiltinUsersSid, nullptr, usersSid, &sidSize);
  DWORD rights = 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
      continue;
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    if (::EqualSid(&ace->SidStart, usersSid)) rights |= ace->Mask;
  }
  ::LocalFree(descriptor);
  return rights;
}

// A standard user may query and set the settings key's values, as the program does, and do
// nothing else with it: no sub-keys, no deleting, no changing its rights or owner.
void ExpectUsersMayOnlyQueryAndSetValues() {
  std::optional<DWORD> rights =
      UsersRights(std::string("MACHINE\\") + kSettingsKeyPath, SE_REGISTRY_KEY);
  ASSERT_TRUE(rights);
  EXPECT_EQ(*rights & (KEY_QUERY_VALUE | KEY_SET_VALUE), DWORD{KEY_QUERY_VALUE | KEY_SET_VALUE})
      << std::hex << *rights;
  const DWORD forbidden = KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER |
                          GENERIC_ALL | GENERIC_WRITE;
  EXPECT_EQ(*rights & forbidden, 0u) << std::hex << *rights;
}

// The program's settings store, noting the name of every value that is read.
class RecordingStore : public SettingsStore {
 public:
  bool KeyExists() override { return real_.KeyExists(); }
  std::string ReadString(const std::string& name) override {
    read.insert(name);
    return real_.ReadString(name);
  }
  void WriteString(const std::string&, const std::string&) override {}
  std::set<std::string> read;

 private:
  RegistrySettingsStore real_;
};

// Windows of another process.
struct WindowSearch {
  DWORD processId;
  std::string className;
  HWND found = nullptr;
};

HWND FindTopWindow(DWORD processId, const std::string& className) {
  WindowSearch search{processId, className};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<WindowSearch*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (owner == s->processId && s->className == name && ::IsWindowVisible(window)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND DescendantWithText(HWND parent, const std::string& text) {
  for (HWND child : Descendants(parent))
    if (TextOf(child) == text) return child;
  return nullptr;
}

// The text of a message box: its longest static text.
std::string MessageBoxText(HWND box) {
  std::string longest;
  for (HWND child : Descendants(box)) {
    char name[32] = {};
    ::GetClassNameA(child, name, sizeof(name));
    std::string text = TextOf(child);
    if (text::EqualsNoCase(name, "Static") && text.size() > longest.size()) longest = text;
  }
  return longest;
}

// A click on a button of another process, without waiting for its handler (which may show a
// modal message box).
void PostClick(HWND button) {
  ::PostMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

class InstallerTest : public ::testing::Test {
 protected:
  InstallerTest() : env("installer") {}

  void SetUp() override {
    installer = BuildFolder() + QUORVEL_INSTALLER_NAME;
    ASSERT_TRUE(files::FileExists(installer))
        << installer << " was not built: scripts/setup.sh installs makensis and chromium";
    installFolder = KnownFolder(CSIDL_PROGRAM_FILES) + "\\Zarvent\\Quorvel\\";
    startFolder = KnownFolder(CSIDL_COMMON_PROGRAMS) + "\\" + kProduct + "\\";
    RemoveEverything();
  }

  void TearDown() override {
    if (program.Process) env.Kill(program);
    RemoveEverything();
  }

  void RemoveEverything() {
    RemoveTree(KnownFolder(CSIDL_PROGRAM_FILES) + "\\Zarvent\\");
    RemoveTree(startFolder);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zarvent");
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zarvent");
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  }

  // The installer with /S; its exit code.
  long long Install() {
    StartedProcess setup = env.Start("\"" + installer + "\" /S");
    return env.WaitExit(setup, 180000);
  }

  // The uninstaller with /S, as the list of programs starts it; waits for its copy in the
  // temporary folder, which does the work after the started process has ended.
  void Uninstall() {
    StartedProcess uninstall = env.Start("\"" + installFolder + "Uninstall.exe\" /S");
    ASSERT_EQ(env.WaitExit(uninstall, 60000), 0);
    ASSERT_TRUE(PumpUntil([] { return ProcessIdsNamed(kUninstallerCopy).empty(); }, 120000));
  }

  StoredValue Value(const std::string& name) { return ReadValue(kSettingsKeyPath, name); }

  // Steam, the games with their settings and the diagnostics tool, as on a gamer's machine;
  // "open" of web pages and PDF files goes to record_open.exe, which notes what it was given.
  void PrepareMachine() {
    env.CreateSteamKey();
    env.InstallGames();
    env.CreateGameSettings(false);
    env.CreateGameSettings(true);
    env.InstallDiagnosticsStandin();
    WriteFile(env.AccountFolder + "half-life 2\\standin.ini",
              "[hl2]\r\nPlayMs=3000\r\nFps=58.25\r\n");
    ASSERT_TRUE(CopyFileTo(BuildFolder() + "record_open.exe", env.Root + "record_open.exe"));
    openedLog = env.Root + "opened.txt";
    files::DeleteQuietly(openedLog);
    for (const char* type : {".htm", ".pdf"}) {
      HKEY key = nullptr;
      ::RegCreateKeyExA(HKEY_CLASSES_ROOT, type, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
      RegKey owned(key);
      reg::WriteString(owned.Get(), "", "QuorvelTest.Document");
    }
    HKEY command = nullptr;
    ::RegCreateKeyExA(HKEY_CLASSES_ROOT, "QuorvelTest.Document\\shell\\open\\command", 0, nullptr,
                      0, KEY_ALL_ACCESS, nullptr, &command, nullptr);
    RegKey owned(command);
    reg::WriteString(owned.Get(), "", "\"" + env.Root + "record_open.exe\" \"%1\"");
  }

  // Starts the installed program and waits for its main window.
  HWND StartInstalledProgram() {
    program = env.Start("\"" + installFolder + "quorvel.exe\"");
    HWND main = nullptr;
    PumpUntil([&] { return (main = FindTopWindow(program.Id, kMainWindowClass)) != nullptr; },
              60000);
    return main;
  }

  ProgramEnvironment env;
  std::string installer;
  std::string installFolder;
  std::string startFolder;
  std::string openedLog;
  StartedProcess program;
};

TEST_F(InstallerTest, SilentInstallPutsEveryFileAndSettingInPlace) {
  ASSERT_EQ(Install(), 0);

  // Every file, as the build made it.
  std::string sources = QUORVEL_INSTALL_SOURCES;
  std::string demos = QUORVEL_DEMO_SOURCES;
  struct Shipped {
    const char* installed;
    std::string source;
  } shipped[] = {{"quorvel.exe", BuildFolder() + "quorvel.exe"},
                 {"Help.pdf", BuildFolder() + "Help.pdf"},
                 {"offlinenews.html", sources + "/offlinenews.html"},
                 {"Demos\\zrv_highway.dem", demos + "/zrv_highway.dem"},
                 {"Demos\\zrv_lost_coast.dem", demos + "/zrv_lost_coast.dem"},
                 {"Demos\\zrv_anticitizen.dem", demos + "/zrv_anticitizen.dem"}};
  for (const Shipped& file : shipped) {
    std::string expected = Read(file.source);
    ASSERT_NE(expected, "<missing>") << file.source;
    EXPECT_TRUE(Read(installFolder + file.installed) == expected)
        << file.installed << " is missing or differs from " << file.source;
  }
  EXPECT_EQ(Read(installFolder + "Help.pdf").substr(0, 5), "%PDF-");
  EXPECT_TRUE(files::DirectoryExists(installFolder + "Benchmark\\"));

  // Every value that the program's load reads is there, as a string, and gives every
  // control a choice; so are the values that other parts of the program read.
  RecordingStore store;
  bench_test::FakeControls controls;
  SettingsEnvironment settingsEnv{
      installFolder, [](const std::string& path) { return files::FileExists(path); },
      [](const std::string& path) { return files::DirectoryExists(path); },
      [](const std::string& text) { ADD_FAILURE() << text; },
      [] { return std::uint64_t{2048} << 20; }};
  BenchSettings settings(store, controls, settingsEnv);
  settings.LoadSlotsAndCustomSize({"640 x 480", "800 x 600", "1024 x 768", "1280 x 1024",
                                   "1600 x 1200", "2048 x 1536", "1280 x 768", "1920 x 1080",
                                   "1920 x 1200"});
  settings.LoadLevelsAndRuns();
  settings.LoadRemaining();
  std::set<std::string> names = store.read;
  // Read by the load only for other first values (a custom size, the custom demo), and read
  // by other parts of the program.
  names.insert({"CusRes", "LCDemo", "Path", "NoErrorWarning", "News", "Display Memory",
                "Driver Version", "Sound"});
  EXPECT_EQ(ValueNames(kSettingsKeyPath), names);
  for (const std::string& name : names) EXPECT_EQ(Value(name).type, DWORD{REG_SZ}) << name;
  for (Control list : {Control::AFBox, Control::AABox, Control::RunNumberBox, Control::HDRBox,
                       Control::HeapsizeBox, Control::RefreshBox})
    EXPECT_GE(controls.Selected(list), 0) << "no item for list " << static_cast<int>(list);
  EXPECT_EQ(controls.demo, 0);
  EXPECT_EQ(controls.Text(Control::ResEdit), installFolder + "Benchmark\\");

  // The values with a meaning of their own at the first start.
  struct Expected {
    const char* name;
    std::string text;
  } expected[] = {{"News", "0"}, {"NoErrorWarning", "0"},
                  {"1024", "1"}, {"CusW", "0"},
                  {"CusH", "0"}, {"ResultPath", installFolder + "Benchmark\\"}};
  for (const Expected& value : expected)
    EXPECT_EQ(Value(value.name).text, value.text) << value.name;

  // (The folders' rights are not kept by Wine, which derives a file's rights from its Unix
  // mode; docs/rights.md says which rights they have on Windows.)
  ExpectUsersMayOnlyQueryAndSetValues();

  // The entry in the list of programs and in the Start menu.
  EXPECT_EQ(ReadValue(kUninstallKey, "DisplayName").text, kProduct);
  EXPECT_EQ(ReadValue(kUninstallKey, "UninstallString").text,
            "\"" + installFolder + "Uninstall.exe\"");
  EXPECT_TRUE(files::FileExists(installFolder + "Uninstall.exe"));
  EXPECT_TRUE(files::FileExists(startFolder + kProduct + ".lnk"));
}

TEST_F(InstallerTest, InstalledProgramStartsReadyAndRunsASeries) {
  ASSERT_EQ(Install(), 0);
  PrepareMachine();
  // The test display offers 1600 x 1200 alone; the user ticks it.
  ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1600);
  env.SetSetting("1600", "1");
  env.StartSteam();

  HWND main = StartInstalledProgram();
  ASSERT_TRUE(main);
  HWND run = nullptr;
  for (HWND child : Descendants(main))
    if (::GetDlgCtrlID(child) == IDC_BENCHBUTTON) run = child;
  ASSERT_TRUE(run);
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(run) != FALSE; }, 30000));

  std::string results = installFolder + "Benchmark\\";
  // Without the last "\", which would escape the closing quote.
  StartedProcess press = env.Start(BuildFolder() + "press_run.exe \"" +
                                   results.substr(0, results.size() - 1) + "\" 240");
  ASSERT_EQ(env.WaitExit(press, 300000), 0) << "the series ended without a report";

  WIN32_FIND_DATAA entry;
  FindHandle find(::FindFirstFileA((results + "result_*.htm").c_str(), &entry));
  ASSERT_TRUE(find);
  std::string report = results + entry.cFileName;
  EXPECT_NE(Read(report).find("Score = 58.25 FPS"), std::string::npos) << Read(report);
  EXPECT_TRUE(PumpUntil([&] { return Read(openedLog).find(report) != std::string::npos; }, 30000))
      << Read(openedLog);
  EXPECT_EQ(Value("NoErrorWarning").text, "0");
}

TEST_F(InstallerTest, HelpCommandOpensTheInstalledHelpOrSaysItIsMissing) {
  ASSERT_EQ(Install(), 0);
  PrepareMachine();
  HWND main = StartInstalledProgram();
  ASSERT_TRUE(main);
  HWND help = DescendantWithText(main, "Benchmark help");
  ASSERT_TRUE(help);

  PostClick(help);
  EXPECT_TRUE(PumpUntil(
      [&] { return Read(openedLog) == "open: " + installFolder + "Help.pdf\r\n"; }, 30000))
      << Read(openedLog);

  ASSERT_TRUE(files::DeleteQuietly(installFolder + "Help.pdf"));
  PostClick(help);
  HWND box = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (box = FindTopWindow(program.Id, "#32770")) != nullptr; }, 30000));
  EXPECT_EQ(MessageBoxText(box), kHelpMissing);
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(box); }, 10000));
  // Nothing more was opened.
  EXPECT_EQ(Read(openedLog), "open: " + installFolder + "Help.pdf\r\n");
}

TEST_F(InstallerTest, InstallingOverAChangedInstallationKeepsTheUsersSettings) {
  ASSERT_EQ(Install(), 0);
  struct Changed {
    const char* name;
    const char* text;
  } changed[] = {{"1024", "0"},
                 {"1600", "1"},
                 {"RunNumber", "4"},
                 {"AFLevel", "5"},
                 {"Note", "my new card"},
                 {"ResultPath", "D:\\"},
                 {"UseProxy", "1"},
                 {"ProxyServer", "proxy.lan"},
                 {"News", "1"},
                 {"Demoname", "C:\\demos\\mine.dem"},
                 {"Demo", "4"}};
  for (const Changed& value : changed) env.SetSetting(value.name, value.text);
  // A value that an earlier version did not know yet, files of an earlier version, and the
  // full control an earlier version gave every user on the key.
  PSECURITY_DESCRIPTOR broad = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;CI;KA;;;BU)", 1, &broad,
                                                                     nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL broadDacl = nullptr;
  ::GetSecurityDescriptorDacl(broad, &present, &broadDacl, &defaulted);
  std::string keyObject = std::string("MACHINE\\") + kSettingsKeyPath;
  ASSERT_EQ(::SetNamedSecurityInfoA(keyObject.data(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, broadDacl, nullptr),
            DWORD{ERROR_SUCCESS});
  ::LocalFree(broad);
  ASSERT_EQ(*UsersRights(keyObject, SE_REGISTRY_KEY) & WRITE_DAC, DWORD{WRITE_DAC});
  RegKey key = reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS);
  ASSERT_EQ(::RegDeleteValueA(key.Get(), "Refresh"), ERROR_SUCCESS);
  WriteFile(installFolder + "Help.pdf", "an older help");
  ASSERT_TRUE(files::DeleteQuietly(installFolder + "Demos\\zrv_highway.dem"));

  ASSERT_EQ(Install(), 0);

  for (const Changed& value : changed) EXPECT_EQ(Value(value.name).text, value.text) << value.name;
  EXPECT_EQ(Value("Refresh").text, "60");
  ExpectUsersMayOnlyQueryAndSetValues();
  EXPECT_TRUE(Read(installFolder + "Help.pdf") == Read(BuildFolder() + "Help.pdf"))
      << "Help.pdf was not replaced";
  EXPECT_TRUE(files::FileExists(installFolder + "Demos\\zrv_highway.dem"));
}

TEST_F(InstallerTest, UninstallRemovesWhatWasInstalledButNeverTheReportsOrBackups) {
  ASSERT_EQ(Install(), 0);
  // What the program wrote meanwhile: a report, this account's backups of the game's settings
  // in its own folder, and the backups an earlier version kept in the program folder.
  std::string report = installFolder + "Benchmark\\result_10_12_2026_04_30_00.htm";
  WriteFile(report, "<html>my report</html>");
  const std::string backup = "[mat_antialias]\r\nValue=2\r\n";
  const std::string data = files::UserDataFolder();
  ASSERT_FALSE(data.empty());
  for (const std::string& folder : {installFolder, data}) {
    WriteFile(folder + "hl2set.ini", backup);
    WriteFile(folder + "hl2lcset.ini", backup);
  }

  Uninstall();

  for (const char* gone :
       {"quorvel.exe", "Help.pdf", "offlinenews.html", "Uninstall.exe", "Demos\\zrv_highway.dem"})
    EXPECT_FALSE(files::FileExists(installFolder + gone)) << gone;
  EXPECT_FALSE(files::DirectoryExists(installFolder + "Demos\\"));
  EXPECT_EQ(Read(report), "<html>my report</html>");
  for (const std::string& folder : {installFolder, data})
    for (const char* kept : {"hl2set.ini", "hl2lcset.ini"})
      EXPECT_EQ(Read(folder + kept), backup) << folder << kept;
  for (const char* file : {"hl2set.ini", "hl2lcset.ini"}) files::DeleteQuietly(data + file);
  EXPECT_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, kSettingsKeyPath));
  EXPECT_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(files::DirectoryExists(startFolder));
}

TEST_F(InstallerTest, UninstallWithoutReportsLeavesNothingBehind) {
  ASSERT_EQ(Install(), 0);
  Uninstall();
  EXPECT_FALSE(files::DirectoryExists(KnownFolder(CSIDL_PROGRAM_FILES) + "\\Zarvent\\"));
  EXPECT_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zarvent"));
}

// The account's own key, as the program keeps it.
void SetAccountValue(const char* name, const char* text) {
  HKEY k = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zarvent\\Quorvel", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegKey key(k);
  reg::WriteString(k, name, text);
}

TEST_F(InstallerTest, UninstallRefusesWhileASeriesOfThisAccountLeftTheGameChanged) {
  // A mark that says only the program's next start in this account can put its game settings
  // back: its recovery marker, the restore its series left pending, or the machine's marker
  // with no account recorded or its RestorePending (both set by an earlier version). Another
  // account's marker recorded with that account does not hold this account's uninstall back.
  struct Case {
    const char* name;
    const char* accountMark;  // in the account's own key
    const char* machineMark;  // in the machine's key
    const char* seriesUser;
    bool refused;
  } cases[] = {
      {"account's NoErrorWarning", "NoErrorWarning", nullptr, "", true},
      {"account's RestorePending", "RestorePending", nullptr, "", true},
      {"machine's NoErrorWarning of an earlier version", nullptr, "NoErrorWarning", "", true},
      {"machine's RestorePending of an earlier version", nullptr, "RestorePending", "", true},
      {"machine's NoErrorWarning of another account", nullptr, "NoErrorWarning",
       "S-1-5-21-1-2-3-1004", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Install(), 0);
    if (c.accountMark) SetAccountValue(c.accountMark, "1");
    if (c.machineMark) env.SetSetting(c.machineMark, "1");
    env.SetSetting("SeriesUser", c.seriesUser);

    Uninstall();

    EXPECT_EQ(files::FileExists(installFolder + "quorvel.exe"), c.refused);
    EXPECT_EQ(reg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey), c.refused);
    if (c.accountMark) SetAccountValue(c.accountMark, "0");
    RemoveEverything();
  }
}

// The results folder is made and given its rights, or the installation fails: a standard
// user could not save a report otherwise.
TEST_F(InstallerTest, InstallEndsWithAnErrorWhenTheResultsFolderCannotBeMade) {
  WriteFile(installFolder + "Benchmark", "a file where the results folder belongs");
  EXPECT_EQ(Install(), 4);
}

}  // namespace
}  // namespace quorvel::testing
