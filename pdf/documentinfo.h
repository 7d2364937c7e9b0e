#pragma once

#include <QPixmap>
#include <QString>

// What probing a PDF file found out (Document::fileInfo). A plain value:
// copies carry every field.
struct DocumentInfo
{
    QString filePath = QStringLiteral("");
    QString title = QStringLiteral("");
    bool isEncrypted = false;
    // The password that opened the file; empty when none was needed or the
    // given one was wrong.
    QString password = QStringLiteral("");
    int pageCount = 0;
    // The first page at 96 dots per inch; null unless asked for and drawn.
    QPixmap cover;
    // The file asked for a password that was not given or was wrong.
    bool passwordRequired = false;
};
