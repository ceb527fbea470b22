#pragma once

// The language of the interface. The program's own texts are Russian; a user whose locale's
// language is English gets the English texts compiled into the program.

#include <QString>

namespace vl {

enum class InterfaceLanguage { Russian, English };

// The locale variables that choose the language of messages, as the environment holds them.
struct LocaleVariables {
    QString language; // LANGUAGE: a colon-separated list of languages
    QString lcAll; // LC_ALL
    QString lcMessages; // LC_MESSAGES
    QString lang; // LANG
};

LocaleVariables LocaleVariablesFromEnvironment();

// The messages locale is the first non-empty of LC_ALL, LC_MESSAGES and LANG. LANGUAGE, when
// set, overrides it with its first entry, except where the messages locale is C or POSIX
// (also "C.UTF-8" and the like), which asks for the program's own texts; LANGUAGE still counts
// when none of the three is set, so that LANGUAGE=en alone gives English. The interface is
// English when the chosen entry's language (the part before "_", "." or "@") is "en", and
// Russian for every other language.
InterfaceLanguage ChooseInterfaceLanguage(const LocaleVariables &variables);

// Installs the translation of the program's texts for the language into the application (none
// is needed for Russian). Installing again replaces the earlier one. Returns false when the
// compiled-in texts could not be loaded; the interface then stays Russian.
bool InstallInterfaceTranslation(InterfaceLanguage language);

} // namespace vl
