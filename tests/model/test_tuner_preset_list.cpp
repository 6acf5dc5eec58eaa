#include "model/tuner_preset_list.h"

#include <QTest>

#include <algorithm>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

// Slot offsets in the 350-byte image: FM preset n at 11·(n - 1), AM preset n
// at 330 + 2·(n - 1).
namespace {

using Image = TunerPresetList::Image;

Image EmptyImage()
{
    Image image;
    image.fill(0xFF);
    return image;
}

// Writes hex bytes (spaces ignored) into the image from `index` on.
void Put(Image& image, int index, const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    std::copy(bytes.cbegin(), bytes.cend(), image.begin() + index);
}

// "FMnumber:frequency:mute:name" and "AMnumber:frequency" per preset.
QStringList Texts(const TunerPresetList& list)
{
    QStringList texts;
    for (const FmPreset& p : list.FmPresets())
        texts << QString::asprintf("FM%d:%d:%d:", p.number, p.frequency, p.mute) + p.name;
    for (const AmPreset& p : list.AmPresets())
        texts << QString::asprintf("AM%d:%d", p.number, p.frequency);
    return texts;
}

} // namespace

class TestTunerPresetList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Image -> list -> image reproduces every occupied slot in the band, with
    // either AM step; 531 and 530 kHz are the band's first channel for it.
    void roundTrip_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("amSlots"); // 1 (531 or 530 kHz), 2..9 empty, 10 (1710 kHz)
        QTest::newRow("step 9") << 9 << QByteArray("006d ffffffffffffffffffffffffffffffff 00f0");
        QTest::newRow("step 10") << 10 << QByteArray("0062 ffffffffffffffffffffffffffffffff 00d8");
    }
    void roundTrip()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, amSlots);
        Image image = EmptyImage();
        Put(image, 0, "07ac 4242432020202020 00");   // 87.50 MHz "BBC", mute off
        Put(image, 66, "08c8 0000000000000000 05");  // 101.70 MHz, no name, mute byte 5
        Put(image, 319, "0950 4142434445464748 01"); // 108.50 MHz "ABCDEFGH", no terminator
        Put(image, 330, amSlots);

        const TunerPresetList list = TunerPresetList::Decode(image, step);
        QCOMPARE(list.AmStepSize(), step);
        QCOMPARE(Texts(list),
                 QStringList({u"FM1:8750:0:BBC"_s, u"FM7:10170:5:"_s, u"FM30:10850:1:ABCDEFGH"_s,
                              u"AM1:%1"_s.arg(step == 9 ? 531 : 530), u"AM10:1710"_s}));
        QCOMPARE(list.Encode(step), image);

        // A name padded with 0 bytes reads the same and comes back space-padded.
        Image zeroPadded = image;
        Put(zeroPadded, 2, "4242430000000000");
        QCOMPARE(TunerPresetList::Decode(zeroPadded, step).Encode(step), image);
        // A slot past the band (108.55 MHz) is dropped and comes back empty.
        Image withBad = image;
        Put(withBad, 22, "0951 4142414420202020 01");
        QCOMPARE(TunerPresetList::Decode(withBad, step).Encode(step), image);

        QCOMPARE(Texts(TunerPresetList::Decode(EmptyImage(), step)), QStringList());
        QCOMPARE(TunerPresetList().Encode(step), EmptyImage());
    }

    // Adds and replaces take only frequencies in the band; a refused one keeps the preset.
    void bandEdges()
    {
        for (const auto& [fm, am, ok] : {std::tuple{8749, 529, false},
                                         {8750, 530, true},
                                         {10850, 1710, true},
                                         {10851, 1711, false}}) {
            TunerPresetList list;
            QVERIFY(list.AddFm(2, 9000, 0, QString()) && list.AddAm(2, 1000));
            QCOMPARE(list.ReplaceFm(0, {2, fm, 0, {}}), ok);
            QCOMPARE(list.ReplaceAm(0, {2, am}), ok);
            QCOMPARE(list.FmPresets().at(0).frequency, ok ? fm : 9000);
            QCOMPARE(list.AmPresets().at(0).frequency, ok ? am : 1000);
            QCOMPARE(list.AddFm(1, fm, 0, QString()), ok);
            QCOMPARE(list.AddAm(1, am), ok);
        }
        // Snapped to the unit's channels, values by the edges stay in the band.
        TunerPresetList edges;
        edges.SetAmStepSize(9);
        QVERIFY(edges.AddFm(1, 10849, 0, {}) && edges.AddAm(1, 530));
        QCOMPARE(edges.SnapToUnit(), 2);
        QCOMPARE(Texts(edges), QStringList({u"FM1:10850:0:"_s, u"AM1:531"_s}));
        QCOMPARE(edges.SnapToUnit(), 0);
    }

    // Numbers outside the band's range and repeats of a number are skipped;
    // a name too long for the slot keeps its first 8 characters; names are trimmed.
    void encoderSkipsBadRecords()
    {
        TunerPresetList list;
        for (int number : {0, 31, -1})
            list.AddFm(number, 9000, 0, QString());
        list.AddFm(5, 9000, 0, u"FIRST"_s);
        list.AddFm(5, 9500, 1, u"SECOND"_s);
        list.AddFm(6, 8750, 1, u"NINE CHAR"_s);
        list.AddFm(7, 8750, 0, u" \tPAD  "_s);
        for (int number : {0, 11, 3})
            list.AddAm(number, 600);
        list.AddAm(3, 700);

        Image expected = EmptyImage();
        Put(expected, 44, "07de 4649525354202020 00"); // (9000 + 1070) / 5
        Put(expected, 55, "07ac 4e494e4520434841 01"); // "NINE CHA"
        Put(expected, 66, "07ac 5041442020202020 00");
        Put(expected, 334, "0069"); // (600 + 450) / 10
        QCOMPARE(list.Encode(10), expected);
    }
};

QTEST_GUILESS_MAIN(TestTunerPresetList)
#include "test_tuner_preset_list.moc"
