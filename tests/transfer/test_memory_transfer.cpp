#include "desktop/message_table.h"
#include "event_wait.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "transfer/memory_transfer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Retry = 60;
constexpr int Pace = 50;
using Outcome = MemoryTransfer::Outcome;

QByteArray Read(int address)
{
    return Bytes({MessageType::Eeprom, MemoryOp::Read, address & 0xFF, address >> 8});
}

int At(const QByteArray& bytes, int index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

int Address(const QByteArray& request)
{
    return At(request, 2) | At(request, 3) << 8;
}

QList<int> Range(int first, int last)
{
    QList<int> out;
    for (int a = first; a <= last; ++a)
        out << a;
    return out;
}

// The list with `value` sent a second time right after the first.
QList<int> Twice(QList<int> values, int value)
{
    values.insert(values.indexOf(value), value);
    return values;
}

// The log line of a message, with the table's text and its arguments.
QString Failed(int message, std::initializer_list<int> args = {})
{
    QString text = MessageTable::Text(message);
    for (int arg : args)
        text = text.arg(arg);
    return u"failed %1: %2"_s.arg(QString::number(message), text);
}

// A unit with both memories behind a scripted line, and a log of what the
// engine announces. Each request is answered as a healthy unit would; a
// test's tamper hook may then drop, change or add replies (`seen` counts the
// sends of that exact request).
struct Rig
{
    explicit Rig(const char* model = "K230", int sizeByte = 0) : transfer(link, status)
    {
        for (int a = 0; a < eeprom.size(); ++a)
            eeprom[a] = static_cast<char>(a * 7 + 3);
        for (int i = 0; i < live.size(); ++i)
            live[i] = static_cast<char>(i * 5 + 11);
        status.facts = {QString::fromLatin1(model), u"v2.05"_s};
        eeprom[status.facts.BlockSizeAddress()] = static_cast<char>(sizeByte);
        unit.SetResponder([this](const QByteArray& request) {
            QByteArrayList out = Answer(request);
            if (tamper)
                tamper(request, ++seen[request], out);
            return out;
        });
        transfer.SetTiming({Retry, Pace, 60});
        QObject::connect(&link, &UnitLink::payloadReceived, [this](const QByteArray& p) {
            if (p.startsWith(char(MessageType::LiveSetup)))
                transfer.HandleLiveSetupReply(p);
            else if (p.startsWith(char(MessageType::Eeprom)))
                transfer.HandleEepromReply(p);
        });
        using T = MemoryTransfer;
        const auto on = [this](auto signal, auto slot) {
            QObject::connect(&transfer, signal, slot);
        };
        on(&T::transferStarted, [this](const QString& text) { log << text; });
        on(&T::transferFinished, [this](Outcome o) {
            log << QVariant::fromValue(o).toString(); // the outcome's name
            ++finished;
        });
        on(&T::setupBlockRead, [this](int k) { log << u"block %1"_s.arg(k); });
        on(&T::presetEmpty, [this](int k) { log << u"empty %1"_s.arg(k); });
        on(&T::tunerPresetsRead, [this](const TunerPresetList& list) {
            const int am1 = list.AmPresets().value(0).frequency;
            log << u"tuner step %1, AM1 %2"_s.arg(list.AmStepSize()).arg(am1);
        });
        on(&T::liveSetupWritten, [this] { log << u"live written"_s; });
        on(&T::eepromWriteFinished,
           [this](int a, int n, bool ok) { log << u"eeprom %1 %2 %3"_s.arg(a).arg(n).arg(ok); });
        on(&T::transferFailed, [this](int id, const QString& text) {
            log << u"failed %1: %2"_s.arg(QString::number(id), text);
        });
        on(&T::progressChanged, [this](int p) { progress << p; });
        link.Open(unit.SlavePath(), {20, 250, 500});
    }

    QByteArrayList Answer(const QByteArray& r)
    {
        const bool write = r.size() > 1 && r[1] == MemoryOp::Write;
        if (r.size() == 3 + write && r[0] == MessageType::LiveSetup && At(r, 2) < live.size()) {
            if (write)
                live[At(r, 2)] = r[3];
            return {Bytes({MessageType::LiveSetup, At(r, 2), At(live, At(r, 2))})};
        }
        if (r.size() == 4 + write && r[0] == MessageType::Eeprom) {
            if (write)
                eeprom[Address(r)] = r[4];
            return {Bytes({MessageType::Eeprom, At(r, 2), At(r, 3), At(eeprom, Address(r))})};
        }
        return {};
    }

    bool Wait()
    {
        return WaitFor([this] { return finished > 0; }, 5000);
    }

    // Asks for the block size as the connection does, then forgets the traffic.
    bool KnowBlockSize()
    {
        QSignalSpy read(&transfer, &MemoryTransfer::blockSizeRead);
        transfer.ReadBlockSize();
        const bool answered = read.wait(2000);
        unit.Clear();
        seen.clear();
        return answered;
    }

    // Live-setup indexes or EEPROM addresses read, in order.
    QList<int> Reads(std::uint8_t type) const
    {
        QList<int> out;
        for (const QByteArray& p : unit.Payloads()) {
            if (p[0] == type && p.size() == (type == MessageType::Eeprom ? 4 : 3))
                out << (type == MessageType::Eeprom ? Address(p) : At(p, 2));
        }
        return out;
    }

    ScriptedUnit unit;
    UnitLink link;
    LiveStatus status;
    MemoryTransfer transfer;
    QByteArray eeprom = QByteArray(0x10000, 0);
    QByteArray live = QByteArray(96, 0);
    std::function<void(const QByteArray& request, int seen, QByteArrayList& out)> tamper;
    QHash<QByteArray, int> seen;
    QStringList log;
    QList<int> progress;
    int finished = 0;
};

} // namespace

class TestMemoryTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A read asks for the block size byte's worth (1..96, 0 meaning 67) and
    // the read one past each run, which only ends its phase. An A/V preset's
    // status byte at B + k·(S + 21) says 255 empty, 0 or S present, anything
    // else a mismatch; its name is at 643 + 13k. AM step flag 0 means 9 kHz.
    //
    // A lost reply is answered by the same request a retry period later. A
    // late duplicate, or a reply to another request inside or outside the
    // block, is never taken for the pending byte and never stalls the retry:
    // the tampered request goes twice, nothing else does.
    void reads_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("sizeByte");    // -1: 0, never read before
        QTest::addColumn<int>("read");        // 0 current setup, 1..5 A/V preset, 6 tuner
        QTest::addColumn<QList<int>>("poke"); // EEPROM address, value, ...
        QTest::addColumn<QStringList>("log"); // after the progress text
        QTest::addColumn<QList<int>>("eepromReads");
        QTest::addColumn<QByteArray>("target"); // the request tampered with, if any
        // Its first reply: 0 lost (the retry's then comes twice), 1 one for
        // the next byte, 2 one far outside.
        QTest::addColumn<int>("stray");
        const auto row = [](const char* tag, const char* model, int sizeByte, int read,
                            const QList<int>& poke, const QStringList& log, const QList<int>& reads,
                            const QByteArray& target = {}, int stray = 0) {
            QTest::newRow(tag) << QString::fromLatin1(model) << sizeByte << read << poke << log
                               << reads << target << stray;
        };
        const QString done = u"Completed"_s;
        const QString failed = u"Failed"_s;
        const QStringList current{done, u"block 0"_s};
        const QList<int> table = Range(1092, 1112);
        const int p2 = 1024 + 2 * 88;
        const int k220p3 = 768 + 3 * (57 + 21);
        row("size byte 0 is 67", "K230", 0, 0, {}, current, table);
        row("size 96", "K230", 96, 0, {}, current, Range(1121, 1141));
        row("size 97 refused", "K230", 97, 0, {}, {Failed(Message::BlockSizeInvalid, {97})}, {});
        row("size -1: a preset read stops at the size", "K230", 0xFF, 1, {},
            {failed, Failed(Message::BlockSizeInvalid, {-1})}, {1024});
        row("size never read: refused, asked again", "K230", -1, 0, {},
            {Failed(Message::BlockSizeUnknown)}, {1024});
        row("K220 preset 3, status S", "K220", 57, 3, {k220p3, 57}, {done, u"block 3"_s},
            QList<int>{768} + Range(k220p3, k220p3 + 57 + 21) + Range(682, 695));
        row("preset 5, status 0", "K230", 0, 5, {1464, 0}, {done, u"block 5"_s},
            QList<int>{1024} + Range(1464, 1464 + 88) + Range(708, 721));
        row("preset 2 empty", "K230", 0, 2, {p2, 255}, {failed, u"empty 2"_s}, {1024, p2});
        row("preset 2, status neither 0 nor S", "K230", 0, 2, {p2, 68},
            {failed, Failed(Message::SizeMismatch)}, {1024, p2});
        const QList<int> tuner = QList<int>{19} + Range(32, 381);
        const QList<int> am1{362, 0, 363, 109}; // 531 kHz with the 9 kHz step, else 640
        row("AM step flag 0", "K230", 0, 6, QList<int>{19, 0} + am1,
            {done, u"tuner step 9, AM1 531"_s}, tuner);
        const QStringList tunerRead{done, u"tuner step 10, AM1 640"_s};
        const QList<int> flag1 = QList<int>{19, 1} + am1;
        row("tuner: late duplicate", "K230", 0, 6, flag1, tunerRead, Twice(tuner, 40), Read(40), 0);
        row("tuner: next byte's reply", "K230", 0, 6, flag1, tunerRead, Twice(tuner, 40), Read(40),
            1);
        row("tuner: outside", "K230", 0, 6, flag1, tunerRead, Twice(tuner, 100), Read(100), 2);
        const QByteArray live9 = Bytes({MessageType::LiveSetup, MemoryOp::Read, 9});
        row("live: late duplicate", "K230", 0, 0, {}, current, table, live9, 0);
        row("live: index 200", "K230", 0, 0, {}, current, table, live9, 2);
        row("table: next byte's reply", "K230", 0, 0, {}, current, Twice(table, 1100), Read(1100),
            1);
    }
    void reads()
    {
        QFETCH(QString, model);
        QFETCH(int, sizeByte);
        QFETCH(int, read);
        QFETCH(QList<int>, poke);
        QFETCH(QByteArray, target);
        QFETCH(int, stray);
        Rig rig(qPrintable(model), std::max(sizeByte, 0));
        for (qsizetype i = 0; i < poke.size(); i += 2)
            rig.eeprom[poke[i]] = static_cast<char>(poke[i + 1]);
        if (sizeByte >= 0)
            QVERIFY(rig.KnowBlockSize());
        rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r != target)
                return;
            const bool live = r[0] == MessageType::LiveSetup;
            const int other =
                stray == 2 ? (live ? 200 : 0xFFFF) : (live ? At(r, 2) : Address(r)) + 1;
            if (stray == 0 && seen == 1)
                out.clear();
            else if (stray == 0 && seen == 2)
                out.append(out.first());
            else if (seen == 1)
                out = {live ? Bytes({MessageType::LiveSetup, other, 0x5A})
                            : Bytes({MessageType::Eeprom, other & 0xFF, other >> 8, 0x5A})};
        };
        const bool started = read == 0   ? rig.transfer.ReadCurrentSetup()
                             : read == 6 ? rig.transfer.ReadTunerPresets()
                                         : rig.transfer.ReadPreset(read);
        if (started) {
            QVERIFY(rig.Wait());
            rig.log.removeFirst(); // the progress text
        }
        Pause(Retry + 20); // nothing more is asked after the end
        QTEST(rig.log, "log");
        QTEST(rig.Reads(MessageType::Eeprom), "eepromReads");
        const int size = rig.status.facts.blockSize;
        const QList<int> live = read == 0 && started ? Range(0, size - 1) : QList<int>();
        QCOMPARE(rig.Reads(MessageType::LiveSetup),
                 target.startsWith(char(MessageType::LiveSetup)) ? Twice(live, 9) : live);
        if (!target.isEmpty()) {
            // The second send is the retry's.
            const auto& sent = rig.unit.Requests();
            const auto first = std::find_if(sent.cbegin(), sent.cend(),
                                            [&](const auto& r) { return r.payload == target; });
            QVERIFY(std::next(first)->atMs - first->atMs >= Retry - 20);
        }
        if (!rig.log.contains(u"Completed"_s))
            return;
        QCOMPARE(rig.progress.first(), 0);
        QCOMPARE(rig.progress.last(), 100);
        QVERIFY(std::is_sorted(rig.progress.cbegin(), rig.progress.cend()));
    }

    // Each byte is confirmed by its echo. A different echo sends it again at
    // once, a missing one after the pace (EEPROM) or the retry (live). An
    // EEPROM byte goes three times at most, then counts as unconfirmed.
    void writes_data()
    {
        QTest::addColumn<bool>("live");
        QTest::addColumn<QList<int>>("lostOnce");  // bytes whose first echo is lost
        QTest::addColumn<QList<int>>("wrongOnce"); // bytes whose first echo differs
        QTest::addColumn<QList<int>>("neverEcho"); // bytes never echoed
        QTest::addColumn<QList<int>>("sent");      // the bytes in the order sent
        QTest::addColumn<QStringList>("log");
        const QList<int> none;
        const QStringList written{u"eeprom 500 8 1"_s, u"Completed"_s};
        QTest::newRow("EEPROM, healthy") << false << none << none << none << Range(0, 7) << written;
        QTest::newRow("EEPROM, lost and wrong echoes")
            << false << QList<int>{3} << QList<int>{0, 7} << none
            << QList<int>{0, 0, 1, 2, 3, 3, 4, 5, 6, 7, 7} << written;
        QTest::newRow("EEPROM, two never echoed")
            << false << none << none << QList<int>{2, 7}
            << QList<int>{0, 1, 2, 2, 2, 3, 4, 5, 6, 7, 7, 7}
            << QStringList{u"eeprom 500 8 0"_s, u"Failed"_s,
                           Failed(Message::WriteUnconfirmed, {2, 8})};
        QTest::newRow("live, lost and wrong echo")
            << true << QList<int>{5} << QList<int>{2} << none
            << QList<int>{0, 1, 2, 2, 3, 4, 5, 5, 6, 7}
            << QStringList{u"live written"_s, u"Completed"_s};
    }
    void writes()
    {
        QFETCH(bool, live);
        QFETCH(QList<int>, lostOnce);
        QFETCH(QList<int>, wrongOnce);
        QFETCH(QList<int>, neverEcho);
        Rig rig;
        // The data byte a request writes, -1 for any other request.
        const auto byteOf = [](const QByteArray& r) {
            if (r.size() < 4 || r[1] != MemoryOp::Write)
                return -1;
            return r[0] == MessageType::LiveSetup ? At(r, 2) : Address(r) - 500;
        };
        rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
            const int i = byteOf(r);
            if (neverEcho.contains(i) || (lostOnce.contains(i) && seen == 1))
                out.clear();
            else if (wrongOnce.contains(i) && seen == 1)
                out.first().back() = static_cast<char>(~r.back());
        };
        const QByteArray data = Bytes({1, 2, 3, 4, 0x5E, 0x01, 0xFF, 0});
        rig.status.facts.blockSize = 8;
        rig.transfer.Image().Reset(rig.status.facts);
        for (int i = 0; i < 8; ++i)
            rig.transfer.Image().SetByteAt(i, At(data, i));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(live ? rig.transfer.WriteSetup(0) : rig.transfer.WriteEeprom(data, 500));
        QVERIFY(rig.Wait());
        // Confirmed bytes never wait for the pace (eight waits would take 8·Pace).
        if (neverEcho.isEmpty() && lostOnce.isEmpty())
            QVERIFY(clock.elapsed() < 3 * Pace);
        QList<int> sent;
        for (const QByteArray& p : rig.unit.Payloads()) {
            if (byteOf(p) >= 0 && p.back() == data[byteOf(p)])
                sent << byteOf(p);
        }
        QTEST(sent, "sent");
        QCOMPARE(live ? rig.live.left(8) : rig.eeprom.mid(500, 8), data);
        QTEST(rig.log.mid(1), "log");
        // The live write ends with the end-of-write frame.
        const QByteArray end = Bytes({MessageType::LiveSetup, MemoryOp::EndWrite});
        if (live)
            QVERIFY(WaitFor([&] { return rig.unit.Payloads().last() == end; }, 1000));
    }

    // Cancel during an EEPROM write: the byte in flight is the last one
    // sent, and writes queued behind it never start.
    void abortDuringEepromWrite()
    {
        Rig rig;
        QObject::connect(&rig.unit, &ScriptedUnit::requestReceived, [&](const QByteArray& r) {
            if (r.size() == 5 && Address(r) == 603)
                rig.transfer.Abort();
        });
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(10, '\x11'), 600));
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(10, '\x22'), 700));
        QVERIFY(rig.Wait());
        Pause(2 * Pace);
        QCOMPARE(rig.unit.Payloads().size(), 4);
        QCOMPARE(rig.log.mid(1), QStringList({u"eeprom 600 10 0"_s, u"Aborted"_s}));
        rig.log.clear();
        rig.finished = 0;
        QVERIFY(rig.transfer.WriteEepromByte(0x33, 800));
        QVERIFY(rig.Wait());
        QCOMPARE(rig.log.mid(1), QStringList({u"eeprom 800 1 1"_s, u"Completed"_s}));
    }

    // Reads are refused while anything runs; writes queue behind a running
    // write; a size read asked for meanwhile keeps retrying after them.
    void oneAtATime()
    {
        Rig rig;
        QVERIFY(rig.KnowBlockSize());
        QVERIFY(rig.transfer.ReadTunerPresets());
        QVERIFY(!rig.transfer.ReadCurrentSetup());
        QVERIFY(!rig.transfer.WriteEeprom(QByteArray(1, 'x'), 900));
        QVERIFY(rig.Wait());
        rig.log.clear();
        rig.finished = 0;
        rig.status.facts.blockSize = -1;
        rig.tamper = [](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r == Read(1024) && seen == 1)
                out.clear();
        };
        QVERIFY(rig.transfer.WriteEepromByte(0x33, 900));
        rig.transfer.ReadBlockSize();
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(3, 'y'), 901));
        QVERIFY(!rig.transfer.ReadPreset(1));
        QVERIFY(!rig.transfer.WriteEeprom(QByteArray(2, 'z'), 0xFFFF));
        QVERIFY(!rig.transfer.WriteSetup(7));
        QVERIFY(rig.Wait());
        QCOMPARE(rig.log.mid(1),
                 QStringList({u"eeprom 900 1 1"_s, u"eeprom 901 3 1"_s, u"Completed"_s}));
        QCOMPARE(rig.eeprom.mid(900, 4), QByteArray("3yyy"));
        QVERIFY(WaitFor([&] { return rig.status.facts.blockSize == 67; }, 5000));
    }
};

QTEST_GUILESS_MAIN(TestMemoryTransfer)
#include "test_memory_transfer.moc"
