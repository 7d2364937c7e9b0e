// Draws the widget kit with the application style sheet into PNG files:
// each dialog, each styled button in its five states, the tab strip, the
// small controls, the loading indicator, the reading tool bar's signs on the
// three reading grounds, and a sheet of every embedded image.

#include "widgets/button.h"
#include "widgets/buttondescription.h"
#include "widgets/colorpicker.h"
#include "widgets/elidedlabel.h"
#include "widgets/loaderbox.h"
#include "widgets/messagepassword.h"
#include "widgets/messageview.h"
#include "widgets/progressbar.h"
#include "widgets/progressdialog.h"
#include "widgets/shapebutton.h"
#include "widgets/splashscreen.h"
#include "widgets/startview.h"
#include "widgets/stylesheet.h"
#include "widgets/tabbutton.h"
#include "widgets/tabwidget.h"
#include "widgets/windowbar.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString g_folder;
int g_written = 0;
bool g_ok = true;

void save(const QString &name, const QImage &image)
{
    const QString path = g_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path)) {
        std::fprintf(stderr, "gallery: can not write %s\n", qPrintable(path));
        g_ok = false;
        return;
    }
    ++g_written;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Shows a top-level widget off screen, lets it lay itself out and grabs it,
// with the mouse resting on `hovered` when given.
QImage shoot(QWidget *widget, QWidget *hovered = nullptr)
{
    widget->show();
    settle();
    if (hovered) {
        // A button with hover rules tracks the mouse: it takes its hover
        // state from the last mouse move, not only from the under-mouse flag.
        hovered->setAttribute(Qt::WA_UnderMouse, true);
        QMouseEvent move(QEvent::MouseMove, hovered->rect().center(), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(hovered, &move);
        settle();
    }
    const QImage image = widget->grab().toImage();
    widget->hide();
    return image;
}

// A top-level image with a light chequer under a transparent picture, so
// shadows and translucent corners stay visible.
QImage onGround(const QImage &picture, const QColor &ground = QColor(0xE9, 0xE6, 0xE0))
{
    QImage image(picture.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    painter.drawImage(0, 0, picture);
    return image;
}

struct Labelled
{
    QString label;
    QImage image;
};

// Pictures in one row (or a grid), each with its caption underneath.
QImage sheet(const QString &title, const QList<Labelled> &items, int columns,
             const QColor &ground = QColor(0xFB, 0xF8, 0xF2),
             const QColor &ink = QColor(0x28, 0x28, 0x28))
{
    int cellWidth = 90;
    int cellHeight = 0;
    for (const Labelled &item : items) {
        cellWidth = qMax(cellWidth, item.image.width() + 16);
        cellHeight = qMax(cellHeight, item.image.height());
    }
    cellHeight += 34;
    const int rows = (items.size() + columns - 1) / columns;
    QImage image(columns * cellWidth + 16, rows * cellHeight + 44,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    QFont font = QApplication::font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRect(8, 6, image.width() - 16, 26), Qt::AlignLeft | Qt::AlignVCenter, title);
    font.setBold(false);
    font.setPixelSize(11);
    painter.setFont(font);
    for (int i = 0; i < items.size(); ++i) {
        const int x = 8 + (i % columns) * cellWidth;
        const int y = 38 + (i / columns) * cellHeight;
        const QImage &picture = items.at(i).image;
        painter.drawImage(x + (cellWidth - picture.width()) / 2, y, picture);
        painter.drawText(QRect(x, y + cellHeight - 32, cellWidth, 26),
                         Qt::AlignCenter | Qt::TextWordWrap, items.at(i).label);
    }
    return image;
}

// A button's five states, each drawn inside a host frame that gives it the
// ground it sits on in the program.
void buttonStates(const QString &name, const std::function<QPushButton *(QWidget *)> &make,
                  const QString &hostName, const QSize &hostSize)
{
    const char *const states[] = { "normal", "hover", "pressed", "checked", "disabled" };
    QList<Labelled> items;
    for (int state = 0; state < 5; ++state) {
        auto host = std::make_unique<QFrame>();
        host->setObjectName(hostName);
        host->setFixedSize(hostSize);
        auto *layout = new QHBoxLayout(host.get());
        layout->setContentsMargins(10, 10, 10, 10);
        QPushButton *button = make(host.get());
        layout->addWidget(button, 0, Qt::AlignCenter);
        button->setCheckable(true);
        switch (state) {
        case 2:
            button->setDown(true);
            break;
        case 3:
            button->setChecked(true);
            break;
        case 4:
            button->setEnabled(false);
            break;
        default:
            break;
        }
        items.append({ QLatin1String(states[state]),
                       shoot(host.get(), state == 1 || state == 2 ? button : nullptr) });
    }
    save(QStringLiteral("button_") + name, sheet(name, items, 5));
}

template<typename T>
std::function<QPushButton *(QWidget *)> maker(const char *objectName, const QString &text,
                                              const QSize &fixed = QSize())
{
    return [=](QWidget *parent) {
        auto *button = new T(parent);
        button->setObjectName(QLatin1String(objectName));
        button->setText(text);
        if (fixed.isValid())
            button->setFixedSize(fixed);
        return button;
    };
}

// A dialog button as the dialogs make it: 42 pixels high, at least
// `minimumWidth` wide.
template<typename T>
std::function<QPushButton *(QWidget *)> dialogButton(const char *objectName, const char *text,
                                                     int minimumWidth)
{
    return [=](QWidget *parent) {
        auto *button = new T(parent);
        button->setObjectName(QLatin1String(objectName));
        button->setText(QLatin1String(text));
        button->setFixedHeight(42);
        button->setMinimumWidth(minimumWidth);
        return button;
    };
}

void buttons()
{
    const QString progress = QStringLiteral("progressView");
    const QString password = QStringLiteral("messagePassword");
    buttonStates(QStringLiteral("buttonOk"),
                 maker<Button>("buttonOk", QStringLiteral("OK"), QSize(100, 42)), progress,
                 QSize(160, 70));
    buttonStates(QStringLiteral("buttonCancel"),
                 dialogButton<QPushButton>("buttonCancel", "CANCEL", 75), progress, QSize(160, 70));
    buttonStates(QStringLiteral("buttonBackground"),
                 dialogButton<QPushButton>("buttonBackground", "BACKGROUND", 75), progress,
                 QSize(180, 70));
    buttonStates(QStringLiteral("buttonSkip"), dialogButton<Button>("buttonSkip", "SKIP ALL", 100),
                 password, QSize(160, 70));
    buttonStates(QStringLiteral("buttonMessageCancel"),
                 dialogButton<QPushButton>("buttonMessageCancel", "CANCEL", 100), password,
                 QSize(160, 70));
    buttonStates(
            QStringLiteral("buttonBigAddBook"),
            [](QWidget *parent) {
                auto *button = new Button(parent);
                button->setObjectName(QStringLiteral("buttonBigAddBook"));
                button->setText(QStringLiteral("Add book to your library to start reading"));
                button->setFixedHeight(46);
                return button;
            },
            QStringLiteral("mainView"), QSize(720, 70));
    const char *const tools[][2] = {
        { "buttonLibrary", "Library" },
        { "buttonAddBook", "Add book" },
        { "buttonAddFolder", "Add folder" },
        { "buttonContents", "Contents" },
        { "buttonNotes", "Notes (3)" },
        { "buttonBack", "Back" },
        { "buttonPrint", "Print" },
        { "buttonHelp", "Help" },
        { "buttonSettings", "Settings" },
        { "buttonNavigateToSite", "morvasco.com" },
        { "buttonImport", "Import" },
        { "buttonExport", "Export" },
        { "buttonClearLibrary", "Clear library" },
        { "buttonSwitchShelfView", "Bookshelf" },
    };
    for (const auto &tool : tools)
        buttonStates(QLatin1String(tool[0]), maker<Button>(tool[0], QLatin1String(tool[1])),
                     QStringLiteral("mainView"), QSize(170, 56));
    buttonStates(
            QStringLiteral("buttonContinueReading"),
            [](QWidget *parent) {
                auto *button = new ButtonDescription(parent);
                button->setObjectName(QStringLiteral("buttonContinueReading"));
                button->setDescription(QStringLiteral("Continue reading"));
                button->setText(QStringLiteral("A Tale of Two Cities"));
                button->setFixedWidth(330);
                return button;
            },
            QStringLiteral("mainView"), QSize(360, 60));
    const char *const left[][2] = {
        { "buttonAll", "All books (12)" },           { "buttonRecentlyRead", "Recently read" },
        { "buttonFavorites", "Favorites" },          { "buttonFormats", "Formats" },
        { "buttonFormatsExpanded", "Formats" },      { "buttonFormat", "EPUB (7)" },
        { "buttonLeftSideAdd", "Add new category" },
    };
    for (const auto &entry : left)
        buttonStates(
                QLatin1String(entry[0]),
                [entry](QWidget *parent) {
                    auto *button = new Button(parent);
                    button->setObjectName(QLatin1String(entry[0]));
                    button->setText(QLatin1String(entry[1]));
                    button->setFixedWidth(180);
                    return button;
                },
                QStringLiteral("boxLeftSide"), QSize(200, 50));
    const char *const tabs[][2]
            = { { "buttonTabSystem", "System" }, { "buttonTabToc", "Contents" } };
    for (const auto &tab : tabs)
        buttonStates(QLatin1String(tab[0]), maker<TabButton>(tab[0], QLatin1String(tab[1])),
                     QStringLiteral("settingsViewContent"), QSize(160, 56));
    // The title bar's buttons at the sizes the bar gives them.
    const struct
    {
        const char *name;
        QSize size;
    } window[] = { { "windowMinimize", QSize(26, 19) },
                   { "windowMaximize", QSize(25, 19) },
                   { "windowClose", QSize(45, 19) },
                   { "buttonCloseSettings", QSize(31, 19) },
                   { "buttonNavigateBack", QSize(30, 30) } };
    for (const auto &entry : window)
        buttonStates(
                QLatin1String(entry.name),
                [entry](QWidget *parent) {
                    auto *button = new Button(parent);
                    button->setObjectName(QLatin1String(entry.name));
                    button->setFixedSize(entry.size);
                    button->setIconSize(entry.size);
                    return button;
                },
                QStringLiteral("mainView"), QSize(90, 50));
}

void dialogs()
{
    {
        MessageView box(QStringLiteral("Vellumin"),
                        QStringLiteral("The book was added to your library."), nullptr);
        save(QStringLiteral("dialog_messageview"), onGround(shoot(&box)));
    }
    {
        MessageView box(QStringLiteral("Delete book"),
                        QStringLiteral("Do you really want to delete \"A Tale of Two Cities\" from "
                                       "your library? Its notes and bookmarks go with it."),
                        nullptr);
        auto *cancel = new QPushButton(QStringLiteral("CANCEL"));
        cancel->setObjectName(QStringLiteral("buttonCancel"));
        cancel->setFixedHeight(42);
        cancel->setMinimumWidth(100);
        box.addButton(cancel, QDialogButtonBox::RejectRole);
        save(QStringLiteral("dialog_messageview_confirm"), onGround(shoot(&box)));
    }
    {
        std::unique_ptr<MessageView> box(
                MessageView::create(QStringLiteral("Can not open file"),
                                    QStringLiteral("The password is incorrect"), nullptr));
        save(QStringLiteral("dialog_messageview_small"), onGround(shoot(box.get())));
    }
    {
        MessagePassword dialog;
        save(QStringLiteral("dialog_password"), onGround(shoot(&dialog)));
    }
    {
        MessagePassword dialog;
        dialog.setSkipVisible(true);
        dialog.setSkipAllVisible(true);
        dialog.setMessage(QStringLiteral("\"report.pdf\" is protected."));
        save(QStringLiteral("dialog_password_skip"), onGround(shoot(&dialog)));
    }
    {
        ProgressDialog dialog;
        dialog.setTitle(QStringLiteral("Add books"));
        dialog.setBackgroundButtonVisible(true);
        dialog.setMessage(QStringLiteral("Adding \"Moby Dick.epub\""));
        dialog.setProgressChanged(9, 20);
        dialog.show();
        settle();
        dialog.onUpdateView();
        save(QStringLiteral("dialog_progress"), onGround(shoot(&dialog)));
    }
    {
        SplashScreen splash(QIcon(QStringLiteral(":/style/images/splash.png")).pixmap(372, 186));
        splash.setVersionText(QStringLiteral("5.0.7"));
        splash.show();
        splash.setMessage(QStringLiteral("Loading..."), Qt::white);
        save(QStringLiteral("splash"), shoot(&splash));
    }
    {
        QFrame window;
        window.setObjectName(QStringLiteral("mainView"));
        window.setProperty("theStartView", true);
        window.resize(900, 500);
        auto *layout = new QVBoxLayout(&window);
        auto *bar = new WindowBar(&window);
        bar->setTitle(QStringLiteral("Vellumin"));
        layout->addWidget(bar);
        layout->addWidget(new StartView(&window), 1);
        save(QStringLiteral("startview"), shoot(&window));
    }
}

void bars()
{
    for (bool maximized : { false, true }) {
        QFrame window;
        window.setObjectName(QStringLiteral("mainView"));
        window.resize(600, 40);
        auto *layout = new QVBoxLayout(&window);
        auto *bar = new WindowBar(&window);
        bar->setTitle(QStringLiteral("A Tale of Two Cities - Vellumin"));
        bar->setMaximized(maximized);
        layout->addWidget(bar);
        save(maximized ? QStringLiteral("windowbar_maximized") : QStringLiteral("windowbar"),
             shoot(&window));
    }
    {
        QFrame window;
        window.setObjectName(QStringLiteral("mainView"));
        window.resize(300, 40);
        auto *layout = new QVBoxLayout(&window);
        auto *bar = new WindowBar(&window);
        bar->setTitle(QStringLiteral("Enter password"));
        bar->setMinimizeVisible(false);
        bar->setMaximizeVisible(false);
        layout->addWidget(bar);
        save(QStringLiteral("windowbar_dialog"), shoot(&window));
    }
    {
        QFrame panel;
        panel.setObjectName(QStringLiteral("settingsViewContent"));
        panel.resize(520, 220);
        auto *layout = new QVBoxLayout(&panel);
        auto *tabs = new TabWidget(&panel);
        const char *const names[][2]
                = { { "buttonTabSystem", "System" }, { "buttonTabProfiles", "Profiles" } };
        for (int i = 0; i < 2; ++i) {
            auto *page = new QFrame;
            page->setObjectName(QStringLiteral("settingBox"));
            auto *pageLayout = new QVBoxLayout(page);
            pageLayout->addWidget(new QLabel(QStringLiteral("Page %1 of the settings").arg(i + 1)));
            pageLayout->addStretch();
            auto *button = new TabButton;
            button->setObjectName(QLatin1String(names[i][0]));
            button->setText(QLatin1String(names[i][1]));
            tabs->insertTab(page, i, button);
        }
        tabs->setCurrentIndex(1);
        layout->addWidget(tabs);
        save(QStringLiteral("tabwidget"), shoot(&panel));
    }
    {
        QFrame panel;
        panel.setObjectName(QStringLiteral("settingsViewContent"));
        panel.resize(560, 130);
        auto *layout = new QHBoxLayout(&panel);
        layout->addWidget(new ColorPicker(QColor(0x41, 0x2C, 0x1A), &panel));
        layout->addWidget(new ColorPicker(QColor(0xF0, 0xE8, 0xD1), &panel));
        for (const QColor &color : { QColor(243, 162, 162), QColor(243, 227, 162),
                                     QColor(177, 243, 164), QColor(174, 217, 241) }) {
            auto *shape = new ShapeButton(color, &panel);
            shape->setFixedSize(22, 22);
            layout->addWidget(shape);
        }
        auto *label = new ElidedLabel(
                QStringLiteral("A long description that does not fit into the two lines this "
                               "label has, so its last visible line ends in an ellipsis."),
                &panel);
        label->setFixedSize(220, 36);
        layout->addWidget(label);
        auto *bar = new ProgressBar(&panel);
        bar->setRange(0, 100);
        bar->setValue(50);
        bar->setFixedWidth(120);
        layout->addWidget(bar);
        save(QStringLiteral("smallcontrols"), shoot(&panel));
    }
    {
        QList<Labelled> frames;
        LoaderBox box;
        for (int i = 0; i < box.frameCount(); ++i) {
            frames.append({ QStringLiteral("frame %1").arg(box.frameIndex() + 1),
                            box.currentFrame().toImage() });
            box.nextFrame();
        }
        for (const QColor &ground :
             { QColor(0xFF, 0xFF, 0xFF), QColor(0x0F, 0x15, 0x36), QColor(0x29, 0x15, 0x03) }) {
            QList<Labelled> onIt;
            for (const Labelled &frame : frames)
                onIt.append({ frame.label, onGround(frame.image, ground) });
            save(QStringLiteral("loaderbox_%1").arg(ground.name().mid(1)),
                 sheet(QStringLiteral("LoaderBox on %1").arg(ground.name()), onIt, 12, ground,
                       ground.lightness() > 128 ? QColor(0x28, 0x28, 0x28)
                                                : QColor(0xF0, 0xF0, 0xF0)));
        }
    }
}

// The reading tool bar's signs as the style sheet binds them, on the work
// ground of each profile that uses that theme.
void readingToolBar()
{
    const char *const names[] = { "FullScreen",
                                  "Content",
                                  "Bookmark",
                                  "Notes",
                                  "IncreaseFont",
                                  "DecreaseFont",
                                  "IncreaseSpacing",
                                  "DecreaseSpacing",
                                  "SwitchView_column",
                                  "SwitchView_table",
                                  "SwitchPartDay",
                                  "Search",
                                  "ZoomIn",
                                  "ZoomOut",
                                  "FitSize",
                                  "Original" };
    struct Ground
    {
        const char *theme;
        const char *label;
        QColor color;
    };
    const Ground grounds[] = { { "day", "day", QColor(0xFF, 0xFF, 0xFF) },
                               { "day", "night", QColor(0x0F, 0x15, 0x36) },
                               { "sepia", "sepia", QColor(0x29, 0x15, 0x03) } };
    for (const Ground &ground : grounds) {
        for (const char *size : { "small", "big" }) {
            QList<Labelled> items;
            for (const char *name : names) {
                QString objectName = QStringLiteral("button%1_%2_%3")
                                             .arg(QLatin1String(name), QLatin1String(ground.theme),
                                                  QLatin1String(size));
                if (QLatin1String(name) == QLatin1String("SwitchPartDay"))
                    objectName = QStringLiteral("buttonSwitchPartDay_%1_day_%2")
                                         .arg(QLatin1String(ground.theme), QLatin1String(size));
                for (int state = 0; state < 3; ++state) {
                    auto host = std::make_unique<QFrame>();
                    host->setStyleSheet(
                            QStringLiteral("QFrame { background: %1; }").arg(ground.color.name()));
                    auto *layout = new QHBoxLayout(host.get());
                    layout->setContentsMargins(6, 6, 6, 6);
                    auto *button = new Button(host.get());
                    button->setObjectName(objectName);
                    const int side = QLatin1String(size) == QLatin1String("big") ? 30 : 16;
                    button->setFixedSize(side, side);
                    button->setIconSize(QSize(side, side));
                    if (state == 2)
                        button->setDown(true);
                    layout->addWidget(button);
                    const char *const stateNames[] = { "", " hover", " pressed" };
                    items.append({ QLatin1String(name) + QLatin1String(stateNames[state]),
                                   shoot(host.get(), state > 0 ? button : nullptr) });
                }
            }
            save(QStringLiteral("readtoolbar_%1_%2")
                         .arg(QLatin1String(ground.label), QLatin1String(size)),
                 sheet(QStringLiteral("Reading tool bar, %1 profile, %2")
                               .arg(QLatin1String(ground.label), QLatin1String(size)),
                       items, 12, ground.color,
                       ground.color.lightness() > 128 ? QColor(0x28, 0x28, 0x28)
                                                      : QColor(0xF0, 0xF0, 0xF0)));
        }
    }
}

// Every embedded image, enlarged where small, with its name.
void imageSheet()
{
    QStringList names;
    QDirIterator it(QStringLiteral(":/style/images"));
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    names.sort(Qt::CaseInsensitive);
    QList<Labelled> items;
    for (const QString &name : qAsConst(names)) {
        QImage image(QStringLiteral(":/style/images/") + name);
        if (image.isNull()) {
            std::fprintf(stderr, "gallery: can not read image %s\n", qPrintable(name));
            g_ok = false;
            continue;
        }
        if (image.width() > 120 || image.height() > 90)
            image = image.scaled(120, 90, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        else if (image.width() <= 24 && image.height() <= 24)
            image = image.scaled(image.size() * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        items.append({ name, onGround(image, QColor(0xD8, 0xD4, 0xCC)) });
    }
    const int perSheet = 96;
    for (int start = 0, page = 1; start < items.size(); start += perSheet, ++page)
        save(QStringLiteral("images_%1").arg(page),
             sheet(QStringLiteral("Embedded images (%1 of %2)")
                           .arg(page)
                           .arg((items.size() + perSheet - 1) / perSheet),
                   items.mid(start, perSheet), 12));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: vellumin-gallery OUT_FOLDER\n");
        return 2;
    }
    g_folder = QDir(arguments.at(1)).absolutePath();
    if (!QDir().mkpath(g_folder)) {
        std::fprintf(stderr, "gallery: can not make %s\n", qPrintable(g_folder));
        return 1;
    }

    reloadStyleSheet();
    buttons();
    dialogs();
    bars();
    readingToolBar();
    imageSheet();

    std::printf("%d pictures in %s\n", g_written, qPrintable(g_folder));
    return g_ok ? 0 : 1;
}
