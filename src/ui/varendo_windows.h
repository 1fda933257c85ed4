#pragma once
// The seven windows of the program. All exist from start to exit; they are shown
// and hidden, never destroyed while the program runs, and reach one another and
// the platform services here.
#include "ui/platform_services.h"

#include <QString>
#include <memory>

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;

namespace varendo {

struct VarendoWindows {
    TForm1* Form1 = nullptr; // main window
    TForm2* Form2 = nullptr; // about box
    TForm3* Form3 = nullptr; // lesson notes
    TForm4* Form4 = nullptr; // settings dialog
    TForm5* Form5 = nullptr; // study progress board
    TForm6* Form6 = nullptr; // media list window
    TForm7* Form7 = nullptr; // floating control bar

    PlatformServices services;
    MessageBoxes messages; // shows messages as services.messages says

    explicit VarendoWindows(PlatformServices platform)
        : services(std::move(platform)), messages(services.messages, services.questions)
    {
    }
    VarendoWindows(const VarendoWindows&) = delete;
    VarendoWindows& operator=(const VarendoWindows&) = delete;
    ~VarendoWindows();
};

// Creates the windows in start-up order (Form1, Form2, Form3, Form5, Form4, Form6,
// Form7); Form1's FormCreate runs as it is created. appDir is the program folder with
// its trailing separator.
std::unique_ptr<VarendoWindows> createWindows(const QString& appDir, PlatformServices services);

} // namespace varendo
