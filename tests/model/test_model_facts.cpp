#include "model/model_facts.h"

#include <QTest>

namespace {

ModelFacts Facts(const QString& model, const QString& version, int blockSize = -1)
{
    ModelFacts facts;
    facts.modelText = model;
    facts.versionText = version;
    facts.blockSize = blockSize;
    return facts;
}

} // namespace

class TestModelFacts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionBelow_data();
    void versionBelow();
    void modelRules_data();
    void modelRules();
    void imageOffset_data();
    void imageOffset();
    void decodeBlockSize_data();
    void decodeBlockSize();
};

void TestModelFacts::versionBelow_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("below");

    QTest::newRow("equal is not below") << "v2.00"
                                        << "v2.00" << false;
    QTest::newRow("v1.99 below v2.00") << "v1.99"
                                       << "v2.00" << true;
    QTest::newRow("v2.05 not below v2.00") << "v2.05"
                                           << "v2.00" << false;
    QTest::newRow("v1.20 below v1.23") << "v1.20"
                                       << "v1.23" << true;
    QTest::newRow("v1.26 not below v1.23") << "v1.26"
                                           << "v1.23" << false;
    QTest::newRow("empty below v1.23") << ""
                                       << "v1.23" << true;
    QTest::newRow("empty below v2.05") << ""
                                       << "v2.05" << true;
    QTest::newRow("case ignored, equal") << "V2.00"
                                         << "v2.00" << false;
    QTest::newRow("case ignored, below") << "V1.99"
                                         << "v2.00" << true;
}

void TestModelFacts::versionBelow()
{
    QFETCH(QString, version);
    QFETCH(QString, reference);
    QFETCH(bool, below);
    QCOMPARE(ModelFacts::VersionBelow(version, reference), below);
    QCOMPARE(Facts(QStringLiteral("K230"), version).VersionBelow(reference), below);
}

void TestModelFacts::modelRules_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("supported");
    QTest::addColumn<int>("modelIndex");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("speakerSwitching");

    QTest::newRow("K220") << "K220" << true << 1 << false << true;
    QTest::newRow("k220 lower case") << "k220" << true << 1 << false << true;
    QTest::newRow("K110") << "K110" << true << 2 << true << false;
    QTest::newRow("K110V") << "K110V" << true << 2 << true << false;
    QTest::newRow("K110X: family only") << "K110X" << false << 2 << true << false;
    QTest::newRow("K230") << "K230" << true << 2 << true << true;
    QTest::newRow("K230V") << "K230V" << true << 2 << true << true;
    QTest::newRow("k240v lower case") << "k240v" << true << 2 << true << true;
    QTest::newRow("K2200 is no K220") << "K2200" << false << 2 << false << true;
    QTest::newRow("K22 too short") << "K22" << false << 2 << false << true;
    QTest::newRow("unknown") << "AVR9" << false << 2 << false << true;
    QTest::newRow("empty") << "" << false << 2 << false << true;
}

void TestModelFacts::modelRules()
{
    QFETCH(QString, model);
    const ModelFacts facts = Facts(model, QStringLiteral("v2.05"));
    QTEST(facts.IsSupportedModel(), "supported");
    QTEST(facts.ModelIndex(), "modelIndex");
    QTEST(facts.HasExtendedLayout(), "extended");
    QTEST(facts.HasSpeakerSwitching(), "speakerSwitching");
}

void TestModelFacts::imageOffset_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("rawBlockSize"); // as read from EEPROM
    QTest::addColumn<int>("canonical");
    QTest::addColumn<int>("position");

    // Per unit: "canonical:position" pairs.
    const struct
    {
        const char* model;
        const char* version;
        int raw;
        const char* pairs;
    } units[] = {
        {"K230", "v2.05", 67, "0:0 29:29 30:30 36:36 38:38 40:40 62:62 63:63 65:66 66:66 67:67"},
        {"K240", "v2.00", 0, "40:40 65:66 67:67"},
        {"K110", "v2.05", 66, "29:29 61:61 62:61 63:62 64:63 65:65 66:65 67:66"},
        {"K110", "v2.05", 0, "65:66"},
        {"K230", "v1.20", 64, "35:35 36:35 38:35 40:37 67:64"},
        {"K220", "v2.05", 57, "29:29 30:20 36:26 38:28 40:30 62:52 63:53 65:56 67:57"},
        {"K220", "v1.23", 55, "36:26 37:27 38:26 40:28 62:50 67:55"},
        {"K220", "v1.20", 54, "29:29 30:20 35:25 36:25 37:26 40:27 62:49 65:53 67:54"},
        {"K220", "v1.20", 0, "65:66"},
    };
    for (const auto& unit : units) {
        for (const QString& pair : QString::fromLatin1(unit.pairs).split(u' ')) {
            const int canonical = pair.section(u':', 0, 0).toInt();
            QTest::addRow("%s %s S=%d, %d", unit.model, unit.version, unit.raw, canonical)
                << QString::fromLatin1(unit.model) << QString::fromLatin1(unit.version) << unit.raw
                << canonical << pair.section(u':', 1, 1).toInt();
        }
    }
}

void TestModelFacts::imageOffset()
{
    QFETCH(QString, model);
    QFETCH(QString, version);
    QFETCH(int, rawBlockSize);
    QFETCH(int, canonical);
    const ModelFacts facts =
        Facts(model, version, ModelFacts::DecodeBlockSize(static_cast<std::uint8_t>(rawBlockSize)));
    QTEST(facts.ImageOffset(canonical), "position");
}

void TestModelFacts::decodeBlockSize_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("size");

    QTest::newRow("0 means 67") << 0 << 67;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("67") << 67 << 67;
    QTest::newRow("96") << 96 << 96;
    QTest::newRow("127") << 127 << 127;
    QTest::newRow("128 is negative") << 128 << -128;
    QTest::newRow("255 is -1") << 255 << -1;
}

void TestModelFacts::decodeBlockSize()
{
    QFETCH(int, raw);
    QTEST(ModelFacts::DecodeBlockSize(static_cast<std::uint8_t>(raw)), "size");
}

QTEST_GUILESS_MAIN(TestModelFacts)
#include "test_model_facts.moc"
