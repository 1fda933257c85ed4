#pragma once
// The study progress board: every lesson of a book, marked by its study state.
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTableWidget;
namespace varendo { struct VarendoWindows; }

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    QGroupBox* grp1 = nullptr;
    QTableWidget* rzstrngrd1 = nullptr;
    QGroupBox* grp2 = nullptr;
    QGroupBox* grp3 = nullptr;
    QCheckBox* chk1 = nullptr;
    QCheckBox* chk2 = nullptr;
    QPushButton* btn2 = nullptr;
};
