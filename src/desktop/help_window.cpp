#include "desktop/help_window.h"

#include "common/help_request.h"
#include "common/help_topic.h"
#include "desktop/url_opener.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QPointer<HelpWindow> instance;

} // namespace

void HelpWindow::Install()
{
    HelpRequest::Install(&HelpWindow::Show);
}

void HelpWindow::Show(const QString& topic)
{
    if (!instance)
        instance = new HelpWindow;
    // A modal dialog (the setup sheet, Options) blocks every window outside
    // its own family, so help asked for from one becomes that dialog's window
    // and closes with it.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != instance && instance->parentWidget() != modal)
        instance->setParent(modal, Qt::Window);
    instance->ShowTopic(topic);
    instance->show();
    instance->raise();
    instance->activateWindow();
}

QShortcut* HelpWindow::ShowOnF1(QWidget& widget, const QString& topic)
{
    auto* shortcut = new QShortcut(QKeySequence::HelpContents, &widget);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &widget, [topic] { Show(topic); });
    return shortcut;
}

HelpWindow* HelpWindow::Instance()
{
    return instance.data();
}

HelpWindow::HelpWindow()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Veltrix PC Interface Help"));
    setObjectName(QStringLiteral("helpWindow"));

    auto* contents = new QToolButton(this);
    contents->setText(QStringLiteral("&Contents"));
    back = new QToolButton(this);
    back->setText(QStringLiteral("&Back"));
    back->setEnabled(false);
    forward = new QToolButton(this);
    forward->setText(QStringLiteral("&Forward"));
    forward->setEnabled(false);

    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("helpBrowser"));
    // Links are followed here, never handed to the desktop unchecked.
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
    connect(browser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(back, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(contents, &QToolButton::clicked, this, [this] { ShowTopic(HelpTopic::Contents); });
    connect(browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Veltrix PC Interface Help")
                                       : QStringLiteral("Veltrix PC Interface Help - ") + title);
    });
    new QShortcut(QKeySequence::Close, this, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    auto* tools = new QHBoxLayout;
    tools->addWidget(contents);
    tools->addWidget(back);
    tools->addWidget(forward);
    tools->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(browser, 1);
    resize(720, 560);
}

void HelpWindow::ShowTopic(const QString& topic)
{
    const QUrl url = HelpTopic::Resolve(topic);
    browser->setSource(url);
    // setSource scrolls to the fragment only when the page changes.
    if (!url.fragment().isEmpty())
        browser->scrollToAnchor(url.fragment());
    else
        browser->verticalScrollBar()->setValue(0);
}

void HelpWindow::FollowLink(const QUrl& url)
{
    const QUrl target = browser->source().resolved(url);
    if (target.scheme() == QLatin1String("qrc")) {
        browser->setSource(target);
        return;
    }
    UrlOpener::OpenWebAddress(target);
}
