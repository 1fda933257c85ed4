#include "ui/media_list_window.h"

#include "ui/main_window.h"
#include "ui/varendo_windows.h"

#include <QFileInfo>
#include <QToolButton>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QSplitter>
#include <QTreeWidget>

TForm6::TForm6(varendo::VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      w(windows)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("目录媒体文件列表"));
    resize(703, 412);
    auto* splitter = new QSplitter(this);
    tv1 = new QTreeWidget(splitter);
    tv1->header()->hide();
    lst1 = new QListWidget(splitter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
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
    const QString path = lst1->item(index)->text();
    if (QFileInfo::exists(path))
        f.playopenfiles(path);
    else
        w.messages.ShowMessage(QStringLiteral("文件：") + path.trimmed() + QStringLiteral("不存在！"));
}
