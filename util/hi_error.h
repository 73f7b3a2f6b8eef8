// EHiError: the one exception THi raises, for the few operations whose
// failure the caller must see (loading and saving whole files, INI writes).
#pragma once

#include <stdexcept>
#include <string>

class EHiError : public std::runtime_error {
 public:
  explicit EHiError(const std::string& message) : std::runtime_error(message) {}
};
