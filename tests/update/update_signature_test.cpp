#include "update/update_signature.h"

#include <gtest/gtest.h>

#include "update/update_info.h"

namespace quorvel::update {
namespace {

const std::string kSig128 = std::string(64, 'a') + std::string(64, '0');

TEST(UpdateSignature, TheLastLineCarriesTheSignatureOfEverythingBefore) {
  struct Case {
    std::string file;
    bool valid;
    std::string content;
  } cases[] = {
      {"#version=2.4\r\n#signature=" + kSig128 + "\r\n", true, "#version=2.4\r\n"},
      {"#version=2.4\r\n#signature=" + kSig128, true, "#version=2.4\r\n"},
      {"#version=2.4\n#SIGNATURE=" + kSig128 + "\n", true, "#version=2.4\n"},
      {"#signature=" + kSig128 + "\r\n", true, ""},
      // Anything after the signature line would not be covered by it.
      {"#version=2.4\r\n#signature=" + kSig128 + "\r\n#url5=https://evil/x\r\n", false, ""},
      {"#version=2.4\r\n#signature=" + kSig128 + "\r\n\r\n", false, ""},
      // Not 128 hex digits.
      {"#version=2.4\r\n#signature=" + kSig128.substr(2) + "\r\n", false, ""},
      {"#version=2.4\r\n#signature=" + kSig128 + "00\r\n", false, ""},
      {"#version=2.4\r\n#signature=" + std::string(127, 'a') + "g\r\n", false, ""},
      {"#version=2.4\r\n", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    auto signedInfo = SplitSignedInfo(c.file);
    ASSERT_EQ(signedInfo.has_value(), c.valid) << c.file;
    if (!signedInfo) continue;
    EXPECT_EQ(signedInfo->Content, c.content);
    EXPECT_EQ(signedInfo->Signature[0], 0xaa);
    EXPECT_EQ(signedInfo->Signature[63], 0x00);
  }
}

TEST(UpdateSignature, HashesAreFoundBesideTheirUrlKeysAndNeverReadAsUrls) {
  const std::string digest(64, 'b');
  std::string text = "#version=2.4.0.0\r\n#url=https://h/a\r\n#hash=" + digest +
                     ",10\r\n#url0=https://h/b\r\n#hash0=" + std::string(64, 'C') +
                     ",0\r\n#url3=https://h/c=%current%c.txt\r\n#hash3=" + digest + ",12x\r\n";
  auto entries = InfoFileEntries(text);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Key, "");
  EXPECT_EQ(entries[1].Key, "0");
  EXPECT_EQ(entries[2].Key, "3");
  EXPECT_EQ(entries[2].Entry, "https://h/c=%current%c.txt");
  // The file list is the same with or without the hash lines.
  EXPECT_EQ(InfoFileList(text),
            (std::vector<std::string>{"https://h/a", "https://h/b", "https://h/c=%current%c.txt"}));

  auto a = InfoFileHash(text, "");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Size, 10);
  EXPECT_EQ(a->Sha256[0], 0xbb);
  auto b = InfoFileHash(text, "0");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Size, 0);
  EXPECT_EQ(b->Sha256[31], 0xcc);
  EXPECT_FALSE(InfoFileHash(text, "3"));  // size "12x"
  EXPECT_FALSE(InfoFileHash(text, "1"));  // absent
  for (const std::string bad : {"#hash=" + digest, "#hash=" + digest.substr(1) + ",5",
                                "#hash=" + std::string(63, 'b') + "z,5", "#hash=" + digest + ",",
                                "#hash=" + digest + ",1234567890123"})
    EXPECT_FALSE(InfoFileHash(bad, "")) << bad;
}

TEST(UpdateSignature, OnlyHttpsAddressesAreUpdateFiles) {
  EXPECT_TRUE(IsHttpsEntry("https://h/a"));
  EXPECT_TRUE(IsHttpsEntry("HTTPS://h/a=%current%x=y"));
  EXPECT_FALSE(IsHttpsEntry("http://h/a"));
  EXPECT_FALSE(IsHttpsEntry("h/a"));
  EXPECT_FALSE(IsHttpsEntry("https://"));
  EXPECT_FALSE(IsHttpsEntry("file://c:/x=https://h/a"));
  EXPECT_FALSE(IsHttpsEntry("ftp://h/a"));
}

TEST(UpdateSignature, HexBothWays) {
  const std::uint8_t bytes[] = {0x00, 0x7f, 0xa5, 0xff};
  EXPECT_EQ(HexText(bytes, 4), "007fa5ff");
  EXPECT_EQ(HexBytes("007FA5ff"), (std::vector<std::uint8_t>{0x00, 0x7f, 0xa5, 0xff}));
  EXPECT_FALSE(HexBytes("abc"));
  EXPECT_FALSE(HexBytes("zz"));
  EXPECT_EQ(HexBytes(""), std::vector<std::uint8_t>{});
}

}  // namespace
}  // namespace quorvel::update
