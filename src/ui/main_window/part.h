#pragma once
// What every part of the main window shares: the window it belongs to. A part
// reaches another part's controls and state only through it (form_.dstrckbr1).
class TForm1;

class TMainWindowPart {
public:
    TMainWindowPart(const TMainWindowPart&) = delete;
    TMainWindowPart& operator=(const TMainWindowPart&) = delete;

protected:
    explicit TMainWindowPart(TForm1& form) : form_(form) {}

    TForm1& form_;
};
