#include "setup/setup_sheet.h"

#include "common/help_request.h"
#include "common/help_topic.h"
#include "link/message_set.h"
#include "setup/c_advanced_page.h"
#include "setup/c_input_page.h"
#include "setup/c_level_page.h"
#include "setup/c_listening_mode_page.h"
#include "setup/c_speaker_page.h"
#include "setup/c_surrmode_page.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

SetupSheet::Answer& NextAnswer()
{
    static SetupSheet::Answer answer;
    return answer;
}

} // namespace

SetupSheet::SetupSheet(const SetupFields& fields, const SetupFlags& sheetFlags, QWidget* parent)
    : QDialog(parent), loaded(fields), flags(sheetFlags)
{
    setObjectName(QStringLiteral("setupSheet"));
    setWindowTitle(Caption(flags.presetNumber));
    // Modal however it is shown: no window behind it opens another.
    setModal(true);
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("setupPages"));

    if (flags.EditingPreset()) {
        surroundPage = new CSurrmodePage(tabs);
        surroundPage->Load(fields.surround, flags);
        AddPage(surroundPage, CSurrmodePage::Title(), HelpTopic::SurroundModesPage);
    } else {
        inputPage = new CInputPage(tabs);
        inputPage->Load(fields.input, flags);
        AddPage(inputPage, CInputPage::Title(), HelpTopic::InputPage);
    }
    speakerPage = new CSpeakerPage(tabs);
    speakerPage->Load(fields.speaker, flags);
    AddPage(speakerPage, CSpeakerPage::Title(), HelpTopic::SpeakerPage);
    levelPage = new CLevelPage(tabs);
    levelPage->SetSpeakerPage(speakerPage);
    levelPage->Load(fields.level, flags);
    AddPage(levelPage, CLevelPage::Title(), HelpTopic::LevelPage);
    listeningPage = new CListeningModePage(tabs);
    listeningPage->SetSpeakerPage(speakerPage);
    listeningPage->Load(fields.listening, flags);
    AddPage(listeningPage, CListeningModePage::Title(), HelpTopic::ListeningModesPage);
    advancedPage = new CAdvancedPage(tabs);
    advancedPage->Load(fields.advanced, flags);
    AddPage(advancedPage, CAdvancedPage::Title(), HelpTopic::AdvancedPage);

    // F1 anywhere in the sheet, its tab bar and buttons included, opens the
    // topic of the page shown: the sheet has no Help button.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this,
            [this] { HelpRequest::Show(topics.value(tabs->currentIndex())); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void SetupSheet::AddPage(QWidget* page, const QString& title, const QString& topic)
{
    tabs->addTab(page, title);
    topics << topic;
}

QString SetupSheet::Caption(int presetNumber)
{
    if (presetNumber == 0)
        return QStringLiteral("Receiver Setup - Current Setup");
    if (presetNumber >= 1 && presetNumber <= AvPresetCount)
        return QStringLiteral("Receiver Setup - Preset %1").arg(presetNumber);
    return QStringLiteral("Receiver Setup");
}

bool SetupSheet::Run(SetupFields& fields)
{
    bool accepted = false;
    if (Answer answer = std::exchange(NextAnswer(), {})) {
        show();
        accepted = answer(*this);
        hide();
    } else {
        accepted = exec() == QDialog::Accepted;
    }
    if (!accepted)
        return false;
    if (inputPage)
        fields.input = inputPage->Fields();
    if (surroundPage)
        fields.surround = surroundPage->Fields();
    fields.speaker = speakerPage->Fields();
    fields.level = levelPage->Fields();
    fields.listening = listeningPage->Fields();
    fields.advanced = advancedPage->Fields();
    return true;
}

std::function<bool(SetupFields&, const SetupFlags&)> SetupSheet::Editor(QWidget* parent)
{
    return [parent](SetupFields& edited, const SetupFlags& unitFlags) {
        SetupSheet sheet(edited, unitFlags, parent);
        return sheet.Run(edited);
    };
}

void SetupSheet::SetNextAnswer(Answer answer)
{
    NextAnswer() = std::move(answer);
}
