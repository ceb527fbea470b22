// What the window's start-up chooses and decodes by the quicker routes: the same font and
// pictures as asking the font system and the image reader the long way.

#include "gui/GuiSupport.h"

#include "VLMain/gui/WindowFont.h"
#include "data/Pictures.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

// The family a font of this name actually gets, asked of the font system itself.
bool ResolvesToItself(const QString &family)
{
    QFont font(family);
    font.setPixelSize(11);
    return QFontInfo(font).family() == family;
}

TEST(WindowFont, InstalledCheckAgreesWithTheResolvedFont)
{
    // Every listed family, and names that resolve to a substitute: missing ones, metric aliases,
    // generic names, another letter case, a secondary family name.
    QStringList families;
    for (const QString &listed : QFontDatabase::families())
        families << listed.left(listed.indexOf(u" [")); // without a foundry
    families << u"MS Sans Serif"_qs << u"Arial"_qs << u"Helvetica"_qs << u"Sans Serif"_qs
             << u"sans-serif"_qs << u"Monospace"_qs << u"liberation sans"_qs
             << u"LIBERATION SANS"_qs << u"DejaVu Sans Condensed"_qs << u"No Such Family"_qs
             << QString();
    ASSERT_GT(families.size(), 11) << "no fonts installed";
    for (const QString &family : families)
        EXPECT_EQ(FontFamilyInstalled(family), ResolvesToItself(family)) << qPrintable(family);
}

// The font is what the layout's sizes were made for: 11 pixels of an installed family (or the
// desktop's sans-serif where none of the chosen ones is), in which the captions fit their
// controls.
TEST(WindowFont, IsInstalledAndItsCaptionsFitTheLayout)
{
    const QFont chosen = WindowFont();
    EXPECT_EQ(chosen.pixelSize(), 11);
    EXPECT_TRUE(chosen.family() == u"Sans Serif" || ResolvesToItself(chosen.family()))
        << qPrintable(chosen.family());

    const QFont started = StartWindowFont().get();
    EXPECT_EQ(started, chosen);

    test::Window w({}, false);
    TMainForm &f = *w.form;
    EXPECT_EQ(f.font(), chosen);
    EXPECT_EQ(f.FilesListView->font(), chosen);
    test::ExpectCaptionsFit(f, chosen);
}

TEST(Pictures, EveryImageIsDecoded)
{
    struct Case {
        const char *name;
        QIcon icon;
        QIcon::Mode mode;
        QList<QSize> sizes;
    };
    const Case cases[] = {
        {"main icon", data::MainIcon(), QIcon::Normal, {QSize(16, 16), QSize(32, 32)}},
        {"folder button", data::FolderButtonIcon(), QIcon::Normal, {QSize(16, 16)}},
        {"folder button, disabled", data::FolderButtonIcon(), QIcon::Disabled, {QSize(16, 16)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.icon.availableSizes(c.mode), c.sizes);
        for (const QSize &size : c.sizes) {
            const QImage image = c.icon.pixmap(size, 1.0, c.mode).toImage();
            EXPECT_EQ(image.size(), size);
            EXPECT_TRUE(image.hasAlphaChannel());
            EXPECT_NE(image.pixel(size.width() / 2, size.height() / 2), 0u) << "nothing drawn";
        }
    }
    // The disabled picture is one of its own, not the normal one greyed by the style.
    const QIcon folder = data::FolderButtonIcon();
    EXPECT_NE(folder.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage(),
              folder.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage());
}

TEST(Pictures, WindowShowsThem)
{
    test::Window w({}, false);
    EXPECT_EQ(w.form->windowIcon().availableSizes(), (QList<QSize> {QSize(16, 16), QSize(32, 32)}));
    EXPECT_EQ(w.form->FolderSpeedButton->icon().pixmap(QSize(16, 16), 1.0).toImage(),
              data::FolderButtonIcon().pixmap(QSize(16, 16), 1.0).toImage());
}

} // namespace
} // namespace vl
