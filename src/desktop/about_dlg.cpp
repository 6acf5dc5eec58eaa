#include "desktop/about_dlg.h"

#include "desktop/hyperlink_static.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDlg::AboutDlg(int versionMajor, int versionMinor, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Veltrix PC Interface"));
    setObjectName(QStringLiteral("aboutDlg"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(QStringLiteral("Orvane Veltrix PC Interface"), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(new QLabel(VersionText(versionMajor, versionMinor), this));
    text->addWidget(new QLabel(QStringLiteral("Models Supported: K110, K220, K230, K240"), this));
    link = new HyperlinkStatic(QString::fromLatin1(MakerSite), this);
    link->setObjectName(QStringLiteral("makerLink"));
    text->addWidget(link, 0, Qt::AlignLeft);
    text->addSpacing(8);
    for (const QString& notice : {
             QStringLiteral("Copyright \u00A9 2026 Orvane. All rights reserved."),
             QStringLiteral("Orvane and Veltrix are trademarks of Orvane."),
             QStringLiteral("Dolby, Pro Logic and the double-D symbol are trademarks of Dolby "
                            "Laboratories."),
             QStringLiteral("DTS, DTS-ES and NEO:6 are trademarks of DTS, Inc."),
         }) {
        auto* label = new QLabel(notice, this);
        label->setWordWrap(true);
        text->addWidget(label);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // OK, not the link, answers Enter when the box opens.
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

QString AboutDlg::VersionText(int versionMajor, int versionMinor)
{
    return QStringLiteral("Version %1.%2")
        .arg(versionMajor)
        .arg(versionMinor, 2, 10, QLatin1Char('0'));
}

void AboutDlg::Run(int versionMajor, int versionMinor, QWidget* parent)
{
    AboutDlg dialog(versionMajor, versionMinor, parent);
    dialog.exec();
}
