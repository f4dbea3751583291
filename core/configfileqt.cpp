#include "core/configfileqt.h"

#include "core/initext.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

ConfigFileAbstract* g_pConfig = nullptr;

namespace {
std::string read_file(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::string();
    return file.readAll().toStdString();
}
} // namespace

ConfigFileQt::ConfigFileQt() : ConfigFileQt(QCoreApplication::applicationDirPath()) {}

ConfigFileQt::ConfigFileQt(const QString& rootPath)
    : m_rootPath(rootPath), m_filePath(rootPath + QStringLiteral("/inkmate.cfg")),
      m_dataPath(rootPath + QStringLiteral("/chess"))
{
}

bool ConfigFileQt::read(const char* key, std::string* value) const
{
    // Read at every call: a value written by hand or elsewhere counts at once.
    return IniText(read_file(m_filePath)).value(key, value);
}

int ConfigFileQt::readInt(const char* key, int defaultValue) const
{
    std::string text;
    if (!read(key, &text))
        return defaultValue;
    bool ok = false;
    const int result = QString::fromStdString(text).trimmed().toInt(&ok);
    return ok ? result : defaultValue;
}

void ConfigFileQt::writeInt(const char* key, int value)
{
    writeString(key, std::to_string(value).c_str());
}

std::string ConfigFileQt::readString(const char* key, const char* defaultValue) const
{
    std::string text;
    if (!read(key, &text))
        return defaultValue ? std::string(defaultValue) : std::string();
    return text;
}

void ConfigFileQt::writeString(const char* key, const char* value)
{
    IniText ini(read_file(m_filePath));
    ini.setValue(key, value ? value : "");
    // A new file beside the old one, renamed over it: never half written.
    // Where no file can be made beside it, the file is written in place.
    QSaveFile file(m_filePath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string& text = ini.text();
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.commit();
}

std::string ConfigFileQt::getRootPath() const
{
    return m_rootPath.toUtf8().toStdString();
}

std::string ConfigFileQt::getDataPath() const
{
    return m_dataPath.toUtf8().toStdString();
}
