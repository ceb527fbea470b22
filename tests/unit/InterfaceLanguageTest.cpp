#include "VLUtils/core/InterfaceLanguage.h"

#include "VLMain/core/FileOrder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>

namespace vl {
namespace {

using test::U;

TEST(InterfaceLanguage, ChosenFromTheLocaleVariables)
{
    constexpr InterfaceLanguage ru = InterfaceLanguage::Russian;
    constexpr InterfaceLanguage en = InterfaceLanguage::English;
    struct Row {
        const char *language;
        const char *lcAll;
        const char *lcMessages;
        const char *lang;
        InterfaceLanguage expected;
    };
    const Row rows[] = {
        {"", "", "", "", ru}, // nothing set: the program's own texts
        {"", "", "", "ru_RU.UTF-8", ru},
        {"", "", "", "en_US.UTF-8", en},
        {"", "", "", "en", en},
        {"", "", "", "en_GB@euro", en},
        {"", "", "", "EN_us.utf8", en},
        {"", "", "", "de_DE.UTF-8", ru}, // any other language keeps Russian
        {"", "", "", "eng_XX", ru}, // "en" is the whole language, not a prefix of it
        // LC_ALL before LC_MESSAGES before LANG; an empty one is passed over.
        {"", "ru_RU.UTF-8", "en_US.UTF-8", "en_US.UTF-8", ru},
        {"", "en_US.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8", en},
        {"", "", "en_US.UTF-8", "ru_RU.UTF-8", en},
        {"", "", "ru_RU.UTF-8", "en_US.UTF-8", ru},
        // LANGUAGE overrides the locale with its first entry.
        {"en", "", "", "ru_RU.UTF-8", en},
        {"en_GB:ru", "", "", "ru_RU.UTF-8", en},
        {"ru:en", "", "", "en_US.UTF-8", ru},
        {"fr:en", "", "", "en_US.UTF-8", ru},
        {"en", "", "", "", en}, // LANGUAGE alone counts
        {":en", "", "", "en_US.UTF-8", en}, // an empty first entry leaves the locale to decide
        // ...but not where the locale is C or POSIX.
        {"en", "C", "", "", ru},
        {"en", "C.UTF-8", "", "en_US.UTF-8", ru},
        {"en", "", "POSIX", "", ru},
        {"en", "", "", "C.utf8", ru},
        {"", "C", "", "en_US.UTF-8", ru}, // C is not English either
    };
    for (const Row &r : rows) {
        const LocaleVariables variables {U(r.language), U(r.lcAll), U(r.lcMessages), U(r.lang)};
        EXPECT_EQ(ChooseInterfaceLanguage(variables), r.expected)
            << "LANGUAGE=" << r.language << " LC_ALL=" << r.lcAll << " LC_MESSAGES=" << r.lcMessages
            << " LANG=" << r.lang;
    }
}

TEST(InterfaceLanguage, InstalledTranslationSwitchesTheTextsBothWays)
{
    int argc = 1;
    char name[] = "unit_tests";
    char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    const auto text = [] { return QCoreApplication::translate("FileList", "Распознано"); };
    ASSERT_EQ(text(), U("Распознано"));
    ASSERT_TRUE(InstallInterfaceTranslation(InterfaceLanguage::English));
    EXPECT_EQ(text(), U("Recognised"));
    ASSERT_TRUE(InstallInterfaceTranslation(InterfaceLanguage::English)); // replaces, no leak
    EXPECT_EQ(text(), U("Recognised"));
    ASSERT_TRUE(InstallInterfaceTranslation(InterfaceLanguage::Russian));
    EXPECT_EQ(text(), U("Распознано"));
}

// The list sorts by the state's text as it is shown, in either language; the sort keeps views of
// those texts, which must stay valid while it runs.
TEST(InterfaceLanguage, StateOrderFollowsTheShownTexts)
{
    int argc = 1;
    char name[] = "unit_tests";
    char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    QList<FileItem> items;
    for (const ItemState state :
         {ItemState::Recognised, ItemState::Added, ItemState::Unrecognised}) {
        FileItem item = MakeFileItem(QByteArray("f") + QByteArray::number(items.size()));
        item.state = state;
        items.append(item);
    }
    const auto order = [&] { return SortedOrder(items, SortMode::ByState, {}, Ties::Kept); };
    // "Добавлено" < "Не распознано" < "Распознано"; "Added" < "Not recognised" < "Recognised".
    EXPECT_EQ(order(), (std::vector<int> {1, 2, 0}));
    ASSERT_TRUE(InstallInterfaceTranslation(InterfaceLanguage::English));
    EXPECT_EQ(StateText(ItemState::Added), U("Added"));
    EXPECT_EQ(order(), (std::vector<int> {1, 2, 0}));
    items[1].state = ItemState::NotRenamed; // "Not renamed" now sorts after "Not recognised"
    EXPECT_EQ(order(), (std::vector<int> {2, 1, 0}));
    ASSERT_TRUE(InstallInterfaceTranslation(InterfaceLanguage::Russian));
    EXPECT_EQ(order(), (std::vector<int> {1, 2, 0})); // "Не переименовано" < "Не распознано"
}

} // namespace
} // namespace vl
