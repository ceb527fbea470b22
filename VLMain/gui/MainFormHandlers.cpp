// The main window's handlers for the user's commands: the rename pass, editing and marking
// items, adding names and choosing the folder.

#include "VLMain/core/NameEditing.h"
#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/MainForm.h"
#include "VLUtils/gui/FolderPicker.h"
#include "platform/gui/AppWindow.h"
#include "platform/gui/Dialogs.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QToolButton>

namespace vl {

namespace {

void ShowWarningBox(const QString &text)
{
    MessageRequest request;
    request.caption = RenameCaption();
    request.text = text;
    request.icon = MessageIcon::Warning;
    request.buttons = MessageButtons::Ok;
    Dialogs::ShowMessage(request);
}

// Shows the pass in the window: the progress title, the progress bar, and the waiting messages.
class WindowPassHooks final : public RenamePassHooks
{
public:
    WindowPassHooks(TMainForm *form, QProgressBar *bar) : form_(form), bar_(bar) { }
    void BeforeItem(int done, int, const QString &title) override
    {
        ApplicationTitle::Set(title);
        // The bar is drawn only when messages are let through, so it is moved then: setting it
        // for every file would repaint it for every file. In the minimised window no one sees
        // it, and each move would draw it for nothing; where the window was not minimised, or is
        // restored meanwhile, it moves.
        if (form_->MessagesDue()) {
            if (!form_->isMinimized())
                bar_->setValue(done + 1);
            form_->ProcessMessages();
        }
    }

private:
    TMainForm *form_;
    QProgressBar *bar_;
};

} // namespace

void TMainForm::RenameButtonClick()
{
    if (busy_ || scanner_.IsScanning())
        return;
    const QString folder = WithSeparator(FolderEdit->text());

    EnableControls(false);
    ProgressBar->setRange(0, files_.size());
    ProgressBar->setValue(0);
    const bool wasMaximized = isMaximized();
    showMinimized();
    const QString savedTitle = ApplicationTitle::Get();
    WindowPassHooks hooks(this, ProgressBar);
    RenameOptions renameOptions;
    renameOptions.journalFolder = JournalFolderPath();
    const PassReport report = RenameFiles(folder, files_, dictionaries_, fs_, hooks, renameOptions);
    ApplicationTitle::Set(savedTitle);
    ProgressBar->setValue(0);
    EnableControls(true);
    if (wasMaximized)
        showMaximized();
    else
        showNormal();
    raise();
    activateWindow();

    if (AddButton->isEnabled())
        AddButton->setFocus();
    else
        FolderEdit->setFocus();
    SortMarkedFirst(files_, flags_);
    QString warning = report.failed > 0 ? FailureMessage(report) : report.refusal;
    if (!report.journalError.isEmpty())
        warning += (warning.isEmpty() ? u"" : u"\n\n") + report.journalError;
    if (!warning.isEmpty())
        ShowWarningBox(warning);
}

void TMainForm::FilesListViewEdited(int row, const QString &text)
{
    FileItem item = files_.at(row);
    if (!ApplyCaptionEdit(item, text)) {
        // The warning waits until the editor has closed: a message box shown while it closes
        // would leave the focus to fall wherever the window puts it next. Afterwards the list
        // has the focus again, on the same row.
        const QPersistentModelIndex edited = files_.index(row, 0);
        QMetaObject::invokeMethod(
            this,
            [this, edited] {
                ShowWarningBox(EditRefusedText());
                FilesListView->setFocus(Qt::OtherFocusReason);
                if (edited.isValid())
                    FilesListView->SetCurrentRow(edited.row());
            },
            Qt::QueuedConnection);
        return;
    }
    files_.SetItem(row, std::move(item));
    AddButton->setEnabled(true);
}

bool TMainForm::FilesListViewKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_F2)
        return false;
    FilesListView->EditSelectedCaption();
    return true;
}

void TMainForm::FilesListViewClick()
{
    AddButton->setEnabled(files_.AnyChecked());
}

void TMainForm::CheckAllMenuItemClick()
{
    files_.SetAllChecked(true);
}

void TMainForm::UncheckAllMenuItemClick()
{
    files_.SetAllChecked(false);
}

void TMainForm::AcceptSuggestionsMenuItemClick()
{
    if (busy_)
        return;
    // Each suggestion goes in as the user's own edit of the caption would: the same rule, mark
    // and state, and the add button then adds them.
    for (int row = 0; row < files_.size(); ++row) {
        if (!files_.at(row).checked)
            continue;
        if (const QString caption = suggester_.CaptionFor(files_.at(row)); !caption.isEmpty())
            files_.setData(files_.index(row, FileListModel::kCaptionColumn), caption, Qt::EditRole);
    }
}

void TMainForm::AddButtonClick()
{
    if (busy_)
        return;
    QList<FileItem> items = files_.items();
    const AddReport report = AddMarkedNames(items, dictionaries_);
    QSet<QByteArray> refused;
    for (int row = 0; row < items.size(); ++row) {
        if (items[row].checked)
            refused.insert(items[row].diskName);
        files_.SetItem(row, items[row]);
    }
    RefreshDictionaryViews();
    AddButton->setEnabled(false);
    ScanFolder(FolderEdit->text());
    // Names that were refused stay marked, so that the user sees which ones they were.
    for (int row = 0; row < files_.size() && !refused.isEmpty(); ++row)
        if (refused.contains(files_.at(row).diskName))
            files_.SetChecked(row, true);
    FocusAfterScan();
    if (!report.refused.isEmpty())
        ShowWarningBox(QCoreApplication::translate("MainForm",
                                                   "Эти имена не добавлены, потому что программа "
                                                   "не смогла бы с ними запуститься:\n")
                       + report.refused.join(u'\n'));
}

bool TMainForm::FolderEditKeyDown(int key, Qt::KeyboardModifiers shift)
{
    const Qt::KeyboardModifiers mods
        = shift & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier);
    if ((key == Qt::Key_Down && mods == Qt::AltModifier)
        || (key == Qt::Key_F4 && mods == Qt::NoModifier)) {
        FolderSpeedButton->click();
        return true;
    }
    return false;
}

void TMainForm::FolderSpeedButtonClick()
{
    if (busy_)
        return;
    QString path = FolderEdit->text();
    if (!BrowseForFolder(
            this, QCoreApplication::translate("MainForm", "Выберите для переименования:"), path))
        return;
    OpenFolder(path);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FolderEdit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (FolderEditKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vl
