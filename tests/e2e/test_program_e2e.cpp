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
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("config/Orvane"))));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("config/Orvane/Veltrix PC Interface.conf")),
                          "[Settings]\nPort=" + link.toUtf8() + "\n"));

        // The unit answers the handshake's fourteen requests, then falls silent.
        auto sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--link"), link,
                                                            QStringLiteral("--silent-after"),
                                                            QStringLiteral("14")});
        QVERIFY(sim->WaitStarted());

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
