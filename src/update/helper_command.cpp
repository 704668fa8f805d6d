#include "update/helper_command.h"

namespace quorvel::update {

std::string HelperArguments(const std::string& programPath, const std::string& restartParams,
                            char method) {
  return programPath + " +" + restartParams + method;
}

HelperCommand ParseHelperArguments(const std::vector<std::string>& arguments) {
  std::string joined;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i) joined += ' ';
    joined += arguments[i];
  }
  HelperCommand command;
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
