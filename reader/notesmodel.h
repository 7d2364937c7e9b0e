#pragma once

#include "reader/note.h"

#include <QAbstractItemModel>
#include <QList>
#include <QString>

// The open book's notes as a two-level tree: one row per chapter title, the
// notes made under it below. Seven columns: colour, noted text, comment,
// page, date, and the edit and delete icons (painted by the tree's
// delegate). The filters (colour, comment state) live here; the sort and
// filter proxy (NoteSortFilterModel) reads them.
class NotesModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    // Item roles beside the display role.
    enum Role {
        LocationRole = Qt::UserRole + 1,
        IdRole = Qt::UserRole + 3,
        ColorRole = Qt::UserRole + 4,
        PageRole = Qt::UserRole + 5,
        TextRole = Qt::UserRole + 6,
        DateRole = Qt::UserRole + 7,
        ContextRole = Qt::UserRole + 8,
        ChildCountTextRole = Qt::UserRole + 9,
        KindRole = Qt::UserRole + 10,
        ChildCountRole = Qt::UserRole + 12,
    };
    enum Column { ColorColumn, ContextColumn, TextColumn, PageColumn, DateColumn, EditColumn,
                  DeleteColumn, ColumnCount };
    // Comment filter modes.
    enum CommentFilter { AllNotes = 0, WithComments = 1, WithoutComments = 2 };

    explicit NotesModel(QObject *parent = nullptr);
    ~NotesModel() override;

    // Rebuilds the tree: chapter rows in the order their titles first
    // occur, notes under them in list order.
    void setNotes(const QList<Note> &notes);
    QList<Note> notes() const { return m_notes; }
    // A key of the note colour palette; "allcolors" for every colour.
    void setColorFilter(const QString &key) { m_colorFilter = key; }
    QString colorFilter() const { return m_colorFilter; }
    void setCommentFilter(int mode) { m_commentFilter = mode; }
    int commentFilter() const { return m_commentFilter; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Takes the rows out of the tree; the notes themselves are removed by
    // the panel through the reading controller. A chapter row left empty
    // stays; the proxy hides it.
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

private:
    Q_DISABLE_COPY_MOVE(NotesModel)

    NoteEntry *entryOf(const QModelIndex &index) const;

    NoteEntry *m_root = nullptr;
    int m_commentFilter = AllNotes;
    QString m_colorFilter;
    QList<Note> m_notes;
};
