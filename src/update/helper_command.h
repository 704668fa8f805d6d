#pragma once
// The installation helper's command line: what the update flow hands it and how the helper
// reads it back. Portable; never throws.
#include <string>
#include <vector>

namespace quorvel::update {

// The program path as written on the command line, unquoted, " +", the restart parameter
// text and the method digit ('0' self-upgrade, '1' external setup, '2' redirect).
std::string HelperArguments(const std::string& programPath, const std::string& restartParams,
                            char method);

struct HelperCommand {
  std::string ProgramPath;    // the program file
  std::string ProgramFolder;  // up to and including the program path's last backslash
  std::string RestartParams;  // "/afterupdate" in the system
  char Method = '0';          // the digit at the end; '\0' when there is none
};

// Joins the arguments with single spaces and cuts the text at the " +" that the update flow
// writes before the restart parameters: the last blank followed by "+", so that a program
// folder with a "+" in its name (or a blank before one) is found whole; without any " +",
// at the first "+". Without a "+" the whole text is the program path.
HelperCommand ParseHelperArguments(const std::vector<std::string>& arguments);

}  // namespace quorvel::update
