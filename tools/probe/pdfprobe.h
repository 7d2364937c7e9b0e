#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// What the probe's PDF book commands share.
namespace probe {

// "read BOOK.pdf ...": the book in a PDF viewer of its own.
int readPdfBook(const QStringList &arguments);

// While it lives, password prompts of PDF books are answered with the
// password (a prompt that comes again is closed: the password was wrong),
// and message boxes of loading threads are printed as lines.
class PdfPasswordAnswer
{
public:
    explicit PdfPasswordAnswer(const QString &password);
    ~PdfPasswordAnswer();
    int prompts() const;

private:
    struct Controllers;
    std::unique_ptr<Controllers> m_controllers;
};

} // namespace probe
