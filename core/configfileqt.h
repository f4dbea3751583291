#pragma once

#include "core/configfileabstract.h"

#include <QSettings>
#include <QString>

// "inkmate.cfg" beside the executable, an INI file in UTF-8 kept by QSettings.
// Every write is synchronised at once so a crash or power loss keeps it.
class ConfigFileQt : public ConfigFileAbstract {
public:
    ConfigFileQt();
    // For tools and tests: the store of another root folder.
    explicit ConfigFileQt(const QString& rootPath);
    // The file filePath (any name) as the store of rootPath.
    ConfigFileQt(const QString& rootPath, const QString& filePath);
    ~ConfigFileQt() override;

    int readInt(const char* key, int defaultValue) const override;
    void writeInt(const char* key, int value) override;
    std::string readString(const char* key, const char* defaultValue) const override;
    void writeString(const char* key, const char* value) override;
    std::string getRootPath() const override;
    std::string getDataPath() const override;

private:
    QString m_rootPath;
    QString m_filePath;
    QString m_dataPath;
    QSettings m_settings;
};
