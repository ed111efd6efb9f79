#include "app/QtStationWindow.h"

#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QPalette>
#include <QSocketNotifier>
#include <QTimer>
#include <QTimerEvent>
#include <QtDebug>

#include "app/AboutBox.h"
#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/StationFont.h"
#include "app/WindowTexts.h"
#include "station/ControlIds.h"

namespace {

// Where a slot's number stands: the corner at the bottom right, free on a
// test station.
constexpr DluRect kSlotLabelRect {540, 318, 220, 40};
constexpr double kSlotLabelFontScale = 2.5;  // against the window's font
constexpr const char* kSlotTitle = "SLOT %1 - %2";
constexpr const char* kSlotLabelText = "SLOT %1\n%2";
constexpr int kSlotClockMs = 1000;  // the seconds of a test under way
const QColor kPassBackground(0, 200, 0);
const QColor kFailBackground(220, 0, 0);

// The fields a barcode scanner fills; Enter in them belongs to the controller.
constexpr int kScanFields[] = {ctl::kScanMac, ctl::kScanImei, ctl::kScanSn, ctl::kScanPcbaSn, ctl::kOperatorBadge};

bool IsScanField(int id)
{
    return std::find(std::begin(kScanFields), std::end(kScanFields), id) != std::end(kScanFields);
}

bool TakesFocus(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::Edit:
    case ControlKind::ReferenceEdit:
    case ControlKind::ComboBox:
        return true;
    case ControlKind::Label:
    case ControlKind::Picture:
    case ControlKind::GroupLabel:
        break;
    }
    return false;
}

QMessageBox::Icon IconOf(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Stop: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QtStationWindow::QtStationWindow(QWidget* parent, double scale)
    : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    baseTitle_ = QString::fromUtf8(kWindowTitle);
    setWindowTitle(baseTitle_);
    setWindowIcon(ApplicationIcon());
    setFont(StationFont(scale));
    // Message boxes and the about box are windows of their own; let them
    // inherit the CJK font.
    setAttribute(Qt::WA_WindowPropagation);
    setFixedSize(DialogUnits(font()).ToPixels(kWindowWidthDlu, kWindowHeightDlu));
    BuildControls();
    BuildTabOrder();
    BuildWindowMenu();
}

QtStationWindow::~QtStationWindow()
{
    for (const auto& [id, qtId] : timers_)
        killTimer(qtId);
}

void QtStationWindow::Attach(CRuriZudaDlg& controller)
{
    controllerEvents_ = std::make_unique<ControllerEvents>(controller);
    events_ = controllerEvents_.get();
}

void QtStationWindow::Attach(WindowEvents& events)
{
    events_ = &events;
}

void QtStationWindow::ShowSlot(int slot, bool label)
{
    baseTitle_ = QString::fromUtf8(kSlotTitle).arg(slot).arg(QString::fromUtf8(kWindowTitle));
    setWindowTitle(baseTitle_);
    if (!label)
        return;
    slot_ = slot;
    if (!slotLabel_) {
        slotLabel_ = new QLabel(this);
        QFont large = font();
        large.setPointSizeF(large.pointSizeF() * kSlotLabelFontScale);
        large.setBold(true);
        slotLabel_->setFont(large);
        slotLabel_->setTextFormat(Qt::PlainText);
        slotLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        slotLabel_->setGeometry(DialogUnits(font()).ToPixels(kSlotLabelRect));
        slotState_.emplace();
        slotClock_ = new QTimer(this);
        slotClock_->setInterval(kSlotClockMs);
        connect(slotClock_, &QTimer::timeout, this, &QtStationWindow::ShowSlotState);
    }
    ShowSlotState();
}

// The slot's number over its state, large.
void QtStationWindow::ShowSlotState()
{
    if (!slotLabel_)
        return;
    slotLabel_->setText(QString::fromUtf8(kSlotLabelText)
                            .arg(slot_)
                            .arg(QString::fromStdString(slotState_->Text(SlotState::Clock::now()))));

    const SlotState::Phase phase = slotState_->Current();
    QPalette colours = palette();
    if (phase == SlotState::Phase::Pass || phase == SlotState::Phase::Fail) {
        const bool pass = phase == SlotState::Phase::Pass;
        colours.setColor(QPalette::Window, pass ? kPassBackground : kFailBackground);
        colours.setColor(QPalette::WindowText, pass ? QColor(Qt::black) : QColor(Qt::white));
    }
    slotLabel_->setAutoFillBackground(phase == SlotState::Phase::Pass || phase == SlotState::Phase::Fail);
    slotLabel_->setPalette(colours);
    if (phase == SlotState::Phase::Testing && !slotClock_->isActive())
        slotClock_->start();
    else if (phase != SlotState::Phase::Testing)
        slotClock_->stop();
}

void QtStationWindow::BringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void QtStationWindow::BuildControls()
{
    const DialogUnits units(font());
    for (const ControlTemplate& control : MainWindowTemplate()) {
        QWidget* widget = MakeWidget(control);
        widget->setGeometry(units.ToPixels(control.rect));
        if (!control.visible)
            widget->hide();
        widget->setEnabled(control.enabled);
        if (control.id != 0) {
            controls_[control.id] = widget;
            ids_[widget] = control.id;
        }
    }
}

QWidget* QtStationWindow::MakeWidget(const ControlTemplate& control)
{
    const QString caption = QString::fromUtf8(control.caption);
    const int id = control.id;
    switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(caption, this);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        connect(button, &QPushButton::clicked, this, [this, id] { OnButton(id); });
        return button;
    }
    case ControlKind::Edit:
    case ControlKind::ReferenceEdit: {
        auto* edit = new QLineEdit(caption, this);
        if (control.maxLength > 0)
            edit->setMaxLength(control.maxLength);
        return edit;
    }
    case ControlKind::ComboBox:
        return new QComboBox(this);
    case ControlKind::Picture: {
        auto* picture = new QLabel(this);
        picture->setAlignment(Qt::AlignCenter);
        return picture;
    }
    case ControlKind::GroupLabel: {
        auto* heading = new QLabel(caption, this);
        heading->setTextFormat(Qt::PlainText);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        return heading;
    }
    case ControlKind::Label:
        break;
    }
    auto* label = new QLabel(caption, this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// Tab order is the template order.
void QtStationWindow::BuildTabOrder()
{
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : MainWindowTemplate()) {
        if (!TakesFocus(control.kind))
            continue;
        QWidget* widget = controls_.at(control.id);
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void QtStationWindow::BuildWindowMenu()
{
    windowMenu_ = new QMenu(this);
    aboutAction_ = new QAction(QString::fromUtf8(kAboutMenuItem), this);
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction_->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction_, &QAction::triggered, this, &QtStationWindow::ShowAboutBox);
    windowMenu_->addAction(aboutAction_);
    addAction(aboutAction_);  // F1 anywhere in the window
}

void QtStationWindow::ShowAboutBox()
{
    AboutBox box(this);
    box.exec();
}

void QtStationWindow::contextMenuEvent(QContextMenuEvent* event)
{
    windowMenu_->exec(event->globalPos());
}

void QtStationWindow::OnButton(int id)
{
    if (id == ctl::kOk) {
        accept();
    } else if (id == ctl::kExit) {
        reject();
    } else if (events_) {
        events_->OnCommand(id);
    }
}

// Enter never reaches the dialog's default button: a stray Enter must not
// close the station and lose the unit's results. A focused push button
// handles Enter itself before it gets here; in a scan field the controller
// walks on to the next field; anywhere else Enter does nothing.
void QtStationWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnEnterKey();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Esc rejects
}

// The focus the receiver gives here is the one the window opens with.
void QtStationWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_ && events_) {
        shown_ = true;
        events_->OnFirstMessage();
    }
}

void QtStationWindow::OnEnterKey()
{
    const int id = ControlIdOf(focusWidget());
    if (events_ && IsScanField(id))
        events_->OnEnterKey(id);  // whether it used the key or not, it ends here
}

void QtStationWindow::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : timers_) {
        if (qtId == event->timerId()) {
            const int timerId = id;  // the controller may stop or restart the timer
            if (events_)
                events_->OnTimer(timerId);
            return;
        }
    }
    QDialog::timerEvent(event);
}

int QtStationWindow::ControlIdOf(const QWidget* widget) const
{
    const auto it = ids_.find(widget);
    return it == ids_.end() ? 0 : it->second;
}

QWidget* QtStationWindow::Control(int id) const
{
    const auto it = controls_.find(id);
    if (it == controls_.end()) {
        qWarning("rurizuda: no control with ID %d", id);
        return nullptr;
    }
    return it->second;
}

QComboBox* QtStationWindow::PortList() const
{
    return static_cast<QComboBox*>(controls_.at(ctl::kPortList));
}

void QtStationWindow::SetText(int id, const std::string& text)
{
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(ToQt(text));
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(ToQt(text));
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(ToQt(text));
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setCurrentText(ToQt(text));
    if (slotState_) {
        slotState_->OnText(id, text);
        ShowSlotState();
    }
}

std::string QtStationWindow::Text(int id) const
{
    QWidget* widget = Control(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        text = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        text = button->text();
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        text = combo->currentText();
    return text.toStdString();
}

// Visibility and enabled state are the control's own, whether or not the
// window itself is shown yet.
void QtStationWindow::SetVisible(int id, bool visible)
{
    if (QWidget* widget = Control(id))
        widget->setVisible(visible);
}

bool QtStationWindow::IsVisible(int id) const
{
    const QWidget* widget = Control(id);
    return widget && !widget->isHidden();
}

void QtStationWindow::SetEnabled(int id, bool enabled)
{
    if (QWidget* widget = Control(id))
        widget->setEnabled(enabled);
}

bool QtStationWindow::IsEnabled(int id) const
{
    const QWidget* widget = Control(id);
    return widget && widget->isEnabledTo(this);
}

void QtStationWindow::SetPicture(int id, Picture picture)
{
    auto* label = qobject_cast<QLabel*>(Control(id));
    if (!label)
        return;
    if (picture == Picture::None)
        label->clear();
    else
        label->setPixmap(art_.Pixmap(picture, label->size()));  // whole in a smaller window
    if (slotState_) {
        slotState_->OnPicture(id, picture, SlotState::Clock::now());
        ShowSlotState();
    }
}

void QtStationWindow::RepaintNow()
{
    // The controller holds the thread next: the seconds of a test keep up
    // with every status it shows.
    if (slotState_ && slotState_->Current() == SlotState::Phase::Testing)
        ShowSlotState();
    repaint();
}

void QtStationWindow::SetFocus(int id)
{
    if (QWidget* widget = Control(id))
        widget->setFocus(Qt::OtherFocusReason);
}

void QtStationWindow::MessageBox(const std::string& text, const std::string& caption, BoxIcon icon)
{
    QMessageBox box(IconOf(icon), ToQt(caption), ToQt(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtStationWindow::StartTimer(int id, int periodMs)
{
    StopTimer(id);
    timers_[id] = startTimer(periodMs);
}

void QtStationWindow::StopTimer(int id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    killTimer(it->second);
    timers_.erase(it);
}

void QtStationWindow::ClearPorts()
{
    PortList()->clear();
}

// The list stays sorted, ignoring case; adding a port selects nothing.
void QtStationWindow::AddPort(const std::string& name)
{
    QComboBox* list = PortList();
    const QString text = ToQt(name);
    int index = 0;
    while (index < list->count() && QString::compare(list->itemText(index), text, Qt::CaseInsensitive) <= 0)
        ++index;
    const bool nothingSelected = list->currentIndex() < 0;
    list->insertItem(index, text);
    if (nothingSelected)
        list->setCurrentIndex(-1);
}

void QtStationWindow::SelectPort(int index)
{
    PortList()->setCurrentIndex(index);
}

std::string QtStationWindow::CurrentPort() const
{
    return PortList()->currentText().toStdString();
}

int QtStationWindow::PortCount() const
{
    return PortList()->count();
}

void QtStationWindow::SetStatusNote(const std::string& note)
{
    // The note follows the title, the slot's included.
    setWindowTitle(note.empty() ? baseTitle_ : baseTitle_ + " - " + QString::fromStdString(note));
}

void QtStationWindow::WatchDeviceNotifications(int descriptor)
{
    UnwatchDeviceNotifications();
    deviceNotifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    QSocketNotifier* notifier = deviceNotifier_;
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        // Quiet while the receiver reads: a box it shows runs a nested loop.
        notifier->setEnabled(false);
        if (events_)
            events_->OnDeviceNotification();
        if (deviceNotifier_ == notifier)
            notifier->setEnabled(true);
    });
}

// The notifier may be the one whose signal is running: let it go later.
void QtStationWindow::UnwatchDeviceNotifications()
{
    if (!deviceNotifier_)
        return;
    deviceNotifier_->setEnabled(false);
    deviceNotifier_->deleteLater();
    deviceNotifier_ = nullptr;
}

void QtStationWindow::done(int result)
{
    QDialog::done(result);
    if (events_)
        events_->OnDestroy();
}
