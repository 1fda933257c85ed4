#include "ui/media_list_window.h"

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
