#include "tuner/new_tuner_preset_dlg.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "common/upper_case_edit.h"
#include "model/tuner_preset_list.h"
#include "tuner/dialog_answers.h"
#include "tuner/frequency_spin_box.h"
#include "tuner/tuner_entry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NewTunerPresetDlg::NewTunerPresetDlg(Band presetBand, int amStepSize, const QList<bool>& usedFlags,
                                     QWidget* parent)
    : QDialog(parent), band(presetBand), amStep(amStepSize), used(usedFlags)
{
    setWindowTitle(QStringLiteral("New Tuner Preset"));
    setObjectName(QStringLiteral("newTunerPreset"));
    BuildForm();

    frequency = band == Band::Fm ? TunerPresetList::DefaultFmFrequency
                                 : TunerPresetList::DefaultAmFrequency(amStep);
    CheckAndShow();
    muteBox->setChecked(fmMute != 0);

    const int count = band == Band::Fm ? TunerPresetList::FmCapacity : TunerPresetList::AmCapacity;
    for (int number = 1; number <= count; ++number)
        numberList->addItem(QString::number(number));
    numberList->setCurrentIndex(0);
    presetIndex = 0;
    UpdateNewFlag();
    connect(numberList, &QComboBox::currentIndexChanged, this, &NewTunerPresetDlg::UpdateNewFlag);
    connect(frequencyField, &QAbstractSpinBox::editingFinished, this,
            &NewTunerPresetDlg::ApplyTypedText);
    connect(frequencyField, &FrequencySpinBox::stepped, this, &NewTunerPresetDlg::Step);

    if (band == Band::Am) {
        muteBox->hide();
        nameLabel->hide();
        nameField->hide();
    }
    setFixedSize(sizeHint());
}

void NewTunerPresetDlg::BuildForm()
{
    numberList = new QComboBox(this);
    numberList->setObjectName(QStringLiteral("presetNumber"));
    frequencyField = new FrequencySpinBox(this);
    frequencyField->setObjectName(QStringLiteral("frequency"));
    muteBox = new QCheckBox(QStringLiteral("FM Mute"), this);
    muteBox->setObjectName(QStringLiteral("fmMute"));
    nameField = new QLineEdit(this);
    nameField->setObjectName(QStringLiteral("presetName"));
    nameField->setMaxLength(NameLength);
    UpperCaseEdit::Apply(nameField);
    nameLabel = new QLabel(QStringLiteral("Preset &Name:"), this);
    nameLabel->setBuddy(nameField);
    // A screen reader hears each field's place: a list's name is its value
    // on Linux, so its place is in the description too.
    numberList->setAccessibleName(QStringLiteral("Preset No"));
    numberList->setAccessibleDescription(QStringLiteral("Preset No"));
    frequencyField->setAccessibleName(QStringLiteral("Frequency"));
    nameField->setAccessibleName(QStringLiteral("Preset Name"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &NewTunerPresetDlg::Accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    auto* numberLabel = new QLabel(QStringLiteral("Preset &No:"), this);
    numberLabel->setBuddy(numberList);
    auto* frequencyLabel = new QLabel(QStringLiteral("&Frequency:"), this);
    frequencyLabel->setBuddy(frequencyField);
    fields->addWidget(numberLabel, 0, 0);
    fields->addWidget(numberList, 0, 1);
    fields->addWidget(frequencyLabel, 1, 0);
    fields->addWidget(frequencyField, 1, 1);
    fields->addWidget(muteBox, 2, 1);
    fields->addWidget(nameLabel, 3, 0);
    fields->addWidget(nameField, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

int NewTunerPresetDlg::InBand(Band band, int amStepSize, int value)
{
    if (band == Band::Fm)
        return TunerPresetList::IsFmFrequency(value) ? value : TunerPresetList::DefaultFmFrequency;
    // 530 kHz with the 9 kHz step would be stored as 522 kHz, outside the
    // band, and the preset lost at the next read: the 9 kHz band starts at 531.
    const int lowest = TunerPresetList::DefaultAmFrequency(amStepSize);
    return value >= lowest && value <= TunerPresetList::AmHighest ? value : lowest;
}

QString NewTunerPresetDlg::TextOf(Band band, int value)
{
    return band == Band::Fm ? TunerPresetList::FmFrequencyText(value)
                            : TunerPresetList::AmFrequencyText(value);
}

void NewTunerPresetDlg::ApplyTypedText()
{
    const QString typed = frequencyField->text();
    const int value = band == Band::Fm ? TunerEntry::ParseFm(typed) : TunerEntry::ParseAm(typed);
    if (value != 0 && value != frequency)
        frequency = value;
    else
        frequencyField->selectAll();
    CheckAndShow();
}

void NewTunerPresetDlg::Step(int steps)
{
    // A step goes from the value the field shows, typed or not.
    if (frequencyField->text() != frequencyText)
        ApplyTypedText();
    frequency += steps * (band == Band::Fm ? FmSpinStep : amStep);
    CheckAndShow();
}

void NewTunerPresetDlg::CheckAndShow()
{
    frequency = InBand(band, amStep, frequency);
    frequencyText = TextOf(band, frequency);
    frequencyField->SetText(frequencyText);
}

void NewTunerPresetDlg::UpdateNewFlag()
{
    const int index = numberList->currentIndex();
    isNew = index < 0 || index >= used.size() || !used[index];
}

void NewTunerPresetDlg::Accept()
{
    // Enter in the frequency field comes here with the text still typed.
    if (frequencyField->text() != frequencyText)
        ApplyTypedText();
    UpdateNewFlag();
    if (!isNew && !MessageBox::Confirm(this, MessageTable::Text(Message::PresetExists)))
        return;
    presetIndex = numberList->currentIndex();
    fmMute = muteBox->isChecked() ? 1 : 0;
    name = band == Band::Fm ? nameField->text().left(NameLength) : QString();
    accept();
}

bool NewTunerPresetDlg::Run()
{
    return DialogAnswers<NewTunerPresetDlg>::Run(*this);
}

void NewTunerPresetDlg::SetNextAnswer(Answer answer)
{
    DialogAnswers<NewTunerPresetDlg>::Queue(std::move(answer));
}
