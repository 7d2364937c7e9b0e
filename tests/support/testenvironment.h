#pragma once

#include <QString>
#include <QtTest>

// Gives a test process a home of its own before any Qt object exists: a
// temporary HOME, XDG config, data and cache folders and TMPDIR, removed at
// exit unless the test failed (then the path is printed for a look).
namespace TestEnvironment {

void isolate();

// The temporary home made by isolate().
QString home();

// The folder that holds the built programs (vellumin, quirelet, ...).
QString binDir();

} // namespace TestEnvironment

// Drop-in for QTEST_MAIN / QTEST_GUILESS_MAIN / QTEST_WIDGETS_MAIN that
// isolates the process first.
#define VL_TEST_MAIN_IMPL(TestObject, AppClass)                                                    \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestEnvironment::isolate();                                                                \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define VL_TEST_GUILESS_MAIN(TestObject)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestEnvironment::isolate();                                                                \
        QCoreApplication app(argc, argv);                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define VL_TEST_GUI_MAIN(TestObject) VL_TEST_MAIN_IMPL(TestObject, QGuiApplication)
#define VL_TEST_WIDGETS_MAIN(TestObject) VL_TEST_MAIN_IMPL(TestObject, QApplication)
