#include <gtest/gtest.h>

#include "platform/win.h"
// after win.h, which configures windows.h
#include <aclapi.h>
#include <sddl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/settings_environment_win.h"
#include "platform/errors.h"
#include "platform/files_win.h"
#include "platform/registry_win.h"
#include "platform/seams_win.h"
#include "settings/bench_settings.h"
#include "settings/display_modes_win.h"
#include "settings/registry_settings_store_win.h"
#include "settings/settings_fakes.h"
#include "support/scripted_seams_win.h"
#include "sysinfo/memory_win.h"

namespace quorvel {
namespace {

using testing::FakeControls;
using testing::FakeEnvironment;
using testing::RecordingStore;

constexpr const char* kVendorKey = "SOFTWARE\\Zarvent";

bool SettingsKeyPresent() {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_READ, &k) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(k);
  return true;
}

// Each test starts from a settings key of its own making and removes it afterwards,
// together with the vendor key when the test created that too.
class SettingsRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY vendor = nullptr;
    vendorExisted_ =
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, 0, KEY_READ, &vendor) == ERROR_SUCCESS;
    if (vendor) ::RegCloseKey(vendor);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kUserSettingsKeyPath);
    CreateKey();
  }
  void TearDown() override {
    DeleteKey();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kUserSettingsKeyPath);
    if (!vendorExisted_) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVendorKey);
  }

  void CreateKey() {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
  }
  void DeleteKey() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath); }

  // Stores a raw value of any type, as an installer or an older version might have.
  void SetRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_ALL_ACCESS, &k),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
  }
  void SetString(const std::string& name, const std::string& text) {
    SetRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void SetDword(const std::string& name, DWORD value) {
    SetRaw(name, REG_DWORD, &value, sizeof(value));
  }
  // The stored value as REG_SZ text; "<missing>" or "<type N>" otherwise.
  std::string Stored(const std::string& name) {
    char buffer[4096] = {};
    DWORD size = sizeof(buffer) - 1;
    DWORD type = 0;
    LONG rc = ::RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, name.c_str(), RRF_RT_ANY, &type,
                             buffer, &size);
    if (rc != ERROR_SUCCESS) return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return std::string(buffer);
  }

  RegistrySettingsStore store;

 private:
  bool vendorExisted_ = false;
};

TEST_F(SettingsRegistryTest, StringsRoundTripAndMissingValuesReadEmpty) {
  EXPECT_TRUE(store.KeyExists());
  store.WriteString("Note", "caf\xE9 \xD7 run");
  EXPECT_EQ(store.ReadString("Note"), "caf\xE9 \xD7 run");
  EXPECT_EQ(Stored("Note"), "caf\xE9 \xD7 run");
  store.WriteString("Note", "");
  EXPECT_EQ(store.ReadString("Note"), "");
  EXPECT_EQ(Stored("Note"), "");
  EXPECT_EQ(store.ReadString("NeverWritten"), "");
  const std::string big(200000, 'p');
  store.WriteString("Big", big);
  EXPECT_EQ(store.ReadString("Big"), big);
}

TEST_F(SettingsRegistryTest, EveryCallOpensTheKeyAndNoneCreatesIt) {
  store.WriteString("Demo", "2");
  DeleteKey();
  EXPECT_FALSE(store.KeyExists());
  EXPECT_EQ(store.ReadString("Demo"), "");
  try {
    store.WriteString("Demo", "3");
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Demo'");
  }
  EXPECT_FALSE(SettingsKeyPresent());
  // A key that reappears is seen by the next call.
  CreateKey();
  EXPECT_TRUE(store.KeyExists());
  store.WriteString("Demo", "3");
  EXPECT_EQ(Stored("Demo"), "3");
}

TEST_F(SettingsRegistryTest, ValuesThatAreNotStringsFailToRead) {
  const DWORD number = 1;
  const unsigned long long quad = 1;
  const unsigned char bytes[] = {'1', 0};
  const char multi[] = "1\0\0";
  struct Case {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
  };
  const std::vector<Case> cases = {
      {"RunNumber", REG_DWORD, &number, sizeof(number)},
      {"FastZ", REG_BINARY, bytes, sizeof(bytes)},
      {"Note", REG_MULTI_SZ, multi, sizeof(multi)},
      {"HDR", REG_QWORD, &quad, sizeof(quad)},
      {"Demo", REG_BINARY, bytes, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRaw(c.name, c.type, c.data, c.size);
    try {
      store.ReadString(c.name);
      ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
      EXPECT_EQ(e.what(), std::string("Invalid data type for '") + c.name + "'");
    }
  }
}

// The load against the real registry, stopped at each place where a value can be of the
// wrong type: what came before is shown, what comes after is untouched.
TEST_F(SettingsRegistryTest, WrongTypeStopsTheLoadAtThatValue) {
  struct Case {
    const char* value;
    std::function<bool(const FakeControls&)> earlierSet;
    std::function<bool(const FakeControls&)> laterUntouched;
  };
  const std::vector<Case> cases = {
      {"1024", [](const FakeControls& c) { return c.slots[1].ticked && c.slots[1].touched; },
       [](const FakeControls& c) {
         return !c.slots[2].touched && !c.slots[3].touched && !c.Touched(Control::CusWidth);
       }},
      {"CusRes", [](const FakeControls& c) { return c.Text(Control::CusWidth) == "1024"; },
       [](const FakeControls& c) {
         return !c.Touched(Control::cusresbox) && !c.Touched(Control::AFBox);
       }},
      {"RunNumber", [](const FakeControls& c) { return c.Selected(Control::AABox) == 2; },
       [](const FakeControls& c) {
         return !c.Touched(Control::RunNumberBox) && c.demoTicks.empty();
       }},
      {"Demo", [](const FakeControls& c) { return c.Selected(Control::RunNumberBox) == 2; },
       [](const FakeControls& c) { return c.demoTicks.empty() && !c.Touched(Control::ResEdit); }},
      {"Note", [](const FakeControls& c) { return c.Text(Control::ResEdit) == "C:\\"; },
       [](const FakeControls& c) {
         return !c.Touched(Control::NoteEdit) && !c.Touched(Control::HDRBox);
       }},
      {"Refresh", [](const FakeControls& c) { return c.Selected(Control::HeapsizeBox) == 1; },
       [](const FakeControls& c) {
         return !c.Touched(Control::RefreshBox) && !c.Touched(Control::UseProxyBox);
       }},
      {"ProxyPassword",
       [](const FakeControls& c) { return c.Text(Control::ProxyUsernameEdit) == "bob"; },
       [](const FakeControls& c) {
         return !c.texts.count(Control::ProxyPassEdit) &&
                !c.enabled.count(Control::ProxyPassEdit) && !c.Touched(Control::FastZBox);
       }},
      {"FastZ", [](const FakeControls& c) { return c.Enabled(Control::ProxyServerEdit); },
       [](const FakeControls& c) { return !c.Touched(Control::FastZBox); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    DeleteKey();
    CreateKey();
    for (const char* slot : {"640", "800", "1024", "1280"}) SetString(slot, "1");
    SetString("CusW", "1024");
    SetString("CusH", "768");
    SetString("CusRes", "1");
    SetString("AFLevel", "3");
    SetString("AALevel", "2");
    SetString("RunNumber", "3");
    SetString("Demo", "1");
    SetString("ResultPath", "C:\\");
    SetString("Note", "n");
    SetString("HDR", "1");
    SetString("Heapsize", "128000");
    SetString("Refresh", "75");
    SetString("UseProxy", "1");
    SetString("ProxyServer", "proxy");
    SetString("ProxyUsername", "bob");
    SetString("ProxyPassword", "cHc=");
    SetString("FastZ", "0");
    SetDword(c.value, 1);

    FakeControls controls;
    controls.defaultEnabled = false;
    FakeEnvironment env;
    env.folders = {"C:\\"};
    BenchSettings settings(store, controls, env.Make());
    testing::WireChangeHandlers(controls, settings);
    try {
      settings.LoadSlotsAndCustomSize({"640 x 480", "800 x 600", "1024 x 768", "1280 x 1024"});
      settings.LoadLevelsAndRuns();
      settings.LoadRemaining();
      ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
      EXPECT_EQ(e.what(), std::string("Invalid data type for '") + c.value + "'");
    }
    EXPECT_TRUE(c.earlierSet(controls));
    EXPECT_TRUE(c.laterUntouched(controls));
  }
}

TEST_F(SettingsRegistryTest, WithoutTheKeyGuardedHandlersWriteNothingAndOthersFail) {
  DeleteKey();
  for (const testing::HandlerCase& c : testing::AllSaveHandlers()) {
    SCOPED_TRACE(c.name);
    FakeControls controls;
    FakeEnvironment env;
    RecordingStore recording(store);
    BenchSettings settings(recording, controls, env.Make());
    c.arrange(controls);
    if (c.keyMustExist) {
      EXPECT_NO_THROW(c.run(settings));
      EXPECT_TRUE(recording.writes.empty());
    } else {
      try {
        c.run(settings);
        ADD_FAILURE() << "no error";
      } catch (const AppError& e) {
        EXPECT_EQ(e.what(), std::string("Failed to set data for '") + c.firstValue + "'");
      }
    }
    EXPECT_FALSE(SettingsKeyPresent());
  }
}

TEST_F(SettingsRegistryTest, ExitResetsTheRunTimeValuesInOrder) {
  SetString("Display Memory", "256 MB");
  SetString("Driver Version", "6.14.10.9147");
  SetString("Sound", "Realtek AC97");
  SetString("News", "1");
  SetString("AFLevel", "4");
  FakeControls controls;
  controls.texts[Control::NoteEdit] = "overclocked";
  FakeEnvironment env;
  RecordingStore recording(store);
  BenchSettings settings(recording, controls, env.Make());
  settings.SaveAtExit();
  const std::vector<std::pair<std::string, std::string>> expected = {{"Note", "overclocked"},
                                                                     {"Display Memory", ""},
                                                                     {"Driver Version", ""},
                                                                     {"Sound", ""},
                                                                     {"News", "0"}};
  EXPECT_EQ(recording.writes, expected);
  EXPECT_EQ(Stored("Note"), "overclocked");
  EXPECT_EQ(Stored("Display Memory"), "");
  EXPECT_EQ(Stored("Driver Version"), "");
  EXPECT_EQ(Stored("Sound"), "");
  EXPECT_EQ(Stored("News"), "0");
  EXPECT_EQ(Stored("AFLevel"), "4");

  DeleteKey();
  recording.writes.clear();
  EXPECT_NO_THROW(settings.SaveAtExit());
  EXPECT_TRUE(recording.writes.empty());
  EXPECT_FALSE(SettingsKeyPresent());
}

TEST_F(SettingsRegistryTest, LoadAndSaveAgainstTheRealKey) {
  SetString("640", "1");
  SetString("2048", "1");
  SetString("CusW", "1400");
  SetString("CusH", "1050");
  SetString("CusRes", "1");
  SetString("RunNumber", "4");
  SetString("ProxyPassword", EncodePassword(std::string(60, 'k')));

  testing::ScriptedSeams seams;
  seams.useModes = true;
  seams.modes = {{640, 480}, {640, 480}, {800, 600}, {1024, 768}};
  InstallSeams(&seams);
  const std::vector<std::string> modes = DisplayModeList();
  InstallSeams(nullptr);
  EXPECT_EQ(modes, (std::vector<std::string>{"640 x 480", "800 x 600", "1024 x 768"}));

  FakeControls controls;
  const SettingsEnvironment env = WindowsSettingsEnvironment(nullptr);
  BenchSettings settings(store, controls, env);
  testing::WireChangeHandlers(controls, settings);
  settings.LoadSlotsAndCustomSize(modes);
  settings.LoadLevelsAndRuns();
  settings.LoadRemaining();

  EXPECT_TRUE(controls.slots[0].ticked);
  EXPECT_FALSE(controls.slots[5].enabled);
  EXPECT_EQ(Stored("CusW"), "0");
  EXPECT_EQ(Stored("CusH"), "0");
  EXPECT_EQ(settings.RunsWanted(), 4);
  // The default results folder is the program's own "Benchmark\" folder.
  EXPECT_EQ(Stored("ResultPath"), files::ProgramFolder() + "Benchmark\\");
  EXPECT_EQ(controls.Text(Control::ProxyPassEdit), std::string(60, 'k'));
  // The password has moved from the machine's key to the account's own, protected.
  EXPECT_EQ(Stored("ProxyPassword"), "<missing>");
  EXPECT_EQ(ReadProxyPassword(), EncodePassword(std::string(60, 'k')));
  EXPECT_NE(ReadProxyPassword().find("\r\n"), std::string::npos);

  settings.SlotsPointerLeft();
  EXPECT_EQ(Stored("2048"), "0");
  EXPECT_EQ(Stored("640"), "1");
  EXPECT_EQ(Stored("hdw3"), "0");
}

// The account's protected copy as it lies in the registry: REG_BINARY bytes; "<missing>" or
// "<type N>" otherwise.
std::string AccountPasswordBytes() {
  std::vector<char> buffer(4096);
  DWORD size = static_cast<DWORD>(buffer.size());
  DWORD type = 0;
  if (::RegGetValueA(HKEY_CURRENT_USER, kUserSettingsKeyPath, kProxyPasswordValue, RRF_RT_ANY,
                     &type, buffer.data(), &size) != ERROR_SUCCESS)
    return "<missing>";
  if (type != REG_BINARY) return "<type " + std::to_string(type) + ">";
  return std::string(buffer.data(), size);
}

// Every local account can read the machine's key; the proxy password is kept where only its
// account can read it, and a password an earlier version left in the machine's key moves there.
TEST_F(SettingsRegistryTest, ProxyPasswordIsTheAccountsOwnAndProtected) {
  const std::string secret = EncodePassword("Gordon's proxy pass");
  store.WriteString("ProxyPassword", secret);
  EXPECT_EQ(Stored("ProxyPassword"), "<missing>");
  const std::string bytes = AccountPasswordBytes();
  ASSERT_NE(bytes.substr(0, 1), "<") << bytes;
  EXPECT_EQ(bytes.find(secret), std::string::npos) << "stored as plain text";
  EXPECT_EQ(store.ReadString("ProxyPassword"), secret);

  struct Case {
    const char* name;
    const char* machine;  // the machine's value; nullptr: none
    bool accountHasOne;
    std::string read;
    const char* machineAfter;
  };
  const Case cases[] = {
      {"an earlier version's password moves", "cHc=", false, "cHc=", "<missing>"},
      {"the account's own comes first", "b2xk", true, secret, "b2xk"},
      {"none anywhere", nullptr, false, "", "<missing>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kUserSettingsKeyPath);
    if (c.accountHasOne) store.WriteString("ProxyPassword", secret);
    if (c.machine) SetString("ProxyPassword", c.machine);
    EXPECT_EQ(store.ReadString("ProxyPassword"), c.read);
    EXPECT_EQ(Stored("ProxyPassword"), c.machineAfter);
    // Moved or not, the next read finds the same.
    EXPECT_EQ(store.ReadString("ProxyPassword"), c.read);
    if (!c.read.empty()) EXPECT_EQ(AccountPasswordBytes().find(c.read), std::string::npos);
    ::RegDeleteValueA(reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_SET_VALUE).Get(),
                      "ProxyPassword");
  }

  // Bytes that this account's protection did not make (another account's, damaged) are no
  // password.
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kUserSettingsKeyPath);
  UserSettingsStore account;
  account.WriteString("other", "");
  RegKey key = reg::Open(HKEY_CURRENT_USER, kUserSettingsKeyPath, KEY_SET_VALUE);
  const BYTE junk[] = {1, 0, 0, 0, 0xd0, 0x8c, 0x9d, 0xdf, 0x01, 0x15};
  ASSERT_EQ(::RegSetValueExA(key.Get(), kProxyPasswordValue, 0, REG_BINARY, junk, sizeof junk),
            ERROR_SUCCESS);
  EXPECT_EQ(store.ReadString("ProxyPassword"), "");
}

// The program asks for exactly the rights that users hold on the machine's key.
TEST_F(SettingsRegistryTest, TheKeyIsOpenedToQueryAndSetValuesOnly) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:(A;;0x3;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  std::string object = std::string("MACHINE\\") + kSettingsKeyPath;
  ASSERT_EQ(::SetNamedSecurityInfoA(object.data(), SE_REGISTRY_KEY,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
            DWORD{ERROR_SUCCESS});
  ::LocalFree(sd);
  // The rights are kept: a key opened for more than querying and setting values is refused.
  EXPECT_FALSE(reg::Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS));
  EXPECT_TRUE(store.KeyExists());
  EXPECT_NO_THROW(store.WriteString("Note", "query and set are enough"));
  EXPECT_EQ(store.ReadString("Note"), "query and set are enough");
  // Back to rights with which the test can remove the key.
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:(A;;KA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  ::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  EXPECT_EQ(::SetNamedSecurityInfoA(object.data(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
            DWORD{ERROR_SUCCESS});
  ::LocalFree(sd);
}

TEST(SettingsPlatform, EnvironmentOfTheRealMachine) {
  const SettingsEnvironment env = WindowsSettingsEnvironment(nullptr);
  ASSERT_FALSE(env.ProgramFolder.empty());
  EXPECT_EQ(env.ProgramFolder.back(), '\\');
  EXPECT_TRUE(env.DirectoryExists(env.ProgramFolder));
  EXPECT_FALSE(env.FileExists(env.ProgramFolder));
  EXPECT_TRUE(env.FileExists(files::ProgramPath()));
  EXPECT_FALSE(env.DirectoryExists(files::ProgramPath()));

  // Memory: the full 64-bit size, the same as Windows reports it.
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  ASSERT_TRUE(::GlobalMemoryStatusEx(&status));
  EXPECT_EQ(env.TotalPhysicalMemory(), status.ullTotalPhys);
  EXPECT_GT(TotalPhysicalMemoryBytes(), 16ull * 1048576u);

  // Notices go through the dialog seam, never a real message box.
  testing::ScriptedSeams seams;
  InstallSeams(&seams);
  env.ShowMessage("The recommended (maximum) size: 512 MB");
  InstallSeams(nullptr);
  EXPECT_EQ(seams.log, std::vector<std::string>{"message: The recommended (maximum) size: 512 MB"});
}

TEST(SettingsPlatform, DisplayModeListOfTheSeam) {
  testing::ScriptedSeams seams;
  seams.useModes = true;
  InstallSeams(&seams);
  EXPECT_TRUE(DisplayModeList().empty());
  seams.modes = {{1024, 768}, {800, 600}, {1024, 768}, {1920, 1080}, {800, 600}};
  EXPECT_EQ(DisplayModeList(),
            (std::vector<std::string>{"1024 x 768", "800 x 600", "1920 x 1080"}));
  InstallSeams(nullptr);
}

}  // namespace
}  // namespace quorvel
