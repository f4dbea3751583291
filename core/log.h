#pragma once

#include <fstream>
#include <string>

// Appends time-stamped lines to the log file and echoes them on standard
// output. A line is written when its level is at most the file threshold; it
// is also printed when it is at most the console threshold.
class Log {
public:
    enum MsgType { Info = 0, Warning = 1, Error = 2, Fatal = 3 };

    Log(const std::string& path, int fileThreshold, int consoleThreshold);

    void write(int level, MsgType type, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Local time as "YYYY-MM-DD hh:mm:ss" into a buffer of 20 characters.
    void getCurrentTime(char* buffer) const;

private:
    std::ofstream m_file;
    int m_fileThreshold;
    int m_consoleThreshold;
};

extern Log* g_pLog;
