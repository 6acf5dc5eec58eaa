#include "link/unit_link.h"
#include "model/live_status.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_commands.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// What each command puts on the line, written as the unit's numbers rather
// than the program's names: a wrong entry in the program's table would
// otherwise pass every test that shares it, the simulator's included.
namespace {

using Room = UnitCommands::Room;
using Action = std::function<void(UnitCommands&)>;
using Reports = QList<QPair<int, int>>; // {variable, value}

struct Line
{
    ScriptedUnit unit;
    UnitLink link;
    LiveStatus live;
    UnitCommands commands{link, live};
    QSignalSpy sent{&link, &UnitLink::payloadSent};

    Line() { QVERIFY(link.Open(unit.SlavePath(), {})); }
    // Reports the unit made before the command.
    void Report(const Reports& reports)
    {
        for (const auto& [variable, value] : reports)
            live.ApplyReport(Bytes({20, variable, value}));
    }
    QList<QByteArray> Sent() const
    {
        QList<QByteArray> out;
        for (const QList<QVariant>& args : sent)
            out << args.at(0).toByteArray();
        return out;
    }
};

} // namespace

Q_DECLARE_METATYPE(Action)

class TestUnitCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sends_data()
    {
        QTest::addColumn<Reports>("before");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QList<QByteArray>>("sent");
        const Reports none;
        const Reports mainTuner = {{21, 1}, {53, 9}, {43, 1}};
        const Reports zoneTuner = {{53, 0}, {52, 1}, {54, 9}, {43, 0}};
        auto row = [](const char* tag, const Reports& before, Action action,
                      QList<QByteArray> sent) { QTest::newRow(tag) << before << action << sent; };
        auto key = [](int code) { return QList<QByteArray>{Bytes({22, code})}; };
        const QList<QByteArray> nothing;
        using S = UnitCommands::Switch;
        using T = UnitCommands::TunerAction;

        row(
            "main power", none, [](UnitCommands& c) { c.TogglePower(Room::Main); }, key(128));
        row(
            "zone power", none, [](UnitCommands& c) { c.TogglePower(Room::Zone); }, key(180));
        row(
            "main mute", none, [](UnitCommands& c) { c.Toggle(S::MainMute); }, key(148));
        row(
            "zone mute", none, [](UnitCommands& c) { c.Toggle(S::ZoneMute); }, key(160));
        row(
            "speakers A", none, [](UnitCommands& c) { c.Toggle(S::SpeakersA); }, key(206));
        row(
            "speakers B", none, [](UnitCommands& c) { c.Toggle(S::SpeakersB); }, key(207));
        row(
            "tape monitor", none, [](UnitCommands& c) { c.Toggle(S::TapeMonitor); }, key(141));
        row(
            "tone defeat", none, [](UnitCommands& c) { c.Toggle(S::ToneDefeat); }, key(220));
        // Spins: the upper arrow is a negative delta.
        row(
            "main volume up", none, [](UnitCommands& c) { c.StepVolume(Room::Main, -1); },
            key(136));
        row(
            "main volume down", none, [](UnitCommands& c) { c.StepVolume(Room::Main, 1); },
            key(140));
        row(
            "zone volume up", none, [](UnitCommands& c) { c.StepVolume(Room::Zone, -1); }, key(34));
        row(
            "zone volume down", none, [](UnitCommands& c) { c.StepVolume(Room::Zone, 1); },
            key(35));
        row(
            "volume step 0", none, [](UnitCommands& c) { c.StepVolume(Room::Main, 0); }, nothing);
        row("set main volume", none, [](UnitCommands& c) { c.SetVolume(Room::Main, -30); },
            {Bytes({21, 23, 226})});
        row("set zone volume", none, [](UnitCommands& c) { c.SetVolume(Room::Zone, 5); },
            {Bytes({21, 27, 5})});
        row(
            "volume out of a byte", none, [](UnitCommands& c) { c.SetVolume(Room::Main, -129); },
            nothing);
        // Tone steps of 2 dB from the value last reported.
        row("bass up from -4", {{21, 1}, {33, 252}}, [](UnitCommands& c) { c.StepBass(-1); },
            {Bytes({21, 33, 254})});
        row("treble down from 0", none, [](UnitCommands& c) { c.StepTreble(1); },
            {Bytes({21, 32, 254})});
        row("surround 13", none, [](UnitCommands& c) { c.SelectSurroundMode(13); },
            {Bytes({21, 40, 13})});
        row(
            "surround without a mode", none, [](UnitCommands& c) { c.SelectSurroundMode(11); },
            nothing);
        row(
            "surround 14", none, [](UnitCommands& c) { c.SelectSurroundMode(14); }, nothing);
        row(
            "recall preset 5", none, [](UnitCommands& c) { c.RecallPreset(5); }, key(198));
        row(
            "recall preset 6", none, [](UnitCommands& c) { c.RecallPreset(6); }, nothing);
        row("store preset 3", none, [](UnitCommands& c) { c.StorePreset(3); }, {Bytes({25, 3})});
        row(
            "store preset 0", none, [](UnitCommands& c) { c.StorePreset(0); }, nothing);
        row(
            "source -1", none, [](UnitCommands& c) { c.SelectSource(Room::Main, -1); }, nothing);
        // The tuner's keys follow the room that hears the tuner.
        row(
            "seek up, main on tuner", mainTuner, [](UnitCommands& c) { c.Tuner(T::SeekUp); },
            key(135));
        row(
            "band AM, zone on tuner", zoneTuner, [](UnitCommands& c) { c.Tuner(T::BandAm); },
            key(161));
        row(
            "band FM, nobody on tuner", none, [](UnitCommands& c) { c.Tuner(T::BandFm); }, nothing);
        row(
            "frequency up, main", mainTuner, [](UnitCommands& c) { c.StepFrequency(-1); },
            key(212));
        row(
            "frequency down, zone", zoneTuner, [](UnitCommands& c) { c.StepFrequency(1); },
            key(182));
        row(
            "preset down, main", mainTuner, [](UnitCommands& c) { c.StepTunerPreset(1); },
            key(209));
        row(
            "preset up, zone", zoneTuner, [](UnitCommands& c) { c.StepTunerPreset(-1); }, key(163));
        row("FM mute after 1", mainTuner + Reports{{47, 1}},
            [](UnitCommands& c) { c.ToggleFmMute(); }, {Bytes({21, 47, 0})});
        // Typed tuner values: 16 bits low first, sent once until the unit reports.
        row("FM 101.10", mainTuner, [](UnitCommands& c) { QVERIFY(c.SetFrequency(10110)); },
            {Bytes({21, 45, 0x7E, 0x27})});
        row("AM 999 twice", zoneTuner,
            [](UnitCommands& c) {
                QVERIFY(c.SetFrequency(999));
                QVERIFY(!c.SetFrequency(999));
            },
            {Bytes({21, 44, 0xE7, 0x03})});
        row(
            "frequency over 16 bits", mainTuner,
            [](UnitCommands& c) { QVERIFY(!c.SetFrequency(0x10000)); }, nothing);
        row("AM preset 7", zoneTuner, [](UnitCommands& c) { QVERIFY(c.SetTunerPreset(7)); },
            {Bytes({21, 56, 7})});
        row(
            "FM preset 256", mainTuner, [](UnitCommands& c) { QVERIFY(!c.SetTunerPreset(256)); },
            nothing);
        // Names: 13 characters, padded with spaces; trailing spaces trimmed first.
        row("rename", none, [](UnitCommands& c) { QVERIFY(c.RequestRename(9, u"FM  "_s)); },
            {Bytes({21, 55, 9}) + "FM           "});
        row("rename cut to 13", none,
            [](UnitCommands& c) { QVERIFY(c.SendInputName(0, u"ABCDEFGHIJKLMNOP"_s)); },
            {Bytes({21, 55, 0}) + "ABCDEFGHIJKLM"});
        row(
            "rename to spaces", none,
            [](UnitCommands& c) { QVERIFY(!c.SendInputName(1, u"   "_s)); }, nothing);
        row(
            "rename input 10", none, [](UnitCommands& c) { QVERIFY(!c.RequestRename(10, u"X"_s)); },
            nothing);
        row("queries", none,
            [](UnitCommands& c) {
                c.QueryModel();
                c.QueryVersion();
                c.QueryAll();
                c.QueryInputName(4);
                c.QueryInputName(10);
            },
            {Bytes({20, 20}), Bytes({23}), Bytes({20, 255}), Bytes({20, 55, 4})});
    }

    void sends()
    {
        QFETCH(Reports, before);
        QFETCH(Action, action);
        Line line;
        line.Report(before);
        action(line.commands);
        QTEST(line.Sent(), "sent");
    }

    // Every source key of both rooms, in source order.
    void sourceKeys()
    {
        const QList<int> main = {194, 192, 193, 48, 49, 30, 133, 137, 46, 221};
        const QList<int> zone = {168, 169, 170, 171, 172, 173, 165, 166, 179, 175};
        Line line;
        QList<QByteArray> expected;
        for (int source = 0; source < 10; ++source) {
            line.commands.SelectSource(Room::Main, source);
            line.commands.SelectSource(Room::Zone, source);
            expected << Bytes({22, main.at(source)}) << Bytes({22, zone.at(source)});
        }
        QCOMPARE(line.Sent(), expected);
    }

    // A name the program sends stands as the caption until the unit reports one.
    void sentNameIsAssumed()
    {
        Line line;
        QVERIFY(line.commands.SendInputName(2, u"MY DVD  "_s));
        QCOMPARE(line.live.InputCaption(2), u"MY DVD"_s);
        line.live.ApplyReport(Bytes({20, 55, 2}) + "THEIRS");
        QCOMPARE(line.live.InputCaption(2), u"THEIRS"_s);
    }

    void closedPortSendsNothing()
    {
        Line line;
        line.link.Close();
        line.commands.TogglePower(Room::Main);
        QVERIFY(line.sent.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUnitCommands)
#include "test_unit_commands.moc"
