#pragma once
// The key-value store behind the plug-in's settings: plugin.ini through the platform's profile
// functions in the product, a map in tests.

#include <optional>
#include <stdexcept>
#include <string>

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;
    // The raw text of key, or nothing when the key is missing.
    virtual std::optional<std::string> Read(const char* key) = 0;
    // Writes key = value; false when the file cannot be written.
    virtual bool Write(const char* key, const std::string& value) = 0;
    // Where the values live, for the failure message.
    virtual std::string Location() const = 0;
};

// A write the store refused; the message names the file ("Unable to write to <path>").
class ESettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
