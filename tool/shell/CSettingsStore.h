// Where the tool keeps values between runs: a per-user store and a
// machine-wide one, each a flat set of named values that are either strings
// or 32-bit numbers. The application uses INI files (QSettings); tests use
// the in-memory store below.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    // Makes the store usable; with `create`, creates it when missing.
    // false when it does not exist (or cannot be created).
    virtual bool Open(bool create) = 0;
    // A string value; nothing when absent, not a string, or longer than
    // `maxBytes` - 1 characters (the value would not fit its field).
    virtual std::optional<std::string> ReadString(const std::string& name, size_t maxBytes) = 0;
    // A 32-bit number; nothing when absent or not a number.
    virtual std::optional<uint32_t> ReadNumber(const std::string& name) = 0;
    virtual bool WriteString(const std::string& name, const std::string& value) = 0;
    virtual bool WriteNumber(const std::string& name, uint32_t value) = 0;
};

class CMemorySettingsStore : public CSettingsStore {
public:
    using Value = std::variant<std::string, uint32_t>;

    bool exists = true;        // the store is there
    bool canCreate = true;     // Open(true) may create it
    std::map<std::string, Value> values;

    bool Open(bool create) override
    {
        if (!exists && create && canCreate) exists = true;
        return exists;
    }
    std::optional<std::string> ReadString(const std::string& name, size_t maxBytes) override
    {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
        const auto& s = std::get<std::string>(it->second);
        if (maxBytes > 0 && s.size() >= maxBytes) return std::nullopt;
        return s;
    }
    std::optional<uint32_t> ReadNumber(const std::string& name) override
    {
        auto it = values.find(name);
        if (it == values.end() || !std::holds_alternative<uint32_t>(it->second)) return std::nullopt;
        return std::get<uint32_t>(it->second);
    }
    bool WriteString(const std::string& name, const std::string& value) override
    {
        if (!exists) return false;
        values[name] = value;
        return true;
    }
    bool WriteNumber(const std::string& name, uint32_t value) override
    {
        if (!exists) return false;
        values[name] = value;
        return true;
    }
};
