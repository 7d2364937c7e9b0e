#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// 7z archives made by the tests themselves with the 7z command.
namespace SevenZipFixture {

struct File
{
    // Where the file stands relative to the packing folder, and so the name
    // stored (with -spf also "../x" or an absolute path).
    QString name;
    QByteArray data;
};

// The time every packed file gets, so that tests can compare it.
QDateTime fileTime();

// Writes the files below a fresh folder beside archivePath and packs them
// with "7z a", adding switches ("-pSECRET", "-mhe=on", "-spf", "-mx0").
// False (with a warning naming 7z's output) when 7z failed.
bool make(const QString &archivePath, const QList<File> &files, const QStringList &switches = {});

// A copy of the file cut to its first size bytes.
bool truncatedCopy(const QString &from, const QString &to, qint64 size);

// Turns the byte at offset (negative: from the end) into its complement.
bool flipByte(const QString &path, qint64 offset);

// Data that packs poorly (it stays about its size in the archive).
QByteArray noise(int size, quint32 seed = 1);

} // namespace SevenZipFixture

// For test tables.
Q_DECLARE_METATYPE(QList<SevenZipFixture::File>)
