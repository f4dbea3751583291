#pragma once

#include "core/configfileqt.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QString>

#include <memory>
#include <string>

// A configuration in a temporary root folder.
class ScopedConfig {
public:
    ScopedConfig() : m_config(std::make_unique<ConfigFileQt>(QString::fromStdString(m_dir.path())))
    {
    }
    ScopedConfig(const ScopedConfig&) = delete;
    ScopedConfig& operator=(const ScopedConfig&) = delete;

    ConfigFileQt& config() { return *m_config; }
    const std::string& root() const { return m_dir.path(); }
    std::string file(const std::string& name) const { return m_dir.file(name); }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<ConfigFileQt> m_config;
};

// The shipped board fonts.
inline std::string shippedFont()
{
    return testsupport::sourcePath("assets/fonts/inkmate-chess.ttf");
}
inline std::string shippedPieces()
{
    return testsupport::sourcePath("assets/fonts/inkmate-pieces-75.png");
}
inline const char* shippedFamily()
{
    return "Inkmate Chess";
}

// Registers the shipped TrueType font once; false when Qt refuses it.
bool registerShippedFont();

// A white image of w x h pixels.
QImage whiteImage(int w, int h);
// Darkness 0 (white) .. 1 (black) averaged over a rectangle of a grey image.
double darkness(const QImage& image, int x, int y, int w, int h);
