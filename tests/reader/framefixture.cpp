#include "tests/reader/framefixture.h"

#include "core/settings.h"
#include "library/db/bookdto.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "reader/bookviewer.h"
#include "reader/usercontext.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QFileInfo>
#include <QtTest>

FrameFixture::FrameFixture() = default;

FrameFixture::~FrameFixture()
{
    clear();
}

bool FrameFixture::prepare()
{
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        qWarning("the library does not open: %s", qPrintable(provider->lastError()));
        return false;
    }
    reloadStyleSheet();
    QApplication::setDoubleClickInterval(60);
    return true;
}

int FrameFixture::addBook(const QString &path)
{
    const QFileInfo info(path);
    BookDto book;
    book.fullPath = path;
    book.title = info.baseName();
    book.format = BookFormat::fromString(info.suffix());
    book.timeLastView = 100;
    return BookProvider::instance()->addBook(book);
}

void FrameFixture::resetSettings()
{
    ViewerSettings values = Settings::instance()->values();
    values.columnCount = 1;
    values.showFade = false;
    values.currentProfile = ViewerSettings::DayProfile;
    Settings::instance()->setValues(values, true);
}

bool FrameFixture::make()
{
    m_frame.reset();
    m_context.reset(new UserContext);
    const auto collect = [this](const QString &title, const QString &text) {
        messages.append(title + QLatin1Char('|') + text);
    };
    m_context->setMessagePresenter(collect);
    m_frame.reset(new BookViewer(m_context.get()));
    m_frame->setMessagePresenter(collect);
    m_frame->resize(900, 650);
    m_frame->show();
    m_frame->activateWindow();
    return QTest::qWaitForWindowActive(m_frame.get());
}

bool FrameFixture::openBook(int id)
{
    const BookDto book = BookProvider::instance()->findBookById(id);
    return book.id == id && m_frame && m_frame->openBook(book);
}

void FrameFixture::clear()
{
    m_frame.reset();
    m_context.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
