// The entry point of every benchmark program: a Qt application (on the offscreen
// platform where no display is set) around Google Benchmark's own main.
#include "suiteframe/controls/fonts.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Dates and numbers follow the locale, as they do in the programs of the suite.
    QApplication application(argc, argv);
    controls::installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
