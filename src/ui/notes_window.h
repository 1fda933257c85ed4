#pragma once
// The lesson notes window.
#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QListWidget;
namespace varendo { struct VarendoWindows; }

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    QGroupBox* grp5 = nullptr;
    QPlainTextEdit* mmo1 = nullptr;
    QPushButton* btn2 = nullptr;
    QPushButton* btn3 = nullptr;
    QPushButton* btn4 = nullptr;
    QGroupBox* grp1 = nullptr;
    QListWidget* lst1 = nullptr;
};
