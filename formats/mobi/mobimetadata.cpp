#include "formats/mobi/mobimetadata.h"

#include "core/logger.h"
#include "formats/mobi/mobifile.h"

namespace mobi {

BookMetadata readBookMetadata(const QString &filePath)
{
    BookMetadata book;
    const MobiFile file(filePath);
    if (QString::fromLatin1(file.identifier()) != QLatin1String("MOBI")) {
        Logger::instance()->write(QStringLiteral("Invalid format of MOBI file."), Logger::Error);
        book.result = BookMetadata::Result::NotMobi;
        return book;
    }
    if (file.isEncrypted()) {
        book.result = BookMetadata::Result::Encrypted;
        return book;
    }
    book.result = BookMetadata::Result::Ok;
    book.title = file.title();
    book.author = file.author();
    book.cover = file.coverImage();

    const auto put = [&book](int kind, const QString &text) {
        if (!text.isEmpty())
            book.metadata.insert(kind, text);
    };
    put(0, file.exthText(104));
    put(1, book.title);
    put(2, book.author);
    put(3, file.exthText(108));
    put(4, file.exthText(105));
    put(5, file.exthText(101));
    put(6, file.exthText(103));
    put(7, MobiBookTypeName(file.bookType()));
    put(11, file.exthText(109));
    return book;
}

} // namespace mobi
