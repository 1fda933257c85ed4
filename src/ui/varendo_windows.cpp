#include "ui/varendo_windows.h"

#include "ui/about_box.h"
#include "ui/floating_bar.h"
#include "ui/main_window.h"
#include "ui/media_list_window.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/settings_dialog.h"


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

std::unique_ptr<VarendoWindows> createWindows(const QString& appDir, PlatformServices services)
{
    auto windows = std::make_unique<VarendoWindows>(std::move(services));
    windows->Form1 = new TForm1(*windows, appDir);
    windows->Form2 = new TForm2(*windows);
    windows->Form3 = new TForm3(*windows);
    windows->Form5 = new TForm5(*windows);
    windows->Form4 = new TForm4(*windows);
    windows->Form6 = new TForm6(*windows);
    windows->Form7 = new TForm7(*windows);
    // The floating bar starts with the main window's buttons and recorder pictures.
    windows->Form1->setform7button();
    return windows;
}

} // namespace varendo
