#include "core/QtMessages.h"
#include "gui/AboutBox.h"
#include "gui/Dialogs.h"
#include "gui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    tarnwick::FilterQtMessages(false);
    QApplication application(argc, argv);
    tarnwick::FilterQtMessages(QApplication::arguments().contains(QStringLiteral("--verbose")));
    QApplication::setApplicationName(tarnwick::ApplicationTitle);
    QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    QApplication::setWindowIcon(tarnwick::ApplicationIcon());

    tarnwick::QtDialogs dialogs;
    tarnwick::MainWindow window(dialogs);
    window.show();
    return QApplication::exec();
}
