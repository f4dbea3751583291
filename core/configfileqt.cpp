#include "core/configfileqt.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

ConfigFileAbstract* g_pConfig = nullptr;

namespace {
// Device, inode, size and modification time; "" when the file is absent.
// recent tells a change in the last two seconds, where a second change within
// the resolution of the file times (two seconds on FAT) can keep the stamp.
std::string file_stamp(const QString& path, bool* recent)
{
    struct stat info;
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::string();
    *recent = time(nullptr) - info.st_mtim.tv_sec < 2;
    char stamp[96];
    snprintf(stamp, sizeof stamp, "%llu:%llu:%lld:%lld.%09ld",
             static_cast<unsigned long long>(info.st_dev),
             static_cast<unsigned long long>(info.st_ino), static_cast<long long>(info.st_size),
             static_cast<long long>(info.st_mtim.tv_sec), static_cast<long>(info.st_mtim.tv_nsec));
    return stamp;
}
} // namespace

ConfigFileQt::ConfigFileQt() : ConfigFileQt(QCoreApplication::applicationDirPath()) {}

ConfigFileQt::ConfigFileQt(const QString& rootPath)
    : ConfigFileQt(rootPath, rootPath + QStringLiteral("/inkmate.cfg"))
{
}

ConfigFileQt::ConfigFileQt(const QString& rootPath, const QString& filePath)
    : m_rootPath(rootPath), m_filePath(filePath), m_dataPath(rootPath + QStringLiteral("/chess"))
{
}

const IniText& ConfigFileQt::ini() const
{
    // A value written by hand or elsewhere counts at the next read; a file
    // unchanged since it was read or written here is not read again.
    bool recent = false;
    const std::string stamp = file_stamp(m_filePath, &recent);
    if (stamp.empty()) {
        m_ini = IniText();
    } else if (stamp != m_stamp || (recent && !m_ownStamp)) {
        QFile file(m_filePath);
        m_ini =
            IniText(file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string());
        m_ownStamp = false;
    }
    m_stamp = stamp;
    return m_ini;
}

bool ConfigFileQt::read(const char* key, std::string* value) const
{
    return ini().value(key, value);
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
    IniText ini = this->ini();
    ini.setValue(key, value ? value : "");
    // A new file beside the old one, renamed over it: never half written.
    // Where no file can be made beside it, the file is written in place.
    QSaveFile file(m_filePath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string& text = ini.text();
    file.write(text.data(), static_cast<qint64>(text.size()));
    if (!file.commit())
        return;
    // The file now holds exactly this text.
    bool recent = false;
    m_stamp = file_stamp(m_filePath, &recent);
    m_ini = ini;
    m_ownStamp = true;
}

std::string ConfigFileQt::getRootPath() const
{
    return m_rootPath.toUtf8().toStdString();
}

std::string ConfigFileQt::getDataPath() const
{
    return m_dataPath.toUtf8().toStdString();
}
