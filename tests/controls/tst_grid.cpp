// The grid control: shape, cells, column sizing, frozen headings, keyboard and copy.
#include "suiteframe/controls/grid.h"

#include "suiteframe/controls/fonts.h"
#include "suiteframe/platform/value.h"
#include "support/runtimeerror.h"
#include "support/valuemetatype.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

#include <functional>
#include <limits>

using controls::Grid;
using platform::Value;
using namespace Qt::StringLiterals;

namespace {

// Runs one step of a script on the grid: "add:<line>", "set:<row>:<col>:<text>",
// "rows:<n>", "cols:<n>", "font:<points>". Each step is followed by an auto-size of
// all columns, as the message lines do after every line.
void runStep(Grid &grid, const QString &step)
{
    const QString verb = step.section(u':', 0, 0);
    const QString rest = step.section(u':', 1);
    if (verb == u"add") {
        if (grid.Cols() < rest.count(u'\t') + 1)
            grid.setCols(int(rest.count(u'\t')) + 1);
        grid.appendRow(rest);
    } else if (verb == u"set") {
        grid.setCellText(rest.section(u':', 0, 0).toInt(),
                         rest.section(u':', 1, 1).toInt(),
                         rest.section(u':', 2));
    } else if (verb == u"utf8") { // as the embedded database hands its texts over
        const QByteArray text = rest.section(u':', 2).toUtf8();
        grid.setCellText(rest.section(u':', 0, 0).toInt(),
                         rest.section(u':', 1, 1).toInt(),
                         QUtf8StringView(text));
    } else if (verb == u"num") {
        grid.setCellValue(rest.section(u':', 0, 0).toInt(),
                          rest.section(u':', 1, 1).toInt(),
                          Value(rest.section(u':', 2).toDouble()));
    } else if (verb == u"rows") {
        grid.setRows(rest.toInt());
    } else if (verb == u"cols") {
        grid.setCols(rest.toInt());
    } else if (verb == u"font") {
        grid.setFontSize(rest.toFloat());
    }
    grid.autoSizeColumns(0, grid.Cols() - 1);
}

} // namespace

class tst_Grid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }

    void rowAppendSplitsAtTabs();
    void columnCountTrimsAndExtendsRows();
    void cellsKeepTheirPlacesAcrossBlocks();
    void refusedSettings_data();
    void refusedSettings();
    void incrementalAutoSizeMatchesFullMeasure_data();
    void incrementalAutoSizeMatchesFullMeasure();
    void widthsOutliveTheRowsTheyWereSizedTo();
    void overwrittenCellsKeepTheirTextsAndStorageStaysBounded();
    void longTextsRoundTrip();
    void valuesReadAsTheirTexts_data();
    void valuesReadAsTheirTexts();
    void headingsStayWhileTheRestScrolls();
    void keyboardSelectsAndCopiesTabSeparated();
    void columnsScrollWholeIntoView();

private:
    static QFont gridFont()
    {
        QFont font(u"新細明體"_s);
        font.setPointSizeF(12);
        font.setKerning(false);
        return font;
    }
};

void tst_Grid::rowAppendSplitsAtTabs()
{
    Grid grid;
    grid.setCols(3);
    grid.appendRow(u"a\tb"_s);
    grid.appendRow(u"1\t2\t3\t4"_s);
    grid.appendRow(QString());
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.cellText(0, 0), u"a"_s);
    QCOMPARE(grid.cellText(0, 1), u"b"_s);
    QCOMPARE(grid.cellText(0, 2), QString());
    QCOMPARE(grid.cellText(1, 2), u"3"_s); // the fourth part has no column
    QCOMPARE(grid.cellText(2, 0), QString());
}

void tst_Grid::columnCountTrimsAndExtendsRows()
{
    Grid grid;
    grid.setCols(3);
    grid.appendRow(u"a\tb\tc"_s);
    grid.setCols(2);
    grid.setCols(3);
    QCOMPARE(grid.cellText(0, 1), u"b"_s);
    QCOMPARE(grid.cellText(0, 2), QString()); // lost with the column, not restored
    grid.setRows(0);
    QCOMPARE(grid.Cols(), 3);
    grid.setRows(2);
    QCOMPARE(grid.cellText(1, 2), QString());
}

// Rows and columns are kept in blocks that grow: every cell keeps its place across the
// blocks' edges, as a card grows record by record and as a grid is cut and grown again.
void tst_Grid::cellsKeepTheirPlacesAcrossBlocks()
{
    constexpr int Count = 10000;
    Grid card;
    card.setRows(2);
    for (int col = 0; col < Count; ++col) {
        card.setCols(col + 1);
        card.setCellValue(0, col, Value(qint32(col)));
    }
    Grid tall;
    tall.setCols(1);
    for (int row = 0; row < Count; ++row)
        tall.appendRow(QString::number(row));
    for (const int cut : {Count, 8193, 8192, 4097, 4096, 9, 8, 7, 1}) {
        card.setCols(cut);
        card.setCols(Count);
        tall.setRows(cut);
        tall.setRows(Count);
        for (int i = 0; i < Count; ++i) {
            const QString kept = i < cut ? QString::number(i) : QString();
            QCOMPARE(card.cellText(0, i), kept);
            QCOMPARE(card.cellText(1, i), QString());
            QCOMPARE(tall.cellText(i, 0), kept);
        }
    }
}

void tst_Grid::refusedSettings_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("number");
    QTest::newRow("negative rows") << 0 << 380;
    QTest::newRow("negative columns") << 1 << 380;
    QTest::newRow("negative heading rows") << 2 << 380;
    QTest::newRow("zero font size") << 3 << 380;
    QTest::newRow("cell below the last row") << 4 << 381;
    QTest::newRow("cell right of the last column") << 5 << 381;
    QTest::newRow("alignment out of range") << 6 << 380;
    QTest::newRow("auto-size past the last column") << 7 << 381;
    QTest::newRow("auto-size of no columns") << 8 << 0;
    QTest::newRow("more rows than memory holds") << 9 << 7;
}

void tst_Grid::refusedSettings()
{
    QFETCH(int, step);
    QFETCH(int, number);
    Grid grid;
    grid.setCols(2);
    grid.setRows(2);
    const std::function<void()> steps[] = {
        [&] { grid.setRows(-1); },
        [&] { grid.setCols(-1); },
        [&] { grid.setFixedRows(-1); },
        [&] { grid.setFontSize(0); },
        [&] { grid.setCellText(2, 0, u"x"_s); },
        [&] { (void) grid.cellText(0, 2); },
        [&] { grid.setColumnAlignment(0, 10); },
        [&] { grid.autoSizeColumns(0, 2); },
        [&] { grid.autoSizeColumns(0, -1); },
        [&] { grid.setRows(std::numeric_limits<int>::max()); },
    };
    QCOMPARE(errorNumberOf(steps[step]), number);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 2);
}

void tst_Grid::incrementalAutoSizeMatchesFullMeasure_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::newRow("appended rows")
        << QStringList{u"add:短\tx"_s, u"add:很長的一個標籤\ty"_s, u"add:中等\t很長很長很長的值"_s};
    QTest::newRow("widest cell shrinks")
        << QStringList{u"add:很長的一個標籤\ty"_s, u"add:ab\tc"_s, u"set:0:0:短"_s};
    QTest::newRow("a cell other than the widest shrinks")
        << QStringList{u"add:很長的一個標籤\ty"_s, u"add:中等\tc"_s, u"set:1:0:a"_s};
    QTest::newRow("row with widest cell removed")
        << QStringList{u"add:a\tb"_s, u"add:很長的一個標籤\ty"_s, u"rows:1"_s};
    QTest::newRow("rows cleared then refilled")
        << QStringList{u"add:很長的一個標籤\ty"_s, u"rows:0"_s, u"add:a\tb"_s};
    QTest::newRow("font grows") << QStringList{u"add:abc\t一二三"_s, u"font:20"_s, u"add:d\te"_s};
    QTest::newRow("columns narrowed and widened")
        << QStringList{u"add:a\tb\t很長的第三欄"_s, u"cols:2"_s, u"cols:3"_s, u"set:0:2:c"_s};
    QTest::newRow("combining marks and surrogates")
        << QStringList{u"add:e\u0301\u0301\tx"_s, u"add:𠀀𠀁\ty"_s, u"add:ab\tz"_s};
    QTest::newRow("values measured when sized") << QStringList{u"add:很長的一個標籤\ty"_s,
                                                               u"num:0:1:123456.789"_s,
                                                               u"num:0:0:1"_s,
                                                               u"add:x\tz"_s,
                                                               u"num:1:0:-0.5"_s};
    QTest::newRow("texts kept in UTF-8")
        << QStringList{u"add:a\tb"_s, u"utf8:0:0:備註：第 12 筆資料"_s, u"utf8:0:1:A\u00A0𡩋"_s};
    QTest::newRow("one byte a character beside two")
        << QStringList{u"add:café ÿ 12.5\t𡩋"_s, u"add:Ā\t2024/3/5"_s, u"set:0:0:é"_s};
}

// Sizing after each step must give the widths of measuring the final cells at once.
void tst_Grid::incrementalAutoSizeMatchesFullMeasure()
{
    QFETCH(QStringList, script);
    Grid incremental;
    incremental.setFont(gridFont());
    for (const QString &step : script)
        runStep(incremental, step);

    Grid measuredOnce;
    measuredOnce.setFont(incremental.font());
    measuredOnce.setCols(incremental.Cols());
    measuredOnce.setRows(incremental.Rows());
    for (int row = 0; row < incremental.Rows(); ++row)
        for (int col = 0; col < incremental.Cols(); ++col)
            measuredOnce.setCellText(row, col, incremental.cellText(row, col));
    measuredOnce.autoSizeColumns(0, measuredOnce.Cols() - 1);

    for (int col = 0; col < incremental.Cols(); ++col)
        QCOMPARE(incremental.columnWidthTwips(col), measuredOnce.columnWidthTwips(col));
}

// Rows that go while their columns wait to be sized leave the widths autoSizeColumns gave
// at its call, read before the rows went or after; the next auto-size measures only the
// rows there are then, and the rows set aside go with the columns.
void tst_Grid::widthsOutliveTheRowsTheyWereSizedTo()
{
    const auto sizedGrid = [](const QString &line) {
        auto grid = std::make_unique<Grid>();
        grid->setFont(gridFont());
        grid->setCols(2);
        grid->appendRow(line);
        grid->autoSizeColumns(0, 1);
        return grid;
    };
    const auto wide = sizedGrid(u"很長的一個標籤\ty"_s);
    const auto narrow = sizedGrid(u"a\tb"_s);
    for (const bool readBeforeTheRowsGo : {true, false}) {
        const auto grid = sizedGrid(u"很長的一個標籤\ty"_s);
        if (readBeforeTheRowsGo)
            QCOMPARE(grid->columnWidthTwips(0), wide->columnWidthTwips(0));
        grid->setRows(0);
        grid->appendRow(u"a\tb"_s);
        QCOMPARE(grid->columnWidthTwips(0), wide->columnWidthTwips(0));
        grid->autoSizeColumns(0, 1);
        QCOMPARE(grid->columnWidthTwips(0), narrow->columnWidthTwips(0));
        grid->setRows(0);
        grid->setCols(0);
        QCOMPARE(grid->cellBytes(), std::size_t(0));
    }
}

void tst_Grid::overwrittenCellsKeepTheirTextsAndStorageStaysBounded()
{
    Grid grid;
    grid.setCols(10);
    grid.setRows(10);
    for (int round = 0; round < 2000; ++round)
        for (int cell = 0; cell < 100; ++cell)
            grid.setCellText(cell / 10, cell % 10, u"round %1 cell %2"_s.arg(round).arg(cell));
    for (int cell = 0; cell < 100; ++cell)
        QCOMPARE(grid.cellText(cell / 10, cell % 10), u"round 1999 cell %1"_s.arg(cell));
    // 200,000 writes of about 20 characters: old texts are reclaimed, not kept.
    QVERIFY2(grid.cellBytes() < 2 * 1024 * 1024, qPrintable(QString::number(grid.cellBytes())));
}

void tst_Grid::longTextsRoundTrip()
{
    Grid grid;
    grid.setCols(2);
    grid.setRows(1);
    const QString longText = u"長"_s.repeated(100000);
    grid.setCellText(0, 0, longText);
    grid.setCellText(0, 1, u"short"_s);
    QCOMPARE(grid.cellText(0, 0), longText);
    grid.setCellText(0, 0, u"x"_s);
    QCOMPARE(grid.cellText(0, 0), u"x"_s);
    QCOMPARE(grid.cellText(0, 1), u"short"_s);
    for (const QString &text :
         {u"ÿ café 12.5"_s, u"Ā"_s, u"A\u00A0𡩋"_s, u"A00001"_s, u"長長"_s, u"𡩋"_s, u"客戶1"_s}) {
        grid.setCellText(0, 1, text); // one byte a character up to U+00FF, else two
        QCOMPARE(grid.cellText(0, 1), text);
        const QByteArray utf8 = text.toUtf8(); // as the embedded database hands texts over
        grid.setCellText(0, 1, QUtf8StringView(utf8));
        QCOMPARE(grid.cellText(0, 1), text);
        QCOMPARE(grid.cellText(0, 0), u"x"_s);
    }
    const QByteArray longUtf8 = longText.toUtf8();
    grid.setCellText(0, 0, QUtf8StringView(longUtf8));
    QCOMPARE(grid.cellText(0, 0), longText);
    // Bytes that are not well-formed UTF-8 read as Qt reads them.
    for (const QByteArray &bytes : {"\xc0\x80長長"_ba,
                                    "\xed\xa0\x80長長"_ba,
                                    "長長\xe4\xb8"_ba,
                                    "\xf4\x90\x80\x80長長"_ba,
                                    "\x80長長"_ba,
                                    "\xef\xbb\xbf長長"_ba,
                                    "長\xf0\xa1\xa9\x8b長"_ba}) {
        grid.setCellText(0, 1, QUtf8StringView(bytes));
        QCOMPARE(grid.cellText(0, 1), QString::fromUtf8(bytes));
    }
}

void tst_Grid::valuesReadAsTheirTexts_data()
{
    QTest::addColumn<Value>("value");
    QTest::newRow("null") << Value::null();
    QTest::newRow("empty") << Value();
    QTest::newRow("flag") << Value(true);
    QTest::newRow("integer") << Value(qint16(-12));
    QTest::newRow("long") << Value(qint32(2147483647));
    QTest::newRow("long, least kept in the reference") << Value(qint32(-268435456));
    QTest::newRow("long, least kept beside it") << Value(qint32(268435456));
    QTest::newRow("single") << Value(1.5f);
    QTest::newRow("double") << Value(0.1 + 0.2);
    QTest::newRow("double a single holds") << Value(-1234567.25);
    QTest::newRow("double in quarters, the most kept in the reference") << Value(67108863.75);
    QTest::newRow("double in quarters, the least kept beside it") << Value(67108864.25);
    QTest::newRow("double, minus zero") << Value(-0.0);
    QTest::newRow("double in eighths") << Value(0.125);
    QTest::newRow("double a single does not hold") << Value(16777217.0);
    QTest::newRow("date") << Value(QDate(1899, 12, 29));
    QTest::newRow("first date") << Value(QDate(100, 1, 1));
    QTest::newRow("last date") << Value(QDate(9999, 12, 31));
    QTest::newRow("date and time") << Value::fromDateSerial(45000.75);
    QTest::newRow("decimal") << Value::fromDecimalText(u"-12345678901234567890.5"_s);
    QTest::newRow("text") << Value(u"黃𡩋祥"_s);
}

// A value keeps its kind: its text is the runtime's, whenever it is asked for, and the
// cell survives the store being packed again.
void tst_Grid::valuesReadAsTheirTexts()
{
    QFETCH(Value, value);
    Grid grid;
    grid.setCols(2);
    grid.setRows(1);
    grid.setCellValue(0, 0, value);
    const QString text = value.isNull() || value.isEmpty() ? QString() : value.toText();
    QCOMPARE(grid.cellText(0, 0), text);
    for (int round = 0; round < 20000; ++round)
        grid.setCellText(0, 1, u"round %1"_s.arg(round));
    QCOMPARE(grid.cellText(0, 0), text);
}

void tst_Grid::headingsStayWhileTheRestScrolls()
{
    Grid grid;
    grid.setFont(gridFont());
    grid.setCols(40);
    grid.setRows(300);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QVERIFY(grid.verticalScrollBar()->maximum() > 0);
    QVERIFY(grid.horizontalScrollBar()->maximum() > 0);

    const QImage image = grid.viewport()->grab().toImage();
    const QColor heading = grid.palette().color(QPalette::Button);
    const QColor body = grid.palette().color(QPalette::Base);
    const int headingWidth = int(grid.columnWidthTwips(0) / 15);
    QCOMPARE(image.pixelColor(5, 5), heading);                 // corner
    QCOMPARE(image.pixelColor(headingWidth + 20, 5), heading); // heading row, scrolled across
    QCOMPARE(image.pixelColor(5, 100), heading);               // heading column, scrolled down
    QCOMPARE(image.pixelColor(headingWidth + 20, 100), body);
}

void tst_Grid::keyboardSelectsAndCopiesTabSeparated()
{
    Grid grid;
    grid.setCols(3);
    grid.appendRow(u"\tH1\tH2"_s);
    grid.appendRow(u"R1\ta\tb"_s);
    grid.appendRow(u"R2\tc\td"_s);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    // Nothing selected: the whole grid.
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"\tH1\tH2\nR1\ta\tb\nR2\tc\td\n"_s);

    QTest::keyClick(&grid, Qt::Key_Down); // lands on the first cell that is no heading
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 1);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"a\tb\nc\td\n"_s);

    QTest::keyClick(&grid, Qt::Key_Up); // no further than the headings
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.Row(), 1);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 2);
}

// The columns scroll by whole columns, as on the old desktop: keys bring the current
// column into view at either edge, and the heading column stays.
void tst_Grid::columnsScrollWholeIntoView()
{
    Grid grid;
    grid.setFont(gridFont());
    grid.setCols(200);
    grid.setRows(2);
    grid.setFixedCols(1);
    for (int col = 0; col < grid.Cols(); ++col)
        grid.setCellText(1, col, u"第 %1 筆"_s.arg(col));
    grid.autoSizeColumns(0, grid.Cols() - 1);
    grid.resize(300, 120);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QScrollBar *bar = grid.horizontalScrollBar();
    QCOMPARE(bar->singleStep(), 1);
    QVERIFY(bar->maximum() > 150 && bar->maximum() < 199); // the last few share the view

    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_End);
    QCOMPARE(grid.Col(), 199);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(&grid, Qt::Key_Home);
    QCOMPARE(grid.Col(), 1); // the heading column is no cell to stand on
    QCOMPARE(bar->value(), 0);
    for (int step = 0; step < 30; ++step)
        QTest::keyClick(&grid, Qt::Key_Right);
    QCOMPARE(grid.Col(), 31);
    // Column 31 ends within the view, at its right edge.
    const int headingWidth = int(grid.columnWidthTwips(0) / 15);
    int right = headingWidth;
    for (int col = 1 + bar->value(); col <= 31; ++col)
        right += int(grid.columnWidthTwips(col) / 15);
    QVERIFY(right <= grid.viewport()->width());
    QVERIFY(right + int(grid.columnWidthTwips(32) / 15) > grid.viewport()->width());
}

QTEST_MAIN(tst_Grid)
#include "tst_grid.moc"
