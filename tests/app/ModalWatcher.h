#pragma once

#include <string>
#include <vector>

#include <QMessageBox>
#include <QTimer>

// While it lives, closes every modal box and pop-up menu that opens and
// records what it showed, so code that runs a box with exec() can be tested
// without an operator.
class ModalWatcher {
public:
    struct Seen {
        std::string caption;              // window title; for a menu, ""
        std::vector<std::string> texts;   // message text, or the label / menu item texts
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int okButtons = 0;                // push buttons labelled OK
        bool isMessageBox = false;
        bool isMenu = false;
    };

    ModalWatcher();
    const std::vector<Seen>& SeenWindows() const { return seen_; }

private:
    void Poll();

    QTimer timer_;
    std::vector<Seen> seen_;
};
