#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Монитор ЦТМ-01"));
    QMainWindow w;
    w.setWindowTitle(QApplication::applicationName());
    w.show();
    return app.exec();
}
