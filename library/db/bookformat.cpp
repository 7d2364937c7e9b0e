#include "library/db/bookformat.h"

int BookFormat::fromString(const QString &name)
{
    const QMap<int, QString> &table = names();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (it.value().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return Unknown;
}

QString BookFormat::toString(int format)
{
    return names().value(format, QStringLiteral("unknown"));
}

const QMap<int, QString> &BookFormat::names()
{
    // A function-local static is built exactly once even when the first
    // callers race on several threads; nothing writes to it afterwards.
    static const QMap<int, QString> table {
        { 0, QStringLiteral("epub") }, { 1, QStringLiteral("mobi") }, { 2, QStringLiteral("fb2") },
        { 3, QStringLiteral("pdf") },  { 4, QStringLiteral("djvu") }, { 5, QStringLiteral("prc") },
        { 6, QStringLiteral("cbz") },  { 7, QStringLiteral("cbr") },  { 8, QStringLiteral("txt") },
        { 9, QStringLiteral("zip") },  { 10, QStringLiteral("7z") },
    };
    return table;
}
