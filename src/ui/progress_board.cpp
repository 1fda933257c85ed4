#include "ui/progress_board.h"

#include "common/colour_value.h"
#include "database/dataset.h"
#include "database/lesson_schema.h"
#include "study/progress_board.h"
#include "ui/event_hook.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/pictures.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"
#include "ui/window_frame.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>

#include <exception>

using namespace varendo;

namespace {

const QString kCaption = QStringLiteral("Varendo英语视频辅助学习工具    课程学习进度管理");
const QString kStateField = QStringLiteral("课程状态");
const QString kTitleField = QStringLiteral("课程名");

constexpr int kMargin = 4;
constexpr int kLineHeight = 16;
constexpr int kBaseline = 12;
// The left column's width, and where its picture box starts once the window is tall enough.
constexpr int kLeftWidth = 163;
constexpr int kPictureTop = 404;
constexpr int kTallEnough = 470;

QColor stateColour(int state)
{
    return colorFromValue(study::studyStates()[state].colour);
}

// Paints a cell's background (the selection's when selected) and leaves the text to the board.
class BoardCellDelegate : public QStyledItemDelegate {
public:
    explicit BoardCellDelegate(TForm5* board) : QStyledItemDelegate(board), board_(board) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* view = option.widget;
        (view ? view->style() : board_->style())->drawControl(QStyle::CE_ItemViewItem, &background, painter, view);
        board_->rzstrngrd1DrawCell(index.column(), index.row(), option.rect, *painter);
    }

    // The tooltip is the one the pointer's last move built; empty shows none.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem&,
                   const QModelIndex&) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const QString tip = board_->rzstrngrd1->toolTip();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPos(), tip, view->viewport());
        return true;
    }

private:
    TForm5* board_;
};

} // namespace

TForm5::TForm5(VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(kCaption);

    grp1 = new QGroupBox(QStringLiteral("课程学习进度"), this);
    rzstrngrd1 = new QTableWidget(study::kBoardMinRows, study::kBoardColumns, grp1);
    rzstrngrd1->move(6, 18);
    rzstrngrd1->horizontalHeader()->hide();
    rzstrngrd1->horizontalHeader()->setStretchLastSection(true);
    rzstrngrd1->verticalHeader()->hide();
    rzstrngrd1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rzstrngrd1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    rzstrngrd1->setSelectionBehavior(QAbstractItemView::SelectItems);
    rzstrngrd1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rzstrngrd1->setContextMenuPolicy(Qt::CustomContextMenu);
    rzstrngrd1->setItemDelegate(new BoardCellDelegate(this));
    rzstrngrd1->viewport()->setMouseTracking(true);
    QFont cellFont = rzstrngrd1->font();
    cellFont.setPixelSize(12);
    rzstrngrd1->setFont(cellFont);
    // A light selection keeps the state colours readable on selected cells.
    QPalette cells = rzstrngrd1->palette();
    cells.setColor(QPalette::Highlight, QColor(0xCC, 0xE0, 0xFF));
    cells.setColor(QPalette::HighlightedText, Qt::black);
    rzstrngrd1->setPalette(cells);

    grp2 = new QGroupBox(this);
    grp2->move(0, 0);
    rg1 = new TRadioGroup(QStringLiteral("课本选择"),
                          {QStringLiteral("Varendo第一册"), QStringLiteral("Varendo第二册"),
                           QStringLiteral("Varendo第三册"), QStringLiteral("Varendo第四册")},
                          grp2);
    rg1->setGeometry(6, 10, kLeftWidth - 12, 124);
    rg1->SetItemIndex(0);
    QStringList legend;
    for (const study::StudyState& s : study::studyStates())
        legend << s.word + QStringLiteral(" 标志(") + s.mark + QLatin1Char(')');
    rg2 = new TRadioGroup(QStringLiteral("状态颜色标志"), legend, grp2);
    rg2->setGeometry(6, 138, kLeftWidth - 12, 124);
    grp3 = new QGroupBox(grp2);
    grp3->setGeometry(6, 266, kLeftWidth - 12, 132);
    chk1 = new QCheckBox(QStringLiteral("显示课程名称"), grp3);
    chk1->setGeometry(12, 14, 130, 24);
    chk2 = new QCheckBox(QStringLiteral("显示课程状态提示"), grp3);
    chk2->setGeometry(12, 44, 130, 24);
    btn2 = new QPushButton(QStringLiteral("退出(&X)"), grp3);
    btn2->setGeometry(36, 86, 75, 25);
    grp4 = new QGroupBox(grp2);
    grp4->setGeometry(6, kPictureTop, kLeftWidth - 12, 158);
    img1 = new QLabel(grp4);
    img1->move(6, 8);
    img1->setScaledContents(true);
    img1->setPixmap(loadPicture(QStringLiteral("board"), QSize(300, 520)));
    grp4->hide();

    pm1 = new QMenu(this);
    N1 = pm1->addMenu(QStringLiteral("改变学习状态(&M)"));
    zt0 = N1->addAction(QStringLiteral("未学习"));
    zt1 = N1->addAction(QStringLiteral("已学习"));
    zt2 = N1->addAction(QStringLiteral("学习中"));
    zt3 = N1->addAction(QStringLiteral("待温习"));
    N2 = pm1->addSeparator();
    N3 = pm1->addAction(QStringLiteral("开始该课程学习(&O)"));

    // FormCreate: the legend's items in their states' colours.
    for (int i = 0; i < rg2->count(); ++i) {
        QPalette p = rg2->button(i)->palette();
        p.setColor(QPalette::WindowText, stateColour(i));
        p.setColor(QPalette::ButtonText, stateColour(i));
        rg2->button(i)->setPalette(p);
    }

    connectHandlers();
    resize(850 - kFrameWidth, kTallEnough - kFrameHeight);
}

TForm5::~TForm5() = default;

void TForm5::connectHandlers()
{
    const MessageBoxes& boxes = w.messages;
    using Handler = void (TForm5::*)(QObject*);
    auto handle = [this, &boxes](QObject* sender, Handler handler) {
        boxes.guarded([this, sender, handler] { (this->*handler)(sender); });
    };
    connect(rg1, &TRadioGroup::Click, this, [=, this] { handle(rg1, &TForm5::rg1Click); });
    for (auto [item, handler] : {std::pair{zt0, &TForm5::zt0Click}, std::pair{zt1, &TForm5::zt1Click},
                                 std::pair{zt2, &TForm5::zt2Click}, std::pair{zt3, &TForm5::zt3Click},
                                 std::pair{N3, &TForm5::N3Click}})
        connect(item, &QAction::triggered, this, [handle, item = item, handler = handler] { handle(item, handler); });
    connect(btn2, &QPushButton::clicked, this, [=, this] { handle(btn2, &TForm5::btn2Click); });
    connect(chk1, &QCheckBox::clicked, this, [=, this] { handle(chk1, &TForm5::chk1Click); });
    connect(chk2, &QCheckBox::clicked, this, [=, this] { handle(chk2, &TForm5::chk2Click); });
    connect(rzstrngrd1, &QTableWidget::cellDoubleClicked, this,
            [=, this] { handle(rzstrngrd1, &TForm5::rzstrngrd1DblClick); });
    connect(rzstrngrd1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { rzstrngrd1SelectCell(column, row); });
    connect(rzstrngrd1, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& at) {
        handle(pm1, &TForm5::pm1Popup);
        pm1->popup(rzstrngrd1->viewport()->mapToGlobal(at));
    });
    onEvent(rzstrngrd1->viewport(), QEvent::MouseMove, [this](QEvent* event) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        w.messages.guarded([&] { rzstrngrd1MouseMove(at.x(), at.y()); });
        return false;
    });
}

void TForm5::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        w.messages.guarded([this] { FormShow(this); });
}

void TForm5::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        FormHide(this);
}

void TForm5::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize(this);
}

int TForm5::book() const
{
    return rg1->ItemIndex() + 1;
}

QString TForm5::cellString(int column, int row) const
{
    const QTableWidgetItem* item = rzstrngrd1->item(row, column);
    return item ? item->text() : QString();
}

void TForm5::setCellString(int column, int row, const QString& text)
{
    QTableWidgetItem* item = rzstrngrd1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        rzstrngrd1->setItem(row, column, item);
    }
    item->setText(text);
}

bool TForm5::toRecord(int k)
{
    if (!progressQuery || !progressQuery->Active() || progressQuery->RecordCount() < k || k < 1)
        return false;
    progressQuery->SetRecNo(k);
    return true;
}

TForm5::Block TForm5::selectedBlock() const
{
    const auto ranges = rzstrngrd1->selectedRanges();
    if (!ranges.isEmpty()) {
        const QTableWidgetSelectionRange& r = ranges.first();
        return {r.topRow(), r.leftColumn(), r.bottomRow(), r.rightColumn()};
    }
    const int row = rzstrngrd1->currentRow(), column = rzstrngrd1->currentColumn();
    if (row < 0 || column < 0)
        return {};
    return {row, column, row, column};
}

void TForm5::FormShow(QObject*)
{
    setWindowTitle(kCaption);
    TForm1& f = *w.Form1;
    chk1->setChecked(f.showLessonNameFlag == QLatin1String("1"));
    chk2->setChecked(f.showLessonStateFlag == QLatin1String("1"));
    progressQuery = std::make_unique<db::Query>(f.database());
    resize(850 - kFrameWidth, kTallEnough - kFrameHeight);
    centreOver(*this, f);
    rg1->SetItemIndex(std::max(f.cbb1->currentIndex(), 0));
    rg1Click(rg1);
    const int i = f.rzchcklst1->currentIndex();
    if (i >= 0) {
        const int row = study::rowOfPosition(i), column = study::columnOfPosition(i);
        rzstrngrd1->setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect);
        rzstrngrd1->scrollToItem(rzstrngrd1->item(row, column));
        rzstrngrd1SelectCell(column, row);
    }
}

void TForm5::FormHide(QObject*)
{
    if (progressQuery)
        progressQuery->Close();
    progressQuery.reset();
}

void TForm5::FormResize(QObject*)
{
    // Worked out from the outer size, as the window's design gives it.
    const int W = width() + kFrameWidth;
    const int H = height() + kFrameHeight;
    const int inside = height();
    grp1->setGeometry(kLeftWidth + 2, 0, W - 173, inside);
    grp2->resize(kLeftWidth, inside);
    rzstrngrd1->resize(W - 185, std::max(inside - 24, 0));
    const int gridWidth = rzstrngrd1->viewport()->width();
    const int gridHeight = rzstrngrd1->height() - 2 * rzstrngrd1->frameWidth();
    // A cell's size here includes its grid line.
    for (int c = 0; c < rzstrngrd1->columnCount(); ++c)
        rzstrngrd1->setColumnWidth(c, std::max(gridWidth / study::kBoardColumns, 1));
    for (int r = 0; r < rzstrngrd1->rowCount(); ++r)
        rzstrngrd1->setRowHeight(r, std::max(gridHeight / study::kBoardMinRows, 1));
    const bool tall = H > kTallEnough;
    if (tall) {
        grp4->resize(grp4->width(), H - 437);
        img1->resize(grp4->width() - 12, H - 449);
    } else {
        grp4->resize(grp4->width(), 158);
    }
    grp4->setVisible(tall);
    img1->setVisible(tall);
}

void TForm5::rg1Click(QObject*)
{
    Showkczt();
}

void TForm5::Showkczt()
{
    if (!progressQuery)
        return;
    progressQuery->SetSQL(db::bookSelection(), {QString::number(book())});
    progressQuery->Open();
    progressQuery->First();
    const int rows = study::boardRows(progressQuery->RecordCount());
    rzstrngrd1->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < study::kBoardColumns; ++c)
            setCellString(c, r, QString());
    for (int position = 0; !progressQuery->Eof(); progressQuery->Next(), ++position) {
        const QString label = study::cellLabel(progressQuery->FieldByName(QStringLiteral("课程编号")).AsString());
        const int state = study::stateOfWord(progressQuery->FieldByName(kStateField).AsString());
        setCellString(study::columnOfPosition(position), study::rowOfPosition(position), study::cellText(label, state));
    }
    FormResize(this); // the new rows take the board's row height
    if (rzstrngrd1->currentRow() >= 0)
        rzstrngrd1SelectCell(rzstrngrd1->currentColumn(), rzstrngrd1->currentRow());
}

void TForm5::rzstrngrd1DrawCell(int column, int row, const QRect& rect, QPainter& painter)
{
    const QString text = cellString(column, row);
    const int state = study::stateOfCellText(text);
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(rzstrngrd1->font());
    painter.setPen(state >= 0 ? stateColour(state) : rzstrngrd1->palette().color(QPalette::Text));
    // Each line's text stands on a baseline 12 pixels into its 16-pixel line, so two
    // lines fit a cell whatever leading the font adds above its letters.
    const auto line = [&](int k, const QString& s) {
        painter.drawText(QPoint(rect.left() + kMargin, rect.top() + kMargin + kLineHeight * k + kBaseline), s);
    };
    line(0, text);
    if (toRecord(study::recordOfCell(column, row))) {
        const QStringList lines = study::cellLines(progressQuery->FieldByName(kTitleField).AsString(),
                                                   progressQuery->FieldByName(kStateField).AsString(),
                                                   chk1->isChecked(), chk2->isChecked());
        for (int k = 0; k < lines.size(); ++k)
            if (!lines[k].isEmpty())
                line(k + 1, lines[k]);
    }
    painter.restore();
}

void TForm5::rzstrngrd1MouseMove(int x, int y)
{
    const int row = rzstrngrd1->rowAt(y), column = rzstrngrd1->columnAt(x);
    QString tip;
    if (row >= 0 && column >= 0 && toRecord(study::recordOfCell(column, row)))
        tip = study::cellTooltip(book(), cellString(column, row),
                                 progressQuery->FieldByName(kTitleField).AsString());
    if (tip != rzstrngrd1->toolTip()) {
        rzstrngrd1->setToolTip(tip);
        if (tip.isEmpty())
            QToolTip::hideText();
    }
}

void TForm5::rzstrngrd1SelectCell(int column, int row)
{
    const int state = study::stateOfCellText(cellString(column, row));
    if (state >= 0)
        rg2->SetItemIndex(state);
}

void TForm5::pm1Popup(QObject*)
{
    const Block b = selectedBlock();
    const bool single = b.top == b.bottom && b.left == b.right;
    const int hidden = single ? rg2->ItemIndex() : -1;
    QAction* const items[] = {zt0, zt1, zt2, zt3};
    for (int i = 0; i < 4; ++i)
        items[i]->setVisible(i != hidden);
}

void TForm5::modxczt(int, QChar mark, const QString& state)
{
    const Block b = selectedBlock();
    for (int row = b.top; row <= b.bottom; ++row) {
        for (int column = b.left; column <= b.right; ++column) {
            // The block stops at the book's last lesson.
            if (!toRecord(study::recordOfCell(column, row)))
                return;
            // Stored first: the cell shows the new state only once it is kept.
            progressQuery->Edit();
            progressQuery->FieldByName(kStateField).SetAsString(state);
            progressQuery->Post();
            setCellString(column, row, study::labelOfCellText(cellString(column, row)) + mark);
        }
    }
    if (rzstrngrd1->currentRow() >= 0)
        rzstrngrd1SelectCell(rzstrngrd1->currentColumn(), rzstrngrd1->currentRow());
}

namespace {

void applyState(TForm5& board, int code)
{
    const study::StudyState& s = study::studyStates()[code];
    board.modxczt(code, s.mark, s.word);
}

} // namespace

void TForm5::zt0Click(QObject*) { applyState(*this, 0); }
void TForm5::zt1Click(QObject*) { applyState(*this, 1); }
void TForm5::zt2Click(QObject*) { applyState(*this, 2); }
void TForm5::zt3Click(QObject*) { applyState(*this, 3); }

void TForm5::N3Click(QObject*)
{
    const Block b = selectedBlock();
    if (b.bottom < b.top || !toRecord(study::recordOfCell(b.left, b.top)))
        return;
    TForm1& f = *w.Form1;
    if (f.cbb1->currentIndex() != rg1->ItemIndex()) {
        f.cbb1->setCurrentIndex(rg1->ItemIndex());
        f.getkbs(QString::number(book()));
    }
    f.rzchcklst1->setCurrentIndex(b.top * study::kBoardColumns + b.left);
    // The lessons are marked even when the lesson's media could not start; the
    // learner has it in front of them all the same.
    std::exception_ptr failure;
    try {
        f.rzchcklst1Change(f.rzchcklst1);
    } catch (...) {
        failure = std::current_exception();
    }
    applyState(*this, study::kBeingStudied);
    if (failure)
        std::rethrow_exception(failure);
}

void TForm5::rzstrngrd1DblClick(QObject* sender)
{
    N3Click(sender);
}

void TForm5::btn2Click(QObject*)
{
    close();
}

void TForm5::chk1Click(QObject*)
{
    w.Form1->showLessonNameFlag = chk1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    rzstrngrd1->viewport()->update();
}

void TForm5::chk2Click(QObject*)
{
    w.Form1->showLessonStateFlag = chk2->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    rzstrngrd1->viewport()->update();
}
