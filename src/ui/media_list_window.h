#pragma once
// The media list window, Form6: the learner's own media beside the course.
// The left panel is the media tree the folder search fills; the right one,
// shown while it has entries, is the play list. Either plays through the main
// window, and both lists are kept in list files between runs.
#include "library/media_tree.h"

#include <QIcon>
#include <QList>
#include <QStringList>
#include <QWidget>

class QAction;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
namespace varendo { struct VarendoWindows; }

class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(varendo::VarendoWindows& windows);
    ~TForm6() override;
    varendo::VarendoWindows& w;

    // ---- Start, layout, close
    void FormCreate(QObject* sender);
    void FormResize(QObject* sender);
    void FormClose(QObject* sender);
    void spl1Moved(QObject* sender, int x);
    void grp1DblClick(QObject* sender);
    void grp2DblClick(QObject* sender);
    void switchdock();

    // ---- The tree
    void pm1Popup(QObject* sender);
    void P1Click(QObject* sender);
    void tv1DblClick(QObject* sender);
    void addtolst1();
    void S3Click(QObject* sender); // find nodes by keyword
    void N8Click(QObject* sender);
    void N12Click(QObject* sender);
    void N15Click(QObject* sender);
    void R1Click(QObject* sender);
    void D1Click(QObject* sender);
    void N2Click(QObject* sender);
    void N3Click(QObject* sender);
    void N6Click(QObject* sender);
    void C1Click(QObject* sender);

    // ---- The play list
    void pm2Popup(QObject* sender);
    void lst1DblClick(QObject* sender);
    void A2Click(QObject* sender);
    void N7Click(QObject* sender);
    void S1Click(QObject* sender);
    void U01Click(QObject* sender);
    void N17Click(QObject* sender);
    void T1Click(QObject* sender);
    void B1Click(QObject* sender);
    void S2Click(QObject* sender);
    void L1Click(QObject* sender);

    // Enables the main window's previous and next buttons by the entry's place
    // in the play list, and records where it plays and how many there are.
    void upnexten(int index);
    // Plays the play-list entry at index; outside the list, previous and next go off.
    void playlstitem(int index);
    // Moves entry from to place to; the check mark stays with its entry.
    void selchelst1(int from, int to);
    // A node's full path: a media file's is the file's absolute path.
    QString getnodefilepath(const QTreeWidgetItem* node) const;

    // ---- The list files
    void savelistfile(const QString& name, const QString& filter, bool tree);
    bool savemdl(const QString& fileName);
    bool loadmdl(const QString& fileName);
    void setnodekinds();
    bool savelst(const QString& fileName);
    bool loadlst(const QString& fileName);
    // At exit: keeps both lists in the program folder's automatic copies. A tree
    // cleared to its placeholder removes its copy; a copy that did not load
    // whole at start and could not be set aside is not written over. One
    // message says what could not be kept.
    void saveAutomaticLists();

    // ---- Play-list entries: the file name is shown, the full path kept and hinted.
    static QString entryPath(const QListWidgetItem* item);
    static void setEntryPath(QListWidgetItem* item, const QString& path);
    QListWidgetItem* addEntry(const QString& path, Qt::CheckState state);

    // ---- Tree nodes and their kinds
    static varendo::library::NodeKind kindOf(const QTreeWidgetItem* node);
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, varendo::library::NodeKind kind);
    void setKind(QTreeWidgetItem* node, varendo::library::NodeKind kind);
    void addPlaceholder();
    int nodeCount() const; // at every level
    // Removes every folder that leads to no media.
    void prunetree();
    // The node the pop-up was opened on, else the selected one; may be null.
    QTreeWidgetItem* currentNode() const;

    // ---- Layout values (for a window 703 wide)
    int treePanelWidth = 385;
    int listPanelWidth = 307;
    int listPanelLeft = 388;

    // ---- Controls
    QGroupBox* grp1 = nullptr;
    QTreeWidget* tv1 = nullptr;
    QWidget* spl1 = nullptr;
    QGroupBox* grp2 = nullptr;
    QListWidget* lst1 = nullptr; // the play list, checkable entries of full paths
    QMenu* pm1 = nullptr;
    QAction *P1 = nullptr, *A1 = nullptr, *S3 = nullptr, *N8 = nullptr, *N12 = nullptr, *N14 = nullptr,
            *N15 = nullptr, *R1 = nullptr, *D1 = nullptr, *N2 = nullptr, *N3 = nullptr, *N6 = nullptr, *C1 = nullptr,
            *N19 = nullptr;
    QMenu* pm2 = nullptr;
    QAction *P2 = nullptr, *A2 = nullptr, *N7 = nullptr, *S1 = nullptr, *U01 = nullptr, *N17 = nullptr,
            *T1 = nullptr, *B1 = nullptr, *S2 = nullptr, *L1 = nullptr, *N21 = nullptr;

    static const QString kPlaceholder;
    static const QString kIdleCaption;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createMenus();
    void connectHandlers();
    // Checks, unchecks and reads the play list's entries.
    void checkAll(bool checked);
    // The common open dialog of both load commands; empty when cancelled.
    QString openListFile(const QString& name, const QString& filter);
    void deleteNode(QTreeWidgetItem* node);
    QString automaticCopy(const QString& name) const;
    // Writes the list file; false, with the reason, when it was not replaced.
    bool writeMdl(const QString& fileName, QString* error);
    bool writeLst(const QString& fileName, QString* error);
    // What a damaged automatic copy becomes: set aside as ".bak", or kept from
    // being written over. The sentence that tells the learner.
    QString setAsideDamaged(const QString& fileName);

    QTreeWidgetItem* popupNode_ = nullptr; // where the tree's pop-up was opened
    QList<QIcon> kindIcons_;               // by NodeKind
    bool layingOut_ = false;
    QStringList keepUntouched_; // automatic copies that did not load whole and stay as they are
};
