#include "util/notice.h"

#include "util/hi.h"

namespace {

constexpr char kNoticeVariable[] = "LODESTACK_NOTICE";

}  // namespace

void HandOnNotice(const std::string& text) { THi::SetEnvVar(kNoticeVariable, text); }

std::string TakeNotice() {
  const std::string text = THi::GetEnvVar(kNoticeVariable);
  if (!text.empty()) THi::SetEnvVar(kNoticeVariable, "");
  return text;
}
