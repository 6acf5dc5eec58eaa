#include "model/live_presenter.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

// What the presenter words for the panel, the tray and the popup; how each
// model shapes the texts is the control panel's and the popup's test.
class TestLivePresenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captions_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("reported"); // empty: no name reported
        QTest::addColumn<QString>("main");     // the caption on the main room's button
        QTest::addColumn<QString>("zone");     // the zone's, once the name is reported
        const QString dvd = Latin(DefaultSourceNames[0]);
        const QString external = Latin(DefaultSourceNames[SourceExternal]);
        QTest::newRow("default") << 0 << QString() << dvd << dvd;
        QTest::newRow("reported") << 0 << u"MY DVD"_s << u"MY DVD"_s << u"MY DVD"_s;
        QTest::newRow("input 8 in the zone is LOCAL")
            << SourceExternal << u"MULTI"_s << u"MULTI"_s << Latin(ZoneLocalName);
        QTest::newRow("input 8 unnamed")
            << SourceExternal << QString() << external << Latin(ZoneLocalName);
        QTest::newRow("input 10") << 10 << QString() << QString() << QString();
        QTest::newRow("input -1") << -1 << QString() << QString() << QString();
    }

    void captions()
    {
        QFETCH(int, input);
        QFETCH(QString, reported);
        QFETCH(QString, zone);
        LiveValues values;
        if (!reported.isEmpty()) {
            values.inputNames[static_cast<std::size_t>(input)] = reported;
            values.inputNameKnown[static_cast<std::size_t>(input)] = true;
        }
        const LivePresenter presenter(values);
        QTEST(presenter.InputCaption(input), "main");
        const QString zoneCaption = LivePresenter::ShowsInputName(input, LiveRoom::Zone)
                                        ? presenter.InputCaption(input)
                                        : LivePresenter::DefaultCaption(input, LiveRoom::Zone);
        QCOMPARE(zoneCaption, zone);
    }

    void valueTexts_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>(
            "texts"); // frequency, preset, signal type 4 and 5, modes 0 and 11
        QTest::newRow("FM") << int(Band::Fm)
                            << u"101.70 MHz|--|%1||%2|"_s.arg(Latin(SignalTypeNames[4]),
                                                              Latin(SurroundModeNames[0]));
        QTest::newRow("AM") << int(Band::Am)
                            << u"1000 kHz|3|%1||%2|"_s.arg(Latin(SignalTypeNames[4]),
                                                           Latin(SurroundModeNames[0]));
    }

    // The tuner's texts are those of the band shown; names out of range are
    // empty.
    void valueTexts()
    {
        QFETCH(int, band);
        LiveValues values;
        values.tunerBand = band;
        values.fmFrequency = 10170;
        values.amFrequency = 1000;
        values.amPreset = 3;
        const LivePresenter presenter(values);
        const QStringList texts = {
            presenter.FrequencyText(),          presenter.PresetText(),
            LivePresenter::SignalTypeText(4),   LivePresenter::SignalTypeText(5),
            LivePresenter::SurroundModeText(0), LivePresenter::SurroundModeText(SurroundModeNone)};
        QTEST(texts.join(u'|'), "texts");
    }
};

QTEST_GUILESS_MAIN(TestLivePresenter)
#include "test_live_presenter.moc"
