#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// Showing a failure to the user, once, at the handler that started the work.
// The code's text goes to the installed prompter with the caller's caption,
// the exclamation sound and the exclamation style.

// The value for the one placeholder of a code's format text: a file name for
// "%s", a number for "%ld". Values are substituted, never used as a format,
// so a file name holding "%s" or "%n" prints as it stands.
using ErrorValue = std::variant<std::monostate, std::string_view, int32_t>;

// At most this many characters of a message are shown (one more for the
// terminator in the fixed buffer the messages were designed around).
inline constexpr size_t kMaxErrorText = 1023;

// The code's format text with the value substituted, cut to kMaxErrorText.
// Empty for codes outside the table.
std::string FormatErrorText(int32_t code, const ErrorValue& value);

void ReportError(int32_t code, std::string_view caption, const ErrorValue& value = {});
inline void ReportError(int32_t code, std::string_view caption, const std::string& text) {
  ReportError(code, caption, ErrorValue{std::string_view(text)});
}
inline void ReportError(int32_t code, std::string_view caption, const char* text) {
  ReportError(code, caption, ErrorValue{std::string_view(text ? text : "")});
}

inline void ReportError(int32_t code, std::string_view caption, int32_t number) {
  ReportError(code, caption, ErrorValue{number});
}

// A failure that concerns file: its name goes where the code's text has a
// place for a name; a code whose placeholder is a number (a byte count, an
// index) or that has none is shown as its plain text.
void ReportFileError(int32_t code, std::string_view caption, std::string_view file);

// Shows the code's text without placeholders; a missing caption is "ERROR".
void ReportErrorPlain(int32_t code, std::optional<std::string_view> caption = std::nullopt);
