#pragma once
// "Compare results...": the user chooses two or more result files, the comparison page is
// written into the results folder and opened in the browser, as the report is.
// User-interface thread only.
#include <string>

#include "platform/win.h"

namespace quorvel {

// The page's name in the results folder: "compare_<stamp>.htm" (a results folder text without
// its backslash still means that folder; an empty one, the current folder).
std::string ComparePagePath(const std::string& resultsFolder, const std::string& stamp);

// Asks for the files (through CurrentSeams(), opened in the results folder), writes the page
// and opens it; says why in a message when it cannot. Cancelling does nothing.
void CompareResultsClick(HWND owner, const std::string& resultsFolder);

}  // namespace quorvel
