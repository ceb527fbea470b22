// Draws the picture of the suggested spellings for the README: the real main window on a folder,
// after a pass, with the tooltip of a caption and, beside it, the list's context menu. The
// window, the tooltip and the menu are each drawn by Qt into one image, as the screen shows them.
//
//   vorlant-shot-suggestions FOLDER OUT.png     (FOLDER holds the files to show; they are renamed)

#include "VLMain/gui/FilesListView.h"
#include "VLMain/gui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorlant-shot-suggestions FOLDER OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir config;
    vl::MainFormOptions options;
    options.arguments = {QString::fromLocal8Bit(argv[1])};
    options.userNamesPath = config.filePath(QStringLiteral("Vorlant.ini"));
    options.journalFolder = config.filePath(QStringLiteral("journal"));
    vl::TMainForm form(options);
    form.show();
    QApplication::processEvents();
    form.RenameButtonClick();
    QApplication::processEvents();

    vl::FileListModel &files = form.Files();
    int row = 0;
    while (row < files.size()
           && files.data(files.index(row, 0), Qt::ToolTipRole).toString().isEmpty())
        ++row;
    if (row == files.size()) {
        std::fprintf(stderr, "vorlant-shot-suggestions: no row has a suggestion\n");
        return 1;
    }
    const QImage window = form.grab().toImage();
    const QRect cell = form.FilesListView->visualRect(files.index(row, 0));
    const QPoint cellAt = form.FilesListView->viewport()->mapTo(&form, cell.center());

    // The tooltip as Qt draws one: a label in the tooltip palette.
    QLabel tip(files.data(files.index(row, 0), Qt::ToolTipRole).toString());
    tip.setWindowFlags(Qt::ToolTip);
    tip.setPalette(QPalette(QColor(255, 255, 220)));
    tip.setMargin(3);
    tip.setFrameStyle(QFrame::Box | QFrame::Plain);
    tip.adjustSize();
    const QImage tipImage = tip.grab().toImage();

    form.CheckPopupMenu->adjustSize();
    const QImage menu = form.CheckPopupMenu->grab().toImage();

    const int gap = 24;
    QImage out(window.width() * 2 + gap, window.height(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, window);
    p.drawImage(cellAt + QPoint(-20, 14), tipImage);
    p.drawImage(window.width() + gap, 0, window);
    p.drawImage(window.width() + gap + cellAt.x() + 10, cellAt.y() + 40, menu);
    p.end();
    return out.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
