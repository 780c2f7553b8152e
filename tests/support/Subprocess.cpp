// SPDX-License-Identifier: GPL-3.0-or-later
#include "Subprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace testsupport {

namespace {

struct Pipe
{
    int read = -1;
    int write = -1;
};

Pipe makePipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        qFatal("cannot make a pipe");
    return {fds[0], fds[1]};
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

Subprocess::Subprocess(const QString &program, const QStringList &arguments)
{
    const Pipe in = makePipe();
    const Pipe out = makePipe();
    const Pipe err = makePipe();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);

    std::vector<QByteArray> strings{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        strings.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);

    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in.read);
    ::close(out.write);
    ::close(err.write);
    input_ = in.write;
    outputPipe_ = out.read;
    errorPipe_ = err.read;
    if (failed != 0) {
        pid_ = -1;
        qWarning("cannot start %s", qPrintable(program));
    }
}

Subprocess::~Subprocess()
{
    kill();
    closeFd(input_);
    closeFd(outputPipe_);
    closeFd(errorPipe_);
}

void Subprocess::write(const QByteArray &input)
{
    qsizetype written = 0;
    while (input_ >= 0 && written < input.size()) {
        const ssize_t n =
            ::write(input_, input.constData() + written, size_t(input.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
}

void Subprocess::closeInput()
{
    closeFd(input_);
}

QByteArray Subprocess::readLine(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    qsizetype end = -1;
    while ((end = lines_.indexOf('\n')) < 0 && outputPipe_ >= 0) {
        pollfd fd{outputPipe_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, int(qMax<qint64>(deadline.remainingTime(), 0)));
        if (ready == 0)
            return {};
        if (ready > 0)
            readAvailable(outputPipe_, lines_);
    }
    if (end < 0)
        return {};
    const QByteArray line = lines_.left(end);
    lines_.remove(0, end + 1);
    return line;
}

void Subprocess::readAvailable(int fd, QByteArray &into)
{
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
        into.append(buffer, n);
    else if (n == 0 || errno != EINTR)
        closeFd(fd == outputPipe_ ? outputPipe_ : errorPipe_);
}

int Subprocess::waitForExit(int milliseconds)
{
    if (pid_ < 0)
        return -1;
    const QDeadlineTimer deadline(milliseconds);
    // The output first, so that a program that writes much does not wait
    // for a reader.
    while (outputPipe_ >= 0 || errorPipe_ >= 0) {
        pollfd fds[2] = {{outputPipe_, POLLIN, 0}, {errorPipe_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, int(qMax<qint64>(deadline.remainingTime(), 0)));
        if (ready == 0) {
            kill();
            return -1;
        }
        if (ready < 0)
            continue;
        if (fds[0].revents)
            readAvailable(fds[0].fd, output_);
        if (fds[1].revents)
            readAvailable(fds[1].fd, errors_);
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Subprocess::kill()
{
    if (pid_ < 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

} // namespace testsupport
