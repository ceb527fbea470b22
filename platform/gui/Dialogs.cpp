#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace vl {

namespace {

struct TestState {
    bool enabled = false;
    QList<MessageAnswer> answers;
    QList<MessageRequest> shown;
    std::function<int(QDialog &)> dialogHook;
    QList<std::optional<QString>> folders;
    QList<Dialogs::PickerRequest> pickerRequests;
};

TestState &State()
{
    static TestState state;
    return state;
}

QMessageBox::Icon ToQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

QWidget *Owner()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops)
        if (w->isVisible() && !w->parentWidget() && !qobject_cast<QDialog *>(w))
            return w;
    return nullptr;
}

} // namespace

MessageAnswer Dialogs::ShowMessage(const MessageRequest &request)
{
    TestState &s = State();
    if (s.enabled) {
        s.shown.append(request);
        return s.answers.isEmpty() ? request.defaultAnswer : s.answers.takeFirst();
    }
    QMessageBox box(ToQt(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    Owner());
    if (request.buttons == MessageButtons::YesNo) {
        QPushButton *yes
            = box.addButton(QCoreApplication::translate("Dialogs", "Да"), QMessageBox::YesRole);
        QPushButton *no
            = box.addButton(QCoreApplication::translate("Dialogs", "Нет"), QMessageBox::NoRole);
        box.setDefaultButton(request.defaultAnswer == MessageAnswer::No ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MessageAnswer::Ok;
}

int Dialogs::ExecDialog(QDialog &dialog)
{
    TestState &s = State();
    if (!s.enabled)
        return dialog.exec();
    dialog.show();
    QCoreApplication::processEvents();
    const int result = s.dialogHook ? s.dialogHook(dialog) : dialog.result();
    dialog.hide();
    return result;
}

std::optional<QString> Dialogs::PickFolder(QWidget *owner, const QString &title,
                                           const QString &start)
{
    TestState &s = State();
    if (s.enabled) {
        s.pickerRequests.append({title, start});
        return s.folders.isEmpty() ? std::nullopt : s.folders.takeFirst();
    }
    // Qt's own picker keeps its history in "QtProject.conf" in the user's configuration folder;
    // the program keeps no settings, so that file is pointed at a folder that cannot exist.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStringLiteral("/proc/vorlant-keeps-no-settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("/proc/vorlant-keeps-no-settings"));
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

void Dialogs::EnableTestMode()
{
    State().enabled = true;
}

bool Dialogs::IsTestMode()
{
    return State().enabled;
}

void Dialogs::QueueAnswer(MessageAnswer answer)
{
    State().answers.append(answer);
}

QList<MessageRequest> Dialogs::TakeShownMessages()
{
    return std::exchange(State().shown, {});
}

void Dialogs::SetDialogHook(std::function<int(QDialog &)> hook)
{
    State().dialogHook = std::move(hook);
}

void Dialogs::QueueFolder(std::optional<QString> folder)
{
    State().folders.append(std::move(folder));
}

QList<Dialogs::PickerRequest> Dialogs::TakePickerRequests()
{
    return std::exchange(State().pickerRequests, {});
}

} // namespace vl
