// SPDX-License-Identifier: GPL-3.0-or-later
// A TCP proxy for trying the program over a poor network link. It passes
// every connection it accepts on to one server, and on command delays what
// it passes, holds it back, or resets the connections; it counts the
// client's turns (the round trips a client waits for).
//
//   tcpproxy LISTEN_ADDRESS SERVER_ADDRESS SERVER_PORT
//
// Once it listens it prints "listening PORT". It then reads commands on
// its standard input, one a line, and answers each with one line:
//
//   delay MS            every byte is passed on MS ms after it came, each way
//   hold                nothing is passed on, either way, until "pass"
//   pass                passing resumes, with what was held back
//   reset               every open connection is reset (RST to both sides)
//   reset-after BYTES   every connection is reset once BYTES more went to
//                       its client, counted from now or from its start
//                       (0: never)
//   hold-after BYTES    every connection is held for good once BYTES more
//                       went to its client, counted likewise (0: never)
//   hold-after-turns N  a connection is held for good from its client's
//                       turn N + 1 on, which is not passed on (0: never)
//   count               "connections C turns T up U down D" since "zero":
//                       connections accepted, turns (data from a client
//                       after data to it, or its first), bytes each way
//   zero                the counts start again at 0
//
// It ends when its standard input closes.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A connection reads no more while this much waits to be passed on.
constexpr size_t queueLimit = 4 << 20;
constexpr size_t readSize = 64 << 10;

struct Settings
{
    std::chrono::milliseconds delay{0};
    bool holding = false;
    unsigned long long resetAfter = 0;
    unsigned long long holdAfter = 0;
    unsigned long long holdAfterTurns = 0;
};

struct Counts
{
    unsigned long long connections = 0;
    unsigned long long turns = 0;
    unsigned long long up = 0;
    unsigned long long down = 0;
};

struct Chunk
{
    Clock::time_point due;
    std::string bytes;
    size_t written = 0;
};

// One way of a connection: bytes read from `from` wait here to be written
// to `to`.
struct Way
{
    int from = -1;
    int to = -1;
    std::deque<Chunk> queue;
    size_t queued = 0;
    bool ended = false;  // `from` sent all it will
    bool closed = false; // `to` was told so
    unsigned long long passed = 0;
};

// Bytes to a client at which its connection is reset or held; 0: never.
struct Limits
{
    unsigned long long resetAt = 0;
    unsigned long long holdAt = 0;
};

struct Link
{
    Way up;   // client to server
    Way down; // server to client
    Limits limits;
    bool clientSpokeLast = false;
    unsigned long long turns = 0;
    bool held = false;
    bool done = false;
};

Settings settings;
Counts counts;
std::vector<std::unique_ptr<Link>> links;

void fail(const char *what)
{
    std::fprintf(stderr, "tcpproxy: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

void nonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

sockaddr_in address(const char *host, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, host, &a.sin_addr) != 1) {
        std::fprintf(stderr, "tcpproxy: not an IPv4 address: %s\n", host);
        std::exit(2);
    }
    return a;
}

// Closes both sockets so that each peer receives a reset, not an end.
void reset(Link &link)
{
    const linger abrupt{1, 0};
    for (const int fd : {link.up.from, link.down.from}) {
        if (fd < 0)
            continue;
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
        close(fd);
    }
    link.up.from = link.up.to = link.down.from = link.down.to = -1;
    link.done = true;
}

void finish(Link &link)
{
    close(link.up.from);
    close(link.down.from);
    link.up.from = link.up.to = link.down.from = link.down.to = -1;
    link.done = true;
}

bool passes(const Link &link)
{
    return !settings.holding && !link.held;
}

void accept(int listener, const sockaddr_in &server)
{
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0)
        return;
    // The server is on this machine: connecting to it does not wait.
    const int upstream = socket(AF_INET, SOCK_STREAM, 0);
    if (upstream < 0 ||
        connect(upstream, reinterpret_cast<const sockaddr *>(&server), sizeof server) != 0) {
        close(client);
        if (upstream >= 0)
            close(upstream);
        return;
    }
    const int on = 1;
    for (const int fd : {client, upstream}) {
        nonBlocking(fd);
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    auto link = std::make_unique<Link>();
    link->limits = {settings.resetAfter, settings.holdAfter};
    link->up.from = link->down.to = client;
    link->up.to = link->down.from = upstream;
    links.push_back(std::move(link));
    ++counts.connections;
}

void read(Link &link, Way &way, bool fromClient)
{
    std::string bytes(readSize, '\0');
    const ssize_t n = ::read(way.from, bytes.data(), bytes.size());
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            reset(link);
        return;
    }
    if (n == 0) {
        way.ended = true;
        return;
    }
    bytes.resize(size_t(n));
    if (fromClient && !link.clientSpokeLast) {
        ++link.turns;
        ++counts.turns;
        if (settings.holdAfterTurns > 0 && link.turns > settings.holdAfterTurns)
            link.held = true;
    }
    link.clientSpokeLast = fromClient;
    way.queued += bytes.size();
    way.queue.push_back({Clock::now() + settings.delay, std::move(bytes)});
}

void write(Link &link, Way &way, bool toClient)
{
    const auto now = Clock::now();
    while (!way.queue.empty() && way.queue.front().due <= now) {
        Chunk &chunk = way.queue.front();
        const ssize_t n =
            ::write(way.to, chunk.bytes.data() + chunk.written, chunk.bytes.size() - chunk.written);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR)
                reset(link);
            return;
        }
        chunk.written += size_t(n);
        way.queued -= size_t(n);
        way.passed += size_t(n);
        (toClient ? counts.down : counts.up) += size_t(n);
        if (toClient && link.limits.resetAt > 0 && way.passed >= link.limits.resetAt) {
            reset(link);
            return;
        }
        if (toClient && link.limits.holdAt > 0 && way.passed >= link.limits.holdAt) {
            link.held = true;
            return;
        }
        if (chunk.written < chunk.bytes.size())
            return;
        way.queue.pop_front();
    }
    if (way.queue.empty() && way.ended && !way.closed) {
        shutdown(way.to, SHUT_WR);
        way.closed = true;
    }
}

std::string answer(const std::string &line)
{
    std::istringstream words(line);
    std::string command;
    unsigned long long number = 0;
    words >> command;
    const bool hasNumber = bool(words >> number);
    if (command == "delay" && hasNumber) {
        settings.delay = std::chrono::milliseconds(number);
    } else if (command == "hold") {
        settings.holding = true;
    } else if (command == "pass") {
        settings.holding = false;
    } else if (command == "reset") {
        for (auto &link : links)
            if (!link->done)
                reset(*link);
    } else if (command == "reset-after" && hasNumber) {
        settings.resetAfter = number;
        for (auto &link : links)
            link->limits.resetAt = number > 0 ? link->down.passed + number : 0;
    } else if (command == "hold-after" && hasNumber) {
        settings.holdAfter = number;
        for (auto &link : links)
            link->limits.holdAt = number > 0 ? link->down.passed + number : 0;
    } else if (command == "hold-after-turns" && hasNumber) {
        settings.holdAfterTurns = number;
    } else if (command == "count") {
        return "connections " + std::to_string(counts.connections) + " turns " +
               std::to_string(counts.turns) + " up " + std::to_string(counts.up) + " down " +
               std::to_string(counts.down);
    } else if (command == "zero") {
        counts = {};
    } else {
        return "error: unknown command: " + line;
    }
    return "ok";
}

// Answers every whole line read; false once the input has closed.
bool readCommands(std::string &pending)
{
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0)
        return n < 0 && errno == EINTR;
    pending.append(buffer, size_t(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string reply = answer(pending.substr(0, end)) + "\n";
        pending.erase(0, end + 1);
        if (::write(STDOUT_FILENO, reply.data(), reply.size()) < 0)
            return false;
    }
    return true;
}

// How long poll() may wait: until the next held-back chunk falls due.
int pollTimeout()
{
    if (settings.holding)
        return -1;
    auto next = Clock::time_point::max();
    for (const auto &link : links) {
        for (const Way *way : {&link->up, &link->down}) {
            if (!link->held && !way->queue.empty())
                next = std::min(next, way->queue.front().due);
        }
    }
    if (next == Clock::time_point::max())
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return int(std::max<long long>(wait.count(), 0));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: tcpproxy LISTEN_ADDRESS SERVER_ADDRESS SERVER_PORT\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    const sockaddr_in server = address(argv[2], std::atoi(argv[3]));
    sockaddr_in local = address(argv[1], 0);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        listen(listener, 64) != 0)
        fail("cannot listen");
    socklen_t length = sizeof local;
    getsockname(listener, reinterpret_cast<sockaddr *>(&local), &length);
    std::printf("listening %d\n", ntohs(local.sin_port));
    std::fflush(stdout);

    std::string commands;
    for (;;) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}, {listener, POLLIN, 0}};
        std::vector<std::pair<Link *, int>>
            owners; // of fds[i + 2]: its link, and 0 up, 1 down (2, 3: their writing ends)
        const auto now = Clock::now();
        for (const auto &link : links) {
            if (link->done)
                continue;
            const bool moving = passes(*link);
            int way = 0;
            // A socket with nothing to wait for is left out (fd -1), so
            // that a peer's end is not reported again and again.
            for (Way *w : {&link->up, &link->down}) {
                const bool reads = !w->ended && w->queued < queueLimit;
                fds.push_back({reads ? w->from : -1, POLLIN, 0});
                owners.push_back({link.get(), way});
                const bool writes = moving && !w->queue.empty() && w->queue.front().due <= now;
                fds.push_back({writes ? w->to : -1, POLLOUT, 0});
                owners.push_back({link.get(), way + 2});
                ++way;
            }
        }
        if (poll(fds.data(), fds.size(), pollTimeout()) < 0 && errno != EINTR)
            fail("poll");
        if (fds[0].revents && !readCommands(commands))
            return 0;
        if (fds[1].revents & POLLIN)
            accept(listener, server);
        for (size_t i = 2; i < fds.size(); ++i) {
            auto [link, which] = owners[i - 2];
            if (link->done)
                continue;
            Way &way = (which % 2 == 0) ? link->up : link->down;
            if (which < 2 && fds[i].fd >= 0 && fds[i].revents != 0)
                read(*link, way, which == 0);
        }
        for (const auto &link : links) {
            if (link->done || !passes(*link))
                continue;
            write(*link, link->up, false);
            if (!link->done)
                write(*link, link->down, true);
            if (!link->done && link->up.closed && link->down.closed)
                finish(*link);
        }
        links.erase(
            std::remove_if(links.begin(), links.end(), [](const auto &link) { return link->done; }),
            links.end());
    }
}
