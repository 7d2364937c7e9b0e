#include "reader/notetooltip.h"

#include "reader/note.h"
#include "reader/noteeditor.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

constexpr int Inset = 18;
constexpr int PointerBase = 10;
constexpr int PointerHeight = 8;

} // namespace

NoteTooltip::NoteTooltip(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("mainViewShadow"));
    setContentsMargins(4, 4, 4, 4);
    auto *layout = new QVBoxLayout(this);
    // The editor sits inside the balloon's outline, not over its pointer.
    const int inside = Inset + 2 - 4;
    layout->setContentsMargins(inside, inside, inside, inside);
    m_editor = new NoteEditor(this);
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    m_editor->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    m_editor->hide();
    layout->addWidget(m_editor);
    connect(m_editor, &NoteEditor::editorInactive, this, &NoteTooltip::onEditorInactive);
}

void NoteTooltip::setArrow(int value)
{
    m_arrow = value;
    update();
}

void NoteTooltip::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

void NoteTooltip::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    update();
}

void NoteTooltip::setTextColor(const QColor &color)
{
    m_textColor = color;
    m_editor->setStyleSheet(
            QStringLiteral("QPlainTextEdit { color : %1; background: transparent; }")
                    .arg(color.name()));
    update();
}

void NoteTooltip::setNote(const Note *note)
{
    m_noteId = note ? note->id : QString();
    m_text = note ? note->text : QString();
    m_editor->setPlainText(m_text);
    if (note)
        m_backgroundColor = note->color;
    update();
}

void NoteTooltip::setText(const QString &value)
{
    m_text = value;
    update();
}

void NoteTooltip::setEditing(int flag)
{
    if (flag == 1) {
        m_editor->setPlainText(m_text);
        m_editor->show();
        m_editor->setFocus();
        m_editor->moveCursor(QTextCursor::End);
    } else {
        m_text = m_editor->toPlainText();
        m_editor->hide();
    }
    m_editing = flag;
    update();
}

void NoteTooltip::commitText()
{
    if (m_editing != 1)
        return;
    m_text = m_editor->toPlainText();
    if (!m_noteId.isEmpty())
        emit noteTextCommitted(m_noteId, m_text);
}

void NoteTooltip::onEditorInactive()
{
    m_text = m_editor->toPlainText();
    if (!m_noteId.isEmpty())
        emit noteTextCommitted(m_noteId, m_text);
    m_editor->hide();
    hide();
}

void NoteTooltip::mousePressEvent(QMouseEvent *event)
{
    if (m_editing != 1) {
        setEditing(1);
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void NoteTooltip::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void NoteTooltip::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        if (m_editing == 1)
            commitText();
        hide();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

QString NoteTooltip::fittingText(const QRect &rect) const
{
    // The comment is cut to the lines that fit, the last one elided: a
    // long comment shows its beginning, never text drawn over the border.
    const QFontMetrics metrics(font());
    QTextLayout layout(m_text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    qreal widths = 0;
    bool cut = false;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        if (height + line.height() > rect.height()) {
            cut = true;
            break;
        }
        height += line.height();
        widths += line.naturalTextWidth();
    }
    layout.endLayout();
    if (!cut)
        return m_text;
    return metrics.elidedText(m_text, Qt::ElideRight, int(widths));
}

void NoteTooltip::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::HighQualityAntialiasing
                           | QPainter::TextAntialiasing);
    const QRect r = rect().adjusted(Inset, Inset, -Inset, -Inset);
    const int w = r.width();

    QPolygon polygon;
    polygon << r.topLeft();
    if (m_arrow == 1 || m_arrow == 2) {
        const int d = m_arrow == 1 ? w * 90 / 100 : w * 10 / 100;
        const int tip = r.right() - d;
        polygon << QPoint(tip - PointerBase / 2, r.top()) << QPoint(tip, r.top() - PointerHeight)
                << QPoint(tip + PointerBase / 2, r.top());
    }
    polygon << r.topRight() << r.bottomRight();
    if (m_arrow == 3) {
        const int tip = r.right() - w * 90 / 100;
        polygon << QPoint(tip + PointerBase / 2, r.bottom())
                << QPoint(tip, r.bottom() + PointerHeight)
                << QPoint(tip - PointerBase / 2, r.bottom());
    }
    polygon << r.bottomLeft();

    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addPolygon(polygon);
    path.closeSubpath();
    painter.fillPath(path, m_backgroundColor);
    painter.setPen(QPen(m_borderColor, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawPath(path.simplified());

    if (!m_editor->isVisible()) {
        const QRect textRect = r.adjusted(5, 5, -5, -5);
        // The outline's pen is the profile's border colour, a light tan in
        // Day and Sepia: the comment on a pale note colour needs its own.
        painter.setPen(m_textColor);
        painter.drawText(textRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                         fittingText(textRect));
    }
}
