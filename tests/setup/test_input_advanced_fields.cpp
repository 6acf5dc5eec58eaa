#include "model/settings_image.h"
#include "setup/advanced_fields.h"
#include "setup/input_fields.h"
#include "setup/surround_mode_fields.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Unit
{
    SettingsImage image;
    SetupFlags flags;
};

// A unit's image of the layout's size, every block and table byte a
// different value, so a write to a wrong byte or bit shows.
Unit MakeUnit(const char* model, const char* version, int preset = 0)
{
    ModelFacts facts{QString::fromLatin1(model), QString::fromLatin1(version)};
    facts.blockSize = facts.ImageOffset(SettingsField::FullLayoutEnd);
    Unit unit;
    unit.image.Reset(facts);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, (i * 37 + 11) & 0xFF);
    for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
        unit.image.SetTableByte(i, (i * 53 + 7) & 0xFF);
    unit.image.SetPresetName(u"OLD NAME"_s);
    unit.flags = SetupFlags::For(facts, preset);
    return unit;
}

const char* const Models[] = {"K110", "K220", "K230", "K240V"};
const char* const Versions[] = {"v1.10", "v1.20", "v1.23", "v1.26", "v2.00", "v2.05"};

} // namespace

class TestInputAdvancedFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every model and firmware: loading and storing untouched records leaves
    // the block, table and name as they were, out-of-range codes included.
    // The one rebuild: input triggers stored as flags clear bits 6-7.
    void untouchedRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        for (const char* model : Models)
            for (const char* version : Versions)
                QTest::addRow("%s %s", model, version) << model << version;
    }
    void untouchedRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        for (int preset : {0, 3}) {
            Unit unit = MakeUnit(model.toLatin1(), version.toLatin1(), preset);
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
        Unit unit = MakeUnit(model.toLatin1(), version.toLatin1());
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
        Unit old = MakeUnit("K220", "v1.23");
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
        Unit current = MakeUnit("K240", "v2.00");
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
        Unit unit = MakeUnit(model.toLatin1(), version.toLatin1(), preset);
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
        Unit unit = MakeUnit("K240", version.toLatin1(), preset);
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
        Unit unit = MakeUnit(model.toLatin1(), version.toLatin1(), 4);
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

QTEST_GUILESS_MAIN(TestInputAdvancedFields)
#include "test_input_advanced_fields.moc"
