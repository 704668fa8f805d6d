#pragma once
// Where the news window goes beside the main window, and the text of a news page for a
// window that has no browser engine to draw it. Plain values in and out; any thread.
#include <string>
#include <string_view>

namespace quorvel::news {

// A screen rectangle: left and top inside, right and bottom just outside.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct Placement {
  int left = 0;
  int top = 0;
  // The news window overlaps the main window (the work area has no room beside it): it must
  // then be shown behind the main window, never over it.
  bool overlapsMain = false;
};

// The top-left corner of a news window of `width` x `height` inside the work area `work`,
// beside the main window `main` so that none of it is covered: to its right, else its left,
// else below, else above, aligned with it as far as the work area allows. With no room on
// any side, the corner of the work area farthest from the main window's run button (its
// left part), marked as overlapping.
Placement NewsWindowPlacement(const Box& work, const Box& main, int width, int height);

// The readable text of an HTML page, for showing without a browser: no head, styles,
// scripts or comments; block elements and line breaks start new lines ("\r\n"), list items
// start with "- "; runs of white space become one blank; the common entities and numeric
// references below 256 are decoded (Latin-1, "&times;" the byte 0xD7); at most one empty
// line in a row. Never reads past its input.
std::string PageText(std::string_view html);

}  // namespace quorvel::news
