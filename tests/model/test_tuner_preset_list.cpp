#include "model/tuner_preset_list.h"

#include <QTest>

#include <algorithm>

namespace {

using Image = TunerPresetList::Image;
constexpr int Am = TunerPresetList::AmSlotsStart;

Image EmptyImage()
{
    Image image;
    image.fill(0xFF);
    return image;
}

// Writes hex bytes into the image from `index` on.
void Put(Image& image, int index, const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    std::copy(bytes.cbegin(), bytes.cend(), image.begin() + index);
}

int FmSlot(int number)
{
    return TunerPresetList::FmSlotSize * (number - 1);
}

// "number:frequency:mute:name" per preset, for compact comparisons.
QStringList Texts(const TunerPresetList& list)
{
    QStringList texts;
    for (const FmPreset& p : list.FmPresets())
        texts << QStringLiteral("FM%1:%2:%3:%4")
                     .arg(p.number)
                     .arg(p.frequency)
                     .arg(p.mute)
                     .arg(p.name);
    for (const AmPreset& p : list.AmPresets())
        texts << QStringLiteral("AM%1:%2").arg(p.number).arg(p.frequency);
    return texts;
}

} // namespace

class TestTunerPresetList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void emptyImage();
    void names_data();
    void names();
    void bandEdges_data();
    void bandEdges();
    void capacity();
    void encoderSkipsBadRecords();
    void muteOnlyChange();
    void texts();
};

void TestTunerPresetList::roundTrip_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("lowAm"); // the band's first channel with this step
    QTest::addColumn<int>("lowAmWord");
    QTest::newRow("step 9") << 9 << 531 << 109;
    QTest::newRow("step 10") << 10 << 530 << 98;
}

// Image -> list -> image reproduces every occupied slot in the band.
void TestTunerPresetList::roundTrip()
{
    QFETCH(int, step);
    QFETCH(int, lowAm);
    QFETCH(int, lowAmWord);

    Image image = EmptyImage();
    Put(image, FmSlot(1), "07ac4a415a5a2020202000"); // 87.50 MHz "JAZZ", mute off
    Put(image, FmSlot(7),
        "08c80000000000000000"
        "05");                                        // 101.70 MHz, no name, mute byte 5
    Put(image, FmSlot(30), "0950414243444546474801"); // 108.50 MHz "ABCDEFGH"
    image[Am] = 0;
    image[Am + 1] = static_cast<std::uint8_t>(lowAmWord);
    Put(image, Am + 18, step == 9 ? "00f0" : "00d8"); // 1710 kHz

    const TunerPresetList list = TunerPresetList::Decode(image, step);
    QCOMPARE(list.AmStepSize(), step);
    QCOMPARE(Texts(list),
             QStringList({QStringLiteral("FM1:8750:0:JAZZ"), QStringLiteral("FM7:10170:5:"),
                          QStringLiteral("FM30:10850:1:ABCDEFGH"),
                          QStringLiteral("AM1:%1").arg(lowAm), QStringLiteral("AM10:1710")}));
    QCOMPARE(list.Encode(step), image);

    // A slot past the band (108.55 MHz) is dropped and comes back empty.
    Image withBad = image;
    Put(withBad, FmSlot(3), "0951424144202020202001");
    QCOMPARE(TunerPresetList::Decode(withBad, step).Encode(step), image);
}

void TestTunerPresetList::emptyImage()
{
    QCOMPARE(Texts(TunerPresetList::Decode(EmptyImage(), 9)), QStringList());
    QCOMPARE(TunerPresetList().Encode(10), EmptyImage());

    Image image = EmptyImage();
    image[Am + 1] = 0x62; // only the high byte marks an empty AM slot
    QCOMPARE(TunerPresetList::Decode(image, 10).AmCount(), 0);
    image[Am] = 0x00; // a step the unit cannot have decodes as 10 kHz
    QCOMPARE(Texts(TunerPresetList::Decode(image, 0)), QStringList{QStringLiteral("AM1:530")});
}

void TestTunerPresetList::names_data()
{
    QTest::addColumn<QByteArray>("nameBytes"); // bytes 2..9 of a slot as read
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QByteArray>("encoded"); // bytes 2..9 after a re-encode

    QTest::newRow("8 characters, no terminator")
        << QByteArray("ABCDEFGH") << "ABCDEFGH" << QByteArray("ABCDEFGH");
    QTest::newRow("3 characters, 5 spaces")
        << QByteArray("BBC     ") << "BBC" << QByteArray("BBC     ");
    QTest::newRow("0-padded comes back space-padded")
        << QByteArray("AB\0\0\0\0\0\0", 8) << "AB" << QByteArray("AB      ");
    QTest::newRow("first byte 0: no name") << QByteArray("\0XYZ    ", 8) << "" << QByteArray(8, 0);
    QTest::newRow("Latin-1 kept") << QByteArray("R\xC4"
                                                "DIO   ")
                                  << QStringLiteral(u"R\u00C4DIO")
                                  << QByteArray("R\xC4"
                                                "DIO   ");
}

void TestTunerPresetList::names()
{
    QFETCH(QByteArray, nameBytes);
    Image image = EmptyImage();
    Put(image, FmSlot(4), "07ac");
    std::copy(nameBytes.cbegin(), nameBytes.cend(), image.begin() + FmSlot(4) + 2);
    image[FmSlot(4) + 10] = 0;

    const TunerPresetList list = TunerPresetList::Decode(image, 10);
    QCOMPARE(list.FmCount(), 1);
    QTEST(list.FmPresets().at(0).name, "decoded");
    const Image encoded = list.Encode(10);
    QTEST(QByteArray(reinterpret_cast<const char*>(encoded.data()) + FmSlot(4) + 2, 8), "encoded");
}

void TestTunerPresetList::bandEdges_data()
{
    QTest::addColumn<bool>("fm");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<bool>("accepted");
    for (const auto& [f, ok] :
         {std::pair{8749, false}, {8750, true}, {10850, true}, {10851, false}})
        QTest::addRow("FM %d", f) << true << f << ok;
    for (const auto& [f, ok] : {std::pair{529, false}, {530, true}, {1710, true}, {1711, false}})
        QTest::addRow("AM %d", f) << false << f << ok;
}

// Adds and replaces apply the band test; a refused replace keeps the preset.
void TestTunerPresetList::bandEdges()
{
    QFETCH(bool, fm);
    QFETCH(int, frequency);
    QFETCH(bool, accepted);

    TunerPresetList list;
    QCOMPARE(fm ? list.AddFm(1, frequency, 0, QString()) : list.AddAm(1, frequency), accepted);
    QVERIFY(fm ? list.AddFm(2, 9000, 0, QString()) : list.AddAm(2, 1000));
    const int last = (fm ? list.FmCount() : list.AmCount()) - 1;
    QCOMPARE(fm ? list.ReplaceFm(last, {2, frequency, 0, {}})
                : list.ReplaceAm(last, {2, frequency}),
             accepted);
    QCOMPARE(fm ? list.FmPresets().at(last).frequency : list.AmPresets().at(last).frequency,
             accepted ? frequency : (fm ? 9000 : 1000));
}

void TestTunerPresetList::capacity()
{
    TunerPresetList list;
    for (int n = 1; n <= TunerPresetList::FmCapacity; ++n)
        QVERIFY(list.AddFm(n, 8750 + 5 * n, 0, QString()));
    for (int n = 1; n <= TunerPresetList::AmCapacity; ++n)
        QVERIFY(list.AddAm(n, 530 + 10 * n));
    QVERIFY(!list.AddFm(31, 9000, 0, QString()));
    QVERIFY(!list.AddAm(11, 1000));
    QCOMPARE(list.FmCount(), 30);
    QCOMPARE(list.AmCount(), 10);

    QVERIFY(!list.RemoveFm(30));
    QVERIFY(list.RemoveFm(0));
    QVERIFY(list.AddFm(1, 9000, 0, QStringLiteral("  PADDED\t")));
    QCOMPARE(list.FmPresets().last().name, QStringLiteral("PADDED"));
}

void TestTunerPresetList::encoderSkipsBadRecords()
{
    TunerPresetList list;
    for (int number : {0, 31, -1})
        list.AddFm(number, 9000, 0, QString());
    list.AddFm(5, 9000, 0, QStringLiteral("FIRST"));
    list.AddFm(5, 9500, 1, QStringLiteral("SECOND"));
    list.AddFm(6, 8750, 1, QStringLiteral("NINE CHAR")); // too long: no name
    for (int number : {0, 11, 3})
        list.AddAm(number, 600);
    list.AddAm(3, 700);

    Image expected = EmptyImage();
    Put(expected, FmSlot(5),
        "07de4649525354202020"
        "00"); // (9000 + 1070) / 5
    Put(expected, FmSlot(6),
        "07ac0000000000000000"
        "01");
    Put(expected, Am + 4, "0069"); // (600 + 450) / 10
    QCOMPARE(list.Encode(10), expected);
}

void TestTunerPresetList::muteOnlyChange()
{
    TunerPresetList list;
    list.AddFm(3, 10170, 0, QStringLiteral("ROCK"));
    list.AddFm(12, 9410, 1, QStringLiteral("NEWS"));
    Image expected = list.Encode(9);

    FmPreset changed = list.FmPresets().at(1);
    changed.mute = 0;
    QVERIFY(list.ReplaceFm(1, changed));
    QCOMPARE(int{expected[FmSlot(12) + 10]}, 1);
    expected[FmSlot(12) + 10] = 0;
    QCOMPARE(list.Encode(9), expected);
}

void TestTunerPresetList::texts()
{
    QCOMPARE(TunerPresetList::FmFrequencyText(8750), QStringLiteral("87.50 MHz"));
    QCOMPARE(TunerPresetList::FmFrequencyText(8805), QStringLiteral("88.05 MHz"));
    QCOMPARE(TunerPresetList::FmFrequencyText(10850), QStringLiteral("108.50 MHz"));
    QCOMPARE(TunerPresetList::AmFrequencyText(1000), QStringLiteral("1000 kHz"));
    QCOMPARE(TunerPresetList::PresetText(0), QStringLiteral("--"));
    QCOMPARE(TunerPresetList::PresetText(12), QStringLiteral("12"));
    QCOMPARE(TunerPresetList::DefaultAmFrequency(9), 531);
    QCOMPARE(TunerPresetList::DefaultAmFrequency(10), 530);
    QCOMPARE(TunerPresetList::ImageIndexOf(31), -1);
    QCOMPARE(TunerPresetList::ImageIndexOf(381), 349);
    QCOMPARE(TunerPresetList::ImageIndexOf(382), -1);

    TunerPresetList list;
    list.AddFm(3, 9000, 0, QStringLiteral("A"));
    list.AddFm(1, 9000, 0, QStringLiteral("B"));
    list.AddFm(3, 9000, 0, QStringLiteral("C"));
    list.Sort(); // equal numbers keep their order
    QCOMPARE(Texts(list),
             QStringList({QStringLiteral("FM1:9000:0:B"), QStringLiteral("FM3:9000:0:A"),
                          QStringLiteral("FM3:9000:0:C")}));
    QCOMPARE(list.AmStepSize(), 10);
    QVERIFY(!list.SetAmStepSize(0));
}

QTEST_GUILESS_MAIN(TestTunerPresetList)
#include "test_tuner_preset_list.moc"
