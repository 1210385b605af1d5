#pragma once
// The lines of the test player's log: one event per line, the first word naming the event, then
// key=value fields. Texts taken from the plug-in are quoted with C-style escapes.

#include <cstdint>
#include <string>

struct winampVisModule;

namespace player {

// "text" with \" \\ and \xNN escapes, at most maxLength characters read; null for a null pointer.
std::string QuoteText(const char* text, std::size_t maxLength = 256);

std::string HeaderLine(std::int32_t version, const char* description);
// "module N null" for a null module.
std::string ModuleLine(int index, const winampVisModule* module);
std::string InitLine(int result);
// The command identifier is the low word; a nonzero high word or lParam is shown too.
std::string CommandLine(std::uintptr_t wParam, std::intptr_t lParam);
std::string RenderSummaryLine(std::int64_t count, std::int64_t nonzero);
// How many of each request the player answered: version, track length, play position, title.
std::string RequestSummaryLine(std::int64_t version, std::int64_t length, std::int64_t position, std::int64_t title);
// Formats without the heap (it runs in a crash handler, perhaps after heap corruption); returns
// the length written, the line cut to fit buffer.
std::size_t FormatCrashLine(std::uint32_t code, char* buffer, std::size_t size);

}  // namespace player
