#include "player/PlayerLog.h"

#include <algorithm>
#include <cstdio>

#include "playerapi/VisRecords.h"

namespace player {

std::string QuoteText(const char* text, std::size_t maxLength) {
    if (text == nullptr) {
        return "null";
    }
    std::string quoted = "\"";
    for (std::size_t i = 0; i < maxLength && text[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    quoted += '"';
    return quoted;
}

std::string HeaderLine(std::int32_t version, const char* description) {
    return "header version=" + std::to_string(version) + " description=" + QuoteText(description);
}

std::string ModuleLine(int index, const winampVisModule* module) {
    std::string line = "module " + std::to_string(index);
    if (module == nullptr) {
        return line + " null";
    }
    return line + " description=" + QuoteText(module->description) + " latencyMs=" + std::to_string(module->latencyMs) +
           " delayMs=" + std::to_string(module->delayMs) + " spectrumNch=" + std::to_string(module->spectrumNch) +
           " waveformNch=" + std::to_string(module->waveformNch);
}

std::string InitLine(int result) {
    return "init result=" + std::to_string(result);
}

std::string CommandLine(std::uintptr_t wParam, std::intptr_t lParam) {
    std::string line = "command id=" + std::to_string(wParam & 0xFFFF);
    const auto code = (wParam >> 16) & 0xFFFF;
    if (code != 0) {
        line += " code=" + std::to_string(code);
    }
    if (lParam != 0) {
        line += " lparam=" + std::to_string(lParam);
    }
    return line;
}

std::string RenderSummaryLine(std::int64_t count, std::int64_t nonzero) {
    return "render count=" + std::to_string(count) + " nonzero=" + std::to_string(nonzero);
}

std::string RequestSummaryLine(std::int64_t version, std::int64_t length, std::int64_t position, std::int64_t title) {
    return "requests version=" + std::to_string(version) + " length=" + std::to_string(length) +
           " position=" + std::to_string(position) + " title=" + std::to_string(title);
}

std::size_t FormatCrashLine(std::uint32_t code, char* buffer, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int length = std::snprintf(buffer, size, "crash code=0x%08X", static_cast<unsigned>(code));
    return length < 0 ? 0 : std::min(static_cast<std::size_t>(length), size - 1);
}

}  // namespace player
