// Test entry point shared by every test program: widgets need a QApplication,
// and tests must run without a display, so the offscreen platform is the default.
#include <QApplication>
#include <gmock/gmock.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
