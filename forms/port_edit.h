// The port field of the tools' dialogs, a spin edit of 1 to 65535: the value
// it holds for a text, and the text it shows once it loses the focus.
#pragma once

#include <string>

namespace port_edit {

inline constexpr int kMin = 1;
inline constexpr int kMax = 65535;

// A whole number clamped to 1..65535; 1 when the text is no number.
int Value(const std::string& text);
// An emptied field gets its previous text back; anything else shows its value.
std::string ExitText(const std::string& text, const std::string& previous);

}  // namespace port_edit
