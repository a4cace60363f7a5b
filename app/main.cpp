#include "AboutBox.h"
#include "Dialogs.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(tarnwick::ApplicationTitle);
    QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    QApplication::setWindowIcon(tarnwick::ApplicationIcon());

    tarnwick::QtDialogs dialogs;
    tarnwick::MainWindow window(dialogs);
    window.show();
    return QApplication::exec();
}
