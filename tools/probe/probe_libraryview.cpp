#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/model/foldermodel.h"
#include "library/view/booktable.h"
#include "library/view/folderlistview.h"
#include "library/view/libraryview.h"
#include "library/view/listformats.h"
#include "tools/probe/probe.h"
#include "widgets/button.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>

namespace {

// The library screen over the current user's library, as the program shows
// it: the chosen category (a general or format number, or a user category),
// an optional search, then what the screen shows as JSON and, when asked,
// a picture of it.
int libraryView(const QStringList &arguments)
{
    int category = BookModel::CategoryAll;
    int folder = -1;
    QString search;
    QString shot;
    bool shelf = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--category") && hasValue)
            category = arguments.at(++i).toInt();
        else if (argument == QLatin1String("--folder") && hasValue)
            folder = arguments.at(++i).toInt();
        else if (argument == QLatin1String("--search") && hasValue)
            search = arguments.at(++i);
        else if (argument == QLatin1String("--shot") && hasValue)
            shot = arguments.at(++i);
        else if (argument == QLatin1String("--shelf"))
            shelf = true;
        else
            return probe::fail(QStringLiteral("unknown argument: %1").arg(argument));
    }

    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return probe::fail(provider->connectionErrorTitle() + QStringLiteral(": ")
                           + provider->lastError());
    reloadStyleSheet();

    LibraryView view;
    view.resize(1100, 700);
    view.show();
    if (folder >= 0) {
        const QModelIndex index = view.folderModel()->indexOfCategory(folder);
        if (!index.isValid())
            return probe::fail(QStringLiteral("no category with id %1").arg(folder));
        view.categoryList()->setCurrentIndex(index);
        QMetaObject::invokeMethod(&view, "onFolderTableClick", Q_ARG(QModelIndex, index));
    } else {
        QAbstractButton *button = view.categoryGroup()->button(category);
        if (!button)
            return probe::fail(QStringLiteral("no category button %1").arg(category));
        if (category >= BookModel::CategoryFormatBase)
            view.formatList()->expand();
        button->click();
    }
    if (!search.isEmpty())
        view.filterBooks(search);
    if (shelf)
        view.findChild<Button *>(QStringLiteral("buttonSwitchShelfView"))->click();
    QCoreApplication::processEvents();

    QJsonObject counters;
    for (const char *name :
         { "buttonRecentlyRead", "buttonAll", "buttonFavorites", "buttonLeftSideDelete" })
        counters.insert(QLatin1String(name), view.findChild<Button *>(QLatin1String(name))->text());
    QJsonArray formats;
    for (int format = 0; format <= 10; ++format) {
        Button *button = view.formatList()->formatButton(format);
        if (!button->isHidden())
            formats.append(button->text());
    }
    QJsonArray categories;
    FolderModel *folders = view.folderModel();
    for (int row = 0; row < folders->rowCount(); ++row) {
        const QModelIndex index = folders->index(row, 0);
        categories.append(QJsonObject {
                { QStringLiteral("id"), index.data(FolderModel::IdRole).toInt() },
                { QStringLiteral("title"), index.data().toString() },
                { QStringLiteral("books"), index.data(FolderModel::BookCountRole).toInt() } });
    }
    QJsonArray rows;
    QAbstractItemModel *model = view.sortModel();
    for (int row = 0; row < model->rowCount() && row < 50; ++row) {
        rows.append(QJsonObject {
                { QStringLiteral("id"), model->index(row, 0).data(BookModel::BookIdRole).toInt() },
                { QStringLiteral("title"),
                  model->index(row, BookModel::TitleColumn).data().toString() },
                { QStringLiteral("author"),
                  model->index(row, BookModel::AuthorColumn).data().toString() },
                { QStringLiteral("date"),
                  model->index(row, BookModel::DateColumn).data().toString() } });
    }
    QJsonObject result {
        { QStringLiteral("counters"), counters },
        { QStringLiteral("formats"), formats },
        { QStringLiteral("categories"), categories },
        { QStringLiteral("checked"), view.categoryGroup()->checkedId() },
        { QStringLiteral("rowCount"), model->rowCount() },
        { QStringLiteral("rows"), rows },
        { QStringLiteral("emptySearch"),
          view.table()->emptySearchLabel()->isVisible() ? view.table()->emptySearchLabel()->text()
                                                        : QString() },
    };
    if (!shot.isEmpty()) {
        if (!view.grab().save(shot))
            return probe::fail(QStringLiteral("cannot write %1").arg(shot));
        result.insert(QStringLiteral("shot"), shot);
    }
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND("library-view",
                 "[--category N | --folder ID] [--search TEXT] [--shelf] [--shot FILE.png]"
                 " (the library screen over the user's library as JSON)",
                 libraryView);
