// The main window's controls and their places: pixels at 96 dots per inch (Qt scales them by the
// screen's ratio), kept at fixed distances from the edges that each control is anchored to.

#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/MainForm.h"
#include "data/Pictures.h"
#include "platform/gui/AppWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStringListModel>
#include <QToolButton>

namespace vl {

namespace {

// The client size at start and the smallest allowed: the outer 500 × 375 less the frame.
constexpr QSize kClientSize(492, 348);

enum Anchor { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

struct Placement {
    const char *name;
    QRect rect; // at the start size
    int anchors;
};

// Left, top, width, height and anchors of every placed control.
const Placement kPlacements[] = {
    {"FolderLabel", {8, 11, 81, 13}, kLeft | kTop},
    {"FolderEdit", {97, 8, 365, 21}, kLeft | kTop | kRight},
    {"FolderSpeedButton", {463, 8, 21, 21}, kTop | kRight},
    {"TopBevel", {4, 37, 484, 2}, kLeft | kTop | kRight},
    {"RenameButton", {8, 47, 100, 25}, kLeft | kTop},
    {"AddButton", {116, 47, 100, 25}, kLeft | kTop},
    {"FilesListView", {8, 80, 476, 241}, kLeft | kTop | kRight | kBottom},
    {"FullListBox", {16, 107, 185, 86}, kLeft | kBottom},
    {"NamesListBox", {16, 200, 185, 113}, kLeft | kBottom},
};

QRect Anchored(const Placement &p, const QSize &client)
{
    const int dx = client.width() - kClientSize.width();
    const int dy = client.height() - kClientSize.height();
    QRect r = p.rect;
    if (p.anchors & kRight) {
        if (p.anchors & kLeft)
            r.setWidth(r.width() + dx);
        else
            r.moveLeft(r.left() + dx);
    }
    if (p.anchors & kBottom) {
        if (p.anchors & kTop)
            r.setHeight(r.height() + dy);
        else
            r.moveTop(r.top() + dy);
    }
    return r;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &tooltip)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tooltip);
    button->setAutoDefault(true); // Enter presses the focused button, as Space does
    button->setEnabled(false);
    return button;
}

} // namespace

void TMainForm::CreateControls(std::future<QFont> &font)
{
    // The pictures need no font: they are decoded while the font may still be on its way.
    const QIcon mainIcon = data::MainIcon();
    const QIcon folderIcon = data::FolderButtonIcon();
    setObjectName(QStringLiteral("MainForm"));
    setFont(font.get());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setWindowIcon(mainIcon);
    resize(kClientSize);
    setMinimumSize(kClientSize);

    FolderLabel = new QLabel(QCoreApplication::translate("MainForm", "Текущая папка:"), this);
    FolderLabel->setObjectName(QStringLiteral("FolderLabel"));

    FolderEdit = new QLineEdit(this);
    FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
    FolderEdit->setReadOnly(true);
    FolderEdit->installEventFilter(this);

    FolderSpeedButton = new QToolButton(this);
    FolderSpeedButton->setObjectName(QStringLiteral("FolderSpeedButton"));
    FolderSpeedButton->setAutoRaise(true);
    FolderSpeedButton->setFocusPolicy(Qt::NoFocus);
    FolderSpeedButton->setIcon(folderIcon);
    FolderSpeedButton->setIconSize(QSize(16, 16));
    FolderSpeedButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(FolderSpeedButton, &QToolButton::clicked, this, &TMainForm::FolderSpeedButtonClick);

    TopBevel = new QFrame(this);
    TopBevel->setObjectName(QStringLiteral("TopBevel"));
    TopBevel->setFrameShape(QFrame::HLine);
    TopBevel->setFrameShadow(QFrame::Sunken);

    RenameButton = MakeButton(
        this, "RenameButton", QCoreApplication::translate("MainForm", "&Переименовать"),
        QCoreApplication::translate("MainForm", "Переименовать файлы в соответствии со стилем"));
    connect(RenameButton, &QPushButton::clicked, this, &TMainForm::RenameButtonClick);
    AddButton = MakeButton(
        this, "AddButton", QCoreApplication::translate("MainForm", "&Добавить имена"),
        QCoreApplication::translate("MainForm", "Добавить отмеченные имена файлов в базу данных"));
    connect(AddButton, &QPushButton::clicked, this, &TMainForm::AddButtonClick);

    FilesListView = new FilesListViewWidget(this);
    FilesListView->setObjectName(QStringLiteral("FilesListView"));
    FilesListView->setModel(&files_);
    FilesListView->setColumnWidth(FileListModel::kCaptionColumn, 292);
    FilesListView->setColumnWidth(FileListModel::kExtensionColumn, 75);
    FilesListView->setColumnWidth(FileListModel::kStateColumn, 89);
    FilesListView->setContextMenuPolicy(Qt::CustomContextMenu);
    FilesListView->onClick = [this] { FilesListViewClick(); };
    FilesListView->onKeyDown
        = [this](int key, Qt::KeyboardModifiers m) { return FilesListViewKeyDown(key, m); };
    connect(FilesListView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TMainForm::FilesListViewColumnClick);
    files_.SetEditHandler([this](int row, const QString &text) { FilesListViewEdited(row, text); });
    // Every change of a mark, by mouse, Space or the context menu, keeps the add button up to date.
    connect(&files_, &FileListModel::MarksChanged, this, [this] {
        if (!busy_)
            FilesListViewClick();
    });

    CheckPopupMenu = new QMenu(this);
    CheckPopupMenu->setObjectName(QStringLiteral("CheckPopupMenu"));
    CheckAllMenuItem
        = CheckPopupMenu->addAction(QCoreApplication::translate("MainForm", "&Отметить все имена"));
    CheckAllMenuItem->setObjectName(QStringLiteral("CheckAllMenuItem"));
    connect(CheckAllMenuItem, &QAction::triggered, this, &TMainForm::CheckAllMenuItemClick);
    UncheckAllMenuItem
        = CheckPopupMenu->addAction(QCoreApplication::translate("MainForm", "&Снять всю отметку"));
    UncheckAllMenuItem->setObjectName(QStringLiteral("UncheckAllMenuItem"));
    connect(UncheckAllMenuItem, &QAction::triggered, this, &TMainForm::UncheckAllMenuItemClick);
    AcceptSuggestionsMenuItem = CheckPopupMenu->addAction(
        QCoreApplication::translate("MainForm", "&Принять предложенные написания"));
    AcceptSuggestionsMenuItem->setObjectName(QStringLiteral("AcceptSuggestionsMenuItem"));
    connect(AcceptSuggestionsMenuItem, &QAction::triggered, this,
            &TMainForm::AcceptSuggestionsMenuItemClick);
    files_.SetSuggestionSource(
        [this](const FileItem &item) { return suggester_.CaptionFor(item); });
    connect(FilesListView, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (FilesListView->HandlersAttached())
            CheckPopupMenu->popup(FilesListView->viewport()->mapToGlobal(pos));
    });

    // The dictionaries' spellings, in two list controls that are never shown.
    FullListBox = new QListView(this);
    FullListBox->setObjectName(QStringLiteral("FullListBox"));
    FullListBox->setModel(fullModel_);
    NamesListBox = new QListView(this);
    NamesListBox->setObjectName(QStringLiteral("NamesListBox"));
    NamesListBox->setModel(namesModel_);
    for (QListView *box : {FullListBox, NamesListBox}) {
        box->setFocusPolicy(Qt::NoFocus);
        box->hide();
    }

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    ProgressBar = new QProgressBar(StatusBar);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);

    // F1 opens the About window, as the window menu's last item does.
    auto *about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this,
            [this] { QCoreApplication::postEvent(this, new SystemCommandEvent(kCommandAbout)); });

    setTabOrder(FolderEdit, RenameButton);
    setTabOrder(RenameButton, AddButton);
    setTabOrder(AddButton, FilesListView);
    PlaceControls();
}

void TMainForm::PlaceControls()
{
    const QSize client = size();
    for (const Placement &p : kPlacements)
        if (auto *w = findChild<QWidget *>(QString::fromLatin1(p.name), Qt::FindDirectChildrenOnly))
            w->setGeometry(Anchored(p, client));
    StatusBar->setGeometry(0, client.height() - 19, client.width(), 19);
    ProgressBar->setGeometry(0, 2, ProgressBar->width(), 17);
}

} // namespace vl
