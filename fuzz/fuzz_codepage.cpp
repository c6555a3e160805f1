// The code-page converter on any bytes, in CP950 and UTF-8: what the bytes decode to
// encodes and decodes to the same text again, and valid UTF-8 comes back byte for byte.
#include "fuzzinput.h"

#include "suiteframe/platform/codepage.h"

namespace codepage = platform::codepage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool big5 = input.byte() % 2;
    FUZZ_CHECK(codepage::setName(big5 ? QStringLiteral("CP950") : QStringLiteral("UTF-8")));
    const QByteArray bytes = input.rest();

    const QString text = codepage::toUnicode(bytes);
    const QByteArray encoded = codepage::fromUnicode(text);
    FUZZ_CHECK(text.isEmpty() == encoded.isEmpty());
    const QString again = codepage::toUnicode(encoded);
    if (!text.contains(QChar(0xFFFD)))
        FUZZ_CHECK(again == text);

    if (!big5 && !text.contains(QChar(0xFFFD)))
        FUZZ_CHECK(encoded == bytes);
    return 0;
}
