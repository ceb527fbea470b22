#pragma once

// The application-level window services: the application title, the window menu with its
// system-command events, the application-wide message hook, and the general error report.

#include <QApplication>
#include <QEvent>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

namespace vl {

// Command numbers of the window menu.
enum SystemCommand : int {
    kCommandAbout = 1,
    kCommandSize = 0xF000,
    kCommandMove = 0xF010,
    kCommandMinimize = 0xF020,
    kCommandMaximize = 0xF030,
    kCommandClose = 0xF060,
    kCommandRestore = 0xF120,
};

// A command chosen in the window menu, posted through the application's event queue.
class SystemCommandEvent : public QEvent
{
public:
    static QEvent::Type EventType();
    explicit SystemCommandEvent(int command) : QEvent(EventType()), command_(command) { }
    int command() const { return command_; }

private:
    int command_;
};

// The title of the program's taskbar entry. The desktop shows a window's own title there, so the
// main window shows "caption — application title" while it is on screen, and exactly the
// application title while it is minimised (as during a rename pass).
class ApplicationTitle
{
public:
    static void Set(const QString &title);
    static QString Get();
    // The window whose title shows the application title, and its own caption.
    static void Attach(QWidget *window, const QString &caption);
    // Brings the attached window's title up to date (after minimise or restore).
    static void Refresh();
};

// The window menu: the usual window commands, a separator, and the program's own items. It opens
// on Alt+Space, on a right click on the window's background, and on the menu key or Shift+F10
// where the focused control has no menu of its own.
class WindowMenu
{
public:
    explicit WindowMenu(QWidget *window);
    ~WindowMenu();
    WindowMenu(const WindowMenu &) = delete;
    WindowMenu &operator=(const WindowMenu &) = delete;

    // Appends a separator and then an item that posts the given command.
    void AppendSeparator();
    void AppendItem(const QString &text, int command);
    QMenu *menu() const { return menu_; }
    // Opens the menu at the window's top-left corner, or at the given global position.
    void Popup();
    void PopupAt(const QPoint &globalPos);
    // Carries out the usual window commands for the window; false for any other command.
    bool Perform(int command);

private:
    QWidget *window_;
    QMenu *menu_;
};

// The application-wide message hook: sees every event taken from the queue before it is
// dispatched. Setting handled to true stops its dispatch.
using MessageHook = std::function<void(QObject *receiver, QEvent *event, bool &handled)>;

// The application object: reports errors raised by the platform layer while an event is
// dispatched.
class VorlantApplication : public QApplication
{
    Q_OBJECT

public:
    VorlantApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Installs the toolkit's own Russian translation (of the folder picker, the edit boxes' menus and
// the like), so that they speak the language of the rest of the window. False when the
// translation is not installed; the toolkit's texts then stay English.
bool LoadToolkitTranslation();

// Installs a message hook on whatever application object runs (also a plain QApplication in
// tests); an empty hook removes it.
void InstallMessageHook(MessageHook hook);

// The general error report: a message box with the error icon and one OK button, captioned with
// the application title; a full stop is appended when the message's last character sorts after it.
void ReportError(const QString &message);
QString ErrorReportText(const QString &message);

} // namespace vl
