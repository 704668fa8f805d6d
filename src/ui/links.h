#pragma once
// The web addresses the window opens.

namespace quorvel {

// The maker's home page ("Homepage").
inline constexpr const char* kHomepageAddress = "http://www.zarvent.example/benchmark/";
// A tweak guide for the game on an outside site ("HL2 TweakGuide").
inline constexpr const char* kTweakGuideAddress = "http://www.tweakguides.com/HL2_1.html";
// The sponsor's web site (every sponsor picture).
inline constexpr const char* kSponsorAddress = "http://www.kestrel-hardware.example/";
inline constexpr const char* kSponsorTip = "Visit our sponsor's web site";

}  // namespace quorvel
