#include "util/notice.h"

#include "util/hi.h"

namespace {

constexpr char kNoticeVariable[] = "LODESTACK_NOTICE";
constexpr char kStatusLineVariable[] = "LODESTACK_STATUS_LINE";

std::string Take(const char* variable) {
  const std::string text = THi::GetEnvVar(variable);
  if (!text.empty()) THi::SetEnvVar(variable, "");
  return text;
}

}  // namespace

void HandOnNotice(const std::string& text) { THi::SetEnvVar(kNoticeVariable, text); }

std::string TakeNotice() { return Take(kNoticeVariable); }

void HandOnStatusLine(const std::string& text) { THi::SetEnvVar(kStatusLineVariable, text); }

std::string TakeStatusLine() { return Take(kStatusLineVariable); }
