// Idle CPU and resident memory of the real program, run as a child process
// on the offscreen platform with a throw-away home (its settings name the
// port), in three states:
//   connected       to veltrix-unit-sim --rds-period 0 over its pseudo-terminal
//   probing         a port path with no device: each connect period's open fails
//   silent port     a pseudo-terminal nobody answers on: the program opens it,
//                   asks, hears nothing, and probes again
// CPU is utime + stime of all its threads over the window after a warm-up,
// as a share of one core, beside the finer on-CPU time of the scheduler;
// the simulator's own is shown for information. The
// program runs with --trace, whose lines tell whether the unit answered.
// Memory: the program's VmRSS at the end of the warm-up and of the window;
// for a whole save against the simulator at 9600 baud, the command line's
// peak (VmHWM), and, since the program's own "Save Settings" cannot be
// pressed from outside, the application started by this bench as a child
// the way the program's main starts it, whose VmRSS before and after the
// save and peak (VmHWM) it reports.
//
// Usage: bench_footprint [--seconds N] [--warm-up N] [--build-dir DIR]
// Exit status 1 when a goal is missed.

#include "bench_support.h"
#include "common/message_box.h"
#include "files/settings_file_commands.h"
#include "panel/control_panel_dlg.h"
#include "panel/unit_app.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr double ConnectedGoalPct = 0.1;
constexpr double ProbingGoalPct = 0.5;
constexpr long MemoryGoalKb = 60 * 1024;
constexpr const char* SaveChildFlag = "--save-child";

struct Settings
{
    QString dir; // where the programs were built
    int seconds = 60;
    int warmUp = 5;
};

struct Row
{
    const char* name;
    double goalPct;
    bool wantsAnswer; // a unit is behind the port
    bool ran = false;
    bool answered = false; // the trace holds frames from the unit
    double cpuPct = -1;
    double onCpuPct = -1; // from the scheduler's nanosecond counts
    double simPct = -1;
    long rssStartKb = -1;
    long rssEndKb = -1;
};

void Sleep(int seconds)
{
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

double Mb(long kb)
{
    return double(kb) / 1024.0;
}

// The simulator's line path, its first line of output; empty when it fails.
QString StartSim(bench::Child& sim, const Settings& s)
{
    if (!sim.Start(s.dir + QStringLiteral("/veltrix-unit-sim"),
                   {QStringLiteral("--rds-period"), QStringLiteral("0")}))
        return {};
    return QString::fromLocal8Bit(sim.ReadLine(10000));
}

void Idle(Row& row, const QString& port, const Settings& s, const bench::Child* sim)
{
    bench::Scratch scratch;
    bench::Child gui;
    const QString trace = scratch.Path(QStringLiteral("trace.txt"));
    if (!scratch.Make(port) || !gui.Start(s.dir + QStringLiteral("/veltrix-pc-interface"),
                                          {QStringLiteral("--trace"), trace}, scratch.Env()))
        return;
    Sleep(s.warmUp);
    row.rssStartKb = bench::StatusKb(gui.Pid(), "VmRSS:");
    const double cpu0 = bench::CpuSeconds(gui.Pid());
    const double on0 = bench::OnCpuSeconds(gui.Pid());
    const double sim0 = sim ? bench::CpuSeconds(sim->Pid()) : -1;
    const qint64 t0 = bench::MonotonicNs();
    Sleep(s.seconds);
    const double cpu1 = bench::CpuSeconds(gui.Pid());
    const double on1 = bench::OnCpuSeconds(gui.Pid());
    const double sim1 = sim ? bench::CpuSeconds(sim->Pid()) : -1;
    const double window = double(bench::MonotonicNs() - t0) / 1e9;
    row.rssEndKb = bench::StatusKb(gui.Pid(), "VmRSS:");
    row.ran = cpu0 >= 0 && cpu1 >= 0;
    row.cpuPct = 100.0 * (cpu1 - cpu0) / window;
    row.onCpuPct = 100.0 * (on1 - on0) / window;
    if (sim && sim0 >= 0 && sim1 >= 0)
        row.simPct = 100.0 * (sim1 - sim0) / window;
    QFile file(trace);
    row.answered = file.open(QIODevice::ReadOnly) && file.readAll().contains(" <- ");
}

// A pseudo-terminal whose master stays open and silent; -1 when none.
int SilentPort(QString* path)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (master >= 0)
            close(master);
        return -1;
    }
    *path = QString::fromLocal8Bit(ptsname(master));
    return master;
}

// The command line's whole save against a fresh simulator: exit status,
// peak resident memory in kB and the seconds it took.
int SavePeak(const Settings& s, long* peakKb, double* seconds)
{
    bench::Child sim;
    bench::Scratch scratch;
    const QString port = StartSim(sim, s);
    if (port.isEmpty() || !scratch.Make(port))
        return -1;
    bench::Child cli;
    if (!cli.Start(s.dir + QStringLiteral("/veltrix"),
                   {QStringLiteral("--port"), port, QStringLiteral("--quiet"),
                    QStringLiteral("save"), scratch.Path(QStringLiteral("bench.vxf"))},
                   scratch.Env()))
        return -1;
    const int status = cli.Wait(600000, peakKb);
    *seconds = double(bench::MonotonicNs() - cli.StartNs()) / 1e9;
    return status;
}

// In the child: once the panel is connected with every fact, presses
// "Save Settings" into FILE and prints VmRSS before and after and VmHWM (kB)
// and whether the save succeeded.
int RunSaveChild(int argc, char** argv, const QString& file)
{
    UnitApp app(argc, argv);
    MessageBox::SetUnqueuedAnswer(QMessageBox::Ok);
    SettingsFileCommands::SetNextPath(file);
    long before = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        ControlPanelDlg* panel = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            panel = panel ? panel : qobject_cast<ControlPanelDlg*>(w);
        auto* commands = panel ? panel->findChild<SettingsFileCommands*>() : nullptr;
        const LiveValues* live = panel ? &panel->Session().Status() : nullptr;
        if (!commands || !live->connected || live->facts.blockSize == 0 ||
            !live->inputNameKnown.back())
            return;
        poll.stop();
        QObject::connect(commands, &SettingsFileCommands::commandFinished, &app, [&](bool ok) {
            std::printf("%ld %ld %ld %d\n", before, bench::StatusKb(getpid(), "VmRSS:"),
                        bench::StatusKb(getpid(), "VmHWM:"), ok ? 1 : 0);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        before = bench::StatusKb(getpid(), "VmRSS:");
        commands->Save();
    });
    poll.start(100);
    return app.Run();
}

struct GuiSave
{
    bool ok = false;
    long beforeKb = -1;
    long afterKb = -1;
    long peakKb = -1;
};

GuiSave SaveInApplication(const Settings& s)
{
    bench::Child sim;
    bench::Scratch scratch;
    bench::Child child;
    GuiSave save;
    const QString port = StartSim(sim, s);
    if (port.isEmpty() || !scratch.Make(port) ||
        !child.Start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(SaveChildFlag), scratch.Path(QStringLiteral("gui.vxf"))},
                     scratch.Env()))
        return save;
    const QList<QByteArray> fields = child.ReadLine(600000).split(' ');
    if (fields.size() != 4)
        return save;
    save = {fields[3] == "1", fields[0].toLong(), fields[1].toLong(), fields[2].toLong()};
    return save;
}

Settings ReadSettings(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Measuring window of each state."),
                                     QStringLiteral("n"), QStringLiteral("60"));
    const QCommandLineOption warmUp(QStringLiteral("warm-up"),
                                    QStringLiteral("Seconds after the start before measuring."),
                                    QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption dir(QStringLiteral("build-dir"),
                                 QStringLiteral("Folder of the programs (default: this one's)."),
                                 QStringLiteral("dir"), QCoreApplication::applicationDirPath());
    parser.addOptions({seconds, warmUp, dir});
    parser.process(app);
    Settings s;
    s.dir = parser.value(dir);
    s.seconds = parser.value(seconds).toInt();
    s.warmUp = parser.value(warmUp).toInt();
    if (s.seconds <= 0 || s.warmUp < 0) {
        std::fprintf(stderr, "bench_footprint: --seconds must be positive\n");
        std::exit(2);
    }
    return s;
}

// Runs the three idle states one after the other and prints them; true
// when every goal is met.
bool IdleStates(const Settings& s)
{
    Row rows[] = {{"connected", ConnectedGoalPct, true},
                  {"probing, no device", ProbingGoalPct, false},
                  {"silent port", ProbingGoalPct, false}};
    {
        bench::Child sim;
        const QString port = StartSim(sim, s);
        if (!port.isEmpty())
            Idle(rows[0], port, s, &sim);
    }
    bench::Scratch nowhere;
    Idle(rows[1], nowhere.Path(QStringLiteral("no-unit")), s, nullptr);
    QString ptyPath;
    const int master = SilentPort(&ptyPath);
    if (master >= 0) {
        Idle(rows[2], ptyPath, s, nullptr);
        close(master);
    }

    std::printf("Idle CPU of veltrix-pc-interface (offscreen), %d s after a %d s warm-up; "
                "%% of one core\n",
                s.seconds, s.warmUp);
    std::printf("%-20s %9s %8s %9s %7s %9s %13s %13s\n", "state", "answered", "CPU %", "on-CPU %",
                "goal %", "sim CPU %", "RSS start MB", "RSS end MB");
    bool within = true;
    for (const Row& r : rows) {
        const bool ok = r.ran && r.answered == r.wantsAnswer && r.cpuPct < r.goalPct &&
                        r.rssStartKb < MemoryGoalKb;
        within = within && ok;
        std::printf("%-20s %9s %8.3f %9.4f %7.1f %9s %13.1f %13.1f%s\n", r.name,
                    r.answered ? "yes" : "no", r.cpuPct, r.onCpuPct, r.goalPct,
                    r.simPct < 0 ? "-" : qPrintable(QString::number(r.simPct, 'f', 3)),
                    Mb(r.rssStartKb), Mb(r.rssEndKb), ok ? "" : "  missed");
    }
    std::printf("CPU %% is utime + stime (/proc/PID/stat), judged against the goal; one clock "
                "tick is %.3f %% over the window.\non-CPU %% is the run time of the threads "
                "from /proc/PID/task/*/schedstat, for the finer figure.\n",
                100.0 / (double(sysconf(_SC_CLK_TCK)) * s.seconds));
    return within;
}

// The whole save by the command line and by the application; true when
// both save within the memory goal.
bool Saves(const Settings& s)
{
    long peakKb = -1;
    double seconds = 0;
    const int status = SavePeak(s, &peakKb, &seconds);
    const bool cliOk = status == 0 && peakKb > 0 && peakKb < MemoryGoalKb;
    std::printf("veltrix save (whole save, 9600 baud): exit %d after %.1f s, peak RSS %.1f MB%s\n",
                status, seconds, Mb(peakKb), cliOk ? "" : "  missed");
    const GuiSave gui = SaveInApplication(s);
    const bool guiOk = gui.ok && gui.peakKb > 0 && gui.peakKb < MemoryGoalKb;
    std::printf("application whole save (this bench's child): %s, RSS %.1f MB before, %.1f MB "
                "after, peak %.1f MB%s\n",
                gui.ok ? "saved" : "not saved", Mb(gui.beforeKb), Mb(gui.afterKb), Mb(gui.peakKb),
                guiOk ? "" : "  missed");
    return cliOk && guiOk;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 2 && std::strcmp(argv[1], SaveChildFlag) == 0) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        argv[2] = argv[0]; // the application sees its own name and no flags
        return RunSaveChild(argc - 2, argv + 2, file);
    }

    QCoreApplication app(argc, argv);
    const Settings s = ReadSettings(app);
    const bool idleOk = IdleStates(s);
    const bool savesOk = Saves(s);
    std::printf("goals: CPU below %.1f %% connected, %.1f %% probing; memory below %ld MB\n",
                ConnectedGoalPct, ProbingGoalPct, MemoryGoalKb / 1024);
    return idleOk && savesOk ? 0 : 1;
}
