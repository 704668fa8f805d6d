#include "update/update_info.h"

#include <unordered_map>

#include "platform/text.h"
#include "update/helper_command.h"

namespace quorvel::update {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first case-insensitive occurrence of `pattern`, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return 0;
  if (pattern.size() > text.size()) return std::string_view::npos;
  const char first = LowerAscii(pattern[0]);
  for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (LowerAscii(text[i]) != first) continue;
    std::size_t k = 1;
    while (k < pattern.size() && LowerAscii(text[i + k]) == LowerAscii(pattern[k])) ++k;
    if (k == pattern.size()) return i;
  }
  return std::string_view::npos;
}

// The value that starts at `start`: up to the first character below 32 or the end.
std::string ValueFrom(std::string_view text, std::size_t start) {
  std::size_t end = start;
  while (end < text.size() && static_cast<unsigned char>(text[end]) >= 32) ++end;
  return std::string(text.substr(start, end - start));
}

// A whole number of a version part: decimal digits only, within 32 bits; -1 otherwise.
long long VersionPart(std::string_view part) {
  if (part.empty() || part.size() > 10) return -1;
  long long value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value > 2147483647LL ? -1 : value;
}

int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A decimal number of at most `digits` digits, nothing else.
std::optional<int> SmallNumber(std::string_view s, std::size_t digits) {
  if (s.empty() || s.size() > digits) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

std::string InfoValue(std::string_view text, std::string_view key) {
  std::string pattern(key);
  pattern += '=';
  std::size_t at = FindNoCase(text, pattern);
  if (at == std::string_view::npos) return {};
  return ValueFrom(text, at + pattern.size());
}

std::string InfoMessage(std::string_view text) {
  static constexpr std::string_view kPattern = "#message={";
  std::size_t at = FindNoCase(text, kPattern);
  if (at == std::string_view::npos) return {};
  std::string_view rest = text.substr(at + kPattern.size());
  std::size_t close = rest.find('}');
  if (close != std::string_view::npos) return std::string(rest.substr(0, close));
  if (rest.size() >= 2 && rest.substr(rest.size() - 2) == "\r\n") rest.remove_suffix(2);
  return std::string(rest);
}

std::vector<std::string> InfoFileList(std::string_view text) {
  std::vector<std::string> files;
  for (ListedFile& file : InfoFileEntries(text)) files.push_back(std::move(file.Entry));
  return files;
}

std::vector<ListedFile> InfoFileEntries(std::string_view text) {
  // Where each "#url<digits>=" first occurs, found in one walk: a file with thousands of
  // numbered keys is read once, not once per key.
  std::unordered_map<std::string, std::size_t> first;
  for (std::size_t i = 0; i + 5 <= text.size(); ++i) {
    if (text[i] != '#' || LowerAscii(text[i + 1]) != 'u' || LowerAscii(text[i + 2]) != 'r' ||
        LowerAscii(text[i + 3]) != 'l')
      continue;
    std::size_t k = i + 4;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
    if (k >= text.size() || text[k] != '=') continue;
    first.try_emplace(std::string(text.substr(i + 4, k - (i + 4))), k + 1);
  }
  auto value = [&](const std::string& digits) -> std::string {
    auto it = first.find(digits);
    return it == first.end() ? std::string() : ValueFrom(text, it->second);
  };
  std::vector<ListedFile> files;
  for (const char* key : {"", "0"})
    if (std::string v = value(key); !v.empty()) files.push_back({key, std::move(v)});
  for (std::size_t n = files.size() + 1;; ++n) {
    std::string key = std::to_string(n);
    std::string v = value(key);
    if (v.empty()) break;
    files.push_back({std::move(key), std::move(v)});
  }
  return files;
}

int UpgradeMethodOf(std::string_view methodValue) {
  if (methodValue.empty()) return 0;
  if (methodValue[0] == '1') return 1;
  if (methodValue[0] == '2') return 2;
  return 0;
}

int CompareVersionsByNumber(std::string_view infoVersion, std::string_view ownVersion) {
  auto parts = [](std::string_view v) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (out.size() < 4) {
      std::size_t dot = v.find('.', start);
      out.push_back(v.substr(start, dot == std::string_view::npos ? v.npos : dot - start));
      if (dot == std::string_view::npos) break;
      start = dot + 1;
    }
    while (out.size() < 4) out.push_back("0");
    return out;
  };
  auto a = parts(infoVersion);
  auto b = parts(ownVersion);
  for (int i = 0; i < 4; ++i) {
    long long x = VersionPart(a[i]);
    long long y = VersionPart(b[i]);
    if (x < 0 || y < 0) return Sign(infoVersion.compare(ownVersion));
    if (x != y) return x > y ? 1 : -1;
  }
  return 0;
}

std::optional<UpdaterDate> ParseUpdaterDate(std::string_view text) {
  std::size_t s1 = text.find('/');
  if (s1 == std::string_view::npos) return std::nullopt;
  std::size_t s2 = text.find('/', s1 + 1);
  if (s2 == std::string_view::npos) return std::nullopt;
  auto month = SmallNumber(text.substr(0, s1), 2);
  auto day = SmallNumber(text.substr(s1 + 1, s2 - s1 - 1), 2);
  auto year = SmallNumber(text.substr(s2 + 1), 4);
  if (!month || !day || !year) return std::nullopt;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (*year < 1 || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
  int last = kDays[*month - 1] + ((*month == 2 && IsLeap(*year)) ? 1 : 0);
  if (*day > last) return std::nullopt;
  return UpdaterDate{*year, *month, *day};
}

bool NewerByDate(std::string_view infoDate, std::string_view versionDate, UpdaterDate today) {
  UpdaterDate info = ParseUpdaterDate(infoDate).value_or(today);
  UpdaterDate own = ParseUpdaterDate(versionDate).value_or(today);
  return info > own;
}

FileEntry SplitEntry(std::string_view entry) {
  FileEntry out;
  std::size_t eq = entry.find('=');
  out.Url = std::string(entry.substr(0, eq));
  if (eq != std::string_view::npos && eq + 1 < entry.size()) {
    out.Destination = std::string(entry.substr(eq + 1));
    out.HasDestination = true;
  }
  return out;
}

std::string UrlFileName(std::string_view url) {
  std::size_t slash = url.rfind('/');
  return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

PlaceholderFolders MakePlaceholderFolders(std::string_view programFolder, std::string_view desktop,
                                          std::string_view personal, std::string_view pictures,
                                          std::string_view appData, std::string_view windows,
                                          std::string_view system, std::string_view temp,
                                          bool tempIsFolder) {
  using text::WithBackslash;
  PlaceholderFolders f;
  f.Current = WithBackslash(programFolder);
  f.Desktop = WithBackslash(desktop);
  f.MyDocuments = WithBackslash(personal);
  f.MyPictures = WithBackslash(pictures);
  f.AppData = WithBackslash(appData);
  f.Windows = WithBackslash(windows);
  f.System = WithBackslash(system);
  f.Temp = tempIsFolder ? WithBackslash(temp) : f.Current;
  f.ProgramFiles = std::string(windows.substr(0, 3)) + "Program Files\\";
  f.Help = f.Windows + "HELP\\";
  f.Media = f.Windows + "MEDIA\\";
  f.Cursors = f.Windows + "CURSORS\\";
  return f;
}

std::string ReplacePlaceholders(std::string_view destination, const PlaceholderFolders& folders) {
  const std::pair<std::string_view, const std::string*> table[] = {
      {"%current%", &folders.Current},
      {"%desktop%", &folders.Desktop},
      {"%mydocuments%", &folders.MyDocuments},
      {"%mypictures%", &folders.MyPictures},
      {"%appdata%", &folders.AppData},
      {"%programfiles%", &folders.ProgramFiles},
      {"%windows%", &folders.Windows},
      {"%system%", &folders.System},
      {"%temp%", &folders.Temp},
      {"%help%", &folders.Help},
      {"%media%", &folders.Media},
      {"%cursors%", &folders.Cursors},
  };
  std::string out;
  out.reserve(destination.size());
  std::size_t i = 0;
  while (i < destination.size()) {
    bool replaced = false;
    if (destination[i] == '%') {
      for (const auto& [name, folder] : table) {
        if (destination.size() - i >= name.size() &&
            text::EqualsNoCase(destination.substr(i, name.size()), name)) {
          out += *folder;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += destination[i++];
  }
  return out;
}

std::string ResolveDestination(const FileEntry& entry, const PlaceholderFolders& folders) {
  if (!entry.HasDestination) return folders.Current + UrlFileName(entry.Url);
  std::string path = ReplacePlaceholders(entry.Destination, folders);
  // Anything but "X:..." is taken below the program folder; a short relative name too (it
  // must never land in whatever the current folder happens to be).
  if (path.size() < 2 || path[1] != ':') path = folders.Current + path;
  return path;
}

std::vector<std::string> FolderLevels(std::string_view path) {
  std::vector<std::string> levels;
  std::size_t start = 0;
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') start = 3;
  for (std::size_t i = start; i < path.size(); ++i) {
    if (path[i] == '\\' && i > 0 && path[i - 1] != '\\' && path[i - 1] != ':')
      levels.emplace_back(path.substr(0, i));
  }
  return levels;
}

std::string UrlHostName(std::string_view url) {
  std::size_t scheme = url.find("://");
  std::string_view rest = scheme == std::string_view::npos ? url : url.substr(scheme + 3);
  std::size_t end = rest.find_first_of("/?#");
  rest = rest.substr(0, end);
  if (std::size_t at = rest.rfind('@'); at != std::string_view::npos) rest = rest.substr(at + 1);
  return std::string(rest.substr(0, rest.find(':')));
}

BrowserCommand SplitBrowserCommand(std::string_view command) {
  BrowserCommand out;
  std::string_view c = command;
  while (!c.empty() && c.front() == ' ') c.remove_prefix(1);
  if (!c.empty() && c.front() == '"') {
    std::size_t close = c.find('"', 1);
    if (close == std::string_view::npos) {
      out.Program = std::string(c.substr(1));
      return out;
    }
    out.Program = std::string(c.substr(1, close - 1));
    std::string_view args = c.substr(close + 1);
    while (!args.empty() && args.front() == ' ') args.remove_prefix(1);
    out.Arguments = std::string(args);
    return out;
  }
  std::size_t cut = std::string_view::npos;
  for (std::string_view mark : {" -", " /", " \\", ",", " %"}) {
    std::size_t at = c.find(mark);
    if (at < cut) cut = at;
  }
  out.Program = std::string(c.substr(0, cut));
  if (cut != std::string_view::npos) {
    std::string_view args = c.substr(cut);
    while (!args.empty() && (args.front() == ' ' || args.front() == ',')) args.remove_prefix(1);
    out.Arguments = std::string(args);
  }
  return out;
}

int TotalPercentsDone(int index, int count, int percentsDone) {
  if (count <= 0) return 0;
  long long num = static_cast<long long>(index) * 100;
  long long q = num / count;
  long long r = num % count;
  if (2 * r > count || (2 * r == count && (q % 2) != 0)) ++q;
  return static_cast<int>(q + percentsDone / count);
}

std::string QueueText(const std::vector<std::string>& destinations) {
  std::string out;
  for (const std::string& d : destinations) out += d + "\r\n";
  return out;
}

std::string HelperCommandLine(std::string_view helperPath, std::string_view programPath,
                              std::string_view restartParams, int method) {
  char digit = static_cast<char>('0' + (method >= 0 && method <= 2 ? method : 0));
  std::string line = "\"";
  line += helperPath;
  line += "\" ";
  line += HelperArguments(std::string(programPath), std::string(restartParams), digit);
  return line;
}

}  // namespace quorvel::update
