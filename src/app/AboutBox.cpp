#include "AboutBox.h"

#include "AppIcon.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace talvaro {

TAboutBox::TAboutBox(QWidget* parent) : ResultDialog(QStringLiteral("Info"), parent) {
    setObjectName(QStringLiteral("AboutBox"));
    auto* icon = new QLabel(this);
    icon->setPixmap(appIconPixmap(64));
    auto* name = new QLabel(QStringLiteral("Talvaro"), this);
    QFont big = name->font();
    big.setPixelSize(18);
    big.setBold(true);
    name->setFont(big);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    layout->addWidget(name, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Version 1.31"), this), 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Konfigurator für Mirello 16 und Quenta 26"), this),
                      2, 1);
    layout->addWidget(new QLabel(QStringLiteral("© Brovenik"), this), 3, 1);
    QPushButton* ok = addResultButton(QStringLiteral("OK"), DialogResult::Ok);
    setDefaultButton(ok);
    setEscapeResult(DialogResult::Ok);
    layout->addWidget(ok, 4, 0, 1, 2, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

} // namespace talvaro
