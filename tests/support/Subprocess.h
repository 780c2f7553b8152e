// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace testsupport {

// A program the tests run beside themselves (a server script, psql), with
// its standard input, output and error on pipes. Started with posix_spawn,
// not QProcess: ThreadSanitizer's runtime cannot follow the clone() that
// QProcess forks with.
class Subprocess
{
public:
    Subprocess(const QString &program, const QStringList &arguments);
    // Kills the program if it still runs, and waits for it.
    ~Subprocess();
    Subprocess(const Subprocess &) = delete;
    Subprocess &operator=(const Subprocess &) = delete;

    // Writes to the program's standard input, all of it.
    void write(const QByteArray &input);
    void closeInput();
    // The next line the program writes, without its line feed; empty when
    // none comes in time.
    QByteArray readLine(int milliseconds);
    // Waits for the program to end, gathering what it writes meanwhile;
    // its exit status, or -1 when it did not end in time (it is then
    // killed) or ended by a signal.
    int waitForExit(int milliseconds);
    void kill();

    const QByteArray &output() const { return output_; }
    const QByteArray &errors() const { return errors_; }

private:
    void readAvailable(int fd, QByteArray &into);

    pid_t pid_ = -1;
    int input_ = -1;
    int outputPipe_ = -1;
    int errorPipe_ = -1;
    QByteArray output_;
    QByteArray errors_;
    QByteArray lines_; // written, not yet taken by readLine()
};

} // namespace testsupport
