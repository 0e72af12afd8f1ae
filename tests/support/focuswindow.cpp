// A window of another program that takes the keyboard focus away from the one under test.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Anderes Programm"));
    label.setWindowTitle(QStringLiteral("Fokus"));
    label.resize(300, 100);
    label.show();
    return app.exec();
}
