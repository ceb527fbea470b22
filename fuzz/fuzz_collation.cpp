// The collation: a strict weak order on any three texts, under which two texts are equal exactly
// when their upper-case forms are equal; sort keys that differ order the texts the same way.

#include "FuzzSupport.h"

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vl;

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// A text near another one, so that ties and near-ties are met often: a case form, one character
// changed, or a character put in.
QString Near(const QString &base, FuzzedDataProvider &input)
{
    QString text = base;
    switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return LowerCase(base);
    case 1:
        return UpperCase(base);
    case 2:
        if (!text.isEmpty())
            text[input.ConsumeIntegralInRange<qsizetype>(0, text.size() - 1)]
                = QChar(input.ConsumeIntegral<char16_t>());
        return text;
    case 3:
        text.insert(input.ConsumeIntegralInRange<qsizetype>(0, text.size()),
                    QChar(input.ConsumeIntegral<char16_t>()));
        return text;
    default:
        return fuzz::TextFrom(input.ConsumeRandomLengthString(64));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString a = fuzz::TextFrom(input.ConsumeRandomLengthString(64));
    const QString b = Near(a, input);
    const QString c = Near(input.ConsumeBool() ? a : b, input);
    const QString t[3] = {a, b, c};

    int cmp[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            cmp[i][j] = CompareNames(t[i], t[j]);
            FUZZ_CHECK(cmp[i][j] == -1 || cmp[i][j] == 0 || cmp[i][j] == 1);
        }
    // Sort keys that differ order the texts as the comparison does.
    NameKey keys[3];
    for (int i = 0; i < 3; ++i)
        keys[i] = NameKeyOf(t[i]);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (keys[i] != keys[j])
                FUZZ_CHECK((keys[i] < keys[j] ? -1 : 1) == cmp[i][j]);
    for (int i = 0; i < 3; ++i) {
        FUZZ_CHECK(cmp[i][i] == 0);
        for (int j = 0; j < 3; ++j) {
            FUZZ_CHECK(cmp[i][j] == -cmp[j][i]);
            if ((cmp[i][j] == 0) != (UpperCase(t[i]) == UpperCase(t[j]))) {
                std::fprintf(stderr, "«%s» vs «%s»: %d\n", fuzz::Show(t[i]).c_str(),
                             fuzz::Show(t[j]).c_str(), cmp[i][j]);
                FUZZ_CHECK(false);
            }
            for (int k = 0; k < 3; ++k) {
                // Transitivity of "not greater", strict as soon as one step is.
                if (cmp[i][j] <= 0 && cmp[j][k] <= 0)
                    FUZZ_CHECK(cmp[i][k] == Sign(cmp[i][j] + cmp[j][k])
                               || (cmp[i][j] + cmp[j][k] < 0 && cmp[i][k] < 0));
            }
        }
    }
    return 0;
}
