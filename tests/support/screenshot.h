#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

// With VELTRIX_SHOTS=DIR set (under a real display, for the README), saves
// a picture of the widget as DIR/NAME.png; does nothing otherwise.
inline void SaveShot(QWidget& widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("VELTRIX_SHOTS");
    if (dir.isEmpty())
        return;
    QTest::qWait(200);
    widget.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
