#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

class UnitSession;

// One value of the unit's state as the command line reports it: the line
// "main volume: -30 dB" and, in JSON, {"main": {"volume": -30}}.
struct StatusField
{
    QString section; // empty (the unit itself), "main", "zone" or "tuner"
    QString key;
    QString text;
    QJsonValue json;

    QString Line() const;
    bool operator==(const StatusField& other) const
    {
        return section == other.section && key == other.key && text == other.text &&
               json == other.json;
    }
};

// What `status`, `watch` and the live verbs print: every value the session
// holds of the unit, in a fixed order, worded as the panel words it. A room
// that is off reports its power and mute; its volume and source read "-"
// (null in JSON).
class CliStatusReport
{
public:
    static QList<StatusField> Fields(UnitSession& session);
    static QStringList Lines(const QList<StatusField>& fields);
    // One object, sections nested: {"model": ..., "main": {...}, ...}.
    static QJsonObject Json(const QList<StatusField>& fields);
    // The fields of `after` whose value differs from the same field of
    // `before` (every field when the lists do not match).
    static QList<StatusField> Changes(const QList<StatusField>& before,
                                      const QList<StatusField>& after);
    // The fields of one section and key ("main", "volume"), or every field
    // of a section when `key` is empty.
    static QList<StatusField> Select(const QList<StatusField>& fields, const QString& section,
                                     const QString& key = QString());
    // A compact one-line JSON text of `object`.
    static QString JsonLine(const QJsonObject& object);
};
