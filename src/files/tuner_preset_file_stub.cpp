// Stand-in for the tuner preset file's section writer and reader until their
// own implementation lands; drop this file then. Just enough of the format
// for the settings file to embed and read a section.
#include "tuner/tuner_preset_file.h"

#include <QIODevice>

namespace TunerPresetFile {

QByteArray SectionText(const TunerPresetList& list, int indent)
{
    const QByteArray outer(indent, '\t');
    const QByteArray inner(indent + 1, '\t');
    QByteArray text = outer + OpenTag + "\r\n\r\n";
    text += inner + "AM Step Size = " + QByteArray::number(list.AmStepSize()) + "\r\n\r\n";
    for (const AmPreset& am : list.AmPresets()) {
        text += inner + "AM Preset = " + QByteArray::number(am.number) + "\r\n";
        text += inner + "AM Frequency = " + QByteArray::number(am.frequency) + "\r\n\r\n";
    }
    for (const FmPreset& fm : list.FmPresets()) {
        text += inner + "FM Preset = " + QByteArray::number(fm.number) + "\r\n";
        text += inner + "FM Frequency = " + QByteArray::number(fm.frequency / 100) + '.' +
                QByteArray::number(fm.frequency % 100).rightJustified(2, '0') + "\r\n";
        text += inner + "FM Mute = " + QByteArray::number(fm.mute) + "\r\n";
        text += inner + "FM Preset Name = " + fm.name.toLatin1() + "\r\n\r\n";
    }
    return text + outer + CloseTag + "\r\n";
}

int ReadSection(QIODevice& device, TunerPresetList& list)
{
    TunerPresetList read;
    read.SetAmStepSize(list.AmStepSize());
    int lines = 0;
    bool inside = false;
    AmPreset am;
    FmPreset fm;
    while (!device.atEnd()) {
        const QString line = QString::fromLatin1(device.readLine(4096)).trimmed();
        ++lines;
        if (!inside) {
            inside = line.contains(QLatin1String(OpenTag));
            continue;
        }
        if (line.contains(QLatin1String(CloseTag)))
            break;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == u"am step size")
            read.SetAmStepSize(value.toInt());
        else if (key == u"am preset")
            am.number = value.toInt();
        else if (key == u"am frequency")
            read.AddAm(am.number, value.toInt());
        else if (key == u"fm preset")
            fm.number = value.toInt();
        else if (key == u"fm frequency")
            fm.frequency = static_cast<int>(value.toDouble() * 100 + 0.5);
        else if (key == u"fm mute")
            fm.mute = value.toInt();
        else if (key == u"fm preset name")
            read.AddFm(fm.number, fm.frequency, fm.mute, value.left(13));
    }
    list = read;
    return lines;
}

} // namespace TunerPresetFile
