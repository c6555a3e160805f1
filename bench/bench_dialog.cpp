// The message dialog's costs: message lines added one by one, a large recordset
// listed as a card, the bytes its grid holds, and the time to a painted dialog.
#include "suiteframe/adodb/memoryrecordset.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/dialogs/frmSure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

using dialogs::frmSure;
using platform::Value;

// Lines of two parts, a label and a value, as callers list computed results.
static void BM_AddLine(benchmark::State &state)
{
    const int lines = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        frmSure().ClearMsgFrom();
        state.ResumeTiming();
        for (int i = 0; i < lines; ++i)
            frmSure().AddLine(Value(QStringLiteral("項目 %1\t金額 %2").arg(i).arg(i * 37 % 100000)));
    }
    frmSure().ClearMsgFrom();
}
BENCHMARK(BM_AddLine)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

static adodb::MemoryRecordset &bigRecordset()
{
    static adodb::MemoryRecordset records = [] {
        adodb::MemoryRecordset r({QStringLiteral("編號"),
                                  QStringLiteral("客戶"),
                                  QStringLiteral("地址"),
                                  QStringLiteral("電話"),
                                  QStringLiteral("日期"),
                                  QStringLiteral("數量"),
                                  QStringLiteral("金額"),
                                  QStringLiteral("備註")});
        for (int i = 0; i < 100000; ++i)
            r.addRecord({Value(qint32(i)),
                         Value(QStringLiteral("客戶名稱%1").arg(i % 977)),
                         Value(QStringLiteral("台北市中山區路%1號").arg(i % 300)),
                         Value(QStringLiteral("02-2%1").arg(1000000 + i)),
                         Value(QDate(2024, 1, 1).addDays(i % 365)),
                         Value(qint32(i % 50)),
                         Value(double(i % 10000) + 0.25),
                         i % 3 ? Value::null() : Value(QStringLiteral("急件"))});
        return r;
    }();
    return records;
}

// 100,000 records of 8 fields listed on their side; also reports the grid's bytes
// against the bytes of the cell texts (UTF-16, as the texts are held).
static void BM_PickRST(benchmark::State &state)
{
    adodb::MemoryRecordset &records = bigRecordset();
    for (auto _ : state) {
        state.PauseTiming();
        records.MoveFirst();
        frmSure().ClearMsgFrom();
        state.ResumeTiming();
        frmSure().PickRST(&records);
    }
    const controls::Grid *grid = frmSure().fgList;
    double textBytes = 0;
    for (int row = 0; row < grid->Rows(); ++row)
        for (int col = 0; col < grid->Cols(); ++col)
            textBytes += double(grid->cellText(row, col).size()) * 2;
    state.counters["cols"] = grid->Cols();
    state.counters["text_MB"] = textBytes / 1e6;
    state.counters["grid_MB"] = double(grid->cellBytes()) / 1e6;
    state.counters["grid_per_text"] = double(grid->cellBytes()) / textBytes;
    frmSure().ClearMsgFrom();
}
BENCHMARK(BM_PickRST)->Unit(benchmark::kMillisecond)->Iterations(3);

// From the SHOWMSG call to the end of the first paint of the shown dialog, on a
// dialog that has been loaded and shown before.
static void BM_ShowMsgPainted(benchmark::State &state)
{
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines << QStringLiteral("第 %1 行：請確認資料無誤後再按確定。").arg(i);
    const Value message(lines.join(QLatin1Char('\n')));

    struct PaintWatch : QObject
    {
        QElapsedTimer clock;
        qint64 paintedAt = -1;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && paintedAt < 0) {
                paintedAt = 0;
                // Runs after this round of painting has reached every child.
                QTimer::singleShot(0, [this] {
                    paintedAt = clock.nsecsElapsed();
                    frmSure().cmdOK->click();
                });
            }
            return false;
        }
    } watch;
    // Panels cover the window itself, which then gets no paint of its own.
    const QList<QWidget *> widgets = frmSure().findChildren<QWidget *>();
    for (QWidget *widget : widgets)
        widget->installEventFilter(&watch);

    for (auto _ : state) {
        watch.paintedAt = -1;
        watch.clock.start();
        frmSure().SHOWMSG(message, Value(QStringLiteral("確認")));
        state.SetIterationTime(double(watch.paintedAt) / 1e9);
    }
    for (QWidget *widget : widgets)
        widget->removeEventFilter(&watch);
}
BENCHMARK(BM_ShowMsgPainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
