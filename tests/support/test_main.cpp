#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs with an application object, so Qt classes that need
// one (processes, fonts, widgets) work; tests run on the offscreen platform.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("INKMATE_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
