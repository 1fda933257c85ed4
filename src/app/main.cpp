// Varendo: study a four-book English course with its video and audio lessons.
#include "app/application_setup.h"
#include "app/desktop_services.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "gstreamer/wave/gst_wave_service.h"
#include "ui/main_window.h"
#include "ui/varendo_windows.h"

#include <QApplication>

int main(int argc, char** argv)
{
    varendo::VarendoApplication app(argc, argv);
    varendo::setUpApplication(app);
    // The real platform services behind the program's interfaces.
    const std::unique_ptr<varendo::AudioLibrary> audioLibrary = varendo::gst::createAudioLibrary();
    auto windows = varendo::createWindows(varendo::executableFolder(),
                                          {.audio = *audioLibrary,
                                           .mediaEngines = varendo::gst::mediaEngineFactory(),
                                           .wave = varendo::gst::createWaveService(),
                                           .messages = {}, // modal message boxes
                                           .openDocument = varendo::desktopDocumentOpener(),
                                           .writeLauncher = varendo::desktopLauncherWriter(),
                                           .fileVersion = varendo::desktopVersionReader()});
    windows->Form1->show();
    return app.exec();
}
