#pragma once

#include "reader/note.h"

#include <QList>
#include <QString>

// The HTML page into which the notes panel exports a book's notes: the
// book's title and author, then a table of the notes sorted by page and
// chapter title, a bold row for each run of notes under one chapter title.
// Every text from the book or the reader (title, author, chapter titles,
// noted text, comments) is escaped, so a comment never becomes markup.
// totalPages is the book's page count shown beside each note's page.
QString notesHtml(const QList<Note> &notes, const QString &title, const QString &author,
                  int totalPages);
