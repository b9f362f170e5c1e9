#pragma once
// The seam to the per-user profile (section "Settings").

#include <map>
#include <string>

namespace tessary {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int ReadInt(const std::string& section, const std::string& key, int fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
};

// A profile that lives as long as the object: tests, and programs that must not touch
// the person's real profile.
class MemorySettingsStore : public SettingsStore {
public:
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override {
        const auto it = values_.find(section + "/" + key);
        return it == values_.end() ? fallback : it->second;
    }
    void WriteInt(const std::string& section, const std::string& key, int value) override {
        values_[section + "/" + key] = value;
    }
    bool Has(const std::string& section, const std::string& key) const {
        return values_.count(section + "/" + key) != 0;
    }

private:
    std::map<std::string, int> values_;
};

}  // namespace tessary
