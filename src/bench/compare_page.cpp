#include "bench/compare_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include <nlohmann/json.hpp>

#include "bench/result_stats.h"
#include "bench/results_export.h"
#include "settings/resolution_catalogue.h"

namespace quorvel::bench {

namespace {

using Json = nlohmann::ordered_json;

// Result files of a series are a few kilobytes; anything far larger is not one of ours.
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;
// Ours nest four levels deep; a deeper file is refused before it is parsed.
constexpr int kMaxDepth = 32;

struct Damaged {
  std::string What;
};

int NestingDepth(std::string_view bytes) {
  int depth = 0, deepest = 0;
  bool inString = false, escaped = false;
  for (char c : bytes) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

const Json& Member(const Json& object, const char* name, Json::value_t type) {
  auto found = object.find(name);
  bool fits =
      found != object.end() &&
      (found->type() == type || (type == Json::value_t::number_float && found->is_number()) ||
       (type == Json::value_t::number_integer && found->is_number_integer()));
  if (!fits) throw Damaged{std::string("\"") + name + "\" is missing or has the wrong type"};
  return *found;
}

std::string Text(const Json& object, const char* name) {
  return Member(object, name, Json::value_t::string).get<std::string>();
}

std::vector<NamedValue> Pairs(const Json& object, const char* name) {
  std::vector<NamedValue> pairs;
  for (const auto& [key, value] : Member(object, name, Json::value_t::object).items()) {
    if (!value.is_string()) throw Damaged{std::string("a value of \"") + name + "\" is no text"};
    pairs.push_back({key, value.get<std::string>()});
  }
  return pairs;
}

ComparedResult Interpret(const Json& root, const std::string& source) {
  ComparedResult r;
  r.Source = source;
  r.Complete = Member(root, "complete", Json::value_t::boolean).get<bool>();
  r.StartedAt = Text(root, "started_at");
  r.Game = Text(Member(root, "game", Json::value_t::object), "name");
  const Json& demo = Member(root, "demo", Json::value_t::object);
  r.Demo = Text(demo, "name");
  std::string caption = Text(demo, "caption");
  if (!caption.empty() && caption != r.Demo) r.Demo += " (" + caption + ")";
  r.Machine = Pairs(root, "machine");
  r.Settings = Pairs(root, "settings");
  for (const Json& item : Member(root, "resolutions", Json::value_t::array)) {
    if (!item.is_object()) throw Damaged{"a resolution is not an object"};
    ComparedResult::Resolution res;
    res.Key = Text(item, "key");
    res.Label = Text(item, "label");
    for (const Json& run : Member(item, "runs", Json::value_t::array)) {
      if (!run.is_object()) throw Damaged{"a run is not an object"};
      auto fps = run.find("fps");
      if (fps == run.end()) throw Damaged{"a run has no \"fps\""};
      if (fps->is_null()) continue;
      if (!fps->is_number()) throw Damaged{"a run's \"fps\" is not a number"};
      double value = fps->get<double>();
      if (!std::isfinite(value) || value < 0 || value > 1e7)
        throw Damaged{"a run's \"fps\" is out of range"};
      res.Figures.push_back(value);
    }
    r.Resolutions.push_back(std::move(res));
  }
  return r;
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
  return buffer;
}

std::string Percent(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%+.1f %%", value);
  return buffer;
}

// Distinct colours for any number of results: hues a golden angle apart.
std::string Colour(size_t index) {
  int hue = static_cast<int>(std::fmod(210.0 + 137.508 * static_cast<double>(index), 360.0));
  return "hsl(" + std::to_string(hue) + ",62%,46%)";
}

// A round upper end for the axis: 1, 2 or 5 times a power of ten, at least `value`.
double AxisEnd(double value) {
  if (value <= 0) return 1;
  double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0})
    if (step * power >= value) return step * power;
  return 10 * power;
}

// The order resolutions are shown in: the program's catalogue first, then others by label.
int CatalogueOrder(const std::string& key) {
  const ResolutionSlot* slot = SlotByRunKey(key);
  return slot ? slot->Order : 100;
}

constexpr const char* kStyle = R"(<style>
body{font-family:"DejaVu Sans",Verdana,Arial,sans-serif;margin:0 auto;padding:16px;max-width:1000px;color:#1b1b1f;background:#fff}
h1{font-size:1.6em;margin:.2em 0 .6em}
h2{font-size:1.25em;margin:1.6em 0 .5em;border-bottom:2px solid #0066ff;padding-bottom:.2em}
.scroll{overflow-x:auto;margin:.5em 0}
table{border-collapse:collapse;font-size:.9em}
th,td{border:1px solid #c8c8d0;padding:.25em .5em;text-align:left;vertical-align:top}
th{background:#eef2fb}
td.num{text-align:right;white-space:nowrap}
td:first-child,th{white-space:nowrap}
.key{display:inline-block;width:.9em;height:.9em;border-radius:2px;vertical-align:-.1em;margin-right:.3em}
.incomplete{color:#990000;font-weight:bold}
svg.chart{width:100%;min-width:520px;max-width:900px;height:auto;display:block}
svg text{font-family:"DejaVu Sans",Verdana,Arial,sans-serif}
.note{color:#55555f;font-size:.9em}
</style>)";

struct Cell {
  std::string Text;
  bool Present = false;
};

// The rows of the "what differs" table: one per name, in the order first seen.
void AddRows(std::vector<std::pair<std::string, std::vector<Cell>>>& rows, const std::string& group,
             size_t index, size_t count, const std::vector<NamedValue>& values) {
  for (const NamedValue& v : values) {
    std::string name = group.empty() ? v.Name : group + ": " + v.Name;
    auto row =
        std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.first == name; });
    if (row == rows.end()) {
      rows.push_back({name, std::vector<Cell>(count)});
      row = rows.end() - 1;
    }
    row->second[index] = {v.Value, true};
  }
}

void AppendChart(std::string& out, const std::vector<ComparedResult>& results,
                 const std::vector<std::optional<RunStats>>& stats) {
  double top = 0;
  for (const auto& s : stats)
    if (s) top = std::max(top, s->Max);
  double end = AxisEnd(top);
  const int left = 44, right = 470, width = 640, row = 26, head = 22;
  int height = head + row * static_cast<int>(results.size()) + 8;
  out += "<div class=\"scroll\"><svg class=\"chart\" viewBox=\"0 0 " + std::to_string(width) + " " +
         std::to_string(height) + "\" role=\"img\">\n";
  auto x = [&](double v) { return left + (right - left) * (v / end); };
  for (int i = 0; i <= 5; ++i) {
    double v = end * i / 5;
    std::string px = Fixed(x(v), 1);
    out += "<line x1=\"" + px + "\" y1=\"" + std::to_string(head - 4) + "\" x2=\"" + px +
           "\" y2=\"" + std::to_string(height - 6) + "\" stroke=\"#dde\" />";
    out += "<text x=\"" + px +
           "\" y=\"14\" font-size=\"11\" text-anchor=\"middle\" fill=\"#555\">" +
           Fixed(v, v < 10 && end <= 10 ? 1 : 0) + "</text>\n";
  }
  const RunStats* first = stats.empty() || !stats[0] ? nullptr : &*stats[0];
  for (size_t i = 0; i < results.size(); ++i) {
    int y = head + row * static_cast<int>(i);
    std::string cy = std::to_string(y + row / 2);
    out += "<text x=\"" + std::to_string(left - 6) + "\" y=\"" + std::to_string(y + row / 2 + 4) +
           "\" font-size=\"12\" text-anchor=\"end\">#" + std::to_string(i + 1) + "</text>";
    if (!stats[i]) {
      out += "<text x=\"" + std::to_string(left + 4) + "\" y=\"" + std::to_string(y + row / 2 + 4) +
             "\" font-size=\"12\" fill=\"#777\">not measured</text>\n";
      continue;
    }
    const RunStats& s = *stats[i];
    out += "<rect x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(y + 5) + "\" width=\"" +
           Fixed(x(s.Mean) - left, 1) + "\" height=\"" + std::to_string(row - 10) + "\" fill=\"" +
           Colour(i) + "\"><title>" + HtmlEscape(results[i].Source) + ": " + Fixed(s.Mean, 2) +
           " fps</title></rect>";
    // The whisker spans the slowest and the fastest run.
    std::string x1 = Fixed(x(s.Min), 1), x2 = Fixed(x(s.Max), 1);
    std::string y1 = std::to_string(y + 8), y2 = std::to_string(y + row - 8);
    out += "<line x1=\"" + x1 + "\" y1=\"" + cy + "\" x2=\"" + x2 + "\" y2=\"" + cy +
           "\" stroke=\"#111\" stroke-width=\"1.5\" />";
    out += "<line x1=\"" + x1 + "\" y1=\"" + y1 + "\" x2=\"" + x1 + "\" y2=\"" + y2 +
           "\" stroke=\"#111\" stroke-width=\"1.5\" />";
    out += "<line x1=\"" + x2 + "\" y1=\"" + y1 + "\" x2=\"" + x2 + "\" y2=\"" + y2 +
           "\" stroke=\"#111\" stroke-width=\"1.5\" />";
    std::string label = Fixed(s.Mean, 1) + " fps";
    if (i > 0 && first && first->Mean > 0)
      label += "  " + Percent((s.Mean - first->Mean) / first->Mean * 100);
    out += "<text x=\"" + std::to_string(right + 8) + "\" y=\"" + std::to_string(y + row / 2 + 4) +
           "\" font-size=\"12\">" + HtmlEscape(label) + "</text>\n";
  }
  out += "</svg></div>\n";
}

void AppendStatsTable(std::string& out, const std::vector<ComparedResult>& results,
                      const std::vector<std::optional<RunStats>>& stats) {
  out +=
      "<div class=\"scroll\"><table><tr><th>#</th><th>Runs</th><th>Mean fps</th><th>Min</th>"
      "<th>Max</th><th>SD</th><th>CV</th><th>95 % CI of the mean</th><th>vs #1</th></tr>\n";
  const RunStats* first = stats[0] ? &*stats[0] : nullptr;
  for (size_t i = 0; i < results.size(); ++i) {
    out += "<tr><td><span class=\"key\" style=\"background:" + Colour(i) + "\"></span>#" +
           std::to_string(i + 1) + "</td>";
    if (!stats[i]) {
      out += "<td class=\"num\">0</td><td colspan=\"7\">not measured</td></tr>\n";
      continue;
    }
    const RunStats& s = *stats[i];
    auto opt = [](const std::optional<double>& v, const char* unit) {
      return v ? Fixed(*v, 2) + unit : std::string("&ndash;");
    };
    out += "<td class=\"num\">" + std::to_string(s.Count) + "</td><td class=\"num\">" +
           Fixed(s.Mean, 2) + "</td><td class=\"num\">" + Fixed(s.Min, 2) +
           "</td><td class=\"num\">" + Fixed(s.Max, 2) + "</td><td class=\"num\">" +
           opt(s.StdDev, "") + "</td><td class=\"num\">" + opt(s.CvPercent, " %") +
           "</td><td class=\"num\">" +
           (s.CiLow ? Fixed(*s.CiLow, 2) + " &ndash; " + Fixed(*s.CiHigh, 2)
                    : std::string("&ndash;")) +
           "</td><td class=\"num\">";
    if (i == 0)
      out += "&ndash;";
    else if (first && first->Mean > 0)
      out += HtmlEscape(Percent((s.Mean - first->Mean) / first->Mean * 100));
    else
      out += "n/a";
    out += "</td></tr>\n";
  }
  out += "</table></div>\n";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::variant<ComparedResult, std::string> ReadResultsFile(std::string_view bytes,
                                                          const std::string& source) {
  if (bytes.size() > kMaxFileBytes || NestingDepth(bytes) > kMaxDepth)
    return std::string("is not a Quorvel result file");
  Json root;
  try {
    root = Json::parse(bytes.begin(), bytes.end());
  } catch (const Json::parse_error& e) {
    return "is not a JSON file (it breaks off or is malformed at byte " + std::to_string(e.byte) +
           ")";
  } catch (const Json::exception&) {
    // A number beyond what a double holds, for one.
    return std::string("is not a JSON file (it holds a number out of range)");
  }
  if (!root.is_object()) return std::string("is not a Quorvel result file");
  auto format = root.find("format");
  if (format == root.end() || !format->is_string() || *format != kResultsFormat)
    return std::string("is not a Quorvel result file");
  auto version = root.find("schema_version");
  if (version == root.end() || !version->is_number_integer())
    return std::string("is damaged: \"schema_version\" is missing or has the wrong type");
  if (*version != kResultsSchemaVersion) {
    std::string number = version->dump();
    return "was written with result format version " + number + "; this program reads version " +
           std::to_string(kResultsSchemaVersion);
  }
  try {
    return Interpret(root, source);
  } catch (const Damaged& d) {
    return "is damaged: " + d.What;
  } catch (const Json::exception& e) {
    return std::string("is damaged: ") + e.what();
  }
}

CompareOutcome BuildComparePage(const std::vector<ResultsFile>& files) {
  if (files.size() < 2) return {{}, "Choose two or more result files (.json) to compare."};
  std::vector<ComparedResult> results;
  for (const ResultsFile& file : files) {
    if (file.Unreadable) return {{}, "The file \"" + file.Name + "\" cannot be read."};
    auto read = ReadResultsFile(file.Bytes, file.Name);
    if (auto* failure = std::get_if<std::string>(&read))
      return {{}, "The file \"" + file.Name + "\" " + *failure + "."};
    results.push_back(std::move(std::get<ComparedResult>(read)));
  }
  for (const ComparedResult& r : results)
    if (r.Game != results[0].Game)
      return {{},
              "\"" + r.Source + "\" holds results of " + r.Game + " and \"" + results[0].Source +
                  "\" of " + results[0].Game + ": only results of the same game can be compared."};
  return {ComparePageHtml(results), {}};
}

std::string ComparePageHtml(const std::vector<ComparedResult>& results) {
  std::string out;
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>Half-Life 2 Benchmark - comparison</title>\n";
  out += kStyle;
  out += "\n</head>\n<body>\n<h1>Half-Life 2 Benchmark: " + std::to_string(results.size()) +
         " results compared</h1>\n";
  out += "<p class=\"note\">" + HtmlEscape(results.empty() ? "" : results[0].Game) +
         ". Bars show the mean frame rate of a resolution's runs, the whiskers its slowest and "
         "fastest run; differences are against result #1.</p>\n";

  out +=
      "<h2>Results</h2>\n<div class=\"scroll\"><table><tr><th>#</th><th>File</th>"
      "<th>Started</th><th>Demo</th></tr>\n";
  for (size_t i = 0; i < results.size(); ++i) {
    const ComparedResult& r = results[i];
    out += "<tr><td><span class=\"key\" style=\"background:" + Colour(i) + "\"></span>#" +
           std::to_string(i + 1) + "</td><td>" + HtmlEscape(r.Source) +
           (r.Complete
                ? ""
                : " <span class=\"incomplete\">(incomplete: the series ended in error)</span>") +
           "</td><td>" + HtmlEscape(r.StartedAt) + "</td><td>" + HtmlEscape(r.Demo) +
           "</td></tr>\n";
  }
  out += "</table></div>\n";

  // Every resolution any result has, in the catalogue's order.
  std::vector<std::pair<std::string, std::string>> keys;
  for (const ComparedResult& r : results)
    for (const auto& res : r.Resolutions)
      if (std::none_of(keys.begin(), keys.end(), [&](const auto& k) { return k.first == res.Key; }))
        keys.push_back({res.Key, res.Label});
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    return CatalogueOrder(a.first) < CatalogueOrder(b.first);
  });
  for (const auto& [key, label] : keys) {
    out += "<h2>" + HtmlEscape(label) + "</h2>\n";
    std::vector<std::optional<RunStats>> stats;
    for (const ComparedResult& r : results) {
      std::optional<RunStats> s;
      for (const auto& res : r.Resolutions)
        if (res.Key == key) s = ComputeRunStats(res.Figures);
      stats.push_back(s);
    }
    AppendChart(out, results, stats);
    AppendStatsTable(out, results, stats);
  }

  // What differs between the results, and what they share.
  std::vector<std::pair<std::string, std::vector<Cell>>> rows;
  for (size_t i = 0; i < results.size(); ++i) {
    const ComparedResult& r = results[i];
    AddRows(rows, "", i, results.size(),
            {{"Demo", r.Demo}, {"Complete", r.Complete ? "yes" : "no"}});
    AddRows(rows, "", i, results.size(), r.Machine);
    AddRows(rows, "", i, results.size(), r.Settings);
  }
  std::string differs, same;
  for (const auto& row : rows) {
    const std::string& name = row.first;
    const std::vector<Cell>& cells = row.second;
    bool allSame = std::all_of(cells.begin(), cells.end(), [&](const Cell& c) {
      return c.Present == cells[0].Present && c.Text == cells[0].Text;
    });
    if (allSame) {
      same +=
          "<tr><th>" + HtmlEscape(name) + "</th><td>" + HtmlEscape(cells[0].Text) + "</td></tr>\n";
      continue;
    }
    differs += "<tr><th>" + HtmlEscape(name) + "</th>";
    for (const Cell& c : cells)
      differs += c.Present ? "<td>" + HtmlEscape(c.Text) + "</td>" : "<td>&ndash;</td>";
    differs += "</tr>\n";
  }
  out += "<h2>What differs</h2>\n";
  if (differs.empty()) {
    out +=
        "<p>The machine, the driver, the settings and the demo are the same in every result.</p>\n";
  } else {
    out += "<div class=\"scroll\"><table><tr><th></th>";
    for (size_t i = 0; i < results.size(); ++i)
      out += "<th><span class=\"key\" style=\"background:" + Colour(i) + "\"></span>#" +
             std::to_string(i + 1) + "</th>";
    out += "</tr>\n" + differs + "</table></div>\n";
  }
  if (!same.empty())
    out += "<h2>The same in every result</h2>\n<div class=\"scroll\"><table>\n" + same +
           "</table></div>\n";
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace quorvel::bench
