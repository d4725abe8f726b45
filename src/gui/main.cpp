#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow wnd;
    wnd.resize(620, 320);
    wnd.show();
    return app.exec();
}
