// The start-up baseline: the least a Qt Widgets program can show, one window with one button.
#include <QApplication>
#include <QPushButton>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QPushButton button(QStringLiteral("OK"));
    button.show();
    return QApplication::exec();
}
