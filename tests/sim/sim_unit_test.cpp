#include "link/message_set.h"
#include "sim_unit.h"

#include "test_bytes.h"

#include <QTest>

#include <array>

namespace {

QByteArray Text(const char* text)
{
    return QByteArray(text);
}

QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

QByteArray Report16(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value & 0xFF, value >> 8});
}

QByteArray Key(int code)
{
    return Bytes({MessageType::Key, code});
}

QByteArray Set(int variable, int value)
{
    return Bytes({MessageType::Set, variable, value});
}

QByteArray Set16(int variable, int value)
{
    return Bytes({MessageType::Set, variable, value & 0xFF, value >> 8});
}

// Powers the rooms on through the unit's own keys.
void PowerUp(SimUnit& unit, bool mainOn, bool zoneOn)
{
    if (mainOn)
        unit.Handle(Key(KeyCode::MainPower));
    if (zoneOn)
        unit.Handle(Key(KeyCode::ZonePower));
}

struct Snapshot
{
    std::array<int, 64> values{};
    QByteArray eeprom;
    QByteArray setup;
    QByteArrayList names;

    explicit Snapshot(const SimUnit& unit) : eeprom(unit.Eeprom()), setup(unit.LiveSetup())
    {
        for (int v = 0; v < 64; ++v)
            values.at(static_cast<std::size_t>(v)) = unit.Value(static_cast<std::uint8_t>(v));
        for (int i = 0; i < InputCount; ++i)
            names.append(unit.InputName(i));
    }
    bool operator==(const Snapshot&) const = default;
};

// Factory start: FM 87.90 MHz on preset 1, AM 540 kHz on preset 1, main
// volume -30 dB, zone -40 dB, surround mode 3, main source TUNER, zone LOCAL.
constexpr int StartFm = 8790;
constexpr int StartAm = 540;

} // namespace

class SimUnitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void identityAndVersion_data();
    void identityAndVersion();
    void firmwareText_data();
    void firmwareText();
    void allVariables();
    void inputNames();
    void powerOnReportsTheRoom_data();
    void powerOnReportsTheRoom();
    void keys_data();
    void keys();
    void keysIgnoredWhileRoomOff_data();
    void keysIgnoredWhileRoomOff();
    void sets_data();
    void sets();
    void setsForARoomThatIsOffAreIgnored();
    void rename_data();
    void rename();
    void malformedRequestsChangeNothing_data();
    void malformedRequestsChangeNothing();
    void volumeBottomIsMinusInfinity_data();
    void volumeBottomIsMinusInfinity();
    void nineKilohertzAmStep();
    void rdsOnlyWhileFmIsHeard_data();
    void rdsOnlyWhileFmIsHeard();
    void rdsSegmentsSpellTheRadioText();
    void rdsClearsOnAStationWithoutRds();
};

void SimUnitTest::identityAndVersion_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::newRow("K230 v2.05") << QStringLiteral("K230") << 2 << 5;
    QTest::newRow("K220 v1.20") << QStringLiteral("K220") << 1 << 20;
    QTest::newRow("unsupported text") << QStringLiteral("XR-9000") << 0 << 99;
}

void SimUnitTest::identityAndVersion()
{
    QFETCH(QString, model);
    QFETCH(int, major);
    QFETCH(int, minor);
    SimUnit unit(model, major, minor);
    QCOMPARE(unit.Handle(Bytes({20, 20})), QByteArrayList{Bytes({20, 20}) + model.toLatin1()});
    QCOMPARE(unit.Handle(Bytes({23})), QByteArrayList{Bytes({23, major, minor})});
}

void SimUnitTest::firmwareText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::newRow("v2.05") << QStringLiteral("v2.05") << true << 2 << 5;
    QTest::newRow("upper case") << QStringLiteral("V1.20") << true << 1 << 20;
    QTest::newRow("largest major") << QStringLiteral("v127.99") << true << 127 << 99;
    QTest::newRow("major too large") << QStringLiteral("v128.00") << false << 0 << 0;
    QTest::newRow("one minor digit") << QStringLiteral("v2.5") << false << 0 << 0;
    QTest::newRow("no v") << QStringLiteral("2.05") << false << 0 << 0;
    QTest::newRow("trailing text") << QStringLiteral("v2.05b") << false << 0 << 0;
    QTest::newRow("empty") << QString() << false << 0 << 0;
}

void SimUnitTest::firmwareText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    int major = 0;
    int minor = 0;
    QCOMPARE(SimUnit::ParseFirmware(text, &major, &minor), valid);
    if (valid) {
        QTEST(major, "major");
        QTEST(minor, "minor");
    }
}

void SimUnitTest::allVariables()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const QByteArrayList expected = {Report(21, 0),
                                     Report(52, 0),
                                     Report(23, -30),
                                     Report(24, 0),
                                     Report(27, -40),
                                     Report(28, 0),
                                     Report(31, 0),
                                     Report(32, 0),
                                     Report(33, 0),
                                     Report(39, 0),
                                     Report(40, 3),
                                     Report(43, Band::Fm),
                                     Report16(44, StartAm),
                                     Report16(45, StartFm),
                                     Report(47, 0),
                                     Report(53, SourceTuner),
                                     Report(54, SourceExternal),
                                     Report(56, 1),
                                     Report(57, 1),
                                     Report(58, 1),
                                     Report(59, 0),
                                     Report(60, 0)};
    QCOMPARE(unit.Handle(Bytes({20, 255})), expected);

    // A K110 has no speaker switching and so no speaker variables.
    SimUnit k110(QStringLiteral("K110"), 2, 5);
    const QByteArrayList reports = k110.Handle(Bytes({20, 255}));
    QCOMPARE(reports.size(), expected.size() - 2);
    QVERIFY(!reports.contains(Report(58, 1)));
    QVERIFY(k110.Handle(Bytes({20, Variable::SpeakersA})).isEmpty());
}

void SimUnitTest::inputNames()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    for (int i = 0; i < InputCount; ++i) {
        QCOMPARE(unit.Handle(Bytes({20, 55, i})),
                 QByteArrayList{Bytes({20, 55, i}) + Text(DefaultSourceNames.at(std::size_t(i)))});
    }
    QVERIFY(unit.Handle(Bytes({20, 55, 10})).isEmpty());
    QVERIFY(unit.Handle(Bytes({20, 55, 255})).isEmpty());
}

void SimUnitTest::powerOnReportsTheRoom_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArrayList>("expected");
    // The power comes first; the tuner section fills because the room now
    // hears the tuner (the zone through LOCAL).
    QTest::newRow("main") << int(KeyCode::MainPower)
                          << QByteArrayList{
                                 Report(21, 1),         Report(23, -30),       Report(24, 0),
                                 Report(31, 0),         Report(32, 0),         Report(33, 0),
                                 Report(39, 0),         Report(40, 3),         Report(43, 1),
                                 Report16(44, StartAm), Report16(45, StartFm), Report(47, 0),
                                 Report(53, 9),         Report(56, 1),         Report(57, 1),
                                 Report(58, 1),         Report(59, 0),         Report(60, 0)};
    QTest::newRow("zone") << int(KeyCode::ZonePower)
                          << QByteArrayList{Report(52, 1),         Report(27, -40),
                                            Report(28, 0),         Report(43, 1),
                                            Report16(44, StartAm), Report16(45, StartFm),
                                            Report(47, 0),         Report(54, 8),
                                            Report(56, 1),         Report(57, 1)};
}

void SimUnitTest::powerOnReportsTheRoom()
{
    QFETCH(int, key);
    QFETCH(QByteArrayList, expected);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    QCOMPARE(unit.Handle(Key(key)), expected);
    // Off again: only the power changes.
    QCOMPARE(unit.Handle(Key(key)), QByteArrayList{expected.first().chopped(1) + Bytes({0})});
}

void SimUnitTest::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArrayList>("expected");
    using namespace KeyCode;
    QTest::newRow("main mute") << int(MainMute) << QByteArrayList{Report(24, 1)};
    QTest::newRow("zone mute") << int(ZoneMute) << QByteArrayList{Report(28, 1)};
    QTest::newRow("main volume up") << int(MainVolumeUp) << QByteArrayList{Report(23, -29)};
    QTest::newRow("main volume down") << int(MainVolumeDown) << QByteArrayList{Report(23, -31)};
    QTest::newRow("zone volume up") << int(ZoneVolumeUp) << QByteArrayList{Report(27, -39)};
    QTest::newRow("zone volume down") << int(ZoneVolumeDown) << QByteArrayList{Report(27, -41)};
    QTest::newRow("main DVD") << int(KeyCode::MainSource[0])
                              << QByteArrayList{Report(39, 1), Report(53, 0)};
    QTest::newRow("main CD") << int(KeyCode::MainSource[6])
                             << QByteArrayList{Report(39, 3), Report(53, 6)};
    QTest::newRow("main TUNER again")
        << int(KeyCode::MainSource[9]) << QByteArrayList{Report(39, 0), Report(53, 9)};
    QTest::newRow("zone SATELLITE") << int(KeyCode::ZoneSource[1]) << QByteArrayList{Report(54, 1)};
    QTest::newRow("zone TUNER") << int(KeyCode::ZoneSource[9]) << QByteArrayList{Report(54, 9)};
    QTest::newRow("speakers A") << int(SpeakersA) << QByteArrayList{Report(58, 0)};
    QTest::newRow("speakers B") << int(SpeakersB) << QByteArrayList{Report(59, 1)};
    QTest::newRow("tape monitor") << int(TapeMonitor) << QByteArrayList{Report(31, 1)};
    QTest::newRow("tone defeat") << int(ToneDefeat) << QByteArrayList{Report(60, 1)};
    QTest::newRow("band AM main") << int(MainTuner.bandAm)
                                  << QByteArrayList{Report(43, 0), Report16(44, StartAm),
                                                    Report(56, 1)};
    QTest::newRow("band FM zone") << int(ZoneTuner.bandFm)
                                  << QByteArrayList{Report(43, 1), Report16(45, StartFm),
                                                    Report(57, 1)};
    QTest::newRow("seek up") << int(MainTuner.seekUp)
                             << QByteArrayList{Report16(45, 8870), Report(57, 2)};
    QTest::newRow("seek down wraps")
        << int(ZoneTuner.seekDown) << QByteArrayList{Report16(45, 10610), Report(57, 12)};
    QTest::newRow("step up off preset")
        << int(MainTuner.frequencyUp) << QByteArrayList{Report16(45, 8800), Report(57, 0)};
    QTest::newRow("step down zone")
        << int(ZoneTuner.frequencyDown) << QByteArrayList{Report16(45, 8780), Report(57, 0)};
    QTest::newRow("preset up") << int(MainTuner.presetUp)
                               << QByteArrayList{Report16(45, 8870), Report(57, 2)};
    QTest::newRow("preset down wraps")
        << int(ZoneTuner.presetDown) << QByteArrayList{Report16(45, 10610), Report(57, 12)};
    // Preset 1 holds DVD at -25 dB with bass +2; the zone on LOCAL stops
    // hearing the tuner, which needs no report.
    QTest::newRow("recall preset 1")
        << int(RecallPreset[0])
        << QByteArrayList{Report(23, -25), Report(33, 2), Report(39, 1), Report(53, 0)};
    QTest::newRow("recall empty preset 5") << int(RecallPreset[4]) << QByteArrayList{};
    QTest::newRow("unknown key") << 1 << QByteArrayList{};
}

void SimUnitTest::keys()
{
    QFETCH(int, key);
    QFETCH(QByteArrayList, expected);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, true);
    QCOMPARE(unit.Handle(Key(key)), expected);
}

void SimUnitTest::keysIgnoredWhileRoomOff_data()
{
    QTest::addColumn<bool>("mainOn");
    QTest::addColumn<int>("key");
    using namespace KeyCode;
    const std::array<int, 9> mainKeys = {MainMute,        MainVolumeUp,     MainSource[0],
                                         SpeakersA,       TapeMonitor,      ToneDefeat,
                                         RecallPreset[0], MainTuner.seekUp, MainTuner.bandAm};
    for (int key : mainKeys)
        QTest::addRow("main key %d", key) << false << key;
    const std::array<int, 6> zoneKeys = {ZoneMute,         ZoneVolumeUp,       ZoneSource[0],
                                         ZoneTuner.seekUp, ZoneTuner.presetUp, ZoneTuner.bandAm};
    for (int key : zoneKeys)
        QTest::addRow("zone key %d", key) << true << key;
}

void SimUnitTest::keysIgnoredWhileRoomOff()
{
    QFETCH(bool, mainOn);
    QFETCH(int, key);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, mainOn, !mainOn);
    const Snapshot before(unit);
    QVERIFY(unit.Handle(Key(key)).isEmpty());
    QVERIFY(Snapshot(unit) == before);
}

void SimUnitTest::sets_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::newRow("volume 0 dB") << Set(23, 0) << QByteArrayList{Report(23, 0)};
    QTest::newRow("volume minus infinity") << Set(23, 181) << QByteArrayList{Report(23, 181)};
    QTest::newRow("volume below bottom clamps") << Set(23, -100) << QByteArrayList{Report(23, 181)};
    QTest::newRow("volume above top clamps") << Set(23, 30) << QByteArrayList{Report(23, 18)};
    QTest::newRow("zone volume") << Set(27, -10) << QByteArrayList{Report(27, -10)};
    QTest::newRow("treble +4") << Set(32, 4) << QByteArrayList{Report(32, 4)};
    QTest::newRow("bass -2") << Set(33, -2) << QByteArrayList{Report(33, -2)};
    QTest::newRow("bass beyond limit") << Set(33, 20) << QByteArrayList{Report(33, 10)};
    QTest::newRow("odd treble rounds to step") << Set(32, 3) << QByteArrayList{Report(32, 2)};
    QTest::newRow("surround 12") << Set(40, 12) << QByteArrayList{Report(40, 12)};
    QTest::newRow("surround 11 refused") << Set(40, 11) << QByteArrayList{Report(40, 3)};
    QTest::newRow("surround 14 refused") << Set(40, 14) << QByteArrayList{Report(40, 3)};
    QTest::newRow("FM off preset")
        << Set16(45, 10110) << QByteArrayList{Report16(45, 10110), Report(57, 0)};
    QTest::newRow("FM on preset 2")
        << Set16(45, 8870) << QByteArrayList{Report16(45, 8870), Report(57, 2)};
    QTest::newRow("FM snaps to 50 kHz")
        << Set16(45, 8812) << QByteArrayList{Report16(45, 8810), Report(57, 0)};
    QTest::newRow("FM top of band")
        << Set16(45, 10850) << QByteArrayList{Report16(45, 10850), Report(57, 0)};
    QTest::newRow("FM out of band") << Set16(45, 10851) << QByteArrayList{Report16(45, StartFm)};
    QTest::newRow("AM switches band")
        << Set16(44, 900) << QByteArrayList{Report(43, 0), Report16(44, 900), Report(56, 3)};
    QTest::newRow("AM out of band") << Set16(44, 529) << QByteArrayList{Report16(44, StartAm)};
    QTest::newRow("FM mute") << Set(47, 1) << QByteArrayList{Report(47, 1)};
    QTest::newRow("FM mute 2 refused") << Set(47, 2) << QByteArrayList{Report(47, 0)};
    QTest::newRow("FM preset 5") << Set(57, 5) << QByteArrayList{Report16(45, 9310), Report(57, 5)};
    QTest::newRow("FM preset 6 mutes")
        << Set(57, 6) << QByteArrayList{Report16(45, 9470), Report(47, 1), Report(57, 6)};
    QTest::newRow("empty FM preset") << Set(57, 13) << QByteArrayList{Report(57, 1)};
    QTest::newRow("FM preset 0") << Set(57, 0) << QByteArrayList{Report(57, 1)};
    QTest::newRow("AM preset 2") << Set(56, 2)
                                 << QByteArrayList{Report(43, 0), Report16(44, 720), Report(56, 2)};
    QTest::newRow("main source") << Set(53, 6) << QByteArrayList{Report(39, 3), Report(53, 6)};
    QTest::newRow("main source 10 refused") << Set(53, 10) << QByteArrayList{Report(53, 9)};
    QTest::newRow("zone source") << Set(54, 2) << QByteArrayList{Report(54, 2)};
    QTest::newRow("main power off") << Set(21, 0) << QByteArrayList{Report(21, 0)};
    QTest::newRow("speakers A off") << Set(58, 0) << QByteArrayList{Report(58, 0)};
    QTest::newRow("signal type is read-only") << Set(39, 2) << QByteArrayList{};
}

void SimUnitTest::sets()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArrayList, expected);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, true);
    QCOMPARE(unit.Handle(request), expected);
}

void SimUnitTest::setsForARoomThatIsOffAreIgnored()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const Snapshot before(unit);
    QVERIFY(unit.Handle(Set(23, 0)).isEmpty());
    QVERIFY(unit.Handle(Set(27, 0)).isEmpty());
    QVERIFY(unit.Handle(Set(40, 2)).isEmpty());
    QVERIFY(Snapshot(unit) == before);
    // The tuner is shared: a typed frequency counts while both rooms are off.
    QCOMPARE(unit.Handle(Set16(45, 9150)), (QByteArrayList{Report16(45, 9150), Report(57, 4)}));
}

void SimUnitTest::rename_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("padded to 13") << 2 << Text("MY VCR       ") << Text("MY VCR");
    QTest::newRow("inner spaces kept") << 0 << Text("BLU RAY 2    ") << Text("BLU RAY 2");
    QTest::newRow("long name cut at 13")
        << 8 << Text("ABCDEFGHIJKLMNOPQRST") << Text("ABCDEFGHIJKLM");
    QTest::newRow("tuner") << 9 << Text("RADIO        ") << Text("RADIO");
}

void SimUnitTest::rename()
{
    QFETCH(int, index);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, stored);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    const QByteArray reply = Bytes({20, 55, index}) + stored;
    QCOMPARE(unit.Handle(Bytes({21, 55, index}) + sent), QByteArrayList{reply});
    QCOMPARE(unit.Handle(Bytes({20, 55, index})), QByteArrayList{reply});
}

void SimUnitTest::malformedRequestsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("query without variable") << Bytes({20});
    QTest::newRow("name query without index") << Bytes({20, 55});
    QTest::newRow("name index 10") << Bytes({20, 55, 10});
    QTest::newRow("query too long") << Bytes({20, 23, 0});
    QTest::newRow("unknown variable") << Bytes({20, 22});
    QTest::newRow("variable 99") << Bytes({20, 99});
    QTest::newRow("set without value") << Bytes({21, 23});
    QTest::newRow("8-bit set too long") << Bytes({21, 23, 0, 0});
    QTest::newRow("16-bit set too short") << Bytes({21, 45, 1});
    QTest::newRow("set of model") << Bytes({21, 20, 1});
    QTest::newRow("rename without name") << Bytes({21, 55, 0});
    QTest::newRow("rename index 10") << Bytes({21, 55, 10, 'A'});
    QTest::newRow("rename to spaces") << Bytes({21, 55, 0, ' ', ' '});
    QTest::newRow("key without code") << Bytes({22});
    QTest::newRow("key too long") << Bytes({22, KeyCode::MainMute, 0});
    QTest::newRow("version too long") << Bytes({23, 0});
    QTest::newRow("store without number") << Bytes({25});
    QTest::newRow("store preset 0") << Bytes({25, 0});
    QTest::newRow("store preset 6") << Bytes({25, 6});
    QTest::newRow("setup without op") << Bytes({29});
    QTest::newRow("setup read without index") << Bytes({29, 0});
    QTest::newRow("setup read past block") << Bytes({29, 0, 67});
    QTest::newRow("setup read at 255") << Bytes({29, 0, 255});
    QTest::newRow("setup write without value") << Bytes({29, 1, 0});
    QTest::newRow("setup write past block") << Bytes({29, 1, 67, 5});
    QTest::newRow("setup unknown op") << Bytes({29, 3, 0});
    QTest::newRow("end write too long") << Bytes({29, 2, 0});
    QTest::newRow("eeprom read short") << Bytes({30, 0, 0});
    QTest::newRow("eeprom read at 2048") << Bytes({30, 0, 0, 8});
    QTest::newRow("eeprom read at 65535") << Bytes({30, 0, 255, 255});
    QTest::newRow("eeprom write at 2048") << Bytes({30, 1, 0, 8, 5});
    QTest::newRow("eeprom write short") << Bytes({30, 1, 0, 4});
    QTest::newRow("eeprom unknown op") << Bytes({30, 2, 0, 4});
    QTest::newRow("unit's own RDS type") << Bytes({27, 'A', 'B'});
    QTest::newRow("unknown type") << Bytes({99, 1, 2});
}

void SimUnitTest::malformedRequestsChangeNothing()
{
    QFETCH(QByteArray, request);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, true);
    const Snapshot before(unit);
    QVERIFY(unit.Handle(request).isEmpty());
    QVERIFY(Snapshot(unit) == before);
    QCOMPARE(unit.EepromRevision(), quint64{0});
}

void SimUnitTest::volumeBottomIsMinusInfinity_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("code");
    QTest::newRow("K220") << QStringLiteral("K220") << 194;
    QTest::newRow("K230") << QStringLiteral("K230") << 181;
    QTest::newRow("K110") << QStringLiteral("K110") << 181;
}

void SimUnitTest::volumeBottomIsMinusInfinity()
{
    QFETCH(QString, model);
    QFETCH(int, code);
    SimUnit unit(model, 2, 5);
    PowerUp(unit, true, false);
    QByteArrayList last;
    for (int i = 0; i < 200; ++i)
        last = unit.Handle(Key(KeyCode::MainVolumeDown));
    QCOMPARE(last, QByteArrayList{Report(23, code)});
    QCOMPARE(unit.Handle(Key(KeyCode::MainVolumeUp)), QByteArrayList{Report(23, code + 1)});
    for (int i = 0; i < 200; ++i)
        last = unit.Handle(Key(KeyCode::MainVolumeUp));
    QCOMPARE(last, QByteArrayList{Report(23, SimUnit::MaxVolume)});
}

void SimUnitTest::nineKilohertzAmStep()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, false);
    QCOMPARE(unit.Handle(Bytes({30, 1, 19, 0, 0})), QByteArrayList{Bytes({30, 19, 0, 0})});
    unit.Handle(Key(KeyCode::MainTuner.bandAm));
    // 540 kHz lies on both grids; the next 9 kHz channel is 549.
    QCOMPARE(unit.Handle(Key(KeyCode::MainTuner.frequencyUp)),
             (QByteArrayList{Report16(44, 549), Report(56, 0)}));
    // A typed frequency lands on the channel at or below it.
    QCOMPARE(unit.Handle(Set16(44, 1000)), (QByteArrayList{Report16(44, 999), Report(56, 0)}));
    QCOMPARE(unit.Handle(Set16(44, 1710)), (QByteArrayList{Report16(44, 1710), Report(56, 0)}));
    QCOMPARE(unit.Handle(Key(KeyCode::MainTuner.frequencyUp)),
             (QByteArrayList{Report16(44, 531), Report(56, 0)}));
    QCOMPARE(unit.Handle(Key(KeyCode::MainTuner.frequencyDown)),
             (QByteArrayList{Report16(44, 1710), Report(56, 0)}));
}

void SimUnitTest::rdsOnlyWhileFmIsHeard_data()
{
    QTest::addColumn<bool>("mainOn");
    QTest::addColumn<int>("mainSource");
    QTest::addColumn<bool>("zoneOn");
    QTest::addColumn<int>("zoneSource");
    QTest::addColumn<int>("band");
    QTest::addColumn<bool>("heard");
    QTest::newRow("main on tuner") << true << 9 << false << 8 << int(Band::Fm) << true;
    QTest::newRow("zone on tuner") << false << 0 << true << 9 << int(Band::Fm) << true;
    QTest::newRow("zone LOCAL, main tuner, main off")
        << false << 9 << true << 8 << int(Band::Fm) << true;
    QTest::newRow("zone LOCAL, main CD") << true << 6 << true << 8 << int(Band::Fm) << false;
    QTest::newRow("tuner on AM") << true << 9 << true << 9 << int(Band::Am) << false;
    QTest::newRow("both off") << false << 9 << false << 9 << int(Band::Fm) << false;
}

void SimUnitTest::rdsOnlyWhileFmIsHeard()
{
    QFETCH(bool, mainOn);
    QFETCH(int, mainSource);
    QFETCH(bool, zoneOn);
    QFETCH(int, zoneSource);
    QFETCH(int, band);
    QFETCH(bool, heard);
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, true);
    unit.Handle(Set(53, mainSource));
    unit.Handle(Set(54, zoneSource));
    unit.Handle(Set(43, band));
    unit.Handle(Set(21, mainOn));
    unit.Handle(Set(52, zoneOn));
    QCOMPARE(unit.TunerHeardOnFm(), heard);
    QCOMPARE(unit.RdsTick().isEmpty(), !heard);
}

void SimUnitTest::rdsSegmentsSpellTheRadioText()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, false);
    const QByteArray expectedText = "Classic 87.9 - Brahms: Symphony No. 4 in E minor, Op. 98";

    QByteArrayList frames = unit.RdsTick();
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames.at(0), Bytes({28, 0})); // clears what an earlier station left
    QCOMPARE(frames.at(1), Bytes({27}) + "CLASSIC ");

    // Assemble the segments as the program does, for two rounds of seven.
    QByteArray text;
    int segments = 0;
    for (int period = 0; period < 14; ++period) {
        if (period > 0)
            frames = unit.RdsTick();
        const QByteArray& segment = frames.last();
        QCOMPARE(segment.at(0), char(MessageType::RadioText));
        QVERIFY(segment.size() >= 4 && segment.size() <= 10);
        const int offset = static_cast<std::uint8_t>(segment.at(1));
        const QByteArray characters = segment.mid(2);
        if (text.size() < offset + characters.size())
            text.append(QByteArray(offset + characters.size() - text.size(), ' '));
        text.replace(offset, characters.size(), characters);
        segments += offset == 0 ? 1 : 0;
    }
    QCOMPARE(segments, 2);
    QCOMPARE(text, expectedText);
}

void SimUnitTest::rdsClearsOnAStationWithoutRds()
{
    SimUnit unit(QStringLiteral("K230"), 2, 5);
    PowerUp(unit, true, false);
    unit.RdsTick();
    unit.Handle(Set16(45, 9470));
    // Short payloads empty the radio text and the PS name, once.
    QCOMPARE(unit.RdsTick(), (QByteArrayList{Bytes({28, 0}), Bytes({27})}));
    QVERIFY(unit.RdsTick().isEmpty());
}

QTEST_GUILESS_MAIN(SimUnitTest)
#include "sim_unit_test.moc"
