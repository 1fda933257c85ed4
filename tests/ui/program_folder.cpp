#include "program_folder.h"
#include "app/desktop_services.h"

#include "database/content_cipher.h"
#include "database/lesson_schema.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "ui/main_window.h"

#include <QDir>

using namespace varendo;

ProgramFolder::ProgramFolder() : previousCwd_(QDir::currentPath())
{
}

ProgramFolder::~ProgramFolder()
{
    windows_.reset();
    QDir::setCurrent(previousCwd_);
}

db::ConnectionPtr ProgramFolder::open()
{
    return db::openLessonDatabase(file(db::kDatabaseFileName), path());
}

void ProgramFolder::writeLessons(const QList<LessonRow>& rows)
{
    auto con = open();
    for (const LessonRow& r : rows) {
        auto scrambled = [](const QString& s) { return s.isNull() ? QVariant() : QVariant(encodeColumn(s)); };
        con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 课程内容, 生词短语, 参考译文, 备注, 笔记, "
                                 "视频文件名, 音频文件名, 课程状态, 时间刻度) values (?,?,?,?,?,?,?,?,?,?,?,?)"),
                  {r.book, r.lesson, r.title, scrambled(r.text), scrambled(r.words), r.translation, r.notes,
                   r.notes.isEmpty() ? QStringLiteral("无") : QStringLiteral("有"), r.video, r.audio, r.state,
                   scrambled(r.timing)});
    }
}

VarendoWindows& ProgramFolder::start(bool show, std::shared_ptr<WaveService> wave)
{
    // The real audio library, shared by every folder of the test program, and the
    // program's real media engine.
    static const std::unique_ptr<AudioLibrary> audio = gst::createAudioLibrary();
    windows_ = createWindows(path(), {.audio = *audio,
                                      .mediaEngines = gst::mediaEngineFactory(),
                                      .wave = std::move(wave),
                                      .messages = [this](const QString& text, bool) { messages << text; },
                                      .questions =
                                          [this](const QString& text) {
                                              questions << text;
                                              return answer && answer(text);
                                          },
                                      .openDocument =
                                          [this](const QString& path) {
                                              opened << path;
                                              return true;
                                          },
                                      .writeLauncher = desktopLauncherWriter(),
                                      .fileVersion = desktopVersionReader()});
    if (show)
        windows_->Form1->show();
    return *windows_;
}
