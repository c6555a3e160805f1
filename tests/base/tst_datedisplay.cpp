// Dates shown by DBDateDisp: the layout codes in Taiwan's and the US locale with the
// separator, the default format read on every call, and texts read as dates.
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/regional.h"
#include "support/desktopcapture.h"
#include "support/valuemetatype.h"

#include <QTest>

using platform::Value;

Q_DECLARE_METATYPE(std::optional<platform::Value>)

namespace {

const QDate December8(2012, 12, 8);

std::optional<Value> code(const char *text)
{
    return Value(QString::fromUtf8(text));
}

} // namespace

class tst_DateDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        basBase::DateDispFormat.clear();
        basBase::DateSeparator.clear();
    }

    void cleanup()
    {
        basBase::DateDispFormat.clear();
        basBase::DateSeparator.clear();
        QLocale::setDefault(QLocale::system());
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<Value>("date");
        QTest::addColumn<std::optional<Value>>("format");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");

        for (const char *locale : {"zh_TW", "en_US"}) {
            const QString l = QString::fromLatin1(locale);
            auto row = [&](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", locale, name) << l;
            };
            row("CCMMDD, ROC year with three digits") << Value(December8) << code("CCMMDD") << ""
                                                      << "1011208";
            row("YYYY/MM with the locale's separator") << Value(December8) << code("YYYY/MM") << "-"
                                                       << "2012/12";
            row("YYMMDD") << Value(December8) << code("YYMMDD") << ""
                          << "121208";
            row("YYYY/MM/DD, empty separator") << Value(December8) << code("YYYY/MM/DD") << ""
                                               << "20121208";
            row("YYYY/MM/DD, slash") << Value(December8) << code("YYYY/MM/DD") << "/"
                                     << "2012/12/08";
            row("YY/MM/DD pads year, month and day")
                << Value(QDate(2005, 3, 5)) << code("YY/MM/DD") << "/"
                << "05/03/05";
            row("CC/MM/DD in 1911 is year 00")
                << Value(QDate(1911, 1, 1)) << code("CC/MM/DD") << "/"
                << "00/01/01";
            row("CC/MM/DD before 1900 is negative")
                << Value(QDate(1900, 1, 1)) << code("CC/MM/DD") << "/"
                << "-11/01/01";
            row("CCMMDD of a single-digit negative ROC year")
                << Value(QDate(1906, 7, 4)) << code("CCMMDD") << ""
                << "-050704";
            row("CC/MM/DD with a separator of two characters")
                << Value(December8) << code("CC/MM/DD") << " - "
                << "101 - 12 - 08";
            row("YYYY/MM/DD of year 100 pads to four digits")
                << Value(QDate(100, 1, 1)) << code("YYYY/MM/DD") << "."
                << "0100.01.01";
            row("time of day is dropped")
                << Value(QDateTime(December8, QTime(23, 59, 59))) << code("CCMMDD") << ""
                << "1011208";
            row("null value is no date") << Value::null() << code("CCMMDD") << ""
                                         << "";
            row("empty text is no date") << Value(QString()) << code("CCMMDD") << ""
                                         << "";
            row("a word is no date") << Value("hello") << code("CCMMDD") << ""
                                     << "";
            row("Empty value is no date") << Value() << code("CCMMDD") << ""
                                          << "";
            row("a number is no date") << Value(41251) << code("CCMMDD") << ""
                                       << "";
        }
    }

    void layouts()
    {
        QFETCH(QString, locale);
        QFETCH(Value, date);
        QFETCH(std::optional<Value>, format);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        basBase::DateSeparator = separator;
        DesktopCapture desktop;
        QCOMPARE(basBase::DBDateDisp(date, format), expected);
        QCOMPARE(desktop.warnings.size(), 0);
    }

    void codesOutsideTheTableUseTheDefaultFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<std::optional<Value>>("format");
        for (const char *locale : {"zh_TW", "en_US"}) {
            const QString l = QString::fromLatin1(locale);
            QTest::addRow("%s: omitted", locale) << l << std::optional<Value>();
            QTest::addRow("%s: MM/DD", locale) << l << code("MM/DD");
            QTest::addRow("%s: lower case ccmmdd", locale) << l << code("ccmmdd");
            QTest::addRow("%s: leading blank", locale) << l << code(" CCMMDD");
            QTest::addRow("%s: empty text", locale) << l << code("");
            QTest::addRow("%s: null", locale) << l << std::optional<Value>(Value::null());
            QTest::addRow("%s: a number", locale) << l << std::optional<Value>(Value(5));
        }
    }

    void codesOutsideTheTableUseTheDefaultFormat()
    {
        QFETCH(QString, locale);
        QFETCH(std::optional<Value>, format);
        QLocale::setDefault(QLocale(locale));
        const Value date(QDateTime(December8, QTime(9, 30)));

        QCOMPARE(basBase::DBDateDisp(date, format), platform::regional::shortDate(December8));

        basBase::DateDispFormat = QStringLiteral("yyyy-mm-dd");
        QCOMPARE(basBase::DBDateDisp(date, format), QStringLiteral("2012-12-08"));
    }

    void shortDateIsTheWindowsFormInTaiwan()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
        QCOMPARE(basBase::DBDateDisp(Value(December8)), QStringLiteral("2012/12/8"));
    }

    void defaultFormatIsReadOnEveryCall()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
        basBase::DateDispFormat = QStringLiteral("CCMMDD");
        QCOMPARE(basBase::DBDateDisp(Value(December8)), QStringLiteral("1011208"));
        basBase::DateDispFormat = QStringLiteral("YYMMDD");
        QCOMPARE(basBase::DBDateDisp(Value(December8)), QStringLiteral("121208"));
    }

    void textsReadAsDates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("zh_TW short date") << "zh_TW"
                                          << "2012/12/8";
        QTest::newRow("zh_TW with time") << "zh_TW"
                                         << "2012/12/8 下午 03:04:05";
        QTest::newRow("ISO in zh_TW") << "zh_TW"
                                      << "2012-12-08";
        QTest::newRow("en_US month first") << "en_US"
                                           << "12/8/2012";
        QTest::newRow("ISO in en_US") << "en_US"
                                      << "2012-12-08";
    }

    void textsReadAsDates()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(basBase::DBDateDisp(Value(text), code("CCMMDD")), QStringLiteral("1011208"));
    }
};

QTEST_GUILESS_MAIN(tst_DateDisplay)

#include "tst_datedisplay.moc"
