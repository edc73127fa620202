// The yardstick: the same table shown the plain Qt way, a QSqlTableModel on Plans through
// Qt's SQLite driver in a QTableView, every row fetched, as a program written in an
// afternoon would show it. The other benchmarks start it on their own file and print its
// figures beside Tarvik's. It prints, one "name value" per line: the open (select and
// fetch every row), the peak memory once the window shows, a sort by title (the model's
// own, which selects again with ORDER BY), and the peak memory after it.
// Usage: plain_qt DATABASE [--no-window]

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlTableModel>
#include <QTableView>
#include <QTest>

#include <cstdio>

namespace {

void fetchEvery(QSqlTableModel& model) {
    while (model.canFetchMore())
        model.fetchMore();
}

double timed(const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    return double(timer.nsecsElapsed()) / 1e6;
}

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: plain_qt DATABASE [--no-window]\n");
        return 2;
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    database.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    QSqlTableModel model;
    const double open = timed([&] {
        database.open();
        model.setTable(QStringLiteral("Plans"));
        model.select();
        fetchEvery(model);
    });
    if (model.rowCount() == 0) {
        std::fprintf(stderr, "no rows: %s\n", qPrintable(model.lastError().text()));
        return 1;
    }
    print("open", open);
    QTableView view;
    if (argc < 3 || QByteArray(argv[2]) != "--no-window") {
        view.setWindowTitle(QStringLiteral("Plans"));
        view.setModel(&model);
        view.resize(800, 600);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return 1;
        QTest::qWait(50); // the first paint
    }
    print("peak-at-showing", Bench::peakMemoryMb());
    print("sort-by-title", timed([&] {
              model.sort(model.fieldIndex(QStringLiteral("Plan")), Qt::AscendingOrder);
              fetchEvery(model);
          }));
    print("peak", Bench::peakMemoryMb());
    return 0;
}
