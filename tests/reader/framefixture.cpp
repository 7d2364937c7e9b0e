#include "tests/reader/framefixture.h"

#include "core/settings.h"
#include "reader/bookviewer.h"
#include "reader/usercontext.h"

#include <QCoreApplication>
#include <QtTest>

FrameFixture::FrameFixture() = default;

FrameFixture::~FrameFixture()
{
    clear();
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

void FrameFixture::clear()
{
    m_frame.reset();
    m_context.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
