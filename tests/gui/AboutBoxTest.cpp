#include "VLUtils/gui/AboutBox.h"

#include "platform/gui/Dialogs.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolTip>

namespace vl {
namespace {

using test::U;

// What one opening of the window showed.
struct Shown {
    QString caption;
    QString composedText;
    QString labelText;
    QStringList lines;
    Qt::WindowFlags flags;
    QSize frame;
    QRect iconGeometry;
    QSize pixmapSize;
    QRect labelGeometry;
    QSize labelHint;
    bool wordWrap = true;
    QRect buttonGeometry;
    QString buttonText;
    QString buttonToolTip;
    bool buttonDefault = false;
    QSize outer;
    QPoint outerPos;
    QSize minimumSize;
    QSize maximumSize;
    QWidget *parent = nullptr;
    bool modal = false;
};

class AboutBoxTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Dialogs::SetDialogHook({});
        SetVersionDataSourceForTesting({});
    }

    // Opens the window and records what it shows; then runs `act` on it (by default nothing)
    // and returns the hook's result.
    static Shown Open(int fullCount, int namesCount, const std::function<int(QDialog &)> &act = {})
    {
        Shown s;
        QPointer<QDialog> seen;
        Dialogs::SetDialogHook([&](QDialog &d) {
            seen = &d;
            EXPECT_EQ(d.objectName(), U("AboutBox"));
            auto *label = d.findChild<QLabel *>(QStringLiteral("AboutLabel"));
            auto *icon = d.findChild<QLabel *>(QStringLiteral("AboutIcon"));
            auto *button = d.findChild<QPushButton *>(QStringLiteral("OkButton"));
            EXPECT_TRUE(label && icon && button);
            if (!label || !icon || !button)
                return 0;
            s.caption = d.windowTitle();
            s.composedText = label->property("composedText").toString();
            s.labelText = label->text();
            s.lines = label->text().split(u'\n');
            s.flags = d.windowFlags();
            s.frame = d.frameGeometry().size() - d.geometry().size();
            s.iconGeometry = icon->geometry();
            s.pixmapSize = icon->pixmap().deviceIndependentSize().toSize();
            s.labelGeometry = label->geometry();
            s.labelHint = label->sizeHint();
            s.wordWrap = label->wordWrap();
            s.buttonGeometry = button->geometry();
            s.buttonText = button->text();
            s.buttonToolTip = button->toolTip();
            s.buttonDefault = button->isDefault();
            s.outer = d.frameGeometry().size();
            s.outerPos = d.frameGeometry().topLeft();
            s.minimumSize = d.minimumSize();
            s.maximumSize = d.maximumSize();
            s.parent = d.parentWidget();
            s.modal = QApplication::activeModalWidget() == &d;
            return act ? act(d) : 1;
        });
        ShowAboutBox(fullCount, namesCount);
        EXPECT_TRUE(seen.isNull()) << "the window is destroyed when it closes";
        return s;
    }

    static void UseVersionData(const QByteArray &data)
    {
        SetVersionDataSourceForTesting([data] { return data; });
    }
};

TEST_F(AboutBoxTest, ShowsDescriptionVersionCountsAndCopyright)
{
    const Shown s = Open(6, 9093);
    TVersionInfo info;
    ReadVersionInfo(info);
    EXPECT_EQ(s.composedText, AboutText(info, 6, 9093));
    EXPECT_EQ(s.composedText, U("Стилизованное переименование файлов\rВерсия ") + info.FileVersion
                                  + U(" (6/9093 элементов)\r\n\n© Vorlant (Vorlant developers)"));
    ASSERT_EQ(s.lines.size(), 4) << s.labelText.toStdString();
    EXPECT_EQ(s.lines[0], U("Стилизованное переименование файлов"));
    EXPECT_TRUE(s.lines[1].startsWith(U("Версия ") + info.FileVersion));
    EXPECT_TRUE(s.lines[1].endsWith(U("(6/9093 элементов)")));
    EXPECT_EQ(s.lines[2], QString());
    EXPECT_EQ(s.lines[3], U("© Vorlant (Vorlant developers)"));

    EXPECT_EQ(s.caption, U("О программе"));
    EXPECT_EQ(s.buttonText, U("О&К"));
    EXPECT_EQ(s.buttonToolTip, U("Закрыть это окно"));
    EXPECT_TRUE(s.buttonDefault);
    EXPECT_TRUE(s.modal);
}

TEST_F(AboutBoxTest, CountsAreWrittenWithoutGrouping)
{
    EXPECT_TRUE(Open(1234567, 0).lines.value(1).endsWith(U("(1234567/0 элементов)")));
}

TEST_F(AboutBoxTest, LineEndsOfTheComposedText)
{
    EXPECT_EQ(LabelText(u"a\rb\r\n\nc\n\rd\r\re"), U("a\nb\n\nc\n\nd\n\ne"));
}

// The layout rules hold for the label's actual size, whatever its text.
TEST_F(AboutBoxTest, GeometryFollowsTheLabel)
{
    const QByteArray longDescription
        = QByteArrayLiteral("[\\StringFileInfo\\041904E3]\nFileDescription=") + QByteArray(50, 'W')
          + '\n';
    struct Case {
        const char *name;
        std::optional<QByteArray> data;
    };
    const Case cases[] = {
        {"built-in", std::nullopt},
        {"long description", longDescription},
        {"no version data", QByteArray()},
    };
    int previousWidth = 0;
    int firstHeight = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.data)
            UseVersionData(*c.data);
        else
            SetVersionDataSourceForTesting({});
        const Shown s = Open(6, 9093);

        EXPECT_EQ(s.iconGeometry.topLeft(), QPoint(10, 10));
        EXPECT_EQ(s.pixmapSize, QSize(32, 32));
        EXPECT_EQ(s.labelGeometry.topLeft(), QPoint(58, 10));
        EXPECT_EQ(s.labelGeometry.size(), s.labelHint); // sized to its text
        EXPECT_FALSE(s.wordWrap);
        // Four lines in every case, an empty first line included.
        if (firstHeight == 0)
            firstHeight = s.labelGeometry.height();
        EXPECT_EQ(s.labelGeometry.height(), firstHeight);
        EXPECT_GE(s.labelGeometry.height(), 4 * 8);

        const int outerWidth = s.labelGeometry.width() + 74;
        const int buttonTop = 10 + s.labelGeometry.height() + 15;
        EXPECT_EQ(s.outer.width(), outerWidth);
        EXPECT_EQ(s.buttonGeometry, QRect((outerWidth - 92) / 2, buttonTop, 92, 23));
        EXPECT_EQ(s.outer.height(), buttonTop + 63);
        EXPECT_EQ(s.minimumSize, s.maximumSize); // fixed size
        EXPECT_EQ(s.minimumSize, s.outer - s.frame);

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(s.outerPos, QPoint(screen.x() + (screen.width() - s.outer.width()) / 2,
                                     screen.y() + (screen.height() - s.outer.height()) / 2));

        EXPECT_TRUE(s.flags.testFlag(Qt::Dialog));
        EXPECT_TRUE(s.flags.testFlag(Qt::WindowSystemMenuHint));
        EXPECT_TRUE(s.flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(s.flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(s.flags.testFlag(Qt::WindowMaximizeButtonHint));

        if (c.data == longDescription) {
            EXPECT_GT(s.labelGeometry.width(), previousWidth);
        }
        previousWidth = s.labelGeometry.width();
    }
}

TEST_F(AboutBoxTest, EnterAndEscPressTheButton)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        bool closed = false;
        int result = -1;
        Open(6, 9093, [&](QDialog &d) {
            QTest::keyClick(&d, key);
            closed = !d.isVisible();
            result = d.result();
            return result;
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(result, QDialog::Accepted);
    }
}

TEST_F(AboutBoxTest, ButtonTooltipIsNeverShown)
{
    bool shown = true;
    Open(6, 9093, [&](QDialog &d) {
        auto *button = d.findChild<QPushButton *>(QStringLiteral("OkButton"));
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(button, &event);
        shown = QToolTip::isVisible();
        return 1;
    });
    EXPECT_FALSE(shown);
}

TEST_F(AboutBoxTest, IsOwnedByTheMainWindow)
{
    QWidget main;
    main.resize(300, 200);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_EQ(Open(6, 9093).parent, &main);
}

TEST_F(AboutBoxTest, TwoOpeningsShowTheSameFreshlyReadText)
{
    int reads = 0;
    SetVersionDataSourceForTesting([&reads]() -> std::optional<QByteArray> {
        ++reads;
        return QByteArrayLiteral("[\\StringFileInfo\\041904E3]\nFileDescription=Same\n");
    });
    const Shown first = Open(6, 9093);
    const Shown second = Open(6, 9093);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(first.composedText, second.composedText);
    EXPECT_EQ(first.labelGeometry, second.labelGeometry);
    EXPECT_EQ(first.lines.value(0), U("Same"));
}

TEST_F(AboutBoxTest, OpensWithDefaultsWhenVersionDataIsMissing)
{
    SetVersionDataSourceForTesting([] { return std::optional<QByteArray>(); });
    const Shown s = Open(6, 9093);
    EXPECT_EQ(s.composedText, U("\rВерсия 1.0.0.0 (6/9093 элементов)\r\n\n©  ()"));
    ASSERT_EQ(s.lines.size(), 4);
    EXPECT_EQ(s.lines[0], QString());
    EXPECT_EQ(s.lines[1], U("Версия 1.0.0.0 (6/9093 элементов)"));
    EXPECT_EQ(s.lines[3], U("©  ()"));
}

} // namespace
} // namespace vl
