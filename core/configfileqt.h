#pragma once

#include "core/configfileabstract.h"
#include "core/initext.h"

#include <QString>

// "inkmate.cfg" beside the executable: an INI file in UTF-8 that QSettings
// reads as well (keys outside any group). Values read back exactly as written
// by hand; a write changes that one value in the file and leaves every other
// byte, and reaches the disk at once so a crash or power loss keeps it.
class ConfigFileQt : public ConfigFileAbstract {
public:
    ConfigFileQt();
    // For tools and tests: the store of another root folder.
    explicit ConfigFileQt(const QString& rootPath);
    // The file filePath (any name) as the store of rootPath.
    ConfigFileQt(const QString& rootPath, const QString& filePath);

    int readInt(const char* key, int defaultValue) const override;
    void writeInt(const char* key, int value) override;
    std::string readString(const char* key, const char* defaultValue) const override;
    void writeString(const char* key, const char* value) override;
    std::string getRootPath() const override;
    std::string getDataPath() const override;

private:
    // False when the file or the key is absent.
    bool read(const char* key, std::string* value) const;
    // The file's text, read again whenever the file has changed on disk.
    const IniText& ini() const;

    QString m_rootPath;
    QString m_filePath;
    QString m_dataPath;
    // What ini() read last, and the file's identity, size and time then.
    mutable IniText m_ini;
    mutable std::string m_stamp;
    // Whether m_stamp is that of the file as written here.
    mutable bool m_ownStamp = false;
};
