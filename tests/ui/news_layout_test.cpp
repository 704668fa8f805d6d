#include "ui/news_layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace quorvel::news {
namespace {

// The news window's outer size (520 x 500 client area with its frame) and the main window's.
constexpr int kNewsWidth = 526;
constexpr int kNewsHeight = 529;
constexpr int kMainWidth = 514;
constexpr int kMainHeight = 351;

Box Centred(const Box& work) {
  const int left = work.left + (work.right - work.left - kMainWidth) / 2;
  const int top = work.top + (work.bottom - work.top - kMainHeight) / 2;
  return {left, top, left + kMainWidth, top + kMainHeight};
}

bool Overlap(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(NewsWindowPlacement, BesideTheMainWindowWheneverTheWorkAreaHasRoom) {
  struct Case {
    const char* what;
    Box work;
    Box main;
    int left, top;  // expected
    bool overlaps;
  } cases[] = {
      {"wide screen, centred main window: to its right, top aligned",
       {0, 0, 1600, 1160},
       Centred({0, 0, 1600, 1160}),
       1065,
       404,
       false},
      {"main window at the right edge: to its left",
       {0, 0, 1280, 1000},
       {766, 100, 1280, 451},
       232,
       100,
       false},
      {"main window low down: the news window raised into the work area",
       {0, 0, 1100, 900},
       {0, 700, 514, 1051},
       522,
       371,
       false},
      {"narrow and tall: below it", {0, 0, 800, 1200}, {100, 0, 614, 351}, 100, 359, false},
      {"narrow, main window low: above it",
       {0, 0, 800, 1200},
       {100, 840, 614, 1191},
       100,
       303,
       false},
      {"work area beside a task bar on the left",
       {60, 0, 1660, 1200},
       Centred({60, 0, 1660, 1200}),
       1125,
       424,
       false},
      {"1024 x 768: no room, the top right corner",
       {0, 0, 1024, 738},
       Centred({0, 0, 1024, 738}),
       498,
       0,
       true},
      {"smaller than the news window", {0, 0, 400, 300}, {0, 0, 400, 300}, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Placement p = NewsWindowPlacement(c.work, c.main, kNewsWidth, kNewsHeight);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top);
    EXPECT_EQ(p.overlapsMain, c.overlaps);
    const Box news{p.left, p.top, p.left + kNewsWidth, p.top + kNewsHeight};
    // Whatever is not marked as overlapping covers nothing of the main window and lies on
    // the work area.
    if (!p.overlapsMain) {
      EXPECT_FALSE(Overlap(news, c.main));
      EXPECT_GE(news.left, c.work.left);
      EXPECT_GE(news.top, c.work.top);
      EXPECT_LE(news.right, c.work.right);
      EXPECT_LE(news.bottom, c.work.bottom);
    }
  }
}

TEST(PageText, TheOfflinePageReadsAsText) {
  std::ifstream in(std::string(QUORVEL_FIXTURES) + "/../../install/offlinenews.html",
                   std::ios::binary);
  ASSERT_TRUE(in);
  const std::string text = PageText(std::string(std::istreambuf_iterator<char>(in), {}));
  // Nothing of the head, the styles or the comment.
  EXPECT_EQ(text.find("ZRVBench NEWS"), std::string::npos) << text;
  EXPECT_EQ(text.find("font-family"), std::string::npos) << text;
  EXPECT_EQ(text.find("Shown in the news window"), std::string::npos) << text;
  EXPECT_EQ(text.find('<'), std::string::npos) << text;
  EXPECT_EQ(text.rfind("ZARVENT\r\n\r\nHalf-Life 2 Benchmark news\r\n\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\r\nYour computer seems to be offline. The latest benchmark news could "
                      "not be loaded, so here"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\n- Wide screens: 1280 \xD7 768, 1920 \xD7 1080 and 1920 \xD7 1200, "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Open Help > Benchmark help for the full guide."), std::string::npos) << text;
  EXPECT_EQ(text.find("\r\n\r\n\r\n"), std::string::npos) << text;
}

TEST(PageText, RulesAndBrokenPages) {
  struct Case {
    const char* html;
    const char* text;
  } cases[] = {
      {"plain   words\n\n here", "plain words here"},
      {"<p>one</p><p>two</p>", "one\r\n\r\ntwo"},
      {"a<br>b<BR/>c", "a\r\nb\r\nc"},
      {"<ul><li> x </li><li>y</li></ul>after", "- x\r\n- y\r\n\r\nafter"},
      {"<div>a</div><div>b</div>", "a\r\nb"},
      {"<head><title>T</title><style>p{}</style></head><body>B</body>", "B"},
      {"<script>if (a < b) x();</script>after", "after"},
      {"<!-- note <p>hidden</p> -->shown", "shown"},
      {"&amp;&lt;&gt;&quot;&#65;&#x42;&#300;&bogus;&", "&<>\"AB?&bogus;&"},
      {"cut <b", "cut"},
      {"<style>never closed", ""},
      {"<!-- never closed", ""},
      {"&#;&#x;&#99999999;", "&#;&#x;&#99999999;"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PageText(c.html), c.text) << c.html;
}

}  // namespace
}  // namespace quorvel::news
