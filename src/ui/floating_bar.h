#pragma once
// The floating control bar shown over full-screen video.
#include <QWidget>

namespace varendo { struct VarendoWindows; }

class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;
};
