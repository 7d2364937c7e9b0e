#include "library/model/foldermodel.h"

#include "core/logger.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"

#include <QMimeData>
#include <QSet>

#include <algorithm>

FolderModel::FolderModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

FolderModel::~FolderModel() = default;

// A flat list: a row has no children, or views that walk trees (and the
// model tester) would see every row nested under every other.
int FolderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_categories.size();
}

int FolderModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant FolderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_categories.size())
        return QVariant();
    const CategoryDto &category = m_categories.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == 0 ? QVariant(category.title.trimmed()) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter)) : QVariant();
    case IdRole:
        return category.id;
    case TitleRole:
        return category.title;
    case ParentIdRole:
        return category.parentId;
    case BookCountRole:
        return category.bookCount;
    default:
        return QVariant();
    }
}

bool FolderModel::setData(const QModelIndex &index, const QVariant &value, int)
{
    if (index.column() != 0)
        return false;
    const int id = data(this->index(index.row(), 0), IdRole).toInt();
    renameCategory(id, value.toString());
    return true;
}

QVariant FolderModel::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

QStringList FolderModel::mimeTypes() const
{
    return { BookModel::bookIdMimeType() };
}

Qt::ItemFlags FolderModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (index.isValid())
        result |= Qt::ItemIsEditable;
    return result;
}

// The ids come as "12|7|" (BookModel::mimeData). A drop on a row, or in the
// gap just above it, files the books under that row's category; a drop
// below the last row changes nothing. Binding replaces a book's earlier
// category, so dropping moves books between categories.
bool FolderModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                               const QModelIndex &parent)
{
    Logger::instance()->write(QStringLiteral("[DROP] %1").arg(QLatin1String(Q_FUNC_INFO)),
                              Logger::Debug);
    if (action == Qt::IgnoreAction)
        return true;
    const QString type = BookModel::bookIdMimeType();
    if (!data || !data->hasFormat(type))
        return false;
    const QString text = QString::fromUtf8(data->data(type));
    if (text.isEmpty())
        return false;

    int targetRow = row;
    if (targetRow == -1)
        targetRow = parent.isValid() ? parent.row() : rowCount();
    if (targetRow < 0 || targetRow >= m_categories.size())
        return true;
    // Taken once: each binding below reloads the list.
    const int categoryId = m_categories.at(targetRow).id;

    // The payload may come from another program: every id is bound once,
    // and only ids of books that exist.
    QSet<int> seen;
    const QStringList parts = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        const int bookId = part.toInt(&ok, 10);
        if (!ok || bookId <= 0 || seen.contains(bookId))
            continue;
        seen.insert(bookId);
        if (BookProvider::instance()->findBookById(bookId).id != bookId)
            continue;
        bindingChanged(BookProvider::instance()->addBookToCategory(bookId, categoryId), true);
    }
    return true;
}

int FolderModel::rowOfCategory(int id) const
{
    for (int row = 0; row < m_categories.size(); ++row) {
        if (m_categories.at(row).id == id)
            return row;
    }
    return -1;
}

QModelIndex FolderModel::indexOfCategory(int id) const
{
    const int row = rowOfCategory(id);
    return row < 0 ? QModelIndex() : index(row, 0);
}

bool FolderModel::titleExists(const QString &title) const
{
    return std::any_of(m_categories.cbegin(), m_categories.cend(),
                       [&](const CategoryDto &category) { return category.title == title; });
}

void FolderModel::renameCategory(int id, const QString &title)
{
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty())
        return;
    const int row = rowOfCategory(id);
    if (row < 0)
        return;
    if (m_categories.at(row).title == title)
        return;
    if (!BookProvider::instance()->renameCategory(id, title))
        return;
    // The list reloads as the editor closes; until then the row shows the
    // name as typed, without its surrounding blanks.
    m_categories[row].title = trimmed;
}

void FolderModel::refreshCategory(int id)
{
    const int row = rowOfCategory(id);
    if (row < 0)
        return;
    const CategoryDto category = BookProvider::instance()->findCategory(id);
    if (category.id > 0)
        m_categories[row] = category;
}

void FolderModel::addNewCategory()
{
    const QString base = tr("New category");
    QString name = base;
    for (int n = 1; titleExists(name); ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n);
    const int id = BookProvider::instance()->addCategory(name, 0);
    if (id == -1)
        return;
    beginResetModel();
    CategoryDto category;
    category.id = id;
    category.title = name;
    m_categories.append(category);
    std::stable_sort(m_categories.begin(), m_categories.end(),
                     [](const CategoryDto &a, const CategoryDto &b) {
                         return QString::compare(a.title, b.title, Qt::CaseSensitive) < 0;
                     });
    endResetModel();
    emit inserted();
}

void FolderModel::selectAll()
{
    // updateData() already reloads inside a reset; a second reset around it
    // would only tell the views twice.
    updateData();
}

void FolderModel::addToCategory(int bookId, int folderId, bool signal)
{
    bindingChanged(BookProvider::instance()->addBookToCategory(bookId, folderId), signal);
}

void FolderModel::removeFromCategory(int bookId, int categoryId, bool signal)
{
    bindingChanged(BookProvider::instance()->removeBookFromCategory(bookId, categoryId), signal);
}

void FolderModel::bindingChanged(bool stored, bool signal)
{
    if (!stored)
        return;
    updateData();
    if (signal)
        emit added();
}

void FolderModel::remove(int folderId)
{
    if (BookProvider::instance()->removeCategory(folderId))
        updateData();
}

void FolderModel::updateData()
{
    beginResetModel();
    m_categories = BookProvider::instance()->allCategories();
    endResetModel();
}
