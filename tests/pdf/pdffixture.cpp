#include "tests/pdf/pdffixture.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

namespace pdffixture {

bool writeTextPdf(const QString &path, int pages, const QString &title, const QPageSize &size)
{
    QPdfWriter writer(path);
    writer.setPageSize(size);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    if (!title.isEmpty())
        writer.setTitle(title);
    writer.setCreator(QStringLiteral("vellumin tests"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    painter.setFont(font);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QPointF(72, 96), QStringLiteral("Page %1").arg(page));
        painter.drawText(QPointF(72, 160), QStringLiteral("ABCdef \"quoted\" words"));
        painter.fillRect(QRectF(0, 0, 36, 36), Qt::black);
    }
    return painter.end();
}

bool writeLinesPdf(const QString &path, const QList<QStringList> &pages, const QPageSize &size)
{
    QPdfWriter writer(path);
    writer.setPageSize(size);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    writer.setCreator(QStringLiteral("vellumin tests"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    painter.setFont(font);
    for (int page = 0; page < pages.size(); ++page) {
        if (page > 0)
            writer.newPage();
        qreal y = 96;
        for (const QString &line : pages.at(page)) {
            painter.drawText(QPointF(72, y), line);
            y += 30;
        }
        painter.fillRect(QRectF(0, 0, 36, 36), Qt::black);
    }
    return painter.end();
}

namespace {

    std::string utf8(const QString &text)
    {
        return text.toStdString();
    }

    void addItems(QPDF &pdf, const std::vector<QPDFPageObjectHelper> &pages,
                  const QList<OutlineItem> &items, QPDFObjectHandle parent)
    {
        QPDFObjectHandle previous;
        QPDFObjectHandle first;
        for (const OutlineItem &item : items) {
            QPDFObjectHandle node = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            node.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(item.title)));
            node.replaceKey("/Parent", parent);
            QPDFObjectHandle destination = QPDFObjectHandle::newArray();
            destination.appendItem(pages.at(std::size_t(item.page - 1)).getObjectHandle());
            destination.appendItem(QPDFObjectHandle::newName("/Fit"));
            node.replaceKey("/Dest", destination);
            if (previous.isInitialized()) {
                previous.replaceKey("/Next", node);
                node.replaceKey("/Prev", previous);
            } else {
                first = node;
            }
            addItems(pdf, pages, item.children, node);
            previous = node;
        }
        if (first.isInitialized()) {
            parent.replaceKey("/First", first);
            parent.replaceKey("/Last", previous);
            parent.replaceKey("/Count", QPDFObjectHandle::newInteger(items.size()));
        }
    }

} // namespace

bool rewrite(const QString &input, const QString &output, const Changes &changes)
{
    try {
        QPDF pdf;
        pdf.processFile(QFile::encodeName(input).constData());
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        for (auto it = changes.rotations.cbegin(); it != changes.rotations.cend(); ++it)
            pages.at(std::size_t(it.key() - 1)).rotatePage(it.value(), false);
        if (!changes.outline.isEmpty()) {
            QPDFObjectHandle root = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            root.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
            addItems(pdf, pages, changes.outline, root);
            if (changes.cyclicOutline) {
                QPDFObjectHandle first = root.getKey("/First");
                root.getKey("/Last").replaceKey("/Next", first);
                first.replaceKey("/First", first);
                first.replaceKey("/Last", first);
            }
            pdf.getRoot().replaceKey("/Outlines", root);
        }
        if (changes.pageSize.isValid()) {
            for (QPDFPageObjectHelper &page : pages) {
                QPDFObjectHandle box = QPDFObjectHandle::newArray();
                for (const double value :
                     { 0.0, 0.0, changes.pageSize.width(), changes.pageSize.height() })
                    box.appendItem(QPDFObjectHandle::newReal(value, 2));
                page.getObjectHandle().replaceKey("/MediaBox", box);
            }
        }
        if (!changes.author.isEmpty() || !changes.rawTitle.isEmpty()) {
            QPDFObjectHandle trailer = pdf.getTrailer();
            QPDFObjectHandle info = trailer.getKey("/Info");
            if (!info.isDictionary()) {
                info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                trailer.replaceKey("/Info", info);
            }
            if (!changes.author.isEmpty())
                info.replaceKey("/Author",
                                QPDFObjectHandle::newUnicodeString(utf8(changes.author)));
            if (!changes.rawTitle.isEmpty())
                info.replaceKey("/Title",
                                QPDFObjectHandle::newString(changes.rawTitle.toStdString()));
        }
        QPDFWriter writer(pdf, QFile::encodeName(output).constData());
        if (!changes.userPassword.isEmpty() || !changes.ownerPassword.isEmpty()) {
            writer.setR4EncryptionParametersInsecure(
                    utf8(changes.userPassword).c_str(), utf8(changes.ownerPassword).c_str(), true,
                    true, true, true, true, true, qpdf_r3p_full, true, true);
        }
        writer.write();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool truncated(const QString &input, const QString &output, double share)
{
    QFile in(input);
    QFile out(output);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = in.readAll();
    return out.write(bytes.left(int(bytes.size() * share))) >= 0;
}

QStringList installedManuals(const QString &folder)
{
    static const QStringList candidates {
        QStringLiteral("/usr/share/doc/live-manual/pdf/live-manual.portrait.en.a4.pdf"),
        QStringLiteral("/usr/share/doc/ubuntu-packaging-guide-pdf/ubuntu-packaging-guide.pdf"),
    };
    QStringList found;
    for (const QString &candidate : candidates) {
        if (QFile::exists(candidate)) {
            found << candidate;
            continue;
        }
        const QString packed = candidate + QStringLiteral(".gz");
        if (!QFile::exists(packed))
            continue;
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), { QStringLiteral("-dc"), packed });
        if (!gunzip.waitForFinished(60000) || gunzip.exitCode() != 0)
            continue;
        const QString target = folder + QLatin1Char('/') + QFileInfo(candidate).fileName();
        QFile out(target);
        if (out.open(QIODevice::WriteOnly) && out.write(gunzip.readAllStandardOutput()) > 0)
            found << target;
    }
    return found;
}

} // namespace pdffixture
