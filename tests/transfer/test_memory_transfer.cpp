#include "desktop/message_table.h"
#include "event_wait.h"
#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "scripted_unit.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

constexpr int EepromSize = 2048;
constexpr int Retry = 60;
constexpr int Pace = 50;

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v & 0xFF));
    return out;
}

QByteArray Read(int address)
{
    return Bytes({30, 0, address & 0xFF, address >> 8});
}

int At(const QByteArray& bytes, int index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

int Address(const QByteArray& request)
{
    return At(request, 2) | At(request, 3) << 8;
}

bool IsEepromRead(const QByteArray& p)
{
    return p.size() == 4 && p[0] == MessageType::Eeprom && p[1] == MemoryOp::Read;
}

bool IsEepromWrite(const QByteArray& p)
{
    return p.size() == 5 && p[0] == MessageType::Eeprom && p[1] == MemoryOp::Write;
}

// A unit with both memories behind a scripted line. Every request is first
// answered as a healthy unit would; a test's tamper hook may then drop,
// change or add replies. `seen` counts the sends of that exact request.
class MemoryRig
{
public:
    using Tamper = std::function<void(const QByteArray& request, int seen, QByteArrayList& out)>;

    explicit MemoryRig(const char* model = "K230", int sizeByte = 0, int liveSize = 67)
        : transfer(link, status)
    {
        eeprom.resize(EepromSize);
        for (int a = 0; a < EepromSize; ++a)
            eeprom[a] = static_cast<char>((a * 7 + 3) & 0xFF);
        live.resize(liveSize);
        for (int i = 0; i < liveSize; ++i)
            live[i] = static_cast<char>((i * 5 + 11) & 0xFF);
        status.facts.modelText = QString::fromLatin1(model);
        status.facts.versionText = QStringLiteral("v2.05");
        eeprom[status.facts.BlockSizeAddress()] = static_cast<char>(sizeByte);

        unit.SetResponder([this](const QByteArray& request) {
            QByteArrayList out = Answer(request);
            if (tamper)
                tamper(request, ++seen[request], out);
            return out;
        });
        MemoryTransfer::Timing timing;
        timing.retry = Retry;
        timing.pace = Pace;
        timing.writeBackDelay = 60;
        transfer.SetTiming(timing);
        // The session's dispatch, reduced to the two memory messages.
        QObject::connect(&link, &UnitLink::payloadReceived, [this](const QByteArray& p) {
            if (p.startsWith(char(MessageType::LiveSetup)))
                transfer.HandleLiveSetupReply(p);
            else if (p.startsWith(char(MessageType::Eeprom)))
                transfer.HandleEepromReply(p);
        });
        link.Open(unit.SlavePath(), {20, 250, 500});
    }

    QByteArrayList Answer(const QByteArray& r) const
    {
        if (r.size() >= 3 && r[0] == MessageType::LiveSetup) {
            const int index = At(r, 2);
            if (index >= live.size() || (r[1] != MemoryOp::Read && r[1] != MemoryOp::Write))
                return {};
            if (r[1] == MemoryOp::Write && r.size() == 4)
                const_cast<QByteArray&>(live)[index] = r[3];
            return {Bytes({29, index, At(live, index)})};
        }
        if (IsEepromRead(r) || IsEepromWrite(r)) {
            const int a = Address(r);
            if (a >= EepromSize)
                return {};
            if (IsEepromWrite(r))
                const_cast<QByteArray&>(eeprom)[a] = r[4];
            return {Bytes({30, At(r, 2), At(r, 3), At(eeprom, a)})};
        }
        return {};
    }

    // Requests of one kind in the order the unit got them.
    QByteArrayList Sent(bool (*kind)(const QByteArray&)) const
    {
        QByteArrayList out;
        for (const QByteArray& p : unit.Payloads())
            if (kind(p))
                out.append(p);
        return out;
    }

    QList<int> ReadAddresses() const
    {
        QList<int> out;
        for (const QByteArray& p : Sent(IsEepromRead))
            out.append(Address(p));
        return out;
    }

    // Sets the block size as if the unit had been asked.
    void KnowBlockSize()
    {
        QSignalSpy read(&transfer, &MemoryTransfer::blockSizeRead);
        transfer.ReadBlockSize();
        QVERIFY(read.wait(2000));
        unit.Clear();
        seen.clear();
    }

    int Base() const { return status.facts.BlockSizeAddress(); }

    ScriptedUnit unit;
    UnitLink link;
    LiveStatus status;
    MemoryTransfer transfer;
    QByteArray eeprom;
    QByteArray live;
    Tamper tamper;
    QHash<QByteArray, int> seen;
};

// Every signal but progress, as text, in the order of emission.
class Recorder
{
public:
    explicit Recorder(MemoryTransfer& t)
    {
        QObject::connect(&t, &MemoryTransfer::transferStarted,
                         [this](const QString& text) { log << QStringLiteral("started ") + text; });
        QObject::connect(&t, &MemoryTransfer::transferFinished, [this](MemoryTransfer::Outcome o) {
            log << QStringLiteral("finished %1").arg(static_cast<int>(o));
        });
        QObject::connect(&t, &MemoryTransfer::setupBlockRead,
                         [this](int k) { log << QStringLiteral("block %1").arg(k); });
        QObject::connect(&t, &MemoryTransfer::presetEmpty,
                         [this](int k) { log << QStringLiteral("empty %1").arg(k); });
        QObject::connect(&t, &MemoryTransfer::tunerPresetsRead,
                         [this](const TunerPresetList&) { log << QStringLiteral("tuner"); });
        QObject::connect(&t, &MemoryTransfer::liveSetupWritten,
                         [this] { log << QStringLiteral("live written"); });
        QObject::connect(&t, &MemoryTransfer::eepromWriteFinished, [this](int a, int n, bool ok) {
            log << QStringLiteral("eeprom %1 %2 %3").arg(a).arg(n).arg(ok);
        });
        QObject::connect(&t, &MemoryTransfer::transferFailed, [this](int id, const QString& text) {
            log << QStringLiteral("failed %1").arg(id);
            texts << text;
        });
        QObject::connect(&t, &MemoryTransfer::progressChanged, [this](int p) { progress << p; });
        QObject::connect(&t, &MemoryTransfer::progressTextChanged,
                         [this](const QString& text) { progressTexts << text; });
    }

    bool Ended() const { return !log.filter(QStringLiteral("finished ")).isEmpty(); }

    QStringList log;
    QStringList texts;
    QList<int> progress;
    QStringList progressTexts;
};

QString Finished(MemoryTransfer::Outcome o)
{
    return QStringLiteral("finished %1").arg(static_cast<int>(o));
}

QString Started(int message, const QString& a, const QString& b = {})
{
    QString text = MessageTable::Text(message).arg(a);
    if (!b.isEmpty())
        text = text.arg(b);
    return QStringLiteral("started ") + text;
}

QByteArray Table(const SettingsImage& image)
{
    return image.BlockAndTableBytes().mid(image.Size());
}

bool Increasing(const QList<int>& values)
{
    for (qsizetype i = 1; i < values.size(); ++i)
        if (values[i] <= values[i - 1])
            return false;
    return true;
}

} // namespace

class TestMemoryTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!MessageTable::Text(Message::WritingEeprom).isEmpty()); }

    // The block size byte decides what may be read: 1..96, 0 meaning 67.
    void blockSize_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("usable");
        QTest::newRow("0 is 67") << 0 << 67 << true;
        QTest::newRow("1") << 1 << 1 << true;
        QTest::newRow("57") << 57 << 57 << true;
        QTest::newRow("96") << 96 << 96 << true;
        QTest::newRow("97") << 97 << 97 << false;
        QTest::newRow("127") << 127 << 127 << false;
        QTest::newRow("0x80 is -128") << 0x80 << -128 << false;
        QTest::newRow("0xFF is -1") << 0xFF << -1 << false;
    }
    void blockSize()
    {
        QFETCH(int, raw);
        QFETCH(int, size);
        QFETCH(bool, usable);
        MemoryRig rig("K230", raw, 96);
        rig.KnowBlockSize();
        QCOMPARE(rig.status.facts.blockSize, size);
        Recorder rec(rig.transfer);

        QCOMPARE(rig.transfer.ReadCurrentSetup(), usable);
        if (!usable) {
            QCOMPARE(rec.log,
                     QStringList{QStringLiteral("failed %1").arg(Message::BlockSizeInvalid)});
            QVERIFY(rec.texts.first().contains(QString::number(size)));
            QVERIFY(rig.transfer.ReadPreset(1));
            QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
            QCOMPARE(rec.log.last(), QStringLiteral("failed %1").arg(Message::BlockSizeInvalid));
            QCOMPARE(rec.log.at(rec.log.size() - 2), Finished(MemoryTransfer::Outcome::Failed));
            // Nothing but the size was asked: no block, no preset.
            Pause(Retry + 50);
            QCOMPARE(rig.ReadAddresses(), QList<int>{rig.Base()});
            QVERIFY(rig.Sent([](const QByteArray& p) { return p[0] == MessageType::LiveSetup; })
                        .isEmpty());
            return;
        }
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rec.log.last(), QStringLiteral("block 0"));
        QCOMPARE(rig.transfer.Image().BlockBytes(), rig.live.left(size));
        const int table = rig.Base() + size + 1;
        QCOMPARE(Table(rig.transfer.Image()), rig.eeprom.mid(table, 20));
        // The table, then the read one past it.
        QList<int> expected;
        for (int a = table; a <= table + 20; ++a)
            expected << a;
        QCOMPARE(rig.ReadAddresses(), expected);
    }

    // Where preset k lives: B + k·(S + 21), B by model; the name at 643 + 13k.
    void presetRead_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("status");
        QTest::newRow("K220 preset 3") << "K220" << 57 << 3 << 768 + 3 * (57 + 21);
        QTest::newRow("K230 preset 3, size 0") << "K230" << 0 << 3 << 1024 + 3 * (67 + 21);
        QTest::newRow("K110 preset 5") << "K110" << 66 << 5 << 1024 + 5 * (66 + 21);
        QTest::newRow("K220 preset 1") << "K220" << 57 << 1 << 768 + 57 + 21;
    }
    void presetRead()
    {
        QFETCH(QString, model);
        QFETCH(int, raw);
        QFETCH(int, preset);
        QFETCH(int, status);
        MemoryRig rig(model.toLatin1().constData(), raw);
        const int size = ModelFacts::DecodeBlockSize(static_cast<std::uint8_t>(raw));
        rig.eeprom[status] = static_cast<char>(size);
        const int name = 643 + 13 * preset;
        rig.eeprom.replace(name, 14, "PRESET NAME13Z");
        Recorder rec(rig.transfer);

        QVERIFY(rig.transfer.ReadPreset(preset));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rec.log,
                 (QStringList{Started(Message::ReadingPreset, QString::number(preset), model),
                              Finished(MemoryTransfer::Outcome::Completed),
                              QStringLiteral("block %1").arg(preset)}));
        QCOMPARE(rig.transfer.State().blockBase, status);

        QList<int> expected{rig.Base()};
        for (int a = status; a <= status + size + 21; ++a)
            expected << a;
        for (int a = name; a <= name + 13; ++a)
            expected << a;
        QCOMPARE(rig.ReadAddresses(), expected);

        const SettingsImage& image = rig.transfer.Image();
        QCOMPARE(image.BlockBytes(), rig.eeprom.mid(status + 1, size));
        QCOMPARE(Table(image), rig.eeprom.mid(status + 1 + size, 20));
        // 656 + 13k only ends the phase: the name keeps its 13 characters.
        QCOMPARE(image.PresetName(), QStringLiteral("PRESET NAME13"));
        QCOMPARE(rec.progress.first(), 0);
        QCOMPARE(rec.progress.last(), 100);
        QVERIFY(Increasing(rec.progress));
        QVERIFY(!rig.transfer.IsBusy());
    }

    // The status byte: 255 empty, 0 or S present, anything else a mismatch.
    void presetStatus_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("ending");
        const QString done = Finished(MemoryTransfer::Outcome::Completed);
        const QString failed = Finished(MemoryTransfer::Outcome::Failed);
        const QString mismatch = QStringLiteral("failed %1").arg(Message::SizeMismatch);
        QTest::newRow("255 empty") << 255 << QStringList{failed, QStringLiteral("empty 2")};
        QTest::newRow("0 present") << 0 << QStringList{done, QStringLiteral("block 2")};
        QTest::newRow("S present") << 67 << QStringList{done, QStringLiteral("block 2")};
        QTest::newRow("S + 1") << 68 << QStringList{failed, mismatch};
        QTest::newRow("1") << 1 << QStringList{failed, mismatch};
        QTest::newRow("0xC3 (-61)") << 0xC3 << QStringList{failed, mismatch};
    }
    void presetStatus()
    {
        QFETCH(int, value);
        QFETCH(QStringList, ending);
        MemoryRig rig;
        const int status = 1024 + 2 * 88;
        rig.eeprom[status] = static_cast<char>(value);
        Recorder rec(rig.transfer);
        QVERIFY(rig.transfer.ReadPreset(2));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rec.log.mid(1), ending);
        if (ending.last().startsWith(QStringLiteral("failed")))
            QCOMPARE(rec.texts, QStringList{MessageTable::Text(Message::SizeMismatch)});
        if (ending.last().startsWith(QStringLiteral("block")))
            return;
        // The transfer ends at the status byte.
        Pause(Retry + 50);
        QCOMPARE(rig.ReadAddresses(), (QList<int>{1024, status}));
        QVERIFY(!rig.transfer.IsBusy());
    }

    // A lost reply is answered by the same request a retry period later. A
    // late duplicate (the reply to a request the retry has already sent
    // again) must never be taken for the next byte; nor may any reply that
    // answers another request, inside or outside the block, and none may
    // stall the transfer.
    void strayReplies_data()
    {
        QTest::addColumn<int>("kind"); // 0 current setup, 2 preset 2, 6 tuner presets
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("mode");
        enum
        {
            Duplicate,
            Foreign,
            Outside
        };
        const int p2 = 1024 + 2 * 88;
        QTest::newRow("tuner: late duplicate") << 6 << Read(40) << int(Duplicate);
        QTest::newRow("tuner: other byte") << 6 << Read(40) << int(Foreign);
        QTest::newRow("tuner: flag answered by 20") << 6 << Read(19) << int(Foreign);
        QTest::newRow("tuner: outside") << 6 << Read(100) << int(Outside);
        QTest::newRow("live: late duplicate") << 0 << Bytes({29, 0, 9}) << int(Duplicate);
        QTest::newRow("live: other index") << 0 << Bytes({29, 0, 9}) << int(Foreign);
        QTest::newRow("live: index 200") << 0 << Bytes({29, 0, 9}) << int(Outside);
        QTest::newRow("table: late duplicate") << 0 << Read(1024 + 70) << int(Duplicate);
        QTest::newRow("preset block: late duplicate") << 2 << Read(p2 + 10) << int(Duplicate);
        QTest::newRow("preset block: other byte") << 2 << Read(p2 + 10) << int(Foreign);
        QTest::newRow("preset: status answered") << 2 << Read(p2) << int(Foreign);
        QTest::newRow("preset name: late duplicate") << 2 << Read(643 + 26 + 4) << int(Duplicate);
        QTest::newRow("preset name: outside") << 2 << Read(643 + 26 + 4) << int(Outside);
    }
    void strayReplies()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, target);
        QFETCH(int, mode);
        MemoryRig rig;
        rig.eeprom[1024 + 2 * 88] = 67;
        rig.KnowBlockSize();
        rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r != target)
                return;
            const bool live = r[0] == MessageType::LiveSetup;
            if (mode == 0) {
                // First send lost; the retry is answered twice.
                if (seen == 1)
                    out.clear();
                else if (seen == 2)
                    out.append(out.first());
            } else if (seen == 1) {
                // Answered once by a reply to something else, the second
                // request properly. The other byte is in the same memory.
                const int other = live ? At(r, 2) + 1 : Address(r) + 1;
                const int far = live ? 200 : 0xFFFF;
                const int a = mode == 1 ? other : far;
                out = {live ? Bytes({29, a, 0x5A}) : Bytes({30, a & 0xFF, a >> 8, 0x5A})};
            }
        };
        Recorder rec(rig.transfer);
        if (kind == 6)
            QVERIFY(rig.transfer.ReadTunerPresets());
        else if (kind == 0)
            QVERIFY(rig.transfer.ReadCurrentSetup());
        else
            QVERIFY(rig.transfer.ReadPreset(kind));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QVERIFY(rec.log.at(rec.log.size() - 2) == Finished(MemoryTransfer::Outcome::Completed));
        // The request that went unanswered is sent again, once, a retry
        // period later; then the transfer goes on.
        QList<qint64> sends;
        for (const ScriptedUnit::Received& r : rig.unit.Requests())
            if (r.payload == target)
                sends << r.atMs;
        QCOMPARE(sends.size(), 2);
        QVERIFY(sends[1] - sends[0] >= Retry - 20);

        const SettingsImage& image = rig.transfer.Image();
        if (kind == 6) {
            const auto& tuner = rig.transfer.TunerImage();
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(tuner.data()), 350),
                     rig.eeprom.mid(32, 350));
        } else if (kind == 0) {
            QCOMPARE(image.BlockBytes(), rig.live);
            QCOMPARE(Table(image), rig.eeprom.mid(1024 + 68, 20));
        } else {
            const int p = 1024 + kind * 88;
            QCOMPARE(image.BlockBytes(), rig.eeprom.mid(p + 1, 67));
            QCOMPARE(Table(image), rig.eeprom.mid(p + 68, 20));
            QCOMPARE(image.NameBytes(), rig.eeprom.mid(643 + 13 * kind, 13));
        }
    }

    // A read of the current setup before the size is known is refused, and
    // the size is asked for again so a second try works.
    void readWhileSizeUnknown()
    {
        MemoryRig rig;
        Recorder rec(rig.transfer);
        QVERIFY(!rig.transfer.ReadCurrentSetup());
        QCOMPARE(rec.log, QStringList{QStringLiteral("failed %1").arg(Message::BlockSizeUnknown)});
        QVERIFY(WaitFor([&] { return rig.status.facts.blockSize == 67; }, 5000));
        QCOMPARE(rig.ReadAddresses(), QList<int>{1024});
        QVERIFY(
            rig.Sent([](const QByteArray& p) { return p[0] == MessageType::LiveSetup; }).isEmpty());
        QVERIFY(rig.transfer.ReadCurrentSetup());
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rig.transfer.Image().BlockBytes(), rig.live);
    }

    // AM step flag 0 is 9 kHz, anything else 10 kHz; the list is decoded
    // with it.
    void tunerRead_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("am1");
        QTest::newRow("0") << 0 << 9 << 531;
        QTest::newRow("1") << 1 << 10 << 640;
        QTest::newRow("255") << 255 << 10 << 640;
    }
    void tunerRead()
    {
        QFETCH(int, flag);
        QFETCH(int, step);
        QFETCH(int, am1);
        MemoryRig rig;
        rig.eeprom[19] = static_cast<char>(flag);
        rig.eeprom.replace(32, 350, QByteArray(350, '\xFF'));
        rig.eeprom.replace(32, 11, Bytes({0x07, 0xAC, 'J', 'A', 'Z', 'Z', ' ', ' ', ' ', ' ', 1}));
        rig.eeprom.replace(32 + 330, 2, Bytes({0, 109}));
        QSignalSpy read(&rig.transfer, &MemoryTransfer::tunerPresetsRead);
        QVERIFY(rig.transfer.ReadTunerPresets());
        QVERIFY(read.wait(5000));
        const auto list = read.first().first().value<TunerPresetList>();
        QCOMPARE(list.AmStepSize(), step);
        QCOMPARE(rig.transfer.State().amStepSize, step);
        QCOMPARE(list.FmCount(), 1);
        QCOMPARE(list.FmPresets().first().frequency, 8750);
        QCOMPARE(list.FmPresets().first().name, QStringLiteral("JAZZ"));
        QCOMPARE(list.AmCount(), 1);
        QCOMPARE(list.AmPresets().first().frequency, am1);
        QList<int> expected{19};
        for (int a = 32; a < 382; ++a)
            expected << a;
        QCOMPARE(rig.ReadAddresses(), expected);
    }

    // Each byte is confirmed by its echo; a missing or different echo sends
    // it again, three sends in all; what stays unconfirmed is one message.
    void eepromWriteEcho_data()
    {
        QTest::addColumn<QList<int>>("lostOnce");  // byte whose first echo is lost
        QTest::addColumn<QList<int>>("wrongOnce"); // byte whose first echo differs
        QTest::addColumn<QList<int>>("neverEcho"); // bytes never echoed
        QTest::addColumn<QList<int>>("sends");     // sends per byte 0..7
        QTest::newRow("healthy") << QList<int>{} << QList<int>{} << QList<int>{}
                                 << QList<int>{1, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("lost echo")
            << QList<int>{3} << QList<int>{} << QList<int>{} << QList<int>{1, 1, 1, 2, 1, 1, 1, 1};
        QTest::newRow("wrong echo") << QList<int>{} << QList<int>{0, 7} << QList<int>{}
                                    << QList<int>{2, 1, 1, 1, 1, 1, 1, 2};
        QTest::newRow("one never")
            << QList<int>{} << QList<int>{} << QList<int>{3} << QList<int>{1, 1, 1, 3, 1, 1, 1, 1};
        QTest::newRow("two never") << QList<int>{} << QList<int>{} << QList<int>{2, 7}
                                   << QList<int>{1, 1, 3, 1, 1, 1, 1, 3};
    }
    void eepromWriteEcho()
    {
        QFETCH(QList<int>, lostOnce);
        QFETCH(QList<int>, wrongOnce);
        QFETCH(QList<int>, neverEcho);
        QFETCH(QList<int>, sends);
        MemoryRig rig;
        const int start = 500;
        rig.tamper = [&](const QByteArray& r, int seen, QByteArrayList& out) {
            if (!IsEepromWrite(r))
                return;
            const int i = Address(r) - start;
            if (neverEcho.contains(i) || (lostOnce.contains(i) && seen == 1))
                out.clear();
            else if (wrongOnce.contains(i) && seen == 1)
                out.first()[3] = static_cast<char>(~r[4]);
        };
        const QByteArray data = Bytes({1, 2, 3, 4, 0x5E, 0x01, 0xFF, 0});
        Recorder rec(rig.transfer);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig.transfer.WriteEeprom(data, start));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        // Confirmed bytes never wait for the pace.
        if (neverEcho.isEmpty() && lostOnce.isEmpty())
            QVERIFY(clock.elapsed() < Pace);

        QList<int> counts(8, 0);
        for (const QByteArray& p : rig.Sent(IsEepromWrite)) {
            const int i = Address(p) - start;
            QVERIFY(i >= 0 && i < 8);
            QCOMPARE(p[4], data[i]);
            // In order: no byte is sent after a later one.
            for (int later = i + 1; later < 8; ++later)
                QCOMPARE(counts[later], 0);
            ++counts[i];
        }
        QCOMPARE(counts, sends);
        QCOMPARE(rig.eeprom.mid(start, 8), data);
        const bool ok = neverEcho.isEmpty();
        const QString written = QStringLiteral("eeprom %1 8 %2").arg(start).arg(ok);
        if (ok) {
            QCOMPARE(rec.log.mid(1),
                     (QStringList{written, Finished(MemoryTransfer::Outcome::Completed)}));
        } else {
            QCOMPARE(rec.log.mid(1),
                     (QStringList{written, Finished(MemoryTransfer::Outcome::Failed),
                                  QStringLiteral("failed %1").arg(Message::WriteUnconfirmed)}));
            QCOMPARE(rec.texts.first(),
                     MessageTable::Text(Message::WriteUnconfirmed).arg(neverEcho.size()).arg(8));
        }
    }

    // 350 bytes: "(0/350 bytes)" first, "(349/350 bytes)" last.
    void eepromWriteTexts()
    {
        MemoryRig rig;
        Recorder rec(rig.transfer);
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(350, '\x42'), 32));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 10000));
        QCOMPARE(rec.progressTexts.size(), 350);
        QCOMPARE(rec.progressTexts.first(),
                 QStringLiteral("Transferring to EEPROM. (0/350 bytes)"));
        QCOMPARE(rec.progressTexts.last(),
                 QStringLiteral("Transferring to EEPROM. (349/350 bytes)"));
        QCOMPARE(rec.progress.first(), 0);
        QCOMPARE(rec.progress.last(), 349 * 100 / 350);
        QVERIFY(Increasing(rec.progress));
        QCOMPARE(rig.eeprom.mid(32, 350), QByteArray(350, '\x42'));
    }

    // Cancel during an EEPROM write: the byte in flight is the last one
    // sent, and writes queued behind it never start.
    void abortDuringEepromWrite()
    {
        MemoryRig rig;
        Recorder rec(rig.transfer);
        QObject::connect(&rig.unit, &ScriptedUnit::requestReceived, [&](const QByteArray& r) {
            if (IsEepromWrite(r) && Address(r) == 603)
                rig.transfer.Abort();
        });
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(10, '\x11'), 600));
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(10, '\x22'), 700));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        Pause(2 * Pace);
        QCOMPARE(rig.Sent(IsEepromWrite).size(), 4);
        QCOMPARE(rec.log.mid(1), (QStringList{QStringLiteral("eeprom 600 10 0"),
                                              Finished(MemoryTransfer::Outcome::Aborted)}));
        QVERIFY(!rig.transfer.IsBusy());
        QVERIFY(!rig.transfer.State().writingEeprom);
    }

    // The live write: each byte confirmed by its echo, a different echo
    // answered at once, a lost one by the retry; the end frame last.
    void liveSetupWrite()
    {
        MemoryRig rig;
        rig.KnowBlockSize();
        QSignalSpy read(&rig.transfer, &MemoryTransfer::setupBlockRead);
        QVERIFY(rig.transfer.ReadCurrentSetup());
        QVERIFY(read.wait(5000));
        SettingsImage& image = rig.transfer.Image();
        for (int i = 0; i < 67; i += 3)
            image.SetByteAt(i, 255 - i);
        const QByteArray wanted = image.BlockBytes();
        rig.unit.Clear();
        rig.seen.clear();
        rig.tamper = [](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r.size() == 4 && r[1] == MemoryOp::Write && r[2] == 7 && seen == 1)
                out.first()[2] = static_cast<char>(~r[3]);
            if (r.size() == 4 && r[1] == MemoryOp::Write && r[2] == 30 && seen == 1)
                out.clear();
        };
        Recorder rec(rig.transfer);
        QVERIFY(rig.transfer.WriteSetup(0));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rec.log,
                 (QStringList{Started(Message::WritingCurrentSetup, QStringLiteral("K230")),
                              QStringLiteral("live written"),
                              Finished(MemoryTransfer::Outcome::Completed)}));
        QCOMPARE(rig.live, wanted);
        const QByteArrayList sent = rig.unit.Payloads();
        QCOMPARE(sent.count(Bytes({29, 2})), 1);
        QCOMPARE(sent.last(), Bytes({29, 2}));
        QCOMPARE(sent.size(), 67 + 2 + 1);
        QCOMPARE(rec.progress.last(), 100);
    }

    // One transfer at a time: reads are refused while anything runs, writes
    // queue behind a running write, a size read may run beside them.
    void oneAtATime()
    {
        MemoryRig rig;
        rig.KnowBlockSize();
        Recorder rec(rig.transfer);
        QVERIFY(rig.transfer.ReadTunerPresets());
        QVERIFY(!rig.transfer.ReadCurrentSetup());
        QVERIFY(!rig.transfer.ReadPreset(1));
        QVERIFY(!rig.transfer.ReadTunerPresets());
        QVERIFY(!rig.transfer.WriteEeprom(QByteArray(1, 'x'), 900));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        rec.log.clear();

        // A size read asked for while writes run keeps retrying after them.
        rig.status.facts.blockSize = -1;
        rig.tamper = [](const QByteArray& r, int seen, QByteArrayList& out) {
            if (r == Read(1024) && seen == 1)
                out.clear();
        };
        QVERIFY(rig.transfer.WriteEepromByte(0x33, 900));
        rig.transfer.ReadBlockSize();
        QVERIFY(rig.transfer.WriteEeprom(QByteArray(3, 'y'), 901));
        QVERIFY(!rig.transfer.ReadPreset(1));
        QVERIFY(!rig.transfer.ReadPreset(0));
        QVERIFY(!rig.transfer.ReadPreset(6));
        QVERIFY(!rig.transfer.WriteEeprom(QByteArray(), 10));
        QVERIFY(!rig.transfer.WriteEeprom(QByteArray(2, 'z'), 0xFFFF));
        QVERIFY(!rig.transfer.WriteSetup(7));
        QVERIFY(WaitFor([&] { return rec.Ended(); }, 5000));
        QCOMPARE(rec.log.mid(1),
                 (QStringList{QStringLiteral("eeprom 900 1 1"), QStringLiteral("eeprom 901 3 1"),
                              Finished(MemoryTransfer::Outcome::Completed)}));
        QCOMPARE(rig.eeprom.mid(900, 4), QByteArray("3yyy"));
        QVERIFY(WaitFor([&] { return rig.status.facts.blockSize == 67; }, 5000));
    }
};

QTEST_GUILESS_MAIN(TestMemoryTransfer)
#include "test_memory_transfer.moc"
