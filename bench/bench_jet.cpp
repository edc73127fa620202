// Converting the Windows program's Jet Plans.mdb of 20,000 tasks, beside mdb-export reading
// the same file as the reference reader, and the first open of the converted file beside the
// open of a file of as many tasks written by the program itself.
// Usage: bench_jet [Jet file]; by default the 20,000-task file of the tests' data.

#include "BenchSupport.h"
#include "store/TDataModule_Main.h"
#include "store/jet/JetFile.h"
#include "store/jet/JetReading.h"
#include "toolkit/Error.h"

#include <QCoreApplication>
#include <QProcess>

#include <memory>

namespace {

double openMs(const QString& databasePath) {
    return Bench::medianMs(5, [&] {
        TDataModule_Main module;
        module.Connection.setConnectionString(QStringLiteral("Data Source=") + databasePath);
        module.Connection.Open();
        module.Table_Main.Open();
    });
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int helper = JetReading::serveIfAsked(); helper >= 0)
        return helper;
    QCoreApplication app(argc, argv);
    const QString jet = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral(TARVIK_TEST_DATA "/jet4-20000.mdb");
    try {
        std::unique_ptr<TempProgram> program;
        QString notice;
        const double convert = Bench::medianMs(
            5,
            [&] {
                program = std::make_unique<TempProgram>();
                QFile::remove(program->databasePath());
                QFile::copy(jet, program->databasePath());
            },
            [&] { notice = JetFile::convertIfJet(program->databasePath()); });
        std::printf("%s\n", qPrintable(notice));
        Bench::report("convert (median of 5)", convert, 1000);
        const double exported = Bench::medianMs(5, [&] {
            QProcess reader;
            reader.setStandardOutputFile(QProcess::nullDevice());
            reader.start(QStringLiteral("mdb-export"), {jet, QStringLiteral("Plans")});
            reader.waitForFinished(-1);
        });
        Bench::figure("mdb-export, same file", exported);

        TempProgram made;
        Bench::TaskMix mix;
        mix.count = 20000;
        Bench::fillTasks(made.databasePath(), mix);
        Bench::figure("open, program's own file", openMs(made.databasePath()));
        Bench::figure("open, converted file", openMs(program->databasePath()));
        Bench::figure("peak memory", Bench::peakMemoryMb(), "MB");
    } catch (const TarvikError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
