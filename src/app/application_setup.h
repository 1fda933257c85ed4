#pragma once
#include "common/program_title.h"
#include "ui/message_box.h"

#include <QApplication>

namespace varendo {

// The application object. An error that escapes an event handler is shown to the
// learner and the event loop goes on, instead of ending the program.
class VarendoApplication : public QApplication {
public:
    VarendoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    MessageBoxes boxes_;
};

// Names and fonts of the application object.
void setUpApplication(QApplication& app);

// The program folder of the running executable, with its trailing separator.
QString executableFolder();

} // namespace varendo
