// The yardstick of the start-up benchmark: the least a Qt Widgets program does to
// put a main window of the same size on the screen.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(argc >= 3 ? atoi(argv[1]) : 800, argc >= 3 ? atoi(argv[2]) : 600);
    window.show();
    return app.exec();
}
