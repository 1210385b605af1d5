#include "framework/SettingsValue.h"

namespace {

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v < base ? v : -1;
}

// Reads all of digits in base; fails on an empty text, a stray character or a value above limit.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base, std::uint64_t limit) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int d = DigitValue(c, base);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > limit) {
            return std::nullopt;
        }
    }
    return value;
}

}  // namespace

std::optional<std::int32_t> ParseSettingsInteger(std::string_view text) {
    const bool hexPrefix = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hexPrefix || (!text.empty() && text[0] == '$')) {
        const auto value = ParseDigits(text.substr(hexPrefix ? 2 : 1), 16, 0xFFFFFFFFu);
        if (!value) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const auto value = ParseDigits(text, 10, negative ? 2147483648u : 2147483647u);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*value) : static_cast<std::int64_t>(*value));
}

std::int32_t DecodeSettingsInteger(std::string_view text, std::int32_t fallback) {
    return ParseSettingsInteger(text).value_or(fallback);
}

bool DecodeSettingsBoolean(std::string_view text, bool fallback) {
    return DecodeSettingsInteger(text, fallback ? 1 : 0) != 0;
}

std::string DecodeSettingsText(std::string_view text) {
    return std::string(text.substr(0, MaxSettingsTextLength));
}

std::string EncodeSettingsInteger(std::int32_t value) {
    return std::to_string(value);
}

std::string EncodeSettingsBoolean(bool value) {
    return value ? "1" : "0";
}
