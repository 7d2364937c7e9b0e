#include "standalone/gfx/cinputbox.h"

#include "standalone/util/prompts.h"
#include "standalone/web/constants.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace divad {

namespace {

    // The windows of the running box; there is only ever one.
    struct RunningState
    {
        QPointer<QWidget> box;
        QLineEdit *input = nullptr;
        QPushButton *ok = nullptr;
        QPushButton *cancel = nullptr;
        QEventLoop *loop = nullptr;
        bool confirmed = false;
        QString text;
    };

    RunningState *&running()
    {
        static RunningState *state = nullptr;
        return state;
    }

    // Watches every key press of the program while a box runs.
    class KeyWatcher : public QObject
    {
    public:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            RunningState *state = running();
            if (!state || event->type() != QEvent::KeyPress)
                return QObject::eventFilter(watched, event);
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape) {
                finish(state, false);
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                state->text = state->input->text();
                finish(state, true);
                return true;
            }
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                QWidget *focus = QApplication::focusWidget();
                if (focus == state->input)
                    state->ok->setFocus(Qt::TabFocusReason);
                else if (focus == state->ok)
                    state->cancel->setFocus(Qt::TabFocusReason);
                else
                    state->input->setFocus(Qt::TabFocusReason);
                return true;
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        static void finish(RunningState *state, bool confirmed)
        {
            state->confirmed = confirmed;
            if (state->box)
                state->box->close();
            state->loop->quit();
        }
    };

    void pressKey(QWidget *box, int key)
    {
        if (box)
            QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    }

} // namespace

CInputBox::CInputBox(QWidget *owner)
    : m_owner(owner)
{
}

CInputBox::~CInputBox() = default;

QWidget *CInputBox::RunningBox()
{
    return running() ? running()->box.data() : nullptr;
}

bool CInputBox::Show(const QString &title, const QString &prompt)
{
    if (running() || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;

    // No parent window: disabling the owner would disable the box with it.
    QWidget *box = new QWidget(nullptr,
                               Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                       | Qt::WindowMaximizeButtonHint
                                       | Qt::WindowCloseButtonHint);
    box->setObjectName(QStringLiteral("InputBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setFixedSize(400, 125);
    QFont font;
    font.setFamilies({ Const::DefaultFontFace, QStringLiteral("WenQuanYi Micro Hei") });
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    box->setFont(font);

    // The prompt keeps to the band above the field; longer prompts are cut
    // at the box's edge rather than drawn under the controls.
    auto *label = new QLabel(QLatin1Char(' ') + prompt, box);
    label->setObjectName(QStringLiteral("prompt"));
    label->setGeometry(0, 0, 400, 35);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *input = new QLineEdit(box);
    input->setObjectName(QStringLiteral("input"));
    input->setGeometry(10, 35, 369, 20);
    auto *ok = new QPushButton(Const::OkAccelText, box);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(200, 65, 90, 25);
    ok->setAutoDefault(false);
    auto *cancel = new QPushButton(Const::CancelAccelText, box);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setGeometry(290, 65, 90, 25);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, box, [box] { pressKey(box, Qt::Key_Return); });
    QObject::connect(cancel, &QPushButton::clicked, box,
                     [box] { pressKey(box, Qt::Key_Escape); });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        box->move((desktop.right() + 1 - 400) / 2, (desktop.bottom() + 1 - 125) / 2);
    }

    QEventLoop loop;
    RunningState state;
    state.box = box;
    state.input = input;
    state.ok = ok;
    state.cancel = cancel;
    state.loop = &loop;
    running() = &state;
    KeyWatcher watcher;
    qApp->installEventFilter(&watcher);
    // Closing the box by its title bar counts as Cancel.
    QObject::connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);

    QWidget *owner = m_owner ? m_owner->window() : nullptr;
    if (owner)
        owner->setEnabled(false);
    box->show();
    box->raise();
    box->activateWindow();
    input->setFocus(Qt::OtherFocusReason);
    loop.exec();

    qApp->removeEventFilter(&watcher);
    running() = nullptr;
    if (state.box)
        state.box->close();
    if (owner) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
    if (state.confirmed)
        m_text = state.text;
    return state.confirmed;
}

void InstallInputBox()
{
    SetInputBoxHandler([](QObject *owner, const QString &title, const QString &prompt,
                          QString *text) {
        CInputBox box(qobject_cast<QWidget *>(owner));
        if (!box.Show(title, prompt))
            return false;
        *text = box.Text();
        return true;
    });
}

} // namespace divad
