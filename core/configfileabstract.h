#pragma once

#include <string>

// The settings store. Every read passes its default; nothing is cached, so a
// value written elsewhere takes effect at the next read.
class ConfigFileAbstract {
public:
    virtual ~ConfigFileAbstract() = default;
    virtual int readInt(const char* key, int defaultValue) const = 0;
    virtual void writeInt(const char* key, int value) = 0;
    virtual std::string readString(const char* key, const char* defaultValue) const = 0;
    virtual void writeString(const char* key, const char* value) = 0;
    virtual std::string getRootPath() const = 0;
    virtual std::string getDataPath() const = 0;
};

extern ConfigFileAbstract* g_pConfig;
