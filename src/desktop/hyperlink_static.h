#pragma once

#include <QLabel>

// A text that looks and acts like a web link: blue (0, 0, 255), underlined,
// on a transparent background, with the hand cursor under the pointer. It
// reports a click with the left button, and takes the keyboard focus with
// Tab, when Enter or Space activates it as a click would. Assistive
// technology sees a link with a press action.
class HyperlinkStatic : public QLabel
{
    Q_OBJECT

public:
    explicit HyperlinkStatic(const QString& text, QWidget* parent = nullptr);

    // The address a click opens: the text itself when it names a scheme,
    // otherwise "https://" before it.
    QUrl Address() const;
    // Opens Address() through UrlOpener; false when nothing was opened.
    bool Activate();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed = false;
};
