#include "update/helper_command.h"

namespace quorvel::update {

std::string HelperArguments(const std::string& programPath, const std::string& restartParams,
                            char method) {
  return programPath + " +" + restartParams + method;
}

std::string HelperOptions(HelperPart part, unsigned long processId,
                          const std::string& stagingFolder) {
  std::string line = part == HelperPart::Install ? "/install" : "/restart";
  line += " /pid=" + std::to_string(processId);
  if (!stagingFolder.empty()) {
    std::string folder = stagingFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    line += " /staging=\"" + folder + "\"";
  }
  return line;
}

HelperCommand ParseHelperArguments(const std::vector<std::string>& arguments) {
  HelperCommand command;
  std::size_t first = 0;
  for (; first < arguments.size(); ++first) {
    const std::string& a = arguments[first];
    if (a == "/install") {
      command.Part = HelperPart::Install;
    } else if (a == "/restart") {
      command.Part = HelperPart::Restart;
    } else if (a.rfind("/pid=", 0) == 0) {
      unsigned long id = 0;
      for (char c : a.substr(5)) {
        if (c < '0' || c > '9' || id > 400000000ul) {
          id = 0;
          break;
        }
        id = id * 10 + static_cast<unsigned long>(c - '0');
      }
      command.ProcessId = id;
    } else if (a.rfind("/staging=", 0) == 0 && a.size() > 9) {
      command.StagingFolder = a.substr(9);
      if (command.StagingFolder.back() != '\\') command.StagingFolder += '\\';
    } else {
      break;
    }
  }
  std::string joined;
  for (std::size_t i = first; i < arguments.size(); ++i) {
    if (i > first) joined += ' ';
    joined += arguments[i];
  }
  std::size_t plus = joined.rfind(" +");
  if (plus != std::string::npos) {
    ++plus;
  } else {
    plus = joined.find('+');
  }
  std::string tail;
  if (plus == std::string::npos) {
    command.ProgramPath = joined;
    command.Method = '\0';
  } else {
    command.ProgramPath = joined.substr(0, plus);
    if (!command.ProgramPath.empty() && command.ProgramPath.back() == ' ')
      command.ProgramPath.pop_back();
    tail = joined.substr(plus + 1);
    if (tail.empty()) {
      command.Method = '\0';
    } else {
      command.Method = tail.back();
      tail.pop_back();
    }
    command.RestartParams = tail;
  }
  std::size_t slash = command.ProgramPath.rfind('\\');
  command.ProgramFolder =
      slash == std::string::npos ? std::string() : command.ProgramPath.substr(0, slash + 1);
  return command;
}

}  // namespace quorvel::update
