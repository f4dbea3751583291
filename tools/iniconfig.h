#pragma once

#include "core/configfileabstract.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <string>

// A configuration file of any name, read only; its folder is the root path.
class IniFileConfig : public ConfigFileAbstract {
public:
    explicit IniFileConfig(const QString& path)
        : m_settings(path, QSettings::IniFormat),
          m_root(QFileInfo(path).absolutePath().toUtf8().toStdString())
    {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        m_settings.setIniCodec("UTF-8");
#endif
    }
    int readInt(const char* key, int defaultValue) const override
    {
        bool ok = false;
        const int value = m_settings.value(QString::fromLatin1(key), defaultValue).toInt(&ok);
        return ok ? value : defaultValue;
    }
    void writeInt(const char*, int) override {}
    std::string readString(const char* key, const char* defaultValue) const override
    {
        const QString k = QString::fromLatin1(key);
        if (!m_settings.contains(k))
            return defaultValue ? defaultValue : "";
        const QVariant value = m_settings.value(k);
        if (value.userType() == QMetaType::QStringList)
            return value.toStringList().join(QStringLiteral(", ")).toUtf8().toStdString();
        return value.toString().toUtf8().toStdString();
    }
    void writeString(const char*, const char*) override {}
    std::string getRootPath() const override
    {
        return m_root;
    }
    std::string getDataPath() const override
    {
        return m_root + "/chess";
    }

private:
    QSettings m_settings;
    std::string m_root;
};
