// The second yardstick of the start-up benchmark: the bare main window showing
// one line of the program's Korean text in its font. What it costs beyond the
// bare window is what any window that shows such a text pays before it maps
// (fontconfig set up, the font found and opened, the text shaped).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(720, 780);
    auto* text = new QLabel(QStringLiteral("운전모드 (파라미터 42)"));
    text->setFont(QFont(QStringLiteral("NanumGothic"), 9));
    window.setCentralWidget(text);
    window.show();
    return app.exec();
}
