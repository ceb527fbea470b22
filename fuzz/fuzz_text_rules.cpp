// The text rules: any text is accepted; the case forms keep the length in characters; a file
// name splits into its parts without loss; a name core is a substring of its name part, empty or
// framed by cased characters, and the prefix, core and suffix make up the name part again.

#include "FuzzSupport.h"

#include "VLUtils/core/TextRules.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vl;

namespace {

char32_t FirstChar(const QString &s)
{
    return QChar::isHighSurrogate(s[0].unicode()) && s.size() > 1
                   && QChar::isLowSurrogate(s[1].unicode())
               ? QChar::surrogateToUcs4(s[0], s[1])
               : s[0].unicode();
}

char32_t LastChar(const QString &s)
{
    const qsizetype n = s.size();
    return QChar::isLowSurrogate(s[n - 1].unicode()) && n > 1
                   && QChar::isHighSurrogate(s[n - 2].unicode())
               ? QChar::surrogateToUcs4(s[n - 2], s[n - 1])
               : s[n - 1].unicode();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString name = fuzz::TextFrom(input.ConsumeRandomLengthString(512));

    const qsizetype length = CharCount(name);
    FUZZ_CHECK(CharCount(UpperCase(name)) == length);
    FUZZ_CHECK(CharCount(LowerCase(name)) == length);
    FUZZ_CHECK(CharCount(NormalizeShtmlTail(name)) == length);

    const SplitName split = SplitFileName(name);
    if (name.contains(u'.'))
        FUZZ_CHECK(split.namePart + u'.' + split.extension == name
                   && !split.extension.contains(u'.'));
    else
        FUZZ_CHECK(split.namePart == name && split.extension.isEmpty());

    for (const QString &part : {split.namePart, name}) {
        const QString core = ExtractNameCore(part);
        FUZZ_CHECK(part.contains(core));
        if (!core.isEmpty()) {
            FUZZ_CHECK(IsCasedChar(FirstChar(core)));
            FUZZ_CHECK(IsCasedChar(LastChar(core)));
        }
        const NamePieces pieces = SplitNamePart(part);
        FUZZ_CHECK(pieces.prefix + pieces.core + pieces.suffix == part);
        FUZZ_CHECK(pieces.core == core);
    }

    return 0;
}
