#include "formats/fb2/fbmetadata.h"

#include "formats/fb2/fbdescription.h"

#include <QFileInfo>
#include <QStringList>

namespace fb2 {

BookMetadata readBookMetadata(const QString &filePath)
{
    BookMetadata book;
    FbDescription description;
    if (!description.loadFile(filePath, 0, QString()))
        return book;
    book.loaded = true;
    book.title = description.bookTitle();
    if (book.title.isEmpty())
        book.title = QFileInfo(filePath).fileName().section(QLatin1Char('.'), 0, 0);
    const FbAuthor &author = description.titleInfo().author;
    QStringList parts;
    for (const QString &part : { author.firstName, author.middleName, author.lastName }) {
        if (!part.trimmed().isEmpty())
            parts.append(part.trimmed());
    }
    book.author = parts.join(QLatin1Char(' '));
    book.cover = description.coverImage();

    const auto put = [&book](int kind, const QString &text) {
        if (!text.isEmpty())
            book.metadata.insert(kind, text);
    };
    put(0, description.documentInfo().id);
    put(1, description.titleInfo().bookTitle);
    put(2, book.author);
    put(5, description.publishInfo().publisher);
    put(6, description.titleInfo().annotation);
    put(7, description.titleInfo().genres.join(QLatin1Char(' ')));
    put(10, description.titleInfo().lang);
    return book;
}

} // namespace fb2
