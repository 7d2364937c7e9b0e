// The pagination helper's page loading: one book document, stripped as the
// readers strip it, laid out by the helper in its book page with the page
// script, with a search and position look-ups. Runs headless (offscreen).

#include "document/scriptstripper.h"
#include "pager/quirelet.h"
#include "pagination/pagescript.h"
#include "tests/fuzz/fuzzhome.h"
#include "webpolicy/bookpage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWebSettings>

namespace {

QString s_folder;
QString s_script;
quirelet *s_helper = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    const QString home = useTemporaryHome(QStringLiteral("fuzz_helperpage"));
    s_folder = home + QStringLiteral("/book");
    QDir().mkpath(s_folder);
    s_script = PageScript::text();
    BookPage::applyPolicy(QWebSettings::globalSettings());
    // No key: the helper attaches to no block and is only asked to work.
    s_helper = new quirelet(QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    // The first byte picks the kind of document, as a book names it.
    static const char *const names[] = { "page.html", "page.xhtml", "page.svg", "page.xml" };
    const QString name = QLatin1String(names[size ? data[0] % 4 : 0]);
    QFile file(s_folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(ScriptStripper::strip(bytes.mid(1), nullptr));
    file.close();

    PaginationRequest request;
    request.pageSize = QSize(600, 400);
    request.pageScript = s_script;
    request.contentFolder = s_folder;
    request.documents = QStringList { name };
    request.pageCounts.insert(name, 0);
    request.searchText = QStringLiteral("a");
    request.positions.insert(name + QStringLiteral("#a"), 0);
    request.positions.insert(name + QStringLiteral("?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D"), 0);
    s_helper->answer(request);
    return 0;
}
