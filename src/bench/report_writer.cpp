#include "bench/report_writer.h"

#include "bench/option_lists.h"
#include "settings/resolution_catalogue.h"

namespace quorvel::bench {

namespace {

// "   <FONT size=2><b>" + label + "</b> " + value + "</FONT><br>"
std::string InfoLine(const char* label, const std::string& value) {
  return std::string("   <FONT size=2><b>") + label + "</b> " + value + "</FONT><br>";
}

void AppendGraphicsBlocks(std::vector<std::string>& lines, const SystemInfoSnapshot& info) {
  const char* kHeading = "   <align=\"left\"><span class=\"style4\">VGA Information</span><br>";
  if (info.AtiFound) {
    lines.push_back(kHeading);
    lines.push_back(InfoLine("Graphics card:", info.AtiCardName));
    // The bus type is trusted only when the driver also named the memory type.
    if (!info.AtiBusType.empty() && !info.AtiMemoryType.empty())
      lines.push_back(InfoLine("Bustype:", info.AtiBusType));
    lines.push_back(InfoLine("Memory:", info.DisplayMemory));
    lines.push_back(InfoLine("Current VPU speed:", info.AtiVpuClock));
    lines.push_back(InfoLine("Current memory speed:", info.AtiMemoryClock));
    lines.push_back(InfoLine("Driver version:", info.DriverVersion));
  }
  if (info.AdapterFound) {
    lines.push_back(kHeading);
    lines.push_back(InfoLine("Graphics card:", info.AdapterName));
    lines.push_back(InfoLine("Memory:", info.DisplayMemory));
    lines.push_back(InfoLine("Current GPU speed:", info.AdapterGpuClock));
    lines.push_back(InfoLine("Current memory speed:", info.AdapterMemoryClock));
    lines.push_back(InfoLine("Driver version:", info.DriverVersion));
  }
  if (!info.AtiFound && !info.AdapterFound) {
    lines.push_back(kHeading);
    lines.push_back(InfoLine("Graphics card:", info.CardName));
    lines.push_back(InfoLine("Memory:", info.DisplayMemory));
    lines.push_back(InfoLine("Driver version:", info.DriverVersion));
  }
}

}  // namespace

SlotBlockSettings SlotBlockSettingsOf(const SeriesOrder& order) {
  SlotBlockSettings s;
  s.HdrText = ItemText(kHDRBoxItems, order.HDRItem);
  s.HeapsizeText = ItemText(kHeapsizeBoxItems, order.HeapsizeItem);
  s.AAText = ItemText(kAABoxItems, order.AAItem);
  s.AFText = ItemText(kAFBoxItems, order.AFItem);
  s.FastZ = order.FastZ;
  s.CustomWidth = order.CustomWidth;
  s.CustomHeight = order.CustomHeight;
  return s;
}

void WriteReportHead(BenchSeries& series, const SystemInfoSnapshot& info, const std::string& note) {
  std::vector<std::string>& lines = series.ReportLines;
  lines.clear();
  lines.push_back(
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
      "\"http://www.w3.org/TR/html4/loose.dtd\">");
  lines.push_back("<html>");
  lines.push_back("<head>");
  lines.push_back(std::string("<title>Half-Life 2 Benchmark - ") + kBenchmarkSite + "</title>");
  lines.push_back("<style type=\"text/css\">");
  lines.push_back("<!--");
  lines.push_back(".style4 {");
  lines.push_back("\tcolor: #0066FF;");
  lines.push_back("\tfont-weight: bold;");
  lines.push_back("}");
  lines.push_back(".style5 {color: #990000}");
  lines.push_back(".style6 {color: #0066FF}");
  lines.push_back(".style7 {");
  lines.push_back("font-size: 36px;");
  // The stray ")" has always been in the style sheet; browsers skip it.
  lines.push_back("font-weight: bold;)");
  lines.push_back("}");
  lines.push_back("-->");
  lines.push_back("</style>");
  lines.push_back(
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"></head>");
  lines.push_back("<body>");
  lines.push_back("<p align=\"center\" class=\"style7\">Half-Life 2 Benchmark</p><br>");
  lines.push_back("   <FONT size=2>The benchmark started at " + series.StartedAt + "</FONT><br>");
  lines.push_back("<p align=\"left\"><span class=\"style4\">System Information<br></span>");
  lines.push_back(InfoLine("Operating system:", info.OperatingSystem));
  if (info.SystemMemory) lines.push_back(InfoLine("System memory:", *info.SystemMemory));
  lines.push_back(InfoLine("CPU:", info.CpuName));
  lines.push_back(InfoLine("CPU speed:", std::to_string(info.CpuSpeed) + " MHz"));
  lines.push_back(InfoLine("Sound system:", info.SoundDevice));
  AppendGraphicsBlocks(lines, info);
  if (!note.empty())
    lines.push_back("<FONT size=2><span class=\"style6\">Comment:</span> " + note + "</FONT><br>");
  lines.push_back("<hr>");
}

std::string SlotHeadingLine(const std::string& runKey, const std::string& customWidth,
                            const std::string& customHeight) {
  const ResolutionSlot* slot = SlotByRunKey(runKey);
  if (!slot) return std::string();
  std::string size = slot->Order == kCustomSlot
                         ? customWidth + " \xD7 " + customHeight
                         : std::to_string(slot->Width) + "\xD7" + std::to_string(slot->Height);
  return "<BR><B><FONT size=5>Resolution: " + size + slot->StatusSuffix + "</FONT></B><BR>";
}

void AppendSlotHeading(BenchSeries& series, const SlotBlockSettings& settings) {
  if (series.HeadingWritten) return;
  series.HeadingWritten = true;
  std::vector<std::string>& lines = series.ReportLines;
  std::string heading =
      SlotHeadingLine(series.CurrentKey, settings.CustomWidth, settings.CustomHeight);
  if (!heading.empty()) lines.push_back(heading);
  lines.push_back("Demo: " + series.DemoCaption + "<br>");
  lines.push_back("Detail: " + series.DetailName + " quality<br>");
  lines.push_back("High Dynamic Range: " + settings.HdrText + "<br>");
  lines.push_back("Heapsize: " + settings.HeapsizeText + "<br>");
  lines.push_back("Antialising mode: " + settings.AAText + "<br>");
  lines.push_back("Filtering mode: " + settings.AFText + "<br>");
  lines.push_back(settings.FastZ ? "Fast Z: Enabled<br>" : "Fast Z: Disabled<br>");
}

void AppendScoreLines(BenchSeries& series) {
  std::vector<std::string>& lines = series.ReportLines;
  if (series.RunsWanted <= 1) {
    lines.push_back("<span class=\"style5\"><b>Score = " + series.ScoreText +
                    " FPS</b></span><br>");
    lines.push_back("<br><HR>");
    return;
  }
  lines.push_back("<b>Score = " + std::to_string(series.Score) + " FPS</b><br>");
  if (series.RunsDone == series.RunsWanted) {
    lines.push_back("<span class=\"style5\"><b>Average score = " +
                    std::to_string(series.AverageScore) + " FPS</b></span><br>");
    lines.push_back("<br><HR>");
  }
}

void AppendReportFooter(BenchSeries& series) {
  series.ReportLines.push_back("<P></P>");
  series.ReportLines.push_back(std::string("<CENTER>") + kMakerNotice +
                               "</CENTER><BR></BODY></HTML>");
}

std::string ReportFileName(const std::string& resultsFolder, const std::string& stamp) {
  return resultsFolder + "result_" + stamp + ".htm";
}

std::string ReportText(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string out;
  out.reserve(size);
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string DateTimeText(std::string_view date, std::string_view time) {
  return std::string(date) + " " + std::string(time);
}

std::string MakeStamp(std::string_view dateTimeText) {
  std::string out(dateTimeText);
  for (char& c : out)
    if (c == ':' || c == '.' || c == '/' || c == '-' || c == '\\' || c == ' ') c = '_';
  return out;
}

}  // namespace quorvel::bench
