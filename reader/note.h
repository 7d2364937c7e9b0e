#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// One note of the open book: a coloured highlight over a stretch of text,
// with an optional comment. A value type. The id identifies the note only
// while the book stays open: it is made afresh every time the notes are read,
// so nothing may store it.
struct Note
{
    QString id;
    // Paths of the page nodes where the noted selection starts and ends, as
    // the page script reports them, with character offsets inside them.
    QString startPath;
    QString endPath;
    qint32 startOffset = 0;
    qint32 endOffset = 0;
    // The book's HTML file that holds the note, relative to the content
    // folder; the base of the note's location.
    QString chapter;
    // Contents title of the note's page; not stored, worked out again after
    // each pagination.
    QString chapterTitle;
    // Book-wide page; 0 while not counted.
    qint32 page = 0;
    // The noted text, trimmed.
    QString context;
    // The reader's comment; empty for a plain highlight.
    QString text;
    QColor color;
    // When the note was made, in UTC.
    QDateTime date;
};

// One node of the notes tree that the notes model builds from the note
// list. Owns its children; the root is owned by the model.
struct NoteEntry
{
    enum Kind { Root = 0, Chapter = 1, NoteRow = 2 };

    NoteEntry() = default;
    ~NoteEntry();
    Q_DISABLE_COPY_MOVE(NoteEntry)

    // Takes ownership of child and makes this entry its parent.
    void appendChild(NoteEntry *child);

    QString id;
    QString chapterTitle;
    QString context;
    QString text;
    QColor color;
    QDateTime date;
    qint32 page = 0;
    qint32 kind = Root;
    QString location;
    NoteEntry *parent = nullptr;
    QList<NoteEntry *> children;
};

// The process-wide note palette: "allcolors" (the filter key for notes of
// every colour), then the five highlight colours red, yellow, green, blue
// and violet as QColor::name() writes them.
const QStringList &noteColors();

// The colour a note gets when the reader made it without choosing one.
QColor defaultNoteColor();

// A fresh id: a random UUID without "{", "}" and "-", 32 lower-case
// hexadecimal digits.
QString makeNoteId();

// Where the notes panel sends the reader for a note: the start path turned
// into the path of the highlight span the page script made there, in the
// position URL form "<chapter>?vorpath=<percent-encoded path>".
QString noteLocation(const Note &note);

// Every UTF-8 byte of text other than ASCII letters, digits, "-", ".", "_"
// and "~" as "%" and two upper-case hexadecimal digits: the form element
// paths take inside position URLs.
QString percentEncoded(const QString &text);

Q_DECLARE_METATYPE(Note)
