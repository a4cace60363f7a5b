#include "TerminalBatchUi.h"

#include <QtGlobal>
#include <algorithm>

namespace tarnwick {

namespace {

const QString ExtractingPrefix = QStringLiteral("Extracting records from: ");
constexpr int BarWidth = 30;

QString ProgressBar(float value) {
    const float clamped = std::clamp(value, 0.0f, 100.0f);
    const int filled = qRound(clamped / 100.0f * BarWidth);
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
           QString(BarWidth - filled, QLatin1Char('.')) +
           QStringLiteral("] %1%").arg(qRound(clamped), 3);
}

} // namespace

std::ostream& operator<<(std::ostream& stream, const QString& text) {
    return stream << text.toStdString();
}

QString RecordCountCaption(CountedTable table) {
    switch (table) {
    case CountedTable::Facilities:
        return QStringLiteral("Facilities records:");
    case CountedTable::Units:
        return QStringLiteral("Unit records:");
    case CountedTable::Fuels:
        return QStringLiteral("Fuel records:");
    case CountedTable::Quarters:
        return QStringLiteral("Quarterly Records:");
    case CountedTable::Emissions:
        return QStringLiteral("Hourly Records:");
    }
    return {};
}

TerminalBatchUi::TerminalBatchUi(std::ostream& out, std::ostream& err, bool interactive)
    : Out(out), Err(err), Interactive(interactive) {}

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

void TerminalBatchUi::SetFolderCaption(const QString&) {}

void TerminalBatchUi::SetProgressPanelVisible(bool visible) {
    PanelVisible = visible;
    if (!visible)
        EndProgressLine();
}

void TerminalBatchUi::SetExtractingCaption(const QString& caption) {
    FileName =
        caption.startsWith(ExtractingPrefix) ? caption.mid(ExtractingPrefix.size()) : caption;
}

void TerminalBatchUi::SetFileNumberCaption(const QString& caption) {
    FileNumberCaption = caption;
}

void TerminalBatchUi::SetFileProgress(float) {
    // Both batches set the file bar after the captions, so the line names the file whole.
    if (Interactive)
        DrawProgressLine();
    else
        Err << FileLine() << '\n' << std::flush;
}

void TerminalBatchUi::ShowRecordCount(CountedTable table, qint64 count) {
    Counts[std::size_t(table)] = count;
}

void TerminalBatchUi::SetRecordProgress(float value) {
    RecordProgressValue = value;
    DrawProgressLine();
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

QString TerminalBatchUi::FileLine() const {
    return FileNumberCaption + QStringLiteral(": ") + FileName;
}

void TerminalBatchUi::DrawProgressLine() {
    if (!Interactive || !PanelVisible || FileNumberCaption.isEmpty())
        return;
    const QString line = FileLine() + QLatin1Char(' ') + ProgressBar(RecordProgressValue);
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
