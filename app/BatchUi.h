#pragma once

#include "HourlyRecords.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnwick {

enum class MessageIcon { None, Information, Warning, Critical };

// The five tables whose row counts the window shows, in the order they are refreshed.
enum class CountedTable { Facilities, Units, Fuels, Quarters, Emissions };

// Everything the batch commands show or ask. The window implements it with widgets (each
// change repainted at once), the headless runner with the terminal, tests with scripted
// answers.
class BatchUi : public RecordProgress {
public:
    // A modal message box titled with the program's title.
    virtual void ShowMessage(const QString& text, MessageIcon icon) = 0;
    // A modal input box; std::nullopt when the user cancels.
    virtual std::optional<QString> AskText(const QString& prompt, const QString& title,
                                           const QString& defaultAnswer) = 0;

    virtual void SetFolderCaption(const QString& folder) = 0;           // lblExtractFrom2
    virtual void SetProgressPanelVisible(bool visible) = 0;             // fraProgress
    virtual void SetExtractingCaption(const QString& caption) = 0;      // lblExtractingRecordNum
    virtual void SetFileNumberCaption(const QString& caption) = 0;      // lblNumofFiles2
    virtual void SetFileProgress(float value) = 0;                      // prgExtractFiles
    virtual void ShowRecordCount(CountedTable table, qint64 count) = 0; // lblFacRecords2 ...
};

// The directory listing behind ListDatFiles, so tests can change the folder under a batch.
class DatDirectory {
public:
    virtual ~DatDirectory() = default;
    // The names (without folder) of the regular files that match `pattern` (a folder prefix
    // followed by "*.DAT"), sorted by name without regard to case.
    virtual QStringList List(const QString& pattern) = 0;
};

// The file system listing: ".DAT" matches without regard to case; hidden files and folders
// are not listed.
class FileSystemDatDirectory : public DatDirectory {
public:
    QStringList List(const QString& pattern) override;
};

} // namespace tarnwick
