// The start-up baseline: the least a Qt program does to show a window with one list view.
// Started through "vorlant-bench-tool launch", it prints "start_idle_ms <ms>" once the window has
// painted and the event loop is idle, and ends.
//   vorlant-bench-minimal-qt         the list view shows three rows of text
//   vorlant-bench-minimal-qt empty   the list view is empty: Qt never loads a font
// A window that shows any text pays for the font system's start; the empty view shows how much
// of the baseline that is.

#include "bench/BenchIdle.h"

#include <QApplication>
#include <QListView>
#include <QStringListModel>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const bool empty = argc > 1 && std::strcmp(argv[1], "empty") == 0;
    QApplication app(argc, argv);
    QStringListModel rows;
    if (!empty)
        rows.setStringList({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    QListView view;
    view.setModel(&rows);
    view.resize(492, 348);
    vl::bench::IdleWaiter waiter(&view);
    view.show();
    if (!waiter.Wait())
        return 1;
    std::printf("start_idle_ms %.3f\n", vl::bench::MsSinceLaunch());
    return 0;
}
