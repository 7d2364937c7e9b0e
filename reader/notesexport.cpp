#include "reader/notesexport.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const char *const Style
        = "html, body{ font-family: \"Arial\"; width:90%; height:100%; margin:0;padding:0;}"
          ".table{display:table;width: 100%;}.cell{display:table-cell;}.row{display:table-row;}"
          ".cell{padding: 5px;border:1px solid grey;}.notecolor{width: 15px;}"
          ".notecontext{width: 50%;}.notetext{width: 30%;}"
          ".pagedate{width: 10% ;text-align: center;}"
          ".hyphens { word-wrap: break-word; word-break:break-all; }";

const char *const HeaderRow
        = "<div style=\"font-weight:bold;\" class=\"row\"><div class=\"table\">"
          "<div style=\"border-right:none\" class=\"cell notecolor\"></div>"
          "<div style=\"border-left:none\" class=\"cell notecontext hyphens\">%1</div>"
          "<div class=\"cell notetext hyphens\">%2</div><div class=\"cell pagedate\">%3</div>"
          "<div class=\"cell pagedate\">%4</div></div></div>";

const char *const ChapterRow
        = "<div style=\"font-weight:bold;\" class=\"row\"><div class=\"table\">"
          "<div style=\"background-color:grey; border-right:none; width:90%;\" "
          "class=\"cell\">%1</div><div style=\"background-color:grey; border-left:none; "
          "width:10%;\" class=\"cell\">Notes: %2</div></div></div>";

const char *const NoteRow
        = "<div class=\"row\"><div class=\"table\">"
          "<div style=\"background-color: %6;\" class=\"cell notecolor\"></div>"
          "<div class=\"cell notecontext hyphens\">%1</div>"
          "<div class=\"cell notetext hyphens\">%2</div>"
          "<div class=\"cell pagedate\">%4/%5</div><div class=\"cell pagedate\">%3</div>"
          "</div></div>";

QString tr(const char *text)
{
    return QCoreApplication::translate("TextViewer", text);
}

QString noteRow(const Note &note, int totalPages)
{
    const QDateTime local = note.date.toLocalTime();
    const QString date = local.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('\r')
            + local.toString(QStringLiteral("hh:mm"));
    // The colour goes into a style attribute: only a colour's own name may.
    const QString color = note.color.isValid() ? note.color.name() : QString();
    // One substitution for all: a "%1" in a comment stays text.
    return QString::fromLatin1(NoteRow).arg(note.context.toHtmlEscaped(), note.text.toHtmlEscaped(),
                                            date, QString::number(note.page),
                                            QString::number(totalPages), color);
}

} // namespace

QString notesHtml(const QList<Note> &notes, const QString &title, const QString &author,
                  int totalPages)
{
    QList<Note> sorted = notes;
    // Notes of one page and chapter stay in the order they were made.
    std::stable_sort(sorted.begin(), sorted.end(), [](const Note &a, const Note &b) {
        if (a.page != b.page)
            return a.page < b.page;
        return a.chapterTitle < b.chapterTitle;
    });

    QString rows = QString::fromLatin1(HeaderRow)
                           .arg(tr("Context"), tr("Note"), tr("Page"), tr("Date"));
    for (int i = 0; i < sorted.size();) {
        int end = i + 1;
        while (end < sorted.size() && sorted.at(end).chapterTitle == sorted.at(i).chapterTitle)
            ++end;
        rows += QString::fromLatin1(ChapterRow)
                        .arg(sorted.at(i).chapterTitle.toHtmlEscaped(), QString::number(end - i));
        for (int k = i; k < end; ++k)
            rows += noteRow(sorted.at(k), totalPages);
        i = end;
    }

    return QStringLiteral("<!DOCTYPE html><html lang=\"en\" xmlns=\"http://www.w3.org/1999/xhtml\">"
                          "<head><meta charset=\"utf-8\"/><style type=\"text/css\">%3</style>"
                          "<title></title></head><body><h1>%1</h1><h2>%2</h2>"
                          "<div class=\"table\">%4</div></body></html>")
            .arg(title.toHtmlEscaped(), author.toHtmlEscaped(), QString::fromLatin1(Style), rows);
}
