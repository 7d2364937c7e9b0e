// The text viewer's notes in the page: making a note of the selection, the
// note under the mouse, colours, the note balloon and the markers beside
// visible notes, and the notes' HTML export.

#include "reader/textviewer.h"

#include "core/settings.h"
#include "pagination/pagescript.h"
#include "reader/noteeditor.h"
#include "reader/notepagelabel.h"
#include "reader/notesexport.h"
#include "reader/notetooltip.h"

#include <QUrl>
#include <QUrlQuery>

namespace {

const QString NoteIdPrefix = QStringLiteral("vor_note_id_");
constexpr int BalloonHeight = 120;
constexpr int MarkerSize = 20;

QString quotedText(const QString &text)
{
    return PageScript::quoted(text);
}

// An offset the page script answers; anything but a number reads as 0.
qint32 offsetValue(const QVariant &value)
{
    bool ok = false;
    const int offset = value.toInt(&ok);
    return ok ? offset : 0;
}

} // namespace

std::optional<Note> TextViewer::makeNote(const QColor &color)
{
    const QString context = selectedText().trimmed();
    if (!m_bookOpen || context.isEmpty())
        return std::nullopt;
    Note note;
    note.id = makeNoteId();
    const QVariant answer = runScript(QStringLiteral("highlightSelection(%1, %2);")
                                              .arg(quotedText(color.name()), quotedText(note.id)));
    if (answer.isNull() || answer.type() != QVariant::Map)
        return std::nullopt;
    const QVariantMap map = answer.toMap();
    note.startPath = map.value(QStringLiteral("start")).toString();
    note.endPath = map.value(QStringLiteral("end")).toString();
    note.startOffset = offsetValue(map.value(QStringLiteral("startOffset")));
    note.endOffset = offsetValue(map.value(QStringLiteral("endOffset")));
    note.color = color;
    note.chapter = m_chapterFiles.value(m_chapterIndex);
    note.date = QDateTime::currentDateTimeUtc();
    note.context = context;
    if (bookPageCount() > 0) {
        note.page = absolutePage();
        note.chapterTitle = m_state.chapterTitle(note.page);
    }
    m_state.notes.append(note);
    emit notesCountChanged(m_state.notes.size());
    scheduleSideFilesWrite();
    refreshNoteMarkers();
    return note;
}

std::optional<Note> TextViewer::noteAtPoint(int x, int y)
{
    const QVariant answer
            = runScript(QStringLiteral("selectedNoteIdAtPoint(%1, %2);").arg(x).arg(y));
    const QString name = answer.toString();
    if (answer.isNull() || !name.startsWith(NoteIdPrefix))
        return std::nullopt;
    const QString id = name.mid(NoteIdPrefix.size());
    for (const Note &note : qAsConst(m_state.notes)) {
        if (note.id == id)
            return note;
    }
    return std::nullopt;
}

QPoint TextViewer::noteInfo(const Note &note)
{
    const QVariant answer = runScript(
            QStringLiteral("getNoteInfo(%1,%2);").arg(quotedText(note.id)).arg(viewWidth()));
    if (answer.isNull() || !answer.isValid())
        return QPoint(0, 0);
    const QVariantMap map = answer.toMap();
    return QPoint(map.value(QStringLiteral("left")).toInt(),
                  map.value(QStringLiteral("top")).toInt());
}

bool TextViewer::changeNoteColor(const QString &id, const QColor &color)
{
    for (Note &note : m_state.notes) {
        if (note.id != id)
            continue;
        runScript(QStringLiteral("changeNoteColorById(%1,  %2);")
                          .arg(quotedText(color.name()), quotedText(id)));
        note.color = color;
        if (m_noteTooltip && m_noteTooltip->noteId() == id)
            m_noteTooltip->setBackgroundColor(color);
        scheduleSideFilesWrite();
        return true;
    }
    return false;
}

bool TextViewer::setNoteText(const QString &id, const QString &text)
{
    for (Note &note : m_state.notes) {
        if (note.id != id)
            continue;
        if (note.text != text) {
            note.text = text;
            scheduleSideFilesWrite();
        }
        return true;
    }
    return false;
}

void TextViewer::openNoteForEditing(const QString &id)
{
    setFocus();
    for (const Note &note : qAsConst(m_state.notes)) {
        if (note.id != id)
            continue;
        const QString url = noteLocation(note) + QStringLiteral("&editnote=") + id;
        navigateToUrl(url, false);
        // A note in the file on show is reached without a load, so no load
        // will open its balloon.
        if (!isLoadingFile())
            openPendingNote(url);
        return;
    }
}

void TextViewer::openPendingNote(const QVariant &position)
{
    if (position.type() != QVariant::String)
        return;
    const QUrl url(position.toString(), QUrl::TolerantMode);
    const QString id = QUrlQuery(url).queryItemValue(QStringLiteral("editnote"));
    if (id.isEmpty())
        return;
    for (const Note &note : qAsConst(m_state.notes)) {
        if (note.id == id) {
            const QPoint point = noteInfo(note);
            showNote(point.x(), point.y(), &note, true);
            return;
        }
    }
}

void TextViewer::refreshNoteMarkers()
{
    qDeleteAll(m_noteMarkers);
    m_noteMarkers.clear();
    if (!m_layoutReady || m_state.notes.isEmpty())
        return;
    const int w = viewWidth();
    const QVariantList items
            = runScript(QStringLiteral("selectVisibleNotesElements(%1);").arg(w)).toList();
    for (const QVariant &item : items) {
        const QVariantMap map = item.toMap();
        const QString name = map.value(QStringLiteral("id")).toString();
        if (!name.startsWith(NoteIdPrefix))
            continue;
        const QString id = name.mid(NoteIdPrefix.size());
        const bool known = std::any_of(m_state.notes.cbegin(), m_state.notes.cend(),
                                       [&id](const Note &note) { return note.id == id; });
        if (!known)
            continue;
        const int left = map.value(QStringLiteral("left")).toInt();
        const int top = map.value(QStringLiteral("top")).toInt();
        auto *marker = new NotePageLabel(id, this);
        marker->resize(MarkerSize, MarkerSize);
        if (left < w / 2) {
            marker->move(6, top);
            marker->setPointsRight(true);
        } else {
            marker->move((w - 1) - m_gap / 2 + 9, top);
        }
        connect(marker, &QPushButton::clicked, this, [this, id, left, top] {
            for (const Note &note : qAsConst(m_state.notes)) {
                if (note.id == id) {
                    showNote(left + 10, top + 10, &note, true);
                    return;
                }
            }
        });
        marker->show();
        marker->raise();
        m_noteMarkers.append(marker);
    }
}

void TextViewer::showNote(int x, int y, const Note *note, bool editing)
{
    if (!m_noteTooltip) {
        m_noteTooltip = new NoteTooltip(this);
        connect(m_noteTooltip, &NoteTooltip::noteTextCommitted, this, &TextViewer::setNoteText);
    }
    const int viewWidth = width();
    const int w = m_columnCount == 1 ? 2 * viewWidth / 3 : viewWidth / 3;
    m_noteTooltip->setGeometry(0, 0, w, BalloonHeight);

    int arrow = 1;
    if (x + w > viewWidth) {
        arrow = 2;
        x -= w;
    }
    if (y + BalloonHeight > height()) {
        arrow = 3;
        y -= BalloonHeight;
    }

    const int profile = Settings::instance()->values().currentProfile;
    if (profile == 0 || profile == 2)
        m_noteTooltip->setBorderColor(QColor(QStringLiteral("#ddbd9a")));
    else if (profile == 1)
        m_noteTooltip->setBorderColor(QColor(QStringLiteral("#2c4055")));

    if (note) {
        m_noteTooltip->setNote(note);
    } else {
        m_noteTooltip->setNote(nullptr);
        m_noteTooltip->setText(QString());
        m_noteTooltip->setBackgroundColor(QColor(243, 227, 162));
    }
    m_noteTooltip->setEditing(editing ? 1 : 0);
    m_noteTooltip->setArrow(arrow);
    m_noteTooltip->move(x, y);
    m_noteTooltip->show();
    m_noteTooltip->raise();
    if (editing)
        m_noteTooltip->editor()->setFocus();
}

bool TextViewer::closeNoteTooltip(bool commit)
{
    if (!m_noteTooltip || !m_noteTooltip->isVisible())
        return false;
    if (commit)
        m_noteTooltip->commitText();
    m_noteTooltip->hide();
    refreshNoteMarkers();
    return true;
}

void TextViewer::onPageNavigation()
{
    if (m_noteTooltip && m_noteTooltip->isVisible()) {
        m_noteTooltip->commitText();
        m_noteTooltip->hide();
    }
    refreshNoteMarkers();
}

void TextViewer::onNoteClicked(const QString &id, const QPoint &position)
{
    for (const Note &note : qAsConst(m_state.notes)) {
        if (note.id == id) {
            showNote(position.x(), position.y(), &note, false);
            return;
        }
    }
}

void TextViewer::onNoteRequested(const QColor &color, bool openEditor)
{
    const std::optional<Note> note = makeNote(color);
    if (!note || !openEditor)
        return;
    const QPoint point = noteInfo(*note);
    const int w = width();
    if (point.x() < 0 || point.x() >= w)
        return;
    const int x = point.x() > w / 2 ? w - 40 : 40;
    // The balloon shows the list's record, which takes the comment.
    for (const Note &stored : qAsConst(m_state.notes)) {
        if (stored.id == note->id) {
            showNote(x, point.y() + 20, &stored, true);
            return;
        }
    }
}

QString TextViewer::exportNotesHtml() const
{
    return notesHtml(m_state.notes, m_book.title, m_book.author, bookPageCount());
}
