// Operator texts for library statuses and for the error codes a display
// reports in its replies. Every failure message is a prefix naming the step
// ("Unable to send CONFIG.XML: ") followed by one of these causes.
#pragma once

#include <cstdint>
#include <string>

// Cause text of a library status; `displayError` explains ERR_SIGN_RESPONSE_ERROR.
std::string StatusText(int16_t status, uint8_t displayError = 0);
// Cause text of an error code reported by the display.
std::string DisplayErrorText(uint8_t code);
// prefix + cause, e.g. FailureText("Unable to get %s: ", "CONFIG.XML", status, err).
// A "%s" in the prefix is replaced by `document` first.
std::string FailureText(const std::string& prefix, const std::string& document, int16_t status, uint8_t displayError = 0);
// Replaces the first "%s" in `pattern` with `value`.
std::string FormatName(const std::string& pattern, const std::string& value);

// The reset of a display failed (followed by the cause).
inline constexpr const char* kJxUnableToReset = "Unable to reset display: ";
