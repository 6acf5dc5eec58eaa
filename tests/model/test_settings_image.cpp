#include "model/model_facts.h"
#include "model/settings_image.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// An image of the unit, its block (by default of the layout's size) all 0x5A.
SettingsImage Image(const char* model, const char* version, int size = 0)
{
    ModelFacts facts{QString::fromLatin1(model), QString::fromLatin1(version)};
    facts.blockSize = size > 0 ? size : facts.ImageOffset(SettingsField::FullLayoutEnd);
    SettingsImage image;
    image.Reset(facts);
    for (int i = 0; i < image.Size(); ++i)
        image.SetByteAt(i, 0x5A);
    return image;
}

} // namespace

class TestSettingsImage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Where each field lies for each model and firmware is the sim unit
    // test's comparison of the two layouts; these are the model's rules.
    void modelRules_data()
    {
        QTest::addColumn<QString>("model");
        // supported, model index, extended layout, speaker switching
        QTest::addColumn<QList<int>>("rules");
        QTest::newRow("K220") << "K220" << QList<int>{1, 1, 0, 1};
        QTest::newRow("k110, lower case") << "k110" << QList<int>{1, 2, 1, 0};
        QTest::newRow("K110X: family only") << "K110X" << QList<int>{0, 2, 1, 0};
        QTest::newRow("K2200 is no K220") << "K2200" << QList<int>{0, 2, 0, 1};
    }
    void modelRules()
    {
        QFETCH(QString, model);
        const ModelFacts facts{model, u"v2.05"_s};
        QTEST(QList<int>({facts.IsSupportedModel(), facts.ModelIndex(), facts.HasExtendedLayout(),
                          facts.HasSpeakerSwitching()}),
              "rules");
    }

    // A field is read and written at its position; one the unit lacks (-1)
    // not at all, though its offset would fall on a neighbour's byte.
    void placement_data()
    {
        QTest::addColumn<SettingsImage>("image");
        QTest::addColumn<int>("canonical");
        QTest::addColumn<int>("position");
        // size 0: the layout's own; pairs "canonical:position"
        const auto unit = [](const char* model, const char* version, int size, const char* pairs) {
            for (const QString& pair : QString::fromLatin1(pairs).split(u' ')) {
                const int canonical = pair.section(u':', 0, 0).toInt();
                QTest::addRow("%s %s S=%d, %d", model, version, size, canonical)
                    << Image(model, version, size) << canonical << pair.section(u':', 1, 1).toInt();
            }
        };
        unit("K220", "v1.20", 0, "5:-1 35:25 36:-1 37:26 39:-1");
        unit("K230", "v2.05", 50, "49:49 60:-1 65:49"); // shorter than the layout
        unit("K230", "v2.05", 96, "5:5 38:38 62:62 65:95 66:66 67:-1 -1:-1"); // sizes 1..96
        unit("K230", "v2.05", 97, "0:-1 66:-1");
    }
    void placement()
    {
        QFETCH(SettingsImage, image);
        QFETCH(int, canonical);
        QFETCH(int, position);
        QCOMPARE(image.Position(canonical), position);
        QByteArray expected = image.BlockBytes();
        if (position >= 0)
            expected[position] = '\xA7';
        QCOMPARE(image.SetByte(canonical, 0xA7), position >= 0);
        QCOMPARE(image.BlockBytes(), expected);
        QCOMPARE(image.Byte(canonical), position >= 0 ? 0xA7 : -1);
    }

    // An input record the block has no room for is neither written nor read
    // (where records lie is the settings files' golden round trip).
    void inputRecordOutsideBlock()
    {
        for (SettingsImage image : {Image("K230", "v2.05"), Image("K230", "v2.05", 29)}) {
            const int input = image.Size() == 29 ? 9 : 10; // record 9 needs bytes 27..29
            const QByteArray before = image.BlockBytes();
            QVERIFY(!image.SetInput(input, {1, 1, 1, 1, 1, 1, 1}));
            QCOMPARE(image.BlockBytes(), before);
            const SettingsImage::InputRecord r = image.Input(input);
            QCOMPARE(QList<int>({r.digitalSource, r.trigger1, r.trigger2, r.videoSource,
                                 r.analogSource, r.analogGain, r.videoFormat}),
                     QList<int>(7, -1));
        }
    }

    void fillFromLiveStatus_data()
    {
        QTest::addColumn<QList<int>>("live"); // main volume, main source, zone volume
        QTest::addColumn<QByteArray>("tail"); // bytes 63..66
        QTest::newRow("zone -61 is out; no source keeps 63")
            << QList<int>{-20, -1, -61} << QByteArray("5a265aec");
        QTest::newRow("zone -60 is in") << QList<int>{-20, 9, -60} << QByteArray("0a265ac4");
        QTest::newRow("zone 17 is in") << QList<int>{0, 3, 17} << QByteArray("04125a11");
        QTest::newRow("zone 18 is out") << QList<int>{30, 3, 18} << QByteArray("04f45aec");
    }
    void fillFromLiveStatus()
    {
        QFETCH(QList<int>, live);
        SettingsImage image = Image("K230", "v2.05");
        // The zone volume shares the last byte with its control, and wins.
        image.SetByte(SettingsField::ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
        image.FillFromLiveStatus(live[0], live[1], live[2]);
        QCOMPARE(image.BlockBytes().left(63), QByteArray(63, 0x5A));
        QTEST(image.BlockBytes().mid(63).toHex(), "tail");
    }
};

QTEST_GUILESS_MAIN(TestSettingsImage)
#include "test_settings_image.moc"
