#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes ZIP and EPUB files for the reader tests, so every fixture is made
// by the test that uses it.
namespace ZipFixture {

struct Entry
{
    QString name;
    QByteArray data;
    // Store the name as UTF-8 with the UTF-8 flag; else in code page 866.
    // One archive is written all one way: all UTF-8 or else all 866.
    bool utf8 = true;
    // Stored (0) or deflated (8).
    int method = 8;
};

bool write(const QString &path, const QList<Entry> &entries);

// A small valid EPUB, changed piece by piece by the tests: the package
// under opfPath, one XHTML document per chapter, an NCX when ncx is set.
struct Epub
{
    QString opfPath = QStringLiteral("OEBPS/content.opf");
    QString title = QStringLiteral("Test Book");
    QString author = QStringLiteral("Ann Author");
    QStringList chapters = { QStringLiteral("<p>One</p>"), QStringLiteral("<p>Two</p>") };
    QString ncx = QStringLiteral("<navPoint id=\"a\"><navLabel><text>One</text></navLabel>"
                                 "<content src=\"ch1.xhtml\"/></navPoint>");
    // Replaces the generated container file when set.
    QByteArray container;
    // Extra lines of metadata, manifest and spine.
    QString metadata;
    QString manifest;
    QString spine;
    QList<Entry> extra;

    // The chapter document of a body.
    static QByteArray xhtml(const QString &body);
    QList<Entry> entries() const;
    bool write(const QString &path) const;
};

} // namespace ZipFixture
