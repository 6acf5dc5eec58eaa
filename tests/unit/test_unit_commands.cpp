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

// The command of a row, on `c`.
#define DO(...) Action([](UnitCommands& c) { __VA_ARGS__; })

class TestUnitCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sends_data()
    {
        QTest::addColumn<Reports>("before");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QList<QByteArray>>("sent");
        const Reports mainTuner = {{21, 1}, {53, 9}, {43, 1}};
        const Reports zoneTuner = {{53, 0}, {52, 1}, {54, 9}, {43, 0}};
        auto row = [](const char* tag, const Reports& before, const QList<QByteArray>& sent,
                      const Action& action) { QTest::newRow(tag) << before << action << sent; };
        const auto keys = [](std::initializer_list<int> codes) {
            QList<QByteArray> out;
            for (int code : codes)
                out << Bytes({22, code});
            return out;
        };
        using S = UnitCommands::Switch;
        using T = UnitCommands::TunerAction;

        row("main power", {}, keys({128}), DO(c.TogglePower(Room::Main)));
        row("zone power", {}, keys({180}), DO(c.TogglePower(Room::Zone)));
        row("main mute", {}, keys({148}), DO(c.Toggle(S::MainMute)));
        row("zone mute", {}, keys({160}), DO(c.Toggle(S::ZoneMute)));
        row("speakers A", {}, keys({206}), DO(c.Toggle(S::SpeakersA)));
        row("speakers B", {}, keys({207}), DO(c.Toggle(S::SpeakersB)));
        row("tape monitor", {}, keys({141}), DO(c.Toggle(S::TapeMonitor)));
        row("tone defeat", {}, keys({220}), DO(c.Toggle(S::ToneDefeat)));
        // Spins: the upper arrow is a negative delta.
        row("main volume up", {}, keys({136}), DO(c.StepVolume(Room::Main, -1)));
        row("main volume down", {}, keys({140}), DO(c.StepVolume(Room::Main, 1)));
        row("zone volume up", {}, keys({34}), DO(c.StepVolume(Room::Zone, -1)));
        row("zone volume down", {}, keys({35}), DO(c.StepVolume(Room::Zone, 1)));
        row("volume step 0", {}, {}, DO(c.StepVolume(Room::Main, 0)));
        row("set main volume", {}, {Bytes({21, 23, 226})}, DO(c.SetVolume(Room::Main, -30)));
        row("set zone volume", {}, {Bytes({21, 27, 5})}, DO(c.SetVolume(Room::Zone, 5)));
        row("volume out of a byte", {}, {}, DO(c.SetVolume(Room::Main, -129)));
        // Tone steps of 2 dB from the value last reported.
        row("bass up from -4", {{21, 1}, {33, 252}}, {Bytes({21, 33, 254})}, DO(c.StepBass(-1)));
        row("treble down from 0", {}, {Bytes({21, 32, 254})}, DO(c.StepTreble(1)));
        row("surround 13", {}, {Bytes({21, 40, 13})}, DO(c.SelectSurroundMode(13)));
        row("surround without a mode", {}, {}, DO(c.SelectSurroundMode(11)));
        row("surround 14", {}, {}, DO(c.SelectSurroundMode(14)));
        row("recall preset 5", {}, keys({198}), DO(c.RecallPreset(5)));
        row("recall preset 6", {}, {}, DO(c.RecallPreset(6)));
        row("store preset 3", {}, {Bytes({25, 3})}, DO(c.StorePreset(3)));
        row("store preset 0", {}, {}, DO(c.StorePreset(0)));
        row("source -1", {}, {}, DO(c.SelectSource(Room::Main, -1)));
        // Every source key of both rooms, in source order.
        row("main sources", {}, keys({194, 192, 193, 48, 49, 30, 133, 137, 46, 221}),
            DO(for (int s = 0; s < 10; ++s) c.SelectSource(Room::Main, s)));
        row("zone sources", {}, keys({168, 169, 170, 171, 172, 173, 165, 166, 179, 175}),
            DO(for (int s = 0; s < 10; ++s) c.SelectSource(Room::Zone, s)));
        // The tuner's keys follow the room that hears the tuner.
        row("seek up, main on tuner", mainTuner, keys({135}), DO(c.Tuner(T::SeekUp)));
        row("band AM, zone on tuner", zoneTuner, keys({161}), DO(c.Tuner(T::BandAm)));
        row("band FM, nobody on tuner", {}, {}, DO(c.Tuner(T::BandFm)));
        row("frequency up, main", mainTuner, keys({212}), DO(c.StepFrequency(-1)));
        row("frequency down, zone", zoneTuner, keys({182}), DO(c.StepFrequency(1)));
        row("preset down, main", mainTuner, keys({209}), DO(c.StepTunerPreset(1)));
        row("preset up, zone", zoneTuner, keys({163}), DO(c.StepTunerPreset(-1)));
        row("FM mute after 1", mainTuner + Reports{{47, 1}}, {Bytes({21, 47, 0})},
            DO(c.ToggleFmMute()));
        // Typed tuner values: 16 bits low first, sent once until the unit reports.
        row("FM 101.10", mainTuner, {Bytes({21, 45, 0x7E, 0x27})},
            DO(QVERIFY(c.SetFrequency(10110))));
        row("AM 999 twice", zoneTuner, {Bytes({21, 44, 0xE7, 0x03})},
            DO(QVERIFY(c.SetFrequency(999)); QVERIFY(!c.SetFrequency(999))));
        row("frequency over 16 bits", mainTuner, {}, DO(QVERIFY(!c.SetFrequency(0x10000))));
        row("AM preset 7", zoneTuner, {Bytes({21, 56, 7})}, DO(QVERIFY(c.SetTunerPreset(7))));
        row("FM preset 256", mainTuner, {}, DO(QVERIFY(!c.SetTunerPreset(256))));
        // Names: 13 characters, padded with spaces; trailing spaces trimmed first.
        row("rename", {}, {Bytes({21, 55, 9}) + "FM           "},
            DO(QVERIFY(c.RequestRename(9, u"FM  "_s))));
        row("rename cut to 13", {}, {Bytes({21, 55, 0}) + "ABCDEFGHIJKLM"},
            DO(QVERIFY(c.SendInputName(0, u"ABCDEFGHIJKLMNOP"_s))));
        row("rename to spaces", {}, {}, DO(QVERIFY(!c.SendInputName(1, u"   "_s))));
        row("rename input 10", {}, {}, DO(QVERIFY(!c.RequestRename(10, u"X"_s))));
        row("queries", {}, {Bytes({20, 20}), Bytes({23}), Bytes({20, 255}), Bytes({20, 55, 4})},
            DO(c.QueryModel(); c.QueryVersion(); c.QueryAll(); c.QueryInputName(4);
               c.QueryInputName(10)));
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

    // A name the program sends stands as the caption until the unit reports one.
    void sentNameIsAssumed()
    {
        Line line;
        QVERIFY(line.commands.SendInputName(2, u"MY DVD  "_s));
        QCOMPARE(line.live.InputCaption(2), u"MY DVD"_s);
        line.live.ApplyReport(Bytes({20, 55, 2}) + "THEIRS");
        QCOMPARE(line.live.InputCaption(2), u"THEIRS"_s);
    }
};

QTEST_GUILESS_MAIN(TestUnitCommands)
#include "test_unit_commands.moc"
