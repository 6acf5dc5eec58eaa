#include "files/configuration_compare.h"

#include "common/text.h"
#include "files/settings_file_writer.h"

#include <QHash>

namespace ConfigurationCompare {

namespace {

const QString None = QStringLiteral("(none)");

QString EntryKey(const SettingsFileWriter::Entry& entry)
{
    return entry.where + u'\x1f' + entry.key;
}

// The key lines of two blocks laid out alike, one against the other, by
// place and key (a line one side lacks, such as the crossover of a switched
// off subwoofer, counts as "(none)").
void CompareBlocks(const QString& prefix, int presetNumber, const SettingsImage& left,
                   const SettingsImage& right, QList<Difference>& out)
{
    const QList<SettingsFileWriter::Entry> a = SettingsFileWriter::BlockEntries(presetNumber, left);
    const QList<SettingsFileWriter::Entry> b =
        SettingsFileWriter::BlockEntries(presetNumber, right);
    QHash<QString, QString> rightValues;
    for (const SettingsFileWriter::Entry& entry : b)
        rightValues.insert(EntryKey(entry), entry.value);
    const auto place = [&prefix](const SettingsFileWriter::Entry& entry) {
        return prefix + QStringLiteral(" > ") + entry.where + QStringLiteral(" > ") + entry.key;
    };
    QHash<QString, bool> seen;
    for (const SettingsFileWriter::Entry& entry : a) {
        const QString key = EntryKey(entry);
        seen.insert(key, true);
        const QString other = rightValues.value(key, None);
        if (other != entry.value)
            out.append({place(entry), entry.value, other});
    }
    for (const SettingsFileWriter::Entry& entry : b) {
        if (!seen.contains(EntryKey(entry)))
            out.append({place(entry), None, entry.value});
    }
}

void CompareOptionalBlocks(const QString& prefix, int presetNumber,
                           const std::optional<SettingsImage>& left,
                           const std::optional<SettingsImage>& right, QList<Difference>& out)
{
    if (left && right)
        CompareBlocks(prefix, presetNumber, *left, *right, out);
    else if (left || right)
        out.append({prefix, left ? QStringLiteral("present") : None,
                    right ? QStringLiteral("present") : None});
}

void CompareTuner(const TunerPresetList& left, const TunerPresetList& right, bool rightIsUnit,
                  QList<Difference>& out)
{
    for (int n = 1; n <= TunerPresetList::AmCapacity; ++n) {
        const int a = left.FindAm(n);
        const int b = right.FindAm(n);
        int want = a < 0 ? -1 : left.AmPresets().at(a).frequency;
        if (want >= 0 && rightIsUnit)
            want = TunerPresetList::NearestAmChannel(want, right.AmStepSize());
        const int have = b < 0 ? -1 : right.AmPresets().at(b).frequency;
        if (want != have)
            out.append({QStringLiteral("Tuner > AM preset %1").arg(n),
                        a < 0 ? None : TunerPresetList::AmFrequencyText(want),
                        b < 0 ? None : TunerPresetList::AmFrequencyText(have)});
    }
    const auto onOff = [](int mute) { return mute ? QStringLiteral("On") : QStringLiteral("Off"); };
    for (int n = 1; n <= TunerPresetList::FmCapacity; ++n) {
        const int a = left.FindFm(n);
        const int b = right.FindFm(n);
        const QString where = QStringLiteral("Tuner > FM preset %1").arg(n);
        if (a < 0 || b < 0) {
            if (a >= 0 || b >= 0)
                out.append(
                    {where,
                     a < 0 ? None
                           : TunerPresetList::FmFrequencyText(left.FmPresets().at(a).frequency),
                     b < 0 ? None
                           : TunerPresetList::FmFrequencyText(right.FmPresets().at(b).frequency)});
            continue;
        }
        const FmPreset& p = left.FmPresets().at(a);
        const FmPreset& q = right.FmPresets().at(b);
        if (p.frequency != q.frequency)
            out.append({where, TunerPresetList::FmFrequencyText(p.frequency),
                        TunerPresetList::FmFrequencyText(q.frequency)});
        const QString name =
            rightIsUnit ? Text::TrimmedRight(p.name.left(TunerPresetList::NameLength)) : p.name;
        if (name != q.name)
            out.append({where + QStringLiteral(" name"), name.isEmpty() ? None : name,
                        q.name.isEmpty() ? None : q.name});
        if ((p.mute != 0) != (q.mute != 0))
            out.append({where + QStringLiteral(" mute"), onOff(p.mute), onOff(q.mute)});
    }
}

} // namespace

QList<Difference> Differences(const UnitConfiguration& left, const UnitConfiguration& right,
                              const ConfigurationParts& parts, bool rightIsUnit)
{
    QList<Difference> out;
    if (parts.inputNames) {
        for (std::size_t i = 0; i < left.inputNames.size(); ++i) {
            const QString& a = left.inputNames[i];
            const QString& b = right.inputNames[i];
            if ((a.isEmpty() && (rightIsUnit || b.isEmpty())) ||
                a.compare(b, Qt::CaseInsensitive) == 0)
                continue;
            out.append({QStringLiteral("Input %1 name").arg(i + 1), a.isEmpty() ? None : a,
                        b.isEmpty() ? None : b});
        }
    }
    if (parts.currentSetup)
        CompareOptionalBlocks(QStringLiteral("Current setup"), 0, left.currentSetup,
                              right.currentSetup, out);
    for (int k = 1; k <= UnitConfiguration::PresetCount; ++k) {
        if (parts.Preset(k))
            CompareOptionalBlocks(QStringLiteral("A/V preset %1").arg(k), k, left.Preset(k),
                                  right.Preset(k), out);
    }
    if (parts.tuner && (left.tuner || right.tuner))
        CompareTuner(left.tuner.value_or(TunerPresetList{}),
                     right.tuner.value_or(TunerPresetList{}), rightIsUnit, out);
    return out;
}

QString Text(const Difference& difference, const QString& leftName, const QString& rightName)
{
    return QStringLiteral("%1: %2 %3, %4 %5")
        .arg(difference.where, leftName, difference.left, rightName, difference.right);
}

QString Counted(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 difference")
                      : QStringLiteral("%1 differences").arg(count);
}

QString NotCompared()
{
    return QStringLiteral("not compared: Speaker A and B, the volumes and source a load takes "
                          "from the unit, and the unit's AM step");
}

} // namespace ConfigurationCompare
