#pragma once

#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/MainForm.h"
#include "platform/gui/Dialogs.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

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

// The row of the file with this name on disk, or -1.
inline int RowOf(const Window &w, const QByteArray &diskName)
{
    for (int i = 0; i < w.form->Files().size(); ++i)
        if (w.form->Files().at(i).diskName == diskName)
            return i;
    return -1;
}

// The captions of the folder label, the buttons and the column headers fit their controls
// when drawn in font.
inline void ExpectCaptionsFit(TMainForm &f, const QFont &font)
{
    const QFontMetrics metrics(font);
    const auto width = [&](const QString &text) {
        return metrics.horizontalAdvance(QString(text).remove(u'&'));
    };
    EXPECT_LE(width(f.FolderLabel->text()), f.FolderLabel->width());
    for (const QPushButton *button : {f.RenameButton, f.AddButton})
        EXPECT_LE(width(button->text()) + 8, button->width()) << qPrintable(button->text());
    const QHeaderView *header = f.FilesListView->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        EXPECT_LE(width(f.Files().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 8,
                  header->sectionSize(c))
            << c;
}

} // namespace vl::test
