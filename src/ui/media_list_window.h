#pragma once
// The media list window: the media tree and the play list.
#include <QWidget>

class QListWidget;
class QTreeWidget;
namespace varendo { struct VarendoWindows; }

class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    QTreeWidget* tv1 = nullptr;
    QListWidget* lst1 = nullptr;
};
