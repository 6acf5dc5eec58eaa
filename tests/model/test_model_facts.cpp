#include "model/model_facts.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestModelFacts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Versions compare as texts, case ignored; no version at all is below every one.
    void versionBelow()
    {
        QVERIFY(!ModelFacts::VersionBelow(u"v2.00"_s, u"v2.00"_s));
        QVERIFY(ModelFacts::VersionBelow(u"v1.99"_s, u"v2.00"_s));
        QVERIFY(ModelFacts::VersionBelow(QString(), u"v1.23"_s));
        QVERIFY(!ModelFacts::VersionBelow(u"V2.00"_s, u"v2.00"_s));
    }

    void modelRules_data()
    {
        QTest::addColumn<QString>("model");
        // supported, model index, extended layout, speaker switching
        QTest::addColumn<QList<int>>("rules");
        QTest::newRow("K220") << "K220" << QList<int>{1, 1, 0, 1};
        QTest::newRow("k220 lower case") << "k220" << QList<int>{1, 1, 0, 1};
        QTest::newRow("K110") << "K110" << QList<int>{1, 2, 1, 0};
        QTest::newRow("K110X: family only") << "K110X" << QList<int>{0, 2, 1, 0};
        QTest::newRow("K230V") << "K230V" << QList<int>{1, 2, 1, 1};
        QTest::newRow("k240v lower case") << "k240v" << QList<int>{1, 2, 1, 1};
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

    void imageOffset_data()
    {
        QTest::addColumn<ModelFacts>("facts");
        QTest::addColumn<int>("canonical");
        QTest::addColumn<int>("position");
        // rawSize as read from EEPROM; pairs "canonical:position"
        const auto unit = [](const char* model, const char* version, int rawSize,
                             const char* pairs) {
            const int size = ModelFacts::DecodeBlockSize(static_cast<std::uint8_t>(rawSize));
            for (const QString& pair : QString::fromLatin1(pairs).split(u' ')) {
                const int canonical = pair.section(u':', 0, 0).toInt();
                QTest::addRow("%s %s S=%d, %d", model, version, rawSize, canonical)
                    << ModelFacts{QString::fromLatin1(model), QString::fromLatin1(version), size}
                    << canonical << pair.section(u':', 1, 1).toInt();
            }
        };
        unit("K230", "v2.05", 67, "0:0 29:29 30:30 38:38 62:62 63:63 65:66 66:66 67:67");
        unit("K240", "v2.00", 0, "40:40 65:66 67:67");
        unit("K110", "v2.05", 66, "29:29 61:61 62:61 63:62 64:63 65:65 66:65 67:66");
        unit("K220", "v2.05", 57, "29:29 30:20 36:26 38:28 40:30 62:52 63:53 65:56 67:57");
        unit("K220", "v1.23", 55, "36:26 37:27 38:26 40:28 62:50 67:55");
        unit("K220", "v1.20", 0, "30:20 35:25 36:25 37:26 40:27 62:49 65:66 67:54");
    }
    void imageOffset()
    {
        QFETCH(ModelFacts, facts);
        QFETCH(int, canonical);
        QTEST(facts.ImageOffset(canonical), "position");
    }
};

QTEST_GUILESS_MAIN(TestModelFacts)
#include "test_model_facts.moc"
