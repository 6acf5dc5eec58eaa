#include "setup/c_speaker_page.h"

#include "setup/setup_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <initializer_list>

using namespace Qt::StringLiterals;
using SetupControls::Chosen;
using SetupControls::NewLabel;
using SetupControls::NewList;
using SetupControls::Select;

namespace {

QStringList SizeItems()
{
    return {QStringLiteral("Off"), QStringLiteral("Small"), QStringLiteral("Large")};
}

QStringList OffOn()
{
    return {QStringLiteral("Off"), QStringLiteral("On")};
}

QStringList CrossoverItems()
{
    return {QStringLiteral("40 Hz"),  QStringLiteral("60 Hz"),  QStringLiteral("80 Hz"),
            QStringLiteral("100 Hz"), QStringLiteral("120 Hz"), QStringLiteral("150 Hz"),
            QStringLiteral("200 Hz")};
}

} // namespace

CSpeakerPage::CSpeakerPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("speakerPage"));
    setAccessibleName(Title());

    CreateControls();
    LayOut();

    for (QComboBox* list :
         {frontSize, center, surround, back, backCount, frontDistance, centerDistance,
          surroundDistance, backDistance, subwooferSwitch, crossover, subwooferCombined})
        connect(list, &QComboBox::activated, this, &CSpeakerPage::SelectionChanged);
    connect(distanceUnit, &QComboBox::activated, this, &CSpeakerPage::UnitChanged);
    connect(enhancedBass, &QCheckBox::clicked, this, &CSpeakerPage::SelectionChanged);

    Load(fields, flags);
}

void CSpeakerPage::CreateControls()
{
    frontSize = NewList(this, u"frontSize"_s, QStringLiteral("Front"),
                        {QStringLiteral("Small"), QStringLiteral("Large")});
    center = NewList(this, u"centerSize"_s, QStringLiteral("Center"), SizeItems());
    surround = NewList(this, u"surroundSize"_s, QStringLiteral("Surround"), SizeItems());
    back = NewList(this, u"backSize"_s, QStringLiteral("Back"), SizeItems());
    backCount = NewList(this, u"backCount"_s, QStringLiteral("Back speakers"),
                        {QStringLiteral("L"), QStringLiteral("L/R")});
    frontDistance = NewList(this, u"frontDistance"_s, QStringLiteral("Front distance"), {});
    centerDistance = NewList(this, u"centerDistance"_s, QStringLiteral("Center distance"), {});
    surroundDistance =
        NewList(this, u"surroundDistance"_s, QStringLiteral("Surround distance"), {});
    backDistance = NewList(this, u"backDistance"_s, QStringLiteral("Back distance"), {});
    distanceUnit = NewList(this, u"distanceUnit"_s, QStringLiteral("Distance unit"),
                           {QStringLiteral("Feet"), QStringLiteral("Meters")});
    subwooferSwitch = NewList(this, u"subwooferSwitch"_s, QStringLiteral("Sub Woofer"), OffOn());
    crossover = NewList(this, u"crossover"_s, QStringLiteral("Crossover"), CrossoverItems());
    subwooferCombined = NewList(this, u"subwooferCombined"_s, QStringLiteral("Sub Woofer"),
                                QStringList{QStringLiteral("Off")} + CrossoverItems());
    enhancedBass = new QCheckBox(QStringLiteral("Enhanced Bass"), this);
    enhancedBass->setObjectName(QStringLiteral("enhancedBass"));
    enhancedBass->setAccessibleName(enhancedBass->text());
    FillDistances(SpeakerFields::Feet);
}

void CSpeakerPage::LayOut()
{
    // One row per speaker group: size, (back count), distance; the unit
    // under the distances; the subwoofer below, its crossover or combined
    // list in the same place.
    auto* grid = new QGridLayout;
    const auto row = [this, grid](int r, const QString& text, QComboBox* size,
                                  QComboBox* distance) {
        grid->addWidget(NewLabel(this, text, size), r, 0);
        grid->addWidget(size, r, 1);
        grid->addWidget(distance, r, 3);
    };
    row(0, QStringLiteral("Front:"), frontSize, frontDistance);
    row(1, QStringLiteral("Center:"), center, centerDistance);
    row(2, QStringLiteral("Surround:"), surround, surroundDistance);
    row(3, QStringLiteral("Back:"), back, backDistance);
    grid->addWidget(backCount, 3, 2);
    grid->addWidget(distanceUnit, 4, 3);
    grid->setRowMinimumHeight(5, fontMetrics().height());
    grid->addWidget(NewLabel(this, QStringLiteral("Sub Woofer:"), subwooferSwitch), 6, 0);
    grid->addWidget(subwooferSwitch, 6, 1);
    grid->addWidget(crossover, 6, 2);
    grid->addWidget(subwooferCombined, 6, 2);
    grid->addWidget(enhancedBass, 7, 1, 1, 3);
    grid->setColumnStretch(4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
}

QString CSpeakerPage::Title()
{
    return QStringLiteral("Speaker Setup");
}

QString CSpeakerPage::DistanceText(int index, int unit)
{
    if (unit != SpeakerFields::Meters)
        return QStringLiteral("%1 ft").arg(index + 1, 2);
    const int tenths = (index + 1) * 3;
    return QStringLiteral("%1 m").arg(QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10), 4);
}

void CSpeakerPage::Load(const SpeakerFields& loaded, const SetupFlags& unitFlags)
{
    fields = loaded;
    flags = unitFlags;
    FillDistances(fields.distanceUnit);
    const bool separate = flags.separateSubwoofer;
    crossover->setVisible(separate);
    subwooferCombined->setVisible(!separate);
    subwooferSwitch->setEnabled(separate);
    fields.ApplyRules(flags);
    ShowFields();
    modifiedMark = false;
}

SpeakerFields CSpeakerPage::Fields() const
{
    SpeakerFields result = fields;
    ReadControls(result);
    return result;
}

void CSpeakerPage::ReadControls(SpeakerFields& target) const
{
    target.frontSize = Chosen(frontSize, target.frontSize);
    target.center = Chosen(center, target.center);
    target.surround = Chosen(surround, target.surround);
    target.back = Chosen(back, target.back);
    target.backCount = Chosen(backCount, target.backCount);
    target.frontDistance = Chosen(frontDistance, target.frontDistance);
    target.centerDistance = Chosen(centerDistance, target.centerDistance);
    target.surroundDistance = Chosen(surroundDistance, target.surroundDistance);
    target.backDistance = Chosen(backDistance, target.backDistance);
    target.distanceUnit = Chosen(distanceUnit, target.distanceUnit);
    if (flags.separateSubwoofer) {
        target.subwooferSwitch = Chosen(subwooferSwitch, target.subwooferSwitch);
        target.crossover = Chosen(crossover, target.crossover);
        // The box holds its value while hidden; an absent bit stays absent.
        if (flags.newFirmware && target.enhancedBass >= 0)
            target.enhancedBass = enhancedBass->isChecked() ? 1 : 0;
    } else {
        target.subwooferCombined = Chosen(subwooferCombined, target.subwooferCombined);
    }
}

void CSpeakerPage::ShowFields()
{
    Select(frontSize, fields.frontSize);
    Select(center, fields.center);
    Select(surround, fields.surround);
    Select(back, fields.back);
    Select(backCount, fields.backCount);
    Select(frontDistance, fields.frontDistance);
    Select(centerDistance, fields.centerDistance);
    Select(surroundDistance, fields.surroundDistance);
    Select(backDistance, fields.backDistance);
    Select(distanceUnit, fields.distanceUnit);
    Select(subwooferSwitch, fields.subwooferSwitch);
    Select(crossover, fields.crossover);
    Select(subwooferCombined, fields.subwooferCombined);
    {
        const QSignalBlocker blocker(enhancedBass);
        enhancedBass->setChecked(fields.enhancedBass == 1);
    }

    back->setEnabled(fields.BackSelectable());
    enhancedBass->setVisible(fields.EnhancedBassShown(flags));
    centerDistance->setEnabled(fields.HasCenter());
    surroundDistance->setEnabled(fields.HasSurround());
    backDistance->setEnabled(fields.HasBack());
    backCount->setEnabled(fields.HasBack());
    crossover->setEnabled(fields.CrossoverSelectable());
}

void CSpeakerPage::ApplyRules()
{
    ReadControls(fields);
    fields.ApplyRules(flags);
    ShowFields();
}

void CSpeakerPage::SelectionChanged()
{
    ApplyRules();
    MarkModified();
}

void CSpeakerPage::UnitChanged()
{
    ReadControls(fields);
    FillDistances(fields.distanceUnit);
    ShowFields();
    MarkModified();
}

void CSpeakerPage::FillDistances(int unit)
{
    for (QComboBox* list : {frontDistance, centerDistance, surroundDistance, backDistance}) {
        const QSignalBlocker blocker(list);
        const int selected = list->currentIndex();
        list->clear();
        for (int i = 0; i < SpeakerFields::DistanceCount; ++i)
            list->addItem(DistanceText(i, unit));
        list->setCurrentIndex(selected);
    }
}

void CSpeakerPage::MarkModified()
{
    modifiedMark = true;
    Q_EMIT modified();
}
