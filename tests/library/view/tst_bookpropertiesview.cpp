#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/view/bookpropertiesview.h"
#include "library/view/coverimage.h"
#include "widgets/stylesheet.h"
#include "widgets/windowbar.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

class TestBookPropertiesView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void values_data();
    void values();
    void cover_data();
    void cover();
    void longTextsAreElided();
    void closing_data();
    void closing();
    void openFolder();

private:
    QModelIndex indexOf(const QString &title) const;
    QLabel *valueBeside(BookPropertiesView *dialog, const QString &caption) const;

    QTemporaryDir m_dir;
    QString m_cover;
    BookModel *m_model = nullptr;
};

void TestBookPropertiesView::initTestCase()
{
    QVERIFY(m_dir.isValid());
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));
    reloadStyleSheet();

    QImage cover(100, 200, QImage::Format_RGB32);
    cover.fill(QColor(200, 30, 30));
    m_cover = m_dir.filePath(QStringLiteral("tall.png"));
    QVERIFY(cover.save(m_cover));

    const uint thisYear = QDateTime::currentDateTimeUtc().toTime_t() - 3600;
    const struct
    {
        const char *title;
        const char *author;
        int progress;
        uint lastView;
        QString cover;
        const char *description;
    } books[] = {
        { "Fresh", "Anna Writer", 0, 0, m_cover, "A first book." },
        { "Halfway", "Anna Writer", 42, thisYear, QString(), nullptr },
        { "Done", "Anna Writer", 100, 1262304000, m_dir.filePath("gone.png"), "" },
        { "<b>Bold</b> & <i>sure</i>", "<a href='x'>Link</a>", 250, 0, QString(),
          "<p>Markup <b>stays</b> text.</p>" },
        { "A title far too long to fit into the two hundred and fifty pixels a value has",
          "An author whose name goes on and on and on beyond any reasonable width", 1, 0, QString(),
          nullptr },
    };
    uint time = 1500000000;
    for (const auto &entry : books) {
        BookDto book;
        book.title = QString::fromUtf8(entry.title);
        book.author = QString::fromUtf8(entry.author);
        book.maxPosition = entry.progress;
        book.timeLastView = entry.lastView;
        book.cover = entry.cover;
        book.timeAdded = time++;
        book.format = 2;
        book.fullPath = m_dir.filePath(QStringLiteral("shelf/book%1.fb2").arg(time));
        if (entry.description)
            book.metadata.insert(6, QString::fromUtf8(entry.description));
        QVERIFY(provider->addBook(book) > 0);
    }
}

void TestBookPropertiesView::init()
{
    m_model = new BookModel;
    m_model->selectAll();
}

void TestBookPropertiesView::cleanup()
{
    delete m_model;
}

QModelIndex TestBookPropertiesView::indexOf(const QString &title) const
{
    const QModelIndexList found = m_model->match(m_model->index(0, 0), BookModel::TitleRole, title,
                                                 1, Qt::MatchExactly);
    return found.value(0);
}

// The value in the form row of a caption.
QLabel *TestBookPropertiesView::valueBeside(BookPropertiesView *dialog,
                                            const QString &caption) const
{
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->objectName() != QLatin1String("propertiesViewTitle") || label->text() != caption)
            continue;
        QLabel *nearest = nullptr;
        for (QLabel *value : labels) {
            if (value->objectName() == QLatin1String("propertiesViewTitle") || value == label
                || !value->isVisibleTo(dialog) || value->pixmap())
                continue;
            const QPoint at = value->mapTo(dialog, QPoint(0, value->height() / 2));
            const QPoint from = label->mapTo(dialog, QPoint(0, label->height() / 2));
            if (at.x() > from.x() && qAbs(at.y() - from.y()) < 6
                && (!nearest || at.x() < nearest->mapTo(dialog, QPoint()).x()))
                nearest = value;
        }
        return nearest;
    }
    return nullptr;
}

void TestBookPropertiesView::values_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("progress");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("description");
    QTest::newRow("fresh") << "Fresh"
                           << "Anna Writer"
                           << "on start" << false << "A first book.";
    QTest::newRow("halfway") << "Halfway"
                             << "Anna Writer"
                             << "42%" << true << "";
    QTest::newRow("done") << "Done"
                          << "Anna Writer"
                          << "finished" << true << "";
    // Titles, authors and descriptions with markup show as they are.
    QTest::newRow("markup") << "<b>Bold</b> & <i>sure</i>"
                            << "<a href='x'>Link</a>"
                            << "finished" << false << "<p>Markup <b>stays</b> text.</p>";
}

void TestBookPropertiesView::values()
{
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(QString, progress);
    QFETCH(bool, opened);
    QFETCH(QString, description);
    const QModelIndex index = indexOf(title);
    QVERIFY(index.isValid());
    BookPropertiesView dialog(index);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.findChild<WindowBar *>()->title(), title + QStringLiteral(" - Properties"));
    QCOMPARE(valueBeside(&dialog, QStringLiteral("Title:"))->text(), title);
    QCOMPARE(valueBeside(&dialog, QStringLiteral("Author:"))->text(), author);
    QCOMPARE(valueBeside(&dialog, QStringLiteral("Format:"))->text(), QStringLiteral("fb2"));
    QCOMPARE(valueBeside(&dialog, QStringLiteral("Progress:"))->text(), progress);
    QLabel *lastOpen = valueBeside(&dialog, QStringLiteral("Last open:"));
    if (opened)
        QVERIFY(lastOpen && !lastOpen->text().isEmpty());
    else
        QVERIFY(!lastOpen || lastOpen->text().isEmpty());
    // The folder is long here: cut at the right.
    const QString folder = valueBeside(&dialog, QStringLiteral("Folder:"))->text();
    QVERIFY(folder.endsWith(QChar(0x2026)));
    QVERIFY(m_dir.filePath(QStringLiteral("shelf")).startsWith(folder.chopped(1)));
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->text().contains(QLatin1Char('<')))
            QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QTextEdit *text = dialog.findChild<QTextEdit *>();
    QCOMPARE(text->toPlainText(), description);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->maximumHeight(), 100);
}

void TestBookPropertiesView::cover_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("own");
    QTest::newRow("cover file") << "Fresh" << true;
    QTest::newRow("no cover") << "Halfway" << false;
    QTest::newRow("cover file gone") << "Done" << false;
}

// The cover is 163 pixels wide, its shape kept; without one, the default
// cover.
void TestBookPropertiesView::cover()
{
    QFETCH(QString, title);
    QFETCH(bool, own);
    BookPropertiesView dialog(indexOf(title));
    QLabel *cover = nullptr;
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->pixmap() && !label->pixmap()->isNull() && label->width() <= 163)
            cover = label;
    }
    QVERIFY(cover);
    const QImage image = cover->pixmap()->toImage();
    QCOMPARE(image.width(), 163);
    if (own) {
        QCOMPARE(image.height(), 326);
        QCOMPARE(image.pixelColor(80, 160), QColor(200, 30, 30));
    } else {
        const QImage standard = CoverImage::read(QString(), QSize(163, 20000), Qt::KeepAspectRatio);
        QCOMPARE(image.size(), standard.size());
        QCOMPARE(image, standard.convertToFormat(image.format()));
    }
}

void TestBookPropertiesView::longTextsAreElided()
{
    BookPropertiesView dialog(indexOf(QStringLiteral(
            "A title far too long to fit into the two hundred and fifty pixels a value has")));
    dialog.show();
    for (const QString &caption : { QStringLiteral("Title:"), QStringLiteral("Author:") }) {
        QLabel *value = valueBeside(&dialog, caption);
        QVERIFY(value->text().endsWith(QChar(0x2026)));
        QVERIFY(value->fontMetrics().horizontalAdvance(value->text())
                <= BookPropertiesView::valueWidth);
    }
    QCOMPARE(valueBeside(&dialog, QStringLiteral("Progress:"))->text(), QStringLiteral("1%"));
}

void TestBookPropertiesView::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("edit");
    QTest::newRow("window bar") << "windowClose" << false;
    QTest::newRow("CLOSE") << "buttonOk" << false;
    QTest::newRow("Escape") << "escape" << false;
    QTest::newRow("Edit") << "buttonURL" << true;
}

// Run modally as the library screen does; only Edit asks for the editor.
void TestBookPropertiesView::closing()
{
    QFETCH(QString, how);
    QFETCH(bool, edit);
    QWidget window;
    window.resize(900, 700);
    window.show();
    BookPropertiesView dialog(indexOf(QStringLiteral("Fresh")), &window);
    bool centred = false;
    QTimer::singleShot(0, &dialog, [&] {
        const QPoint middle = dialog.frameGeometry().center();
        const QPoint parentMiddle = window.frameGeometry().center();
        // Within the window's frame margins.
        centred = (middle - parentMiddle).manhattanLength() <= 6;
        if (how == QLatin1String("escape"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else if (auto *button = dialog.findChild<QPushButton *>(how))
            button->click();
        else
            dialog.hide();
    });
    dialog.exec();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.editRequested(), edit);
    QVERIFY(centred);
}

void TestBookPropertiesView::openFolder()
{
    const QModelIndex index = indexOf(QStringLiteral("Halfway"));
    BookPropertiesView dialog(index);
    QStringList shown;
    dialog.setShowInFileManager([&shown](const QString &path) { shown.append(path); });
    dialog.findChild<QPushButton *>(QStringLiteral("buttonOpenFolder"))->click();
    QCOMPARE(shown, QStringList { index.data(BookModel::PathRole).toString() });
    QVERIFY(shown.first().endsWith(QLatin1String(".fb2")));
}

VL_TEST_WIDGETS_MAIN(TestBookPropertiesView)
#include "tst_bookpropertiesview.moc"
