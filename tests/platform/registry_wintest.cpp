#include "platform/registry_win.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace quorvel::reg {
namespace {

// Each test works on a private key that it creates and removes.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &k, nullptr),
              ERROR_SUCCESS);
    key.Reset(k);
  }
  void TearDown() override {
    key.Reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
  }
  static constexpr const char* kPath = "Software\\QuorvelTests\\Registry";
  RegKey key;
};

TEST_F(RegistryTest, StringRoundTripAndMissingValue) {
  WriteString(key.Get(), "Note", "hello");
  EXPECT_EQ(ReadString(key.Get(), "Note"), "hello");
  EXPECT_EQ(ReadString(key.Get(), "Missing"), std::nullopt);
  WriteString(key.Get(), "Empty", "");
  EXPECT_EQ(ReadString(key.Get(), "Empty"), "");
}

TEST_F(RegistryTest, WrongTypesGiveTheProgramsMessages) {
  WriteDword(key.Get(), "Num", 5);
  try {
    ReadString(key.Get(), "Num");
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Num'");
  }
  WriteString(key.Get(), "Text", "5");
  try {
    ReadDword(key.Get(), "Text");
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Text'");
  }
  try {
    ReadDword(key.Get(), "Nothing");
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Failed to get data for 'Nothing'");
  }
}

TEST_F(RegistryTest, LongStringAndUnterminatedBinaryString) {
  std::string big(100000, 'q');
  WriteString(key.Get(), "Big", big);
  EXPECT_EQ(ReadString(key.Get(), "Big"), big);
  // A REG_SZ stored without its terminator must still read as its bytes.
  ::RegSetValueExA(key.Get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
  EXPECT_EQ(ReadString(key.Get(), "Raw"), "abc");
}

TEST_F(RegistryTest, WritingToAMissingKeyFails) {
  try {
    WriteString(nullptr, "Demo", "1");
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Demo'");
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\QuorvelTests\\Nope"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kPath));
}

}  // namespace
}  // namespace quorvel::reg
