#include "framework/WidgetValues.h"

#include <algorithm>
#include <cstdio>

#include "framework/SettingsValue.h"

std::optional<std::int32_t> ParseSpinText(std::string_view text) {
    // The settings decoding also accepts hexadecimal; a spin edit takes decimal only.
    const std::string_view digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? text.substr(1) : text;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return ParseSettingsInteger(text);
}

std::int32_t SpinTextValue(std::string_view text, std::int32_t minValue) {
    return ParseSpinText(text).value_or(minValue);
}

std::int32_t ClampSpinValue(std::int64_t value, std::int32_t minValue, std::int32_t maxValue) {
    // A range given upside down keeps the minimum, as a field can show nothing else sensibly.
    if (maxValue < minValue) {
        return minValue;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, minValue, maxValue));
}

bool IsSpinEditChar(char c, char decimalSeparator) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == decimalSeparator;
}

int ClampRadioIndex(std::int64_t index, int itemCount) {
    if (itemCount <= 0) {
        return -1;
    }
    return static_cast<int>(std::clamp<std::int64_t>(index, -1, itemCount - 1));
}

std::string CustomColorEntry(TColor color) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%06X", static_cast<unsigned>(color));
    return std::string("ColorA=") + hex;
}

std::optional<TCustomColor> ParseCustomColorEntry(std::string_view entry) {
    constexpr std::string_view prefix = "Color";
    if (entry.size() < prefix.size() + 3 || entry.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    const char slot = entry[prefix.size()];
    if (slot < 'A' || slot > 'P' || entry[prefix.size() + 1] != '=') {
        return std::nullopt;
    }
    const std::string_view digits = entry.substr(prefix.size() + 2);
    if (digits.size() > 8) {
        return std::nullopt;
    }
    // The value is hexadecimal; reuse the settings reader through its "$" form.
    const auto value = ParseSettingsInteger(std::string("$") + std::string(digits));
    if (!value) {
        return std::nullopt;
    }
    return TCustomColor{slot - 'A', static_cast<TColor>(*value)};
}
