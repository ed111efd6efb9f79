#pragma once

#include <QDialog>

// The about box: the application icon, the name and version, and OK.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};
