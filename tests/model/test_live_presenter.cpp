#include "model/live_presenter.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

LiveValues Connected(const char* model)
{
    LiveValues values;
    values.connected = true;
    values.facts.modelText = QString::fromLatin1(model);
    values.facts.versionText = u"v2.05"_s;
    values.modelIndex = values.facts.ModelIndex();
    return values;
}

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

class TestLivePresenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unitShapesTheTexts_data()
    {
        QTest::addColumn<LiveValues>("values");
        QTest::addColumn<QString>("texts"); // volume 194 and 181, menu, name, line | quietest
        QTest::newRow("K220") << Connected("K220")
                              << u"-oo dB|-75 dB|&K220|K220|Connected to K220 v2.05 on P|62"_s;
        QTest::newRow("K240") << Connected("K240")
                              << u"-62 dB|-oo dB|&K240|K240|Connected to K240 v2.05 on P|75"_s;
        QTest::newRow("unknown model")
            << Connected("X999") << u"-62 dB|-oo dB|Unit|Unit|Connected to X999 v2.05 on P|75"_s;
        LiveValues lost = Connected("K220");
        lost.connected = false;
        QTest::newRow("not connected") << lost << u"-oo dB|-75 dB|Unit|N/C|Not Connected|62"_s;
    }

    // The volume's minus-infinity code, the unit's menu and name, the
    // connection line and the popup's range follow the model.
    void unitShapesTheTexts()
    {
        QFETCH(LiveValues, values);
        const LivePresenter presenter(values);
        const QStringList texts = {
            presenter.VolumeText(194 - 256),  presenter.VolumeText(181 - 256),
            presenter.UnitMenuTitle(),        presenter.UnitName(),
            presenter.ConnectionLine(u"P"_s), QString::number(presenter.QuietestPosition())};
        QTEST(texts.join(u'|'), "texts");
        QCOMPARE(presenter.SupportedUnit(), presenter.UnitMenuTitle() != u"Unit"_s);
    }

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

    // The popup reads a room's reported volume whether or not the room is
    // on, and minus infinity while its thumb is at the bottom.
    void popupReadsTheReportedSound()
    {
        LiveValues values = Connected("K220");
        values.ReportedSound(LiveRoom::Zone).volume = -30;
        const LivePresenter presenter(values);
        QCOMPARE(presenter.PopupVolumeText(LiveRoom::Zone, false), u"-30 dB"_s);
        QCOMPARE(presenter.PopupVolumeText(LiveRoom::Zone, true), u"-oo dB"_s);
        QCOMPARE(presenter.PopupVolumeText(LiveRoom::Main, false), u"0 dB"_s);
        QVERIFY(!presenter.RoomOn(LiveRoom::Zone));
        values.zonePower = true;
        QVERIFY(presenter.RoomOn(LiveRoom::Zone) && !presenter.RoomOn(LiveRoom::Main));
    }
};

QTEST_GUILESS_MAIN(TestLivePresenter)
#include "test_live_presenter.moc"
