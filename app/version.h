#pragma once

#include <QMap>
#include <QString>

// Dotted version texts ("5.0.7") taken apart and compared part by part as
// numbers. Only the first three parts count (major, minor, patch); a part
// that is missing or cannot be read counts as 0, and so does everything
// after it.
class Version
{
public:
    // 1 when a is newer than b, -1 when older, 0 when the same version.
    static int compareVersion(const QString &a, const QString &b);
    // Fills map keys 0, 1 and 2 from the text as far as they can be read;
    // false (map untouched) when the first part is not a number.
    static bool parseUrl(const QString &text, QMap<int, int> &map);
    // Keys 0, 1 and 2, always present.
    static QMap<int, int> parseVersion(const QString &text);
    static QString toString(const QMap<int, int> &map);
};
