// Diagnostics tool stand-in (dxdiag.exe, a test tool, never shipped). Tests put it where the
// program looks for the tool, the system folder.
//
//   dxdiag.exe /whql:on /t FILE   waits a little, then writes a text report to FILE and ends.
//                                 FILE is the one argument after "/t", as a program's usual
//                                 argument parsing takes it: a path with blanks must be in
//                                 double quotes, or only its part before the first blank counts.
//   anything else                 ends at once without writing anything.
//
// The report has a system section, a display devices section (every device: "Card name:",
// "Display Memory:", "Driver Version:" lines among others) and a sound devices section
// ("Description:" first in every device); each value line is the label right-aligned after
// leading blanks, then one blank and the value. Nothing before the display section holds
// those labels, and nothing between a display device's driver version and the sound section
// holds "Description:".
//
// Knobs ("standin.ini" beside dxdiag.exe, section [dxdiag], else the environment variable):
//   CardName       QUORVEL_DXDIAG_CARD      first display's name ("Zarvent Simulated GPU 9800")
//   DisplayMemory  QUORVEL_DXDIAG_MEMORY    its memory ("256.0 MB")
//   DriverVersion  QUORVEL_DXDIAG_DRIVER    its driver version ("6.14.0010.6764 (English)")
//   Sound          QUORVEL_DXDIAG_SOUND     first sound device ("Simulated HD Audio Device")
//   SecondCard     QUORVEL_DXDIAG_CARD2     adds a second display device of that name
//   SecondSound    QUORVEL_DXDIAG_SOUND2    adds a second sound device of that name
//   Sections       QUORVEL_DXDIAG_SECTIONS  "display,sound" (default), "sound", "display"
//                                           or "none": which device sections are written
//   DelayMs        QUORVEL_DXDIAG_DELAY_MS  pause before the report is written (default 500)
//   NoReport       QUORVEL_DXDIAG_NO_REPORT "1": end without writing the report
//   ExitCode       QUORVEL_DXDIAG_EXIT_CODE the exit code (default 0)
#include <string>

#include "platform/win.h"
#include "standin_common_win.h"

namespace {

std::string Knob(const char* key, const char* env, const char* fallback) {
  return standin::Knob("dxdiag", key, env, fallback);
}

// One value line: the label right-aligned in a column of 21, one blank, the value.
std::string Line(const std::string& label, const std::string& value) {
  std::string out;
  if (label.size() < 21) out.assign(21 - label.size(), ' ');
  return out + label + " " + value + "\r\n";
}

std::string Heading(const std::string& title) {
  std::string rule(title.size(), '-');
  return rule + "\r\n" + title + "\r\n" + rule + "\r\n";
}

std::string DisplayDevice(const std::string& name, const std::string& memory,
                          const std::string& driver) {
  return Line("Card name:", name) + Line("Manufacturer:", "Zarvent Simulations") +
         Line("Chip type:", name) + Line("DAC type:", "Internal DAC(400MHz)") +
         Line("Display Memory:", memory) + Line("Current Mode:", "1024 x 768 (32 bit) (60Hz)") +
         Line("Monitor:", "Simulated Monitor") + Line("Driver Name:", "zrvdisp.dll") +
         Line("Driver Version:", driver) + Line("DDI Version:", "9 (or higher)") +
         Line("Driver Attributes:", "Final Retail") + Line("WHQL Logo'd:", "Yes") + "\r\n";
}

std::string SoundDevice(const std::string& name) {
  return Line("Description:", name) + Line("Default Sound Playback:", "Yes") +
         Line("Driver Name:", "zrvsound.sys") + Line("Driver Version:", "5.10.0000.5010") +
         Line("WHQL Logo'd:", "Yes") + "\r\n";
}

std::string Report() {
  std::string sections = Knob("Sections", "QUORVEL_DXDIAG_SECTIONS", "display,sound");
  bool display = sections.find("display") != std::string::npos;
  bool sound = sections.find("sound") != std::string::npos;
  std::string out = Heading("System Information");
  out += Line("Machine name:", "QUORVEL-TEST") +
         Line("Operating System:", "Windows XP Professional (5.1, Build 2600)") +
         Line("Processor:", "Simulated processor") + Line("Memory:", "2048MB RAM") +
         Line("DirectX Version:", "DirectX 9.0c (4.09.0000.0904)") +
         Line("DxDiag Version:", "5.03.2600.2180 (simulated)") + "\r\n";
  if (display) {
    out += Heading("Display Devices");
    out +=
        DisplayDevice(Knob("CardName", "QUORVEL_DXDIAG_CARD", "Zarvent Simulated GPU 9800"),
                      Knob("DisplayMemory", "QUORVEL_DXDIAG_MEMORY", "256.0 MB"),
                      Knob("DriverVersion", "QUORVEL_DXDIAG_DRIVER", "6.14.0010.6764 (English)"));
    std::string second = Knob("SecondCard", "QUORVEL_DXDIAG_CARD2", "");
    if (!second.empty()) out += DisplayDevice(second, "64.0 MB", "6.14.0001.0001 (English)");
  }
  if (sound) {
    out += Heading("Sound Devices");
    out += SoundDevice(Knob("Sound", "QUORVEL_DXDIAG_SOUND", "Simulated HD Audio Device"));
    std::string second = Knob("SecondSound", "QUORVEL_DXDIAG_SOUND2", "");
    if (!second.empty()) out += SoundDevice(second);
  }
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string commandLine = ::GetCommandLineA();
  int exitCode =
      static_cast<int>(standin::KnobNumber("dxdiag", "ExitCode", "QUORVEL_DXDIAG_EXIT_CODE", 0));
  auto tokens = standin::Tokens(commandLine);
  std::string file;
  for (size_t i = 1; i < tokens.size(); ++i) {
    if (standin::EqualsNoCase(tokens[i].text, "/t")) {
      if (i + 1 < tokens.size()) file = tokens[i + 1].text;
      break;
    }
  }
  if (file.empty()) return exitCode;
  long delay = standin::KnobNumber("dxdiag", "DelayMs", "QUORVEL_DXDIAG_DELAY_MS", 500);
  if (delay > 0) ::Sleep(static_cast<DWORD>(delay));
  if (standin::Knob("dxdiag", "NoReport", "QUORVEL_DXDIAG_NO_REPORT", "0") != "1")
    standin::WriteText(file, Report());
  return exitCode;
}
