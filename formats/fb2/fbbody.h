#pragma once

#include <QDomElement>
#include <QList>
#include <QString>
#include <QStringList>

namespace fb2 {

// One section of a FictionBook body with its HTML fragments made while
// parsing; writing pages only puts fragments together.
struct FbSection
{
    QString image; // leading picture (file name in the storage folder)
    QString title; // title HTML
    QStringList epigraphs;
    QList<FbSection> subsections;
    QString id;
    QString content; // HTML of the content elements, in order
    QString pageFile; // page written for the section, when one was

    // A fresh UUID on first use, then the same for the life of the record:
    // page headings and contents entries both use it.
    QString anchorId();
    QString toHtml();

private:
    QString m_anchorId;
};

struct FbBody
{
    QString image;
    QString title;
    QStringList epigraphs;
    QList<FbSection> sections;
    QString name;

    QString anchorId();

private:
    QString m_anchorId;
};

// Parses one body element into a record. Element names are compared
// exactly; elements without a rule are skipped with what they hold.
// Nesting is bounded: sections deeper than the contents tree keeps are
// read as content of the deepest kept section, and markup nested deeper
// than a fixed limit is kept as plain text. Never fails on content.
bool parseBody(const QDomElement &element, FbBody *body);

// Title HTML without the paragraph, emphasis and break tags, trimmed.
QString plainTitle(const QString &titleHtml);

// The picture an image element refers to: l:href, else the first attribute
// whose name contains "href", without a leading "#".
QString imageReference(const QDomElement &image);

// The file name under which picture key is saved and by which pages refer
// to it. A key that could name a place outside the storage folder, or that
// a browser would read as something else than a file name, is replaced by
// a name made from its digest (keeping a known picture suffix).
QString imageFileName(const QString &key);

// "<img src=\"%1\" />" with the picture's file name, attribute-escaped.
QString imageHtml(const QString &reference);

} // namespace fb2
