#pragma once

#include <QMap>
#include <QString>

// The library's book formats. A format code is what the books table stores
// in its format column; its name is also the file suffix by which a file is
// classified when it is added. The table is fixed for the life of the
// process, so every function here may be called from any thread.
class BookFormat
{
public:
    // Codes 0 ("epub") to LastFormat ("7z") have a name; 11 is unused.
    static constexpr int LastFormat = 10;
    // What a name outside the table yields.
    static constexpr int Unknown = 12;

    // The code of the name, compared without regard to case; Unknown for an
    // empty name or one outside the table.
    static int fromString(const QString &name);
    // The lower-case name of the code; "unknown" for a code without a name.
    static QString toString(int format);
    // The whole table, code to name. Built once, on first use.
    static const QMap<int, QString> &names();

private:
    BookFormat() = delete;
};
