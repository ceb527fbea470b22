#include "VLUtils/gui/AboutBox.h"

#include "data/Pictures.h"
#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace vl {

namespace {

constexpr int kIconSize = 32;
constexpr QPoint kIconPos(10, 10);
constexpr QPoint kLabelPos(58, 10);
constexpr int kWidthBeyondLabel = 74;
constexpr int kButtonGap = 15;
constexpr int kButtonWidth = 92;
constexpr int kButtonHeight = 23;
constexpr int kHeightBelowButton = 63;

// The copyright line starts with this.
constexpr QStringView kCopyrightPrefix = u"© ";

// What the window manager adds around a top-level window: outer size minus client size. It is
// zero until a window manager has framed the window, and always zero without one (offscreen,
// a bare X server).
QSize FrameSize(const QWidget *window)
{
    if (!window)
        return {};
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return frame.expandedTo(QSize(0, 0));
}

// The application's main window: the active window, or else the first visible ordinary
// top-level window.
QWidget *MainWindow()
{
    if (QWidget *active = QApplication::activeWindow(); active && !qobject_cast<QDialog *>(active))
        return active->window();
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops)
        if (w->isVisible() && w->windowType() == Qt::Window && !qobject_cast<QDialog *>(w))
            return w;
    return nullptr;
}

// The dialog sizes itself in outer pixels (frame included). The frame is taken from the main
// window, which the same window manager has framed, and checked again once the dialog itself
// has been framed. Esc presses the button (so the result is the button's), and the button's
// tooltip is kept but never shown.
class AboutDialog : public QDialog
{
public:
    AboutDialog(QWidget *owner, const QString &text) : QDialog(owner)
    {
        setObjectName(QStringLiteral("AboutBox"));
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                       | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
        setWindowTitle(QCoreApplication::translate("AboutBox", "О программе"));
        setWindowModality(Qt::ApplicationModal);

        auto *icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("AboutIcon"));
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        icon->setPixmap(data::MainIcon().pixmap(QSize(kIconSize, kIconSize), devicePixelRatio()));
        icon->setGeometry(QRect(kIconPos, QSize(kIconSize, kIconSize)));

        label_ = new QLabel(this);
        label_->setObjectName(QStringLiteral("AboutLabel"));
        label_->setTextFormat(Qt::PlainText);
        label_->setWordWrap(false);
        label_->setText(LabelText(text));
        label_->setProperty("composedText", text);
        label_->move(kLabelPos);
        label_->adjustSize();

        button_ = new QPushButton(QCoreApplication::translate("AboutBox", "О&К"), this);
        button_->setObjectName(QStringLiteral("OkButton"));
        button_->setToolTip(QCoreApplication::translate("AboutBox", "Закрыть это окно"));
        button_->setDefault(true);
        button_->installEventFilter(this);
        connect(button_, &QPushButton::clicked, this, &QDialog::accept);

        frame_ = FrameSize(owner);
        Arrange();
        Centre(owner);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            button_->click();
            return;
        }
        QDialog::keyPressEvent(event);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button_ && event->type() == QEvent::ToolTip)
            return true;
        return QDialog::eventFilter(watched, event);
    }

    void showEvent(QShowEvent *event) override
    {
        QDialog::showEvent(event);
        // A window manager frames the window after it is mapped; then the real frame is known.
        QTimer::singleShot(0, this, [this] { CheckFrame(); });
        QTimer::singleShot(100, this, [this] { CheckFrame(); });
    }

private:
    // Places the button and sizes the window from the label's size.
    void Arrange()
    {
        const int outerWidth = label_->width() + kWidthBeyondLabel;
        const int buttonTop = label_->y() + label_->height() + kButtonGap;
        button_->setGeometry((outerWidth - kButtonWidth) / 2, buttonTop, kButtonWidth,
                             kButtonHeight);
        outer_ = QSize(outerWidth, buttonTop + kHeightBelowButton);
        setFixedSize(outer_ - frame_);
    }

    // The window's outer rectangle in the middle of the screen.
    void Centre(const QWidget *owner)
    {
        const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - outer_.width()) / 2,
             area.y() + (area.height() - outer_.height()) / 2);
    }

    void CheckFrame()
    {
        const QSize frame = FrameSize(this);
        if (frame == frame_ || frame.isEmpty())
            return;
        frame_ = frame;
        Arrange();
        Centre(this);
    }

    QLabel *label_ = nullptr;
    QPushButton *button_ = nullptr;
    QSize frame_;
    QSize outer_;
};

} // namespace

QString AboutText(const TVersionInfo &info, int fullCount, int namesCount)
{
    // The description is the program's own text in the version data; it shows translated.
    static const char *const description
        = QT_TRANSLATE_NOOP("AboutBox", "Стилизованное переименование файлов");
    const QString shownDescription = info.FileDescription == QString::fromUtf8(description)
                                         ? QCoreApplication::translate("AboutBox", description)
                                         : info.FileDescription;
    return shownDescription + u'\r'
           + QCoreApplication::translate("AboutBox", "Версия %1 (%2/%3 элементов)")
                 .arg(info.FileVersion, QString::number(fullCount), QString::number(namesCount))
           + u"\r\n\n" + kCopyrightPrefix + info.LegalTrademarks + u" (" + info.LegalCopyright
           + u')';
}

QString LabelText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out.append(u'\n');
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

void ShowAboutBox(int fullCount, int namesCount)
{
    TVersionInfo info;
    ReadVersionInfo(info);
    AboutDialog dialog(MainWindow(), AboutText(info, fullCount, namesCount));
    Dialogs::ExecDialog(dialog);
}

} // namespace vl
