#include "reader/notesmodel.h"

#include <QHash>

#include <memory>

namespace {

constexpr int TopLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr int TopCentred = Qt::AlignHCenter | Qt::AlignTop;

// The date column: local date, a carriage return, local time.
QString dateText(const QDateTime &date)
{
    const QDateTime local = date.toLocalTime();
    return local.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('\r')
            + local.toString(QStringLiteral("hh:mm"));
}

} // namespace

NotesModel::NotesModel(QObject *parent)
    : QAbstractItemModel(parent)
    , m_colorFilter(noteColors().first())
{
}

NotesModel::~NotesModel()
{
    delete m_root;
}

void NotesModel::setNotes(const QList<Note> &notes)
{
    beginResetModel();
    m_notes = notes;
    delete m_root;
    m_root = new NoteEntry;
    QHash<QString, NoteEntry *> chapters;
    for (const Note &note : notes) {
        auto entry = std::make_unique<NoteEntry>();
        entry->id = note.id;
        entry->chapterTitle = note.chapterTitle;
        entry->context = note.context;
        entry->text = note.text;
        entry->color = note.color;
        entry->date = note.date;
        entry->page = note.page;
        entry->kind = NoteEntry::NoteRow;
        entry->location = noteLocation(note);
        NoteEntry *chapter = chapters.value(note.chapterTitle);
        if (!chapter) {
            chapter = new NoteEntry;
            chapter->kind = NoteEntry::Chapter;
            chapter->chapterTitle = note.chapterTitle;
            m_root->appendChild(chapter);
            chapters.insert(note.chapterTitle, chapter);
        }
        chapter->appendChild(entry.release());
    }
    endResetModel();
}

NoteEntry *NotesModel::entryOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<NoteEntry *>(index.internalPointer()) : m_root;
}

QModelIndex NotesModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!m_root || row < 0 || column < 0 || column >= ColumnCount
        || (parent.isValid() && parent.column() != 0)) {
        return QModelIndex();
    }
    const NoteEntry *entry = entryOf(parent);
    if (row >= entry->children.size())
        return QModelIndex();
    return createIndex(row, column, entry->children.at(row));
}

QModelIndex NotesModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return QModelIndex();
    NoteEntry *parentEntry = entryOf(child)->parent;
    if (!parentEntry || parentEntry == m_root || !parentEntry->parent)
        return QModelIndex();
    return createIndex(parentEntry->parent->children.indexOf(parentEntry), 0, parentEntry);
}

int NotesModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const NoteEntry *entry = entryOf(parent);
    return entry ? entry->children.size() : 0;
}

int NotesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() && parent.column() != 0 ? 0 : int(ColumnCount);
}

QVariant NotesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= ColumnCount)
        return QVariant();
    const NoteEntry *entry = entryOf(index);
    const bool note = entry->kind == NoteEntry::NoteRow;
    switch (role) {
    case LocationRole:
        return note ? entry->location : QString();
    case IdRole:
        return note ? entry->id : QString();
    case ColorRole:
        return note ? entry->color.name() : QColor().name();
    case PageRole:
        return note ? entry->page : 0;
    case TextRole:
        return note ? entry->text : QString();
    case DateRole:
        return note ? entry->date : QDateTime();
    case ContextRole:
        return note ? entry->context : entry->chapterTitle;
    case ChildCountTextRole:
        return QString::number(entry->children.size());
    case KindRole:
        return entry->kind;
    case ChildCountRole:
        return entry->children.size();
    case Qt::TextAlignmentRole:
        return index.column() == PageColumn || index.column() == DateColumn ? TopCentred : TopLeft;
    case Qt::DisplayRole:
    case Qt::EditRole:
        break;
    default:
        return QVariant();
    }
    switch (index.column()) {
    case ColorColumn:
        return note ? entry->color : QColor();
    case ContextColumn:
        return note ? entry->context : entry->chapterTitle;
    case TextColumn:
        return note ? entry->text : QString();
    case PageColumn:
        if (!note)
            return QString();
        return entry->page <= 0 ? QStringLiteral("...") : QString::number(entry->page);
    case DateColumn:
        return note ? dateText(entry->date) : QString();
    case EditColumn:
        return QString();
    default:
        return note ? QString() : QString::number(entry->children.size());
    }
}

QVariant NotesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole) {
        switch (section) {
        case ContextColumn:
            return tr("Context");
        case TextColumn:
            return tr("Note");
        case PageColumn:
            return tr("Page");
        case DateColumn:
            return tr("Date");
        default:
            return QString();
        }
    }
    if (role == Qt::TextAlignmentRole) {
        return section == PageColumn || section == DateColumn
                ? int(Qt::AlignHCenter | Qt::AlignVCenter)
                : int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return QVariant();
}

Qt::ItemFlags NotesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (entryOf(index)->kind == NoteEntry::Chapter)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

bool NotesModel::removeRows(int row, int count, const QModelIndex &parent)
{
    NoteEntry *entry = entryOf(parent);
    if (!entry || row < 0 || count < 1 || row + count > entry->children.size())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    for (int i = 0; i < count; ++i)
        delete entry->children.takeAt(row);
    endRemoveRows();
    return true;
}
