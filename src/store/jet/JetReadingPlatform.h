#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QProcess;

// What the reading helper needs of its platform. One source file per platform.
namespace JetReadingPlatform {

// What the helper may take of the machine before it is ended.
struct Limits {
    qint64 memoryBytes;
    int milliseconds;
};

// First thing in the helper: it ends with its parent, and on POSIX caps its own memory and
// processor time (on Windows the parent's job caps its memory).
void confineSelf(const Limits& limits);

// Made by the parent before it starts the helper, and held while the helper runs. Windows: a
// job that caps the helper's memory and ends it with the parent, the helper in it from its
// creation on (a parent ended while it creates the helper would otherwise leave the helper
// suspended for good). POSIX: nothing.
class Confinement final {
public:
    Confinement(QProcess& helper, const Limits& limits);
    ~Confinement();
    Confinement(const Confinement&) = delete;
    Confinement& operator=(const Confinement&) = delete;

private:
    struct Job;
    std::unique_ptr<Job> m_job;
};

// Writes all of data to the standard output, unchanged (no text-mode line endings).
bool writeOut(const QByteArray& data);
// The file's name as libmdb opens it, with the C library's fopen().
QByteArray fileName(const QString& path);

} // namespace JetReadingPlatform
