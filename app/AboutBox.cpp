#include "app/AboutBox.h"

#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/StationFont.h"
#include "app/WindowTexts.h"

namespace {
constexpr int kWidthDlu = 235;
constexpr int kHeightDlu = 55;
constexpr DluRect kIconRect {11, 17, 21, 20};
constexpr DluRect kTextRect {40, 20, 130, 10};
constexpr DluRect kOkRect {178, 7, 50, 14};
constexpr int kIconPixels = 32;
}  // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kAboutCaption));
    setWindowIcon(ApplicationIcon());
    setFont(StationFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(kWidthDlu, kHeightDlu));

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(kIconPixels, kIconPixels));
    icon->setAlignment(Qt::AlignCenter);
    icon->setGeometry(units.ToPixels(kIconRect));

    auto* text = new QLabel(QString::fromUtf8(kAboutText), this);
    text->setGeometry(units.ToPixels(kTextRect));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.ToPixels(kOkRect));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
