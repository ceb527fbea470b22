// The window figures: the real main window on Qt's offscreen platform, set up as the program
// sets it up, with a user name file and a journal folder of its own under CONFIG.
//   vorlant-bench-window start-idle CONFIG     prints start_idle_ms (started by "launch")
//   vorlant-bench-window scan DIR REPS CONFIG  prints scan_ms per run, then peak_rss_mb
//   vorlant-bench-window rename DIR CONFIG     lists DIR as at start-up, clicks RenameButton and
//                                              prints listed_rss_mb, pass_ms, pass_rss_mb
// Every time runs until the window has painted and its event loop is idle. With VL_BENCH_PHASES
// set, start-idle also tells on standard error when main began, the application and the window
// were made and the window was shown.

#include "bench/BenchIdle.h"

#include "VLMain/gui/MainForm.h"
#include "platform/gui/AppWindow.h"
#include "platform/gui/Dialogs.h"

#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<vl::TMainForm> MakeForm(const QString &config, QStringList arguments)
{
    vl::MainFormOptions options;
    options.arguments = std::move(arguments);
    options.userNamesPath = config + u"/Vorlant.ini";
    options.journalFolder = config + u"/journal";
    return std::make_unique<vl::TMainForm>(std::move(options));
}

// A message box during a benchmark means something went wrong (the test mode answered it).
int ReportMessages()
{
    const QList<vl::MessageRequest> shown = vl::Dialogs::TakeShownMessages();
    for (const vl::MessageRequest &m : shown)
        std::fprintf(stderr, "vorlant-bench-window: message box: %s\n", qUtf8Printable(m.text));
    return shown.isEmpty() ? 0 : 1;
}

int StartIdle(const QString &config)
{
    const bool phases = std::getenv("VL_BENCH_PHASES") != nullptr;
    if (phases)
        std::fprintf(stderr, "application %.3f\n", vl::bench::MsSinceLaunch());
    const std::unique_ptr<vl::TMainForm> form = MakeForm(config, {});
    if (phases)
        std::fprintf(stderr, "window made %.3f\n", vl::bench::MsSinceLaunch());
    vl::bench::IdleWaiter waiter(form.get());
    form->show();
    if (phases)
        std::fprintf(stderr, "shown %.3f\n", vl::bench::MsSinceLaunch());
    if (!waiter.Wait())
        return 1;
    std::printf("start_idle_ms %.3f\n", vl::bench::MsSinceLaunch());
    return ReportMessages();
}

int Scan(const QString &folder, int reps, const QString &config)
{
    const std::unique_ptr<vl::TMainForm> form = MakeForm(config, {});
    vl::bench::IdleWaiter waiter(form.get());
    form->show();
    waiter.Wait();
    for (int i = 0; i < reps; ++i) {
        waiter.Arm();
        const Clock::time_point start = Clock::now();
        form->ScanFolder(folder);
        if (!waiter.Wait())
            return 1;
        std::printf("scan_ms %.3f\n", vl::bench::MsSince(start));
        std::fflush(stdout);
    }
    std::printf("items %d\n", form->Files().size());
    std::printf("peak_rss_mb %.1f\n", vl::bench::PeakRssMb());
    return ReportMessages();
}

int Rename(const QString &folder, const QString &config)
{
    const std::unique_ptr<vl::TMainForm> form = MakeForm(config, {folder});
    vl::bench::IdleWaiter waiter(form.get());
    form->show(); // lists the folder, as at start-up
    waiter.Wait();
    std::printf("items %d\n", form->Files().size());
    std::printf("listed_rss_mb %.1f\n", vl::bench::PeakRssMb());
    if (!form->RenameButton->isEnabled()) {
        std::fprintf(stderr, "vorlant-bench-window: nothing to rename in %s\n",
                     qUtf8Printable(folder));
        return 1;
    }
    waiter.Arm();
    const Clock::time_point start = Clock::now();
    form->RenameButton->click();
    waiter.Arm(); // the paint that counts is the one after the pass
    if (!waiter.Wait(600'000))
        return 1;
    std::printf("pass_ms %.3f\n", vl::bench::MsSince(start));
    std::printf("pass_rss_mb %.1f\n", vl::bench::PeakRssMb());
    int failed = 0;
    for (const vl::FileItem &item : form->Files().items())
        failed += item.state == vl::ItemState::NotRenamed ? 1 : 0;
    std::printf("failed %d\n", failed);
    return ReportMessages() | (failed > 0 ? 1 : 0);
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (std::getenv("VL_BENCH_PHASES"))
        std::fprintf(stderr, "main %.3f\n", vl::bench::MsSinceLaunch());
    vl::VorlantApplication app(argc, argv);
    vl::Dialogs::EnableTestMode(); // a message box must not wait for an answer
    vl::ApplicationTitle::Set(vl::ProgramTitle());
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (mode == u"start-idle" && args.size() == 3)
        return StartIdle(args.at(2));
    if (mode == u"scan" && args.size() == 5)
        return Scan(args.at(2), args.at(3).toInt(), args.at(4));
    if (mode == u"rename" && args.size() == 4)
        return Rename(args.at(2), args.at(3));
    std::fprintf(stderr, "usage: vorlant-bench-window start-idle CONFIG | scan DIR REPS CONFIG | "
                         "rename DIR CONFIG\n");
    return 2;
}
