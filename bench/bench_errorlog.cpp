// How long one logged report takes: building the message and appending the record
// whole, in the appenders' turn.
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

static void BM_LogError(benchmark::State &state)
{
    QTemporaryDir dir;
    basBase::LogFilePath = dir.filePath(QStringLiteral("error.log"));
    platform::Err().set(platform::RuntimeError(13));
    for (auto _ : state)
        basBase::LogError(QStringLiteral("DBDateDisp"));
    platform::Err().clear();
    basBase::LogFilePath.clear();
}
BENCHMARK(BM_LogError);

static void BM_DBDateDisp(benchmark::State &state)
{
    const platform::Value date(QDate(2012, 12, 8));
    const platform::Value code(QStringLiteral("CC/MM/DD"));
    for (auto _ : state)
        benchmark::DoNotOptimize(basBase::DBDateDisp(date, code));
}
BENCHMARK(BM_DBDateDisp);
