#pragma once

#include "core/BatchUi.h"
#include "core/Extraction.h"
#include "tests/support/BatchDatFiles.h"
#include "tests/support/TestDatabases.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

// A batch user interface that records what the batch shows, and a ".DAT" folder to run the
// batches over.
namespace tarnwick::test {

// Records every call in order as one line of text, "kind text"; progress values and row counts
// that follow one another share a line: "progress 10 100", "counts facilities 2, units 2, ...".
// AskText answers from Answers. OnRecordProgress lets a test break something at a chosen moment,
// StopAt asks the batch to stop.
class ScriptedBatchUi : public BatchUi {
public:
    void ShowMessage(const QString& text, MessageIcon icon) override {
        static const char* const icons[] = {"plain:", "information:", "warning:", "critical:"};
        Add(icons[int(icon)], text);
        Shown << text;
    }
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override {
        Add("ask", QStringList{prompt, title, defaultAnswer}.join(" | "));
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << prompt.toStdString();
            return std::nullopt;
        }
        const std::optional<QString> answer = std::move(Answers.front());
        Answers.pop_front();
        return answer;
    }
    void FolderChanged(const QString& folder) override { Add("folder", folder); }
    void FileStarting(const FileStep& step) override { Add("starting", Text(step)); }
    void FileExtracted(const FileStep& step) override { Add("extracted", Text(step)); }
    void RecordsWritten(qint64 records) override { Add("written", QString::number(records)); }
    void BatchFinished(const BatchOutcome&) override { Calls << QStringLiteral("finished"); }
    void SetRecordProgress(float value) override {
        Add("progress", QString::number(value), " ");
        // Both readers report 100 once a file's rows are committed.
        FilesWritten += value == 100 ? 1 : 0;
        if (OnRecordProgress)
            OnRecordProgress(value);
    }
    void RecordCounted(CountedTable table, qint64 count) override {
        static const char* const tables[] = {"facilities", "units", "fuels", "quarters",
                                             "emissions"};
        Add("counts", QString::fromLatin1(tables[int(table)]) + u' ' + QString::number(count),
            ", ");
    }

    // Asked between files: the batch is to stop when asked for the StopAt-th time.
    bool StopRequested() override { return ++StopAsked == StopAt; }

    // The texts of the message boxes, one per line.
    QString Messages() const { return Shown.join(u'\n'); }

    QStringList Calls;
    QStringList Shown;
    std::deque<std::optional<QString>> Answers;
    int FilesWritten = 0;
    int StopAsked = 0;
    int StopAt = 0; // 0: never
    std::function<void(float value)> OnRecordProgress;

private:
    static QString Text(const FileStep& step) {
        return QStringList{step.FileNumberCaption, step.ExtractingCaption,
                           QString::number(step.BatchProgress)}
            .join(" | ");
    }
    void Add(const char* kind, const QString& text, const char* joiner = nullptr) {
        const QString start = QString::fromLatin1(kind) + u' ';
        if (joiner && !Calls.isEmpty() && Calls.last().startsWith(start))
            Calls.last() += QString::fromLatin1(joiner) + text;
        else
            Calls << start + text;
    }
};

using Extraction = BatchOutcome (*)(RunState&, BatchUi&, DatDirectory&);

// A ".DAT" folder and one program run over it, as the window or the runner keeps them. The
// test sets State.DatabasePath.
struct DatRun {
    DatRun() { State.DatFolder = Folder.path() + u'/'; }
    ~DatRun() {
        if (State.SourcesDatabase)
            State.SourcesDatabase->Close();
    }

    QString Path(const QString& name) const { return Folder.filePath(name); }
    void Write(const QString& name, const QByteArrayList& lines) const {
        WriteLines(Path(name), lines);
    }
    qint64 Rows(const char* table, const QString& where = QStringLiteral("1 = 1")) const {
        return QueryValue(State.DatabasePath,
                          QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where))
            .toLongLong();
    }

    BatchOutcome Extract(Extraction extract, ScriptedBatchUi& ui) {
        return extract(State, ui, Listing);
    }
    // Both batches over the folder as it now is, each expected to complete.
    void ExpectBothComplete() {
        for (const Extraction extract : {ExtractQuarterlyData, ExtractHourlyData}) {
            ScriptedBatchUi ui;
            EXPECT_TRUE(Extract(extract, ui).Succeeded()) << ui.Messages().toStdString();
        }
    }

    QTemporaryDir Folder;
    RunState State;
    FileSystemDatDirectory Listing;
};

inline QString FacilityIs(int id) {
    return QStringLiteral("FACILITY_ID = %1").arg(id);
}

} // namespace tarnwick::test
