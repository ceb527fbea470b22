// The main of the GUI tests: one QApplication on the offscreen platform, a fixed locale, and the
// dialog layer in test mode so that no test can wait on a modal window.

#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    vl::Dialogs::EnableTestMode();
    // Nothing a test does may reach the user's own journals; every window a test makes is given a
    // user name file of its own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
