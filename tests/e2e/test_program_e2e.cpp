// Runs build/veltrix-pc-interface (headless) against build/veltrix-unit-sim
// on a pseudo-terminal, at the program's real timings, and watches the line
// through the simulator's frame trace.

#include "sim_process.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// A settings folder in `dir` naming `link` as the port, and the environment
// that points the program and veltrix at it, headless; empty when the folder
// cannot be written.
QProcessEnvironment ProgramEnvironment(const QTemporaryDir& dir, const QString& link)
{
    if (!QDir().mkpath(dir.filePath(QStringLiteral("config/Orvane"))) ||
        !WriteFile(dir.filePath(QStringLiteral("config/Orvane/Veltrix PC Interface.conf")),
                   "[Settings]\nPort=" + link.toUtf8() + "\n"))
        return {};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

class TestProgramE2e : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELTRIX_SIM")), "simulator not built");
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELTRIX_PROGRAM")), "program not built");
    }

    void handshakeLossAndReconnection()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyVeltrix"));
        const QProcessEnvironment env = ProgramEnvironment(dir, link);
        QVERIFY(!env.isEmpty());

        // The unit answers the handshake's fourteen requests, then falls silent.
        auto sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--link"), link,
                                                            QStringLiteral("--silent-after"),
                                                            QStringLiteral("14")});
        QVERIFY(sim->WaitStarted());

        QProcess program;
        program.setProcessEnvironment(env);
        program.setProgram(qEnvironmentVariable("VELTRIX_PROGRAM"));
        program.start();
        QVERIFY(program.waitForStarted(5000));

        // Identity query, block size of a K230 at 1024, version, all
        // variables, then the ten input names one after the other.
        QTRY_VERIFY_WITH_TIMEOUT(sim->Requests().contains(QStringLiteral("14 37 09")), 8000);
        const QStringList requests = sim->Requests();
        QCOMPARE(requests.first(), QStringLiteral("14 14"));
        const qsizetype blockSize = requests.indexOf(QStringLiteral("1e 00 00 04"));
        const qsizetype version = requests.indexOf(QStringLiteral("17"));
        const qsizetype all = requests.indexOf(QStringLiteral("14 ff"));
        QVERIFY(blockSize > 0);
        QVERIFY(version > blockSize);
        QVERIFY(all > version);
        for (int i = 0; i < 10; ++i)
            QVERIFY(requests.indexOf(QStringLiteral("14 37 0%1").arg(i)) > all);
        QCOMPARE(requests.size(), 14);

        // Silence: one probe after 3 s, then after two silent periods the
        // program reopens the port and asks again every 500 ms.
        QTRY_VERIFY_WITH_TIMEOUT(sim->Requests().size() >= 18, 10000);
        const QStringList probes = sim->Requests().mid(14);
        QVERIFY(std::all_of(probes.begin(), probes.end(),
                            [](const QString& r) { return r == QLatin1String("14 14"); }));

        // The unit goes away and another answers on the same path: the
        // program connects to it and runs the handshake again.
        sim->Stop();
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--link"), link});
        QVERIFY(sim->WaitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim->Requests().contains(QStringLiteral("14 37 09")), 10000);
        QCOMPARE(sim->Requests().first(), QStringLiteral("14 14"));
        QVERIFY(program.state() == QProcess::Running);

        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    }

    // While the program holds the port, veltrix runs through its session:
    // status, a verb, watch seeing the change another veltrix made, and a
    // save. A second start of the program hands over to the first.
    void commandLineBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyBeside"));
        const QProcessEnvironment env = ProgramEnvironment(dir, link);
        QVERIFY(!env.isEmpty());
        SimProcess sim(
            {QStringLiteral("--link"), link, QStringLiteral("--line-rate"), QStringLiteral("0")});
        QVERIFY(sim.WaitStarted());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("VELTRIX_PROGRAM"), QStringList{});
        QTRY_VERIFY_WITH_TIMEOUT(sim.Requests().contains(QStringLiteral("14 37 09")), 8000);

        const auto run = [&env](const QStringList& arguments) {
            QProcess cli;
            cli.setProcessEnvironment(env);
            cli.start(qEnvironmentVariable("VELTRIX_CLI"), arguments);
            cli.waitForFinished(20000);
            return std::make_pair(cli.exitCode(), cli.readAllStandardOutput());
        };
        // The port is the program's: on its own veltrix could not open it.
        const auto status = run({QStringLiteral("status")});
        QCOMPARE(status.first, 0);
        QVERIFY(status.second.startsWith("model: K230\nfirmware: v2.05\nport: " + link.toUtf8()));

        QProcess watch;
        watch.setProcessEnvironment(env);
        watch.start(qEnvironmentVariable("VELTRIX_CLI"),
                    {QStringLiteral("--json"), QStringLiteral("watch")});
        QByteArray watchErr;
        QTRY_VERIFY2_WITH_TIMEOUT((watchErr += watch.readAllStandardError()).contains("watching"),
                                  watchErr.constData(), 5000);
        QCOMPARE(run({QStringLiteral("power"), QStringLiteral("on")}).first, 0);
        const auto volume = run({QStringLiteral("volume"), QStringLiteral("-25")});
        QCOMPARE(volume, std::make_pair(0, QByteArray("main volume: -25 dB\n")));
        QByteArray watched;
        QTRY_VERIFY_WITH_TIMEOUT(
            (watched += watch.readAllStandardOutput()).contains("{\"main\":{\"volume\":-25}}\n"),
            5000);
        watch.terminate();
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitCode(), 0);

        const QString saved = dir.filePath(QStringLiteral("beside.vxf"));
        QCOMPARE(run({QStringLiteral("save"), saved}).first, 0);
        QVERIFY(FileBytes(saved).startsWith("<VELTRIX>"));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(qEnvironmentVariable("VELTRIX_PROGRAM"), QStringList{});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(program.state() == QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }

    // Started outside a desktop session the program says so and fails,
    // instead of Qt's abort with a core dump.
    void startWithoutDisplay()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("VELTRIX_PROGRAM"), QStringList{});
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(program.readAllStandardError(),
                 QByteArray("veltrix-pc-interface: no display found (DISPLAY and WAYLAND_DISPLAY "
                            "are unset); run it in a desktop session.\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgramE2e)
#include "test_program_e2e.moc"
