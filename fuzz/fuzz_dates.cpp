// The date text reader and the date pattern formatter on any text: no crash, no hang,
// and a text read as a date formats again and reads back as the same date.
#include "fuzzinput.h"

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/value.h"

#include <QCoreApplication>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QString text = input.text();
    const QString pattern = input.text().left(64);
    const double serial = QByteArray(input.rest().leftJustified(8, '\0', true)).toDouble();

    platform::regional::formatDate(QDateTime(QDate(2012, 12, 8), QTime(14, 5, 9)), pattern);
    if (const auto date = platform::regional::parseDate(text)) {
        platform::regional::formatDate(*date, pattern);
        const auto again = platform::regional::parseDate(platform::regional::generalDate(*date));
        FUZZ_CHECK(again && again->date() == date->date());
    }
    // A serial outside the runtime's years 100 to 9999 is its overflow error, no fault.
    if (std::isfinite(serial) && serial >= -657434.0 && serial < 2958466.0)
        platform::regional::formatDate(platform::Value::fromDateSerial(serial).toDate(), pattern);
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("LC_ALL", "zh_TW.UTF-8");
    return 0;
}
