#include "platform/gui/AppWindow.h"

#include "VLUtils/core/Collation.h"
#include "platform/core/PlatformError.h"
#include "platform/gui/Dialogs.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

namespace vl {

QEvent::Type SystemCommandEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {

struct TitleState {
    QString title;
    QPointer<QWidget> window;
    QString caption;
};

TitleState &Title()
{
    static TitleState state;
    return state;
}

// Watches the attached window's state so that its title follows minimise and restore.
class TitleWatcher : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange)
            ApplicationTitle::Refresh();
        return QObject::eventFilter(watched, event);
    }
};

// Opens the window menu on a right click on the window's own background, and on the menu key or
// Shift+F10 where the focused control has no menu of its own: the key, which no control took,
// asks the focused control for its menu, and the request reaches the window when it has none.
class BackgroundMenuFilter : public QObject
{
public:
    BackgroundMenuFilter(QObject *parent, WindowMenu *menu) : QObject(parent), menu_(menu) { }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ContextMenu) {
            menu_->PopupAt(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers mods
                = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if ((key->key() == Qt::Key_Menu && mods == Qt::NoModifier)
                || (key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
                QWidget *window = static_cast<QWidget *>(watched);
                QWidget *target = window->focusWidget();
                if (!target)
                    target = window;
                const QPoint at = target == window ? QPoint(0, 0) : target->rect().center();
                QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
                QCoreApplication::sendEvent(target, &request);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    WindowMenu *menu_;
};

// Routes every event through the hook; the application object installs it as an event filter.
class HookFilter : public QObject
{
public:
    explicit HookFilter(MessageHook hook) : hook_(std::move(hook)) { }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        bool handled = false;
        hook_(watched, event, handled);
        return handled;
    }

private:
    MessageHook hook_;
};

} // namespace

void ApplicationTitle::Set(const QString &title)
{
    if (Title().title == title)
        return; // a pass sets the same title for many files in a row
    Title().title = title;
    Refresh();
}

QString ApplicationTitle::Get()
{
    return Title().title;
}

void ApplicationTitle::Attach(QWidget *window, const QString &caption)
{
    TitleState &s = Title();
    s.window = window;
    s.caption = caption;
    window->installEventFilter(new TitleWatcher(window));
    Refresh();
}

void ApplicationTitle::Refresh()
{
    const TitleState &s = Title();
    if (!s.window)
        return;
    if (s.window->isMinimized())
        s.window->setWindowTitle(s.title);
    else if (s.title.isEmpty())
        s.window->setWindowTitle(s.caption);
    else
        s.window->setWindowTitle(s.caption + u" — " + s.title);
}

WindowMenu::WindowMenu(QWidget *window) : window_(window), menu_(new QMenu(window))
{
    menu_->setObjectName(QStringLiteral("WindowMenu"));
    const struct {
        const char *text;
        int command;
    } items[] = {
        {QT_TRANSLATE_NOOP("AppWindow", "&Восстановить"), kCommandRestore},
        {QT_TRANSLATE_NOOP("AppWindow", "&Переместить"), kCommandMove},
        {QT_TRANSLATE_NOOP("AppWindow", "&Размер"), kCommandSize},
        {QT_TRANSLATE_NOOP("AppWindow", "Све&рнуть"), kCommandMinimize},
        {QT_TRANSLATE_NOOP("AppWindow", "Ра&звернуть"), kCommandMaximize},
    };
    for (const auto &item : items)
        AppendItem(QCoreApplication::translate("AppWindow", item.text), item.command);
    AppendSeparator();
    AppendItem(QCoreApplication::translate("AppWindow", "&Закрыть"), kCommandClose);
    menu_->actions().constLast()->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    menu_->actions().constLast()->setShortcutVisibleInContextMenu(true);
    QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this] {
        const bool minimized = window_->isMinimized();
        const bool maximized = window_->isMaximized();
        const QList<QAction *> actions = menu_->actions();
        for (QAction *a : actions) {
            const int command = a->data().toInt();
            if (command == kCommandRestore)
                a->setEnabled(minimized || maximized);
            else if (command == kCommandMove || command == kCommandSize)
                a->setEnabled(!maximized && !minimized);
            else if (command == kCommandMaximize)
                a->setEnabled(!maximized);
            else if (command == kCommandMinimize)
                a->setEnabled(!minimized);
        }
    });
    auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), window);
    QObject::connect(shortcut, &QShortcut::activated, menu_, [this] { Popup(); });
    window->installEventFilter(new BackgroundMenuFilter(window, this));
}

WindowMenu::~WindowMenu() = default;

void WindowMenu::AppendSeparator()
{
    menu_->addSeparator();
}

void WindowMenu::AppendItem(const QString &text, int command)
{
    QAction *action = menu_->addAction(text);
    action->setData(command);
    QPointer<QWidget> window = window_;
    QObject::connect(action, &QAction::triggered, menu_, [window, command] {
        if (window)
            QCoreApplication::postEvent(window, new SystemCommandEvent(command));
    });
}

void WindowMenu::Popup()
{
    PopupAt(window_->mapToGlobal(QPoint(0, 0)));
}

void WindowMenu::PopupAt(const QPoint &globalPos)
{
    menu_->popup(globalPos);
}

bool WindowMenu::Perform(int command)
{
    QWindow *handle = window_->windowHandle();
    switch (command) {
    case kCommandRestore:
        window_->showNormal();
        return true;
    case kCommandMove:
        if (handle)
            handle->startSystemMove();
        return true;
    case kCommandSize:
        if (handle)
            handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        return true;
    case kCommandMinimize:
        window_->showMinimized();
        return true;
    case kCommandMaximize:
        window_->showMaximized();
        return true;
    case kCommandClose:
        window_->close();
        return true;
    default:
        return false;
    }
}

VorlantApplication::VorlantApplication(int &argc, char **argv) : QApplication(argc, argv) { }

bool VorlantApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const PlatformError &error) {
        ReportError(error.message());
    } catch (const std::exception &error) {
        ReportError(QString::fromUtf8(error.what()));
    }
    return false;
}

bool LoadToolkitTranslation()
{
    static QTranslator *translator = nullptr;
    if (translator)
        return true;
    auto *loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

void InstallMessageHook(MessageHook hook)
{
    static HookFilter *installed = nullptr;
    if (installed) {
        QCoreApplication::instance()->removeEventFilter(installed);
        delete installed;
        installed = nullptr;
    }
    if (!hook)
        return;
    installed = new HookFilter(std::move(hook));
    QCoreApplication::instance()->installEventFilter(installed);
}

QString ErrorReportText(const QString &message)
{
    if (!message.isEmpty() && CompareNames(message.right(1), u".") > 0)
        return message + u'.';
    return message;
}

void ReportError(const QString &message)
{
    MessageRequest request;
    request.caption = ApplicationTitle::Get();
    request.text = ErrorReportText(message);
    request.icon = MessageIcon::Error;
    request.buttons = MessageButtons::Ok;
    Dialogs::ShowMessage(request);
}

} // namespace vl
