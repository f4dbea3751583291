#pragma once

#include <QSize>
#include <QString>

// Command-line options of the program.
struct StartOptions {
    QString rootPath; // --root DIR: another folder than the executable's
    QSize windowSize; // --window WxH: a desktop preview window instead of full screen
};

StartOptions parse_start_options(int argc, char** argv);
