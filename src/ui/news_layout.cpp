#include "ui/news_layout.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quorvel::news {

namespace {

constexpr int kGap = 8;

bool Fits(const Box& work, int left, int top, int width, int height) {
  return left >= work.left && top >= work.top && left + width <= work.right &&
         top + height <= work.bottom;
}

int Clamp(int value, int low, int high) { return high < low ? low : std::clamp(value, low, high); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[at + i]) != word[i]) return false;
  return true;
}

// Position just after the first `end` (compared without regard to case) from `at`; the
// text's end when there is none.
size_t After(std::string_view text, size_t at, std::string_view end) {
  for (size_t i = at; i < text.size(); ++i)
    if (StartsWithNoCase(text, i, end)) return i + end.size();
  return text.size();
}

bool Contains(std::string_view text, std::string_view word) {
  for (size_t i = 0; i < text.size(); ++i)
    if (StartsWithNoCase(text, i, word)) return true;
  return false;
}

bool IsBlockTag(const std::string& name) {
  static const char* const kBlocks[] = {"p",  "div", "br", "h1", "h2", "h3",    "h4",   "h5",
                                        "h6", "ul",  "ol", "li", "tr", "table", "title"};
  for (const char* block : kBlocks)
    if (name == block) return true;
  return false;
}

std::string Entity(std::string_view name) {
  struct Named {
    const char* name;
    const char* text;
  };
  static const Named kNamed[] = {
      {"amp", "&"},    {"lt", "<"},       {"gt", ">"},       {"quot", "\""},     {"apos", "'"},
      {"nbsp", " "},   {"times", "\xD7"}, {"copy", "\xA9"},  {"reg", "\xAE"},    {"rsaquo", ">"},
      {"lsaquo", "<"}, {"raquo", "\xBB"}, {"laquo", "\xAB"}, {"middot", "\xB7"}, {"ndash", "-"},
      {"mdash", "-"},  {"hellip", "..."},
  };
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    std::string digits(name.substr(hex ? 2 : 1));
    if (digits.empty() || digits.size() > 6) return std::string();
    char* end = nullptr;
    long value = std::strtol(digits.c_str(), &end, hex ? 16 : 10);
    if (*end != '\0' || value <= 0) return std::string();
    return value < 256 ? std::string(1, static_cast<char>(value)) : std::string("?");
  }
  for (const Named& named : kNamed)
    if (name == named.name) return named.text;
  return std::string();
}

}  // namespace

Placement NewsWindowPlacement(const Box& work, const Box& main, int width, int height) {
  const int alignedTop = Clamp(main.top, work.top, work.bottom - height);
  const int alignedLeft = Clamp(main.left, work.left, work.right - width);
  const Placement beside[] = {
      {main.right + kGap, alignedTop, false},
      {main.left - kGap - width, alignedTop, false},
      {alignedLeft, main.bottom + kGap, false},
      {alignedLeft, main.top - kGap - height, false},
  };
  for (const Placement& p : beside)
    if (Fits(work, p.left, p.top, width, height)) return p;
  // No room: the work area's corner on the side away from the run button, which lies at the
  // main window's left.
  Placement corner;
  corner.left = std::max(work.left, work.right - width);
  corner.top = work.top;
  corner.overlapsMain = true;
  return corner;
}

std::string PageText(std::string_view html) {
  std::string out;
  bool pendingBlank = false;
  bool inBody = false;  // nothing before <body> (or the end of </head>) is text
  // A page without <body> or <head> is all body.
  const bool hasBody = Contains(html, "<body");
  const bool hasHead = Contains(html, "</head");
  inBody = !hasBody && !hasHead;
  // Ends the line under way, if any.
  auto endLine = [&] {
    pendingBlank = false;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (!out.empty() && out.back() != '\n') out += "\r\n";
  };
  // An empty line before what follows; never two in a row, none at the start.
  auto emptyLine = [&] {
    endLine();
    if (out.empty() || (out.size() >= 4 && out.compare(out.size() - 4, 4, "\r\n\r\n") == 0)) return;
    out += "\r\n";
  };
  auto atLineStart = [&] { return out.empty() || out.back() == '\n'; };
  auto put = [&](const std::string& text) {
    if (!inBody || text.empty()) return;
    if (pendingBlank && !atLineStart() && out.back() != ' ') out += ' ';
    pendingBlank = false;
    out += text;
  };
  size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<') {
      if (StartsWithNoCase(html, i, "<!--")) {
        i = After(html, i + 4, "-->");
        continue;
      }
      size_t close = html.find('>', i);
      if (close == std::string_view::npos) break;
      std::string_view tag = html.substr(i + 1, close - i - 1);
      const bool closing = !tag.empty() && tag[0] == '/';
      std::string name;
      for (size_t k = closing ? 1 : 0; k < tag.size(); ++k) {
        char ch = Lower(tag[k]);
        if (!((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))) break;
        name += ch;
      }
      i = close + 1;
      if (!closing && (name == "style" || name == "script")) {
        i = After(html, i, name == "style" ? "</style" : "</script");
        const size_t end = html.find('>', i);
        i = end == std::string_view::npos ? html.size() : end + 1;
        continue;
      }
      if (name == "body" && !closing) inBody = true;
      if (name == "head" && closing && !hasBody) inBody = true;
      if (!inBody) continue;
      if (IsBlockTag(name)) {
        if (name == "p" || name == "ul" || name == "ol" || name == "table" ||
            (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6'))
          emptyLine();
        else
          endLine();
        if (name == "li" && !closing) out += "- ";
      }
      continue;
    }
    if (c == '&') {
      size_t semi = html.find(';', i);
      if (semi != std::string_view::npos && semi - i <= 10) {
        std::string text = Entity(html.substr(i + 1, semi - i - 1));
        if (!text.empty()) {
          if (text == " ") {
            if (inBody) out += ' ';
          } else {
            put(text);
          }
          i = semi + 1;
          continue;
        }
      }
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
      pendingBlank = true;
      ++i;
      continue;
    }
    put(std::string(1, c));
    ++i;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\r' || out.back() == '\n'))
    out.pop_back();
  return out;
}

}  // namespace quorvel::news
