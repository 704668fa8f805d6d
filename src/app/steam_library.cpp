#include "app/steam_library.h"

#include "settings/key_values.h"

namespace quorvel::library {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Characters no file or folder name may hold (besides the separators and the colon).
bool ForbiddenInName(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u < 0x20 || c == '"' || c == '<' || c == '>' || c == '|' || c == '*' || c == '?';
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (ForbiddenInName(c) || c == '\\' || c == '/' || c == ':') return false;
  // Windows drops trailing dots and blanks, so "x." would name "x".
  return name.back() != '.' && name.back() != ' ';
}

// "D:\Steam Library" or "d:/games//steam/" as "D:\Steam Library\", "d:\games\steam\";
// nullopt for anything else.
std::optional<std::string> CleanLibraryPath(const std::string& raw) {
  if (raw.size() < 3 || raw.size() > kMaxPath) return std::nullopt;
  const char drive = Lower(raw[0]);
  if (drive < 'a' || drive > 'z' || raw[1] != ':' || (raw[2] != '\\' && raw[2] != '/'))
    return std::nullopt;
  std::string out = raw.substr(0, 2) + "\\";
  std::string part;
  for (size_t i = 3; i <= raw.size(); ++i) {
    const char c = i < raw.size() ? raw[i] : '\\';
    if (c == '\\' || c == '/') {
      if (!part.empty()) {
        if (!IsPlainName(part)) return std::nullopt;
        out += part + "\\";
        part.clear();
      }
      continue;
    }
    part.push_back(c);
  }
  return out;
}

}  // namespace

std::vector<std::string> LibraryFolders(std::string_view vdfText) {
  return ReadLibraryList(vdfText).value_or(std::vector<std::string>());
}

std::optional<std::vector<std::string>> ReadLibraryList(std::string_view vdfText) {
  std::optional<kv::Node> root = kv::Parse(vdfText);
  if (!root) return std::nullopt;
  const kv::Node* list = root->Child("libraryfolders");
  if (!list || !list->section) return std::nullopt;
  std::vector<std::string> folders;
  for (const kv::Node& entry : list->children) {
    if (!IsNumber(entry.name)) continue;
    const std::string* raw = entry.section ? entry.Value("path") : &entry.value;
    if (!raw) continue;
    std::optional<std::string> folder = CleanLibraryPath(*raw);
    if (!folder) continue;
    bool seen = false;
    for (const std::string& known : folders) seen = seen || SameNoCase(known, *folder);
    if (!seen) folders.push_back(std::move(*folder));
  }
  return folders;
}

std::optional<std::string> ManifestInstallDir(std::string_view acfText) {
  std::optional<kv::Node> root = kv::Parse(acfText);
  if (!root) return std::nullopt;
  const kv::Node* state = root->Child("AppState");
  if (!state || !state->section) return std::nullopt;
  const std::string* dir = state->Value("installdir");
  if (!dir || !IsPlainName(*dir)) return std::nullopt;
  return *dir;
}

std::string SteamAppsFolder(const std::string& library) { return library + "steamapps\\"; }

std::string ManifestPath(const std::string& library, const std::string& app) {
  return SteamAppsFolder(library) + "appmanifest_" + app + ".acf";
}

std::string InstalledGameFolder(const std::string& library, const std::string& installDir,
                                const std::string& programName) {
  std::string folder = SteamAppsFolder(library) + "common\\" + installDir + "\\";
  if (folder.size() + programName.size() > kMaxPath) return std::string();
  return folder;
}

}  // namespace quorvel::library
