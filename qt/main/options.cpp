#include "qt/main/options.h"

#include <cstring>

StartOptions parse_start_options(int argc, char** argv)
{
    StartOptions options;
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "--root") == 0) {
            options.rootPath = QString::fromLocal8Bit(argv[++i]);
        } else if (strcmp(argv[i], "--window") == 0) {
            int width = 0;
            int height = 0;
            if (sscanf(argv[++i], "%dx%d", &width, &height) == 2 && width > 0 && height > 0 &&
                width <= 10000 && height <= 10000)
                options.windowSize = QSize(width, height);
        }
    }
    return options;
}
