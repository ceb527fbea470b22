#pragma once

// The program's main window: the folder, the two command buttons, the file list and the progress
// bar. The work itself is done by the logic libraries; the window wires the controls to it.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileListModel.h"
#include "VLMain/core/FolderScan.h"
#include "VLMain/core/RenamePass.h"
#include "VLMain/core/SpellingSuggestion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <array>
#include <future>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QStringListModel;
class QTableView;
class QToolButton;

namespace vl {

class FileSystem;
class FilesListViewWidget;
class WindowMenu;

inline QString MainCaption()
{
    return QCoreApplication::translate("MainForm", "Стилизованное переименование файлов");
}
inline QString ProgramTitle()
{
    return QCoreApplication::translate("MainForm", "Ворлант");
}

// What the window needs from outside: the command-line folder, the file system, where the user
// name file lives. Tests fill it in; the program entry uses the defaults.
struct MainFormOptions {
    QStringList arguments; // without the program name
    FileSystem *fileSystem = nullptr; // the system's own when null
    QString userNamesPath; // the default location when empty
    QString journalFolder; // the rename journals' folder; the default when empty
    bool loadUserNames = true;
};

class TMainForm : public QWidget, private ScanHooks
{
    Q_OBJECT

public:
    explicit TMainForm(MainFormOptions options = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // True when start-up found a fault and the program must end.
    bool EndRequested() const { return endRequested_; }

    // The controls, named as the window's layout names them.
    QLabel *FolderLabel = nullptr;
    QLineEdit *FolderEdit = nullptr;
    QToolButton *FolderSpeedButton = nullptr;
    QFrame *TopBevel = nullptr;
    QPushButton *RenameButton = nullptr;
    QPushButton *AddButton = nullptr;
    FilesListViewWidget *FilesListView = nullptr;
    QListView *FullListBox = nullptr;
    QListView *NamesListBox = nullptr;
    QStatusBar *StatusBar = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QMenu *CheckPopupMenu = nullptr;
    QAction *CheckAllMenuItem = nullptr;
    QAction *UncheckAllMenuItem = nullptr;
    QAction *AcceptSuggestionsMenuItem = nullptr;

    FileListModel &Files() { return files_; }
    TDictionaries &Dictionaries() { return dictionaries_; }
    SortFlags &Flags() { return flags_; }
    WindowMenu &SystemMenu() { return *windowMenu_; }

    // The window's two states: idle (true) and busy (false).
    void EnableControls(bool enabled);
    void ScanFolder(const QString &folder);

    // The long loops (scan, rename pass) let the waiting messages through when they are due:
    // often enough for the window to repaint and the title to show the progress.
    bool MessagesDue() override;
    void ProcessMessages() override;

    // Handlers.
    void RenameButtonClick();
    void AddButtonClick();
    void FolderSpeedButtonClick();
    void FilesListViewClick();
    void FilesListViewColumnClick(int column);
    void FilesListViewEdited(int row, const QString &text);
    bool FilesListViewKeyDown(int key, Qt::KeyboardModifiers shift);
    bool FolderEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void CheckAllMenuItemClick();
    void UncheckAllMenuItemClick();
    void AcceptSuggestionsMenuItemClick();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormResize();
    bool FormClose();
    void FormDestroy();
    void PrepareDictionaries();
    void AppMessage(QObject *receiver, QEvent *event, bool &handled);
    // Waits for the window font only after the work that needs no font.
    void CreateControls(std::future<QFont> &font);
    void PlaceControls();
    void RefreshDictionaryViews();
    QString UserNamesFile() const;
    QString JournalFolderPath() const;
    // Shows and lists a folder chosen on the command line or in the picker, all flags set.
    void OpenFolder(const QString &folder);
    // The focus after a scan that a command started: the rename button when there is work.
    void FocusAfterScan();
    // Finishes what an interrupted pass left (all folders, or one), and tells the user.
    void RecoverJournals(const QString &onlyFolder = {});

    // ScanHooks
    void SetAddButtonEnabled(bool enabled) override;
    void SetRenameButtonEnabled(bool enabled) override;

    MainFormOptions options_;
    FileSystem &fs_;
    TDictionaries dictionaries_;
    SpellingSuggester suggester_ {dictionaries_};
    FileListModel files_;
    SortFlags flags_;
    FolderScanner scanner_;
    std::unique_ptr<WindowMenu> windowMenu_;
    QStringListModel *fullModel_ = nullptr;
    QStringListModel *namesModel_ = nullptr;
    bool endRequested_ = false;
    bool shown_ = false;
    bool busy_ = false;
    QElapsedTimer clock_;
    qint64 lastProcessed_ = -1000;
};

} // namespace vl
