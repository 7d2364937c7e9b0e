// Writes seed inputs for the fuzz targets into FOLDER/<target>/.

#include "pagination/paginationrequest.h"
#include "tests/archive/rarfixture.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/formats/mobi/mobiwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

void save(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray lengthPrefixed(const QByteArray &part)
{
    return mobitest::be16(quint16(part.size())) + part;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    const QDir root(app.arguments().at(1));
    const QByteArray text = "<html><body><a filepos=0000000100>link</a><h1>One</h1>"
                            "<p>Some text, caf\xC3\xA9.</p><img recindex=\"00001\">"
                            "<mbp:pagebreak/><h2 class=\"x\">Two</h2><p>More text here.</p>"
                            "</body></html>";

    mobitest::FixedHuffCode code(10, 8);
    for (int c = 1; c < 256; ++c)
        code.addLiteral(QByteArray(1, char(c)));
    const int word = code.addLiteral("text");
    code.addNested({ word, word });

    mobitest::MobiLayout palm;
    palm.text = text;
    palm.exth = { { 100, "Author" }, { 101, "Publisher" } };
    palm.extraFlags = 3;
    palm.pictures = { mobitest::picture(4, 4, "PNG"), mobitest::picture(3, 3, "GIF") };
    palm.recordSize = 64;
    save(root.filePath("fuzz_mobifile"), "palmdoc.mobi", mobitest::makeMobi(palm));
    mobitest::MobiLayout huff = palm;
    huff.compression = 17480;
    huff.huff = &code;
    save(root.filePath("fuzz_mobifile"), "huff.mobi", mobitest::makeMobi(huff));
    mobitest::MobiLayout plain = palm;
    plain.compression = 1;
    plain.encoding = 1252;
    save(root.filePath("fuzz_mobifile"), "plain.prc", mobitest::makeMobi(plain));

    save(root.filePath("fuzz_palmdoc"), "record", mobitest::compressPalmDoc(text));
    save(root.filePath("fuzz_palmdoc"), "flagged",
         mobitest::be16(3) + mobitest::compressPalmDoc(text) + QByteArray("\x00T1\x84", 4));

    QByteArray seed = lengthPrefixed(code.huff());
    const QList<QByteArray> cdics = code.cdics();
    seed += char(cdics.size());
    for (const QByteArray &cdic : cdics)
        seed += lengthPrefixed(cdic);
    seed += code.encodeText("some text and more text");
    save(root.filePath("fuzz_huffcdic"), "tables", seed);

    const QByteArray fb2
            = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
              "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
              "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
              "<author><first-name>A</first-name><last-name>B</last-name></author>"
              "<book-title>T</book-title><annotation><p>x</p></annotation>"
              "<coverpage><image l:href=\"#c.png\"/></coverpage></title-info></description>"
              "<body><title><p>Body</p></title><epigraph><poem><stanza><v>v</v></stanza></poem>"
              "</epigraph><section><title><p>S</p></title><p>a<emphasis>b<strong>c</strong>"
              "</emphasis><a l:href=\"#n\">1</a></p><cite><p>q</p></cite><image l:href=\"#c.png\"/>"
              "<section><p>deep</p></section></section></body>"
              "<binary id=\"c.png\" content-type=\"image/png\">"
            + mobitest::picture(2, 2, "PNG").toBase64() + "</binary></FictionBook>";
    save(root.filePath("fuzz_fb2"), "book.fb2", "\x00" + fb2);
    save(root.filePath("fuzz_fb2"), "text.txt", QByteArray("\x01line one\nline <two> & three\n"));

    const QByteArray epub
            = "<?xml version=\"1.0\"?>\n<container version=\"1.0\" "
              "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
              "<rootfile full-path=\"OEBPS/content.opf\" "
              "media-type=\"application/oebps-package+xml\"/></rootfiles></container>\n%%\n"
              "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" "
              "version=\"2.0\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
              "<dc:title>T</dc:title><dc:creator>A</dc:creator><meta name=\"cover\" "
              "content=\"c\"/></metadata><manifest><item id=\"ncx\" href=\"toc.ncx\" "
              "media-type=\"application/x-dtbncx+xml\"/><item id=\"ch1\" "
              "href=\"ch1.xhtml\" media-type=\"application/xhtml+xml\"/></manifest>"
              "<spine toc=\"ncx\"><itemref idref=\"ch1\"/></spine></package>\n%%\n"
              "<?xml version=\"1.0\"?><ncx><navMap><navPoint id=\"a\"><navLabel><text>One"
              "</text></navLabel><content src=\"ch1.xhtml#x\"/><navPoint><navLabel><text>Two"
              "</text></navLabel><content src=\"ch1.xhtml\"/></navPoint></navPoint></navMap>"
              "</ncx>\n%%\n"
              "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body "
              "onload=\"x()\"><p id=\"x\">One</p><script>alert(1)</script><a "
              "href=\"java&#x73;cript:y\">l</a></body></html>";
    save(root.filePath("fuzz_epub"), "book", "\x00" + epub);
    save(root.filePath("fuzz_epub"), "protected", "\x01" + epub);

    save(root.filePath("fuzz_sidefiles"), "toc",
         "[{\"Title\":\"One\",\"Source\":\"ch1.xhtml#a\",\"Childs\":[{\"Title\":\"Two\","
         "\"Source\":\"ch2.xhtml\"}]}]");
    save(root.filePath("fuzz_sidefiles"), "settings",
         "{\"ReadingPosition\":{\"Source\":\"ch1.xhtml?vorpath=%2Fp\"},"
         "\"FontSettings\":{\"Size\":16,\"LineSpacing\":120,\"Encoding\":\"UTF-8\"},"
         "\"Bookmarks\":{\"Version\":\"1\",\"Items\":[{\"Source\":\"ch1.xhtml\","
         "\"Title\":\"One\",\"Text\":\"t\"}]},\"Notes\":{\"Version\":\"1\",\"Items\":["
         "{\"Chapter\":\"ch1.xhtml\",\"Color\":\"#ff0000\",\"StartPath\":\"/p\","
         "\"EndPath\":\"/p\",\"StartOffset\":1,\"EndOffset\":3,\"Context\":\"ne\","
         "\"Note\":\"n\",\"Date\":\"1600000000000\"}]}}");

    PaginationRequest request;
    request.pageSize = QSize(600, 800);
    request.fontFamily = QStringLiteral("Serif");
    request.pageScript = QStringLiteral("function f() {}");
    request.contentFolder = QStringLiteral("/books/x");
    request.searchText = QStringLiteral("word");
    request.documents = QStringList { QStringLiteral("a.html"), QStringLiteral("b.html") };
    request.pageCounts = { { QStringLiteral("a.html"), 3 }, { QStringLiteral("b.html"), 4 } };
    request.positions = { { QStringLiteral("a.html#x"), 2 } };
    request.searchHits = { { QStringLiteral("b.html#y"), QStringLiteral("a word") } };
    save(root.filePath("fuzz_pagination"), "request", request.toByteArray());

    RarFixture::Archive comic;
    comic.entries = { { QStringLiteral("p1.png"), mobitest::picture(2, 2, "PNG") },
                      { QStringLiteral("pages"), {}, true },
                      { QStringLiteral("pages\\p2.png"), "second" } };
    RarFixture::Entry named { QStringLiteral("Стр 3.png"), "third" };
    named.unicode = true;
    comic.entries.append(named);
    save(root.filePath("fuzz_rar"), "comic.cbr", comic.bytes());

    // Packed by the 7z command: one book, two books, a name leading
    // outside, stored and encrypted data.
    const QString sevenZip = root.filePath("fuzz_sevenzip");
    QDir().mkpath(sevenZip);
    SevenZipFixture::make(sevenZip + "/one.7z", { { "books/Novel.epub", text } });
    SevenZipFixture::make(sevenZip + "/two.7z", { { "a.fb2", text }, { "b.txt", "words" } },
                          { "-mx0" });
    SevenZipFixture::make(sevenZip + "/outside.7z", { { "../evil.txt", "evil" } }, { "-spf" });
    SevenZipFixture::make(sevenZip + "/locked.7z", { { "a.mobi", text } }, { "-pX" });
    // Damaged headers that declare a 2 GB dictionary for a 4-byte file.
    save(sevenZip, "dictionary.7z",
         QByteArray::fromBase64("N3q8ryccAAQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAABtQQAAAAA///////PAAAAAAAAAP"
                                "////////8nAAEEBgABCQgABwsBAAEhIQH/////CAoBUjH7jYoAAQQGAAEJCAAHCwEA"
                                "ASEhASYMBAAICgFSMfuNAAAFARkMAAAAAAAAAAAAIAAAERkALgAuAC8AZQB2AGkAbA"
                                "AuAnQAeAB0AAAAAGkiAAA="));

    // The first byte picks the document's name: .html, .xhtml, .svg, .xml.
    save(root.filePath("fuzz_helperpage"), "html",
         QByteArray(1, '\0')
                 + "<html><head><meta http-equiv=\"refresh\" content=\"0;url=x.html\"><style>"
                   "p{color:red}</style></head><body onload=\"x()\"><h1 id=\"a\">A</h1><p>a b</p>"
                   "<!--><script>for(;;){}</script>--><iframe srcdoc=\"<p>a</p>\"></iframe>"
                   "<img src=\"missing.png\"><table><tr><td>a</td></tr></table></body></html>");
    save(root.filePath("fuzz_helperpage"), "xhtml",
         "\x01<?xml version=\"1.0\"?><!DOCTYPE html [<!ENTITY e \"a\">]>"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p id=\"a\">&e; b</p>"
         "<![CDATA[><script>x()</script>]]></body></html>");
    save(root.filePath("fuzz_helperpage"), "svg",
         "\x02<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\">"
         "<text id=\"a\">a</text></svg>");
    save(root.filePath("fuzz_helperpage"), "xml",
         "\x03<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>"
         "<a>a</a>");

    // A package's description, and a whole package holding it.
    const QByteArray description
            = "{\"books\": [{\"book_id\": \"{a}\", \"file_name\": \"a.txt\", \"rel_path\": "
              "\"{a}/{a}.txt\", \"cover_path\": \"{a}/cover.png\", \"author\": \"An\", "
              "\"title\": \"A\", \"book_format\": 8, \"position\": 3, \"progress\": 40, "
              "\"is_favorite\": true, \"folders\": [\"Novels\"], \"bookmarks\": "
              "[{\"title\": \"m\", \"position\": 1, \"progress\": 2}]}, {\"book_id\": \"{b}\", "
              "\"file_name\": \"a.txt\", \"rel_path\": \"{b}/{b}.txt\", \"cover_path\": \"\", "
              "\"folders\": [\"\"]}]}";
    save(root.filePath("fuzz_package"), "description", "\x00" + description);
    const QString package = root.filePath("package.vlz");
    ZipFixture::write(package,
                      { { QStringLiteral("{a}/{a}.txt"), "first book\n" },
                        { QStringLiteral("{b}/{b}.txt"), "second book\n" },
                        { QStringLiteral("container.json"), description } });
    QFile packageFile(package);
    if (packageFile.open(QIODevice::ReadOnly))
        save(root.filePath("fuzz_package"), "package", "\x01" + packageFile.readAll());
    QFile::remove(package);
    return 0;
}
