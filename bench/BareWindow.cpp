// The yardstick of the start-up benchmark: a bare Qt 6 main window of the
// program's size, started and shown the plain way.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(720, 780);
    window.show();
    return app.exec();
}
