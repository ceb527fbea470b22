#include "VLMain/gui/MainForm.h"

#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/NameEditing.h"
#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/UserNames.h"
#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/WindowFont.h"
#include "VLUtils/gui/AboutBox.h"
#include "VLUtils/gui/FolderPicker.h"
#include "platform/core/PlatformError.h"
#include "platform/gui/AppWindow.h"
#include "platform/gui/Dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>
#include <QToolButton>

namespace vl {

namespace {

// Shows the self-check's faults in message boxes: error icon, Yes and No, Yes the default.
class MessageBoxPrompt final : public SelfCheckPrompt
{
public:
    bool Continue(const QString &message) override
    {
        MessageRequest request;
        request.caption = SelfCheckCaption();
        request.text = message;
        request.icon = MessageIcon::Error;
        request.buttons = MessageButtons::YesNo;
        request.defaultAnswer = MessageAnswer::Yes;
        return Dialogs::ShowMessage(request) == MessageAnswer::Yes;
    }
};

// Time between two rounds of message processing in the long loops: often enough for the window
// to repaint and the title to show the progress, rarely enough not to slow large folders down.
constexpr qint64 kProcessIntervalMs = 10;

} // namespace

TMainForm::TMainForm(MainFormOptions options, QWidget *parent) :
    QWidget(parent),
    options_(std::move(options)),
    fs_(options_.fileSystem ? *options_.fileSystem : SystemFileSystem()),
    scanner_(files_, flags_, *this, fs_)
{
    clock_.start();
    setWindowTitle(MainCaption());
    // The font's choice starts the font system, which takes a while and needs nothing else: it
    // runs on a worker thread while FormCreate, which needs no fonts, prepares the dictionaries.
    std::future<QFont> font = StartWindowFont();
    // The dictionaries fill the models of their list controls, which come later.
    fullModel_ = new QStringListModel(this);
    namesModel_ = new QStringListModel(this);
    FormCreate();
    CreateControls(font);
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

QString TMainForm::UserNamesFile() const
{
    return options_.userNamesPath.isEmpty() ? UserNamesPath() : options_.userNamesPath;
}

QString TMainForm::JournalFolderPath() const
{
    return options_.journalFolder.isEmpty() ? JournalFolder() : options_.journalFolder;
}

void TMainForm::RecoverJournals(const QString &onlyFolder)
{
    const RecoveryReport report = RecoverUnfinishedJournals(JournalFolderPath(), fs_, onlyFolder);
    if (const QString summary = report.Summary(); !summary.isEmpty()) {
        MessageRequest request;
        request.caption = RenameCaption();
        request.text = summary;
        request.icon = report.NeedsWarning() ? MessageIcon::Warning : MessageIcon::Information;
        Dialogs::ShowMessage(request);
    }
}

void TMainForm::FormCreate()
{
    // A pass that was cut short (a crash, a kill, a power cut) is finished before anything else.
    RecoverJournals();
    PrepareDictionaries();
    flags_.SetAll();
    windowMenu_ = std::make_unique<WindowMenu>(this);
    windowMenu_->AppendSeparator();
    windowMenu_->AppendItem(QCoreApplication::translate("MainForm", "&О программе"), kCommandAbout);
    InstallMessageHook([this](QObject *receiver, QEvent *event, bool &handled) {
        AppMessage(receiver, event, handled);
    });
    ApplicationTitle::Attach(this, MainCaption());
}

void TMainForm::PrepareDictionaries()
{
    MessageBoxPrompt prompt;
    std::function<void(TDictionaries &)> load;
    if (options_.loadUserNames) {
        const QString path = UserNamesFile();
        load = [path](TDictionaries &d) { LoadUserNames(d, path); };
    }
    try {
        endRequested_ = vl::PrepareDictionaries(dictionaries_, prompt, load);
    } catch (const PlatformError &error) {
        // Start-up runs outside the message loop, whose error report would otherwise show this:
        // report it here and end, leaving the user name file as it was.
        ReportError(error.message());
        endRequested_ = true;
    }
    RefreshDictionaryViews();
}

void TMainForm::RefreshDictionaryViews()
{
    fullModel_->setStringList(dictionaries_.full.Spellings());
    namesModel_->setStringList(dictionaries_.names.Spellings());
}

void TMainForm::AppMessage(QObject *, QEvent *event, bool &handled)
{
    if (event->type() == SystemCommandEvent::EventType()
        && static_cast<SystemCommandEvent *>(event)->command() == kCommandAbout)
        ShowAboutBox(dictionaries_.full.Count(), dictionaries_.names.Count());
    handled = false;
}

bool TMainForm::event(QEvent *event)
{
    if (event->type() == SystemCommandEvent::EventType()) {
        windowMenu_->Perform(static_cast<SystemCommandEvent *>(event)->command());
        return true;
    }
    return QWidget::event(event);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Centred on the screen at first show.
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

void TMainForm::FormShow()
{
    if (options_.arguments.isEmpty() || options_.arguments.first().isEmpty()) {
        FolderEdit->setFocus();
        return;
    }
    QString folder = options_.arguments.first();
    if (!QDir::isAbsolutePath(folder)) {
        folder = WithSeparator(QDir::currentPath()) + folder;
        if (ChangeCurrentFolder(folder) == 0)
            folder = QDir::currentPath();
    }
    OpenFolder(folder);
}

void TMainForm::OpenFolder(const QString &folder)
{
    FolderEdit->setText(WithSeparator(folder));
    flags_.SetAll();
    ScanFolder(FolderEdit->text());
    FocusAfterScan();
}

void TMainForm::FocusAfterScan()
{
    if (RenameButton->isEnabled())
        RenameButton->setFocus();
    else
        FolderEdit->setFocus();
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PlaceControls();
    FormResize();
}

void TMainForm::FormResize()
{
    // The outer width less the frame: with the original platform's 4-pixel borders that is the
    // client width, which is what the window system here gives the window too.
    ProgressBar->resize(width(), ProgressBar->height());
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

bool TMainForm::FormClose()
{
    try {
        SaveUserNames(dictionaries_, UserNamesFile());
    } catch (const PlatformError &error) {
        ReportError(error.message()); // the window stays open; closing again retries the save
        return false;
    }
    return true;
}

void TMainForm::FormDestroy()
{
    // The hook calls into this window: it goes before the window does.
    InstallMessageHook(nullptr);
    windowMenu_.reset();
}

void TMainForm::EnableControls(bool enabled)
{
    busy_ = !enabled;
    FolderLabel->setEnabled(enabled);
    FolderEdit->setEnabled(enabled);
    FolderSpeedButton->setEnabled(enabled);
    FilesListView->horizontalHeader()->setSectionsClickable(enabled);
    files_.SetCaptionsEditable(enabled);
    if (enabled) {
        RenameButton->setEnabled(!files_.isEmpty());
        FilesListViewClick();
        FilesListView->SetHandlersAttached(true);
    } else {
        RenameButton->setEnabled(false);
        AddButton->setEnabled(false);
        FilesListView->SetHandlersAttached(false);
        FilesListView->CancelEdit();
    }
}

void TMainForm::ScanFolder(const QString &folder)
{
    if (!scanner_.IsScanning())
        RecoverJournals(WithSeparator(folder));
    scanner_.ScanFolder(folder);
}

bool TMainForm::MessagesDue()
{
    return clock_.elapsed() - lastProcessed_ >= kProcessIntervalMs;
}

void TMainForm::ProcessMessages()
{
    lastProcessed_ = clock_.elapsed();
    QCoreApplication::processEvents();
}

void TMainForm::SetAddButtonEnabled(bool enabled)
{
    AddButton->setEnabled(enabled);
}

void TMainForm::SetRenameButtonEnabled(bool enabled)
{
    RenameButton->setEnabled(enabled);
}

void TMainForm::FilesListViewColumnClick(int column)
{
    if (busy_ || !FilesListView->horizontalHeader()->sectionsClickable())
        return;
    SortByColumn(files_, flags_, column);
}

} // namespace vl
