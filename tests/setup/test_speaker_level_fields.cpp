#include "model/settings_image.h"
#include "setup/level_fields.h"
#include "setup/listening_mode_fields.h"
#include "setup/setup_flags.h"
#include "setup/speaker_fields.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Unit
{
    SettingsImage image;
    SetupFlags flags;
};

// A unit's block of its layout's size (or `size`), each byte holding its own
// position, so every decoded field tells where it was read.
Unit MakeUnit(const QString& model, const QString& version, int size = 0)
{
    ModelFacts facts{model, version};
    facts.blockSize = size > 0 ? size : facts.ImageOffset(SettingsField::FullLayoutEnd);
    Unit unit;
    unit.image.Reset(facts);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, i);
    unit.flags = SetupFlags::For(facts, 0);
    return unit;
}

using Channels = ListeningModeFields::Channels;

} // namespace

class TestSpeakerLevelFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The firmware thresholds the sheet hands to the pages, at and just
    // below each one; versions compare as text, ignoring case.
    void flagsAtThresholds_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("flags"); // temporary OSD, subwoofer+NEO:6, DTS DR, v2.00
        QTest::newRow("K220 v1.19") << u"K220"_s << u"v1.19"_s << u"0000"_s;
        QTest::newRow("K220 v1.20") << u"K220"_s << u"v1.20"_s << u"1000"_s;
        QTest::newRow("K230 v1.22") << u"K230"_s << u"v1.22"_s << u"1000"_s;
        QTest::newRow("K230 V1.23") << u"K230"_s << u"V1.23"_s << u"1100"_s;
        QTest::newRow("K240 v1.25") << u"K240"_s << u"v1.25"_s << u"1100"_s;
        QTest::newRow("K240 v1.26") << u"K240"_s << u"v1.26"_s << u"1110"_s;
        QTest::newRow("K110 v1.99") << u"K110"_s << u"v1.99"_s << u"1110"_s;
        QTest::newRow("K110 v2.00") << u"K110"_s << u"v2.00"_s << u"1111"_s;
        QTest::newRow("no version yet") << u"K230"_s << QString() << u"0000"_s;
    }
    void flagsAtThresholds()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(QString, flags);
        const ModelFacts facts{model, version};
        for (int preset : {0, 3}) {
            const SetupFlags f = SetupFlags::For(facts, preset);
            const QString got = u"%1%2%3%4"_s.arg(int(f.temporaryOsd))
                                    .arg(int(f.separateSubwoofer && f.neo6CenterGain))
                                    .arg(int(f.dtsDynamicRange))
                                    .arg(int(f.newFirmware));
            QCOMPARE(got, flags);
            QCOMPARE(f.IsK220(), model == u"K220"_s);
            QCOMPARE(f.extendedLayout, model != u"K220"_s);
            QCOMPARE(f.PlIIx(), preset != 0 && f.newFirmware);
        }
    }

    // Every field of the three pages across models and firmware: where it is
    // read, that an unchanged record (full of unknown codes here) stores the
    // block back as it was, and that edited fields land on their bytes only.
    void layout_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("plII");     // position of the Pro Logic II dimension
        QTest::addColumn<bool>("neo6");    // the NEO:6 byte follows the Pro Logic II bytes
        QTest::addColumn<int>("speakers"); // position of the front speaker byte
        QTest::addColumn<bool>("es");      // Enhanced Stereo bytes just before it
        for (const char* model : {"K110", "K230", "K240", "K220"}) {
            const bool k220 = qstrcmp(model, "K220") == 0;
            const int shift = k220 ? 10 : 0;
            const auto row = [&](const char* version, bool neo6, int speakers, bool es) {
                QTest::addRow("%s %s", model, version)
                    << QString::fromLatin1(model) << QString::fromLatin1(version) << 33 - shift
                    << neo6 << speakers - shift << es;
            };
            row("v1.20", false, 37, false);
            row("v1.23", true, 38, false);
            row("v1.26", true, 38, false);
            row("v2.00", true, 40, true);
            // On the K220 the Enhanced Stereo bytes sit at 28 and 29, raw
            // 38 and 39 being the front right and surround right levels.
            row("v2.05", true, 40, true);
        }
    }
    void layout()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, plII);
        QFETCH(bool, neo6);
        QFETCH(int, speakers);
        QFETCH(bool, es);
        Unit unit = MakeUnit(model, version);
        const QByteArray before = unit.image.BlockBytes();
        const int p = speakers;

        SpeakerFields speaker = SpeakerFields::Load(unit.image, unit.flags);
        LevelFields level = LevelFields::Load(unit.image, unit.flags);
        ListeningModeFields listening = ListeningModeFields::Load(unit.image, unit.flags);
        QCOMPARE(speaker.frontSize, p);
        QCOMPARE(speaker.backCount, p + 4);
        QCOMPARE(speaker.frontDistance, p + 14);
        QCOMPARE(speaker.distanceUnit, p + 19);
        QCOMPARE(level.levels[LevelFields::FrontLeft], p + 6);
        QCOMPARE(level.levels[LevelFields::Subwoofer], p + 13);
        QCOMPARE(level.treble, p + 20);
        QCOMPARE(level.bass, p + 21);
        QCOMPARE(listening.dimension, plII);
        QCOMPARE(listening.panorama, plII + 2);
        QCOMPARE(listening.centerGain, neo6 ? plII + 3 : -1);
        const auto bits = [](int byte) {
            return byte < 0 ? Channels{-1, -1, -1, -1}
                            : Channels{byte & 1, byte >> 1 & 1, byte >> 2 & 1, byte >> 3 & 1};
        };
        QCOMPARE(listening.enhancedStereo1, bits(es ? p - 2 : -1));
        QCOMPARE(listening.enhancedStereo2, bits(es ? p - 1 : -1));

        speaker.Store(unit.image, unit.flags);
        level.Store(unit.image, unit.flags);
        listening.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockBytes().toHex(' '), before.toHex(' '));

        speaker = {1, 2, 1, 0, 1, 10, 11, 12, 13, 1, 1, 3, 6, 1};
        for (int i = 0; i < LevelFields::ChannelCount; ++i)
            level.levels[static_cast<std::size_t>(i)] = 20 + i;
        level.treble = 9;
        level.bass = 1;
        listening.dimension = 6;
        listening.centerWidth = 7;
        listening.panorama = 1;
        listening.centerGain = 4;
        listening.enhancedStereo1 = {1, 0, 1, 0};
        listening.enhancedStereo2 = {0, 1, 0, 1};
        // Levels before the Enhanced Stereo bytes, so a write at a wrong
        // position shows.
        speaker.Store(unit.image, unit.flags);
        level.Store(unit.image, unit.flags);
        listening.Store(unit.image, unit.flags);

        QByteArray expected = before;
        const auto put = [&expected](int position, int value) {
            expected[position] = static_cast<char>(value);
        };
        for (int i = 0; i < 5; ++i)
            put(p + i, QList<int>{1, 2, 1, 0, 1}[i]);
        for (int i = 0; i < 4; ++i)
            put(p + 14 + i, 10 + i);
        put(p + 19, 1);
        const int sub = p + 5;
        if (!unit.flags.separateSubwoofer)
            put(sub, 6);
        else if (!unit.flags.newFirmware)
            put(sub, (sub & 0xF0) | 3 << 1 | 1);
        else
            put(sub, (sub & 0xE0) | 3 << 2 | 2 | 1);
        for (int i = 0; i < LevelFields::ChannelCount; ++i)
            put(p + 6 + i, 20 + i);
        put(p + 20, 9);
        put(p + 21, 1);
        put(plII, 6);
        put(plII + 1, 7);
        put(plII + 2, 1);
        if (neo6)
            put(plII + 3, 4);
        if (es) {
            put(p - 2, ((p - 2) & 0xF0) | 0x5);
            put(p - 1, ((p - 1) & 0xF0) | 0xA);
        }
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    // The subwoofer byte in its three forms; bits beside the fields are
    // kept, and a code outside its list comes back unchanged.
    void subwoofer_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QList<int>>("decoded"); // switch, crossover, combined, Enhanced Bass
        QTest::addColumn<QList<int>>("edit");    // the same, -1 keeps the loaded value
        QTest::addColumn<int>("stored");
        const QList<int> none{-1, -1, -1, -1};
        QTest::newRow("0x0B, Enhanced Bass form")
            << u"v2.05"_s << 0x0B << QList<int>{1, 2, 0, 1} << none << 0x0B;
        QTest::newRow("switch off keeps bits 5-7")
            << u"v2.00"_s << 0xE3 << QList<int>{1, 0, 0, 1} << QList<int>{0, 6, -1, 0} << 0xF8;
        QTest::newRow("crossover code 7 kept")
            << u"v2.05"_s << 0x1D << QList<int>{1, 7, 0, 0} << QList<int>{-1, -1, -1, 1} << 0x1F;
        QTest::newRow("old separate form keeps bits 4-7")
            << u"v1.26"_s << 0xA7 << QList<int>{1, 3, 0, 0} << QList<int>{-1, 6, 5, 1} << 0xAD;
        QTest::newRow("combined form")
            << u"v1.20"_s << 0x03 << QList<int>{0, 0, 3, 0} << QList<int>{1, 4, 7, 1} << 0x07;
        QTest::newRow("combined code 9 kept")
            << u"v1.20"_s << 0x09 << QList<int>{0, 0, 9, 0} << none << 0x09;
    }
    void subwoofer()
    {
        QFETCH(QString, version);
        QFETCH(int, byte);
        QFETCH(QList<int>, edit);
        Unit unit = MakeUnit(u"K230"_s, version);
        QVERIFY(unit.image.SetByte(SettingsField::Subwoofer, byte));
        SpeakerFields fields = SpeakerFields::Load(unit.image, unit.flags);
        QTEST(QList<int>({fields.subwooferSwitch, fields.crossover, fields.subwooferCombined,
                          fields.enhancedBass}),
              "decoded");
        int* targets[] = {&fields.subwooferSwitch, &fields.crossover, &fields.subwooferCombined,
                          &fields.enhancedBass};
        for (int i = 0; i < 4; ++i) {
            if (edit[i] >= 0)
                *targets[i] = edit[i];
        }
        fields.Store(unit.image, unit.flags);
        QTEST(unit.image.Byte(SettingsField::Subwoofer), "stored");
    }

    // A block too short for the levels: the missing fields read -1 and
    // nothing is written past the block.
    void shortBlock()
    {
        Unit unit = MakeUnit(u"K240"_s, u"v2.05"_s, 50);
        LevelFields level = LevelFields::Load(unit.image, unit.flags);
        QCOMPARE(level.levels[LevelFields::SurroundRight], 49);
        QCOMPARE(level.levels[LevelFields::BackRight], -1);
        QCOMPARE(level.bass, -1);
        SpeakerFields speaker = SpeakerFields::Load(unit.image, unit.flags);
        QCOMPARE(speaker.frontDistance, -1);
        const QByteArray before = unit.image.BlockBytes();
        level.levels.fill(3);
        level.bass = 2;
        level.Store(unit.image, unit.flags);
        speaker.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.Size(), 50);
        QCOMPARE(unit.image.BlockBytes().left(46), before.left(46));
        QCOMPARE(unit.image.BlockBytes().mid(46).toHex(), QByteArray("03030303"));
    }

    void rules_data()
    {
        QTest::addColumn<bool>("separate");
        // front, centre, surround, back, switch, combined
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("switch off: front Large")
            << true << QList<int>{0, 1, 1, 1, 0, 0} << QList<int>{1, 1, 1, 1, 0, 0};
        QTest::newRow("front Small: Large becomes Small")
            << true << QList<int>{0, 2, 2, 2, 1, 0} << QList<int>{0, 1, 1, 1, 1, 0};
        QTest::newRow("front Small keeps Off")
            << true << QList<int>{0, 0, 2, 0, 1, 0} << QList<int>{0, 0, 1, 0, 1, 0};
        QTest::newRow("surround Off: back Off")
            << true << QList<int>{1, 2, 0, 2, 1, 0} << QList<int>{1, 2, 0, 0, 1, 0};
        QTest::newRow("combined Off: front Large")
            << false << QList<int>{0, 1, 1, 1, 0, 0} << QList<int>{1, 1, 1, 1, 0, 0};
        QTest::newRow("combined 80 Hz allows a Small front")
            << false << QList<int>{0, 2, 1, 1, 0, 3} << QList<int>{0, 1, 1, 1, 0, 3};
        QTest::newRow("unknown front is not forced")
            << true << QList<int>{7, 2, 2, 2, 0, 0} << QList<int>{7, 2, 2, 2, 0, 0};
        QTest::newRow("unknown sizes are not lowered")
            << true << QList<int>{0, 9, 2, 5, 1, 0} << QList<int>{0, 9, 1, 5, 1, 0};
        QTest::newRow("unknown back stays with surround Off")
            << true << QList<int>{1, 1, 0, 5, 1, 0} << QList<int>{1, 1, 0, 5, 1, 0};
        QTest::newRow("unknown surround is not Off")
            << true << QList<int>{1, 1, 4, 2, 1, 0} << QList<int>{1, 1, 4, 2, 1, 0};
    }
    void rules()
    {
        QFETCH(bool, separate);
        QFETCH(QList<int>, before);
        SetupFlags flags;
        flags.separateSubwoofer = separate;
        SpeakerFields fields;
        fields.frontSize = before[0];
        fields.center = before[1];
        fields.surround = before[2];
        fields.back = before[3];
        fields.subwooferSwitch = before[4];
        fields.subwooferCombined = before[5];
        fields.ApplyRules(flags);
        QTEST(QList<int>({fields.frontSize, fields.center, fields.surround, fields.back,
                          fields.subwooferSwitch, fields.subwooferCombined}),
              "after");
    }

    // What the Levels and Listening Modes pages may offer for a speaker
    // configuration.
    void usable()
    {
        SetupFlags flags;
        flags.separateSubwoofer = true;
        SpeakerFields speakers;
        speakers.center = 0;
        speakers.back = 0;
        speakers.backCount = SpeakerFields::BackPair;
        speakers.subwooferSwitch = 0;
        speakers.subwooferCombined = 3; // the other form's field is ignored
        LevelFields::Usable usable = LevelFields::UsableFor(speakers, flags);
        QCOMPARE(QList<bool>({usable.center, usable.surround, usable.back, usable.subwoofer,
                              usable.backPair}),
                 QList<bool>({false, true, false, false, true}));
        QCOMPARE(ListeningModeFields::SwitchableChannels(speakers),
                 (std::array<bool, 4>{true, false, true, false}));

        flags.separateSubwoofer = false;
        speakers.center = 7; // unknown: offered, so it can be set right
        speakers.backCount = 9;
        usable = LevelFields::UsableFor(speakers, flags);
        QVERIFY(usable.center && usable.subwoofer && usable.backPair);
        speakers.backCount = SpeakerFields::BackSingle;
        QVERIFY(!LevelFields::UsableFor(speakers, flags).backPair);
    }
};

QTEST_MAIN(TestSpeakerLevelFields)
#include "test_speaker_level_fields.moc"
