#include "app/varendo_windows.h"

#include "app/about_box.h"
#include "app/main_window.h"
#include "library/media_list_window.h"
#include "playback/floating_bar.h"
#include "study/notes_window.h"
#include "study/progress_board.h"
#include "study/settings_dialog.h"

#include <QCoreApplication>
#include <QDir>

namespace varendo {

VarendoWindows::~VarendoWindows()
{
    // The main window goes last, as the application ends.
    delete Form7;
    delete Form6;
    delete Form4;
    delete Form5;
    delete Form3;
    delete Form2;
    delete Form1;
}

std::unique_ptr<VarendoWindows> createWindows(const QString& appDir, AudioLibrary& audioLibrary)
{
    auto windows = std::make_unique<VarendoWindows>();
    windows->Form1 = new TForm1(*windows, appDir, audioLibrary);
    windows->Form2 = new TForm2(*windows);
    windows->Form3 = new TForm3(*windows);
    windows->Form5 = new TForm5(*windows);
    windows->Form4 = new TForm4(*windows);
    windows->Form6 = new TForm6(*windows);
    windows->Form7 = new TForm7(*windows);
    return windows;
}

QString executableFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace varendo
