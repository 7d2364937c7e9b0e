#include "tests/archive/zipfixture.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <algorithm>

namespace ZipFixture {

bool write(const QString &path, const QList<Entry> &entries)
{
    // The library takes the UTF-8 mode once, when the archive is opened.
    const bool utf8 = std::all_of(entries.begin(), entries.end(),
                                  [](const Entry &entry) { return entry.utf8; });
    QuaZip zip(path);
    zip.setUtf8Enabled(utf8);
    if (!utf8)
        zip.setFileNameCodec("IBM866");
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const Entry &entry : entries) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(entry.name), nullptr, 0, entry.method))
            return false;
        if (file.write(entry.data) != entry.data.size())
            return false;
        file.close();
        if (file.getZipError() != 0)
            return false;
    }
    zip.close();
    return zip.getZipError() == 0;
}

QByteArray Epub::xhtml(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title>"
                          "</head><body>%1</body></html>\n")
            .arg(body)
            .toUtf8();
}

QList<Entry> Epub::entries() const
{
    const int slash = opfPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QString() : opfPath.left(slash + 1);
    QString items;
    QString refs;
    QList<Entry> list;
    list.append({ QStringLiteral("mimetype"), "application/epub+zip", true, 0 });
    list.append({ QStringLiteral("META-INF/container.xml"),
                  !container.isEmpty() ? container : QStringLiteral("<?xml version=\"1.0\"?>\n<container version=\"1.0\" "
                                 "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
                                 "<rootfiles><rootfile full-path=\"%1\" "
                                 "media-type=\"application/oebps-package+xml\"/></rootfiles>"
                                 "</container>\n")
                          .arg(opfPath)
                          .toUtf8() });
    for (int i = 0; i < chapters.size(); ++i) {
        const QString name = QStringLiteral("ch%1.xhtml").arg(i + 1);
        items += QStringLiteral(
                         "<item id=\"c%1\" href=\"%2\" media-type=\"application/xhtml+xml\"/>")
                         .arg(i + 1)
                         .arg(name);
        refs += QStringLiteral("<itemref idref=\"c%1\"/>").arg(i + 1);
        list.append({ folder + name, xhtml(chapters.at(i)) });
    }
    if (!ncx.isNull()) {
        items += QStringLiteral(
                "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>");
        list.append({ folder + QStringLiteral("toc.ncx"),
                      QStringLiteral("<?xml version=\"1.0\"?>\n<ncx "
                                     "xmlns=\"http://www.daisy.org/z3986/2005/ncx/\">"
                                     "<navMap>%1</navMap></ncx>\n")
                              .arg(ncx)
                              .toUtf8() });
    }
    const QString opf
            = QStringLiteral("<?xml version=\"1.0\"?>\n<package "
                             "xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\"><metadata "
                             "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">%1%2%3</metadata>"
                             "<manifest>%4%5</manifest><spine toc=\"ncx\">%6%7</spine></package>\n")
                      .arg(title.isNull() ? QString()
                                          : QStringLiteral("<dc:title>%1</dc:title>").arg(title),
                           author.isNull()
                                   ? QString()
                                   : QStringLiteral("<dc:creator>%1</dc:creator>").arg(author),
                           metadata, items, manifest, refs, spine);
    list.append({ opfPath, opf.toUtf8() });
    list.append(extra);
    return list;
}

bool Epub::write(const QString &path) const
{
    return ZipFixture::write(path, entries());
}

} // namespace ZipFixture
