#include "core/configfileqt.h"

#include <QCoreApplication>

ConfigFileAbstract* g_pConfig = nullptr;

ConfigFileQt::ConfigFileQt() : ConfigFileQt(QCoreApplication::applicationDirPath()) {}

ConfigFileQt::ConfigFileQt(const QString& rootPath)
    : ConfigFileQt(rootPath, rootPath + QStringLiteral("/inkmate.cfg"))
{
}

ConfigFileQt::ConfigFileQt(const QString& rootPath, const QString& filePath)
    : m_rootPath(rootPath), m_filePath(filePath), m_dataPath(rootPath + QStringLiteral("/chess")),
      m_settings(m_filePath, QSettings::IniFormat)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    m_settings.setIniCodec("UTF-8");
#endif
}

ConfigFileQt::~ConfigFileQt()
{
    m_settings.sync();
}

int ConfigFileQt::readInt(const char* key, int defaultValue) const
{
    const QVariant value = m_settings.value(QString::fromLatin1(key), defaultValue);
    bool ok = false;
    const int result = value.toInt(&ok);
    return ok ? result : defaultValue;
}

void ConfigFileQt::writeInt(const char* key, int value)
{
    m_settings.setValue(QString::fromLatin1(key), value);
    m_settings.sync();
}

std::string ConfigFileQt::readString(const char* key, const char* defaultValue) const
{
    const QString k = QString::fromLatin1(key);
    if (!m_settings.contains(k))
        return defaultValue ? std::string(defaultValue) : std::string();
    const QVariant value = m_settings.value(k);
    // An unquoted INI value with commas reads back as a list: join it again.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toUtf8().toStdString();
    return value.toString().toUtf8().toStdString();
}

void ConfigFileQt::writeString(const char* key, const char* value)
{
    m_settings.setValue(QString::fromLatin1(key), QString::fromUtf8(value ? value : ""));
    m_settings.sync();
}

std::string ConfigFileQt::getRootPath() const
{
    return m_rootPath.toUtf8().toStdString();
}

std::string ConfigFileQt::getDataPath() const
{
    return m_dataPath.toUtf8().toStdString();
}
