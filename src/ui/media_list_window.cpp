#include "ui/media_list_window.h"

#include "common/file_names.h"
#include "common/media_texts.h"
#include "library/list_files.h"
#include "playback/sentence_tracking.h"
#include "ui/event_hook.h"
#include "ui/main_window.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>

using namespace varendo;
using varendo::library::NodeKind;

const QString TForm6::kPlaceholder = QStringLiteral("空媒体目录");
const QString TForm6::kIdleCaption = QStringLiteral("目录媒体文件列表");

namespace {

constexpr int kIconRole = Qt::UserRole; // the node's picture, which is its kind
constexpr int kNarrowWidth = 403;
constexpr int kWideWidth = 703;

QIcon maskGroupIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 110, 190));
    p.drawRoundedRect(QRectF(1, 3, 14, 10), 2, 2);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("*"));
    return QIcon(pm);
}

// Pre-order over every node of the tree, with its level (0 at the top).
void forEachNode(QTreeWidget* tree, const std::function<void(QTreeWidgetItem*, int)>& visit)
{
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* node, int level) {
        visit(node, level);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), level + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
}

} // namespace

TForm6::TForm6(VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      w(windows)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(kIdleCaption);
    resize(kWideWidth, 412);

    grp1 = new QGroupBox(QStringLiteral("媒体文件列表"), this);
    grp1->setGeometry(0, 0, 385, 374);
    tv1 = new QTreeWidget(grp1);
    tv1->setGeometry(4, 18, 377, 352);
    tv1->header()->hide();
    tv1->setIndentation(19);
    tv1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv1->setContextMenuPolicy(Qt::CustomContextMenu);
    tv1->setExpandsOnDoubleClick(false);
    // The selection stays visible while another window has the focus.
    QPalette pal = tv1->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    tv1->setPalette(pal);

    // The splitter: drag it to share the width between the panels.
    spl1 = new QWidget(this);
    spl1->setGeometry(385, 0, 3, 374);
    spl1->setCursor(Qt::SplitHCursor);

    grp2 = new QGroupBox(QStringLiteral("播放列表"), this);
    grp2->setGeometry(388, 0, 307, 374);
    grp2->hide();
    lst1 = new QListWidget(grp2);
    lst1->setGeometry(4, 18, 299, 352);
    lst1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lst1->setContextMenuPolicy(Qt::CustomContextMenu);
    lst1->setPalette(pal);

    createMenus();
    connectHandlers();
    FormCreate(this);
}

TForm6::~TForm6()
{
    // A search still running hands its changes to this window.
    w.Form1->librarySearchShutdown();
}

void TForm6::createMenus()
{
    pm1 = new QMenu(this);
    P1 = pm1->addAction(QStringLiteral("播放(&P)"));
    A1 = pm1->addAction(QStringLiteral("添加到播放列表(&A)"));
    S3 = pm1->addAction(QStringLiteral("查找文件(&S)"));
    pm1->addSeparator();
    QMenu* N10 = pm1->addMenu(QStringLiteral("扩展"));
    N8 = N10->addAction(QStringLiteral("展开此节点"));
    N12 = N10->addAction(QStringLiteral("全部展开"));
    QMenu* N13 = pm1->addMenu(QStringLiteral("折叠"));
    N14 = N13->addAction(QStringLiteral("折叠此节点"));
    N15 = N13->addAction(QStringLiteral("全部折叠"));
    pm1->addSeparator();
    R1 = pm1->addAction(QStringLiteral("重新搜索此目录下媒体文件(&R)"));
    D1 = pm1->addAction(QStringLiteral("添加目录并搜索媒体文件(&D)"));
    pm1->addSeparator();
    N2 = pm1->addAction(QStringLiteral("保存列表(&S)"));
    N3 = pm1->addAction(QStringLiteral("载入列表(&L)"));
    pm1->addSeparator();
    N6 = pm1->addAction(QStringLiteral("移除选中(&M)"));
    C1 = pm1->addAction(QStringLiteral("清空列表(&C)"));
    pm1->addSeparator();
    N19 = pm1->addAction(QStringLiteral("固定在主窗下方"));
    N19->setCheckable(true);
    N19->setChecked(true);

    pm2 = new QMenu(this);
    P2 = pm2->addAction(QStringLiteral("播放(&P)"));
    pm2->addSeparator();
    A2 = pm2->addAction(QStringLiteral("全选(&A)"));
    N7 = pm2->addAction(QStringLiteral("全清(&C)"));
    pm2->addSeparator();
    S1 = pm2->addAction(QStringLiteral("删除选定(&D)"));
    pm2->addSeparator();
    U01 = pm2->addAction(QStringLiteral("上移(&U)"));
    N17 = pm2->addAction(QStringLiteral("下移(&N)"));
    T1 = pm2->addAction(QStringLiteral("到顶(&T)"));
    B1 = pm2->addAction(QStringLiteral("到底(&B)"));
    for (QAction* move : {U01, N17, T1, B1})
        move->setVisible(false);
    pm2->addSeparator();
    S2 = pm2->addAction(QStringLiteral("保存列表(&S)"));
    L1 = pm2->addAction(QStringLiteral("载入列表(&L)"));
    pm2->addSeparator();
    N21 = pm2->addAction(QStringLiteral("固定在主窗口下方"));
    N21->setCheckable(true);
    N21->setChecked(true);
}

void TForm6::connectHandlers()
{
    const MessageBoxes& boxes = w.messages;
    using Handler = void (TForm6::*)(QObject*);
    const std::pair<QAction*, Handler> actions[] = {
        {P1, &TForm6::P1Click},   {S3, &TForm6::S3Click},   {N8, &TForm6::N8Click},   {N12, &TForm6::N12Click},
        {N15, &TForm6::N15Click}, {R1, &TForm6::R1Click},   {D1, &TForm6::D1Click},   {N2, &TForm6::N2Click},
        {N3, &TForm6::N3Click},   {N6, &TForm6::N6Click},   {C1, &TForm6::C1Click},   {P2, &TForm6::lst1DblClick},
        {A2, &TForm6::A2Click},   {N7, &TForm6::N7Click},   {S1, &TForm6::S1Click},   {U01, &TForm6::U01Click},
        {N17, &TForm6::N17Click}, {T1, &TForm6::T1Click},   {B1, &TForm6::B1Click},   {S2, &TForm6::S2Click},
        {L1, &TForm6::L1Click}};
    for (auto [action, handler] : actions)
        connect(action, &QAction::triggered, this,
                [this, &boxes, action = action, handler = handler] { boxes.guarded([&] { (this->*handler)(action); }); });
    connect(A1, &QAction::triggered, this, [this, &boxes] { boxes.guarded([this] { addtolst1(); }); });
    for (QAction* dock : {N19, N21})
        connect(dock, &QAction::triggered, this, [this, &boxes] { boxes.guarded([this] { switchdock(); }); });

    connect(tv1, &QWidget::customContextMenuRequested, this, [this, &boxes](const QPoint& at) {
        popupNode_ = tv1->itemAt(at);
        boxes.guarded([this] { pm1Popup(pm1); });
        pm1->exec(tv1->viewport()->mapToGlobal(at));
        popupNode_ = nullptr;
    });
    connect(lst1, &QWidget::customContextMenuRequested, this, [this, &boxes](const QPoint& at) {
        boxes.guarded([this] { pm2Popup(pm2); });
        pm2->popup(lst1->viewport()->mapToGlobal(at));
    });
    // Dragging the splitter shares the width; a double-click on a panel's frame
    // gives a closed tree panel its room back.
    onEvent(spl1, QEvent::MouseMove, [this, &boxes](QEvent* e) {
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (mouse->buttons() & Qt::LeftButton) {
            const int x = std::clamp(spl1->mapToParent(mouse->position().toPoint()).x(), 0, width() - 3);
            boxes.guarded([this, x] { spl1Moved(spl1, x); });
        }
        return true;
    });
    onEvent(grp1, QEvent::MouseButtonDblClick, [this, &boxes](QEvent*) {
        boxes.guarded([this] { grp1DblClick(grp1); });
        return true;
    });
    onEvent(grp2, QEvent::MouseButtonDblClick, [this, &boxes](QEvent*) {
        boxes.guarded([this] { grp2DblClick(grp2); });
        return true;
    });
    connect(tv1, &QTreeWidget::itemDoubleClicked, this, [this, &boxes] { boxes.guarded([this] { tv1DblClick(tv1); }); });
    connect(lst1, &QListWidget::itemDoubleClicked, this,
            [this, &boxes] { boxes.guarded([this] { lst1DblClick(lst1); }); });
}

// ---- Start, layout, close

void TForm6::FormCreate(QObject*)
{
    resize(kNarrowWidth, height());
    grp1->resize(385, grp1->height());
    tv1->resize(377, tv1->height());
    treePanelWidth = grp1->width();
    listPanelWidth = grp2->width();
    listPanelLeft = grp2->x();
    const QString playList = automaticCopy(QStringLiteral("play.lst"));
    const QString mediaList = automaticCopy(QStringLiteral("mediatv.mdl"));
    if (QFileInfo::exists(playList) && lst1->count() == 0)
        loadlst(playList);
    if (tv1->topLevelItemCount() == 0) {
        if (QFileInfo::exists(mediaList)) {
            loadmdl(mediaList);
            setnodekinds();
        } else {
            addPlaceholder();
        }
    }
}

void TForm6::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    w.messages.guarded([this] { FormResize(this); });
}

void TForm6::FormResize(QObject*)
{
    // Showing or hiding the play list changes the width, which lays out again.
    if (layingOut_)
        return;
    layingOut_ = true;
    int width = this->width();
    const int height = this->height();
    if (lst1->count() == 0) {
        if (!grp2->isHidden()) {
            width = kNarrowWidth;
            grp2->hide();
            resize(width, height);
        }
        grp1->resize(width - 19, height - 38);
        tv1->resize(grp1->width() - 8, grp1->height() - 22);
    } else {
        if (grp2->isHidden()) {
            width = kWideWidth;
            grp2->show();
            resize(width, height);
        }
        const int d = (width - kWideWidth) / 2;
        grp1->resize(treePanelWidth + d, height - 38);
        tv1->resize(grp1->width() - 8, grp1->height() - 22);
        spl1->setGeometry(listPanelLeft + d - 3, 0, 3, height - 38);
        grp2->setGeometry(listPanelLeft + d, 0, listPanelWidth + d, height - 38);
        lst1->resize(grp2->width() - 8, grp2->height() - 22);
    }
    layingOut_ = false;
}

void TForm6::spl1Moved(QObject*, int x)
{
    // The splitter sits between the panels: the tree ends at it, the list starts after it.
    const int right = grp2->x() + grp2->width();
    grp1->resize(std::max(0, x), grp1->height());
    spl1->move(x, spl1->y());
    grp2->setGeometry(x + 3, grp2->y(), std::max(0, right - x - 3), grp2->height());
    treePanelWidth = grp1->width();
    listPanelWidth = grp2->width();
    listPanelLeft = grp2->x();
    lst1->resize(grp2->width() - 8, lst1->height());
    tv1->resize(grp1->width() - 8, tv1->height());
}

void TForm6::grp1DblClick(QObject*)
{
    spl1->move(grp2->x(), spl1->y());
    if (N19->isChecked())
        w.Form1->setform6pos();
}

void TForm6::grp2DblClick(QObject*)
{
    if (grp1->width() <= 0) {
        grp1->resize(grp2->width() / 2, grp1->height());
        tv1->resize(grp1->width() - 8, tv1->height());
        spl1->move(grp2->x(), spl1->y());
        lst1->resize(grp2->width() - 8, lst1->height());
    }
    if (N19->isChecked())
        w.Form1->setform6pos();
}

void TForm6::switchdock()
{
    // Both items were toggled by the click on one of them: the tree's item leads.
    const bool docked = sender() == N21 ? N21->isChecked() : N19->isChecked();
    N19->setChecked(docked);
    N21->setChecked(docked);
    if (isVisible() && docked)
        w.Form1->setform6pos();
}

bool TForm6::event(QEvent* e)
{
    // The learner acts on this window: activating it (a click on its caption or
    // anywhere in it does) or pressing its frame. While docked, it then stops
    // following the main window's moves until the learner acts on the main
    // window again, so a list window dragged away stays where it was put.
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::NonClientAreaMouseButtonPress)
        w.Form1->sysCommandWindow = this;
    return QWidget::event(e);
}

void TForm6::closeEvent(QCloseEvent* event)
{
    w.messages.guarded([this] { FormClose(this); });
    event->accept();
}

void TForm6::FormClose(QObject*)
{
    w.Form1->stopSearch();
}

// ---- Tree nodes

NodeKind TForm6::kindOf(const QTreeWidgetItem* node)
{
    return library::kindOfIcon(node->data(0, kIconRole).toInt());
}

void TForm6::setKind(QTreeWidgetItem* node, NodeKind kind)
{
    node->setData(0, kIconRole, library::iconOf(kind));
    // One picture per kind, shared by every node: a search may add a hundred thousand.
    if (kindIcons_.isEmpty())
        kindIcons_ = {style()->standardIcon(QStyle::SP_DirIcon), maskGroupIcon(),
                      style()->standardIcon(QStyle::SP_MediaVolume)};
    node->setIcon(0, kindIcons_[int(kind)]);
}

QTreeWidgetItem* TForm6::addNode(QTreeWidgetItem* parent, const QString& text, NodeKind kind)
{
    auto* node = parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(tv1, {text});
    setKind(node, kind);
    return node;
}

void TForm6::addPlaceholder()
{
    addNode(nullptr, kPlaceholder, NodeKind::Folder);
}

int TForm6::nodeCount() const
{
    int count = 0;
    forEachNode(tv1, [&](QTreeWidgetItem*, int) { ++count; });
    return count;
}

void TForm6::deleteNode(QTreeWidgetItem* node)
{
    if (node == popupNode_)
        popupNode_ = nullptr;
    delete node;
}

void TForm6::prunetree()
{
    // Children before parents: a folder emptied by the pass is removed in the same pass.
    std::function<bool(QTreeWidgetItem*)> keep = [&](QTreeWidgetItem* node) {
        for (int i = node->childCount() - 1; i >= 0; --i)
            if (!keep(node->child(i)))
                deleteNode(node->child(i));
        return !library::isPrunable(kindOf(node), node->childCount());
    };
    for (int i = tv1->topLevelItemCount() - 1; i >= 0; --i)
        if (!keep(tv1->topLevelItem(i)))
            deleteNode(tv1->topLevelItem(i));
}

QTreeWidgetItem* TForm6::currentNode() const
{
    if (popupNode_)
        return popupNode_;
    const QList<QTreeWidgetItem*> selected = tv1->selectedItems();
    if (!selected.isEmpty())
        return tv1->currentItem() && tv1->currentItem()->isSelected() ? tv1->currentItem() : selected.constFirst();
    return nullptr;
}

QString TForm6::getnodefilepath(const QTreeWidgetItem* node) const
{
    QStringList texts;
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        texts.prepend(n->text(0));
    return library::nodePath(texts, w.Form1->mediaMasks);
}

// ---- Tree commands

void TForm6::pm1Popup(QObject*)
{
    const QTreeWidgetItem* node = currentNode();
    const bool file = node && kindOf(node) == NodeKind::MediaFile;
    A1->setVisible(file && !tv1->selectedItems().isEmpty());
    P1->setVisible(file);
    R1->setVisible(node && kindOf(node) == NodeKind::Folder);
    // While a search adds to the tree, the tree keeps its shape.
    const bool searching = w.Form1->searchRunning;
    for (QAction* reshape : {N3, N6, C1})
        reshape->setEnabled(!searching);
}

void TForm6::P1Click(QObject*)
{
    QTreeWidgetItem* node = currentNode();
    if (!node || kindOf(node) != NodeKind::MediaFile)
        return;
    const QString path = getnodefilepath(node);
    if (tv1->selectedItems().size() > 1) {
        lst1->clear();
        addtolst1();
        node->setSelected(false);
    }
    if (isExistingFile(path))
        w.Form1->playopenfiles(path);
    else
        w.messages.ShowMessage(QStringLiteral("文件:") + path.trimmed() + QStringLiteral("不存在!"));
}

void TForm6::tv1DblClick(QObject* sender)
{
    P1Click(sender);
}

void TForm6::addtolst1()
{
    for (QTreeWidgetItem* node : tv1->selectedItems())
        if (kindOf(node) == NodeKind::MediaFile)
            addEntry(getnodefilepath(node), Qt::Unchecked);
    upnexten(w.Form1->playListIndex);
    FormResize(this);
    w.Form1->setform6pos();
}

void TForm6::S3Click(QObject*)
{
    QInputDialog ask(this);
    ask.setWindowTitle(QStringLiteral("查找文件窗口"));
    ask.setLabelText(QStringLiteral("查找关键字"));
    ask.setTextValue(QString());
    if (ask.exec() != QDialog::Accepted)
        return;
    QString keyword = ask.textValue();
    keyword.remove(QStringLiteral("*."));
    QList<QTreeWidgetItem*> found;
    if (!keyword.isEmpty()) {
        const QString wanted = playback::upperLatin(keyword);
        forEachNode(tv1, [&](QTreeWidgetItem* node, int) {
            if (!playback::upperLatin(node->text(0).trimmed()).contains(wanted))
                return;
            if (QTreeWidgetItem* parent = node->parent())
                tv1->expandRecursively(tv1->indexFromItem(parent));
            found << node;
        });
    }
    if (found.isEmpty()) {
        w.messages.ShowMessage(QStringLiteral("无匹配文件!"));
        return;
    }
    tv1->clearSelection();
    for (QTreeWidgetItem* node : found)
        node->setSelected(true);
    tv1->scrollToItem(found.constFirst());
}

void TForm6::N8Click(QObject*)
{
    if (QTreeWidgetItem* node = currentNode())
        tv1->expandRecursively(tv1->indexFromItem(node));
}

void TForm6::N12Click(QObject*)
{
    tv1->expandAll();
}

void TForm6::N15Click(QObject*)
{
    tv1->collapseAll();
}

void TForm6::R1Click(QObject*)
{
    w.Form1->researchmedia();
}

void TForm6::D1Click(QObject*)
{
    w.Form1->D1Click(D1);
}

void TForm6::N2Click(QObject*)
{
    if (tv1->topLevelItemCount() > 0)
        savelistfile(QStringLiteral("mediatv.mdl"), QStringLiteral("媒体列表文件|*.mdl"), true);
}

void TForm6::N3Click(QObject*)
{
    if (w.Form1->searchRunning)
        return;
    const QString file = openListFile(QStringLiteral("mediatv.mdl"), QStringLiteral("媒体列表文件|*.mdl"));
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        loadmdl(file);
        QDir::setCurrent(w.Form1->appDir);
        setnodekinds();
    }
}

void TForm6::N6Click(QObject*)
{
    if (w.Form1->searchRunning)
        return;
    // A node goes with a selected ancestor; deleting it again would be deleting freed memory.
    QList<QTreeWidgetItem*> selected = tv1->selectedItems();
    auto hasSelectedAncestor = [](const QTreeWidgetItem* node) {
        for (const QTreeWidgetItem* a = node->parent(); a; a = a->parent())
            if (a->isSelected())
                return true;
        return false;
    };
    QList<QTreeWidgetItem*> roots;
    for (QTreeWidgetItem* node : selected)
        if (!hasSelectedAncestor(node))
            roots << node;
    for (QTreeWidgetItem* node : roots)
        deleteNode(node);
    if (tv1->topLevelItemCount() == 0)
        addPlaceholder();
}

void TForm6::C1Click(QObject*)
{
    if (w.Form1->searchRunning)
        return;
    popupNode_ = nullptr;
    tv1->clear();
    addPlaceholder();
}

// ---- Play list

QString TForm6::entryPath(const QListWidgetItem* item)
{
    const QVariant path = item->data(Qt::UserRole);
    return path.isValid() ? path.toString() : item->text();
}

void TForm6::setEntryPath(QListWidgetItem* item, const QString& path)
{
    // The docked list is narrow: the name tells the entries apart, the hint gives the whole path.
    const QString name = path.contains(QStringLiteral("://")) ? path : QFileInfo(path.trimmed()).fileName();
    item->setText(name.isEmpty() ? path : name);
    item->setToolTip(path);
    item->setData(Qt::UserRole, path);
}

QListWidgetItem* TForm6::addEntry(const QString& path, Qt::CheckState state)
{
    auto* item = new QListWidgetItem(lst1);
    setEntryPath(item, path);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(state);
    return item;
}

void TForm6::checkAll(bool checked)
{
    for (int i = 0; i < lst1->count(); ++i)
        lst1->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TForm6::pm2Popup(QObject*)
{
    if (lst1->count() == 1) {
        for (QAction* move : {U01, N17, T1, B1})
            move->setVisible(false);
        return;
    }
    const int current = lst1->currentRow();
    const bool up = current > 0;
    const bool down = current >= 0 && current < lst1->count() - 1;
    U01->setVisible(up);
    T1->setVisible(up);
    N17->setVisible(down);
    B1->setVisible(down);
}

void TForm6::lst1DblClick(QObject*)
{
    if (tv1->selectedItems().size() > 1 && tv1->currentItem())
        tv1->currentItem()->setSelected(false);
    const int current = lst1->currentRow();
    if (current < 0)
        return;
    lst1->item(current)->setCheckState(Qt::Checked);
    playlstitem(current);
}

void TForm6::A2Click(QObject*)
{
    checkAll(true);
}

void TForm6::N7Click(QObject*)
{
    checkAll(false);
}

void TForm6::S1Click(QObject*)
{
    for (int i = lst1->count() - 1; i >= 0; --i)
        if (lst1->item(i)->checkState() == Qt::Checked)
            delete lst1->takeItem(i);
    checkAll(false);
    upnexten(w.Form1->playListIndex);
}

void TForm6::U01Click(QObject*)
{
    selchelst1(lst1->currentRow(), lst1->currentRow() - 1);
}

void TForm6::N17Click(QObject*)
{
    selchelst1(lst1->currentRow(), lst1->currentRow() + 1);
}

void TForm6::T1Click(QObject*)
{
    selchelst1(lst1->currentRow(), 0);
}

void TForm6::B1Click(QObject*)
{
    selchelst1(lst1->currentRow(), lst1->count() - 1);
}

void TForm6::selchelst1(int from, int to)
{
    const int n = lst1->count();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    const bool fromChecked = lst1->item(from)->checkState() == Qt::Checked;
    const bool toChecked = lst1->item(to)->checkState() == Qt::Checked;
    int movedTo = to;      // where the entry from `from` now stands
    int otherAt = from;    // where the entry from `to` now stands
    if (to == 0 || to == n - 1) {
        QListWidgetItem* item = lst1->takeItem(from);
        lst1->insertItem(to == 0 ? 0 : n - 1, item);
        // The entries between shift by one towards the old place.
        otherAt = to == 0 ? to + 1 : to - 1;
    } else {
        const QString path = entryPath(lst1->item(from));
        setEntryPath(lst1->item(from), entryPath(lst1->item(to)));
        setEntryPath(lst1->item(to), path);
        // The check states stay with the places; they are set again below.
    }
    if (fromChecked || toChecked) {
        checkAll(false);
        const int checkedAt = fromChecked ? movedTo : otherAt;
        lst1->item(checkedAt)->setCheckState(Qt::Checked);
        lst1->setCurrentRow(checkedAt);
    } else if (to == 0 || to == n - 1) {
        lst1->setCurrentRow(movedTo);
    }
}

void TForm6::S2Click(QObject*)
{
    savelistfile(QStringLiteral("play.lst"), QStringLiteral("插放列表文件|*.lst"), false);
}

void TForm6::L1Click(QObject*)
{
    const QString file = openListFile(QStringLiteral("play.lst"), QStringLiteral("播放列表文件|*.lst"));
    if (!file.isEmpty() && QFileInfo::exists(file))
        loadlst(file);
    QDir::setCurrent(w.Form1->appDir);
}

void TForm6::upnexten(int index)
{
    TForm1& f = *w.Form1;
    const int count = lst1->count();
    if (count < 2) {
        f.btup->setEnabled(false);
        f.btnext->setEnabled(false);
    } else {
        f.btup->setEnabled(true);
        f.btnext->setEnabled(true);
        if (index <= 0) {
            f.playListIndex = 0;
            f.btup->setEnabled(false);
        }
        if (index >= count - 1) {
            f.playListIndex = count - 1;
            f.btnext->setEnabled(false);
        }
    }
    f.playListCount = count;
}

void TForm6::playlstitem(int index)
{
    TForm1& f = *w.Form1;
    if (lst1->count() == 0 || index < 0 || index >= lst1->count()) {
        f.btup->setEnabled(false);
        f.btnext->setEnabled(false);
        return;
    }
    const QString path = entryPath(lst1->item(index));
    if (isExistingFile(path))
        f.playopenfiles(path);
    else
        w.messages.ShowMessage(QStringLiteral("文件：") + path.trimmed() + QStringLiteral("不存在！"));
}

// ---- List files

QString TForm6::openListFile(const QString& name, const QString& filter)
{
    QFileDialog* dialog = w.Form1->dlgOpen1;
    dialog->setDirectory(w.Form1->appDir);
    dialog->setNameFilters(qtFileFilter(filter).split(QStringLiteral(";;")));
    dialog->selectFile(name);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

void TForm6::savelistfile(const QString& name, const QString& filter, bool tree)
{
    QFileDialog* dialog = w.Form1->dlgSave1;
    dialog->setDirectory(w.Form1->appDir);
    dialog->setNameFilters(qtFileFilter(filter).split(QStringLiteral(";;")));
    dialog->setDefaultSuffix(filterSuffix(filter));
    dialog->selectFile(name);
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        const QString file = dialog->selectedFiles().constFirst();
        if (tree)
            savemdl(file);
        else
            savelst(file);
    }
    QDir::setCurrent(w.Form1->appDir);
}

QString TForm6::automaticCopy(const QString& name) const
{
    return w.Form1->appDir + name;
}

bool TForm6::writeMdl(const QString& fileName, QString* error)
{
    QStringList lines;
    forEachNode(tv1, [&](QTreeWidgetItem* node, int level) { lines << library::mdlLine(level, node->text(0)); });
    return library::writeListFile(fileName, lines, error);
}

bool TForm6::savemdl(const QString& fileName)
{
    QString error;
    if (writeMdl(fileName, &error))
        return true;
    w.messages.ShowMessage(QStringLiteral("媒体列表未能保存。\n%1\n原来的文件保持不变。").arg(error));
    return false;
}

QString TForm6::setAsideDamaged(const QString& fileName)
{
    QString aside = fileName + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = fileName + QStringLiteral(".bak%1").arg(n);
    if (QFile::rename(fileName, aside))
        return QStringLiteral("原文件已原样改名为“%1”保存，退出时保存的是现在的列表。").arg(aside);
    keepUntouched_ << fileName;
    return QStringLiteral("原文件保持不变，退出时也不会覆盖它。");
}

bool TForm6::loadmdl(const QString& fileName)
{
    QStringList lines;
    QString error;
    const bool automatic = fileName == automaticCopy(QStringLiteral("mediatv.mdl"));
    // An unreadable file leaves the tree as it was.
    if (!library::readListFile(fileName, &lines, &error)) {
        if (automatic)
            keepUntouched_ << fileName;
        w.messages.ShowMessage(QStringLiteral("无法读取媒体列表。\n%1%2")
                                   .arg(error, automatic ? QStringLiteral("\n退出时不会覆盖这个文件。") : QString()));
        return false;
    }
    const library::MediaTree tree = library::MediaTree::fromMdlLines(lines, w.Form1->mediaMasks, &error);
    popupNode_ = nullptr;
    tv1->setUpdatesEnabled(false);
    tv1->clear();
    std::function<void(const library::MediaTree::Node&, QTreeWidgetItem*)> build =
        [&](const library::MediaTree::Node& from, QTreeWidgetItem* to) {
            for (const auto& child : from.children)
                build(*child, addNode(to, child->text, child->kind));
        };
    build(tree.root(), nullptr);
    tv1->setUpdatesEnabled(true);
    if (!error.isEmpty()) {
        // Every line makes one node, so the nodes read tell the line that stopped the load.
        const int read = tree.count();
        const QString what = automatic ? setAsideDamaged(fileName) : QStringLiteral("文件本身未作改动。");
        w.messages.ShowMessage(error + QLatin1Char('\n')
                               + QStringLiteral("媒体列表“%1”第 %2 行的层级不对，只载入了它前面的 %3 项。%4")
                                     .arg(fileName)
                                     .arg(read + 1)
                                     .arg(read)
                                     .arg(what));
        return false;
    }
    return true;
}

void TForm6::setnodekinds()
{
    forEachNode(tv1, [&](QTreeWidgetItem* node, int) {
        const QTreeWidgetItem* parent = node->parent();
        setKind(node, library::kindAfterLoad(node->text(0), node->childCount() > 0,
                                             parent ? std::optional(kindOf(parent)) : std::nullopt,
                                             w.Form1->mediaMasks));
    });
    tv1->update();
}

bool TForm6::writeLst(const QString& fileName, QString* error)
{
    QStringList lines;
    for (int i = 0; i < lst1->count(); ++i) {
        const QListWidgetItem* item = lst1->item(i);
        library::PlayListEntry entry;
        entry.enabled = item->flags().testFlag(Qt::ItemIsEnabled);
        entry.checkState = item->checkState() == Qt::Checked ? 1 : item->checkState() == Qt::PartiallyChecked ? 2 : 0;
        entry.text = entryPath(item);
        lines << library::playListLine(entry);
    }
    return library::writeListFile(fileName, lines, error);
}

bool TForm6::savelst(const QString& fileName)
{
    QString error;
    if (writeLst(fileName, &error))
        return true;
    w.messages.ShowMessage(QStringLiteral("播放列表未能保存。\n%1\n原来的文件保持不变。").arg(error));
    return false;
}

bool TForm6::loadlst(const QString& fileName)
{
    QStringList lines;
    QString error;
    if (!library::readListFile(fileName, &lines, &error)) {
        const bool automatic = fileName == automaticCopy(QStringLiteral("play.lst"));
        if (automatic)
            keepUntouched_ << fileName;
        w.messages.ShowMessage(QStringLiteral("无法读取播放列表。\n%1%2")
                                   .arg(error, automatic ? QStringLiteral("\n退出时不会覆盖这个文件。") : QString()));
        return false;
    }
    lst1->setUpdatesEnabled(false);
    lst1->clear();
    for (const library::PlayListEntry& entry : library::parsePlayList(lines)) {
        QListWidgetItem* item = addEntry(entry.text, entry.checkState == 1   ? Qt::Checked
                                                     : entry.checkState == 2 ? Qt::PartiallyChecked
                                                                             : Qt::Unchecked);
        if (!entry.enabled)
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    lst1->setUpdatesEnabled(true);
    return true;
}

void TForm6::saveAutomaticLists()
{
    QStringList failed;
    const QString mediaList = automaticCopy(QStringLiteral("mediatv.mdl"));
    if (!keepUntouched_.contains(mediaList)) {
        QString error;
        // A tree cleared to its placeholder stays cleared at the next start.
        const bool cleared = tv1->topLevelItemCount() == 0
                             || (nodeCount() == 1 && tv1->topLevelItem(0)->text(0) == kPlaceholder);
        if (!cleared) {
            if (!writeMdl(mediaList, &error))
                failed << error;
        } else if (QFileInfo::exists(mediaList) && !QFile::remove(mediaList)) {
            failed << QStringLiteral("无法删除已清空的媒体列表“%1”。").arg(mediaList);
        }
    }
    const QString playList = automaticCopy(QStringLiteral("play.lst"));
    if (!keepUntouched_.contains(playList)) {
        QString error;
        if (!writeLst(playList, &error))
            failed << error;
    }
    if (!failed.isEmpty())
        w.messages.ShowMessage(QStringLiteral("退出时列表未能保存：\n%1\n原来的文件保持不变，下次启动时载入的仍是上次保存的列表。")
                                   .arg(failed.join(QLatin1Char('\n'))));
}
