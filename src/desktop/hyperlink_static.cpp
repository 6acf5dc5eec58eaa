#include "desktop/hyperlink_static.h"

#include "desktop/url_opener.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace {

// A label would be announced as plain text that cannot be operated.
class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(HyperlinkStatic* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return Link()->text();
        if (t == QAccessible::Value)
            return Link()->Address().toString();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            Link()->Activate();
    }

private:
    HyperlinkStatic* Link() const { return static_cast<HyperlinkStatic*>(widget()); }
};

QAccessibleInterface* LinkAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("HyperlinkStatic") && object && object->isWidgetType())
        return new LinkAccessible(static_cast<HyperlinkStatic*>(object));
    return nullptr;
}

} // namespace

HyperlinkStatic::HyperlinkStatic(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(LinkAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(palette);
    setToolTip(Address().toString());
    connect(this, &HyperlinkStatic::clicked, this, &HyperlinkStatic::Activate);
}

QUrl HyperlinkStatic::Address() const
{
    const QString address = text().trimmed();
    if (address.contains(QStringLiteral("://")))
        return QUrl(address, QUrl::StrictMode);
    return QUrl(QStringLiteral("https://") + address, QUrl::StrictMode);
}

bool HyperlinkStatic::Activate()
{
    return UrlOpener::OpenWebAddress(Address());
}

void HyperlinkStatic::mousePressEvent(QMouseEvent* event)
{
    pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void HyperlinkStatic::mouseReleaseEvent(QMouseEvent* event)
{
    // A press dragged off the link and released elsewhere is no click.
    const bool click = pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed = false;
    if (click)
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkStatic::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            Q_EMIT clicked();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void HyperlinkStatic::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
