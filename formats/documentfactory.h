#pragma once

class QString;
class TextDocument;

// The document for a reflowable book file, chosen by the file's suffix
// (compared without regard to case): "epub" an EPUB document, "mobi" and
// "prc" a MOBI document, "fb2" and "txt" an FB2 document (which also reads
// plain text), anything else an empty plain TextDocument. Nothing is read
// yet: the caller calls load(). The caller owns the result (no parent);
// never null.
TextDocument *createDocument(const QString &filePath);
