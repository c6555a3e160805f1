// Regional settings: the locale's separators, dates shown, formatted and read back, and
// numbers as texts.
#include "suiteframe/platform/regional.h"

#include <QTest>

using namespace platform::regional;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

QDateTime thisYear(int month, int day, int hour = 0, int minute = 0)
{
    return at(QDate::currentDate().year(), month, day, hour, minute);
}

QDateTime timeOnly(int h, int mi, int s = 0)
{
    return at(1899, 12, 30, h, mi, s);
}

} // namespace

class tst_Regional : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void cLocaleStandsForTaiwan();
    void separatorsFollowTheLocale_data();
    void separatorsFollowTheLocale();
    void generalDate_data();
    void generalDate();
    void generalDateReadsBack_data();
    void generalDateReadsBack();
    void formatDate_data();
    void formatDate();
    void parseDate_data();
    void parseDate();
    void parseNumber_data();
    void parseNumber();
    void numberText_data();
    void numberText();
    void singleNumberTextHasSevenDigits();
};

void tst_Regional::cLocaleStandsForTaiwan()
{
    QLocale::setDefault(QLocale::c());
    QCOMPARE(systemLocale().territory(), QLocale::Taiwan);
    QCOMPARE(shortDate(QDate(2012, 12, 8)), QStringLiteral("2012/12/8"));
}

void tst_Regional::separatorsFollowTheLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("dateSep");
    QTest::addColumn<QString>("timeSep");
    QTest::newRow("zh_TW") << "zh_TW"
                           << "/"
                           << ":";
    QTest::newRow("en_US") << "en_US"
                           << "/"
                           << ":";
    QTest::newRow("de_DE") << "de_DE"
                           << "."
                           << ":";
    QTest::newRow("ko_KR, blanks around the dot") << "ko_KR"
                                                  << "."
                                                  << ":";
}

void tst_Regional::separatorsFollowTheLocale()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    QTEST(dateSeparator(), "dateSep");
    QTEST(timeSeparator(), "timeSep");
}

void tst_Regional::generalDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zh_TW afternoon")
        << "zh_TW" << at(2012, 12, 8, 14, 5, 9) << "2012/12/8 下午 02:05:09";
    QTest::newRow("zh_TW half past midnight")
        << "zh_TW" << at(2012, 12, 8, 0, 30) << "2012/12/8 上午 12:30:00";
    QTest::newRow("zh_TW noon") << "zh_TW" << at(2012, 12, 8, 12, 0) << "2012/12/8 下午 12:00:00";
    QTest::newRow("zh_TW midnight: date alone") << "zh_TW" << at(2012, 1, 5) << "2012/1/5";
    QTest::newRow("zh_TW day zero: time alone") << "zh_TW" << timeOnly(9, 7, 5) << "上午 09:07:05";
    QTest::newRow("zh_TW day zero at midnight") << "zh_TW" << timeOnly(0, 0) << "上午 12:00:00";
    QTest::newRow("en_US Windows form")
        << "en_US" << at(2012, 12, 8, 14, 5, 9) << "12/8/2012 2:05:09 PM";
    QTest::newRow("en_US morning") << "en_US" << at(2012, 12, 8, 0, 30) << "12/8/2012 12:30:00 AM";
    QTest::newRow("invalid date") << "zh_TW" << QDateTime() << "";
    QTest::newRow("de_DE four-digit year, no zone")
        << "de_DE" << at(2012, 12, 8, 14, 5, 9) << "08.12.2012 14:05:09";
    QTest::newRow("en_US first year unpadded") << "en_US" << at(100, 1, 1) << "1/1/100";
    QTest::newRow("de_DE year 999 unpadded") << "de_DE" << at(999, 12, 31) << "31.12.999";
    QTest::newRow("zh_TW first year") << "zh_TW" << at(100, 1, 1) << "100/1/1";
}

void tst_Regional::generalDate()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, value);
    QLocale::setDefault(QLocale(locale));
    QTEST(platform::regional::generalDate(value), "expected");
}

void tst_Regional::generalDateReadsBack_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *locale : {"zh_TW", "en_US", "de_DE"})
        QTest::newRow(locale) << QString::fromLatin1(locale);
}

// What the program shows must read back as the same date where the user types it in.
void tst_Regional::generalDateReadsBack()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    for (const QDateTime &value : {at(2012, 12, 8, 14, 5, 9),
                                   at(1999, 1, 31, 0, 30),
                                   at(2030, 7, 4),
                                   timeOnly(12, 0, 1),
                                   at(100, 1, 1, 23, 59, 59)}) {
        const QString text = platform::regional::generalDate(value);
        QCOMPARE(platform::regional::parseDate(text).value_or(QDateTime()), value);
    }
}

void tst_Regional::formatDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const QDateTime saturday = at(2012, 12, 8, 14, 5, 9);
    const QDateTime earlyNewYear = at(1900, 1, 1, 12, 36); // a Monday
    QTest::newRow("year and month") << "zh_TW" << saturday << "YYYY/MM"
                                    << "2012/12";
    QTest::newRow("year and month, German separator") << "de_DE" << saturday << "YYYY/MM"
                                                      << "2012.12";
    QTest::newRow("compact date") << "zh_TW" << saturday << "YYMMDD"
                                  << "121208";
    QTest::newRow("lower case tokens") << "en_US" << saturday << "yyyy-mm-dd"
                                       << "2012-12-08";
    QTest::newRow("stamp of the error log") << "zh_TW" << saturday << "YY/MM/DD, HH:MM:SS "
                                            << "12/12/08, 14:05:09 ";
    QTest::newRow("mm after hh is minutes") << "en_US" << earlyNewYear << "dd mm yyyy hh:mm:ss"
                                            << "01 01 1900 12:36:00";
    QTest::newRow("mm without hh is month") << "en_US" << earlyNewYear << "dd mm yyyy :mm"
                                            << "01 01 1900 :01";
    QTest::newRow("literals between hh and mm") << "en_US" << earlyNewYear << "dd:hh :mm:mm"
                                                << "01:12 :36:01";
    QTest::newRow("a token between hh and mm") << "en_US" << earlyNewYear << "hh:dd :mm:mm"
                                               << "12:01 :01:01";
    QTest::newRow("only the first mm after hh") << "en_US" << earlyNewYear << "hh:mm :ss:mm"
                                                << "12:36 :00:01";
    QTest::newRow("n is always minutes") << "en_US" << earlyNewYear << "dd :mm:nn"
                                         << "01 :01:36";
    QTest::newRow("yyy is yy then day of year") << "en_US" << earlyNewYear << "yyy"
                                                << "001";
    QTest::newRow("day of year") << "en_US" << saturday << "y"
                                 << "343";
    QTest::newRow("quarter") << "en_US" << saturday << "q"
                             << "4";
    QTest::newRow("weekday, Sunday first") << "en_US" << saturday << "w"
                                           << "7";
    QTest::newRow("week of year") << "en_US" << saturday << "ww"
                                  << "49";
    QTest::newRow("English names") << "en_US" << earlyNewYear << "ddd dddd mmm mmmm"
                                   << "Mon Monday Jan January";
    QTest::newRow("Chinese month name") << "zh_TW" << saturday << "mmmm"
                                        << "十二月";
    QTest::newRow("Chinese weekday") << "zh_TW" << saturday << "dddd"
                                     << "星期六";
    QTest::newRow("twelve-hour clock with A/P")
        << "en_US" << at(1900, 1, 1, 17, 24) << "hh:nn:ss A/P"
        << "05:24:00 P";
    QTest::newRow("am/pm lower case") << "en_US" << saturday << "h am/pm"
                                      << "2 pm";
    QTest::newRow("AM/PM literal in zh_TW") << "zh_TW" << saturday << "AM/PM"
                                            << "PM";
    QTest::newRow("a/p one letter") << "zh_TW" << at(2012, 12, 8, 9, 0) << "a/p"
                                    << "a";
    QTest::newRow("AMPM takes the locale's text") << "zh_TW" << saturday << "AMPM hh:nn"
                                                  << "下午 02:05";
    QTest::newRow("24-hour clock without AM/PM") << "zh_TW" << saturday << "h:n:s"
                                                 << "14:5:9";
    QTest::newRow("short and long date") << "zh_TW" << saturday << "ddddd|dddddd"
                                         << "2012/12/8|2012年12月8日";
    QTest::newRow("long time") << "zh_TW" << saturday << "ttttt"
                               << "下午 02:05:09";
    QTest::newRow("general date") << "en_US" << saturday << "c"
                                  << "12/8/2012 2:05:09 PM";
    QTest::newRow("backslash escapes") << "zh_TW" << saturday << "\\d\\/yyyy"
                                       << "d/2012";
    QTest::newRow("quoted text copied") << "zh_TW" << saturday << "\"dd/mm\" yyyy"
                                        << "dd/mm 2012";
    QTest::newRow("invalid date") << "zh_TW" << QDateTime() << "yyyy mmm"
                                  << "";
    QTest::newRow("other characters copied") << "zh_TW" << saturday << "民國 yyyy 年"
                                             << "民國 2012 年";
}

void tst_Regional::formatDate()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, value);
    QFETCH(QString, pattern);
    QLocale::setDefault(QLocale(locale));
    QTEST(platform::regional::formatDate(value, pattern), "expected");
}

void tst_Regional::parseDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: no date

    const auto row =
        [](const char *name, const char *locale, const QString &text, const QDateTime &expected) {
            QTest::newRow(name) << QString::fromLatin1(locale) << text << expected;
        };
    // Times alone fall on day zero; "." separates hours and minutes.
    row("decimal point is a time separator", "en_US", "2.5", timeOnly(2, 5));
    row("minutes only", "en_US", "0.40", timeOnly(0, 40));
    row("colon", "en_US", "3:5", timeOnly(3, 5));
    row("hour with am", "en_US", "1 am", timeOnly(1, 0));
    row("12 am is midnight", "en_US", "12:59 AM", timeOnly(0, 59));
    row("00 pm is noon", "en_US", "00:00 p", timeOnly(12, 0));
    row("pm ignored after 12", "en_US", "13:00 AM", timeOnly(13, 0));
    row("hours minutes seconds", "en_US", "1.5.2", timeOnly(1, 5, 2));
    row("Chinese designator first", "zh_TW", "下午 02:05:09", timeOnly(14, 5, 9));
    // Two numbers: month and day of this year, or month and year.
    row("month day", "en_US", "1 2", thisYear(1, 2));
    row("day over 12 swaps", "en_US", "14 1", thisYear(1, 14));
    row("year and month", "en_US", "30 2", at(1930, 2, 1));
    row("month and year", "en_US", "2 30", at(1930, 2, 1));
    row("month name and day", "en_US", "Jan 2", thisYear(1, 2));
    row("day and month name", "en_US", "2 Jan", thisYear(1, 2));
    row("month name and year", "en_US", "35-Jan", at(1935, 1, 1));
    row("German day month", "de_DE", "2.5", thisYear(5, 2));
    // Three numbers: the locale's order, then year first, then day and month swapped.
    row("month day year", "en_US", "1 2 3", at(2003, 1, 2));
    row("year first when no month fits", "en_US", "14 2 3", at(2014, 2, 3));
    row("two-digit year 29", "en_US", "1 2 29", at(2029, 1, 2));
    row("two-digit year 30", "en_US", "1 2 30", at(1930, 1, 2));
    row("year 32 first", "en_US", "32 2 3", at(1932, 2, 3));
    row("slashes", "en_US", "1/2/1970", at(1970, 1, 2));
    row("dashes, day first", "en_US", "13-1-1970", at(1970, 1, 13));
    row("ISO", "en_US", "1970-1-13", at(1970, 1, 13));
    row("ISO in German", "de_DE", "2173-10-14", at(2173, 10, 14));
    row("German dots", "de_DE", "02.01.1970", at(1970, 1, 2));
    row("German dots, swapped", "de_DE", "02.13.1970", at(1970, 2, 13));
    row("Taiwan short date", "zh_TW", "2012/12/8", at(2012, 12, 8));
    row("Taiwan month day", "zh_TW", "12/8", thisYear(12, 8));
    row("Taiwan month name", "zh_TW", "2012 十二月 8", at(2012, 12, 8));
    row("long English", "en_US", "2 January, 1970", at(1970, 1, 2));
    // A time after (or before) the date.
    row("date and time", "en_US", "6/30/2011 01:20:34 PM", at(2011, 6, 30, 13, 20, 34));
    row("ISO date and time", "zh_TW", "2013-05-14 02:04:12", at(2013, 5, 14, 2, 4, 12));
    row("ideographic space",
        "en_US",
        QStringLiteral("6/30/2011\u30001:20:34"),
        at(2011, 6, 30, 1, 20, 34));
    row("Taiwan general date", "zh_TW", "2012/12/8 下午 02:05:09", at(2012, 12, 8, 14, 5, 9));
    row("time then date", "en_US", "3 am 1 2", thisYear(1, 2, 3));
    row("hour with am after date", "en_US", "1 2 3 am", thisYear(1, 2, 3));
    row("time between date parts", "en_US", "1.2 3 4 5", at(2005, 3, 4, 1, 2));
    row("padded by blanks", "en_US", "  1/2/1970  ", at(1970, 1, 2));
    // Not dates.
    const QDateTime none;
    for (const char *text :
         {"True",   "0",     "1",      "24:00",   "0:60",    "0.60",    "1 2 am",
          "1 am 2", "1.5 2", "2 32 3", "1 2.3 4", "1.2 3.4", "1 2 3 4", "1 2 3 am 4.5",
          "1;2;3",  "(1:2)", "0.",     ".0",      "-1.1",    "32 49",   "0 49",
          ""}) {
        row(text[0] ? text : "empty", "en_US", QString::fromLatin1(text), none);
    }
    row("fractional seconds", "en_US", "2013-05-14 02:04:12.017", none);
    row("dots are times in English", "en_US", "02.01.1970", none);
    row("before year 100", "en_US", "1/2/0099", none);
    row("Feb 30", "zh_TW", "2012/2/30", none);
}

void tst_Regional::parseDate()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QLocale::setDefault(QLocale(locale));
    const std::optional<QDateTime> date = platform::regional::parseDate(text);
    QCOMPARE(date.has_value(), expected.isValid());
    if (date)
        QCOMPARE(*date, expected);
}

void tst_Regional::parseNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("expected");
    const auto row =
        [](const char *name, const char *locale, const QString &text, std::optional<double> value) {
            QTest::newRow(name) << QString::fromLatin1(locale) << text << value.has_value()
                                << value.value_or(0);
        };
    row("plain", "zh_TW", "42", 42);
    row("blanks around", "zh_TW", "  -1.5 ", -1.5);
    row("sign after", "zh_TW", "5-", -5);
    row("blank after sign", "zh_TW", " + 0", 0);
    row("parentheses", "zh_TW", "(5)", -5);
    row("grouping", "en_US", "1,234,567.25", 1234567.25);
    row("currency", "en_US", "$1,234", 1234);
    row("NT dollars", "zh_TW", "NT$12", 12);
    row("dollar sign in zh_TW", "zh_TW", "-$3.5", -3.5);
    row("exponent", "zh_TW", "1.5e2", 150);
    row("exponent with sign", "zh_TW", "1e+01", 10);
    row("exponent with d", "zh_TW", "2D-1", 0.2);
    row("leading decimal sign", "zh_TW", ".5", 0.5);
    row("trailing decimal sign", "zh_TW", "1.", 1);
    row("underflow is zero", "zh_TW", "1e-94938484", 0);
    row("German decimal comma", "de_DE", "1.234,5", 1234.5);
    row("German euro", "de_DE", "3 €", 3);
    row("hex keeps the 16-bit sign", "zh_TW", "&HFFFF", -1);
    row("hex past 16 bits", "zh_TW", "&H10000", 65536);
    row("hex keeps the 32-bit sign", "zh_TW", "&HFFFFFFFF", -1);
    row("hex lower case", "zh_TW", "&h0abc", 0xabc);
    row("octal", "zh_TW", "&O177777", -1);
    row("octal 300", "zh_TW", "&o300", 192);
    for (const char *text : {"",
                             " ",
                             "abc",
                             "1.1.",
                             "1e1.",
                             "+ +0",
                             "-0-",
                             "()",
                             "(-5)",
                             "(5",
                             "1,00",
                             "&H",
                             "&O128",
                             "&HG",
                             "FE",
                             "0x10",
                             "1e",
                             "5 5"}) {
        row(text[0] ? text : "empty", "zh_TW", QString::fromLatin1(text), std::nullopt);
    }
    row("point where the decimal sign is a comma", "de_DE", "0.1", std::nullopt);
    row("other locale's currency", "de_DE", "$3", std::nullopt);
    row("overflow", "zh_TW", "1e400", std::nullopt);
    row("hex beyond 32 bits", "zh_TW", "&H100000000", std::nullopt);
}

void tst_Regional::parseNumber()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(locale));
    const std::optional<double> value = platform::regional::parseNumber(text);
    QCOMPARE(value.has_value(), isNumber);
    if (value)
        QCOMPARE(*value, expected);
}

void tst_Regional::numberText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer") << "zh_TW" << 459.0 << "459";
    QTest::newRow("fraction") << "zh_TW" << -1.25 << "-1.25";
    QTest::newRow("15 digits") << "zh_TW" << 0.1 + 0.2 << "0.3";
    QTest::newRow("largest plain") << "zh_TW" << 999999999999999.0 << "999999999999999";
    QTest::newRow("E notation from 1E+15") << "zh_TW" << 1e15 << "1E+15";
    QTest::newRow("mantissa trimmed") << "zh_TW" << 1.5e300 << "1.5E+300";
    QTest::newRow("small plain") << "zh_TW" << 0.00001 << "0.00001";
    QTest::newRow("small with digits plain") << "zh_TW" << -0.000056789 << "-0.000056789";
    QTest::newRow("15 places plain") << "zh_TW" << 5.6789e-11 << "0.000000000056789";
    QTest::newRow("16 places in E notation") << "zh_TW" << 1.0 / 30 << "3.33333333333333E-02";
    QTest::newRow("smallest plain power") << "zh_TW" << 1e-15 << "0.000000000000001";
    QTest::newRow("E notation below it") << "zh_TW" << 1e-16 << "1E-16";
    QTest::newRow("15 digits: 1/3") << "zh_TW" << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("tie rounds away from zero")
        << "zh_TW" << 1234567890123.125 << "1234567890123.13";
    QTest::newRow("negative tie away from zero")
        << "zh_TW" << -1234567890123.125 << "-1234567890123.13";
    QTest::newRow("just below a tie rounds down")
        << "zh_TW" << 0.1234567890123455 << "0.123456789012345";
    QTest::newRow("rounding carries a digit") << "zh_TW" << 999999999999999.9 << "1E+15";
    QTest::newRow("ten binary places") << "zh_TW" << 0.0009765625 << "0.0009765625";
    QTest::newRow("binary places in fifteen digits")
        << "zh_TW" << 99999.0009765625 << "99999.0009765625";
    QTest::newRow("binary places in sixteen digits rounded")
        << "zh_TW" << 100000.0009765625 << "100000.000976563";
    QTest::newRow("largest") << "zh_TW" << 1.7976931348623157e308 << "1.79769313486232E+308";
    QTest::newRow("smallest") << "zh_TW" << 4.9406564584124654e-324 << "4.94065645841247E-324";
    QTest::newRow("negative zero") << "zh_TW" << -0.0 << "0";
    QTest::newRow("German decimal comma") << "de_DE" << 2.5 << "2,5";
    QTest::newRow("German small plain") << "de_DE" << 1.5e-7 << "0,00000015";
    QTest::newRow("German E notation") << "de_DE" << -1.5e-20 << "-1,5E-20";
}

void tst_Regional::numberText()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    QTEST(platform::regional::numberText(value), "expected");
}

void tst_Regional::singleNumberTextHasSevenDigits()
{
    QLocale::setDefault(QLocale(QStringLiteral("zh_TW")));
    QCOMPARE(platform::regional::numberText(1.1f), QStringLiteral("1.1"));
    QCOMPARE(platform::regional::numberText(3.4028235e38f), QStringLiteral("3.402823E+38"));
    QCOMPARE(platform::regional::numberText(1234567.0f), QStringLiteral("1234567"));
    QCOMPARE(platform::regional::numberText(12345678.0f), QStringLiteral("1.234568E+07"));
    // 654322.25 as a Single: a tie, away from zero.
    QCOMPARE(platform::regional::numberText(654322.23456f), QStringLiteral("654322.3"));
    QCOMPARE(platform::regional::numberText(-654322.23456f), QStringLiteral("-654322.3"));
    QCOMPARE(platform::regional::numberText(0.00005f), QStringLiteral("0.00005"));
    QCOMPARE(platform::regional::numberText(0.01234567f), QStringLiteral("1.234567E-02"));
    QCOMPARE(platform::regional::numberText(1.401298e-45f), QStringLiteral("1.401298E-45"));
}

QTEST_GUILESS_MAIN(tst_Regional)
#include "tst_regional.moc"
