// The design fonts' substitutes: where an office's font of user-defined characters is
// installed, every design font draws a name's user-defined character with it.
#include "suiteframe/controls/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

using namespace Qt::StringLiterals;

class tst_Fonts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // As an office installs its own: a font file the font database finds.
        QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SUITEFRAME_EUDC_FONT)) >= 0);
        controls::installFontSubstitutes();
    }

    void userDefinedCharactersDrawInTheOfficesFont_data()
    {
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("drawnBy");
        const QString office = u"SuiteFrame EUDC Test"_s;
        QTest::newRow("新細明體") << u"新細明體"_s << u"林\uE000"_s << office;
        QTest::newRow("細明體") << u"細明體"_s << u"林\uE000"_s << office;
        QTest::newRow("MS Sans Serif, Chinese falling back")
            << u"MS Sans Serif"_s << u"林\uE000"_s << office;
        // 8E40, which the office's font lacks: an empty box, never the Ming face's own
        // glyph there (the Hong Kong face's 浵), which is another character.
        QTest::newRow("one the office's font lacks")
            << u"新細明體"_s << u"林\uE311"_s << u"SuiteFrame User-Defined Placeholder"_s;
    }

    // 林, then a user-defined character of Big5 (FA40 is U+E000), as a name from the
    // Windows machines reads.
    void userDefinedCharactersDrawInTheOfficesFont()
    {
        QFETCH(QString, design);
        QFETCH(QString, name);
        QFETCH(QString, drawnBy);
        QTextLayout layout(name, controls::designFont(design, 12));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QStringList families;
        for (const QGlyphRun &run : layout.glyphRuns())
            families << run.rawFont().familyName();
        QVERIFY2(families.contains(drawnBy, Qt::CaseInsensitive), qPrintable(families.join(u", ")));
    }
};

QTEST_MAIN(tst_Fonts)

#include "tst_fonts.moc"
