#pragma once
// The study progress board: every lesson of a book, marked by its study state. The
// learner changes the state of one lesson or a block of them, and starts a lesson
// from here.
#include <QWidget>

#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QTableWidget;
namespace varendo { struct VarendoWindows; class TRadioGroup; }
namespace varendo::db { class Query; }

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(varendo::VarendoWindows& windows);
    ~TForm5() override;
    varendo::VarendoWindows& w;

    void FormShow(QObject* sender);
    void FormHide(QObject* sender);
    void FormResize(QObject* sender);
    // Fills the grid with the lessons of the book chosen in rg1.
    void Showkczt();
    // Draws a cell's title lines and state word under its label, in the state's colour.
    void rzstrngrd1DrawCell(int column, int row, const QRect& rect, QPainter& painter);
    // The grid's tooltip: the lesson under the pointer, empty over a cell without one.
    void rzstrngrd1MouseMove(int x, int y);
    void rzstrngrd1SelectCell(int column, int row);
    // Gives every lesson of the selected block the state (code 0 to 3), stored at once.
    void modxczt(int code, QChar mark, const QString& state);

    void rg1Click(QObject* sender);
    void pm1Popup(QObject* sender);
    void zt0Click(QObject* sender);
    void zt1Click(QObject* sender);
    void zt2Click(QObject* sender);
    void zt3Click(QObject* sender);
    // Opens the block's first lesson in the main window and marks the block as being studied.
    void N3Click(QObject* sender);
    void rzstrngrd1DblClick(QObject* sender);
    void btn2Click(QObject* sender);
    void chk1Click(QObject* sender);
    void chk2Click(QObject* sender);

    QGroupBox* grp1 = nullptr;
    QTableWidget* rzstrngrd1 = nullptr;
    QGroupBox* grp2 = nullptr;
    varendo::TRadioGroup* rg1 = nullptr;
    varendo::TRadioGroup* rg2 = nullptr;
    QGroupBox* grp3 = nullptr;
    QCheckBox* chk1 = nullptr;
    QCheckBox* chk2 = nullptr;
    QPushButton* btn2 = nullptr;
    QGroupBox* grp4 = nullptr;
    QLabel* img1 = nullptr;
    QMenu* pm1 = nullptr;
    QMenu* N1 = nullptr;
    QAction *zt0 = nullptr, *zt1 = nullptr, *zt2 = nullptr, *zt3 = nullptr;
    QAction *N2 = nullptr, *N3 = nullptr;

    // The board's own query on the lessons of the chosen book; only while shown.
    std::unique_ptr<varendo::db::Query> progressQuery;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Block {
        int top = 0, left = 0, bottom = -1, right = -1;
    };
    // The selected cells, as one rectangle; the current cell when nothing is selected.
    Block selectedBlock() const;
    // Moves the query to record k (1-based); false when the book has no such lesson.
    bool toRecord(int k);
    QString cellString(int column, int row) const;
    void setCellString(int column, int row, const QString& text);
    int book() const;
    void connectHandlers();
};
