#include "tests/views/boardfont_support.h"

#include <QColor>
#include <QFontDatabase>

bool registerShippedFont()
{
    static const bool ok =
        QFontDatabase::addApplicationFont(QString::fromStdString(shippedFont())) >= 0;
    return ok;
}

QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

double darkness(const QImage& image, int x, int y, int w, int h)
{
    double sum = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            sum += 255 - qGray(image.pixel(i, j));
    return sum / (255.0 * w * h);
}
