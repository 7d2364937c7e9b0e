#include "reader/textviewercontextmenu.h"

#include "reader/custommenuitemaction.h"
#include "widgets/shapebutton.h"

#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace {

const QKeySequence CopyKeys(Qt::CTRL + Qt::Key_C);
const QKeySequence NoteKeys(Qt::CTRL + Qt::Key_N);
const QKeySequence TranslateKeys(Qt::CTRL + Qt::Key_T);

// Where an entry keeps the key sequence it stands for.
QKeySequence keysOf(const QAction *action)
{
    return action ? action->data().value<QKeySequence>() : QKeySequence();
}

constexpr int SwatchSide = 24;

} // namespace

TextViewerContextMenu::TextViewerContextMenu(bool noteMode, QWidget *parent)
    : QMenu(parent)
    , m_noteMode(noteMode)
{
    if (!noteMode) {
        m_copyAction = addEntry(tr("Copy"), CopyKeys);
        connect(m_copyAction, &QAction::triggered, this, &TextViewerContextMenu::onCopy);
        m_noteAction = addEntry(tr("Add note"), NoteKeys);
    } else {
        m_noteAction = addEntry(tr("Remove note"), NoteKeys);
    }
    connect(m_noteAction, &QAction::triggered, this, &TextViewerContextMenu::onNote);

    addSeparator();
    m_colorAction = new CustomMenuItemAction(this);
    auto *row = new QFrame(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 5, 0, 5);
    layout->setSpacing(0);
    for (const QColor &color : colors()) {
        auto *swatch = new ShapeButton(color, row);
        swatch->setFixedSize(SwatchSide, SwatchSide);
        swatch->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(swatch);
        connect(swatch, &QPushButton::clicked, m_colorAction, &CustomMenuItemAction::onSelected);
    }
    row->adjustSize();
    m_colorAction->setDefaultWidget(row);
    addAction(m_colorAction);

    if (!noteMode) {
        addSeparator();
        m_translateAction = addEntry(tr("Translate"), TranslateKeys);
        connect(m_translateAction, &QAction::triggered, this, &TextViewerContextMenu::onTranslate);
        QMenu *search = addMenu(tr("Search"));
        m_googleAction = search->addAction(tr("Search on Google"));
        m_wikipediaAction = search->addAction(tr("Search on Wikipedia"));
    }
}

QList<QColor> TextViewerContextMenu::colors()
{
    return { QColor(243, 162, 162), QColor(243, 227, 162), QColor(177, 243, 164),
             QColor(174, 217, 241), QColor(204, 184, 228) };
}

QAction *TextViewerContextMenu::addEntry(const QString &text, const QKeySequence &keys)
{
    // The shortcut is only shown: the menu's own key handling and the
    // viewer act on it, so it must not become a shortcut of the window.
    QAction *action = addAction(text + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText));
    action->setData(QVariant::fromValue(keys));
    return action;
}

void TextViewerContextMenu::onCopy()
{
    emit keySequencePressed(CopyKeys);
    close();
}

void TextViewerContextMenu::onNote()
{
    emit keySequencePressed(NoteKeys);
    close();
}

void TextViewerContextMenu::onTranslate()
{
    emit keySequencePressed(TranslateKeys);
    close();
}

void TextViewerContextMenu::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Control) {
        m_controlPressed = true;
        qDebug().noquote() << "TextViewerContextMenu::keyPressEvent: Control";
        QMenu::keyPressEvent(event);
        return;
    }
    if (m_controlPressed) {
        m_controlPressed = false;
        const QKeySequence keys(event->key() | int(event->modifiers() & ~Qt::KeypadModifier));
        for (QAction *entry : { m_copyAction, m_noteAction, m_translateAction }) {
            if (entry && keysOf(entry) == keys)
                entry->trigger();
        }
    }
    QMenu::keyPressEvent(event);
}
