// The connection-string attribute parser and masker on any text: no password of the
// string survives masking of a message that quotes the string and its passwords.
#include "fuzzinput.h"

#include "suiteframe/adodb/connectionstring_p.h"

#include <algorithm>

namespace connectionstring = adodb::connectionstring;

namespace {

bool isMaskLike(const QString &secret)
{
    return std::all_of(secret.begin(), secret.end(), [](QChar c) { return c == u'*'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString around = input.text();
    const QString connectionString = QString::fromUtf8(input.rest());

    const QStringList secrets = connectionstring::secretsOf(connectionString);
    QString message = around + connectionString + around;
    for (const QString &secret : secrets)
        message += u'[' + secret + u']';
    const QString masked = connectionstring::masked(message, secrets);
    for (const QString &secret : secrets)
        FUZZ_CHECK(secret.isEmpty() || isMaskLike(secret) || !masked.contains(secret));

    return 0;
}
