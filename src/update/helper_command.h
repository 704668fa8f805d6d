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

// Which part of the helper a command line starts. The program asks Windows to start the
// install part with administrator rights; it waits for the program (its process id given)
// to end, checks the update and puts it in place. The restart part runs as the user: it waits
// for the install part (its process id given) and then starts the program again.
enum class HelperPart { None, Install, Restart };

// The options in front of the program path: "/install" or "/restart", "/pid=<process id>"
// and, for the install part, "/staging=" with the staging folder in double quotes (without
// its trailing backslash, which would escape the quote).
std::string HelperOptions(HelperPart part, unsigned long processId,
                          const std::string& stagingFolder);

struct HelperCommand {
  HelperPart Part = HelperPart::None;
  unsigned long ProcessId = 0;  // the process to wait for; 0 when not given
  std::string StagingFolder;    // ending with "" when given
  std::string ProgramPath;      // the program file
  std::string ProgramFolder;    // up to and including the program path's last backslash
  std::string RestartParams;    // "/afterupdate" in the system
  char Method = '0';            // the digit at the end; '\0' when there is none
};

// Joins the arguments with single spaces and cuts the text at the " +" that the update flow
// writes before the restart parameters: the last blank followed by "+", so that a program
// folder with a "+" in its name (or a blank before one) is found whole; without any " +",
// at the first "+". Without a "+" the whole text is the program path.
// The options in front are read first (as the platform splits them: quotes removed), in any
// order, up to the first argument that is none of them.
HelperCommand ParseHelperArguments(const std::vector<std::string>& arguments);

}  // namespace quorvel::update
