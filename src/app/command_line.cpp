#include "app/command_line.h"

#include <array>
#include <cstdlib>

#include "platform/text.h"
#include "settings/resolution_catalogue.h"

namespace quorvel {

namespace {

bool IsOption(const std::string& arg) {
  return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-');
}

std::string OptionName(const std::string& arg) { return text::Lower(arg.substr(1)); }

bool Digits(const std::string& s) {
  if (s.empty() || s.size() > 5) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// An item of a list by one of its names; nullopt for none.
template <size_t N>
std::optional<int> Choice(const std::string& value, const std::array<const char*, N>& names) {
  std::string v = text::Lower(value);
  for (size_t i = 0; i < N; ++i)
    for (const std::string& alias : text::Split(names[i], '|'))
      if (v == alias) return static_cast<int>(i);
  return std::nullopt;
}

constexpr std::array<const char*, 7> kFilterNames = {"bilinear",
                                                     "trilinear",
                                                     "aniso2|anisotropic2|af2",
                                                     "aniso4|anisotropic4|af4",
                                                     "aniso8|anisotropic8|af8",
                                                     "aniso16|anisotropic16|af16",
                                                     "system"};
constexpr std::array<const char*, 5> kAANames = {"none|0|1", "2|2x", "4|4x", "6|6x", "system"};
constexpr std::array<const char*, 3> kHdrNames = {"none", "bloom", "full"};
constexpr std::array<const char*, 3> kDemoNames = {
    "highway|zrv_highway", "lostcoast|zrv_lost_coast", "anticitizen|zrv_anticitizen"};

// "1024x768" (or with the multiplication sign, "*" or "X"): a fixed slot by its size, else the
// custom size.
bool AddResolution(const std::string& item, RunOptions& run, std::string& error) {
  std::string size = text::Lower(text::ReplaceAll(text::ReplaceAll(item, "\xD7", "x"), "*", "x"));
  size_t x = size.find('x');
  std::string w = x == std::string::npos ? "" : text::Trim(size.substr(0, x));
  std::string h = x == std::string::npos ? "" : text::Trim(size.substr(x + 1));
  if (!Digits(w) || !Digits(h) || std::atoi(w.c_str()) == 0 || std::atoi(h.c_str()) == 0) {
    error = "\"" + item + "\" is no screen size (write it as 1024x768).";
    return false;
  }
  // The fixed sizes first; 1280x768 is one of them (the first wide one).
  for (int order = 0; order < kFixedSlotCount; ++order) {
    const ResolutionSlot& slot = ResolutionCatalogue()[static_cast<size_t>(order)];
    if (std::to_string(slot.Width) == w && std::to_string(slot.Height) == h) {
      run.Slots->push_back(order);
      return true;
    }
  }
  if (run.CustomWidth) {
    error = "Only one size that is not in the list can be run (" + *run.CustomWidth + "x" +
            *run.CustomHeight + " and " + w + "x" + h + ").";
    return false;
  }
  run.CustomWidth = w;
  run.CustomHeight = h;
  return true;
}

bool ParseRunOption(const std::string& name, const std::string& value, RunOptions& run,
                    std::string& error) {
  auto bad = [&](const char* expected) {
    error = "The option /" + name + " takes " + expected + ", not \"" + value + "\".";
    return false;
  };
  if (name == "res") {
    run.Slots.emplace();
    for (const std::string& item : text::Split(value, ','))
      if (!text::Trim(item).empty() && !AddResolution(text::Trim(item), run, error)) return false;
    if (run.Slots->empty() && !run.CustomWidth)
      return bad("screen sizes such as 1024x768,1280x1024");
    return true;
  }
  if (name == "demo") {
    if (auto item = Choice(value, kDemoNames)) {
      run.DemoItem = *item;
      return true;
    }
    if (text::Lower(value).size() > 4 && text::Lower(value).ends_with(".dem")) {
      run.DemoItem = 3;
      run.DemoFile = value;
      return true;
    }
    return bad("highway, lostcoast, anticitizen or a .dem file");
  }
  if (name == "runs") {
    if (!Digits(value) || std::atoi(value.c_str()) < 1 || std::atoi(value.c_str()) > 5)
      return bad("a number from 1 to 5");
    run.Runs = std::atoi(value.c_str());
    return true;
  }
  if (name == "filter") {
    if (!(run.FilterItem = Choice(value, kFilterNames)))
      return bad("bilinear, trilinear, aniso2, aniso4, aniso8, aniso16 or system");
    return true;
  }
  if (name == "aa") {
    if (!(run.AAItem = Choice(value, kAANames))) return bad("none, 2x, 4x, 6x or system");
    return true;
  }
  if (name == "hdr") {
    if (!(run.HdrItem = Choice(value, kHdrNames))) return bad("none, bloom or full");
    return true;
  }
  if (name == "results") {
    run.ResultsFolder = value;
    return true;
  }
  error = "Unknown option \"/" + name + "\" (quorvel.exe /? lists the options).";
  return false;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  size_t first = arguments.size();
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!IsOption(arguments[i])) continue;
    std::string name = OptionName(arguments[i]);
    if (name == "?" || name == "help" || name == "h") {
      line.Kind = CommandKind::Help;
      return line;
    }
    if (name == "compare" || name == "run") {
      line.Kind = name == "compare" ? CommandKind::Compare : CommandKind::Run;
      first = i;
      break;
    }
  }
  if (line.Kind == CommandKind::Window) return line;

  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i == first) continue;
    const std::string& arg = arguments[i];
    if (line.Kind == CommandKind::Compare) {
      if (!IsOption(arg)) {
        line.CompareFiles.push_back(arg);
      } else if (OptionName(arg) == "out" && i + 1 < arguments.size()) {
        line.ComparePage = arguments[++i];
      } else if (OptionName(arg) == "out") {
        line.Error = "The option /out needs the name of the page to write.";
        return line;
      } else {
        line.Error =
            "Unknown option \"" + arg + "\" for /compare (quorvel.exe /? lists the options).";
        return line;
      }
      continue;
    }
    if (!IsOption(arg)) {
      line.Error = "\"" + arg + "\" is no option of /run (quorvel.exe /? lists the options).";
      return line;
    }
    std::string name = OptionName(arg);
    if (name == "lostcoast") {
      line.Run.DemoLostCoast = true;
      continue;
    }
    if (i + 1 >= arguments.size() || (IsOption(arguments[i + 1]) && name != "results")) {
      line.Error = "The option " + arg + " needs a value.";
      return line;
    }
    if (!ParseRunOption(name, arguments[++i], line.Run, line.Error)) return line;
  }
  if (line.Kind == CommandKind::Compare) {
    if (line.CompareFiles.size() < 2)
      line.Error = "Name two or more result files (.json) to compare.";
    else if (line.ComparePage.empty())
      line.Error = "Name the page to write with /out PAGE.";
  }
  if (line.Kind == CommandKind::Run && line.Run.DemoLostCoast && line.Run.DemoItem != 3)
    line.Error = "The option /lostcoast goes with a demo file (/demo FILE.dem).";
  return line;
}

bench::SeriesOrder OrderForRun(const bench::SeriesOrder& stored, const RunOptions& run) {
  bench::SeriesOrder order = stored;
  if (run.Slots || run.CustomWidth) {
    order.SlotTicked.fill(false);
    if (run.Slots)
      for (int slot : *run.Slots) order.SlotTicked[static_cast<size_t>(slot)] = true;
    order.CustomTicked = run.CustomWidth.has_value();
    if (run.CustomWidth) {
      order.CustomWidth = *run.CustomWidth;
      order.CustomHeight = *run.CustomHeight;
    }
  }
  if (run.DemoItem) {
    order.Demo.Item = *run.DemoItem;
    order.Demo.CustomPath = run.DemoFile.value_or(order.Demo.CustomPath);
    order.Demo.LostCoastType = *run.DemoItem == 3 && run.DemoLostCoast;
  }
  order.Game = bench::SeriesGameFor(order.Demo);
  if (run.Runs) order.RunsItem = *run.Runs - 1;
  if (run.FilterItem) order.AFItem = *run.FilterItem;
  if (run.AAItem) order.AAItem = *run.AAItem;
  if (run.HdrItem) order.HDRItem = *run.HdrItem;
  if (run.ResultsFolder) order.ResultsFolder = *run.ResultsFolder;
  return order;
}

std::string UsageText() {
  return "Quorvel - Half-Life 2 benchmark\r\n"
         "\r\n"
         "quorvel.exe                         opens the window\r\n"
         "quorvel.exe /compare FILE... /out PAGE\r\n"
         "                                    writes a page comparing two or more result\r\n"
         "                                    files (result_*.json)\r\n"
         "quorvel.exe /run [options]          runs a series as the run button does, without\r\n"
         "                                    questions, and prints where its files went\r\n"
         "  /res SIZE[,SIZE...]               screen sizes, e.g. 1024x768,1280x1024; one size\r\n"
         "                                    not in the list runs as the custom size\r\n"
         "  /demo highway|lostcoast|anticitizen|FILE.dem\r\n"
         "  /lostcoast                        the demo file is one of Lost Coast\r\n"
         "  /runs 1..5                        runs per screen size\r\n"
         "  /filter bilinear|trilinear|aniso2|aniso4|aniso8|aniso16|system\r\n"
         "  /aa none|2x|4x|6x|system          anti-aliasing\r\n"
         "  /hdr none|bloom|full              high dynamic range\r\n"
         "  /results FOLDER                   where the report and its files go\r\n"
         "  An option left out takes the setting stored by the window.\r\n"
         "quorvel.exe /?                      shows this text\r\n"
         "\r\n"
         "Exit code 0 when the command succeeded; otherwise 1 and a one-line reason.\r\n";
}

}  // namespace quorvel
