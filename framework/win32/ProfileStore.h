#pragma once
// plugin.ini through the platform's private-profile functions.

#include <string>

#include "framework/SettingsStore.h"

class TProfileStore : public TSettingsStore {
public:
    TProfileStore(std::string path, std::string section) : Path(std::move(path)), Section(std::move(section)) {}

    std::optional<std::string> Read(const char* key) override;
    bool Write(const char* key, const std::string& value) override;
    std::string Location() const override { return Path; }

private:
    std::string Path;
    std::string Section;
};

// The folder of the host executable with its trailing separator.
std::string ExecutableDirectory();
