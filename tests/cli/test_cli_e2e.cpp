// Runs build/veltrix against build/veltrix-unit-sim on pseudo-terminals, and
// the CLI runner in-process where a short silence limit is needed.

#include "cli/cli_runner.h"
#include "common/message_table.h"
#include "transfer/eeprom_map.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

// One simulator process; its --trace lines tell which requests it saw.
class Simulator
{
public:
    explicit Simulator(const QStringList& arguments)
    {
        process.setProgram(qEnvironmentVariable("VELTRIX_SIM"));
        process.setArguments(arguments + QStringList{QStringLiteral("--trace")});
        process.start();
    }
    ~Simulator() { Stop(); }

    bool WaitStarted() { return process.waitForStarted(5000) && process.waitForReadyRead(5000); }
    QByteArray Trace() { return trace += process.readAllStandardError(); }
    void Stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000);
    }

private:
    QProcess process;
    QByteArray trace;
};

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0;
};

CliResult RunCli(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(qEnvironmentVariable("VELTRIX_CLI"), arguments);
    CliResult result;
    if (!cli.waitForFinished(timeoutMs)) {
        cli.kill();
        cli.waitForFinished();
        return result;
    }
    result.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    result.out = cli.readAllStandardOutput();
    result.err = cli.readAllStandardError();
    result.ms = clock.elapsed();
    return result;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCliE2e : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELTRIX_SIM")), "simulator not built");
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELTRIX_CLI")), "veltrix not built");
        QVERIFY(dir.isValid());
    }

    // status with a trace: the lines of the status, and every frame of both
    // directions decoded in the trace.
    void statusWithTrace()
    {
        const QString link = Path("ttyStatus");
        Simulator sim({QStringLiteral("--link"), link, QStringLiteral("--model"),
                       QStringLiteral("K220"), QStringLiteral("--firmware"),
                       QStringLiteral("v2.07")});
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli({QStringLiteral("--port"), link, QStringLiteral("--trace"),
                                    Path("trace.txt"), QStringLiteral("status")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QByteArray("model: K220"));
        QCOMPARE(lines[1], QByteArray("firmware: v2.07"));
        QCOMPARE(lines[2], "port: " + link.toUtf8());
        for (const char* key : {"main power: ", "main volume: ", "main source: ", "zone power: ",
                                "zone volume: ", "zone source: "})
            QVERIFY2(r.out.contains(key), key);

        const QByteArray trace = Read(Path("trace.txt"));
        QVERIFY(trace.contains("-> Variable query Model | 14 14\n"));
        QVERIFY(trace.contains("<- Variable report Model \"K220\" | 14 14 4b 32 32 30\n"));
        QVERIFY(trace.contains("-> Eeprom read address 768 | 1e 00 00 03\n"));
        QVERIFY(trace.contains("<- Version report v2.07 | 17 02 07\n"));
        // Every line: time, direction, meaning, hex.
        for (const QByteArray& line : trace.trimmed().split('\n'))
            QVERIFY2(
                QRegularExpression(QStringLiteral(R"(^ *\d+\.\d{3} (->|<-) \S.* \| [0-9a-f ]+$)"))
                    .match(QString::fromLatin1(line))
                    .hasMatch(),
                line.constData());
    }

    // A trace that cannot be written (no such folder, a full disk) costs a
    // warning line, never the command.
    void traceFailureDoesNotStopTheCommand_data()
    {
        QTest::addColumn<QString>("tracePath");
        QTest::newRow("unwritable path") << Path("no/such/folder/trace.txt");
        QTest::newRow("full disk") << QStringLiteral("/dev/full");
    }
    void traceFailureDoesNotStopTheCommand()
    {
        QFETCH(QString, tracePath);
        if (!QFile::exists(tracePath) && tracePath.startsWith(QLatin1String("/dev/")))
            QSKIP("no /dev/full here");
        const QString link = Path("ttyTrace");
        Simulator sim({QStringLiteral("--link"), link});
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli({QStringLiteral("--port"), link, QStringLiteral("--trace"),
                                    tracePath, QStringLiteral("status")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("model: K230\n"));
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("veltrix: the protocol trace could not be written to " +
                                 tracePath.toUtf8()));
    }

    // presets save from one unit, load into a second: the second's tuner
    // table ends byte for byte as the first's. The first gets a table of its
    // own from a written file first, so the copy is not the factory's.
    void presetsCopyBetweenUnits()
    {
        const QString linkA = Path("ttyA");
        const QString linkB = Path("ttyB");
        const QString eepromA = Path("a.eeprom");
        const QString eepromB = Path("b.eeprom");
        QFile own(Path("own.vxf"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("<TunerPresets>\r\n\tAM Step Size = 10\r\n\tAM Preset = 3\r\n\tAM Frequency = "
                  "1230\r\n\tFM Preset = 7\r\n\tFM Frequency = 101.30\r\n\tFM Mute = 1\r\n\tFM "
                  "Preset Name = CLITEST\r\n</TunerPresets>\r\n");
        own.close();

        Simulator a({QStringLiteral("--link"), linkA, QStringLiteral("--eeprom"), eepromA});
        Simulator b({QStringLiteral("--link"), linkB, QStringLiteral("--eeprom"), eepromB});
        QVERIFY(a.WaitStarted());
        QVERIFY(b.WaitStarted());

        CliResult r = RunCli({QStringLiteral("--port"), linkA, QStringLiteral("presets"),
                              QStringLiteral("load"), Path("own.vxf")});
        QCOMPARE(r.exitCode, 0);
        r = RunCli({QStringLiteral("--port"), linkA, QStringLiteral("--quiet"),
                    QStringLiteral("presets"), QStringLiteral("save"), Path("copy.vxf")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty()); // --quiet
        QVERIFY(Read(Path("copy.vxf")).contains("CLITEST"));
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("presets"),
                    QStringLiteral("load"), Path("copy.vxf")});
        QCOMPARE(r.exitCode, 0);
        // Plain progress lines when stderr is no terminal.
        QVERIFY(r.err.contains("350/350 bytes\n"));

        // The simulators keep their EEPROM files up to date by the time they end.
        a.Stop();
        b.Stop();
        const QByteArray imageA =
            Read(eepromA).mid(EepromMap::TunerImage, EepromMap::TunerImageSize);
        const QByteArray imageB =
            Read(eepromB).mid(EepromMap::TunerImage, EepromMap::TunerImageSize);
        QCOMPARE(imageA.size(), EepromMap::TunerImageSize);
        QCOMPARE(imageB, imageA);
    }

    // No unit on the port, or a port that does not exist: exit 1 within the
    // answer limit, one line on stderr.
    void missingPortFailsInBoundedTime()
    {
        const CliResult r =
            RunCli({QStringLiteral("--port"), Path("ttyNobody"), QStringLiteral("status")}, 15000);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.ms < 8000);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("veltrix: no unit answered on "));
    }

    // Usage errors exit 2 before any port is opened: the simulator on the
    // named port sees no request at all.
    void usageErrorsTouchNoPort_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("reboot")};
        QTest::newRow("save without file") << QStringList{QStringLiteral("save")};
        QTest::newRow("load with two files")
            << QStringList{QStringLiteral("load"), QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("presets without action") << QStringList{QStringLiteral("presets")};
        QTest::newRow("presets load without file")
            << QStringList{QStringLiteral("presets"), QStringLiteral("load")};
        QTest::newRow("load option on status")
            << QStringList{QStringLiteral("status"), QStringLiteral("--yes")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("status"), QStringLiteral("--fast")};
        QTest::newRow("port without value")
            << QStringList{QStringLiteral("status"), QStringLiteral("--port")};
        QTest::newRow("help with a command")
            << QStringList{QStringLiteral("--help"), QStringLiteral("status")};
    }
    void usageErrorsTouchNoPort()
    {
        QFETCH(QStringList, arguments);
        const QString link = Path("ttyUsage");
        Simulator sim({QStringLiteral("--link"), link});
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli(QStringList{QStringLiteral("--port"), link} + arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QTest::qWait(200);
        QVERIFY2(!sim.Trace().contains("<-"), sim.Trace().constData());
    }

    // save and load are parsed fully but not wired yet: exit 1, one line,
    // no port opened.
    void saveAndLoadNotAvailableYet()
    {
        CliResult r = RunCli({QStringLiteral("--port"), Path("ttyNone"), QStringLiteral("load"),
                              QStringLiteral("f.vxf"), QStringLiteral("--yes"),
                              QStringLiteral("--verify"), QStringLiteral("--dry-run")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("veltrix: load is not available yet\n"));
        QVERIFY(r.ms < 3000);
        r = RunCli({QStringLiteral("save"), QStringLiteral("f.vxf")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("veltrix: save is not available yet\n"));
    }

    // A unit that stops answering in the middle of the tuner read: the
    // command gives up after its silence limit with one clear line, where
    // the GUI would retry until Cancel.
    void unitFallingSilentMidTransfer()
    {
        const QString link = Path("ttySilent");
        // The handshake takes 14 requests; a few bytes of the read follow.
        Simulator sim({QStringLiteral("--link"), link, QStringLiteral("--silent-after"),
                       QStringLiteral("40")});
        QVERIFY(sim.WaitStarted());
        CliRequest request;
        request.command = CliRequest::Command::PresetsSave;
        request.file = Path("never.vxf");
        request.port = link;
        request.quiet = true;
        CliRunner runner(request);
        CliRunner::Settings settings;
        settings.silenceLimit = 1200; // below the line's own 3 s silence handling
        runner.SetSettings(settings);
        std::FILE* errors = std::tmpfile();
        QVERIFY(errors);
        runner.SetStreams({stdout, errors, false});
        QSignalSpy finished(&runner, &CliRunner::finished);
        QElapsedTimer clock;
        clock.start();
        runner.Start();
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().first().toInt(), CliRunner::ExitFailed);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!QFile::exists(request.file));
        std::rewind(errors);
        char line[256] = {};
        QVERIFY(std::fgets(line, sizeof line, errors));
        std::fclose(errors);
        QCOMPARE(QString::fromLocal8Bit(line).trimmed(),
                 MessageTable::Text(Message::CliUnitSilent).arg(2));
    }
};

QTEST_GUILESS_MAIN(TestCliE2e)
#include "test_cli_e2e.moc"
