#include "tools/tour/TileWorkers.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>

namespace tileWorkers {

namespace {

constexpr size_t kMaxText = 3000;

struct Worker {
    pid_t pid = -1;
    int commands = -1;  // this process writes job numbers here
    int results = -1;   // and reads the worker's answers here
    int job = -1;       // in hand; -1: none
};

// All of size bytes through transfer (read or write), however many calls it takes.
template <class Byte, class Transfer>
bool transferAll(int fd, Byte* p, size_t size, Transfer transfer) {
    while (size) {
        const ssize_t n = transfer(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const void* data, size_t size) {
    return transferAll(fd, static_cast<const char*>(data), size, ::write);
}

bool readAll(int fd, void* data, size_t size) { return transferAll(fd, static_cast<char*>(data), size, ::read); }

[[noreturn]] void serve(int commands, int results, const Work& work) {
    int32_t job = 0;
    while (readAll(commands, &job, sizeof job) && job >= 0) {
        bool ok = false;
        std::string text;
        try {
            text = work(job, ok);
        } catch (const std::exception& e) {
            ok = false;
            text = e.what();
        }
        if (text.size() > kMaxText)
            text.resize(kMaxText);
        const uint32_t header[2] = {ok ? 1u : 0u, static_cast<uint32_t>(text.size())};
        std::string message(reinterpret_cast<const char*>(header), sizeof header);
        message += text;
        std::fflush(stdout);
        std::fflush(stderr);
        if (!writeAll(results, message.data(), message.size()))
            break;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // Nothing of this process's own clean-up: it belongs to the one that forked it.
    _exit(0);
}

bool start(Worker& w, std::vector<Worker>& all, const Work& work) {
    int down[2], up[2];
    if (::pipe(down) != 0)
        return false;
    if (::pipe(up) != 0) {
        ::close(down[0]), ::close(down[1]);
        return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(down[0]), ::close(down[1]), ::close(up[0]), ::close(up[1]);
        return false;
    }
    if (pid == 0) {
        ::close(down[1]);
        ::close(up[0]);
        for (const Worker& other : all)
            if (other.pid > 0)
                ::close(other.commands), ::close(other.results);
        serve(down[0], up[1], work);
    }
    ::close(down[0]);
    ::close(up[1]);
    w.pid = pid;
    w.commands = down[1];
    w.results = up[0];
    w.job = -1;
    return true;
}

std::string endedText(int status) {
    char text[64];
    if (WIFSIGNALED(status))
        std::snprintf(text, sizeof text, "its worker was ended by signal %d", WTERMSIG(status));
    else
        std::snprintf(text, sizeof text, "its worker ended with exit code %d", WEXITSTATUS(status));
    return text;
}

void stop(Worker& w, int* status) {
    if (w.commands >= 0)
        ::close(w.commands);
    if (w.results >= 0)
        ::close(w.results);
    int s = 0;
    while (w.pid > 0 && ::waitpid(w.pid, &s, 0) < 0 && errno == EINTR) {
    }
    if (status)
        *status = s;
    w = Worker{};
}

}  // namespace

void run(const std::vector<int>& jobs, int workers, const Work& work, const Done& done) {
    // A worker that dies must not take this process with it.
    std::signal(SIGPIPE, SIG_IGN);
    std::deque<int> todo(jobs.begin(), jobs.end());
    std::vector<Worker> pool(static_cast<size_t>(std::max(1, std::min<int>(workers, static_cast<int>(jobs.size())))));
    auto give = [&](Worker& w) {
        while (!todo.empty()) {
            if (w.pid < 0 && !start(w, pool, work)) {
                const int job = todo.front();
                todo.pop_front();
                done(job, false, "no worker process could be started");
                continue;
            }
            const int32_t job = todo.front();
            todo.pop_front();
            w.job = job;
            if (writeAll(w.commands, &job, sizeof job))
                return;
            int status = 0;
            stop(w, &status);
            done(job, false, endedText(status));
        }
        if (w.pid > 0)
            stop(w, nullptr);  // closing its command pipe ends it
    };
    for (Worker& w : pool)
        give(w);
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Worker*> owners;
        for (Worker& w : pool)
            if (w.pid > 0) {
                fds.push_back({w.results, POLLIN, 0});
                owners.push_back(&w);
            }
        if (fds.empty())
            break;
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Worker& w = *owners[i];
            uint32_t header[2] = {0, 0};
            std::string text;
            bool whole = readAll(w.results, header, sizeof header) && header[1] <= kMaxText;
            if (whole) {
                text.resize(header[1]);
                whole = readAll(w.results, text.data(), text.size());
            }
            const int job = w.job;
            if (!whole) {
                int status = 0;
                stop(w, &status);
                if (job >= 0)
                    done(job, false, endedText(status));
            } else {
                w.job = -1;
                if (job >= 0)
                    done(job, header[0] == 1, text);
            }
            give(w);
        }
    }
}

}  // namespace tileWorkers
