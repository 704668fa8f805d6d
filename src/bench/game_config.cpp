#include "bench/game_config.h"

#include <array>
#include <cstring>

namespace quorvel::bench {

bool GameValue::operator==(const GameValue& o) const {
  return std::strcmp(Name, o.Name) == 0 && Number == o.Number;
}

std::string AutoexecText() {
  // The first six lines are the game's "Maximum quality" template; the rest are the detail
  // settings on top of it. cl_maxrenderable_dist is written twice, as every version of the
  // program has, so that scripts of different versions compare equal.
  static const std::array<const char*, 19> kLines = {
      "// Tovrel - Maximum details",
      "",
      "sv_cheats \"1\"",
      "cl_showfps \"1\"",
      "sv_unlockedchapters \"15\"",
      "ai_norebuildgraph \"1\"",
      "mat_envmapsize \"256\"",
      "cl_maxrenderable_dist \"6000\"",
      "cl_ragdoll_collide \"1\"",
      "cl_detaildist \"2400\"",
      "cl_detailfade \"200\"",
      "cl_maxrenderable_dist \"6000\"",
      "lod_TransitionDist \"1600\"",
      "r_decals \"3072\"",
      "r_maxmodeldecal \"100\"",
      "r_lod \"-8\"",
      "r_maxdlights \"48\"",
      "r_propsmaxdist \"1800\"",
      "mat_forcemanagedtextureintohardware \"1\"",
  };
  std::string out;
  for (const char* line : kLines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::vector<GameValue> RunRegistryValues(int afIndex, int aaIndex) {
  std::vector<GameValue> values = {
      {"mat_picmip", 0},         {"r_shadowrendertotexture", 1},
      {"r_rootlod", 0},          {"r_waterforcereflectentities", 1},
      {"mat_reducefillrate", 0}, {"mat_vsync", 0},
  };
  // Filtering: "mat_forceaniso" then "mat_trilinear"; entry 6 "From System" writes nothing.
  static const std::array<std::array<std::uint32_t, 2>, 6> kFiltering = {
      {{1, 0}, {1, 1}, {2, 0}, {4, 0}, {8, 0}, {16, 0}}};
  if (afIndex >= 0 && afIndex < static_cast<int>(kFiltering.size())) {
    values.push_back({"mat_forceaniso", kFiltering[static_cast<size_t>(afIndex)][0]});
    values.push_back({"mat_trilinear", kFiltering[static_cast<size_t>(afIndex)][1]});
  }
  // Anti-aliasing; entry 4 "From System" writes nothing.
  static const std::array<std::uint32_t, 4> kAntiAliasing = {0, 2, 4, 6};
  if (aaIndex >= 0 && aaIndex < static_cast<int>(kAntiAliasing.size()))
    values.push_back({"mat_antialias", kAntiAliasing[static_cast<size_t>(aaIndex)]});
  return values;
}

std::vector<GameValue> DetailRegistryValues(int hdrIndex) {
  std::vector<GameValue> values = {{"mat_reducefillrate", 0}, {"mat_parallaxmap", 1}};
  if (hdrIndex >= 0 && hdrIndex <= 2)
    values.push_back({"mat_hdr_level", static_cast<std::uint32_t>(hdrIndex)});
  return values;
}

void BuildLaunchOptions(BenchSeries& series, int refreshIndex, int heapsizeIndex, bool fastZ) {
  static const std::array<const char*, 4> kRefresh = {"-refresh 60", "-refresh 70", "-refresh 75",
                                                      "-refresh 85"};
  static const std::array<const char*, 5> kHeap = {"-heapsize 64000", "-heapsize 128000",
                                                   "-heapsize 256000", "-heapsize 512000",
                                                   "-heapsize 1024000"};
  if (refreshIndex >= 0 && refreshIndex < static_cast<int>(kRefresh.size()))
    series.RefreshOption = kRefresh[static_cast<size_t>(refreshIndex)];
  if (heapsizeIndex >= 0 && heapsizeIndex < static_cast<int>(kHeap.size()))
    series.HeapOption = kHeap[static_cast<size_t>(heapsizeIndex)];
  series.FastZOption = fastZ ? "+r_fastzreject 1" : "+r_fastzreject 0";
}

}  // namespace quorvel::bench
