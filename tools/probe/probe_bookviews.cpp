#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/view/bookcontextmenu.h"
#include "library/view/bookeditpropertiesview.h"
#include "library/view/bookpropertiesview.h"
#include "tools/probe/probe.h"
#include "widgets/stylesheet.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

QModelIndex indexOfBook(BookModel *model, int id)
{
    const int row = model->rowOfBook(id);
    return row < 0 ? QModelIndex() : model->index(row, BookModel::TitleColumn);
}

// A menu's items as the user reads them: "-" for a separator, an object for
// a submenu.
QJsonArray itemsOf(const QMenu *menu)
{
    QJsonArray items;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *action : actions) {
        QString text = action->text();
        text.replace(QStringLiteral("&&"), QStringLiteral("&"));
        if (action->isSeparator())
            items.append(QStringLiteral("-"));
        else if (action->menu())
            items.append(QJsonObject { { text, itemsOf(action->menu()) } });
        else
            items.append(text);
    }
    return items;
}

QAction *findItem(const QMenu *menu, const QString &text)
{
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        QString shown = action->text();
        shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
        if (action->menu()) {
            if (QAction *inner = findItem(action->menu(), text))
                return inner;
        } else if (!action->isSeparator() && shown == text) {
            return action;
        }
    }
    return nullptr;
}

QJsonArray idsOf(const QModelIndexList &indexes)
{
    QJsonArray ids;
    for (const QModelIndex &index : indexes)
        ids.append(index.data(BookModel::BookIdRole).toInt());
    return ids;
}

bool saveShot(QWidget *widget, const QString &path, QJsonObject *result)
{
    if (path.isEmpty())
        return true;
    QCoreApplication::processEvents();
    if (!widget->grab().save(path))
        return false;
    result->insert(QStringLiteral("shot"), path);
    return true;
}

// The arguments of these commands: book ids, "--shot FILE" and the value
// options the command names ("--choose", "--title", ...).
struct Arguments
{
    QList<int> ids;
    QString shot;
    QMap<QString, QString> values;
    QString error;
};

Arguments parseArguments(const QStringList &arguments, const QStringList &valueOptions)
{
    Arguments parsed;
    for (int i = 0; i < arguments.size() && parsed.error.isEmpty(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        bool isNumber = false;
        const int id = argument.toInt(&isNumber);
        if (isNumber && id > 0)
            parsed.ids.append(id);
        else if (argument == QLatin1String("--shot") && hasValue)
            parsed.shot = arguments.at(++i);
        else if (valueOptions.contains(argument) && hasValue)
            parsed.values.insert(argument.mid(2), arguments.at(++i));
        else
            parsed.error = QStringLiteral("unknown argument: %1").arg(argument);
    }
    if (parsed.error.isEmpty() && parsed.ids.isEmpty())
        parsed.error = QStringLiteral("name a book id");
    return parsed;
}

// The library opened and every book in the model; the style as the program
// has it.
bool prepare(BookModel *model, QString *error)
{
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        *error = provider->connectionErrorTitle() + QStringLiteral(": ") + provider->lastError();
        return false;
    }
    reloadStyleSheet();
    // Every book of the library, the trash included.
    model->searchBooks(QString());
    return true;
}

// The book menu for a selection of books: its items, and with --choose the
// signal the chosen item emits.
int bookMenu(const QStringList &arguments)
{
    const Arguments parsed = parseArguments(arguments, { QStringLiteral("--choose") });
    if (!parsed.error.isEmpty())
        return probe::fail(parsed.error);
    const QString choose = parsed.values.value(QStringLiteral("choose"));
    const QString &shot = parsed.shot;
    BookModel model;
    QString error;
    if (!prepare(&model, &error))
        return probe::fail(error);
    QModelIndexList indexes;
    for (int id : parsed.ids) {
        const QModelIndex index = indexOfBook(&model, id);
        if (!index.isValid())
            return probe::fail(QStringLiteral("no book with id %1").arg(id));
        indexes.append(index);
    }
    BookContextMenu menu(indexes, BookProvider::instance()->allCategories());
    menu.fill();
    QJsonObject result { { QStringLiteral("books"), idsOf(indexes) },
                         { QStringLiteral("items"), itemsOf(&menu) } };

    if (!choose.isEmpty()) {
        QAction *action = findItem(&menu, choose);
        if (!action)
            return probe::fail(QStringLiteral("no item \"%1\"").arg(choose));
        QJsonObject emitted;
        auto record = [&emitted](const char *signal, const QModelIndexList &books,
                                 const QJsonValue &category = QJsonValue()) {
            emitted.insert(QStringLiteral("signal"), QLatin1String(signal));
            emitted.insert(QStringLiteral("books"), idsOf(books));
            if (!category.isUndefined())
                emitted.insert(QStringLiteral("category"), category);
        };
        QObject::connect(&menu, &BookMenu::read,
                         [&](const QModelIndex &i) { record("read", { i }); });
        QObject::connect(&menu, &BookMenu::edit,
                         [&](const QModelIndex &i) { record("edit", { i }); });
        QObject::connect(&menu, &BookMenu::properties,
                         [&](const QModelIndex &i) { record("properties", { i }); });
        QObject::connect(&menu, &BookMenu::toFavorites,
                         [&](const QModelIndexList &l) { record("toFavorites", l); });
        QObject::connect(&menu, &BookMenu::fromFavorites,
                         [&](const QModelIndexList &l) { record("fromFavorites", l); });
        QObject::connect(&menu, &BookMenu::remove,
                         [&](const QModelIndexList &l) { record("remove", l); });
        QObject::connect(&menu, &BookMenu::restore,
                         [&](const QModelIndexList &l) { record("restore", l); });
        QObject::connect(&menu, &BookMenu::deleteFromLibrary,
                         [&](const QModelIndexList &l) { record("deleteFromLibrary", l); });
        QObject::connect(&menu, &BookMenu::toFolder, [&](const QModelIndexList &l, int category) {
            record("toFolder", l, category);
        });
        QObject::connect(&menu, &BookMenu::deleteFromCategory,
                         [&](const QModelIndexList &l, int category) {
                             record("deleteFromCategory", l, category);
                         });
        menu.choose(action);
        result.insert(QStringLiteral("emitted"), emitted);
    }
    if (!shot.isEmpty()) {
        // Shown as the user sees it, beside the place of a click.
        menu.popup(QPoint(40, 40));
        if (!saveShot(&menu, shot, &result))
            return probe::fail(QStringLiteral("cannot write %1").arg(shot));
        menu.close();
    }
    probe::printJson(result);
    return 0;
}

// The properties dialog of one book: what it shows.
int bookProperties(const QStringList &arguments)
{
    const Arguments parsed = parseArguments(arguments, {});
    if (!parsed.error.isEmpty())
        return probe::fail(parsed.error);
    const int id = parsed.ids.first();
    const QString &shot = parsed.shot;
    BookModel model;
    QString error;
    if (!prepare(&model, &error))
        return probe::fail(error);
    const QModelIndex index = indexOfBook(&model, id);
    if (!index.isValid())
        return probe::fail(QStringLiteral("no book with id %1").arg(id));

    BookPropertiesView dialog(index);
    dialog.show();
    const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
    QJsonArray texts;
    for (const QLabel *label : labels) {
        if (!label->text().isEmpty())
            texts.append(label->text());
    }
    QJsonObject result { { QStringLiteral("book"), id },
                         { QStringLiteral("labels"), texts },
                         { QStringLiteral("description"),
                           dialog.findChild<QTextEdit *>()->toPlainText() } };
    if (!saveShot(&dialog, shot, &result))
        return probe::fail(QStringLiteral("cannot write %1").arg(shot));
    probe::printJson(result);
    return 0;
}

// The editor of one book: with --title, --author or --description the new
// values are typed in and saved, then what the library holds is printed.
int bookEdit(const QStringList &arguments)
{
    const Arguments parsed = parseArguments(arguments,
                                            { QStringLiteral("--title"), QStringLiteral("--author"),
                                              QStringLiteral("--description") });
    if (!parsed.error.isEmpty())
        return probe::fail(parsed.error);
    const int id = parsed.ids.first();
    const QString &shot = parsed.shot;
    const QMap<QString, QString> &typed = parsed.values;
    BookModel model;
    QString error;
    if (!prepare(&model, &error))
        return probe::fail(error);

    BookEditPropertiesView editor(&model);
    QString message;
    editor.setShowMessage([&message](QWidget *, const QString &title, const QString &text) {
        message = title + QStringLiteral(": ") + text;
    });
    editor.resize(900, 600);
    editor.setBookId(id);
    if (typed.contains(QStringLiteral("title")))
        editor.titleEdit()->setText(typed.value(QStringLiteral("title")));
    if (typed.contains(QStringLiteral("author")))
        editor.authorEdit()->setText(typed.value(QStringLiteral("author")));
    if (typed.contains(QStringLiteral("description")))
        editor.descriptionEdit()->setPlainText(typed.value(QStringLiteral("description")));
    editor.show();
    QJsonObject result { { QStringLiteral("book"), id },
                         { QStringLiteral("header"), editor.headerLabel()->text() } };
    if (!saveShot(&editor, shot, &result))
        return probe::fail(QStringLiteral("cannot write %1").arg(shot));
    if (!typed.isEmpty()) {
        result.insert(QStringLiteral("saved"), editor.save());
        if (!message.isEmpty())
            result.insert(QStringLiteral("message"), message);
    }
    BookProvider *provider = BookProvider::instance();
    const BookDto book = provider->findBookById(id);
    const QModelIndex index = indexOfBook(&model, id);
    result.insert(QStringLiteral("stored"),
                  QJsonObject { { QStringLiteral("title"), book.title },
                                { QStringLiteral("author"), book.author },
                                { QStringLiteral("description"), provider->getMetaData(id, 6) } });
    result.insert(
            QStringLiteral("shown"),
            QJsonObject {
                    { QStringLiteral("title"), index.data().toString() },
                    { QStringLiteral("author"),
                      index.sibling(index.row(), BookModel::AuthorColumn).data().toString() } });
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND("book-menu",
                 "ID... [--choose ITEM] [--shot FILE.png] (the book menu for these books as JSON;"
                 " the signal of a chosen item)",
                 bookMenu);
VL_PROBE_COMMAND("book-properties", "ID [--shot FILE.png] (the properties dialog of a book)",
                 bookProperties);
VL_PROBE_COMMAND("book-edit",
                 "ID [--title T] [--author A] [--description D] [--shot FILE.png]"
                 " (types the values into the book editor, saves, prints what is stored)",
                 bookEdit);
