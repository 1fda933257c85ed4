#pragma once
// The settings dialog: media folders, progress board display options, text font and colours.
#include "ui/on_first_use.h"

#include <QDialog>

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;
namespace varendo { struct VarendoWindows; }

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    // Each showing starts from the settings in force.
    void FormShow(QObject* sender);
    // Folder pickers: the chosen folder replaces the box's text; nothing is stored yet.
    void btn7Click(QObject* sender);
    void btnrecordClick(QObject* sender);
    // The board's display options change at once, stored or not.
    void chk1Click(QObject* sender);
    void chk2Click(QObject* sender);
    // Stores folders, options, font and background in the settings row.
    void btn4Click(QObject* sender);
    // Puts the folders and options back to those in force and the text look to the factory one.
    void btn5Click(QObject* sender);
    void btn3Click(QObject* sender);
    // The text font, background and text colour dialogs of the main window.
    void btn1Click(QObject* sender);
    void btn2Click(QObject* sender);
    void btn6Click(QObject* sender);

    QGroupBox* grp1 = nullptr;
    QLineEdit* lbledt = nullptr;   // video folder
    QPushButton* btn7 = nullptr;
    QLineEdit* lbledt1 = nullptr;  // audio folder
    QPushButton* btnrecord = nullptr;
    QGroupBox* grp3 = nullptr;
    QCheckBox* chk1 = nullptr;
    QCheckBox* chk2 = nullptr;
    QPushButton* btn1 = nullptr;
    QPushButton* btn2 = nullptr;
    QPushButton* btn6 = nullptr; // text colour
    QGroupBox* grp4 = nullptr;
    QLineEdit* edt1 = nullptr;
    QGroupBox* grp2 = nullptr;
    QPushButton* btn4 = nullptr;
    QPushButton* btn5 = nullptr;
    QPushButton* btn3 = nullptr;
    // Picks a folder (the media library borrows it); made when first opened.
    varendo::OnFirstUse<QFileDialog> rzslctfldrdlg1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void pickFolder(QLineEdit* box, const QString& title);
};
