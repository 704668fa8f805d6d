#include "settings/key_values.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace quorvel::kv {
namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(QUORVEL_FIXTURES) + "/steam/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(KeyValues, ReadsTheCurrentLibraryListWithNestedSections) {
  std::optional<Node> root = Parse(Fixture("libraryfolders_current.vdf"));
  ASSERT_TRUE(root);
  const Node* list = root->Child("LibraryFolders");  // case does not matter
  ASSERT_TRUE(list);
  ASSERT_TRUE(list->section);
  ASSERT_EQ(list->children.size(), 2u);
  const Node& second = list->children[1];
  EXPECT_EQ(second.name, "1");
  ASSERT_TRUE(second.Value("path"));
  EXPECT_EQ(*second.Value("path"), "D:\\SteamLibrary");  // "\\" in the file is one "\"
  ASSERT_TRUE(second.Child("apps"));
  EXPECT_EQ(*second.Child("apps")->Value("220"), "6512847201");
  // A section is not a value.
  EXPECT_EQ(second.Value("apps"), nullptr);
}

TEST(KeyValues, QuotesEscapesCommentsBareWordsAndConditions) {
  std::optional<Node> root = Parse(
      "// a comment\n"
      "root { bare word\n"
      "  \"quoted \\\"name\\\"\" \"a\\tb\\nc\\\\d\\qe\"  // after a pair\n"
      "  \"cond\" \"1\" [$WIN32]\n"
      "  \"empty\" \"\"\n"
      "}");
  ASSERT_TRUE(root);
  const Node* r = root->Child("root");
  ASSERT_TRUE(r);
  EXPECT_EQ(*r->Value("bare"), "word");
  EXPECT_EQ(*r->Value("quoted \"name\""), "a\tb\nc\\d\\qe");
  EXPECT_EQ(*r->Value("cond"), "1");
  EXPECT_EQ(*r->Value("empty"), "");
  EXPECT_EQ(r->children.size(), 4u);
}

TEST(KeyValues, MalformedTextsAreRefused) {
  const std::string deep(kMaxDepth + 1, '{');
  std::string tooDeep;
  for (int i = 0; i <= kMaxDepth; ++i) tooDeep += "\"k\" { ";
  for (int i = 0; i <= kMaxDepth; ++i) tooDeep += "} ";
  std::string deepEnough;
  for (int i = 0; i < kMaxDepth; ++i) deepEnough += "\"k\" { ";
  for (int i = 0; i < kMaxDepth; ++i) deepEnough += "} ";
  struct Case {
    const char* what;
    std::string text;
    bool readable;
  } cases[] = {
      {"empty", "", true},
      {"only a comment", "// nothing", true},
      {"unclosed section", "\"a\" { \"b\" \"c\"", false},
      {"closing brace too many", "\"a\" { } }", false},
      {"name without value", "\"a\"", false},
      {"section without name", "{ \"a\" \"b\" }", false},
      {"unclosed quote", "\"a\" \"b", false},
      {"unclosed condition", "\"a\" \"b\" [$WIN", false},
      {"binary", std::string("\x00\x01\xff{\x7f", 5), false},
      {"nested too deep", tooDeep, false},
      {"nested just deep enough", deepEnough, true},
      {"braces only", deep, false},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.text).has_value(), c.readable) << c.what;
}

TEST(KeyValues, ReadsOnlyTheBytesGiven) {
  const std::string text = "\"a\" \"b\" \"c\" \"d\"";
  // Cut inside the second pair's value: the quote is unclosed within the given bytes.
  std::optional<Node> root = Parse(std::string_view(text.data(), text.size() - 2));
  EXPECT_FALSE(root);
}

}  // namespace
}  // namespace quorvel::kv
