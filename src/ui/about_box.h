#pragma once
// The about box: the program's title and version.
#include <QDialog>

class QGroupBox;
class QKeyEvent;
class QLabel;
namespace varendo { struct VarendoWindows; }

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    // Esc (character 27) hides the box.
    void FormKeyPress(QObject* sender, QChar key);

    QGroupBox* grp1 = nullptr;
    QLabel* img1 = nullptr;
    QLabel* lbl1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
