#include "common/message_box.h"
#include "common/message_table.h"
#include "event_wait.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/model_facts.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "transfer/memory_transfer.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"
#include "transfer_results.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Retry = 30;
constexpr int Pace = 50;
constexpr int WriteBack = 60;

const auto Read = [](int at) {
    return Bytes({MessageType::Eeprom, MemoryOp::Read, at & 0xFF, at >> 8});
};
const auto Address = [](const QByteArray& r) { return quint8(r[2]) | quint8(r[3]) << 8; };

QList<int> Range(int first, int last)
{
    QList<int> out(last - first + 1);
    std::iota(out.begin(), out.end(), first);
    return out;
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
// engine announces and of the results its requesters get ("-> " and the
// result). A test's tamper hook may drop, change or add to a healthy unit's
// replies (`seen`: the sends of that exact request).
struct Rig
{
    explicit Rig(const char* model = "K230", int sizeByte = 0) : transfer(link, facts)
    {
        for (int a = 0; a < eeprom.size(); ++a)
            eeprom[a] = static_cast<char>(a * 7 + 3);
        facts = {QString::fromLatin1(model), u"v2.05"_s};
        eeprom[facts.BlockSizeAddress()] = static_cast<char>(sizeByte);
        unit.SetResponder([this](const QByteArray& request) {
            QByteArrayList out = Answer(request);
            if (tamper)
                tamper(request, ++seen[request], out);
            return out;
        });
        transfer.SetTiming({Retry, Pace, WriteBack});
        using T = MemoryTransfer;
        const auto on = [this](auto signal, auto to) { QObject::connect(&transfer, signal, to); };
        on(&T::transferFinished, // the outcome's name
           [this](T::Outcome o) { log << QVariant::fromValue(o).toString(); });
        on(&T::transferFailed, [this](int id, const QString& text) {
            log << u"failed %1: %2"_s.arg(QString::number(id), text);
        });
        on(&T::progressChanged, [this](int p) { progress << p; });
        link.Open(unit.SlavePath(), {20, 250, 500});
    }

    TransferDone Log()
    {
        const int id = static_cast<int>(calls.size());
        calls.append(0);
        return [this, id](const TransferResult& result) {
            log << u"-> "_s + Describe(result);
            ++calls[id];
            results.append(result);
        };
    }

    // The reply to a read or a write: the request without its operation,
    // and the byte now in memory.
    QByteArrayList Answer(const QByteArray& r)
    {
        const bool isLive = r.startsWith(char(MessageType::LiveSetup));
        const int size = isLive ? 3 : 4; // a read's; a write's has the byte too
        if (r.size() < size || !(isLive || r.startsWith(char(MessageType::Eeprom))))
            return {};
        const int at = isLive ? quint8(r[2]) : Address(r);
        QByteArray& memory = isLive ? live : eeprom;
        if (r[1] == MemoryOp::Write)
            memory[at] = r[size];
        else
            (isLive ? liveReads : eepromReads) << at;
        return {r.left(1) + r.mid(2, size - 2) + memory.at(at)};
    }

    ScriptedUnit unit;
    UnitLink link;
    ModelFacts facts;
    MemoryTransfer transfer;
    QSignalSpy finished{&transfer, &MemoryTransfer::transferFinished};
    QByteArray eeprom = QByteArray(0x10000, 0);
    QByteArray live = QByteArray(96, '\x55');
    std::function<void(const QByteArray& request, int seen, QByteArrayList& out)> tamper;
    QHash<QByteArray, int> seen;
    QStringList log;
    QList<int> progress;
    QList<int> calls; // per Log(): how often its result came
    QList<TransferResult> results;
    QList<int> liveReads, eepromReads; // indexes and addresses read, in order
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
    // Lost, late and stray replies are the fault matrix's.
    void reads_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("sizeByte"); // -1: 0, never read before
        QTest::addColumn<int>("read");     // 0 current setup, 1..5 A/V preset, 6 tuner, 7 900..904
        QTest::addColumn<QList<int>>("poke"); // EEPROM address, value, ...
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QList<int>>("eepromReads");
        const auto row = [](const char* tag, const char* model, int sizeByte, int read,
                            const QList<int>& poke, const QStringList& log,
                            const QList<int>& reads) {
            QTest::newRow(tag) << QString::fromLatin1(model) << sizeByte << read << poke << log
                               << reads;
        };
        const QString done = u"Completed"_s, failed = u"Failed"_s;
        const QString none = u"-> failed 0/0"_s; // a read failed or refused: no data
        const int p5 = 1024 + 5 * (96 + 21), p2 = 1024 + 2 * (67 + 21), k220p3 = 768 + 3 * 78;
        row("size 97 refused", "K230", 97, 0, {}, {Failed(Message::BlockSizeInvalid, {97}), none},
            {});
        row("size -1: a preset read stops at the size", "K230", 0xFF, 1, {},
            {failed, Failed(Message::BlockSizeInvalid, {-1}), none}, {1024});
        row("size never read: refused, asked again", "K230", -1, 0, {},
            {Failed(Message::BlockSizeUnknown), none}, {1024});
        row("size byte 0 is 67", "K230", 0, 0, {}, {done, u"-> block 0"_s}, Range(1092, 1112));
        row("size 96, preset 5, status 0", "K230", 96, 5, {p5, 0}, {done, u"-> block 5"_s},
            QList<int>{1024} + Range(p5, p5 + 96 + 21) + Range(708, 721));
        row("K220 preset 3, status S", "K220", 57, 3, {k220p3, 57}, {done, u"-> block 3"_s},
            QList<int>{768} + Range(k220p3, k220p3 + 57 + 21) + Range(682, 695));
        row("preset 2, status neither 0 nor S", "K230", 0, 2, {p2, 68},
            {failed, Failed(Message::SizeMismatch), none}, {1024, p2});
        const QList<int> tuner = QList<int>{19} + Range(32, 381);
        const QList<int> am1{362, 0, 363, 109}; // 531 kHz with the 9 kHz step
        row("AM step flag 0", "K230", 0, 6, QList<int>{19, 0} + am1,
            {done, u"-> tuner step 9, AM1 531"_s}, tuner);
        row("range 900..904", "K230", 0, 7, {}, {done, u"-> range 900 9fa6adb4bb"_s},
            Range(900, 904));
    }
    void reads()
    {
        QFETCH(QString, model);
        QFETCH(int, sizeByte);
        QFETCH(int, read);
        QFETCH(QList<int>, poke);
        Rig rig(qPrintable(model), std::max(sizeByte, 0));
        for (qsizetype i = 0; i < poke.size(); i += 2)
            rig.eeprom[poke[i]] = static_cast<char>(poke[i + 1]);
        QSignalSpy sizeRead(&rig.transfer, &MemoryTransfer::blockSizeRead);
        if (sizeByte >= 0) {
            rig.transfer.ReadBlockSize(); // as the connection does
            QVERIFY(sizeRead.wait(2000));
        }
        rig.eepromReads.clear();
        const bool started = read == 0   ? rig.transfer.ReadCurrentSetup(rig.Log())
                             : read == 6 ? rig.transfer.ReadTunerPresets(rig.Log())
                             : read == 7 ? rig.transfer.ReadEeprom(900, 5, rig.Log())
                                         : rig.transfer.ReadPreset(read, rig.Log());
        QCOMPARE(rig.progress.isEmpty(), !started); // no progress window for a refused read
        if (started) {                              // one transfer at a time
            QVERIFY(!rig.transfer.ReadCurrentSetup());
            QVERIFY(!rig.transfer.WriteEeprom(QByteArray(1, 'x'), 900));
            QVERIFY(rig.finished.wait(5000));
        }
        Pause(Retry + 20); // nothing more is asked after the end
        QTEST(rig.log, "log");
        QCOMPARE(rig.calls, QList<int>{1});
        QTEST(rig.eepromReads, "eepromReads");
        QCOMPARE(rig.liveReads,
                 read == 0 && started ? Range(0, rig.facts.blockSize - 1) : QList<int>());
    }

    // A byte is confirmed by its echo (wrong and lost echoes are the fault
    // matrix's). An EEPROM byte the unit still holds at another value after
    // five sends is refused and reported, without waiting for the pace; a
    // live byte the unit answers three times with the same other value is
    // its clamp. Here the unit keeps byte 2 at 0x10.
    void writes()
    {
        for (const auto& [live, sends, log] :
             {std::tuple{false, 5,
                         QStringList{u"Failed"_s, Failed(Message::WriteRefused, {1, 8, 502}),
                                     u"-> failed 7/8 refused 502"_s}},
              {true, 3,
               QStringList{u"Completed"_s, Failed(Message::LiveClamped, {2}),
                           u"-> written 8/8 clamped 2"_s}}}) {
            Rig rig;
            const bool isLive = live;
            const int base = live ? 0 : 500;
            QList<int> sent;
            rig.tamper = [&](const QByteArray& r, int, QByteArrayList& out) {
                if (r.size() < (isLive ? 3 : 4) || (r[0] == MessageType::LiveSetup) != isLive)
                    return; // not a byte of the block: the end of a live write
                const int i = isLive ? quint8(r[2]) : Address(r) - base;
                if (r[1] == MemoryOp::Write)
                    sent << i;
                if (i == 2)
                    out.first().back() = (isLive ? rig.live : rig.eeprom)[base + i] = 0x10;
            };
            const QByteArray data = Bytes({1, 2, 3, 4, 0x5E, 0x01, 0xFF, 0});
            rig.facts.blockSize = 8;
            SettingsImage image;
            image.Reset(rig.facts);
            for (int i = 0; i < 8; ++i)
                image.SetByteAt(i, quint8(data[i]));
            QElapsedTimer clock;
            clock.start();
            QVERIFY(live ? rig.transfer.WriteSetup(0, image, rig.Log())
                         : rig.transfer.WriteEeprom(data, 500, rig.Log()));
            QVERIFY(rig.finished.wait(5000));
            QVERIFY(live || clock.elapsed() < 3 * Pace);
            QCOMPARE(sent, Range(0, 1) + QList<int>(sends, 2) + Range(3, 7));
            QByteArray expected = data;
            expected[2] = 0x10;
            QCOMPARE(live ? rig.live.left(8) : rig.eeprom.mid(500, 8), expected);
            QCOMPARE(rig.log, log);
            const QByteArray end = Bytes({MessageType::LiveSetup, MemoryOp::EndWrite});
            if (live) // the end-of-write frame closes it
                QVERIFY(WaitFor([&] { return rig.unit.Payloads().last() == end; }, 1000));
        }
    }

    // Every request ends exactly once, with its own result, however the
    // transfer ends: completed, refused at once or cancelled (a lost unit is
    // the fault matrix's and the panel's), also when writes are queued into
    // one run. A request whose bytes were all confirmed before the run was
    // cut off is written. A tuner write encodes with the AM step it is given,
    // not the one an earlier read found. The unit keeps live byte 2 at 0x10;
    // the first block-size read is lost, and one asked for during the writes
    // retries after them.
    void requestsEndOnce_data()
    {
        QTest::addColumn<QStringList>("requests"); // made at once, in order
        QTest::addColumn<int>("abortAt");          // at the first write to it; -1 at once, -2 never
        QTest::addColumn<QStringList>("after");    // made once it has ended
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("eepromWrites"); // EEPROM write frames sent
        const auto row = [](const char* tag, const char* requests, int at, const char* after,
                            const QStringList& log, int writes) {
            const auto list = [](const char* words) {
                return QString::fromLatin1(words).split(u' ', Qt::SkipEmptyParts);
            };
            QTest::newRow(tag) << list(requests) << at << list(after) << log << writes;
        };
        const QString none = u"-> failed 0/0"_s, clamped = Failed(Message::LiveClamped, {2});
        row("queued writes; reads and faulty writes refused", "900 size 901 preset FFFF setup7", -2,
            "", {none, none, none, u"Completed"_s, u"-> written 1/1"_s, u"-> written 3/3"_s}, 4);
        row("cancelled in a run", "live 600 700", 603, "",
            {u"Aborted"_s, clamped, u"-> written 8/8 clamped 2"_s, u"-> aborted 3/10"_s,
             u"-> aborted 0/10"_s},
            4);
        row("tuner write cancelled before it starts", "tuner9", -1, "", {u"-> aborted 0/0"_s}, 0);
        const QStringList read{u"Completed"_s, u"-> tuner step 10, AM1 %1"_s.arg(1090 - 450)};
        row("tuner read at 10 kHz, written at 9 kHz", "tuner", -2, "tuner9",
            read + QStringList{u"Completed"_s, u"-> written 350/350"_s}, 350);
    }
    void requestsEndOnce()
    {
        QFETCH(int, abortAt);
        Rig rig;
        rig.facts.blockSize = 8;
        rig.eeprom[362] = 0; // AM preset 1: word 109
        rig.eeprom[363] = 109;
        rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r == Bytes({MessageType::LiveSetup, MemoryOp::Write, 2, 0}))
                out.first().back() = rig.live[2] = 0x10;
            if (r == Read(1024) && seen == 1)
                out.clear();
        };
        QObject::connect(&rig.unit, &ScriptedUnit::requestReceived, [&](const QByteArray& r) {
            if (r.size() == 5 && Address(r) == abortAt)
                rig.transfer.Abort();
        });
        SettingsImage image;
        image.Reset(rig.facts);
        TunerPresetList tuner; // as the last tuner read gave it
        MemoryTransfer& t = rig.transfer;
        // A tuner write starts its transfer only after the write-back delay.
        QElapsedTimer clock;
        qint64 started = -1;
        QObject::connect(&t, &MemoryTransfer::transferStarted, [&] {
            if (clock.isValid() && started < 0)
                started = clock.elapsed();
        });
        const QHash<QString, std::function<void()>> make{
            {u"size"_s, [&] { t.ReadBlockSize(); }},
            {u"preset"_s, [&] { t.ReadPreset(1, rig.Log()); }},
            {u"tuner"_s, [&] { t.ReadTunerPresets(rig.Log()); }},
            {u"live"_s, [&] { t.WriteSetup(0, image, rig.Log()); }},
            {u"setup7"_s, [&] { t.WriteSetup(7, image, rig.Log()); }},
            {u"tuner9"_s, [&] { clock.start(), t.WriteTunerPresets(tuner, 9, rig.Log()); }},
            {u"FFFF"_s, [&] { t.WriteEeprom(QByteArray(2, 'z'), 0xFFFF, rig.Log()); }},
            {u"900"_s, [&] { t.WriteEepromByte(0x33, 900, rig.Log()); }},
            {u"901"_s, [&] { t.WriteEeprom(QByteArray(3, 'y'), 901, rig.Log()); }},
            {u"600"_s, [&] { t.WriteEeprom(QByteArray(10, '\x11'), 600, rig.Log()); }},
            {u"700"_s, [&] { t.WriteEeprom(QByteArray(10, '\x22'), 700, rig.Log()); }}};
        QFETCH(QStringList, requests);
        for (const QString& request : requests)
            make[request]();
        if (abortAt == -1)
            t.Abort();
        QVERIFY(WaitFor([&] { return !t.IsBusy(); }, 5000));
        if (!rig.results.isEmpty())
            tuner = rig.results.last().tuner;
        QFETCH(QStringList, after);
        for (const QString& request : after)
            make[request]();
        QVERIFY(WaitFor([&] { return !t.IsBusy(); }, 5000));
        if (abortAt > -2)
            t.Abort();    // a second one ends nothing again
        Pause(Pace + 20); // no timer left to end anything
        QTEST(rig.log, "log");
        QCOMPARE(rig.calls, QList<int>(rig.calls.size(), 1));
        const QList<QByteArray> sent = rig.unit.Payloads();
        QTEST(int(std::count_if(sent.cbegin(), sent.cend(),
                                [](const QByteArray& r) { return r.size() == 5; })),
              "eepromWrites");
        QVERIFY(started < 0 || started >= WriteBack - 1);
        QCOMPARE(started >= 0, rig.log.contains(u"-> written 350/350"_s));
        const TransferResult& last = rig.results.last();
        if (last.kind == TransferResult::Kind::Written && last.amStepSize > 0)
            QCOMPARE(rig.eeprom.mid(32, 350),
                     QByteArrayView(tuner.Encode(last.amStepSize)).toByteArray());
        if (requests.contains(u"size"_s)) {
            QCOMPARE(rig.eeprom.mid(900, 4), QByteArray("3yyy"));
            QVERIFY(WaitFor([&] { return rig.facts.blockSize == 67; }, 5000));
        }
    }

    // The wait for a reply: TCP's estimate from samples of requests answered
    // at their first send, doubled on each loss in a row until the next
    // sample, between the floor and the ceiling (which wins).
    void retryTimeout_data()
    {
        QTest::addColumn<QList<int>>("events"); // a round trip in ms, or -1 for a loss
        QTest::addColumn<int>("floor");
        QTest::addColumn<int>("ceiling");
        QTest::addColumn<int>("wait");
        const auto row = [](const char* tag, const QList<int>& events, int floor, int wait,
                            int ceiling = 1000) {
            QTest::newRow(tag) << events << floor << ceiling << wait;
        };
        row("no sample: the ceiling", {}, 25, 1000);
        row("steady 15 ms line: the floor", QList<int>(40, 15), 25, 25);
        row("three losses in a row", {20, -1, -1, -1}, 25, 480);
        row("losses stop at the ceiling", {20, -1, -1, -1, -1, -1, -1}, 25, 1000);
        row("a sample ends the doubling", {20, -1, -1, 20}, 25, 50);
        row("the ceiling wins over the floor", {5}, 25, 20, 20);
        row("a slow reply is learnt", QList<int>(20, 220), 25, 248);
    }
    void retryTimeout()
    {
        QFETCH(QList<int>, events);
        QFETCH(int, floor);
        QFETCH(int, ceiling);
        RetryTimeout timeout;
        for (int event : events)
            event < 0 ? timeout.Backoff() : timeout.Sample(event);
        QFETCH(int, wait);
        QCOMPARE(timeout.Wait(floor, ceiling), wait);
        // The next transfer starts from the samples, without the doubling.
        timeout.Backoff();
        if (!events.contains(-1))
            QCOMPARE(timeout.Settled().Wait(floor, ceiling), wait);
    }

    // A lost reply is asked for again after the wait the line has shown,
    // not the fixed period; with the adaptive wait off, after the period.
    void lostReplyWaitsAsLongAsTheLineSays()
    {
        for (const auto& [adaptive, least, most] : {std::tuple{true, 20, 400}, {false, 590, 800}}) {
            Rig rig;
            MemoryTransfer::Timing timing{600, 600, WriteBack};
            timing.adaptive = adaptive;
            rig.transfer.SetTiming(timing);
            QList<qint64> sent;
            rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
                if (r == Read(200) && (sent << rig.unit.Requests().last().atMs, seen == 1))
                    out.clear();
            };
            QSignalSpy resent(&rig.transfer, &MemoryTransfer::requestResent);
            QVERIFY(rig.transfer.ReadEeprom(100, 120, rig.Log()));
            QVERIFY(rig.finished.wait(5000));
            QCOMPARE(sent.size(), 2);
            const qint64 gap = sent[1] - sent[0];
            QVERIFY2(gap >= least && gap <= most, qPrintable(QString::number(gap)));
            QCOMPARE(resent.size(), 1);
            // The trace hears the wait that expired and the doubled one now in force.
            const int waited = resent[0][0].toInt();
            QCOMPARE(resent[0][1].toInt(), adaptive ? std::min(2 * waited, 600) : 600);
        }
    }

    // The window, hooked up as the control panel does it, shows the engine's
    // text and percent (clipped to 0..100) and stays usable while the panel
    // is disabled. Cancel gives the panel back at once (Escape and the whole
    // window are the panel's own test); the abort follows when the posted
    // request is handled. The engine's link is closed:
    // requests go nowhere, which suits a transfer only started and cancelled.
    void progressWindowFollowsTheEngine()
    {
        UnitLink link;
        ModelFacts facts{u"K230"_s, u"v2.05"_s, 67};
        MemoryTransfer transfer(link, facts);
        QWidget panel;
        panel.show();
        TransferProgressDlg& dlg = (new TransferPresenter(transfer, &panel))->Dialog();
        auto* bar = dlg.findChild<QProgressBar*>(u"progressBar"_s);
        QSignalSpy finished(&transfer, &MemoryTransfer::transferFinished);
        QVERIFY(transfer.ReadCurrentSetup());
        QVERIFY(!panel.isEnabled() && dlg.IsShown() && dlg.isEnabled());
        Q_EMIT transfer.progressTextChanged(u"Transferring to EEPROM. (1/2 bytes)"_s);
        QCOMPARE(dlg.findChild<QLabel*>(u"progressText"_s)->text(),
                 u"Transferring to EEPROM. (1/2 bytes)"_s);
        for (const auto& [percent, shown] : {std::pair{42, 42}, {135, 100}, {-20, 0}}) {
            Q_EMIT transfer.progressChanged(percent);
            QCOMPARE(bar->value(), shown);
        }
        QTest::mouseClick(dlg.findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
        QVERIFY(panel.isEnabled() && !dlg.IsShown() && finished.isEmpty());
        QTRY_COMPARE(finished.size(), 1);
    }
};

QTEST_MAIN(TestMemoryTransfer)
#include "test_memory_transfer.moc"
