// The number reader and the general value's conversions on any text: each either
// answers or throws the runtime's error, and a number read formats and reads back.
#include "fuzzinput.h"

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/runtimeerror.h"
#include "suiteframe/platform/value.h"

#include <cmath>

namespace {

template<typename Conversion>
void converts(Conversion &&conversion)
{
    try {
        conversion();
    } catch (const platform::RuntimeError &) {
        // A conversion that fails raises the runtime's error: that is its answer.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString text = input.text();
    if (const auto number = platform::regional::parseNumber(text);
        number && std::isfinite(*number)) {
        const auto again = platform::regional::parseNumber(platform::regional::numberText(*number));
        FUZZ_CHECK(again.has_value());
    }
    const platform::Value values[] = {platform::Value(text), platform::Value::fromDecimalText(text)};
    for (const platform::Value &value : values) {
        converts([&] { value.toText(); });
        converts([&] { value.toBoolean(); });
        converts([&] { value.toInteger(); });
        converts([&] { value.toLong(); });
        converts([&] { value.toSingle(); });
        converts([&] { value.toDouble(); });
        converts([&] { value.toDate(); });
        value.isDate();
    }
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("LC_ALL", "zh_TW.UTF-8");
    return 0;
}
