// Draws the program's artwork into PNG files: the main icon (a folder whose front carries a large
// "A" and a small "a", drawn as strokes) at 16, 32, 48, 64, 128 and 256 pixels, and the 16 × 16
// open-folder picture of the folder button with its greyed variant for the disabled state.
//
//   vorlant-draw-icons OUTDIR
//
// Only shapes are drawn (no text, no fonts), so the tool needs no display. The 16 and 32 pixel
// icons are written with a palette of at most 256 colours.

#include <QDir>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace {

// Colours of the artwork.
constexpr QRgb kFolderBackLight = 0xffe9a93a;
constexpr QRgb kFolderBackDark = 0xffc7861d;
constexpr QRgb kFolderFrontLight = 0xffffe08a;
constexpr QRgb kFolderFrontDark = 0xfff5b83d;
constexpr QRgb kFolderOutline = 0xff8a5a12;
constexpr QRgb kPaper = 0xfffdfdf8;
constexpr QRgb kPaperOutline = 0xff9aa3ad;
constexpr QRgb kUpperLetter = 0xff1d4f9c;
constexpr QRgb kLowerLetter = 0xffc23a22;

QImage NewImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The main icon at 32 pixels and more, in a 32-unit design square scaled to the image.
void PaintMainIcon(QPainter &p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    // Outlines stay about one pixel wide at every size.
    const qreal line = size <= 32 ? 1.0 : 32.0 / size * 1.6;
    const qreal half = line / 2;

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1 + half, 27);
    back.lineTo(1 + half, 5 + half);
    back.lineTo(11, 5 + half);
    back.lineTo(13.5, 8);
    back.lineTo(29 - half, 8);
    back.lineTo(29 - half, 27);
    back.closeSubpath();
    QLinearGradient backFill(0, 5, 0, 27);
    backFill.setColorAt(0, QColor::fromRgba(kFolderBackLight));
    backFill.setColorAt(1, QColor::fromRgba(kFolderBackDark));
    p.setPen(
        QPen(QColor::fromRgba(kFolderOutline), line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(backFill);
    p.drawPath(back);

    // A sheet of paper standing in the folder.
    p.setPen(QPen(QColor::fromRgba(kPaperOutline), line));
    p.setBrush(QColor::fromRgba(kPaper));
    p.drawRect(QRectF(4 + half, 10 + half, 22 - line, 8));

    // Front of the folder.
    const qreal frontTop = 13;
    QPainterPath front;
    front.moveTo(1 + half, frontTop);
    front.lineTo(31 - half, frontTop);
    front.lineTo(31 - half, 30 - half);
    front.lineTo(1 + half, 30 - half);
    front.closeSubpath();
    QLinearGradient frontFill(0, frontTop, 0, 30);
    frontFill.setColorAt(0, QColor::fromRgba(kFolderFrontLight));
    frontFill.setColorAt(1, QColor::fromRgba(kFolderFrontDark));
    p.setPen(
        QPen(QColor::fromRgba(kFolderOutline), line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(frontFill);
    p.drawPath(front);

    // The case motif: a large "A" and a small "a" on the front.
    const qreal stroke = size <= 32 ? 3.0 : 2.8;
    p.setBrush(Qt::NoBrush);
    p.setPen(
        QPen(QColor::fromRgba(kUpperLetter), stroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    const qreal base = 27.5;
    const qreal apex = frontTop + 1.5;
    QPainterPath upper;
    upper.moveTo(4.5, base);
    upper.lineTo(10.5, apex);
    upper.lineTo(16.5, base);
    p.drawPath(upper);
    // At 32 pixels the horizontal and vertical strokes sit on whole pixels.
    const qreal barY = std::floor(apex + (base - apex) * 0.62) + 0.5;
    const qreal barHalf = (base - barY) / (base - apex) * 6.0;
    p.drawLine(QPointF(10.5 - (6.0 - barHalf), barY), QPointF(10.5 + (6.0 - barHalf), barY));

    p.setPen(QPen(QColor::fromRgba(kLowerLetter), stroke, Qt::SolidLine, Qt::FlatCap));
    const qreal bowl = 3.4;
    const QPointF centre(22.5, base - bowl);
    const qreal stemX = std::floor(centre.x() + bowl) + 0.5;
    p.drawEllipse(centre, bowl - stroke / 4, bowl - stroke / 2);
    p.drawLine(QPointF(stemX, base - bowl * 2), QPointF(stemX, base));
}

// Fills the pixels marked "X" in rows of a small bitmap, with its top-left corner at left, top.
void FillPixels(QPainter &p, int left, int top, std::initializer_list<const char *> rows, QRgb c)
{
    int y = top;
    for (const char *row : rows) {
        for (int x = 0; row[x]; ++x)
            if (row[x] == 'X')
                p.fillRect(left + x, y, 1, 1, QColor::fromRgba(c));
        ++y;
    }
}

// The main icon at 16 pixels, drawn on the pixel grid so that it stays sharp.
void PaintMainIcon16(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor::fromRgba(kFolderOutline), 1, Qt::SolidLine, Qt::SquareCap,
                       Qt::MiterJoin);
    QPainterPath back;
    back.moveTo(0.5, 7);
    back.lineTo(0.5, 1.5);
    back.lineTo(5.5, 1.5);
    back.lineTo(6.5, 2.5);
    back.lineTo(14.5, 2.5);
    back.lineTo(14.5, 7);
    QLinearGradient backFill(0, 1, 0, 7);
    backFill.setColorAt(0, QColor::fromRgba(kFolderBackLight));
    backFill.setColorAt(1, QColor::fromRgba(kFolderBackDark));
    p.setPen(outline);
    p.setBrush(backFill);
    p.drawPath(back);

    QLinearGradient frontFill(0, 5, 0, 15);
    frontFill.setColorAt(0, QColor::fromRgba(kFolderFrontLight));
    frontFill.setColorAt(1, QColor::fromRgba(kFolderFrontDark));
    p.setBrush(frontFill);
    p.drawRect(QRectF(0.5, 5.5, 15, 9));

    p.setRenderHint(QPainter::Antialiasing, false);
    FillPixels(p, 1, 7,
               {"..XXX..", ".XX.XX.", ".XX.XX.", "XX...XX", "XXXXXXX", "XX...XX", "XX...XX"},
               kUpperLetter);
    FillPixels(p, 9, 9, {"XXXX.", "...XX", ".XXXX", "XX.XX", ".XXXX"}, kLowerLetter);
}

// The open-folder picture, drawn on the 16 × 16 pixel grid.
void PaintOpenFolder(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor::fromRgba(kFolderOutline), 1, Qt::SolidLine, Qt::SquareCap,
                       Qt::MiterJoin);

    // Back with tab.
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(6.5, 4.5);
    back.lineTo(12.5, 4.5);
    back.lineTo(12.5, 13.5);
    back.closeSubpath();
    QLinearGradient backFill(0, 3, 0, 14);
    backFill.setColorAt(0, QColor::fromRgba(kFolderBackLight));
    backFill.setColorAt(1, QColor::fromRgba(kFolderBackDark));
    p.setPen(outline);
    p.setBrush(backFill);
    p.drawPath(back);

    // A sheet inside.
    p.setPen(QPen(QColor::fromRgba(kPaperOutline), 1));
    p.setBrush(QColor::fromRgba(kPaper));
    p.drawRect(QRectF(3.5, 5.5, 8, 4));

    // Front flap, tilted open.
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4.0, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(12.5, 13.5);
    front.closeSubpath();
    QLinearGradient frontFill(0, 7, 0, 14);
    frontFill.setColorAt(0, QColor::fromRgba(kFolderFrontLight));
    frontFill.setColorAt(1, QColor::fromRgba(kFolderFrontDark));
    p.setPen(outline);
    p.setBrush(frontFill);
    p.drawPath(front);
}

// The disabled look: the picture in greys, lighter and softer, as a greyed button shows it.
QImage Greyed(const QImage &source)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 96 + qGray(row[x]) * 112 / 255;
            row[x] = qRgba(grey, grey, grey, qAlpha(row[x]) * 3 / 4);
        }
    }
    return image;
}

// Writes the image with an exact palette when it holds at most 256 colours.
QImage Paletted(const QImage &source)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QList<QRgb> table;
    QHash<QRgb, int> index;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            // Fully transparent pixels all share one entry.
            const QRgb c = qAlpha(row[x]) == 0 ? 0 : row[x];
            if (!index.contains(c)) {
                index.insert(c, static_cast<int>(table.size()));
                table.append(c);
            }
        }
    }
    if (table.size() > 256)
        return argb;
    QImage out(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *dest = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x)
            dest[x] = static_cast<uchar>(index.value(qAlpha(row[x]) == 0 ? 0 : row[x]));
    }
    return out;
}

bool Save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG", 9)) {
        std::fprintf(stderr, "vorlant-draw-icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorlant-draw-icons OUTDIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "vorlant-draw-icons: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        QImage image = NewImage(size);
        {
            QPainter p(&image);
            if (size == 16)
                PaintMainIcon16(p);
            else
                PaintMainIcon(p, size);
        }
        const QImage out = size <= 32 ? Paletted(image) : image;
        ok = Save(out, dir, QStringLiteral("mainicon-%1.png").arg(size)) && ok;
    }

    QImage folder = NewImage(16);
    {
        QPainter p(&folder);
        PaintOpenFolder(p);
    }
    ok = Save(Paletted(folder), dir, QStringLiteral("folder-open.png")) && ok;
    ok = Save(Paletted(Greyed(folder)), dir, QStringLiteral("folder-open-disabled.png")) && ok;
    return ok ? 0 : 1;
}
