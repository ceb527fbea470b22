#pragma once

// Every modal dialog of the program opens through this layer: message boxes, the folder picker
// and modal windows such as the About window. In test mode nothing blocks: message boxes take
// queued answers (or their default), the picker takes a queued folder (or cancels), and a modal
// window is shown, handed to a hook, and closed.

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace vl {

enum class MessageIcon { Error, Warning, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

class Dialogs
{
public:
    // A modal message box owned by the application's main window.
    static MessageAnswer ShowMessage(const MessageRequest &request);
    // Runs a modal dialog and returns its result.
    static int ExecDialog(QDialog &dialog);
    // The folder picker: directories only, opening on start. The chosen folder, or nothing when
    // the user cancelled.
    static std::optional<QString> PickFolder(QWidget *owner, const QString &title,
                                             const QString &start);

    // Test seam.
    static void EnableTestMode();
    static bool IsTestMode();
    static void QueueAnswer(MessageAnswer answer);
    static QList<MessageRequest> TakeShownMessages();
    // Called with each modal dialog (already shown) instead of its modal loop; returns its result.
    static void SetDialogHook(std::function<int(QDialog &)> hook);
    // The next answer of the picker, and what the last pickers were asked.
    static void QueueFolder(std::optional<QString> folder);
    struct PickerRequest {
        QString title;
        QString start;
    };
    static QList<PickerRequest> TakePickerRequests();
};

} // namespace vl
