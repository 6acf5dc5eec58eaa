#include "common/message_table.h"
#include "event_wait.h"
#include "files/load_plan.h"
#include "files/settings_file_reader.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "test_files.h"
#include "transfer/eeprom_map.h"
#include "unit/unit_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

// Whole-unit transfers through the program's own classes against the
// simulated receiver, on a line with each kind of fault: every cell ends
// byte-exact or with a failure that says what was and was not written, and
// never hangs. Every timer of the program and of the line runs `Scale` times
// faster than on a real 9600-baud line, so the times reported (scaled back)
// keep the real ratios between cells.
namespace {

constexpr int Save = 0, Load = 1, Tuner = 2, Setup = 3;
constexpr std::array OpNames = {"save", "load", "tuner write", "setup write"};
constexpr int SizeAddress = 1024; // the K230's setup area

struct Cell
{
    const char* name = "clean";
    int drop = 0, corrupt = 0;
    bool noise = false;
    int delayMs = 0; // real time
    int requestDrop = 0, requestCorrupt = 0;
    bool vanish = false; // silent from the middle of the operation on
};
const std::array Cells = {
    Cell{},
    Cell{"drop 10 %", 10},
    Cell{"drop 30 %", 30},
    Cell{"corrupt 5 %", 0, 5},
    Cell{"noise", 0, 0, true},
    Cell{"reply delay 200 ms", 0, 0, false, 200},
    Cell{"request drop 10 % + corrupt 5 %", 0, 0, false, 0, 10, 5},
    Cell{"unit vanishes", 0, 0, false, 0, 0, 0, true},
};

int EnvOr(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}
// Every timer runs this many times faster: VELTRIX_MATRIX_SCALE, 40 when unset.
int Scale()
{
    return EnvOr("VELTRIX_MATRIX_SCALE", 40);
}
int Scaled(int realMs)
{
    return std::max(1, realMs / Scale());
}
// No operation takes this long on a line that answers at all.
int Bound()
{
    return 20 * 60 * 1000 / Scale();
}

// What a unit holds that an operation may change.
struct Memory
{
    QByteArray eeprom, live;
    QStringList names;
    bool operator==(const Memory&) const = default;
};

// One byte an operation writes, in the order it is written.
struct Put
{
    bool live;
    int at;
    char value;
};

struct Rig
{
    explicit Rig(const Cell& cell = {})
    {
        SimOptions options;
        options.lineRate = 9600 * Scale();
        options.rdsPeriodMs = 0;
        options.replyDelayMs = cell.delayMs / Scale();
        options.seed = quint32(EnvOr("VELTRIX_MATRIX_SEED", 1)); // the faults' draws
        sim = std::make_unique<SimulatedReceiver>(options);
        QObject::connect(sim.get(), &SimulatedReceiver::frameReceived, [this] {
            if (++frames == silentAt)
                sim->SetSilent(true);
        });
        QObject::connect(&session.Link(), &UnitLink::lineSilent,
                         [this] { silentInRow = std::max(silentInRow, ++silentNow); });
        QObject::connect(&session.Link(), &UnitLink::payloadReceived, [this] { silentNow = 0; });
        session.SetTiming({Scaled(500),
                           Scaled(100),
                           {Scaled(100), Scaled(3000), Scaled(1000)},
                           {Scaled(1000), Scaled(750), Scaled(150), true, Scaled(40)},
                           Scaled(1000)});
    }

    // Connected, block size and every input name known, on a clean line;
    // a blank memory holds nothing but the block size, which a unit always has.
    bool Connect(bool blank = false)
    {
        if (!sim->Start())
            return false;
        QByteArray empty(SimUnit::EepromSize, char(0xFF));
        empty[SizeAddress] = sim->Eeprom().at(SizeAddress);
        if (blank && !sim->Unit().ReplaceEeprom(empty))
            return false;
        return ConnectToSim(session, *sim, Scaled(60000));
    }

    void Faults(const Cell& cell, int vanishAfter)
    {
        sim->SetFaults(cell.drop, cell.corrupt, cell.noise);
        sim->SetRequestFaults(cell.requestDrop, cell.requestCorrupt, false);
        frames = silentNow = silentInRow = 0;
        silentAt = cell.vanish ? vanishAfter : -1;
    }

    Memory Held() const
    {
        Memory m{sim->Eeprom(), sim->LiveSetup(), {}};
        for (int i = 0; i < InputCount; ++i)
            m.names << QString::fromLatin1(sim->Unit().InputName(i));
        return m;
    }

    // Makes one request and tells whether it succeeded; its result's
    // messages land in `said`, the result itself in `result`.
    bool Run(const std::function<bool(TransferDone)>& start, QStringList& said, bool& ended)
    {
        auto got = std::make_shared<std::optional<TransferResult>>(); // outlives a hung request
        start([got](const TransferResult& r) { *got = r; });
        ended = WaitFor([&] { return got->has_value(); }, Bound());
        if (!ended)
            return false;
        result = **got;
        for (const TransferMessage& message : result.messages)
            said << message.text;
        return result.Succeeded();
    }

    std::unique_ptr<SimulatedReceiver> sim;
    UnitSession session;
    TransferResult result; // of the last Run
    int frames = 0;
    int silentAt = -1;
    int silentNow = 0;   // silent periods since the last good frame
    int silentInRow = 0; // the most in a row since Faults
};

} // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    SettingsImage image;   // the unit's current setup, edited
    TunerPresetList tuner; // the unit's tuner presets, edited
    int amStep = 0;
    QString cleanFile;              // saved over a clean line
    Memory source, loaded;          // the unit saved, and the blank one after a clean load
    std::map<int, int> cleanFrames; // requests each clean operation made
    struct Result
    {
        QString outcome;
        qint64 realMs = 0;
        QString said; // what a failure told the user
    };
    std::map<int, std::map<int, Result>> results;

    // The bytes of the tuner write, or of the preset write and the current
    // setup write, in the order they are sent.
    QList<QList<Put>> Puts(int op, int blockSize) const
    {
        QList<Put> first, second;
        if (op == Tuner) {
            const auto encoded = tuner.Encode(amStep);
            for (int i = 0; i < EepromMap::TunerImageSize; ++i)
                first.append({false, EepromMap::TunerImage + i, char(encoded[size_t(i)])});
            return {first};
        }
        const int status = EepromMap::PresetAddress(SizeAddress, blockSize, 1);
        const QByteArray block = image.BlockAndTableBytes(), name = image.NameBytes();
        for (int i = 0; i < block.size(); ++i)
            first.append({false, status + 1 + i, block[i]});
        for (int i = 0; i < name.size(); ++i)
            first.append({false, EepromMap::PresetNameAddress(1) + i, name[i]});
        const QByteArray live = image.BlockBytes();
        for (int i = 0; i < live.size(); ++i)
            second.append({true, i, live[i]});
        return {first, second};
    }

    // Runs `op` on `cell`; the outcome is what the cell must give.
    void RunCell(int op, int index)
    {
        if (op == Load && cleanFile.isEmpty())
            RunCell(Save, 0);
        if (index != 0 && !cleanFrames.count(op))
            RunCell(op, 0); // the reference of every other cell
        if (QTest::currentTestFailed())
            return;
        const Cell& cell = Cells[size_t(index)];
        const bool clean = index == 0;
        Rig rig(cell);
        QVERIFY2(rig.Connect(op == Load), "no connection on a clean line");
        const Memory before = rig.Held();
        rig.Faults(cell, cleanFrames[op] / 2);
        QElapsedTimer clock;
        clock.start();
        bool ok = false, ended = false;
        QStringList said;
        const QString cellDir = dir.filePath(u"%1-%2"_s.arg(op).arg(index));
        const QString path = cellDir + u"/unit.vxf"_s;
        QList<QList<Put>> puts;
        int failedStep = -1;

        if (op == Save) {
            QVERIFY(QDir().mkpath(cellDir));
            QVERIFY(WriteFile(path, "earlier\n"));
            SettingsSaveChain chain(rig.session);
            QSignalSpy done(&chain, &SettingsSaveChain::finished);
            QVERIFY(chain.Start(path));
            ended = WaitFor([&] { return !done.isEmpty(); }, Bound());
            ok = ended && done.first().at(0).toBool();
            if (ended)
                said << done.first().at(1).toString();
        } else if (op == Load) {
            SettingsLoadRun load(rig.session);
            load.Renamer().SetReportWait(Scaled(InputRenamer::ReportWait));
            load.SetRenamePause(Scaled(LoadPlan::RenamePause));
            QSignalSpy done(&load, &SettingsLoadRun::finished);
            QVERIFY(load.Start(cleanFile));
            ended = WaitFor([&] { return !done.isEmpty(); }, Bound());
            ok = ended && done.first().at(0).toBool();
            if (ended && !ok) {
                said = done.first().at(1).toStringList();
                const QString stopped = MessageTable::Text(Message::LoadIncomplete)
                                            .arg(load.Done())
                                            .arg(load.Writes().size());
                QVERIFY2(!said.isEmpty() && said.first().startsWith(stopped.section(u"%3"_s, 0, 0)),
                         qPrintable(said.join(u'\n')));
                // Every write it counts as made is in the unit as a clean load leaves it.
                const Memory held = rig.Held(), &want = loaded;
                for (const UnitWrite& w : load.Writes().mid(0, load.Done())) {
                    if (w.kind == UnitWrite::Kind::InputName)
                        QCOMPARE(held.names.at(w.index), want.names.at(w.index));
                    const int count = w.kind == UnitWrite::Kind::TunerPresets
                                          ? int(EepromMap::TunerImageSize)
                                          : int(w.bytes.size());
                    if (w.IsEeprom())
                        QCOMPARE(held.eeprom.mid(w.address, count),
                                 want.eeprom.mid(w.address, count));
                }
            }
        } else {
            MemoryTransfer& t = rig.session.Transfer();
            puts = Puts(op, rig.session.Status().facts.blockSize);
            const std::function<bool(TransferDone)> steps[] = {
                [&](TransferDone done) {
                    return op == Tuner ? t.WriteTunerPresets(tuner, amStep, done)
                                       : t.WriteSetup(1, image, done);
                },
                [&](TransferDone done) { return t.WriteSetup(0, image, done); }};
            ok = true;
            for (int i = 0; ok && i < puts.size(); ++i) {
                ok = rig.Run(steps[i], said, ended);
                failedStep = ok ? -1 : i;
                if (!ended)
                    break;
            }
        }
        const qint64 realMs = clock.nsecsElapsed() / 1000 * Scale() / 1000;
        QVERIFY2(ended, "no end: the operation hung");
        const bool silenced = rig.silentInRow >= 2;
        Pause(Scaled(200)); // the last write's end takes the setup into force
        if (clean) {
            cleanFrames[op] = rig.frames;
            if (op == Save)
                std::tie(source, cleanFile) = std::tie(before, path);
            if (op == Load)
                loaded = rig.Held();
        }
        results[op][index] = {ok                         ? u"byte-exact"_s
                              : silenced && !cell.vanish ? u"clear failure (6 s silent)"_s
                                                         : u"clear failure"_s,
                              realMs, ok ? QString() : said.join(u' ').replace(u'\n', u' ')};
        // The faulty but answering cells cost time, never bytes, unless the
        // line said nothing for two silent periods in a row (6 s): that is
        // how a gone unit is told, so it ends as a vanished unit does.
        QVERIFY2(ok == !(cell.vanish || silenced) && (ok || index != 0),
                 qPrintable(said.join(u'\n')));
        const Memory held = rig.Held();
        if (op == Save) {
            QVERIFY(held == before); // a save never writes
            QCOMPARE(QDir(cellDir).entryList(QDir::Files | QDir::Hidden).size(), 1);
            if (ok) {
                QCOMPARE(FileBytes(path), FileBytes(cleanFile));
                QVERIFY(FileBytes(path).endsWith("</VELTRIX>"));
            } else {
                QCOMPARE(FileBytes(path), QByteArray("earlier\n"));
                const QStringList parts =
                    MessageTable::Text(Message::SaveIncomplete).split(u"%1"_s);
                QVERIFY2(said.first().startsWith(parts.first()) &&
                             said.first().endsWith(parts.last()) &&
                             said.first().size() > parts.join(QString()).size(),
                         qPrintable(said.first()));
            }
            return;
        }
        if (op == Load) {
            // A clean load gives the blank unit the saved one's tuner presets and names.
            const int at = EepromMap::TunerImage, size = EepromMap::TunerImageSize;
            QVERIFY(!clean || (held.names == source.names &&
                               held.eeprom.mid(at, size) == source.eeprom.mid(at, size)));
            QVERIFY(!ok || held == loaded);
            return;
        }
        QVERIFY(!ok || said.isEmpty());
        // What was asked, exactly, and nothing else; a failed write as far as
        // its message says it got, and perhaps the byte in flight after that.
        Memory want = before;
        for (int i = 0; i < puts.size() && (failedStep < 0 || i <= failedStep); ++i) {
            const auto size = puts.at(i).size();
            qsizetype n = 0;
            const QString lost = MessageTable::Text(Message::WriteLost);
            while (i == failedStep && n <= size && said.last() != lost.arg(n).arg(size))
                ++n;
            QVERIFY2(n <= size, qPrintable(said.join(u'\n')));
            for (qsizetype k = 0; k < size; ++k) {
                const Put& p = puts.at(i).at(k);
                QByteArray& bytes = p.live ? want.live : want.eeprom;
                const QByteArray& got = p.live ? held.live : held.eeprom;
                if (i != failedStep || k < n || (k == n && got.at(p.at) == p.value))
                    bytes[p.at] = p.value;
            }
        }
        QVERIFY(held == want);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        Rig rig;
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.session.Transfer();
        QStringList said;
        bool ended = false;
        QVERIFY(rig.Run([&](TransferDone done) { return t.ReadTunerPresets(done); }, said, ended));
        tuner = rig.result.tuner;
        amStep = rig.result.amStepSize;
        QVERIFY(tuner.RemoveFm(2));
        QVERIFY(tuner.AddFm(30, 10850, 1, u"MATRIX"_s));
        QVERIFY(rig.Run([&](TransferDone done) { return t.ReadCurrentSetup(done); }, said, ended));
        image = rig.result.image;
        for (int canonical : {31, 40, 47, 52})
            QVERIFY(image.SetByte(canonical, (image.Byte(canonical) + 3) & 0xFF));
        QVERIFY(image.SetTableByte(4, 0x21));
        image.SetPresetName(u"Fault Matrix"_s);
    }

    void matrix_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("cell");
        for (int op = Save; op <= Setup; ++op) {
            for (size_t cell = 0; cell < Cells.size(); ++cell)
                QTest::addRow("%s: %s", OpNames[size_t(op)], Cells[cell].name) << op << int(cell);
        }
    }
    void matrix()
    {
        QFETCH(int, op);
        QFETCH(int, cell);
        RunCell(op, cell);
    }

    // The cost of a bad cable, in real 9600-baud time.
    void cleanupTestCase()
    {
        qInfo("time scale %d; times are real 9600-baud milliseconds", Scale());
        qInfo("%-12s %-32s %-27s %9s %8s", "operation", "cell", "outcome", "ms", "x clean");
        for (const auto& [op, row] : results) {
            const qint64 clean = row.count(0) ? row.at(0).realMs : 0;
            for (const auto& [cell, r] : row) {
                qInfo("%-12s %-32s %-27s %9lld %8.2f", OpNames[size_t(op)],
                      Cells[size_t(cell)].name, qPrintable(r.outcome), r.realMs,
                      clean > 0 ? double(r.realMs) / clean : 0.0);
                if (!r.said.isEmpty())
                    qInfo("%-12s   said: %s", "", qPrintable(r.said));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
