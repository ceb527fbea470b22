#include "VLMain/gui/WindowFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <algorithm>
#include <system_error>

namespace vl {

bool FontFamilyInstalled(const QString &family)
{
    // A font resolves only to a family of the database, so a name it does not list (bare, or as
    // "Family [Foundry]" when several foundries supply it) cannot resolve to itself; that answer
    // needs no font file and no search for substitutes, which is what makes a missing family
    // slow to ask about. A listed name may still resolve elsewhere (a generic name such as
    // "Sans Serif", or "Family [Foundry]" for a family of several foundries): that the resolved
    // font tells.
    const QStringList families = QFontDatabase::families();
    const bool listed = std::any_of(families.cbegin(), families.cend(), [&](const QString &name) {
        const qsizetype foundry = name.indexOf(u" [");
        return name == family || (foundry >= 0 && QStringView(name).left(foundry) == family);
    });
    if (!listed)
        return false;
    QFont font(family);
    font.setPixelSize(11);
    return QFontInfo(font).family() == family;
}

QFont WindowFont()
{
    for (const char16_t *family : {u"MS Sans Serif", u"Liberation Sans", u"Arial"}) {
        QFont font(QString::fromUtf16(family));
        font.setPixelSize(11);
        if (FontFamilyInstalled(font.family()))
            return font;
    }
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    return font;
}

std::future<QFont> StartWindowFont()
{
    // The font database serialises its own access, so the window may use fonts meanwhile.
    try {
        return std::async(std::launch::async, &WindowFont);
    } catch (const std::system_error &) {
        return std::async(std::launch::deferred,
                          &WindowFont); // no thread to be had: choose on get()
    }
}

} // namespace vl
