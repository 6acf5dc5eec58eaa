#include "setup/c_input_page.h"

#include "link/message_set.h"
#include "setup/setup_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using SetupControls::Chosen;
using SetupControls::NewList;
using SetupControls::Select;

namespace {

const QStringList& VideoItems()
{
    static const QStringList items = {u"OFF"_s,     u"DVD"_s,     u"SAT"_s,    u"VCR"_s,
                                      u"VIDEO 4"_s, u"VIDEO 5"_s, u"VIDEO 6"_s};
    return items;
}

const QStringList& FormatItems()
{
    static const QStringList items = {u"COMPOSITE"_s, u"S-VIDEO"_s, u"COMPONENT"_s};
    return items;
}

QStringList AnalogItems(int input)
{
    QStringList items = {u"OFF"_s,     u"DVD"_s,     u"SAT"_s, u"VCR"_s,  u"VIDEO 4"_s,
                         u"VIDEO 5"_s, u"VIDEO 6"_s, u"CD"_s,  u"DISC"_s, u"EXT 7.1"_s};
    if (input == InputFields::TunerInput)
        items.append(u"TUNER"_s);
    return items;
}

const QStringList& DigitalItems()
{
    static const QStringList items = {u"OFF"_s,    u"OPTICAL 1"_s, u"OPTICAL 2"_s, u"COAX 3"_s,
                                      u"COAX 4"_s, u"COAX 5"_s,    u"COAX 6"_s};
    return items;
}

const QStringList& TriggerItems()
{
    static const QStringList items = {u"None"_s, u"Main"_s, u"Zone"_s, u"Both"_s};
    return items;
}

const QStringList& GainItems()
{
    static const QStringList items = {u"-12"_s, u"-9"_s, u"-6"_s, u"-3"_s, u"0"_s,
                                      u"+3"_s,  u"+6"_s, u"+9"_s, u"+12"_s};
    return items;
}

const QStringList& SourceItems()
{
    static const QStringList items = {u"Main"_s, u"Zone"_s};
    return items;
}

// Grid columns.
enum Column
{
    NameColumn,
    VideoColumn,
    FormatColumn,
    AnalogColumn,
    DigitalColumn,
    Trigger1Column,
    Trigger2Column,
    GainColumn
};
constexpr int FirstRow = 2; // below the headings and the trigger numbers

int CheckState(const QCheckBox* box, int loaded)
{
    return loaded < 0 ? loaded : int{box->isChecked()};
}

} // namespace

CInputPage::CInputPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("inputPage"));
    auto* grid = new QGridLayout;
    AddHeadings(grid);
    for (int i = 0; i < InputFields::InputCount; ++i)
        AddRow(grid, i);
    NewTriggerSources();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(triggerSources);
    layout->addStretch(1);
}

void CInputPage::AddHeadings(QGridLayout* grid)
{
    const auto heading = [this, grid](const QString& text, int row, int column, int span = 1) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, row, column, 1, span);
        return label;
    };
    heading(QStringLiteral("Video"), 0, VideoColumn);
    heading(QStringLiteral("Video Format"), 0, FormatColumn);
    heading(QStringLiteral("Analog Audio"), 0, AnalogColumn);
    heading(QStringLiteral("Digital Audio"), 0, DigitalColumn);
    heading(QStringLiteral("Triggers"), 0, Trigger1Column, 2);
    heading(QStringLiteral("1"), 1, Trigger1Column);
    heading(QStringLiteral("2"), 1, Trigger2Column);
    analogGainHeading = heading(QStringLiteral("Analog Gain"), 0, GainColumn);
    analogGainHeading->setObjectName(QStringLiteral("analogGainHeading"));
}

void CInputPage::AddRow(QGridLayout* grid, int i)
{
    RowControls& row = rows[static_cast<std::size_t>(i)];
    const QString input = QString::fromLatin1(DefaultSourceNames[static_cast<std::size_t>(i)]);
    const QString n = QString::number(i);
    const auto named = [&](const char* what) { return QString::fromLatin1(what) + n; };
    const auto label = [&](const char* what) { return input + u' ' + QString::fromLatin1(what); };
    const auto check = [&](const char* what, const char* text) {
        auto* box = new QCheckBox(this);
        box->setObjectName(named(what));
        box->setAccessibleName(label(text));
        return box;
    };
    row.name =
        SetupControls::NewNameBox(this, named("name"), label("name"), InputFields::NameLength);
    row.video = NewList(this, named("video"), label("Video"), VideoItems());
    row.videoFormat = NewList(this, named("videoFormat"), label("Video Format"),
                              FormatItems().mid(0, InputFields::DefaultFormatItems(i)));
    row.analogAudio = NewList(this, named("analogAudio"), label("Analog Audio"), AnalogItems(i));
    row.digitalAudio = NewList(this, named("digitalAudio"), label("Digital Audio"), DigitalItems());
    row.trigger1List = NewList(this, named("trigger1List"), label("Trigger 1"), TriggerItems());
    row.trigger2List = NewList(this, named("trigger2List"), label("Trigger 2"), TriggerItems());
    row.trigger1Check = check("trigger1Check", "Trigger 1");
    row.trigger2Check = check("trigger2Check", "Trigger 2");
    row.analogGain = NewList(this, named("analogGain"), label("Analog Gain"), GainItems());

    const int at = FirstRow + i;
    grid->addWidget(row.name, at, NameColumn);
    grid->addWidget(row.video, at, VideoColumn);
    grid->addWidget(row.videoFormat, at, FormatColumn);
    grid->addWidget(row.analogAudio, at, AnalogColumn);
    grid->addWidget(row.digitalAudio, at, DigitalColumn);
    // List and check box share the cell; only one of them is shown.
    grid->addWidget(row.trigger1List, at, Trigger1Column);
    grid->addWidget(row.trigger1Check, at, Trigger1Column, Qt::AlignCenter);
    grid->addWidget(row.trigger2List, at, Trigger2Column);
    grid->addWidget(row.trigger2Check, at, Trigger2Column, Qt::AlignCenter);
    grid->addWidget(row.analogGain, at, GainColumn);

    if (i == InputFields::TunerInput) {
        for (QWidget* control :
             {static_cast<QWidget*>(row.name), static_cast<QWidget*>(row.video),
              static_cast<QWidget*>(row.videoFormat), static_cast<QWidget*>(row.analogAudio),
              static_cast<QWidget*>(row.digitalAudio)})
            control->setEnabled(false);
    } else {
        connect(row.video, &QComboBox::activated, this, [this, i] { VideoChosen(i); });
    }
}

void CInputPage::NewTriggerSources()
{
    triggerSources = new QWidget(this);
    triggerSources->setObjectName(QStringLiteral("triggerSources"));
    trigger1Source = NewList(triggerSources, QStringLiteral("trigger1Source"),
                             QStringLiteral("Trigger 1 Source:"), SourceItems());
    trigger2Source = NewList(triggerSources, QStringLiteral("trigger2Source"),
                             QStringLiteral("Trigger 2 Source:"), SourceItems());
    auto* sources = new QHBoxLayout(triggerSources);
    sources->setContentsMargins(0, 0, 0, 0);
    for (QComboBox* list : {trigger1Source, trigger2Source}) {
        sources->addWidget(SetupControls::NewLabel(triggerSources, list->accessibleName(), list));
        sources->addWidget(list);
    }
    sources->addStretch(1);
}

QString CInputPage::Title()
{
    return QStringLiteral("Input Settings");
}

void CInputPage::Load(const InputFields& fields, const SetupFlags& setupFlags)
{
    loaded = fields;
    flags = setupFlags;
    const bool lists = InputFields::TriggerLists(flags);
    const bool gain = InputFields::HasAnalogGain(flags);
    const bool formats = InputFields::HasVideoFormats(flags);
    analogGainHeading->setVisible(gain);
    triggerSources->setVisible(InputFields::TriggerSources(flags));
    Select(trigger1Source, fields.trigger1Source);
    Select(trigger2Source, fields.trigger2Source);

    for (int i = 0; i < InputFields::InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const InputFields::Row& field = fields.rows[at];
        RowControls& row = rows[at];
        row.name->setText(fields.names[at]);
        Select(row.video, field.video);
        Select(row.analogAudio, field.analogAudio);
        Select(row.digitalAudio, field.digitalAudio);

        row.trigger1List->setVisible(lists);
        row.trigger2List->setVisible(lists);
        row.trigger1Check->setVisible(!lists);
        row.trigger2Check->setVisible(!lists);
        Select(row.trigger1List, lists ? field.trigger1 : -1);
        Select(row.trigger2List, lists ? field.trigger2 : -1);
        row.trigger1Check->setChecked(!lists && field.trigger1 > 0);
        row.trigger2Check->setChecked(!lists && field.trigger2 > 0);

        row.analogGain->setVisible(gain);
        row.analogGain->setEnabled(gain);
        Select(row.analogGain, gain ? field.analogGain : -1);

        if (!InputFields::HasVideoFormat(flags, i)) {
            SetupControls::SetItems(
                row.videoFormat,
                formats ? FormatItems().mid(0, InputFields::DefaultFormatItems(i)) : QStringList());
            row.videoFormat->setEnabled(false);
            continue;
        }
        // The format list offers what the row's video source can carry; the
        // selection is the loaded code whenever the list has that item.
        ApplyFormatList(
            i, InputFields::RefillFormat(field.video, -1, InputFields::DefaultFormatItems(i)));
        Select(row.videoFormat, field.videoFormat);
    }
}

void CInputPage::VideoChosen(int input)
{
    if (!InputFields::HasVideoFormat(flags, input))
        return;
    const RowControls& row = rows[static_cast<std::size_t>(input)];
    ApplyFormatList(input, InputFields::RefillFormat(row.video->currentIndex(),
                                                     row.videoFormat->currentIndex(),
                                                     row.videoFormat->count()));
}

void CInputPage::ApplyFormatList(int input, const InputFields::FormatList& list)
{
    QComboBox* format = rows[static_cast<std::size_t>(input)].videoFormat;
    const int items = std::min<int>(list.items, static_cast<int>(FormatItems().size()));
    if (format->count() != items)
        SetupControls::SetItems(format, FormatItems().mid(0, items));
    Select(format, list.selection);
    format->setEnabled(list.enabled);
}

InputFields CInputPage::Fields() const
{
    InputFields fields = loaded;
    const bool lists = InputFields::TriggerLists(flags);
    fields.trigger1Source = Chosen(trigger1Source, loaded.trigger1Source);
    fields.trigger2Source = Chosen(trigger2Source, loaded.trigger2Source);
    for (int i = 0; i < InputFields::InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const RowControls& row = rows[at];
        InputFields::Row& field = fields.rows[at];
        const InputFields::Row& was = loaded.rows[at];
        fields.names[at] = row.name->text();
        field.video = Chosen(row.video, was.video);
        field.analogAudio = Chosen(row.analogAudio, was.analogAudio);
        field.digitalAudio = Chosen(row.digitalAudio, was.digitalAudio);
        if (lists) {
            field.trigger1 = Chosen(row.trigger1List, was.trigger1);
            field.trigger2 = Chosen(row.trigger2List, was.trigger2);
        } else {
            field.trigger1 = CheckState(row.trigger1Check, was.trigger1);
            field.trigger2 = CheckState(row.trigger2Check, was.trigger2);
        }
        if (InputFields::HasAnalogGain(flags))
            field.analogGain = Chosen(row.analogGain, was.analogGain);
        if (InputFields::HasVideoFormat(flags, i))
            field.videoFormat = Chosen(row.videoFormat, was.videoFormat);
    }
    return fields;
}
