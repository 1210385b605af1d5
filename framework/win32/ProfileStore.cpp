#include "framework/win32/ProfileStore.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/SettingsValue.h"

namespace {

// A default no value in a text file can hold tells a missing key from an empty one.
constexpr const char* MissingMarker = "\x01\x02missing\x02\x01";

}  // namespace

std::optional<std::string> TProfileStore::Read(const char* key) {
    // One more than the longest value kept; the profile functions cut longer lines to fit.
    std::vector<char> buffer(MaxSettingsTextLength + 1, '\0');
    const DWORD length = GetPrivateProfileStringA(Section.c_str(), key, MissingMarker, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), Path.c_str());
    std::string text(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
    if (text == MissingMarker) {
        return std::nullopt;
    }
    return text;
}

bool TProfileStore::Write(const char* key, const std::string& value) {
    if (WritePrivateProfileStringA(Section.c_str(), key, value.c_str(), Path.c_str()) == FALSE) {
        return false;
    }
    // Flush the profile cache so that the value reaches the file before the call returns.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path.c_str());
    return true;
}

std::string ExecutableDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            const auto slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}
