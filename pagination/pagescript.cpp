#include "pagination/pagescript.h"

#include <QFile>

QString PageScript::resourcePath()
{
    return QStringLiteral(":/engine/engine/script.js");
}

QString PageScript::text()
{
    QFile file(resourcePath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString PageScript::quoted(const QString &value)
{
    static const char hex[] = "0123456789abcdef";
    QString literal;
    literal.reserve(value.size() + 2);
    literal += QLatin1Char('"');
    for (const QChar c : value) {
        const ushort code = c.unicode();
        switch (code) {
        case '"':
            literal += QLatin1String("\\\"");
            break;
        case '\\':
            literal += QLatin1String("\\\\");
            break;
        case '\n':
            literal += QLatin1String("\\n");
            break;
        case '\r':
            literal += QLatin1String("\\r");
            break;
        case '\t':
            literal += QLatin1String("\\t");
            break;
        default:
            // Control characters, the two line separators that end a script
            // line, and lone surrogate halves go in escaped form.
            if (code < 0x20 || code == 0x7f || code == 0x2028 || code == 0x2029
                || c.isSurrogate()) {
                literal += QLatin1String("\\u");
                literal += QLatin1Char(hex[(code >> 12) & 0xf]);
                literal += QLatin1Char(hex[(code >> 8) & 0xf]);
                literal += QLatin1Char(hex[(code >> 4) & 0xf]);
                literal += QLatin1Char(hex[code & 0xf]);
            } else {
                literal += c;
            }
        }
    }
    literal += QLatin1Char('"');
    return literal;
}
