#include "reader/note.h"

#include <QUrl>
#include <QUuid>

NoteEntry::~NoteEntry()
{
    qDeleteAll(children);
}

void NoteEntry::appendChild(NoteEntry *child)
{
    child->parent = this;
    children.append(child);
}

const QStringList &noteColors()
{
    static const QStringList colors = {
        QStringLiteral("allcolors"),  QColor(243, 162, 162).name(), QColor(243, 227, 162).name(),
        QColor(177, 243, 164).name(), QColor(174, 217, 241).name(), QColor(204, 184, 228).name(),
    };
    return colors;
}

QColor defaultNoteColor()
{
    return QColor(243, 227, 162);
}

QString makeNoteId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

QString percentEncoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString noteLocation(const Note &note)
{
    static const QString textStep = QStringLiteral("/text()");
    static const QString spanStep = QStringLiteral("/SPAN[1]");
    QString path = note.startPath;
    const int text = path.lastIndexOf(textStep);
    if (text >= 0) {
        path = path.left(text) + spanStep;
    } else {
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash >= 0)
            path.insert(slash, spanStep);
    }
    return QStringLiteral("%1?vorpath=%2").arg(note.chapter, percentEncoded(path));
}
