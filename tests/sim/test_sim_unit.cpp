#include "link/message_set.h"
#include "model/model_facts.h"
#include "model/settings_image.h"
#include "setup_fields.h"
#include "setup_layout.h"
#include "sim_unit.h"
#include "transfer/eeprom_map.h"
#include "tuner_table.h"

#include "test_bytes.h"

#include <QStringList>
#include <QTest>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A report (type 20) or a set request (type 21); frequencies are 16-bit words.
QByteArray Message(int type, int variable, int value)
{
    if (variable == Variable::AmFrequency || variable == Variable::FmFrequency)
        return Bytes({type, variable, value & 0xFF, value >> 8});
    return Bytes({type, variable, value});
}

const auto Set = [](int variable, int value) { return Message(MessageType::Set, variable, value); };
const auto Key = [](int code) { return Bytes({MessageType::Key, code}); };

QByteArrayList Reports(const QList<std::pair<int, int>>& pairs)
{
    QByteArrayList out;
    for (const auto& [variable, value] : pairs)
        out.append(Message(MessageType::Variable, variable, value));
    return out;
}

// The factory state in report order, the powers first: standby; the main
// room on TUNER at -30 dB, the zone on LOCAL at -40 dB, the tuner on FM
// preset 1 (87.90 MHz) and AM preset 1 (540 kHz).
const QList<std::pair<int, int>> FactoryState = {
    {21, 0}, {52, 0}, {23, -30}, {24, 0}, {27, -40}, {28, 0},    {31, 0}, {32, 0},
    {33, 0}, {39, 0}, {40, 3},   {43, 1}, {44, 540}, {45, 8790}, {47, 0}, {53, 9},
    {54, 8}, {56, 1}, {57, 1},   {58, 1}, {59, 0},   {60, 0}};

QByteArrayList Factory(const QList<int>& variables)
{
    QList<std::pair<int, int>> state = FactoryState;
    state.removeIf([&](const auto& pair) { return !variables.contains(pair.first); });
    return Reports(state);
}

// A factory K230 v2.05 with the rooms switched on by their keys, and live
// setup byte 66 holding at most 100.
SimUnit K230(bool mainOn, bool zoneOn)
{
    SimUnit unit(u"K230"_s, 2, 5);
    unit.SetLiveClamp(66, 100);
    if (mainOn)
        unit.Handle(Key(KeyCode::MainPower));
    if (zoneOn)
        unit.Handle(Key(KeyCode::ZonePower));
    return unit;
}

// What a request could change; the names are left out, as a rename is always answered.
const auto State = [](SimUnit& unit) {
    return unit.Handle(Bytes({20, Variable::All})) << unit.Eeprom() << unit.LiveSetup();
};

// rooms: bit 0 main on, bit 1 zone on; first: requests made before.
const auto Row = [](const char* name, const QByteArray& request, const QByteArrayList& expected,
                    int rooms = 3, const QByteArrayList& first = {}) {
    QTest::newRow(name) << request << expected << rooms << first;
};

} // namespace

class SimUnitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void perModel_data()
    {
        QTest::addColumn<QString>("model");
        // major, minor, block size S, its address B, speakers, minus-infinity volume code
        QTest::addColumn<QList<int>>("facts");
        QTest::newRow("K230 v2.05") << u"K230"_s << QList<int>{2, 5, 67, 1024, 1, 181};
        QTest::newRow("K230 v1.99") << u"K230"_s << QList<int>{1, 99, 65, 1024, 1, 181};
        QTest::newRow("K110 v2.05") << u"K110"_s << QList<int>{2, 5, 66, 1024, 0, 181};
        QTest::newRow("K220 v2.05") << u"K220"_s << QList<int>{2, 5, 57, 768, 1, 194};
        QTest::newRow("K220 v1.20") << u"K220"_s << QList<int>{1, 20, 54, 768, 1, 194};
    }
    void perModel()
    {
        QFETCH(QString, model);
        QFETCH(QList<int>, facts);
        const int major = facts[0], minor = facts[1], size = facts[2], base = facts[3];
        const int bottom = facts[5];
        SimUnit unit(model, major, minor);
        QCOMPARE(unit.Handle(Bytes({20, 20})), QByteArrayList{Bytes({20, 20}) + model.toLatin1()});
        QCOMPARE(unit.Handle(Bytes({23})), QByteArrayList{Bytes({23, major, minor})});
        QByteArrayList all = Reports(FactoryState);
        if (!facts[4])
            all.remove(19, 2); // the speaker variables
        QCOMPARE(unit.Handle(Bytes({20, 255})), all);

        // The EEPROM: S at B, the live setup and its surround table after it;
        // then A/V presets 1..5 of S + 21 bytes each, 1..3 stored with names.
        const QByteArray& eeprom = unit.Eeprom();
        QCOMPARE(quint8(eeprom.at(base)), size);
        QCOMPARE(eeprom.mid(base + 1, size), unit.LiveSetup());
        const std::array<QByteArray, AvPresetCount> names = {"MOVIES", "MUSIC", "RADIO", "", ""};
        for (int k = 1; k <= AvPresetCount; ++k) {
            QCOMPARE(quint8(eeprom.at(base + k * (size + 21))), k <= 3 ? size : 255);
            QCOMPARE(eeprom.mid(643 + 13 * k, 13), names.at(k - 1).leftJustified(13, '\0'));
        }
        // The tuner table is partly filled: four AM presets.
        QVERIFY(TunerTable::AmFrequency(eeprom, 4) && !TunerTable::AmFrequency(eeprom, 5));

        // Sets and steps stop at the top and the bottom, the model's minus infinity.
        unit.Handle(Key(KeyCode::MainPower));
        QCOMPARE(unit.Handle(Set(23, -100)), Reports({{23, bottom}}));
        QCOMPARE(unit.Handle(Key(KeyCode::MainVolumeDown)), Reports({{23, bottom}}));
        QCOMPARE(unit.Handle(Key(KeyCode::MainVolumeUp)), Reports({{23, bottom + 1}}));
        unit.Handle(Set(23, SimUnit::MaxVolume));
        QCOMPARE(unit.Handle(Key(KeyCode::MainVolumeUp)), Reports({{23, SimUnit::MaxVolume}}));
    }

    void requests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::addColumn<int>("rooms");
        QTest::addColumn<QByteArrayList>("first");
        using namespace KeyCode;
        // A room that comes on reports its state, the power first, and the tuner
        // section because the room now hears the tuner (the zone through LOCAL).
        const QByteArrayList mainOn =
            Reports({{21, 1}}) +
            Factory({23, 24, 31, 32, 33, 39, 40, 43, 44, 45, 47, 53, 56, 57, 58, 59, 60});
        const QByteArrayList zoneOn =
            Reports({{52, 1}}) + Factory({27, 28, 43, 44, 45, 47, 54, 56, 57});
        Row("main power on", Key(MainPower), mainOn, 0);
        Row("zone power on", Key(ZonePower), zoneOn, 0);
        Row("main power off", Key(MainPower), Reports({{21, 0}}));

        Row("main mute", Key(MainMute), Reports({{24, 1}}));
        Row("main TUNER again", Key(MainSource[9]), Reports({{39, 0}, {53, 9}}));
        Row("zone SATELLITE", Key(ZoneSource[1]), Reports({{54, 1}}));
        Row("speakers B", Key(SpeakersB), Reports({{59, 1}}));
        Row("band AM", Key(MainTuner.bandAm), Reports({{43, 0}, {44, 540}, {56, 1}}));
        Row("seek up onto preset 2", Key(MainTuner.seekUp), Reports({{45, 8870}, {57, 2}}));
        Row("zone seek down wraps", Key(ZoneTuner.seekDown), Reports({{45, 10610}, {57, 12}}));
        Row("step up off preset", Key(MainTuner.frequencyUp), Reports({{45, 8800}, {57, 0}}));
        Row("recall empty preset 5", Key(RecallPreset[4]), {});

        // A value out of range changes nothing but is answered with the current one.
        Row("volume above top clamps", Set(23, 30), Reports({{23, 18}}));
        Row("odd treble rounds to step", Set(32, 3), Reports({{32, 2}}));
        Row("surround 12", Set(40, 12), Reports({{40, 12}}));
        Row("surround 11 refused", Set(40, 11), Reports({{40, 3}}));
        Row("FM snaps to 50 kHz", Set(45, 8812), Reports({{45, 8810}, {57, 0}}));
        Row("FM out of band", Set(45, 10851), Reports({{45, 8790}}));
        Row("AM switches band", Set(44, 900), Reports({{43, 0}, {44, 900}, {56, 3}}));
        Row("AM out of band", Set(44, 529), Reports({{44, 540}}));
        Row("FM preset 6 mutes", Set(57, 6), Reports({{45, 9470}, {47, 1}, {57, 6}}));
        Row("empty FM preset", Set(57, 13), Reports({{57, 1}}));
        Row("setup write clamped", Bytes({29, 1, 66, 101}), {Bytes({29, 66, 100})});
        Row("setup write under clamp", Bytes({29, 1, 66, 99}), {Bytes({29, 66, 99})});
        Row("rename, padded: kept as received", Bytes({21, 55, 2}) + "MY VCR       ",
            {Bytes({20, 55, 2}) + "MY VCR       "});
        Row("rename, cut at 13", Bytes({21, 55, 9}) + "ABCDEFGHIJKLMNO",
            {Bytes({20, 55, 9}) + "ABCDEFGHIJKLM"});

        // With the AM step flag at 9 kHz: 540 kHz lies on both grids, a typed
        // frequency lands on the channel at or below it, and steps wrap.
        const QByteArrayList nine = {Bytes({30, 1, 19, 0, 0}), Key(MainTuner.bandAm)};
        Row("9 kHz step", Key(MainTuner.frequencyUp), Reports({{44, 549}, {56, 0}}), 1, nine);
        Row("9 kHz typed", Set(44, 1000), Reports({{44, 999}, {56, 0}}), 1, nine);
        Row("9 kHz wraps", Key(MainTuner.frequencyUp), Reports({{44, 531}, {56, 0}}), 1,
            nine + QByteArrayList{Set(44, 1710)});

        // The rest change nothing: malformed requests, and a room that is off
        // takes no keys and no values but its power.
        Row("signal type is read-only", Set(39, 2), {});
        Row("main off, seek", Key(MainTuner.seekUp), {}, 2);
        Row("zone off, volume", Set(27, 0), {}, 1);
        Row("empty", QByteArray(), {});
        Row("name index 10", Bytes({20, 55, 10}), {});
        Row("store preset 0", Bytes({25, 0}), {});
        Row("store preset 6", Bytes({25, 6}), {});
        Row("setup write past block", Bytes({29, 1, 67, 5}), {});
        Row("eeprom write at 2048", Bytes({30, 1, 0, 8, 5}), {});
        Row("unknown type", Bytes({99, 1, 2}), {});
    }
    void requests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArrayList, expected);
        QFETCH(int, rooms);
        QFETCH(QByteArrayList, first);
        SimUnit unit = K230(rooms & 1, rooms & 2);
        for (const QByteArray& earlier : first)
            unit.Handle(earlier);
        const QByteArrayList before = State(unit);
        QCOMPARE(unit.Handle(request), expected);
        if (expected.isEmpty())
            QCOMPARE(State(unit), before);
    }

    void rds()
    {
        SimUnit unit = K230(true, true); // the zone on LOCAL
        const QByteArray text = "Classic 87.9 - Brahms: Symphony No. 4 in E minor, Op. 98";
        QByteArrayList frames = unit.RdsTick();
        QCOMPARE(frames.takeFirst(), Bytes({28, 0})); // clears what an earlier station left
        // Each period: the PS name and the next segment of eight; then from the start.
        for (int offset = 0; offset <= 56; offset += 8) {
            QCOMPARE(frames, (QByteArrayList{Bytes({27}) + "CLASSIC ",
                                             Bytes({28, offset % 56}) + text.mid(offset % 56, 8)}));
            frames = unit.RdsTick();
        }
        // A station without RDS: short payloads empty the radio text and the PS name, once.
        unit.Handle(Set(45, 9470));
        QCOMPARE(unit.RdsTick(), (QByteArrayList{Bytes({28, 0}), Bytes({27})}));
        QCOMPARE(unit.RdsTick(), QByteArrayList{});
        // Only while a room that is on hears the tuner on FM (LOCAL: the main
        // room's): AM, FM again, the main room on CD, the zone on the tuner.
        for (int step = 0;
             const QByteArray& request : {Set(43, 0), Set(43, 1), Set(53, 6), Set(54, 9)}) {
            unit.Handle(request);
            QCOMPARE(unit.RdsTick().isEmpty(), step++ % 2 == 0); // heard on every second
        }
    }

    // A K110's block: treble at 60, bass 61, source 62, main volume 63, and
    // the zone volume last, at 65. It follows the variables; writes echo the
    // byte now held, and the unit switches when the write ends.
    void liveSetup()
    {
        SimUnit unit(u"K110"_s, 2, 5);
        for (int key : {KeyCode::MainPower, KeyCode::ZonePower, KeyCode::MainVolumeUp})
            unit.Handle(Key(key));
        unit.Handle(Set(Variable::Treble, 6));
        unit.Handle(Set(Variable::ZoneVolume, 5));
        for (const auto& [at, held] : {std::pair{60, 8}, {63, 18 + 29}, {65, 5}})
            QCOMPARE(unit.Handle(Bytes({29, 0, at})), QByteArrayList{Bytes({29, at, held})});
        for (const auto& [at, value] : {std::pair{61, 3}, {62, 7}, {63, 18 + 20}})
            QCOMPARE(unit.Handle(Bytes({29, 1, at, value})),
                     QByteArrayList{Bytes({29, at, value})});
        QCOMPARE(unit.Handle(Bytes({29, 2})), Reports({{23, -20}, {33, -4}, {39, 3}, {53, 6}}));
        unit.Handle(Set(Variable::ZoneVolume, -70));
        QCOMPARE(unit.Handle(Bytes({29, 0, 65})),
                 QByteArrayList{Bytes({29, 65, SetupFields::ZoneVolumeOutOfRange})});
    }

    void storeAndRecall()
    {
        SimUnit unit(u"K220"_s, 2, 5); // S 57 at B 768
        const int current = unit.Layout().CurrentTableAddress();
        auto preset = [&](int k) { return unit.Eeprom().mid(768 + k * (57 + 21), 1 + 57 + 20); };
        unit.Handle(Key(KeyCode::MainPower));
        // Preset 2 is CD at -35 dB, treble +2, speakers A and B, the zone at
        // -30 dB (reported though the zone is off); its table becomes current.
        QCOMPARE(unit.Handle(Key(KeyCode::RecallPreset[1])),
                 Reports({{23, -35}, {27, -30}, {32, 2}, {39, 3}, {53, 6}, {59, 1}}));
        QCOMPARE(preset(2), Bytes({57}) + unit.LiveSetup() + unit.Eeprom().mid(current, 20));

        // Stored: the status byte S, the live setup and the current table, with
        // a name for a preset that had none.
        unit.Handle(Key(KeyCode::MainVolumeDown));
        QCOMPARE(unit.Handle(Bytes({25, 4})), QByteArrayList{});
        QCOMPARE(preset(4), Bytes({57}) + unit.LiveSetup() + unit.Eeprom().mid(current, 20));
        QCOMPARE(unit.Eeprom().mid(643 + 13 * 4, 13), QByteArray("A/V PRESET 4\0", 13));

        // It comes back after other changes; a preset of another size does not.
        unit.Handle(Key(KeyCode::MainSource[0]));
        QCOMPARE(unit.Handle(Key(KeyCode::RecallPreset[3])), Reports({{39, 3}, {53, 6}}));
        unit.Handle(Key(KeyCode::MainSource[0]));
        unit.Handle(Bytes({30, 1, (768 + 4 * 78) & 0xFF, (768 + 4 * 78) >> 8, 50}));
        QCOMPARE(unit.Handle(Key(KeyCode::RecallPreset[3])), QByteArrayList{});
    }

    // The simulated unit's layout against the program's, for every model and
    // firmware on both sides of each version compared: fields, block size,
    // input records and EEPROM addresses agree; a difference names the field.
    void agreesWithProgram_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        const QStringList models = {u"K110"_s,  u"K220"_s,  u"K230"_s,  u"K240"_s,
                                    u"k230v"_s, u"K110V"_s, u"K110X"_s, u"XR-9000"_s};
        // Each version the program compares with, and its neighbours.
        const QList<std::pair<int, int>> firmware = {{1, 0},  {1, 19}, {1, 20}, {1, 22},
                                                     {1, 23}, {1, 25}, {1, 26}, {1, 99},
                                                     {2, 0},  {2, 4},  {2, 5},  {2, 6}};
        for (const QString& model : models) {
            for (const auto& [major, minor] : firmware) {
                QTest::addRow("%s v%d.%02d", qPrintable(model), major, minor)
                    << model << major << minor;
            }
        }
    }
    void agreesWithProgram()
    {
        QFETCH(QString, model);
        QFETCH(int, major);
        QFETCH(int, minor);
        const SetupLayout sim(model, major, minor);
        ModelFacts facts{model, QString::asprintf("v%d.%02d", major, minor), sim.BlockSize()};
        SettingsImage image;
        QVERIFY(image.Reset(facts));

        for (int canonical = 0; canonical < SetupLayout::FieldCount; ++canonical)
            QVERIFY2(image.Position(canonical) == sim.Position(canonical),
                     qPrintable(u"canonical %1: unit %2, program %3"_s.arg(canonical)
                                    .arg(sim.Position(canonical))
                                    .arg(image.Position(canonical))));
        QCOMPARE(sim.BlockSize(), facts.ImageOffset(ModelFacts::FullLayoutSize));

        // The input records (digital source, analog source, and the gain when
        // a record has three bytes), read by the program where the unit keeps them.
        for (int input = 0; input < SettingsImage::InputRecordCount; ++input) {
            const int at = sim.InputRecordPosition(input);
            QVERIFY(image.SetByteAt(at, input) && image.SetByteAt(at + 1, (input + 1) << 4));
            QVERIFY(sim.InputRecordSize() != 3 || image.SetByteAt(at + 2, input + 2));
        }
        for (int input = 0; input < SettingsImage::InputRecordCount; ++input) {
            const SettingsImage::InputRecord record = image.Input(input);
            QCOMPARE(record.digitalSource, input);
            QCOMPARE(record.analogSource, input + 1);
            QCOMPARE(record.analogGain, sim.InputRecordSize() == 3 ? input + 2 : -1);
        }

        const int base = facts.BlockSizeAddress();
        QCOMPARE(sim.BlockBase(), base);
        QCOMPARE(sim.CurrentTableAddress(), EepromMap::TableAddress(base, sim.BlockSize()));
        for (int k = EepromMap::FirstPreset; k <= EepromMap::LastPreset; ++k) {
            QCOMPARE(sim.PresetBase(k), EepromMap::PresetAddress(base, sim.BlockSize(), k));
            QCOMPARE(SetupLayout::PresetNameAddress(k), EepromMap::PresetNameAddress(k));
        }
    }
};

QTEST_GUILESS_MAIN(SimUnitTest)
#include "test_sim_unit.moc"
