#include "ModalWatcher.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {
constexpr int kPollMs = 10;
}

ModalWatcher::ModalWatcher()
{
    timer_.setInterval(kPollMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

void ModalWatcher::Poll()
{
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        Seen seen;
        seen.isMenu = true;
        for (const QAction* action : menu->actions())
            seen.texts.push_back(action->text().toStdString());
        seen_.push_back(seen);
        menu->close();
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog)
        return;
    Seen seen;
    seen.caption = dialog->windowTitle().toStdString();
    for (const QPushButton* button : dialog->findChildren<QPushButton*>())
        seen.okButtons += button->text().remove('&') == QStringLiteral("OK");
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        seen.isMessageBox = true;
        seen.texts.push_back(box->text().toStdString());
        seen.icon = box->icon();
        seen_.push_back(seen);
        box->button(QMessageBox::Ok)->click();
        return;
    }
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        seen.texts.push_back(label->text().toStdString());
    seen_.push_back(seen);
    dialog->accept();
}
