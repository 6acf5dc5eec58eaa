#include "model/settings_image.h"

#include <QTest>

Q_DECLARE_METATYPE(BitField)

namespace {

// An image of the given unit, its block (by default of the layout's own size)
// filled with `fill`.
SettingsImage Image(const QByteArray& model, const QByteArray& version, int size = 0,
                    int fill = 0x5A)
{
    ModelFacts facts;
    facts.modelText = QString::fromLatin1(model);
    facts.versionText = QString::fromLatin1(version);
    facts.blockSize = size > 0 ? size : facts.ImageOffset(SettingsField::FullLayoutEnd);
    SettingsImage image;
    image.Reset(facts);
    for (int i = 0; i < image.Size(); ++i)
        image.SetByteAt(i, fill);
    return image;
}

QList<int> Fields(const SettingsImage::InputRecord& r)
{
    return {r.digitalSource, r.trigger1,   r.trigger2,   r.videoSource,
            r.analogSource,  r.analogGain, r.videoFormat};
}

} // namespace

class TestSettingsImage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blockSizes_data();
    void blockSizes();
    void bitFields_data();
    void bitFields();
    void placement_data();
    void placement();
    void inputRecords_data();
    void inputRecords();
    void surroundTable();
    void presetName_data();
    void presetName();
    void fillFromLiveStatus_data();
    void fillFromLiveStatus();
};

void TestSettingsImage::blockSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");
    for (int size : {-1, 0, 1, 29, 30, 67, 96, 97, 127})
        QTest::addRow("%d", size) << size << (size >= 1 && size <= 96);
}

void TestSettingsImage::blockSizes()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);
    QCOMPARE(SettingsImage::IsAcceptableBlockSize(size), accepted);

    SettingsImage image = Image("K230", "v2.05");
    ModelFacts facts = image.Facts();
    facts.blockSize = size;
    QCOMPARE(image.Reset(facts), accepted);
    for (int i = 0; i < image.Size(); ++i)
        image.SetByteAt(i, 0x5A);
    const int held = accepted ? size : 0;
    QCOMPARE(image.Size(), held);
    QCOMPARE(image.BlockAndTableBytes().size(), held + SettingsImage::SurroundTableSize);
    QCOMPARE(image.ByteAt(held), -1);
    QCOMPARE(image.ByteAt(-1), -1);
    QCOMPARE(image.SetByteAt(held, 1), false);
    // Input record 9 needs bytes 27..29.
    QCOMPARE(image.Input(9).digitalSource, held >= 30 ? 0xA : -1);
}

void TestSettingsImage::bitFields_data()
{
    QTest::addColumn<BitField>("field");
    QTest::addColumn<int>("canonical");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    using namespace SettingsBits;
    QTest::newRow("auto trigger") << AutoTrigger << 30 << 2 << 0xFF << 0xFE;
    QTest::newRow("auto trigger, cut to width") << AutoTrigger << 30 << 7 << 0x00 << 0x03;
    QTest::newRow("zone relay") << ZoneRelay << 30 << 1 << 0xFF << 0xF7;
    QTest::newRow("old trigger 1 source") << OldTrigger1Source << 30 << 1 << 0x00 << 0x01;
    QTest::newRow("old trigger 2 source") << OldTrigger2Source << 30 << 0 << 0xFF << 0xFD;
    QTest::newRow("old auto trigger") << OldAutoTrigger << 30 << 2 << 0x00 << 0x08;
    QTest::newRow("old zone relay") << OldZoneRelay << 30 << 2 << 0xFF << 0xEF;
    QTest::newRow("OSD background") << OsdBackground << 31 << 0 << 0xFF << 0xFE;
    QTest::newRow("temporary OSD") << TemporaryOsd << 31 << 1 << 0x00 << 0x02;
    QTest::newRow("Dolby dynamic range") << DolbyDynamicRange << 32 << 1 << 0xFF << 0xFD;
    QTest::newRow("DTS dynamic range") << DtsDynamicRange << 32 << 1 << 0x03 << 0x07;
    QTest::newRow("DTS-ES matrix") << DtsEsMatrix << 37 << 1 << 0x00 << 0x01;
    QTest::newRow("Dolby EX mode") << DolbyExMode << 37 << 0 << 0xFF << 0xFD;
    QTest::newRow("main/zone DSP") << MainZoneDsp << 37 << 1 << 0x00 << 0x04;
    QTest::newRow("subwoofer on") << SubwooferOn << 45 << 0 << 0x0B << 0x0A;
    QTest::newRow("enhanced bass") << EnhancedBass << 45 << 1 << 0x00 << 0x02;
    QTest::newRow("crossover 80 Hz") << Crossover << 45 << 2 << 0x03 << 0x0B;
    QTest::newRow("crossover 200 Hz") << Crossover << 45 << 6 << 0xFF << 0xFB;
    QTest::newRow("old crossover") << OldCrossover << 45 << 5 << 0x01 << 0x0B;
    QTest::newRow("speakers A") << SpeakersA << 62 << 1 << 0x00 << 0x01;
    QTest::newRow("speakers B") << SpeakersB << 62 << 0 << 0xFF << 0xFD;
    QTest::newRow("ES1 front, back") << EnhancedStereoChannels1 << 38 << 0x9 << 0xF6 << 0xF9;
    QTest::newRow("ES2 all") << EnhancedStereoChannels2 << 39 << 0xF << 0x00 << 0x0F;
}

// Writes one bit field into a block of 0x5A bytes: only its bits change.
void TestSettingsImage::bitFields()
{
    QFETCH(BitField, field);
    QFETCH(int, canonical);
    QFETCH(int, value);
    QFETCH(int, before);
    QFETCH(int, after);
    QCOMPARE(field.canonical, canonical);

    SettingsImage image = Image("K240", "v2.05");
    QVERIFY(image.SetByte(canonical, before));
    QByteArray expected = image.BlockBytes();
    expected[canonical] = static_cast<char>(after);
    QVERIFY(image.SetBits(field, value));
    QCOMPARE(image.BlockBytes(), expected);
    QCOMPARE(image.Bits(field), value & ((1 << field.width) - 1));
}

void TestSettingsImage::placement_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("size"); // 0: the layout's own size
    QTest::addColumn<int>("canonical");
    QTest::addColumn<int>("position"); // -1: absent

    // Per unit: "canonical:position" pairs; size 0 is the layout's own.
    const struct
    {
        const char* model;
        const char* version;
        int size;
        const char* pairs;
    } units[] = {
        {"K240", "v2.05", 0, "5:5 38:38 62:62 65:66 66:66 67:-1 -1:-1"},
        {"K230", "v1.26", 0, "37:37 38:-1 39:-1 40:38"},
        {"K110", "v2.05", 0, "61:61 62:-1 63:62 64:63 66:65"},
        {"K220", "v2.05", 0, "5:-1 30:20 38:28 62:52 66:56"},
        {"K220", "v1.23", 0, "36:26 38:-1 40:28"},
        {"K220", "v1.20", 0, "35:25 36:-1 37:26 39:-1 40:27"},
        {"K230", "v2.05", 50, "49:49 60:-1 65:49"}, // a block shorter than the layout
    };
    for (const auto& unit : units) {
        for (const QString& pair : QString::fromLatin1(unit.pairs).split(u' ')) {
            const int canonical = pair.section(u':', 0, 0).toInt();
            QTest::addRow("%s %s S=%d, %d", unit.model, unit.version, unit.size, canonical)
                << QByteArray(unit.model) << QByteArray(unit.version) << unit.size << canonical
                << pair.section(u':', 1, 1).toInt();
        }
    }
}

// A field is read and written at its position; an absent one not at all.
void TestSettingsImage::placement()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, version);
    QFETCH(int, size);
    QFETCH(int, canonical);
    QFETCH(int, position);

    SettingsImage image = Image(model, version, size, 0);
    QCOMPARE(image.Position(canonical), position);
    QByteArray expected = image.BlockBytes();
    if (position >= 0)
        expected[position] = '\xA7';
    QCOMPARE(image.SetByte(canonical, 0xA7), position >= 0);
    QCOMPARE(image.SetBits({canonical, 0, 1}, 1), position >= 0);
    QCOMPARE(image.BlockBytes(), expected);
    QCOMPARE(image.Bits({canonical, 4, 4}), position >= 0 ? 0xA : -1);
}

void TestSettingsImage::inputRecords_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("before"); // hex
    // digital, trigger 1, trigger 2, video, analog, gain, format
    QTest::addColumn<QList<int>>("written");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QList<int>>("read");

    QTest::newRow("extended, trigger codes")
        << QByteArray("K230V") << QByteArray("v2.05") << 3 << 9 << QByteArray("000000")
        << QList<int>{5, 2, 3, 4, 10, 8, 2} << QByteArray("e5a428")
        << QList<int>{5, 2, 3, 4, 10, 8, 2};
    QTest::newRow("extended, -1 keeps nibbles")
        << QByteArray("K240") << QByteArray("v2.05") << 9 << 27 << QByteArray("9c73b7")
        << QList<int>{-1, 3, -1, 2, -1, 3, -1} << QByteArray("bc72b3")
        << QList<int>{12, 3, 2, 2, 7, 3, 11};
    QTest::newRow("extended, old firmware flags")
        << QByteArray("K230") << QByteArray("v1.26") << 0 << 0 << QByteArray("ffffff")
        << QList<int>{1, 0, 1, 0, 0, 4, 0} << QByteArray("210004")
        << QList<int>{1, 0, 1, 0, 0, 4, 0};
    QTest::newRow("K220 two-byte record")
        << QByteArray("K220") << QByteArray("v2.05") << 9 << 18 << QByteArray("c000")
        << QList<int>{6, 1, 3, 3, 7, 5, 1} << QByteArray("3673")
        << QList<int>{6, 1, 1, 3, 7, -1, -1};
    QTest::newRow("K220 trigger 2 only")
        << QByteArray("K220") << QByteArray("v1.20") << 1 << 2 << QByteArray("1f55")
        << QList<int>{-1, 0, 1, -1, -1, -1, -1} << QByteArray("2f55")
        << QList<int>{15, 0, 1, 5, 5, -1, -1};
    const QList<int> any{1, 1, 1, 1, 1, 1, 1};
    const QList<int> none(7, -1);
    QTest::newRow("input 10") << QByteArray("K230") << QByteArray("v2.05") << 10 << -1
                              << QByteArray() << any << QByteArray() << none;
    QTest::newRow("input -1") << QByteArray("K220") << QByteArray("v2.05") << -1 << -1
                              << QByteArray() << any << QByteArray() << none;
}

void TestSettingsImage::inputRecords()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, version);
    QFETCH(int, input);
    QFETCH(int, position);
    QFETCH(QByteArray, before);
    QFETCH(QList<int>, written);
    QFETCH(QByteArray, after);

    SettingsImage image = Image(model, version);
    before = QByteArray::fromHex(before);
    for (int i = 0; i < before.size(); ++i)
        image.SetByteAt(position + i, static_cast<std::uint8_t>(before[i]));
    QByteArray expected = image.BlockBytes();
    if (position >= 0)
        expected.replace(position, before.size(), QByteArray::fromHex(after));

    const SettingsImage::InputRecord r{written[0], written[1], written[2], written[3],
                                       written[4], written[5], written[6]};
    QCOMPARE(image.SetInput(input, r), position >= 0);
    QCOMPARE(image.BlockBytes(), expected);
    QTEST(Fields(image.Input(input)), "read");
}

void TestSettingsImage::surroundTable()
{
    SettingsImage image = Image("K240", "v2.05");
    for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
        image.SetTableByte(i, 0x5A);

    QVERIFY(image.SetSurround(4, {0xC, 1, 6, 3}));
    QVERIFY(image.SetSurround(9, {-1, 2, -1, -1})); // -1 keeps a nibble
    QVERIFY(!image.SetSurround(10, {0, 0, 0, 0}));
    QByteArray expected(SettingsImage::SurroundTableSize, '\x5A');
    expected[8] = '\x63';
    expected[9] = '\xC1';
    expected[19] = '\x52';
    QCOMPARE(image.BlockAndTableBytes().mid(image.Size()), expected);

    const SettingsImage::SurroundModes m = image.Surround(4);
    QCOMPARE(QList<int>({m.stereo, m.dts, m.dolbyTwoChannel, m.dolbyOthers}),
             QList<int>({0xC, 1, 6, 3}));
    QCOMPARE(image.Surround(-1).stereo, -1);
    QCOMPARE(image.TableByte(20), -1);
}

void TestSettingsImage::presetName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("13 characters")
        << "MOVIE NIGHT 1" << QByteArray("MOVIE NIGHT 1") << "MOVIE NIGHT 1";
    QTest::newRow("longer is cut")
        << "ABCDEFGHIJKLMNOP" << QByteArray("ABCDEFGHIJKLM") << "ABCDEFGHIJKLM";
    QTest::newRow("short, 0-padded")
        << "JAZZ" << QByteArray("JAZZ").leftJustified(13, '\0') << "JAZZ";
    QTest::newRow("outside Latin-1")
        << QStringLiteral(u"CAF\u00C9 \u263A") << QByteArray("CAF\xC9 ?").leftJustified(13, '\0')
        << QStringLiteral(u"CAF\u00C9 ?");
}

void TestSettingsImage::presetName()
{
    QFETCH(QString, name);
    SettingsImage image = Image("K230", "v2.05");
    image.SetPresetName(QStringLiteral("XXXXXXXXXXXXX")); // a shorter name clears the tail
    image.SetPresetName(name);
    QTEST(image.NameBytes(), "bytes");
    QTEST(image.PresetName(), "readBack");
}

void TestSettingsImage::fillFromLiveStatus_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<int>("size");             // 0: the layout's own size
    QTest::addColumn<QList<int>>("live");      // main volume, main source, zone volume
    QTest::addColumn<QList<int>>("positions"); // of canonical 63, 64, 66
    QTest::addColumn<QList<int>>("bytes");

    const QList<int> full{63, 64, 66};
    QTest::newRow("zone -61 is out")
        << QByteArray("K230") << 0 << QList<int>{-20, 0, -61} << full << QList<int>{1, 38, 236};
    QTest::newRow("zone -60 is in")
        << QByteArray("K230") << 0 << QList<int>{-20, 9, -60} << full << QList<int>{10, 38, 0xC4};
    QTest::newRow("zone 17 is in")
        << QByteArray("K240") << 0 << QList<int>{0, 3, 17} << full << QList<int>{4, 18, 17};
    QTest::newRow("zone 18 is out")
        << QByteArray("K240") << 0 << QList<int>{30, 3, 18} << full << QList<int>{4, 0xF4, 236};
    QTest::newRow("no main source keeps 63")
        << QByteArray("K230") << 0 << QList<int>{-60, -1, 0} << full << QList<int>{0x5A, 78, 0};
    QTest::newRow("K110 positions") << QByteArray("K110") << 0 << QList<int>{-35, 5, -40}
                                    << QList<int>{62, 63, 65} << QList<int>{6, 53, 0xD8};
    // A block longer than the layout: only the zone volume is filled, not
    // the zone volume control, which is then a byte of its own.
    QTest::newRow("separate last byte")
        << QByteArray("K230") << 70 << QList<int>{-20, 0, 5} << full << QList<int>{1, 38, 5};
}

void TestSettingsImage::fillFromLiveStatus()
{
    QFETCH(QByteArray, model);
    QFETCH(int, size);
    QFETCH(QList<int>, live);
    QFETCH(QList<int>, positions);
    QFETCH(QList<int>, bytes);

    SettingsImage image = Image(model, "v2.05", size);
    // Where the zone volume shares the last byte with its control, it wins.
    image.SetByte(SettingsField::ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
    QByteArray expected = image.BlockBytes();
    for (int i = 0; i < positions.size(); ++i)
        expected[positions[i]] = static_cast<char>(bytes[i]);
    image.FillFromLiveStatus(live[0], live[1], live[2]);
    QCOMPARE(image.BlockBytes(), expected);
}

QTEST_GUILESS_MAIN(TestSettingsImage)
#include "test_settings_image.moc"
