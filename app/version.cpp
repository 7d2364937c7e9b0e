#include "app/version.h"

#include <QDebug>
#include <QStringList>

bool Version::parseUrl(const QString &text, QMap<int, int> &map)
{
    const QStringList pieces = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    qDebug() << "regexp result:" << pieces.join(QLatin1Char('|'));
    if (pieces.isEmpty())
        return true;
    bool ok = false;
    const int major = pieces.at(0).toInt(&ok, 10);
    if (!ok)
        return false;
    map.insert(0, major);
    // A part that cannot be read ends the reading: "5.x.9" is 5.0.0.
    for (int index = 1; index < qMin(3, pieces.size()); ++index) {
        const int number = pieces.at(index).toInt(&ok, 10);
        if (!ok)
            break;
        map.insert(index, number);
    }
    return true;
}

QMap<int, int> Version::parseVersion(const QString &text)
{
    QMap<int, int> parts;
    if (!text.isEmpty() && !parseUrl(text, parts))
        parts.clear();
    QMap<int, int> result;
    for (int key = 0; key < 3; ++key)
        result.insert(key, parts.value(key, 0));
    return result;
}

QString Version::toString(const QMap<int, int> &map)
{
    return QStringLiteral("%1.%2.%3").arg(map.value(0)).arg(map.value(1)).arg(map.value(2));
}

int Version::compareVersion(const QString &a, const QString &b)
{
    qDebug() << "compare versions:" << a << b;
    const QMap<int, int> first = parseVersion(a);
    const QMap<int, int> second = parseVersion(b);
    qDebug().noquote() << "v1_i:" << toString(first) << "v2_i:" << toString(second);
    for (int key = 0; key < 3; ++key) {
        if (first.value(key) != second.value(key))
            return first.value(key) > second.value(key) ? 1 : -1;
    }
    return 0;
}
