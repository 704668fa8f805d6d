#include "bench/results_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "bench/result_stats.h"
#include "settings/resolution_catalogue.h"

namespace quorvel::bench {

namespace {

using Json = nlohmann::ordered_json;

// Figures are kept to four decimals, so the files hold 46.5667, not 46.56666666666667.
double Rounded(double value) { return std::round(value * 1e4) / 1e4; }

// The shortest text that reads back as the rounded value, "." as separator on every locale.
std::string NumberText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), Rounded(value));
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

Json Number(std::optional<double> value) {
  if (!value || !std::isfinite(*value)) return nullptr;
  return Rounded(*value);
}

Json Fields(const std::vector<ResultField>& fields) {
  Json object = Json::object();
  for (const ResultField& f : fields) object[Latin1ToUtf8(f.Name)] = Latin1ToUtf8(f.Value);
  return object;
}

std::vector<double> Figures(const ResolutionResult& resolution) {
  std::vector<double> values;
  for (const RunResult& run : resolution.Runs)
    if (run.Fps) values.push_back(*run.Fps);
  return values;
}

Json StatsJson(const std::optional<RunStats>& s) {
  if (!s) return nullptr;
  Json out;
  out["runs"] = s->Count;
  out["mean"] = Number(s->Mean);
  out["min"] = Number(s->Min);
  out["max"] = Number(s->Max);
  out["sd"] = Number(s->StdDev);
  out["cv_percent"] = Number(s->CvPercent);
  out["ci95_low"] = Number(s->CiLow);
  out["ci95_high"] = Number(s->CiHigh);
  out["ci95_half_width"] = Number(s->CiHalfWidth);
  out["t"] = s->Count > 1 ? Number(StudentT975(s->Count - 1)) : Json(nullptr);
  return out;
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view content) {
  std::vector<std::string_view> lines;
  while (!content.empty()) {
    size_t end = content.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      lines.push_back(content);
      break;
    }
    lines.push_back(content.substr(0, end));
    bool crLf = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
    content.remove_prefix(end + (crLf ? 2 : 1));
  }
  return lines;
}

std::vector<std::string_view> SplitCommas(std::string_view line) {
  std::vector<std::string_view> parts;
  for (;;) {
    size_t comma = line.find(',');
    parts.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) break;
    line.remove_prefix(comma + 1);
  }
  // The game ends every line with ",": that leaves no column.
  if (parts.size() > 1 && TrimView(parts.back()).empty()) parts.pop_back();
  return parts;
}

bool NamesFps(std::string_view header) {
  for (std::string_view part : SplitCommas(header)) {
    std::string_view name = TrimView(part);
    if (name.size() == 3 && (name[0] | 0x20) == 'f' && (name[1] | 0x20) == 'p' &&
        (name[2] | 0x20) == 's')
      return true;
  }
  return false;
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

constexpr int kCsvColumns = 14;

// One row of the fixed columns (see ResultsCsv).
std::string CsvRow(std::initializer_list<std::pair<int, std::string>> cells) {
  std::vector<std::string> row(kCsvColumns);
  for (const auto& [column, text] : cells) row[static_cast<size_t>(column)] = text;
  std::string line;
  for (size_t i = 0; i < row.size(); ++i) {
    if (i) line += ',';
    line += CsvField(Latin1ToUtf8(row[i]));
  }
  return line + "\r\n";
}

std::string Optional(std::optional<double> value) {
  return value ? NumberText(*value) : std::string();
}

}  // namespace

ResolutionResult& SeriesResults::Resolution(const std::string& runKey,
                                            const std::string& customWidth,
                                            const std::string& customHeight) {
  for (ResolutionResult& r : Resolutions)
    if (r.RunKey == runKey) return r;
  ResolutionResult r;
  r.RunKey = runKey;
  if (const ResolutionSlot* slot = SlotByRunKey(runKey)) {
    bool custom = slot->Order == kCustomSlot;
    r.Width = custom ? std::atoi(customWidth.c_str()) : slot->Width;
    r.Height = custom ? std::atoi(customHeight.c_str()) : slot->Height;
    r.Label = custom ? customWidth + " \xD7 " + customHeight + slot->StatusSuffix
                     : std::to_string(slot->Width) + "\xD7" + std::to_string(slot->Height) +
                           slot->StatusSuffix;
  } else {
    r.Label = runKey;
  }
  Resolutions.push_back(std::move(r));
  return Resolutions.back();
}

bool SeriesResults::AnyFigure() const {
  for (const ResolutionResult& r : Resolutions)
    for (const RunResult& run : r.Runs)
      if (run.Fps) return true;
  return false;
}

std::vector<ResultField> MachineFields(const SystemInfoSnapshot& info) {
  std::vector<ResultField> fields;
  fields.push_back({"Operating system", info.OperatingSystem});
  if (info.SystemMemory) fields.push_back({"System memory", *info.SystemMemory});
  fields.push_back({"CPU", info.CpuName});
  fields.push_back({"CPU speed", std::to_string(info.CpuSpeed) + " MHz"});
  fields.push_back({"Sound system", info.SoundDevice});
  // The same blocks as the report's head; names stay unique when two blocks follow.
  std::string suffix;
  if (info.AtiFound) {
    fields.push_back({"Graphics card", info.AtiCardName});
    if (!info.AtiBusType.empty() && !info.AtiMemoryType.empty())
      fields.push_back({"Bustype", info.AtiBusType});
    fields.push_back({"Memory", info.DisplayMemory});
    fields.push_back({"Current VPU speed", info.AtiVpuClock});
    fields.push_back({"Current memory speed", info.AtiMemoryClock});
    fields.push_back({"Driver version", info.DriverVersion});
    suffix = " (2)";
  }
  if (info.AdapterFound) {
    fields.push_back({"Graphics card" + suffix, info.AdapterName});
    fields.push_back({"Memory" + suffix, info.DisplayMemory});
    fields.push_back({"Current GPU speed" + suffix, info.AdapterGpuClock});
    fields.push_back({"Current memory speed" + suffix, info.AdapterMemoryClock});
    fields.push_back({"Driver version" + suffix, info.DriverVersion});
  }
  if (!info.AtiFound && !info.AdapterFound) {
    fields.push_back({"Graphics card", info.CardName});
    fields.push_back({"Memory", info.DisplayMemory});
    fields.push_back({"Driver version", info.DriverVersion});
  }
  return fields;
}

std::vector<ResultField> ResultFileFields(std::string_view content) {
  std::vector<std::string_view> lines = Lines(content);
  size_t header = 0;
  std::string_view run;
  if (!lines.empty() && NamesFps(lines[0])) {
    // Newer layout: the last non-blank line is the run just played.
    for (size_t i = lines.size(); i-- > 1;)
      if (!TrimView(lines[i]).empty()) {
        run = lines[i];
        break;
      }
  } else if (lines.size() >= 4) {
    header = 2;
    run = lines[3];
  }
  if (TrimView(run).empty()) return {};
  std::vector<std::string_view> names = SplitCommas(lines[header]);
  std::vector<std::string_view> values = SplitCommas(run);
  std::vector<ResultField> fields;
  for (size_t i = 0; i < values.size(); ++i) {
    std::string name = i < names.size() ? std::string(TrimView(names[i])) : std::string();
    if (name.empty()) name = "column " + std::to_string(i + 1);
    fields.push_back({std::move(name), std::string(TrimView(values[i]))});
  }
  return fields;
}

std::string ResultsJson(const SeriesResults& results) {
  Json root;
  root["format"] = kResultsFormat;
  root["schema_version"] = kResultsSchemaVersion;
  root["complete"] = results.Complete;
  root["started_at"] = Latin1ToUtf8(results.StartedAt);
  root["stamp"] = Latin1ToUtf8(results.Stamp);
  root["game"] = {{"name", results.LostCoast ? kLostCoastName : kHalfLife2Name},
                  {"app_id", results.LostCoast ? 340 : 220}};
  root["demo"] = {{"name", Latin1ToUtf8(results.DemoName)},
                  {"caption", Latin1ToUtf8(results.DemoCaption)}};
  root["machine"] = Fields(results.Machine);
  root["settings"] = Fields(results.Settings);
  Json resolutions = Json::array();
  for (const ResolutionResult& r : results.Resolutions) {
    Json item;
    item["key"] = Latin1ToUtf8(r.RunKey);
    item["label"] = Latin1ToUtf8(r.Label);
    item["width"] = r.Width;
    item["height"] = r.Height;
    Json runs = Json::array();
    for (const RunResult& run : r.Runs) {
      Json j;
      j["run"] = run.Number;
      j["fps"] = Number(run.Fps);
      j["fps_text"] = Latin1ToUtf8(run.FpsText);
      j["fields"] = Fields(run.Fields);
      runs.push_back(std::move(j));
    }
    item["runs"] = std::move(runs);
    std::vector<double> figures = Figures(r);
    item["stats"] = StatsJson(ComputeRunStats(figures));
    resolutions.push_back(std::move(item));
  }
  root["resolutions"] = std::move(resolutions);
  return root.dump(2) + "\n";
}

// One table for spreadsheets and scripts alike; the first column tells a row's kind:
//   0 kind  1 key  2 resolution  3 run  4 fps  5 mean  6 min  7 max  8 sd  9 cv_percent
//   10 ci95_low  11 ci95_high  12 name  13 value
std::string ResultsCsv(const SeriesResults& results) {
  std::string out =
      "kind,key,resolution,run,fps,mean,min,max,sd,cv_percent,ci95_low,ci95_high,name,value\r\n";
  out += CsvRow({{0, "info"}, {12, "format"}, {13, kResultsFormat}});
  out += CsvRow({{0, "info"}, {12, "schema_version"}, {13, std::to_string(kResultsSchemaVersion)}});
  out += CsvRow({{0, "info"}, {12, "complete"}, {13, results.Complete ? "yes" : "no"}});
  out += CsvRow({{0, "info"}, {12, "started_at"}, {13, results.StartedAt}});
  out += CsvRow(
      {{0, "info"}, {12, "game"}, {13, results.LostCoast ? kLostCoastName : kHalfLife2Name}});
  out += CsvRow({{0, "info"}, {12, "demo"}, {13, results.DemoName}});
  out += CsvRow({{0, "info"}, {12, "demo_caption"}, {13, results.DemoCaption}});
  for (const ResultField& f : results.Machine)
    out += CsvRow({{0, "machine"}, {12, f.Name}, {13, f.Value}});
  for (const ResultField& f : results.Settings)
    out += CsvRow({{0, "setting"}, {12, f.Name}, {13, f.Value}});
  for (const ResolutionResult& r : results.Resolutions) {
    for (const RunResult& run : r.Runs) {
      std::string number = std::to_string(run.Number);
      out += CsvRow({{0, "run"}, {1, r.RunKey}, {2, r.Label}, {3, number}, {4, Optional(run.Fps)}});
      for (const ResultField& f : run.Fields)
        out += CsvRow(
            {{0, "field"}, {1, r.RunKey}, {2, r.Label}, {3, number}, {12, f.Name}, {13, f.Value}});
    }
    std::vector<double> figures = Figures(r);
    if (std::optional<RunStats> s = ComputeRunStats(figures))
      out += CsvRow({{0, "summary"},
                     {1, r.RunKey},
                     {2, r.Label},
                     {3, std::to_string(s->Count)},
                     {5, NumberText(s->Mean)},
                     {6, NumberText(s->Min)},
                     {7, NumberText(s->Max)},
                     {8, Optional(s->StdDev)},
                     {9, Optional(s->CvPercent)},
                     {10, Optional(s->CiLow)},
                     {11, Optional(s->CiHigh)}});
  }
  return out;
}

std::string ResultsFileName(const std::string& reportName, const char* extension) {
  size_t dot = reportName.find_last_of('.');
  size_t slash = reportName.find_last_of("\\/");
  std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                         ? reportName.substr(0, dot)
                         : reportName;
  return base + extension;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace quorvel::bench
