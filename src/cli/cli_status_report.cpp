#include "cli/cli_status_report.h"

#include "model/live_presenter.h"
#include "unit/unit_session.h"

#include <QJsonDocument>

namespace {

QString OnOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// The fields of one room; a room that is off has no volume or source.
void AddRoom(QList<StatusField>& fields, const QString& room, bool on, int volume, bool mute,
             const QString& source, const LiveStatus& live)
{
    fields.append({room, QStringLiteral("power"), OnOff(on), on});
    fields.append({room, QStringLiteral("volume"),
                   on ? live.VolumeText(volume) : QStringLiteral("-"),
                   on ? QJsonValue(volume) : QJsonValue()});
    fields.append({room, QStringLiteral("mute"), OnOff(mute), mute});
    fields.append({room, QStringLiteral("source"), source.isEmpty() ? QStringLiteral("-") : source,
                   source.isEmpty() ? QJsonValue() : QJsonValue(source)});
}

} // namespace

QString StatusField::Line() const
{
    return (section.isEmpty() ? key : section + u' ' + key) + QStringLiteral(": ") + text;
}

QList<StatusField> CliStatusReport::Fields(UnitSession& session)
{
    const LiveValues& v = session.Status();
    const LiveStatus& live = session.Live();
    const LivePresenter presenter(v);
    const auto source = [&live](int index) {
        return index >= 0 && index < InputCount ? live.InputCaption(index) : QString();
    };

    QList<StatusField> fields;
    fields.append({QString(), QStringLiteral("model"), v.facts.modelText, v.facts.modelText});
    fields.append(
        {QString(), QStringLiteral("firmware"), v.facts.versionText, v.facts.versionText});
    const QString port = session.Link().PortName();
    fields.append({QString(), QStringLiteral("port"), port, port});

    const QString main = QStringLiteral("main");
    AddRoom(fields, main, v.mainPower, v.mainVolume, v.ReportedSound(LiveRoom::Main).mute,
            v.mainPower ? source(v.mainSource) : QString(), live);
    const QString mode = LivePresenter::SurroundModeText(v.surroundMode);
    fields.append({main, QStringLiteral("surround"), mode.isEmpty() ? QStringLiteral("-") : mode,
                   mode.isEmpty() ? QJsonValue() : QJsonValue(mode)});
    fields.append({main, QStringLiteral("speakers a"), OnOff(v.speakersA), v.speakersA});
    fields.append({main, QStringLiteral("speakers b"), OnOff(v.speakersB), v.speakersB});
    fields.append({main, QStringLiteral("bass"), LivePresenter::ToneText(v.bass), v.bass});
    fields.append({main, QStringLiteral("treble"), LivePresenter::ToneText(v.treble), v.treble});

    const QString zoneSource = v.zonePower && v.zoneSource == SourceExternal
                                   ? QString::fromLatin1(ZoneLocalName)
                                   : (v.zonePower ? source(v.zoneSource) : QString());
    AddRoom(fields, QStringLiteral("zone"), v.zonePower, v.zoneVolume,
            v.ReportedSound(LiveRoom::Zone).mute, zoneSource, live);

    const QString tuner = QStringLiteral("tuner");
    const bool fm = v.tunerBand == Band::Fm;
    const QString band = fm ? QStringLiteral("FM") : QStringLiteral("AM");
    fields.append({tuner, QStringLiteral("band"), band, band});
    // FM in MHz, AM in kHz, as the unit's display shows them.
    const QJsonValue frequency = fm ? QJsonValue(v.fmFrequency / 100.0) : QJsonValue(v.amFrequency);
    fields.append({tuner, QStringLiteral("frequency"), presenter.FrequencyText(), frequency});
    const int preset = fm ? v.fmPreset : v.amPreset;
    fields.append({tuner, QStringLiteral("preset"), presenter.PresetText(),
                   preset > 0 ? QJsonValue(preset) : QJsonValue()});
    fields.append({tuner, QStringLiteral("ps name"), v.psName, v.psName});
    fields.append({tuner, QStringLiteral("radio text"), v.radioText, v.radioText});
    return fields;
}

QStringList CliStatusReport::Lines(const QList<StatusField>& fields)
{
    QStringList lines;
    for (const StatusField& field : fields)
        lines.append(field.Line());
    return lines;
}

QJsonObject CliStatusReport::Json(const QList<StatusField>& fields)
{
    QJsonObject top;
    for (const StatusField& field : fields) {
        QString key = field.key;
        key.replace(u' ', u'_');
        if (field.section.isEmpty()) {
            top.insert(key, field.json);
            continue;
        }
        QJsonObject section = top.value(field.section).toObject();
        section.insert(key, field.json);
        top.insert(field.section, section);
    }
    return top;
}

QList<StatusField> CliStatusReport::Changes(const QList<StatusField>& before,
                                            const QList<StatusField>& after)
{
    if (before.size() != after.size())
        return after;
    QList<StatusField> changed;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (!(before.at(i) == after.at(i)))
            changed.append(after.at(i));
    }
    return changed;
}

QList<StatusField> CliStatusReport::Select(const QList<StatusField>& fields, const QString& section,
                                           const QString& key)
{
    QList<StatusField> chosen;
    for (const StatusField& field : fields) {
        if (field.section == section && (key.isEmpty() || field.key == key))
            chosen.append(field);
    }
    return chosen;
}

QString CliStatusReport::JsonLine(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
