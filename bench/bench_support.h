#pragma once

// Helpers of the benchmarks that run the real programs as child processes
// and read their figures from /proc (Linux only): spawning with a pipe on
// stdout, CPU time and memory of a process, and a throw-away home that keeps
// the user's settings untouched.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

inline qint64 MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// User plus system CPU time of every thread of the process so far, in
// seconds (clock-tick resolution, 10 ms here); negative when unreadable.
inline double CpuSeconds(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // The command name may hold spaces and parentheses: fields count from
    // after its last ')'; there utime and stime are the 12th and 13th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// Time the process's present threads have run on a CPU, in seconds, from
// the scheduler's nanosecond counts (/proc/PID/task/*/schedstat): finer
// than clock ticks, but a thread that ended takes its time with it.
// Negative when unreadable.
inline double OnCpuSeconds(pid_t pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    qint64 ns = 0;
    for (const QString& id : ids) {
        QFile file(tasks.filePath(id + QStringLiteral("/schedstat")));
        if (file.open(QIODevice::ReadOnly))
            ns += file.readAll().split(' ').value(0).toLongLong();
    }
    return ids.isEmpty() ? -1 : double(ns) / 1e9;
}

// A line of /proc/PID/status such as "VmRSS:", in kB; -1 when missing.
inline long StatusKb(pid_t pid, const char* key)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// A child process with its stdout on a pipe and its stderr on /dev/null.
// Ended with SIGTERM (then SIGKILL) when destroyed while it runs.
class Child
{
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }

    // env holds NAME=VALUE entries that are added or replace the parent's.
    bool Start(const QString& program, const QStringList& args, const QStringList& env = {})
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> argStore{program.toStdString()};
        for (const QString& a : args)
            argStore.push_back(a.toStdString());
        std::vector<std::string> envStore = Environment(env);
        std::vector<char*> argv = Pointers(argStore);
        std::vector<char*> envp = Pointers(envStore);
        startNs = MonotonicNs();
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out = fds[0];
        if (failed != 0)
            pid = -1;
        return failed == 0;
    }

    pid_t Pid() const { return pid; }
    // The monotonic time just before the spawn.
    qint64 StartNs() const { return startNs; }

    // The next line of stdout without its newline; empty when none came in
    // time or the pipe closed.
    QByteArray ReadLine(int timeoutMs)
    {
        const qint64 deadline = MonotonicNs() + qint64(timeoutMs) * 1000000;
        for (;;) {
            const int end = buffer.indexOf('\n');
            if (end >= 0) {
                const QByteArray line = buffer.left(end);
                buffer.remove(0, end + 1);
                return line;
            }
            const int left = int((deadline - MonotonicNs()) / 1000000);
            pollfd p{out, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0)
                return {};
            char chunk[512];
            const ssize_t n = read(out, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            buffer.append(chunk, int(n));
        }
    }

    // Waits for the exit: its status, or -1 when it did not end normally in
    // time. peakKb receives the highest VmHWM seen while it ran, polled
    // every 5 ms: the kernel's own peak (ru_maxrss) would also count the
    // spawning parent's, whose memory the child shares until it executes.
    int Wait(int timeoutMs, long* peakKb = nullptr)
    {
        const qint64 deadline = MonotonicNs() + qint64(timeoutMs) * 1000000;
        while (pid > 0) {
            if (peakKb)
                *peakKb = std::max(*peakKb, StatusKb(pid, "VmHWM:"));
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                pid = -1;
                return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (MonotonicNs() > deadline)
                return -1;
            usleep(5000);
        }
        return -1;
    }

    void Stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            if (Wait(3000) < 0 && pid > 0) {
                kill(pid, SIGKILL);
                Wait(3000);
            }
        }
        if (out >= 0)
            close(out);
        out = -1;
    }

private:
    static std::vector<std::string> Environment(const QStringList& env)
    {
        std::vector<std::string> entries;
        for (const QString& e : env)
            entries.push_back(e.toStdString());
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const QString& own : env)
                replaced = replaced || own.toStdString().rfind(name, 0) == 0;
            if (!replaced)
                entries.push_back(entry);
        }
        return entries;
    }

    static std::vector<char*> Pointers(std::vector<std::string>& strings)
    {
        std::vector<char*> pointers;
        for (std::string& s : strings)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid = -1;
    int out = -1;
    QByteArray buffer;
    qint64 startNs = 0;
};

// A throw-away home for the program: its settings file naming the port, a
// private runtime folder, and the environment that points it there, with
// the offscreen platform unless another is named.
class Scratch
{
public:
    bool Make(const QString& port)
    {
        const QString config = Path(QStringLiteral("config/Orvane"));
        if (!dir.isValid() || !QDir().mkpath(config) ||
            !QDir().mkpath(Path(QStringLiteral("runtime"))))
            return false;
        chmod(qPrintable(Path(QStringLiteral("runtime"))), 0700);
        QFile conf(config + QStringLiteral("/Veltrix PC Interface.conf"));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write("[Settings]\nPort=" + port.toUtf8() + "\n");
        return true;
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    QStringList Env(const QString& platform = QStringLiteral("offscreen")) const
    {
        return {QStringLiteral("HOME=") + dir.path(),
                QStringLiteral("XDG_CONFIG_HOME=") + Path(QStringLiteral("config")),
                QStringLiteral("XDG_RUNTIME_DIR=") + Path(QStringLiteral("runtime")),
                QStringLiteral("QT_QPA_PLATFORM=") + platform};
    }

private:
    QTemporaryDir dir;
};

} // namespace bench
