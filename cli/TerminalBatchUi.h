#pragma once

#include "BatchUi.h"

#include <QStringList>
#include <array>
#include <ostream>

namespace tarnwick {

// Texts reach the terminal as UTF-8.
std::ostream& operator<<(std::ostream& stream, const QString& text);

// The caption the window shows beside a table's row count, e.g. "Facilities records:".
QString RecordCountCaption(CountedTable table);

// The batch user interface of the headless runner. Progress goes to the error stream: on a
// terminal one line redrawn in place, otherwise one plain line per file. Warnings and
// critical messages go to the error stream at once. There is no input box: every question is
// answered as if cancelled.
class TerminalBatchUi : public BatchUi {
public:
    TerminalBatchUi(std::ostream& out, std::ostream& err, bool interactive);

    void ShowMessage(const QString& text, MessageIcon icon) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override;

    void SetFolderCaption(const QString& folder) override;
    void SetProgressPanelVisible(bool visible) override;
    void SetExtractingCaption(const QString& caption) override;
    void SetFileNumberCaption(const QString& caption) override;
    void SetFileProgress(float value) override;
    void ShowRecordCount(CountedTable table, qint64 count) override;
    void SetRecordProgress(float value) override;

    // Information messages wait for the end of the command: after a success they go to the
    // output stream, after a failure (no ".DAT" file found, say) they are part of the failure
    // report on the error stream.
    void ReleaseInformation(bool commandSucceeded);

    // The counts last shown, indexed by CountedTable.
    qint64 RecordCount(CountedTable table) const;

private:
    QString FileLine() const;
    void DrawProgressLine();
    void EndProgressLine();

    std::ostream& Out;
    std::ostream& Err;
    const bool Interactive;

    QString FileNumberCaption;
    QString FileName;
    float RecordProgressValue = 0;
    bool PanelVisible = false;
    bool ProgressLineOpen = false; // a redrawn line without its line end is on the terminal
    qsizetype DrawnWidth = 0;
    QStringList PendingInformation;
    std::array<qint64, 5> Counts{};
};

} // namespace tarnwick
