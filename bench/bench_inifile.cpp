// How long one settings value takes to read and to write (replaced whole and synced to
// disk) in a file of 400 keys (the size of the two-writer test), in UTF-8 and in Big5;
// and Encrypt of a short text.
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/codepage.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const char *const CodePages[] = {"UTF-8", "CP950"};

QString filledFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    for (int i = 0; i < 400; ++i)
        basBase::WriteIniValue(path,
                               QStringLiteral("設定"),
                               QStringLiteral("key%1").arg(i),
                               QStringLiteral("值 %1").arg(i));
    return path;
}

} // namespace

static void BM_ReadIniValue(benchmark::State &state)
{
    platform::codepage::setName(QString::fromLatin1(CodePages[state.range(0)]));
    QTemporaryDir dir;
    const QString path = filledFile(dir);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            basBase::ReadIniValue(path, QStringLiteral("設定"), QStringLiteral("key399")));
    state.SetLabel(CodePages[state.range(0)]);
    platform::codepage::setName(QString());
}
BENCHMARK(BM_ReadIniValue)->Arg(0)->Arg(1);

static void BM_WriteIniValue(benchmark::State &state)
{
    platform::codepage::setName(QString::fromLatin1(CodePages[state.range(0)]));
    QTemporaryDir dir;
    const QString path = filledFile(dir);
    int i = 0;
    for (auto _ : state)
        basBase::WriteIniValue(path,
                               QStringLiteral("設定"),
                               QStringLiteral("key200"),
                               QString::number(++i));
    state.SetLabel(CodePages[state.range(0)]);
    platform::codepage::setName(QString());
}
BENCHMARK(BM_WriteIniValue)->Arg(0)->Arg(1);

static void BM_Encrypt(benchmark::State &state)
{
    const QString text = QStringLiteral("Password=secret; user=someone");
    for (auto _ : state)
        benchmark::DoNotOptimize(basBase::Encrypt(text, QStringLiteral("key")));
}
BENCHMARK(BM_Encrypt);
