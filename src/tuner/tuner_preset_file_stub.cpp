// Save and Load of the tuner preset file, kept just good enough for a save
// to load back the same list, until the file's own implementation replaces
// this file.
#include "tuner/tuner_preset_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace TunerPresetFile {

Outcome Save(const QString& path, const TunerPresetList& list, QString* error)
{
    QByteArray text = QByteArray(OpenTag) + "\r\n";
    text += "AM Step Size = " + QByteArray::number(list.AmStepSize()) + "\r\n";
    for (const AmPreset& p : list.AmPresets())
        text +=
            "AM " + QByteArray::number(p.number) + ' ' + QByteArray::number(p.frequency) + "\r\n";
    for (const FmPreset& p : list.FmPresets())
        text += "FM " + QByteArray::number(p.number) + ' ' + QByteArray::number(p.frequency) + ' ' +
                QByteArray::number(p.mute) + ' ' + p.name.toLatin1() + "\r\n";
    text += QByteArray(CloseTag) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return Outcome::Failed;
    }
    return Outcome::Done;
}

Outcome Load(const QString& path, TunerPresetList& list, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return Outcome::Failed;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.first().startsWith(OpenTag))
        return Outcome::NotTunerPresetFile;
    TunerPresetList read;
    read.SetAmStepSize(list.AmStepSize());
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw).trimmed();
        const QStringList words = line.split(u' ');
        if (line.startsWith(u"AM Step Size = "))
            read.SetAmStepSize(words.last().toInt());
        else if (words.size() == 3 && words[0] == u"AM")
            read.AddAm(words[1].toInt(), words[2].toInt());
        else if (words.size() >= 4 && words[0] == u"FM")
            read.AddFm(words[1].toInt(), words[2].toInt(), words[3].toInt(),
                       words.mid(4).join(u' '));
    }
    list = read;
    return Outcome::Done;
}

} // namespace TunerPresetFile
