#pragma once
class QApplication;

namespace varendo {

// Title, fonts and the general error handler of the application object.
void setUpApplication(QApplication& app);

} // namespace varendo
