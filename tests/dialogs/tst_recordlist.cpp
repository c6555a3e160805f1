// The dialog's record list: SetList and PickRST over in-memory recordsets.
#include "support/dialogtesting.h"

#include "suiteframe/adodb/memoryrecordset.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/platform/runtimeerror.h"
#include "support/valuemetatype.h"

using namespace dialogtesting;
using namespace Qt::StringLiterals;
using adodb::MemoryRecordset;

namespace {

MemoryRecordset threeFieldsTwoRecords()
{
    MemoryRecordset records({u"編號"_s, u"姓名"_s, u"金額"_s});
    records.addRecord({Value(qint32(1)), Value(u"王小明"), Value(12.5)});
    records.addRecord({Value(qint32(2)), Value(u"李大華"), Value(0.0)});
    return records;
}

// A provider that fails while reading a given field of a given record.
class FailingRecordset : public MemoryRecordset
{
public:
    FailingRecordset(const QStringList &fields, int record, int field)
        : MemoryRecordset(fields)
        , m_record(record)
        , m_field(field)
    {}

    Value fieldValue(int index) const override
    {
        if (position() == m_record && index == m_field)
            throw platform::RuntimeError(platform::ErrorNumber::ProviderFailure, u"連線中斷"_s);
        return MemoryRecordset::fieldValue(index);
    }

private:
    int m_record, m_field;
};

} // namespace

class tst_RecordList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }
    void init() { frmSure().ClearMsgFrom(); }
    void cleanup() { QCOMPARE(visibleWindows(), QStringList()); }

    void recordsBecomeColumns();
    void startsWhereTheRecordsetStands_data();
    void startsWhereTheRecordsetStands();
    void replacesLinesKeepsFontSize();
    void missingRecordsetIsReported();
    void failureOnFifthRecordKeepsWhatWasListed();
    void setList_data();
    void setList();

private:
    ModalDriver m_driver;
};

void tst_RecordList::recordsBecomeColumns()
{
    MemoryRecordset records = threeFieldsTwoRecords();
    ReportCapture reports;
    QCOMPARE(frmSure().PickRST(&records), false);
    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->Rows(), 3);
    QCOMPARE(grid->Cols(), 3);
    QCOMPARE(grid->FixedCols(), 1);
    QCOMPARE(column(grid, 0), (QStringList{u"編號"_s, u"姓名"_s, u"金額"_s}));
    QCOMPARE(column(grid, 1), (QStringList{u"1"_s, u"王小明"_s, u"12.5"_s}));
    QCOMPARE(column(grid, 2), (QStringList{u"2"_s, u"李大華"_s, u"0"_s})); // zero is no empty cell
    QCOMPARE(grid->columnAlignment(1), int(controls::Grid::AlignLeftCenter));
    QCOMPARE(grid->columnAlignment(2), int(controls::Grid::AlignLeftCenter));
    QVERIFY(records.isEOF());
    QCOMPARE(reports.warnings.size(), 0);
}

void tst_RecordList::startsWhereTheRecordsetStands_data()
{
    QTest::addColumn<int>("alreadyRead");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::newRow("from the first record") << 0 << 5 << 2;
    QTest::newRow("from the third record") << 2 << 3 << 2;
    QTest::newRow("read to the end: empty") << 4 << 1 << 0;
}

void tst_RecordList::startsWhereTheRecordsetStands()
{
    QFETCH(int, alreadyRead);
    QFETCH(int, cols);
    QFETCH(int, rows);
    MemoryRecordset records({u"n"_s, u"note"_s});
    for (int i = 1; i <= 4; ++i)
        records.addRecord({Value(qint32(i)), i == 3 ? Value::null() : Value(u"x")});
    for (int i = 0; i < alreadyRead; ++i)
        records.MoveNext();
    frmSure().SetList(Value(qint32(2)), Value(qint32(0)), Value(qint32(12)));
    frmSure().PickRST(&records);
    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->Cols(), cols);
    QCOMPARE(grid->Rows(), rows);
    if (rows == 0) {
        QCOMPARE(grid->FixedCols(), 2); // no names listed, the heading count untouched
        return;
    }
    QCOMPARE(grid->cellText(0, 1), QString::number(alreadyRead + 1));
    if (alreadyRead == 2)
        QCOMPARE(grid->cellText(1, 1), QString()); // the Null note of record 3
}

void tst_RecordList::replacesLinesKeepsFontSize()
{
    frmSure().AddLine(Value(u"舊\t行\t三"));
    frmSure().SetList(Value(qint32(0)), Value(qint32(0)), Value(10.5));
    MemoryRecordset records = threeFieldsTwoRecords();
    frmSure().PickRST(&records);
    QCOMPARE(frmSure().fgList->FontSize(), 10.5f);
    QVERIFY(!column(frmSure().fgList, 0).contains(u"舊"_s));
    QCOMPARE(frmSure().fgList->Rows(), 3);
}

void tst_RecordList::missingRecordsetIsReported()
{
    frmSure().AddLine(Value(u"a\tb"));
    ReportCapture reports;
    QCOMPARE(frmSure().PickRST(nullptr), false);
    QCOMPARE(reports.count(u"frmSure_PickRST"_s), 1);
    QCOMPARE(frmSure().fgList->Rows(), 0);
    QCOMPARE(frmSure().fgList->Cols(), 1);
}

void tst_RecordList::failureOnFifthRecordKeepsWhatWasListed()
{
    FailingRecordset records({u"a"_s, u"b"_s, u"c"_s}, 4, 2);
    for (int i = 0; i < 10; ++i)
        records.addRecord({Value(u"很長的一段值 %1"_s.arg(i)), Value(qint32(i)), Value(u"c")});
    const double unsized = [] {
        controls::Grid fresh;
        fresh.setFont(frmSure().fgList->font());
        fresh.setCols(1);
        return fresh.columnWidthTwips(0);
    }();
    ReportCapture reports;
    frmSure().PickRST(&records);
    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(reports.warnings.size(), 1);
    QCOMPARE(reports.count(u"frmSure_PickRST"_s), 1);
    QCOMPARE(grid->Cols(), 6);
    for (int col = 1; col <= 4; ++col)
        QCOMPARE(column(grid, col),
                 (QStringList{u"很長的一段值 %1"_s.arg(col - 1), QString::number(col - 1), u"c"_s}));
    QCOMPARE(column(grid, 5), (QStringList{u"很長的一段值 4"_s, u"4"_s, QString()}));
    for (int col = 0; col < grid->Cols(); ++col)
        QCOMPARE(grid->columnWidthTwips(col), unsized);
    QCOMPARE(records.position(), 4);
}

void tst_RecordList::setList_data()
{
    QTest::addColumn<Value>("fixedCols");
    QTest::addColumn<Value>("fixedRows");
    QTest::addColumn<Value>("fontSize");
    QTest::addColumn<int>("expectedCols");
    QTest::addColumn<int>("expectedRows");
    QTest::addColumn<float>("expectedSize");
    QTest::addColumn<int>("reportCount");
    QTest::newRow("2, 1, 10.5") << Value(qint32(2)) << Value(qint32(1)) << Value(10.5) << 2 << 1
                                << 10.5f << 0;
    QTest::newRow("2.5 rounds to even")
        << Value(2.5) << Value(qint32(1)) << Value(qint32(12)) << 2 << 1 << 12.0f << 0;
    QTest::newRow("3.5 rounds to even")
        << Value(3.5) << Value(qint32(0)) << Value(qint32(12)) << 4 << 0 << 12.0f << 0;
    QTest::newRow("numeric texts")
        << Value(u"1") << Value(u"2") << Value(u"9") << 1 << 2 << 9.0f << 0;
    QTest::newRow("first not numeric: nothing set")
        << Value(u"x") << Value(qint32(1)) << Value(qint32(9)) << 0 << 0 << 12.0f << 1;
    QTest::newRow("third not numeric: counts set")
        << Value(qint32(1)) << Value(qint32(1)) << Value(u"big") << 1 << 1 << 12.0f << 1;
    QTest::newRow("Null count") << Value::null() << Value(qint32(1)) << Value(qint32(9)) << 0 << 0
                                << 12.0f << 1;
    QTest::newRow("negative count refused")
        << Value(qint32(-1)) << Value(qint32(1)) << Value(qint32(9)) << 0 << 0 << 12.0f << 1;
    QTest::newRow("zero font size refused")
        << Value(qint32(1)) << Value(qint32(1)) << Value(qint32(0)) << 1 << 1 << 12.0f << 1;
}

void tst_RecordList::setList()
{
    QFETCH(Value, fixedCols);
    QFETCH(Value, fixedRows);
    QFETCH(Value, fontSize);
    QFETCH(int, expectedCols);
    QFETCH(int, expectedRows);
    QFETCH(float, expectedSize);
    QFETCH(int, reportCount);
    frmSure().AddLine(Value(u"a\tb"));
    ReportCapture reports;
    frmSure().SetList(fixedCols, fixedRows, fontSize);
    const controls::Grid *grid = frmSure().fgList;
    QCOMPARE(grid->FixedCols(), expectedCols);
    QCOMPARE(grid->FixedRows(), expectedRows);
    QCOMPARE(grid->FontSize(), expectedSize);
    QCOMPARE(reports.count(u"frmSure_SetList"_s), reportCount);
    QCOMPARE(grid->Rows(), 1); // cells untouched
    QCOMPARE(grid->cellText(0, 1), u"b"_s);
}

QTEST_MAIN(tst_RecordList)
#include "tst_recordlist.moc"
