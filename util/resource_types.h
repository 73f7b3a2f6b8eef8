// Resources as program files carry them: a type number, a name or a numeric
// identifier, a language and the bytes. Names compare without regard to case.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::uint16_t kResIcon = 3;        // one icon image
inline constexpr std::uint16_t kResData = 10;       // raw data (RCDATA)
inline constexpr std::uint16_t kResGroupIcon = 14;  // an icon group directory
inline constexpr std::uint16_t kLangNeutral = 0;
inline constexpr std::uint16_t kLangEnglishUs = 1033;

struct ResourceName {
  std::string name;     // empty for a numeric identifier
  std::uint16_t id = 0;

  static ResourceName Named(const std::string& n) { return {n, 0}; }
  static ResourceName Numbered(std::uint16_t i) { return {std::string(), i}; }
  bool IsNumber() const { return name.empty(); }
  bool Matches(const ResourceName& other) const;
};
