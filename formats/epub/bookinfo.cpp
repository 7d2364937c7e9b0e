#include "formats/epub/bookinfo.h"

namespace epub {

int BookInfo::metadataIndex(const QString &name)
{
    static const QMap<QString, int> table = {
        { QStringLiteral("dc:identifier"), 0 },  { QStringLiteral("dc:title"), 1 },
        { QStringLiteral("dc:creator"), 2 },     { QStringLiteral("dc:contributor"), 3 },
        { QStringLiteral("dc:subject"), 4 },     { QStringLiteral("dc:publisher"), 5 },
        { QStringLiteral("dc:description"), 6 }, { QStringLiteral("dc:date"), 7 },
        { QStringLiteral("dc:type"), 8 },        { QStringLiteral("dc:format"), 9 },
        { QStringLiteral("dc:source"), 10 },     { QStringLiteral("dc:language"), 11 },
        { QStringLiteral("dc:coverage"), 13 },   { QStringLiteral("dc:rights"), 14 },
        { QStringLiteral("cover"), 15 },         { QStringLiteral("generator"), 16 },
    };
    return table.value(name, -1);
}

void BookInfo::setField(int index, const QVariant &value)
{
    QStringList *list = nullptr;
    switch (index) {
    case 0:
        list = &identifier;
        break;
    case 1:
        list = &titles;
        break;
    case 2:
        list = &creator;
        break;
    case 3:
        list = &contributor;
        break;
    case 4:
        list = &subject;
        break;
    case 5:
        list = &publisher;
        break;
    case 6:
        list = &description;
        break;
    case 8:
        list = &type;
        break;
    case 9:
        list = &format;
        break;
    case 10:
        list = &source;
        break;
    case 11:
        list = &language;
        break;
    case 12:
        list = &relation;
        break;
    case 13:
    case 15:
        list = &coverage;
        break;
    case 14:
        list = &rights;
        break;
    default:
        return;
    }
    list->append(value.toString());
}

QString BookInfo::title() const
{
    return titles.isEmpty() ? QString() : titles.first();
}

QString BookInfo::author() const
{
    return creator.isEmpty() ? tr("Unknown") : creator.first();
}

} // namespace epub
