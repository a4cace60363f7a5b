#include "core/QtMessages.h"
#include "core/Version.h"
#include "gui/AboutBox.h"
#include "gui/Dialogs.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

int main(int argc, char** argv) {
    tarnwick::FilterQtMessages(false);
    QApplication application(argc, argv);
    QApplication::setApplicationName(tarnwick::ApplicationTitle);
    QApplication::setApplicationVersion(QString::fromLatin1(tarnwick::VersionText));
    QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    QApplication::setWindowIcon(tarnwick::ApplicationIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loads EPA Electronic Data Reporting quarterly .DAT files into a Sources "
                       "database."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption verbose(
        QStringLiteral("verbose"), QStringLiteral("Also show the warnings of Qt and its drivers."));
    parser.addOption(verbose);
    parser.process(application); // --help and --version answer and end the program here
    tarnwick::FilterQtMessages(parser.isSet(verbose));

    tarnwick::QtDialogs dialogs;
    // ~/.config/tarnwick/tarnwick.conf on Linux: the recent databases and the ".DAT" folder.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tarnwick"),
                       QStringLiteral("tarnwick"));
    tarnwick::MainWindow window(dialogs, settings);
    window.show();
    return QApplication::exec();
}
