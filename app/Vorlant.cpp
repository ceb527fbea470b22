// The program entry: the application object with its title, the main window, the message loop.

#include "VLMain/gui/MainForm.h"
#include "VLUtils/core/InterfaceLanguage.h"
#include "VLUtils/core/VersionInfo.h"
#include "platform/gui/AppWindow.h"

#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Vorlant %s\n", vl::ProgramVersion().toUtf8().constData());
        return 0;
    }
    vl::VorlantApplication app(argc, argv);
    // The window speaks English to an English locale; Russian, the program's own language, to
    // every other one, with the toolkit's own texts (standard buttons, the folder dialog) in
    // Russian too.
    if (const vl::InterfaceLanguage language
        = vl::ChooseInterfaceLanguage(vl::LocaleVariablesFromEnvironment());
        language == vl::InterfaceLanguage::Russian)
        vl::LoadToolkitTranslation();
    else
        vl::InstallInterfaceTranslation(language);
    vl::ApplicationTitle::Set(vl::ProgramTitle());

    vl::MainFormOptions options;
    options.arguments = QCoreApplication::arguments().mid(1);
    vl::TMainForm window(std::move(options));
    window.show(); // runs FormShow, which lists the command line's folder
    // A fault of the start-up self-check ends the program once start-up is over, without closing
    // the window (so the user name file stays as it was).
    if (window.EndRequested())
        return 1;
    return app.exec();
}
