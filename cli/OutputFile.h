#pragma once

#include <QIODevice>
#include <QString>
#include <array>
#include <memory>
#include <streambuf>

class QFileDevice;

namespace tarnwick {

// Standard output as a stream buffer that keeps the system's reason for its first failed write,
// which std::cout would forget.
class StandardOutputBuffer : public std::streambuf {
public:
    StandardOutputBuffer();
    // Writes what is left and closes standard output. Returns the system's reason for the first
    // failed write or for a failed close; empty when everything went out.
    QString Close();

protected:
    int overflow(int c) override;
    int sync() override;

private:
    std::array<char, 8192> Buffer{};
    int FirstError = 0; // errno
};

// Where export and chart write: the --out file, or standard output when `path` is empty. A
// regular file, or a new one, is written aside and renamed over `path` only when complete, so a
// failure leaves no partial file and an old file as it was. A pipe, a device or a terminal is
// written in place: renaming over it would replace it with a plain file. The writes go to the
// descriptor here rather than through QFileDevice, which takes a short write for success.
class OutputFile : public QIODevice {
public:
    // Throws Error (Request) when `path` is the database `database`, through symbolic or hard
    // links, or its journal or WAL files: writing would destroy what is read.
    OutputFile(const QString& path, const QString& database);
    ~OutputFile() override;

    QString Name() const;

    // Throws Error (File) with the system's reason.
    void Open();
    // Once writing stopped on an error: throws Error (File) with the system's reason when the
    // output is what failed.
    void ThrowIfFailed();
    // Writes what is left, then closes or renames into place. Throws Error (File) with the
    // system's reason; what was written aside is then removed.
    void Finish();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool WritePending();
    [[noreturn]] void Fail();

    QString Path;
    std::unique_ptr<QFileDevice> File; // holds the descriptor: QSaveFile aside, QFile in place
    int Descriptor = -1;
    QByteArray Pending;
    int FirstError = 0; // errno
};

} // namespace tarnwick
