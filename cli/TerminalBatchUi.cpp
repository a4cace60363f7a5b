#include "cli/TerminalBatchUi.h"

#include <QLocale>
#include <QtGlobal>
#include <algorithm>
#include <chrono>

namespace tarnwick {

namespace {

constexpr int BarWidth = 24;

QString Bar(double share) {
    const int filled = qRound(std::clamp(share, 0.0, 1.0) * BarWidth);
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
           QString(BarWidth - filled, QLatin1Char('.')) + QLatin1Char(']');
}

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString Duration(qint64 seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

std::ostream& operator<<(std::ostream& stream, const QString& text) {
    return stream << text.toStdString();
}

TerminalBatchUi::TerminalBatchUi(std::ostream& out, std::ostream& err, bool interactive,
                                 std::function<bool()> stopRequested, std::function<double()> now)
    : Out(out), Err(err), Interactive(interactive), AskedToStop(std::move(stopRequested)),
      Now(now ? std::move(now) : SteadySeconds) {}

void TerminalBatchUi::ShowMessage(const QString& text, MessageIcon icon) {
    EndProgressLine();
    if (icon == MessageIcon::Information || icon == MessageIcon::None) {
        PendingInformation << text;
        return;
    }
    Err << text << '\n' << std::flush;
}

std::optional<QString> TerminalBatchUi::AskText(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

void TerminalBatchUi::RecordCounted(CountedTable table, qint64 count) {
    Counts[std::size_t(table)] = count;
}

// The hourly batch announces a file before reading it, the quarterly batch after.
void TerminalBatchUi::FileStarting(const FileStep& step) {
    ShowFile(step, step.Index - 1);
}

void TerminalBatchUi::FileExtracted(const FileStep& step) {
    ShowFile(step, step.Index);
}

void TerminalBatchUi::FileSkipped(const FileStep& step) {
    ++Skipped;
    if (Interactive)
        return ShowFile(step, step.Index);
    Err << QStringLiteral("Skipped .DAT file %1 of %2, loaded before and unchanged: %3")
               .arg(step.Index)
               .arg(step.Count)
               .arg(step.FileName)
        << '\n'
        << std::flush;
}

void TerminalBatchUi::ShowFile(const FileStep& step, double filesDone) {
    if (!Started)
        Started = Now();
    Current = step;
    FilesDone = filesDone;
    RecordProgressValue = 0;
    if (Interactive)
        DrawProgressLine();
    else
        Err << step.FileNumberCaption << QStringLiteral(": ") << step.FileName << '\n'
            << std::flush;
}

void TerminalBatchUi::SetRecordProgress(float value) {
    RecordProgressValue = value;
    DrawProgressLine();
}

void TerminalBatchUi::BatchFinished(const BatchOutcome&) {
    EndProgressLine();
}

bool TerminalBatchUi::StopRequested() {
    return AskedToStop && AskedToStop();
}

void TerminalBatchUi::ReleaseInformation(bool commandSucceeded) {
    std::ostream& stream = commandSucceeded ? Out : Err;
    for (const QString& text : std::as_const(PendingInformation))
        stream << text << '\n';
    stream << std::flush;
    PendingInformation.clear();
}

qint64 TerminalBatchUi::RecordCount(CountedTable table) const {
    return Counts[std::size_t(table)];
}

// "file 3 of 20  F003.DAT  [#######.........]  61203 records/s  0:42 left"; the time left
// follows the share of the files done, the current file counted by its own progress, and the
// files skipped so far counted as neither done nor to do.
void TerminalBatchUi::DrawProgressLine() {
    if (!Interactive || Current.Count == 0)
        return;
    const bool reading = FilesDone < Current.Index;
    const double done = FilesDone + (reading ? RecordProgressValue / 100.0 : 0.0);
    const double share = done / Current.Count;
    const double seconds = Now() - *Started;
    const double worked = (done - Skipped) / std::max(1.0, double(Current.Count - Skipped));
    QString line = QStringLiteral("file %1 of %2  %3  %4")
                       .arg(Current.Index)
                       .arg(Current.Count)
                       .arg(Current.FileName, Bar(share));
    if (Records > 0 && seconds > 0)
        line += QStringLiteral("  %1 records/s")
                    .arg(QLocale::c().toString(qRound64(Records / seconds)));
    if (worked > 0 && seconds > 1)
        line +=
            QStringLiteral("  %1 left").arg(Duration(qRound64(seconds / worked * (1 - worked))));
    // Blanks over the rest of a longer previous line, so no terminal control codes are needed.
    const qsizetype padding = std::max<qsizetype>(0, DrawnWidth - line.size());
    Err << '\r' << line << QString(padding, QLatin1Char(' ')) << std::flush;
    DrawnWidth = line.size();
    ProgressLineOpen = true;
}

void TerminalBatchUi::EndProgressLine() {
    if (!ProgressLineOpen)
        return;
    Err << '\n' << std::flush;
    ProgressLineOpen = false;
    DrawnWidth = 0;
}

} // namespace tarnwick
