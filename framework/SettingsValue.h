#pragma once
// Decoding of the text values held in the settings file. Every value is untrusted: a text that
// is not a whole number keeps the caller's default.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr std::size_t MaxSettingsTextLength = 1023;

// "0x1F"/"0X1F" (longer than two characters) and "$1F" are hexadecimal, anything else decimal
// with an optional sign. Hexadecimal reads the 32-bit pattern, so "0xFFFFFFFF" is -1. Returns
// nothing for an empty text, trailing garbage or a value outside 32 bits.
std::optional<std::int32_t> ParseSettingsInteger(std::string_view text);

std::int32_t DecodeSettingsInteger(std::string_view text, std::int32_t fallback);
bool DecodeSettingsBoolean(std::string_view text, bool fallback);
// Texts are kept as they are, cut to MaxSettingsTextLength characters.
std::string DecodeSettingsText(std::string_view text);

std::string EncodeSettingsInteger(std::int32_t value);
std::string EncodeSettingsBoolean(bool value);
