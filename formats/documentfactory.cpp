#include "documentfactory.h"

#include "epubdocument.h"
#include "textdocument.h"

#ifdef VL_HAVE_FB2
#include "fbdocument.h"
#endif
#ifdef VL_HAVE_MOBI
#include "mobidocument.h"
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
