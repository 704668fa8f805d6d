#include "settings/key_values.h"

#include <cstddef>

namespace quorvel::kv {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

enum class TokenKind { End, Text, Open, Close, Condition, Bad };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token Next() {
    SkipSpaceAndComments();
    Token token;
    if (at_ >= text_.size()) return token;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      token.kind = TokenKind::Open;
    } else if (c == '}') {
      ++at_;
      token.kind = TokenKind::Close;
    } else if (c == '"') {
      token.kind = Quoted(token.text) ? TokenKind::Text : TokenKind::Bad;
    } else if (c == '[') {
      const size_t close = text_.find(']', at_);
      if (close == std::string_view::npos) {
        token.kind = TokenKind::Bad;
        at_ = text_.size();
      } else {
        token.kind = TokenKind::Condition;
        at_ = close + 1;
      }
    } else {
      token.kind = TokenKind::Text;
      while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '{' && text_[at_] != '}' &&
             text_[at_] != '"')
        token.text.push_back(text_[at_++]);
    }
    return token;
  }

 private:
  void SkipSpaceAndComments() {
    while (at_ < text_.size()) {
      if (IsSpace(text_[at_])) {
        ++at_;
      } else if (text_[at_] == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
        const size_t end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else {
        return;
      }
    }
  }

  bool Quoted(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (c == '\\' && at_ < text_.size()) {
        const char e = text_[at_++];
        switch (e) {
          case 'n':
            out.push_back('\n');
            break;
          case 't':
            out.push_back('\t');
            break;
          case '\\':
          case '"':
            out.push_back(e);
            break;
          default:
            // Not an escape Steam writes: both characters stand as they are.
            out.push_back('\\');
            out.push_back(e);
            break;
        }
        continue;
      }
      out.push_back(c);
    }
    return false;
  }

  std::string_view text_;
  size_t at_ = 0;
};

// Reads pairs into `section` until its closing brace (or the end of the text at depth 0).
bool ReadPairs(Lexer& lexer, Node& section, int depth) {
  Token token = lexer.Next();
  while (true) {
    while (token.kind == TokenKind::Condition) token = lexer.Next();
    if (token.kind == TokenKind::End) return depth == 0;
    if (token.kind == TokenKind::Close) return depth > 0;
    if (token.kind != TokenKind::Text) return false;
    Node child;
    child.name = std::move(token.text);
    Token value = lexer.Next();
    while (value.kind == TokenKind::Condition) value = lexer.Next();
    if (value.kind == TokenKind::Text) {
      child.value = std::move(value.text);
    } else if (value.kind == TokenKind::Open) {
      if (depth + 1 > kMaxDepth) return false;
      child.section = true;
      if (!ReadPairs(lexer, child, depth + 1)) return false;
    } else {
      return false;
    }
    section.children.push_back(std::move(child));
    token = lexer.Next();
  }
}

}  // namespace

const Node* Node::Child(std::string_view childName) const {
  for (const Node& child : children)
    if (EqualsNoCase(child.name, childName)) return &child;
  return nullptr;
}

const std::string* Node::Value(std::string_view childName) const {
  for (const Node& child : children)
    if (!child.section && EqualsNoCase(child.name, childName)) return &child.value;
  return nullptr;
}

std::optional<Node> Parse(std::string_view text) {
  Node root;
  root.section = true;
  Lexer lexer(text);
  if (!ReadPairs(lexer, root, 0)) return std::nullopt;
  return root;
}

}  // namespace quorvel::kv
