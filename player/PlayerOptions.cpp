#include "player/PlayerOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace player {
namespace {

constexpr KeySpec Keys[] = {
    {"Esc", 0x1B, false},  {"Space", 0x20, false},  {"Up", 0x26, true},     {"Down", 0x28, true},
    {"Z", 'Z', false},     {"X", 'X', false},       {"C", 'C', false},      {"V", 'V', false},
    {"B", 'B', false},     {"Period", 0xBE, false}, {"Comma", 0xBC, false}, {"Left", 0x25, true},
    {"Right", 0x27, true},
};

// Runs of one hour are more than any test needs and keep every time within 32 bits of milliseconds.
constexpr double MaxSeconds = 3600.0;

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

// A whole decimal number, or hexadecimal after 0x; an optional leading minus for decimals.
std::optional<std::int64_t> ParseInteger(const std::string& text, bool allowHex) {
    if (text.empty()) {
        return std::nullopt;
    }
    int base = 10;
    std::size_t start = 0;
    if (allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* begin = text.c_str() + start;
    if (std::isspace(static_cast<unsigned char>(*begin)) || *begin == '+' || (base == 16 && *begin == '-')) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, base);
    if (errno != 0 || end == begin || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> ParseInt32(const std::string& text, bool allowHex) {
    const auto value = ParseInteger(text, allowHex);
    if (!value) {
        return std::nullopt;
    }
    // Hexadecimal covers the whole 32-bit pattern, so 0xFFFFFFFF reads as -1.
    if (allowHex && text.size() > 2 && (text[1] == 'x' || text[1] == 'X')) {
        if (*value < 0 || *value > 0xFFFFFFFFLL) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
    }
    if (*value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

std::optional<std::int64_t> ParseMilliseconds(const std::string& text) {
    const auto value = ParseInteger(text, false);
    if (!value || *value < 0 || *value > static_cast<std::int64_t>(MaxSeconds * 1000)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> ParseSeconds(const std::string& text) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double seconds = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(seconds > 0.0) || seconds > MaxSeconds) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::llround(seconds * 1000.0));
}

// Splits "MS=VALUE" at the first '='.
bool SplitTimed(const std::string& text, std::int64_t& ms, std::string& value) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    const auto parsed = ParseMilliseconds(text.substr(0, eq));
    if (!parsed) {
        return false;
    }
    ms = *parsed;
    value = text.substr(eq + 1);
    return true;
}

}  // namespace

std::optional<SignalKind> ParseSignalKind(const std::string& name) {
    static constexpr std::pair<const char*, SignalKind> Names[] = {
        {"silence", SignalKind::Silence}, {"full", SignalKind::Full}, {"sweep", SignalKind::Sweep},
        {"noise", SignalKind::Noise},     {"beat", SignalKind::Beat},
    };
    for (const auto& [text, kind] : Names) {
        if (name == text) {
            return kind;
        }
    }
    return std::nullopt;
}

const KeySpec* FindKey(const std::string& name) {
    for (const auto& key : Keys) {
        if (EqualsIgnoringCase(name, key.name)) {
            return &key;
        }
    }
    return nullptr;
}

ParseResult ParseOptions(const std::vector<std::string>& args) {
    ParseResult result;
    PlayerOptions& options = result.options;
    bool signalGiven = false;
    const auto fail = [&result](std::string message) {
        result.ok = false;
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (!options.pluginPath.empty()) {
                return fail("more than one plug-in given: " + arg);
            }
            if (arg.empty()) {
                return fail("empty plug-in path");
            }
            options.pluginPath = arg;
            continue;
        }
        if (arg == "--config") {
            options.config = true;
            continue;
        }
        if (arg == "--plugin-thread") {
            options.pluginThread = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return fail(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--seconds") {
            const auto ms = ParseSeconds(value);
            if (!ms || *ms <= 0) {
                return fail("bad --seconds: " + value);
            }
            options.runMs = *ms;
        } else if (arg == "--signal") {
            const auto kind = ParseSignalKind(value);
            if (!kind) {
                return fail("unknown --signal: " + value);
            }
            options.signal = *kind;
            signalGiven = true;
        } else if (arg == "--wav") {
            if (value.empty()) {
                return fail("empty --wav path");
            }
            options.wavPath = value;
        } else if (arg == "--title") {
            options.title = value;
        } else if (arg == "--version") {
            const auto version = ParseInt32(value, true);
            if (!version) {
                return fail("bad --version: " + value);
            }
            options.version = *version;
        } else if (arg == "--length") {
            const auto length = ParseInt32(value, false);
            if (!length) {
                return fail("bad --length: " + value);
            }
            options.lengthSeconds = *length;
        } else if (arg == "--shot") {
            TimedEvent event{0, EventKind::Shot, {}};
            if (!SplitTimed(value, event.atMs, event.argument) || event.argument.empty()) {
                return fail("bad --shot, want MS=FILE.bmp: " + value);
            }
            options.events.push_back(std::move(event));
        } else if (arg == "--key") {
            TimedEvent event{0, EventKind::Key, {}};
            if (!SplitTimed(value, event.atMs, event.argument)) {
                return fail("bad --key, want MS=NAME: " + value);
            }
            const KeySpec* key = FindKey(event.argument);
            if (key == nullptr) {
                return fail("unknown key: " + event.argument);
            }
            event.argument = key->name;
            options.events.push_back(std::move(event));
        } else if (arg == "--rclick") {
            const auto ms = ParseMilliseconds(value);
            if (!ms) {
                return fail("bad --rclick: " + value);
            }
            options.events.push_back(TimedEvent{*ms, EventKind::RightClick, {}});
        } else if (arg == "--window") {
            const auto comma = value.find(',');
            const auto x = ParseInt32(value.substr(0, comma), false);
            const auto y = comma == std::string::npos ? std::nullopt : ParseInt32(value.substr(comma + 1), false);
            if (!x || !y) {
                return fail("bad --window, want X,Y: " + value);
            }
            options.windowX = *x;
            options.windowY = *y;
        } else if (arg == "--log") {
            if (value.empty()) {
                return fail("empty --log path");
            }
            options.logPath = value;
        } else {
            return fail("unknown option: " + arg);
        }
    }
    if (options.pluginPath.empty()) {
        return fail("no plug-in given");
    }
    if (signalGiven && !options.wavPath.empty()) {
        return fail("--signal and --wav exclude each other");
    }
    std::stable_sort(options.events.begin(), options.events.end(),
                     [](const TimedEvent& a, const TimedEvent& b) { return a.atMs < b.atMs; });
    result.ok = true;
    return result;
}

const char* UsageText() {
    return "usage: player.exe PLUGIN.dll [--seconds S] [--signal silence|full|sweep|noise|beat] [--wav FILE]\n"
           "                  [--title TEXT] [--version N] [--length SECONDS]\n"
           "                  [--shot MS=FILE.bmp]... [--key MS=NAME]... [--rclick MS] [--config] [--log FILE]\n"
           "                  [--plugin-thread] [--window X,Y]\n"
           "keys: Esc Space Up Down Left Right Z X C V B Period Comma\n";
}

}  // namespace player
