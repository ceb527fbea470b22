#pragma once

#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/MainForm.h"
#include "platform/gui/Dialogs.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace vl::test {

// A main window on a folder, as the program starts it, with a user name file of its own.
struct Window {
    explicit Window(QStringList arguments = {}, bool show = true)
    {
        Dialogs::TakeShownMessages();
        MainFormOptions options;
        options.arguments = std::move(arguments);
        options.userNamesPath = config.path() + u"Vorlant.ini";
        options.journalFolder = config.path() + u"journal";
        form = std::make_unique<TMainForm>(std::move(options));
        if (show) {
            form->show();
            QApplication::processEvents();
        }
    }
    ~Window() { Dialogs::TakeShownMessages(); }

    QStringList Captions() const
    {
        QStringList c;
        for (const FileItem &i : form->Files().items())
            c << i.caption;
        return c;
    }

    TempFolder config;
    std::unique_ptr<TMainForm> form;
};

} // namespace vl::test
