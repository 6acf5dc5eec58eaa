// Runs build/veltrix against build/veltrix-unit-sim on pseudo-terminals, and
// the CLI runner in-process where a short silence limit is needed.

#include "cli/cli_runner.h"
#include "common/local_file.h"
#include "common/message_table.h"
#include "link/serial_port.h"
#include "model/model_facts.h"
#include "sim_process.h"
#include "sim_session.h"
#include "test_files.h"
#include "transfer/eeprom_map.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0;
};

// `program` with its stdout into `outFile` when one is named.
CliResult RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                     const QString& outFile = QString())
{
    QProcess cli;
    if (!outFile.isEmpty())
        cli.setStandardOutputFile(outFile);
    QElapsedTimer clock;
    clock.start();
    cli.start(program, arguments);
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

CliResult RunCli(const QStringList& arguments, int timeoutMs = 60000,
                 const QString& outFile = QString())
{
    return RunProgram(qEnvironmentVariable("VELTRIX_CLI"), arguments, timeoutMs, outFile);
}

// veltrix through the shell, where "$N" is "caf\xe9" (Latin-1): bytes that
// no QString argument can carry.
CliResult RunCliLatin1(const QString& words)
{
    return RunProgram(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("N=$(printf 'caf\\351'); exec \"$0\" ") + words,
                       qEnvironmentVariable("VELTRIX_CLI")},
                      60000);
}

QByteArray Contents(std::FILE* file)
{
    QByteArray bytes;
    std::rewind(file);
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, static_cast<qsizetype>(n));
    std::fclose(file);
    return bytes;
}

// One command line run in-process through a connected session, as the
// desktop program runs one for a veltrix beside it.
CliResult RunThrough(UnitSession& session, const QString& line)
{
    CliRequest request;
    QString error;
    CliResult result;
    if (!CliCommandLine::Parse(line.split(u' '), &request, &error)) {
        result.exitCode = 2;
        result.err = error.toUtf8();
        return result;
    }
    CliRunner runner(request, &session);
    CliRunner::Settings settings;
    settings.reportLimit = 1000;
    runner.SetSettings(settings);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    runner.SetStreams({out, err, false});
    QSignalSpy finished(&runner, &CliRunner::finished);
    runner.Start();
    if (finished.wait(15000))
        result.exitCode = finished.first().first().toInt();
    result.out = Contents(out);
    result.err = Contents(err);
    return result;
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
        SimProcess sim({QStringLiteral("--link"), link, QStringLiteral("--model"),
                        QStringLiteral("K220"), QStringLiteral("--firmware"),
                        QStringLiteral("v2.07")});
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli({QStringLiteral("--port"), link, QStringLiteral("--trace"),
                                    Path("trace.txt"), QStringLiteral("status")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[0], QByteArray("model: K220"));
        QCOMPARE(lines[1], QByteArray("firmware: v2.07"));
        QCOMPARE(lines[2], "port: " + link.toUtf8());
        for (const char* key : {"main power: ", "main volume: ", "main source: ", "zone power: ",
                                "zone volume: ", "zone source: "})
            QVERIFY2(r.out.contains(key), key);

        const QByteArray trace = FileBytes(Path("trace.txt"));
        QVERIFY(trace.contains("-> Variable query Model | 14 14\n"));
        QVERIFY(trace.contains("<- Variable report Model \"K220\" | 14 14 4b 32 32 30\n"));
        QVERIFY(trace.contains("-> Eeprom read address 768 | 1e 00 00 03\n"));
        QVERIFY(trace.contains("<- Version report v2.07 | 17 02 07\n"));
        // Every line: time, direction, meaning, hex; or a resend's note.
        for (const QByteArray& line : trace.trimmed().split('\n'))
            QVERIFY2(
                QRegularExpression(
                    QStringLiteral(R"(^ *\d+\.\d{3} ((->|<-) \S.* \| [0-9a-f ]+|!! resend: .*)$)"))
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
        const QString link = Path("ttyTrace");
        SimProcess sim({QStringLiteral("--link"), link});
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli({QStringLiteral("--port"), link, QStringLiteral("--trace"),
                                    tracePath, QStringLiteral("status")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("model: K230\n"));
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("veltrix: the protocol trace could not be written to " +
                                 tracePath.toUtf8()));
    }

    // Output that cannot be written (a full disk) fails the run with one
    // line on stderr, where it ended 0 having written nothing.
    void unwritableOutputFails()
    {
        const QString file = Path("k230.vxf");
        QVERIFY(WriteFile(file, "<VELTRIX>\r\n\tModel K230\r\n\tOriginal Firmware v2.05\r\n"));
        const QString link = Path("ttyFull");
        SimProcess sim({QStringLiteral("--link"), link});
        QVERIFY(sim.WaitStarted());
        for (const QStringList& words : {QStringList{QStringLiteral("status")},
                                         QStringList{QStringLiteral("diff"), file, file}}) {
            const CliResult r = RunCli(QStringList{QStringLiteral("--port"), link} + words, 60000,
                                       QStringLiteral("/dev/full"));
            QVERIFY2(r.exitCode == 1 && r.err.count('\n') == 1 &&
                         r.err.startsWith("veltrix: the output could not be written"),
                     r.err.constData());
        }
    }

    // Names are bytes: text with stray bytes comes back as it was, and UTF-8
    // as Qt reads it.
    void namesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xf0\x9f\x8e\xb5");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9");
        QTest::newRow("cut sequence") << QByteArray("a\xf0\x9f\x8e");
        QTest::newRow("overlong, beyond U+10FFFF") << QByteArray("\xc0\xaf\xf4\x90\x80\x80");
        QTest::newRow("encoded surrogates") << QByteArray("\xed\xa0\x80\xed\xb2\x80");
    }
    void namesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        const QString name = LocalFile::Decode(bytes);
        QCOMPARE(LocalFile::Encode(name), bytes);
        if (QByteArrayView(bytes).isValidUtf8())
            QCOMPARE(name, QString::fromUtf8(bytes));
        QCOMPARE(LocalFile::Encode(name + QStringLiteral("\u00e9")), bytes + "\xc3\xa9");
    }

    // A Latin-1 name works wherever a command takes a FILE, and is shown
    // byte for byte.
    void namesThatAreNotUtf8()
    {
        const QString link = Path("ttyLatin1");
        SimProcess sim(
            {QStringLiteral("--link"), link, QStringLiteral("--line-rate"), QStringLiteral("0")});
        QVERIFY(sim.WaitStarted());
        QTemporaryDir folder;
        const QString at = QStringLiteral("--port %1 --quiet ").arg(link);
        const QString name = folder.path() + QStringLiteral("/$N");
        const QByteArray shown = folder.path().toUtf8() + "/caf\xe9";
        for (const QString& words : {at + QStringLiteral("--trace %1.trace save %1.vxf").arg(name),
                                     at + QStringLiteral("load %1.vxf").arg(name),
                                     at + QStringLiteral("presets save %1.p").arg(name),
                                     at + QStringLiteral("presets load %1.p").arg(name)}) {
            const CliResult r = RunCliLatin1(words);
            QVERIFY2(r.exitCode == 0 && r.out.contains(shown),
                     (words.toUtf8() + r.err + r.out).constData());
        }
        CliResult r = RunCliLatin1(QStringLiteral("diff %1.vxf %1.vxf").arg(name));
        QCOMPARE(r.out, shown + ".vxf and " + shown + ".vxf hold the same\n");
        r = RunCliLatin1(QStringLiteral("diff %1.none %1.vxf").arg(name));
        QCOMPARE(r.err, "veltrix: " + shown + ".none: No such file or directory\n");
        for (const char* suffix : {".vxf", ".trace", ".p"})
            QVERIFY2(::access((shown + suffix).constData(), R_OK) == 0, suffix);
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
        QVERIFY(WriteFile(
            Path("own.vxf"),
            "<TunerPresets>\r\n\tAM Step Size = 10\r\n\tAM Preset = 3\r\n\tAM Frequency = "
            "1230\r\n\tFM Preset = 7\r\n\tFM Frequency = 101.30\r\n\tFM Mute = 1\r\n\tFM "
            "Preset Name = CLITEST\r\n</TunerPresets>\r\n"));

        const QStringList unpaced = {QStringLiteral("--line-rate"), QStringLiteral("0")};
        // Unit A loses frames both ways: the copy must still be exact.
        SimProcess a(QStringList{QStringLiteral("--link"), linkA, QStringLiteral("--eeprom"),
                                 eepromA, QStringLiteral("--drop"), QStringLiteral("4"),
                                 QStringLiteral("--faults-both")} +
                     unpaced);
        SimProcess b(
            QStringList{QStringLiteral("--link"), linkB, QStringLiteral("--eeprom"), eepromB} +
            unpaced);
        QVERIFY(a.WaitStarted());
        QVERIFY(b.WaitStarted());

        CliResult r = RunCli({QStringLiteral("--port"), linkA, QStringLiteral("presets"),
                              QStringLiteral("load"), Path("own.vxf")});
        QCOMPARE(r.exitCode, 0);
        r = RunCli({QStringLiteral("--port"), linkA, QStringLiteral("--quiet"),
                    QStringLiteral("--trace"), Path("lossy.trace"), QStringLiteral("presets"),
                    QStringLiteral("save"), Path("copy.vxf")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty()); // --quiet
        QVERIFY(FileBytes(Path("lossy.trace")).contains(" !! resend: no reply in "));
        QVERIFY(FileBytes(Path("copy.vxf")).contains("CLITEST"));
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("presets"),
                    QStringLiteral("load"), Path("copy.vxf")});
        QCOMPARE(r.exitCode, 0);
        // Plain progress lines when stderr is no terminal.
        QVERIFY(r.err.contains("350/350 bytes\n"));

        // The simulators keep their EEPROM files up to date by the time they end.
        a.Stop();
        b.Stop();
        const QByteArray imageA =
            FileBytes(eepromA).mid(EepromMap::TunerImage, EepromMap::TunerImageSize);
        const QByteArray imageB =
            FileBytes(eepromB).mid(EepromMap::TunerImage, EepromMap::TunerImageSize);
        QCOMPARE(imageA.size(), EepromMap::TunerImageSize);
        QCOMPARE(imageB, imageA);
    }

    // Each verb changes the unit and ends after the unit's report of the new
    // value; one the unit ignores (a room that is off) exits 1 with what the
    // unit reports; status --json holds what the unit holds.
    void liveVerbsChangeTheUnit()
    {
        SimulatedReceiver sim(UnpacedUnit(QStringLiteral("K230"), QStringLiteral("v2.05")));
        QVERIFY(sim.Start());
        UnitSession session;
        QVERIFY(ConnectToSim(session, sim, 10000));
        const SimUnit& unit = sim.Unit();
        struct Row
        {
            const char* line;
            const char* out; // the line printed, or the start of the error
            int variable;    // the simulator's variable the verb sets, and its value
            int value;
        };
        // Variables: 21 main power, 23 main volume, 24 main mute, 27 zone
        // volume, 32 treble, 33 bass, 40 surround, 43 band, 44 AM and 45 FM
        // frequency, 52 zone power, 53 main and 54 zone source, 57 FM preset,
        // 59 speakers B.
        const Row rows[] = {
            {"power on", "main power: on", 21, 1},
            {"power on", "main power: on", 21, 1}, // already: nothing sent
            {"volume -30", "main volume: -30 dB", 23, -30},
            {"volume up", "main volume: -29 dB", 23, -29},
            {"mute on", "main mute: on", 24, 1},
            {"source cd", "main source: CD", 53, 6},
            {"source 2", "main source: SATELLITE", 53, 1},
            {"surround dolby-pro-logic", "main surround: Dolby Pro Logic", 40, 2},
            {"speakers b on", "main speakers b: on", 59, 1},
            {"tone bass 4", "main bass: 4 dB", 33, 4},
            {"tone treble -6", "main treble: -6 dB", 32, -6},
            {"--zone volume -20",
             "the unit did not report zone volume -20 dB within 1 s; it "
             "reports zone power: off, zone volume: -",
             27, -40},
            {"--zone power on", "zone power: on", 52, 1},
            {"--zone source local", "zone source: LOCAL", 54, 8},
            {"--zone volume -20", "zone volume: -20 dB", 27, -20},
            {"tuner band am", "no room that is on has TUNER", 43, 1},
            {"source tuner", "main source: TUNER", 53, 9},
            {"tuner band am", "tuner band: AM", 43, 0},
            {"tuner frequency 101.10", "tuner frequency: 101.10 MHz", 45, 10110},
            {"tuner preset 2", "tuner preset: 2", 57, 2},
            {"source nowhere", "no input is named nowhere; the unit's inputs are DVD, ", 53, 9},
            {"preset store 3", "main power: on", 21, 1},
            {"power off", "main power: off", 21, 0},
        };
        for (const Row& row : rows) {
            const CliResult r = RunThrough(session, QString::fromLatin1(row.line));
            const QByteArray printed = (r.exitCode == 0 ? r.out : r.err).trimmed();
            QVERIFY2(printed.startsWith(row.out), row.line + QByteArray(": ") + printed);
            QCOMPARE(unit.Value(static_cast<std::uint8_t>(row.variable)), row.value);
        }
        const CliResult status = RunThrough(session, QStringLiteral("--json status"));
        QCOMPARE(status.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(status.out).object();
        QCOMPARE(json.value(QLatin1String("model")).toString(), QStringLiteral("K230"));
        const QJsonObject zone = json.value(QLatin1String("zone")).toObject();
        QCOMPARE(zone.value(QLatin1String("volume")).toInt(), unit.Value(27));
        QCOMPARE(zone.value(QLatin1String("source")).toString(), QStringLiteral("LOCAL"));
        const QJsonObject tuner = json.value(QLatin1String("tuner")).toObject();
        QCOMPARE(tuner.value(QLatin1String("frequency")).toDouble(), unit.Value(45) / 100.0);
        QCOMPARE(tuner.value(QLatin1String("preset")).toInt(), unit.Value(57));
        QCOMPARE(
            json.value(QLatin1String("main")).toObject().value(QLatin1String("power")).toBool(),
            false);
        const CliResult error = RunThrough(session, QStringLiteral("--json surround nowhere"));
        QCOMPARE(error.exitCode, 1);
        QVERIFY(QJsonDocument::fromJson(error.out)
                    .object()
                    .value(QLatin1String("error"))
                    .toString()
                    .startsWith(QStringLiteral("no surround mode is named nowhere")));

        // While one command's transfer runs, a second is refused at once.
        CliRequest first;
        QString usage;
        QVERIFY(CliCommandLine::Parse(
            {QStringLiteral("presets"), QStringLiteral("save"), Path("first.vxf")}, &first,
            &usage));
        CliRunner runner(first, &session);
        runner.SetStreams({std::tmpfile(), std::tmpfile(), false});
        QSignalSpy finished(&runner, &CliRunner::finished);
        runner.Start();
        QTRY_VERIFY(session.Transfer().IsBusy());
        const CliResult refused = RunThrough(session, QStringLiteral("save ") + Path("second.vxf"));
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("busy with another transfer"), refused.err.constData());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(finished.first().first().toInt(), 0);
        QVERIFY(QFile::exists(Path("first.vxf")) && !QFile::exists(Path("second.vxf")));
    }

    // No unit on the port, or a port that does not exist: exit 1 within the
    // answer limit, one line on stderr. A unit held through another path
    // names its holder, this process.
    void missingPortFailsInBoundedTime()
    {
        CliResult r =
            RunCli({QStringLiteral("--port"), Path("ttyNobody"), QStringLiteral("status")}, 15000);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.ms < 8000);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.startsWith("veltrix: no unit answered on "));

        SimProcess sim({QStringLiteral("--link"), Path("ttyHeld")});
        QVERIFY(sim.WaitStarted());
        QVERIFY(QFile::link(Path("ttyHeld"), Path("ttyHeldToo")));
        SerialPort held;
        QVERIFY(held.Open(Path("ttyHeld"), {}));
        r = RunCli({QStringLiteral("--port"), Path("ttyHeldToo"), QStringLiteral("status")}, 15000);
        QCOMPARE(r.exitCode, 1);
        const QByteArray holder =
            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + ", process " +
            QByteArray::number(QCoreApplication::applicationPid());
        QVERIFY2(r.err.endsWith(" is in use by " + holder + ")\n"), r.err.constData());
    }

    // Usage errors exit 2, and files that cannot be used exit 1, at once and
    // before any port is opened: the simulator on the named port sees no
    // request at all. A FIFO would block the read, a 2 GB file keep it busy
    // for most of a minute.
    void usageErrorsTouchNoPort()
    {
        const QString link = Path("ttyUsage");
        SimProcess sim({QStringLiteral("--link"), link});
        QVERIFY(sim.WaitStarted());
        std::vector<std::tuple<QStringList, int, QString>> rows;
        // No command, unknown ones, files missing or too many, options and
        // verbs' words that do not fit.
        for (const char* line : {"",
                                 "reboot",
                                 "save",
                                 "load a b",
                                 "presets",
                                 "presets load",
                                 "status --yes",
                                 "status --fast",
                                 "status --port",
                                 "status --retry 0",
                                 "--help status",
                                 "power",
                                 "power up",
                                 "volume loud",
                                 "--zone surround direct",
                                 "save x --json",
                                 "tuner band xm",
                                 "tuner frequency 1o1",
                                 "preset recall 6",
                                 "speakers c on"})
            rows.emplace_back(QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts), 2,
                              QString());
        const QString fifo = Path("fifo");
        QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QFile big(Path("big.vxf"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(2) << 30));
        const QString notRegular = QStringLiteral(": not a regular file");
        const QString tooLarge =
            QStringLiteral(": too large to be a settings file (2147483648 bytes)");
        rows.emplace_back(QStringList{QStringLiteral("load"), fifo}, 1, fifo + notRegular);
        rows.emplace_back(QStringList{QStringLiteral("diff"), fifo}, 1, fifo + notRegular);
        rows.emplace_back(QStringList{QStringLiteral("diff"), QStringLiteral("/dev/zero"), fifo}, 1,
                          QStringLiteral("/dev/zero") + notRegular);
        rows.emplace_back(QStringList{QStringLiteral("presets"), QStringLiteral("load"), fifo}, 1,
                          fifo + QStringLiteral(" could not be read. not a regular file"));
        rows.emplace_back(QStringList{QStringLiteral("load"), big.fileName()}, 1,
                          big.fileName() + tooLarge);
        rows.emplace_back(
            QStringList{QStringLiteral("presets"), QStringLiteral("load"), big.fileName()}, 1,
            QStringLiteral("too large to be a tuner preset file"));
        for (const auto& [arguments, exitCode, error] : rows) {
            const CliResult r =
                RunCli(QStringList{QStringLiteral("--port"), link} + arguments, 10000);
            const QByteArray what = arguments.join(u' ').toUtf8() + ": " + r.err;
            QVERIFY2(r.exitCode == exitCode && r.ms < 2000 && r.out.isEmpty(), what);
            QVERIFY2(r.err.count('\n') == 1 && r.err.contains(error.toUtf8()), what);
        }
        QTest::qWait(200);
        QVERIFY2(!sim.Trace().contains("<-"), sim.Trace().constData());
    }

    // save, then load into a unit with a blank memory with --verify, then
    // save that unit again: the same file. A worn cell the load's echoes
    // cannot show is named by --verify; --dry-run sends no write at all.
    void saveLoadVerify()
    {
        const ModelFacts facts{QStringLiteral("K230"), QStringLiteral("v2.05")};
        const QString linkA = Path("ttySaveA");
        SimProcess a({QStringLiteral("--link"), linkA, QStringLiteral("--line-rate"),
                      QStringLiteral("0"), QStringLiteral("--eeprom"), Path("saveA.eeprom")});
        QVERIFY(a.WaitStarted());
        CliResult r =
            RunCli({QStringLiteral("--port"), linkA, QStringLiteral("save"), Path("unit.vxf")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QVERIFY(r.err.contains("Transferring tuner presets from K230\n"));
        const QByteArray saved = FileBytes(Path("unit.vxf"));
        QVERIFY(saved.startsWith("<VELTRIX>\r\r\n") && saved.endsWith("</VELTRIX>"));
        // A full disk (here a file size limit) fails the save and keeps the earlier file.
        {
            QProcess shell;
            shell.start(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"),
                         QStringLiteral("ulimit -f 4; trap '' XFSZ; exec \"$0\" "
                                        "--port \"$1\" --quiet save \"$2\""),
                         qEnvironmentVariable("VELTRIX_CLI"), linkA, Path("unit.vxf")});
            QVERIFY(shell.waitForFinished(60000));
            QCOMPARE(shell.exitCode(), 1);
            QVERIFY(
                shell.readAllStandardError().startsWith("veltrix: The settings were not saved"));
            QCOMPARE(FileBytes(Path("unit.vxf")), saved);
            QCOMPARE(QDir(dir.path())
                         .entryList({QStringLiteral("unit.vxf.*")}, QDir::Files | QDir::Hidden),
                     QStringList());
        }
        a.Stop();
        // Two files, no unit: the same file matches itself; one field apart is named.
        r = RunCli({QStringLiteral("diff"), Path("unit.vxf"), Path("unit.vxf")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QByteArray other = saved;
        const qsizetype bass = other.indexOf("\t\tBass  \t\t");
        QVERIFY(bass > 0);
        other.replace(bass, other.indexOf('\r', bass) - bass, "\t\tBass  \t\t+10 dB");
        QVERIFY(WriteFile(Path("other.vxf"), other));
        r = RunCli({QStringLiteral("diff"), Path("unit.vxf"), Path("other.vxf")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.startsWith("Current setup > Levels > Bass: " + Path("unit.vxf").toUtf8()),
                 r.out.constData());
        QCOMPARE(r.out.count('\n'), 1);
        // A memory that holds nothing but the block size.
        const int sizeAddress = facts.BlockSizeAddress();
        const QByteArray factory = FileBytes(Path("saveA.eeprom"));
        QCOMPARE(factory.size(), 2048);
        QByteArray blank(factory.size(), char(0xFF));
        blank[sizeAddress] = factory.at(sizeAddress);
        const int size = ModelFacts::DecodeBlockSize(quint8(factory.at(sizeAddress)));
        // A/V preset 1's front speakers (canonical 40) keep the blank's 0xff.
        const int worn = EepromMap::PresetAddress(sizeAddress, size, 1) + 1 + 40;
        for (const char* name : {"blankB.eeprom", "blankC.eeprom"}) {
            QFile file(Path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(blank);
        }

        const QString linkB = Path("ttyLoadB");
        SimProcess b({QStringLiteral("--link"), linkB, QStringLiteral("--line-rate"),
                      QStringLiteral("0"), QStringLiteral("--eeprom"), Path("blankB.eeprom")});
        QVERIFY(b.WaitStarted());
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("--quiet"),
                    QStringLiteral("load"), Path("unit.vxf"), QStringLiteral("--dry-run")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QVERIFY(r.out.contains("rename input 1 to \"DVD\"\n"));
        QVERIFY(r.out.contains("EEPROM 32-381: 350 bytes, tuner presets"));
        QVERIFY(r.out.endsWith(" nothing was sent\n"));
        QVERIFY(!b.Trace().contains("<- 15 37")); // no rename
        QVERIFY(!b.Trace().contains("<- 1e 01")); // no EEPROM write
        QVERIFY(!b.Trace().contains("<- 1d 01")); // no live-setup write
        // A load's last frame, the end of the live-setup write, is on the line
        // before the program ends.
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("--quiet"),
                    QStringLiteral("load"), Path("unit.vxf")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        const QByteArray loaded = b.Trace();
        QVERIFY(loaded.lastIndexOf("<- 1d 02\n") > loaded.lastIndexOf("<- 1d 01 42 "));
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("--quiet"),
                    QStringLiteral("load"), Path("unit.vxf"), QStringLiteral("--verify")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QVERIFY(r.out.contains("\nnot compared: Speaker A and B"));
        QVERIFY(r.out.endsWith("verified: the unit holds everything the file wrote\n"));
        // Only the parts asked for are sent.
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("--quiet"),
                    QStringLiteral("load"), Path("unit.vxf"), QStringLiteral("--only"),
                    QStringLiteral("preset:2,names"), QStringLiteral("--dry-run")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QCOMPARE(r.out.count("rename input "), 10);
        QVERIFY(r.out.contains("A/V preset 2 settings") && !r.out.contains("A/V preset 1 ") &&
                !r.out.contains("tuner") && !r.out.contains("live setup"));
        r = RunCli({QStringLiteral("--port"), linkB, QStringLiteral("--quiet"),
                    QStringLiteral("save"), Path("again.vxf")});
        QVERIFY2(r.exitCode == 0, (r.err + r.out).constData());
        QCOMPARE(FileBytes(Path("again.vxf")), saved);

        const QString linkC = Path("ttyWorn");
        SimProcess c({QStringLiteral("--link"), linkC, QStringLiteral("--line-rate"),
                      QStringLiteral("0"), QStringLiteral("--eeprom"), Path("blankC.eeprom"),
                      QStringLiteral("--lose-eeprom"), QString::number(worn)});
        QVERIFY(c.WaitStarted());
        r = RunCli({QStringLiteral("--port"), linkC, QStringLiteral("--quiet"),
                    QStringLiteral("load"), Path("unit.vxf"), QStringLiteral("--verify")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains("A/V preset 1 > Speaker Setup > FrontSpeakers: file ") &&
                     r.out.contains(", unit 255\n"),
                 r.out.constData());
        QCOMPARE(r.err, QByteArray("veltrix: verify: the unit does not hold what the file wrote "
                                   "(1 difference)\n"));
    }

    // What refuses a save or a load ends with exit 1, one line on stderr, and
    // nothing written to the unit or the file.
    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("unit");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("error");
        const QString file = Path("unit.vxf"); // from saveLoadVerify
        const QString k220 = MessageTable::Text(Message::UnsupportedUnit);
        QTest::newRow("K220 save") << QStringList{QStringLiteral("--model"), QStringLiteral("K220")}
                                   << QStringList{QStringLiteral("save"), Path("refused.vxf")}
                                   << QStringLiteral("veltrix: ") + k220;
        QTest::newRow("K220 load")
            << QStringList{QStringLiteral("--model"), QStringLiteral("K220")}
            << QStringList{QStringLiteral("load"), file} << QStringLiteral("veltrix: ") + k220;
        QTest::newRow("v2.00 save")
            << QStringList{QStringLiteral("--firmware"), QStringLiteral("v2.00")}
            << QStringList{QStringLiteral("save"), Path("refused.vxf")}
            << QStringLiteral("veltrix: ") + MessageTable::Text(Message::NeedsFirmware205);
        QTest::newRow("another model without --yes")
            << QStringList{QStringLiteral("--model"), QStringLiteral("K240")}
            << QStringList{QStringLiteral("load"), file}
            << MessageTable::Text(Message::CliModelMismatch)
                   .arg(file, QStringLiteral("This file was saved for a K230 unit."));
        QTest::newRow("not a settings file")
            << QStringList{} << QStringList{QStringLiteral("load"), Path("trace.txt")}
            << QStringLiteral("veltrix: %1: This file is not a settings file. Please open a file "
                              "that has settings.")
                   .arg(Path("trace.txt"));
    }
    void refusalsWriteNothing()
    {
        QFETCH(QStringList, unit);
        QFETCH(QStringList, command);
        QFETCH(QString, error);
        const QString link = Path("ttyRefuse");
        SimProcess sim(QStringList{QStringLiteral("--link"), link, QStringLiteral("--line-rate"),
                                   QStringLiteral("0")} +
                       unit);
        QVERIFY(sim.WaitStarted());
        const CliResult r = RunCli(
            QStringList{QStringLiteral("--port"), link, QStringLiteral("--quiet")} + command);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromLocal8Bit(r.err), error + u'\n');
        QVERIFY(!QFile::exists(Path("refused.vxf")));
        for (const char* write : {"<- 15 37", "<- 1e 01", "<- 1d 01"})
            QVERIFY2(!sim.Trace().contains(write), write);
    }

    // Ctrl-C, or the terminal hanging up, in the middle of a save: exit 130,
    // and the earlier file of that name is as it was, with nothing left
    // beside it.
    void interruptedSaveKeepsEarlierFile_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void interruptedSaveKeepsEarlierFile()
    {
        QFETCH(int, signal);
        const QString link = Path("ttyInterrupt");
        SimProcess sim({QStringLiteral("--link"), link}); // paced: the save takes seconds
        QVERIFY(sim.WaitStarted());
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("backup.vxf"));
        QVERIFY(WriteFile(path, "earlier"));
        QProcess cli;
        cli.start(qEnvironmentVariable("VELTRIX_CLI"),
                  {QStringLiteral("--port"), link, QStringLiteral("save"), path});
        QVERIFY(cli.waitForStarted());
        QByteArray progress;
        QTRY_VERIFY_WITH_TIMEOUT((progress += cli.readAllStandardError()).contains("A/V preset #1"),
                                 20000);
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 130);
        QCOMPARE(FileBytes(path), QByteArray("earlier"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A unit that stops answering in the middle of the tuner read: the
    // command gives up after its silence limit with one clear line, where
    // the GUI would retry until Cancel.
    void unitFallingSilentMidTransfer()
    {
        const QString link = Path("ttySilent");
        // The handshake takes 14 requests; a few bytes of the read follow.
        SimProcess sim({QStringLiteral("--link"), link, QStringLiteral("--silent-after"),
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
