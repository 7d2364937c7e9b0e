// Filling the notes panel with the 2,000 notes of one book (model, tree,
// expanding every chapter, sorting by date) and one change of the colour
// filter, beside the floor: a plain QTreeView over a QStandardItemModel of
// the same rows, built and expanded, and its rows filtered by a proxy.
// Goal: panel build and filter change under 100 ms each.
//
// usage: bench_notespanel [rounds]

#include "reader/notesmodel.h"
#include "reader/notesortfiltermodel.h"
#include "reader/notesview.h"
#include "reader/notetreeview.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int NoteCount = 2000;
constexpr int Chapters = 40;

QList<Note> makeNotes()
{
    QList<Note> notes;
    for (int i = 0; i < NoteCount; ++i) {
        Note note;
        note.id = makeNoteId();
        note.chapterTitle = QStringLiteral("Chapter %1").arg(i % Chapters);
        note.chapter = QStringLiteral("ch%1.xhtml").arg(i % Chapters);
        note.startPath = QStringLiteral("/HTML[1]/BODY[1]/P[%1]/text()[1]").arg(i);
        note.context = QStringLiteral("the noted words of note %1 run over a line or two of the "
                                      "book's text, as a reader marks them")
                               .arg(i);
        note.text = i % 3 ? QStringLiteral("a comment %1").arg(i) : QString();
        note.color = QColor(noteColors().at(1 + i % 5));
        note.page = 1 + i / 2;
        note.date = QDateTime::fromSecsSinceEpoch(1700000000 + i * 60, Qt::UTC);
        notes.append(note);
    }
    return notes;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QList<Note> notes = makeNotes();

    std::vector<double> build, filter, floorBuild, floorFilter;
    for (int round = 0; round < rounds; ++round) {
        {
            NotesView panel(nullptr);
            panel.resize(720, 700);
            panel.show();
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            panel.setNotes(notes);
            QApplication::processEvents();
            build.push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
            panel.colorCombo()->setCurrentIndex(3);
            emit panel.colorCombo()->activated(3);
            QApplication::processEvents();
            filter.push_back(timer.nsecsElapsed() / 1e6);
        }
        {
            QTreeView tree;
            tree.resize(720, 600);
            tree.show();
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            QStandardItemModel model;
            model.setColumnCount(7);
            QHash<QString, QStandardItem *> chapters;
            for (const Note &note : notes) {
                QStandardItem *chapter = chapters.value(note.chapterTitle);
                if (!chapter) {
                    chapter = new QStandardItem(note.chapterTitle);
                    model.appendRow(chapter);
                    chapters.insert(note.chapterTitle, chapter);
                }
                chapter->appendRow({ new QStandardItem(note.color.name()),
                                     new QStandardItem(note.context), new QStandardItem(note.text),
                                     new QStandardItem(QString::number(note.page)),
                                     new QStandardItem(note.date.toString()), new QStandardItem,
                                     new QStandardItem });
            }
            QSortFilterProxyModel proxy;
            proxy.setRecursiveFilteringEnabled(true);
            proxy.setSourceModel(&model);
            tree.setModel(&proxy);
            tree.expandAll();
            tree.sortByColumn(4, Qt::DescendingOrder);
            QApplication::processEvents();
            floorBuild.push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
            proxy.setFilterKeyColumn(0);
            proxy.setFilterFixedString(noteColors().at(3));
            tree.expandAll();
            QApplication::processEvents();
            floorFilter.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    const double b = median(build), f = median(filter);
    const double fb = median(floorBuild), ff = median(floorFilter);
    std::printf("notes panel, %d notes, median of %d rounds\n", NoteCount, rounds);
    std::printf("  build:  %8.1f ms  floor %8.1f ms  ratio %.2f  goal < 100 ms: %s\n", b, fb,
                b / fb, b < 100 ? "met" : "NOT met");
    std::printf("  filter: %8.1f ms  floor %8.1f ms  ratio %.2f  goal < 100 ms: %s\n", f, ff,
                f / ff, f < 100 ? "met" : "NOT met");
    return 0;
}
