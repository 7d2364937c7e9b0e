#include "formats/documentfactory.h"

#include "document/textdocument.h"
#include "formats/epub/epubdocument.h"

#ifdef VL_HAVE_FB2
#include "formats/fb2/fbdocument.h"
#endif
#ifdef VL_HAVE_MOBI
#include "formats/mobi/mobidocument.h"
#endif

#include <QFileInfo>
#include <QString>

TextDocument *createDocument(const QString &filePath)
{
    const QString suffix = QFileInfo(filePath).suffix().toLower();
    if (suffix == QLatin1String("epub"))
        return new epub::EpubDocument(filePath);
#ifdef VL_HAVE_MOBI
    if (suffix == QLatin1String("mobi") || suffix == QLatin1String("prc"))
        return new mobi::MobiDocument(filePath);
#endif
#ifdef VL_HAVE_FB2
    if (suffix == QLatin1String("fb2") || suffix == QLatin1String("txt"))
        return new fb2::FbDocument(filePath);
#endif
    return new TextDocument();
}
