#include "VLUtils/core/InterfaceLanguage.h"

#include "data/Translations.h"

#include <QCoreApplication>
#include <QTranslator>

namespace vl {

namespace {

bool IsPortableLocale(const QString &locale)
{
    return locale == u"C" || locale == u"POSIX" || locale.startsWith(u"C.")
           || locale.startsWith(u"C@") || locale.startsWith(u"POSIX.");
}

QString LanguageOf(const QString &entry)
{
    qsizetype end = entry.size();
    for (const char16_t mark : {u'_', u'.', u'@'}) {
        const qsizetype at = entry.indexOf(mark);
        if (at >= 0 && at < end)
            end = at;
    }
    return entry.left(end).trimmed().toLower();
}

} // namespace

LocaleVariables LocaleVariablesFromEnvironment()
{
    return {qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
            qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG")};
}

InterfaceLanguage ChooseInterfaceLanguage(const LocaleVariables &variables)
{
    QString locale;
    for (const QString *value : {&variables.lcAll, &variables.lcMessages, &variables.lang}) {
        if (!value->isEmpty()) {
            locale = *value;
            break;
        }
    }
    if (IsPortableLocale(locale))
        return InterfaceLanguage::Russian;
    QString chosen = locale;
    const QString first = variables.language.section(u':', 0, 0);
    if (!first.isEmpty())
        chosen = first;
    return LanguageOf(chosen) == u"en" ? InterfaceLanguage::English : InterfaceLanguage::Russian;
}

bool InstallInterfaceTranslation(InterfaceLanguage language)
{
    static QTranslator *installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language == InterfaceLanguage::Russian)
        return true;
    // The data is compiled in and outlives the translator, which reads it in place.
    static const QByteArray messages = data::EnglishMessages();
    auto *translator = new QTranslator;
    if (!translator->load(reinterpret_cast<const uchar *>(messages.constData()),
                          static_cast<int>(messages.size()))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace vl
