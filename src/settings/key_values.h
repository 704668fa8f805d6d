#pragma once
// A reader of Steam's KeyValues text files ("libraryfolders.vdf", "appmanifest_*.acf"):
//   "name" "value"   or   "name" { ...pairs... }
// Names and values are quoted (with the escapes \\ \" \n \t) or bare words; "//" starts a
// comment; a bracketed condition such as [$WIN32] after a pair is skipped. Portable.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::kv {

struct Node {
  std::string name;
  std::string value;           // "" for a section
  std::vector<Node> children;  // the pairs of a section, in file order
  bool section = false;

  // The first child of that name (compared without regard to case); null when none.
  const Node* Child(std::string_view childName) const;
  // The value of the first child of that name that is a plain value; null when none.
  const std::string* Value(std::string_view childName) const;
};

// Sections deeper than this make the text unreadable (no real file comes near it).
inline constexpr int kMaxDepth = 32;

// The pairs of `text` as the children of an unnamed root section; nullopt when the text is
// not well formed (unbalanced braces, a name without a value, a section without a name,
// an unclosed quote, sections nested deeper than kMaxDepth). Reads only the bytes given.
std::optional<Node> Parse(std::string_view text);

}  // namespace quorvel::kv
