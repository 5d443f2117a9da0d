#include "support/report_error.h"

#include "support/error_codes.h"
#include "support/prompter.h"

namespace {

// Cuts to the display limit without splitting a UTF-8 sequence, so a long
// file name never ends in half a character.
void CutToLimit(std::string& text) {
  if (text.size() <= kMaxErrorText)
    return;
  size_t end = kMaxErrorText;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  text.resize(end);
}

void AppendValue(std::string& out, const ErrorValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    out.append(*text);
  } else if (const auto* number = std::get_if<int32_t>(&value)) {
    out.append(std::to_string(*number));
  }
}

void Show(const std::string& text, std::string_view caption) {
  Prompter& prompter = CurrentPrompter();
  prompter.Beep();
  prompter.ShowMessage(text, std::string(caption), kMbOk | kMbIconExclamation);
}

}  // namespace

std::string FormatErrorText(int32_t code, const ErrorValue& value) {
  if (code < 0 || code >= kErrorCount)
    return {};
  const std::string_view format = ErrorFormats[code];
  std::string out;
  out.reserve(format.size() + 64);
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out.push_back(format[i]);
    } else if (format.substr(i, 2) == "%s") {
      AppendValue(out, value);
      i += 1;
    } else if (format.substr(i, 3) == "%ld") {
      AppendValue(out, value);
      i += 2;
    } else {
      out.push_back('%');
    }
    if (out.size() > kMaxErrorText)
      break;
  }
  CutToLimit(out);
  return out;
}

void ReportError(int32_t code, std::string_view caption, const ErrorValue& value) {
  if (!IsShownError(code))
    return;
  Show(FormatErrorText(code, value), caption);
}

void ReportFileError(int32_t code, std::string_view caption, std::string_view file) {
  if (code < 0 || code >= kErrorCount)
    return;
  if (std::string_view(ErrorFormats[code]).find("%s") != std::string_view::npos)
    ReportError(code, caption, ErrorValue{file});
  else
    ReportErrorPlain(code, caption);
}

void ReportErrorPlain(int32_t code, std::optional<std::string_view> caption) {
  if (!IsShownError(code))
    return;
  Show(ErrorTexts[code], caption.value_or("ERROR"));
}
