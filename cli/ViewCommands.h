#pragma once

#include <QString>
#include <memory>
#include <ostream>

class QCommandLineParser;
class QCoreApplication;

namespace tarnwick {

// The application object of a runner invocation: a QApplication on the offscreen platform
// for the chart command, whose drawing needs one, and a plain QCoreApplication for every
// other command, which never touches widgets or a display.
std::unique_ptr<QCoreApplication> NewRunnerApplication(int& argc, char** argv);

// --facility, --unit, --measure, --from, --to and --out.
void AddViewOptions(QCommandLineParser& parser);

bool IsViewCommand(const QString& command);

// export, chart or summary, with the parser's positional arguments and options. Returns the
// exit status; messages go to `err`, CSV to the --out file or `out`.
int RunViewCommand(const QCommandLineParser& parser, std::ostream& out, std::ostream& err);

} // namespace tarnwick
