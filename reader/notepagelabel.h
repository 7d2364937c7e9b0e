#pragma once

#include <QPushButton>
#include <QString>

// The small marker button beside a note visible in the page: a click opens
// the note's balloon. It points right (into the text) when it stands at the
// left edge of the view.
class NotePageLabel : public QPushButton
{
    Q_OBJECT
public:
    NotePageLabel(const QString &noteId, QWidget *parent = nullptr);

    QString noteId() const { return m_noteId; }
    bool pointsRight() const { return m_pointsRight; }
    void setPointsRight(bool pointsRight);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(NotePageLabel)

    QString m_noteId;
    bool m_pointsRight = false;
};
