#pragma once
// The value rules of the dialog widgets (spin edit, radio group, colour button), kept apart
// from the windows so that they can be checked without one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/Graphics.h"

// A spin edit's text read as a whole decimal number with an optional sign; nothing for an empty
// text, a stray character or a value outside 32 bits.
std::optional<std::int32_t> ParseSpinText(std::string_view text);

// The value a spin edit reports: its text as a number, or its minimum when the text is none.
// Not clamped: a number being typed may lie outside the range until the field is left.
std::int32_t SpinTextValue(std::string_view text, std::int32_t minValue);

std::int32_t ClampSpinValue(std::int64_t value, std::int32_t minValue, std::int32_t maxValue);

// Whether a typed character may enter a spin edit: digits, signs, the decimal separator, and
// control characters (backspace, clipboard keys), which the edit handles itself.
bool IsSpinEditChar(char c, char decimalSeparator);

// A radio group's index: -1 selects nothing, anything past the last item selects the last.
int ClampRadioIndex(std::int64_t index, int itemCount);

// The colour chooser's custom-colour entry for colour: "ColorA=" and its value in upper-case
// hexadecimal, at least six digits.
std::string CustomColorEntry(TColor color);

// Reads "ColorA=8000FF" .. "ColorP=..." into the slot (0 to 15) and colour; nothing otherwise.
struct TCustomColor {
    int Slot = 0;
    TColor Color = 0;
};
std::optional<TCustomColor> ParseCustomColorEntry(std::string_view entry);
