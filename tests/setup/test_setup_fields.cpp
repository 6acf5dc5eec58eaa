#include "model/settings_image.h"
#include "setup/advanced_fields.h"
#include "setup/input_fields.h"
#include "setup/level_fields.h"
#include "setup/listening_mode_fields.h"
#include "setup/setup_flags.h"
#include "setup/speaker_fields.h"
#include "setup/surround_mode_fields.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The records of the setup pages: where each field sits in a unit's block
// for every model and firmware, what an edit writes, and what an untouched
// record keeps.
namespace {

struct Unit
{
    SettingsImage image;
    SetupFlags flags;
};

Unit Blank(const QString& model, const QString& version, int preset, int size = 0)
{
    ModelFacts facts{model, version};
    facts.blockSize = size > 0 ? size : facts.ImageOffset(SettingsField::FullLayoutEnd);
    Unit unit;
    unit.image.Reset(facts);
    unit.flags = SetupFlags::For(facts, preset);
    return unit;
}

// A block of the layout's size (or `size`), each byte holding its own
// position, so every decoded field tells where it was read.
Unit Positions(const QString& model, const QString& version, int size = 0)
{
    Unit unit = Blank(model, version, 0, size);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, i);
    return unit;
}

// Every block and table byte a different value, so a write to a wrong byte
// or bit shows.
Unit Pattern(const QString& model, const QString& version, int preset = 0)
{
    Unit unit = Blank(model, version, preset);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, (i * 37 + 11) & 0xFF);
    for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
        unit.image.SetTableByte(i, (i * 53 + 7) & 0xFF);
    unit.image.SetPresetName(u"OLD NAME"_s);
    return unit;
}

using Channels = ListeningModeFields::Channels;

} // namespace

class TestSetupFields : public QObject
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
    // read, and that edited fields land on their bytes only.
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
        Unit unit = Positions(model, version);
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
        Unit unit = Positions(u"K230"_s, version);
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
        Unit unit = Positions(u"K240"_s, u"v2.05"_s, 50);
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

    // Every model and firmware: loading and storing every untouched record leaves
    // the block, table and name as they were, out-of-range codes included.
    // The one rebuild: input triggers stored as flags clear bits 6-7.
    void untouchedRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        for (const char* model : {"K110", "K220", "K230", "K240V"}) {
            for (const char* version : {"v1.10", "v1.20", "v1.23", "v1.26", "v2.00", "v2.05"})
                QTest::addRow("%s %s", model, version) << model << version;
        }
    }
    void untouchedRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        for (int preset : {0, 3}) {
            Unit unit = Pattern(model, version, preset);
            // The on-screen display byte is rebuilt whole: give it only the
            // bits the firmware has, so an untouched store leaves it.
            unit.image.SetByte(SettingsField::OnScreenDisplay, unit.flags.temporaryOsd ? 3 : 1);
            QByteArray expected = unit.image.BlockAndTableBytes();
            if (!InputFields::TriggerLists(unit.flags)) {
                const int length = unit.flags.extendedLayout ? 3 : 2;
                for (int i = 0; i < InputFields::InputCount; ++i)
                    expected[length * i] = static_cast<char>(expected[length * i] & 0x3F);
            }
            const QByteArray name = unit.image.NameBytes();
            InputFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
            AdvancedFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
            SpeakerFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
            LevelFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
            ListeningModeFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
            SurroundModeFields surround = SurroundModeFields::Load(unit.image, unit.flags);
            if (preset == 0) // no table to edit: not even a changed record is stored
                surround.rows.fill({1, 1, 1, 1});
            surround.Store(unit.image, unit.flags);
            QCOMPARE(unit.image.BlockAndTableBytes().toHex(' '), expected.toHex(' '));
            QCOMPARE(unit.image.NameBytes(), name);
        }
    }

    void inputEdits_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("input");
        // digital, trigger 1, trigger 2, video, format, analog, gain (-1 = as loaded)
        QTest::addColumn<QList<int>>("edit");
        QTest::addColumn<QByteArray>("record"); // hex, the record's bytes after Store
        // Records of the pattern: input 4 = c7 ec 11, input 9 = f2 17 3c; on a
        // K220 input 9 = a5 ca.
        QTest::newRow("codes: bits 4-7 = t1 + 4 t2")
            << u"K240"_s << u"v2.05"_s << 4 << QList<int>{2, 3, 1, -1, -1, -1, -1}
            << QByteArray("72ec11");
        QTest::newRow("v1.26 flags: t2 on, t1 off gives 2, bits 6-7 cleared")
            << u"K230"_s << u"v1.26"_s << 4 << QList<int>{-1, 0, 1, -1, -1, -1, -1}
            << QByteArray("27ec11");
        QTest::newRow("K220 v2.05: flags in a two-byte record")
            << u"K220"_s << u"v2.05"_s << 9 << QList<int>{1, 1, 0, 4, -1, 10, -1}
            << QByteArray("11a4");
        QTest::newRow("K230: no format, gain stored")
            << u"K230"_s << u"v2.05"_s << 4 << QList<int>{-1, -1, -1, 1, 2, -1, 8}
            << QByteArray("c7e118");
        QTest::newRow("K230V: format stored")
            << u"K230V"_s << u"v2.05"_s << 4 << QList<int>{-1, -1, -1, -1, 0, -1, -1}
            << QByteArray("c7ec01");
        QTest::newRow("K230V: the TUNER row's format is kept")
            << u"K230V"_s << u"v2.05"_s << 9 << QList<int>{-1, -1, -1, -1, 2, -1, 0}
            << QByteArray("f21730");
    }
    void inputEdits()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, input);
        QFETCH(QList<int>, edit);
        QFETCH(QByteArray, record);
        Unit unit = Pattern(model, version);
        InputFields fields = InputFields::Load(unit.image, unit.flags);
        InputFields::Row& row = fields.rows[static_cast<std::size_t>(input)];
        int* const targets[] = {&row.digitalAudio, &row.trigger1,    &row.trigger2,  &row.video,
                                &row.videoFormat,  &row.analogAudio, &row.analogGain};
        for (int i = 0; i < edit.size(); ++i)
            if (edit[i] >= 0)
                *targets[i] = edit[i];
        fields.names[0] = u"IGNORED"_s;
        // Against an untouched store, which may rebuild the trigger bits.
        InputFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
        QByteArray expected = unit.image.BlockBytes();
        const int length = record.size() / 2;
        expected.replace(length * input, length, QByteArray::fromHex(record));
        fields.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    // Old firmware keeps the trigger sources in bits 0 and 1 of canonical 30.
    void triggerSources()
    {
        Unit old = Pattern(u"K220"_s, u"v1.23"_s);
        const int at = old.image.Position(SettingsField::TriggersAndRelay);
        old.image.SetByteAt(at, 0xA6);
        InputFields fields = InputFields::Load(old.image, old.flags);
        QCOMPARE(fields.trigger1Source, 0);
        QCOMPARE(fields.trigger2Source, 1);
        fields.trigger1Source = 1;
        fields.trigger2Source = 0;
        fields.Store(old.image, old.flags);
        QCOMPARE(old.image.ByteAt(at), 0xA5);
        // From v2.00 those bits are the auto trigger's: the Input page leaves them.
        Unit current = Pattern(u"K240"_s, u"v2.00"_s);
        fields.Store(current.image, current.flags);
        QCOMPARE(current.image.Byte(SettingsField::TriggersAndRelay), (30 * 37 + 11) & 0xFF);
    }

    void formatRefill_data()
    {
        QTest::addColumn<int>("video");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("items");
        QTest::addColumn<QList<int>>("list"); // items, enabled, selection
        QTest::newRow("DVD, none selected") << 1 << -1 << 2 << QList<int>{3, 1, 0};
        QTest::newRow("VCR keeps S-VIDEO") << 3 << 1 << 2 << QList<int>{3, 1, 1};
        QTest::newRow("VIDEO 4 drops COMPONENT") << 4 << 2 << 3 << QList<int>{2, 1, 0};
        QTest::newRow("VIDEO 6 keeps S-VIDEO") << 6 << 1 << 3 << QList<int>{2, 1, 1};
        QTest::newRow("OFF keeps list and selection") << 0 << 2 << 3 << QList<int>{3, 0, 2};
        QTest::newRow("out-of-range video like OFF") << 9 << -1 << 2 << QList<int>{2, 0, -1};
    }
    void formatRefill()
    {
        QFETCH(int, video);
        QFETCH(int, selection);
        QFETCH(int, items);
        const InputFields::FormatList list = InputFields::RefillFormat(video, selection, items);
        QTEST(QList<int>({list.items, int{list.enabled}, list.selection}), "list");
    }

    void names()
    {
        InputFields fields;
        fields.SetName(2, u"LASER  \t"_s);
        fields.SetName(2, u"   "_s);
        fields.SetName(10, u"X"_s);
        fields.SetName(-1, u"X"_s);
        QCOMPARE(fields.names[2], u"LASER"_s);
    }

    void advanced_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QByteArray>("bytes"); // hex: canonical 30, 31, 32, 37, the last byte
        // dsp, trigger, volume, relay, background, temporary OSD, EX, Dolby DR, DTS-ES, DTS DR
        QTest::addColumn<QList<int>>("loaded");
        QTest::addColumn<QList<int>>("edit"); // as loaded; -2 = leave
        QTest::addColumn<QByteArray>("stored");
        const QList<int> keep(10, -2);
        QTest::newRow("v1.10: no temporary OSD, byte 31 = background")
            << u"K230"_s << u"v1.10"_s << 0 << QByteArray("ff ff 06 ff d8")
            << QList<int>{1, 3, -1, 3, 1, 0, 1, 6, 1, -1}
            << QList<int>{0, 2, -2, 0, 0, -2, 0, -2, 0, -2} << QByteArray("fb 00 06 f8 d8");
        QTest::newRow("v1.23: the dynamic range byte is the Dolby index")
            << u"K220"_s << u"v1.23"_s << 0 << QByteArray("00 02 fe 00 00")
            << QList<int>{0, 0, -1, 0, 0, 1, 0, 254, 0, -1}
            << QList<int>{-2, -2, -2, -2, -2, -2, -2, 2, -2, -2} << QByteArray("00 02 02 00 00");
        QTest::newRow("v1.26: DTS bit, neighbours kept")
            << u"K240"_s << u"v1.26"_s << 0 << QByteArray("00 f3 f9 00 00")
            << QList<int>{0, 0, -1, 0, 1, 1, 0, 1, 0, 0}
            << QList<int>{-2, -2, -2, -2, -2, 0, -2, 2, -2, 1} << QByteArray("00 01 fe 00 00");
        QTest::newRow("v2.00: trigger and relay bits, neighbours kept, Fixed")
            << u"K240"_s << u"v2.00"_s << 0 << QByteArray("5f 00 00 f8 d8")
            << QList<int>{0, 3, 1, 3, 0, 0, 0, 0, 0, 0}
            << QList<int>{1, 2, 0, 1, -2, -2, 1, -2, 1, -2} << QByteArray("56 00 00 ff a5");
        QTest::newRow("v2.05: Fixed to Variable writes 0")
            << u"K110"_s << u"v2.05"_s << 0 << QByteArray("00 00 00 00 a5")
            << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
            << QList<int>{-2, -2, 1, -2, -2, -2, -2, -2, -2, -2} << QByteArray("00 00 00 00 00");
        QTest::newRow("v2.05: Variable keeps the zone volume")
            << u"K230V"_s << u"v2.05"_s << 0 << QByteArray("00 00 00 00 d8")
            << QList<int>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0} << keep << QByteArray("00 00 00 00 d8");
        QTest::newRow("v2.05 K220: Fixed")
            << u"K220"_s << u"v2.05"_s << 0 << QByteArray("00 00 00 00 ec")
            << QList<int>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}
            << QList<int>{-2, -2, 0, -2, -2, -2, -2, -2, -2, -2} << QByteArray("00 00 00 00 a5");
    }
    void advanced()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, preset);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, edit);
        QFETCH(QByteArray, stored);
        Unit unit = Pattern(model, version, preset);
        const int offsets[] = {30, 31, 32, 37, 65};
        const QByteArray in = QByteArray::fromHex(bytes);
        for (int i = 0; i < 5; ++i)
            QVERIFY(unit.image.SetByte(offsets[i], static_cast<std::uint8_t>(in[i])));
        const QByteArray before = unit.image.BlockBytes();

        AdvancedFields fields = AdvancedFields::Load(unit.image, unit.flags);
        int* const targets[] = {&fields.mainZoneDsp,    &fields.autoTrigger,
                                &fields.volumeControl,  &fields.relay,
                                &fields.background,     &fields.temporaryOsd,
                                &fields.surroundExMode, &fields.dolbyDynamicRange,
                                &fields.dtsEsMatrix,    &fields.dtsDynamicRange};
        QList<int> loaded;
        for (int* target : targets)
            loaded.append(*target);
        QTEST(loaded, "loaded");
        for (int i = 0; i < 10; ++i)
            if (edit[i] != -2)
                *targets[i] = edit[i];
        fields.Store(unit.image, unit.flags);

        QByteArray expected = before;
        const QByteArray out = QByteArray::fromHex(stored);
        for (int i = 0; i < 5; ++i)
            expected[unit.image.Position(offsets[i])] = out[i];
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    void presetName_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QByteArray>("stored");
        const QByteArray old = QByteArray("OLD NAME").leftJustified(13, '\0');
        QTest::newRow("v2.00 preset")
            << u"v2.00"_s << 2 << u"OLD NAME"_s << QByteArray("ABCDEFGHIJKLM");
        QTest::newRow("v1.26 preset: not loaded, not stored")
            << u"v1.26"_s << 2 << QString() << old;
        QTest::newRow("current setup") << u"v2.05"_s << 0 << QString() << old;
    }
    void presetName()
    {
        QFETCH(QString, version);
        QFETCH(int, preset);
        Unit unit = Pattern(u"K240"_s, version, preset);
        AdvancedFields fields = AdvancedFields::Load(unit.image, unit.flags);
        QTEST(fields.presetName, "loaded");
        fields.presetName = u"ABCDEFGHIJKLMNOPQ"_s;
        fields.Store(unit.image, unit.flags);
        QTEST(unit.image.NameBytes(), "stored");
    }

    void twoChannelMapping_data()
    {
        QTest::addColumn<bool>("plIIx");
        QTest::addColumn<int>("items");
        QTest::addColumn<QList<int>>("codes"); // of list indexes 0..items-1
        QTest::newRow("stereo") << false << 10 << QList<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("stereo PLIIx")
            << true << 12 << QList<int>{0, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13};
        QTest::newRow("Dolby 2-channel") << false << 4 << QList<int>{0, 2, 3, 4};
        QTest::newRow("Dolby 2-channel PLIIx") << true << 6 << QList<int>{0, 2, 3, 4, 6, 7};
    }
    void twoChannelMapping()
    {
        QFETCH(bool, plIIx);
        QFETCH(int, items);
        QFETCH(QList<int>, codes);
        for (int index = 0; index < items; ++index) {
            QCOMPARE(SurroundModeFields::TwoChannelCode(index, plIIx, items), codes[index]);
            QCOMPARE(SurroundModeFields::TwoChannelIndex(codes[index], plIIx, items), index);
        }
        QCOMPARE(SurroundModeFields::TwoChannelCode(items, plIIx, items), -1);
        QCOMPARE(SurroundModeFields::TwoChannelCode(-1, plIIx, items), -1);
        QCOMPARE(SurroundModeFields::TwoChannelIndex(codes.back() + 1, plIIx, items), -1);
        QCOMPARE(SurroundModeFields::TwoChannelIndex(-1, plIIx, items), -1);
    }

    // Codes the lists do not produce still open on an item (1 as Pro
    // Logic; 5 as Pro Logic II: Music with PLIIx) and, untouched, are kept.
    void surroundTable_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("input");
        QTest::addColumn<QByteArray>("loaded");  // table bytes 2i, 2i+1
        QTest::addColumn<QList<int>>("indexes"); // stereo, DTS, Dolby 2-channel, Dolby others
        QTest::addColumn<QList<int>>("edit");    // -2 = leave
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("code 1, out-of-range 15 and 3 kept")
            << u"K230"_s << u"v1.26"_s << 8 << QByteArray("f31f") << QList<int>{1, -1, -1, -1}
            << QList<int>{-2, -2, -2, -2} << QByteArray("f31f");
        QTest::newRow("a changed list writes its code")
            << u"K230"_s << u"v1.26"_s << 8 << QByteArray("f31f") << QList<int>{1, -1, -1, -1}
            << QList<int>{0, 1, 2, 0} << QByteArray("3001");
        QTest::newRow("PLIIx: code 5 kept, IIx Movie 6")
            << u"K240"_s << u"v2.05"_s << 0 << QByteArray("5280") << QList<int>{6, 0, 3, -1}
            << QList<int>{-2, -2, 4, -2} << QByteArray("6280");
        QTest::newRow("K220: Dolby others ES 1, 2")
            << u"K220"_s << u"v2.05"_s << 3 << QByteArray("7302") << QList<int>{0, -1, 5, 3}
            << QList<int>{-2, -2, -2, 2} << QByteArray("7202");
    }
    void surroundTable()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, input);
        QFETCH(QByteArray, loaded);
        QFETCH(QList<int>, edit);
        QFETCH(QByteArray, stored);
        Unit unit = Pattern(model, version, 4);
        const QByteArray in = QByteArray::fromHex(loaded);
        unit.image.SetTableByte(2 * input, static_cast<std::uint8_t>(in[0]));
        unit.image.SetTableByte(2 * input + 1, static_cast<std::uint8_t>(in[1]));
        QByteArray expected = unit.image.BlockAndTableBytes();
        expected.replace(unit.image.Size() + 2 * input, 2, QByteArray::fromHex(stored));

        SurroundModeFields fields = SurroundModeFields::Load(unit.image, unit.flags);
        SurroundModeFields::Row& row = fields.rows[static_cast<std::size_t>(input)];
        QTEST(QList<int>({row.stereo, row.dts, row.dolbyTwoChannel, row.dolbyOthers}), "indexes");
        int* const targets[] = {&row.stereo, &row.dts, &row.dolbyTwoChannel, &row.dolbyOthers};
        for (int i = 0; i < 4; ++i)
            if (edit[i] != -2)
                *targets[i] = edit[i];
        fields.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockAndTableBytes().toHex(' '), expected.toHex(' '));
    }
};

QTEST_GUILESS_MAIN(TestSetupFields)
#include "test_setup_fields.moc"
