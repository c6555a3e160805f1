// Message lines of the dialog: AddLine and ClearMsgFrom.
#include "support/dialogtesting.h"

#include "suiteframe/controls/grid.h"
#include "suiteframe/dialogs/messagepanel.h"

using namespace dialogtesting;
using namespace Qt::StringLiterals;

class tst_MessageLines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }
    void init() { frmSure().ClearMsgFrom(); }
    void cleanup() { QCOMPARE(visibleWindows(), QStringList()); }

    void linesShapeTheGrid_data();
    void linesShapeTheGrid();
    void nullLineReportsThreeStepsAndAddsNoRow();
    void linesAccumulateAcrossShows();
    void clearResetsGridAndSettings();
    void columnsFitTheirWidestCell();

private:
    ModalDriver m_driver;
};

void tst_MessageLines::linesShapeTheGrid_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QStringList>("firstRow");
    QTest::newRow("two two-part lines")
        << QStringList{u"a\tb"_s, u"c\td"_s} << 2 << 2 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("line without tab")
        << QStringList{u"alone"_s} << 1 << 1 << QStringList{u"alone"_s};
    QTest::newRow("three then two parts: third part lost")
        << QStringList{u"a\tb\tc"_s, u"d\te"_s} << 2 << 2 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("two then three parts: empty third cell")
        << QStringList{u"a\tb"_s, u"c\td\te"_s} << 2 << 3 << QStringList{u"a"_s, u"b"_s, QString()};
    QTest::newRow("trailing tab: empty last part")
        << QStringList{u"word\t"_s} << 1 << 2 << QStringList{u"word"_s, QString()};
    QTest::newRow("adjacent tabs: empty middle part")
        << QStringList{u"a\t\tc"_s} << 1 << 3 << QStringList{u"a"_s, QString(), u"c"_s};
    QTest::newRow("parts are not trimmed")
        << QStringList{u" a \t b "_s} << 1 << 2 << QStringList{u" a "_s, u" b "_s};
    QTest::newRow("empty line: a row without columns")
        << QStringList{QString()} << 1 << 0 << QStringList();
}

void tst_MessageLines::linesShapeTheGrid()
{
    QFETCH(QStringList, lines);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QStringList, firstRow);
    ReportCapture reports;
    for (const QString &line : lines)
        frmSure().AddLine(Value(line));
    controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->Rows(), rows);
    QCOMPARE(grid->Cols(), cols);
    QStringList actual;
    for (int col = 0; col < cols; ++col)
        actual << grid->cellText(0, col);
    QCOMPARE(actual, firstRow);
    QCOMPARE(reports.warnings.size(), 0);
}

void tst_MessageLines::nullLineReportsThreeStepsAndAddsNoRow()
{
    frmSure().AddLine(Value(u"a\tb\tc"));
    ReportCapture reports;
    frmSure().AddLine(Value::null());
    QCOMPARE(reports.count(u"frmSure_AddLine"_s), 3);
    QCOMPARE(reports.warnings.size(), 3);
    QCOMPARE(frmSure().fgList->Rows(), 1);
    QCOMPARE(frmSure().fgList->Cols(), 3);
}

void tst_MessageLines::linesAccumulateAcrossShows()
{
    frmSure().AddLine(Value(u"first\t1"));
    m_driver.whenShown<FrmSure>(
        [](FrmSure *dialog) { QTest::mouseClick(dialog->cmdOK, Qt::LeftButton); });
    QVERIFY(frmSure().SHOWMSG(Value(u"one")));

    // No ClearMsgFrom: the next lines go below the earlier ones and show again.
    frmSure().AddLine(Value(u"second\t2"));
    int rowsShown = 0;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        rowsShown = dialog->elaList->isVisible() ? dialog->fgList->Rows() : 0;
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"two")));
    QCOMPARE(rowsShown, 2);
    QCOMPARE(frmSure().fgList->cellText(0, 0), u"first"_s);
    QCOMPARE(frmSure().fgList->cellText(1, 0), u"second"_s);
}

void tst_MessageLines::clearResetsGridAndSettings()
{
    FrmSure &dialog = frmSure();
    dialog.SetList(Value(qint32(1)), Value(qint32(1)), Value(10.0));
    dialog.AddLine(Value(u"h1\th2"));
    dialog.AddLine(Value(u"v1\tv2"));
    m_driver.whenShown<FrmSure>([](FrmSure *d) { QTest::mouseClick(d->cmdOK, Qt::LeftButton); });
    QVERIFY(dialog.SHOWMSG(Value(u"before"), Value(u"標題"), Value(u"N")));
    const int okLeft = dialog.cmdOK->x();

    dialog.ClearMsgFrom();
    QCOMPARE(dialog.elaMsg->Caption(), QString());
    QCOMPARE(dialog.fgList->Rows(), 0);
    QCOMPARE(dialog.fgList->Cols(), 0);
    QCOMPARE(dialog.fgList->FixedRows(), 0);
    QCOMPARE(dialog.fgList->FixedCols(), 0);
    QCOMPARE(dialog.fgList->FontSize(), 12.0f);
    // What SHOWMSG sets anew on every call is left alone.
    QCOMPARE(dialog.windowTitle(), u"標題"_s);
    QCOMPARE(dialog.cmdOK->x(), okLeft);
    QVERIFY(dialog.elaList->Visible());
    QCOMPARE(dialog.fbChoice(), true);
}

void tst_MessageLines::columnsFitTheirWidestCell()
{
    FrmSure &dialog = frmSure();
    dialog.AddLine(Value(u"短\t x"));
    const double narrow = dialog.fgList->columnWidthTwips(0);
    dialog.AddLine(Value(u"很長很長很長的標籤\ty"));
    QVERIFY(dialog.fgList->columnWidthTwips(0) > narrow);
    QVERIFY(dialog.fgList->columnWidthTwips(0) > dialog.fgList->columnWidthTwips(1));
}

QTEST_MAIN(tst_MessageLines)
#include "tst_messagelines.moc"
