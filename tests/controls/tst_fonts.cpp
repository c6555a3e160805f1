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
        QTest::newRow("新細明體") << u"新細明體"_s;
        QTest::newRow("細明體") << u"細明體"_s;
        QTest::newRow("MS Sans Serif, Chinese falling back") << u"MS Sans Serif"_s;
    }

    // 林, then FA40 of Big5 (U+E000), as a name from the Windows machines reads.
    void userDefinedCharactersDrawInTheOfficesFont()
    {
        QFETCH(QString, design);
        QTextLayout layout(u"林\uE000"_s, controls::designFont(design, 12));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QStringList families;
        for (const QGlyphRun &run : layout.glyphRuns())
            families << run.rawFont().familyName();
        QVERIFY2(families.contains(u"SuiteFrame EUDC Test"_s, Qt::CaseInsensitive),
                 qPrintable(families.join(u", ")));
    }
};

QTEST_MAIN(tst_Fonts)

#include "tst_fonts.moc"
