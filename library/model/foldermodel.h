#pragma once

#include "library/db/categorydto.h"

#include <QAbstractTableModel>
#include <QList>

// The user's own categories of books (folders in the library database),
// cached with their book counts and sorted by title. One column; a row's
// display text is the trimmed title, and the custom roles below give the
// rest of the record. The category list shows it, the library screen and
// the book context menu read it, and every category change goes through
// it to BookProvider.
//
// The application keeps one instance for its whole life. GUI thread only.
// Database failures leave the cache as it was and emit nothing; the
// database layer logs them.
class FolderModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Roles {
        IdRole = Qt::UserRole + 1,
        // The title exactly as stored.
        TitleRole,
        ParentIdRole,
        BookCountRole,
    };

    explicit FolderModel(QObject *parent = nullptr);
    ~FolderModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Renames the row's category (column 0 only). True for column 0 whether
    // or not the name was taken: a refused name simply stays the old one.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QStringList mimeTypes() const override;
    // Book ids dropped on a row (or in the gap above it) go into that row's
    // category; see the .cpp for the details.
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QList<CategoryDto> categories() const { return m_categories; }
    // Row of the first category with this id, or -1.
    int rowOfCategory(int id) const;
    // Column 0 of that row; invalid when the id is not cached.
    QModelIndex indexOfCategory(int id) const;
    // Exact, case-sensitive comparison with the cached titles.
    bool titleExists(const QString &title) const;
    // Renames in the database and, on success, in the cache (trimmed). A
    // blank name, an unknown id, the current name or a title another
    // category has change nothing.
    void renameCategory(int id, const QString &title);
    // Re-reads one cached row; its count then includes books in the trash.
    // Tells no view (nothing calls it on a shown model).
    void refreshCategory(int id);

public slots:
    // Creates "New category", or "New category N" with the first free N.
    void addNewCategory();
    void selectAll();
    void addToCategory(int bookId, int folderId, bool signal = true);
    void removeFromCategory(int bookId, int categoryId, bool signal = true);
    void remove(int folderId);
    void updateData();

signals:
    // addNewCategory() created a category.
    void inserted();
    // A book joined or left a category through this model.
    void added();

private:
    Q_DISABLE_COPY_MOVE(FolderModel)

    // After a book joined or left a category: reload, and tell when asked.
    void bindingChanged(bool stored, bool signal);

    QList<CategoryDto> m_categories;
};
