// Run by the build after linking the program: puts an empty Plans.mdb beside it. An
// existing file holds the user's tasks and is never touched.

#include "store/Schema.h"
#include "toolkit/Error.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_plans_db PATH\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    try {
        const bool made = Schema::createIfMissing(path);
        std::printf("%s: %s\n", argv[1], made ? "empty database made" : "kept as it is");
    } catch (const TarvikError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
