#pragma once
// A temporary program folder with a lesson database, and the windows started on it.
#include "database/dataset.h"
#include "ui/varendo_windows.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

struct LessonRow {
    QString book, lesson, state = QStringLiteral("未学习");
    QString title, text, words, translation, notes, timing, video, audio;
};

class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return dir_.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return path() + name; }

    // Creates varendo.mdb with the given lesson rows (texts scrambled as stored).
    void writeLessons(const QList<LessonRow>& rows);
    varendo::db::ConnectionPtr open();

    // Starts the seven windows and shows the main window, as the program does.
    // Without a wave service every recorder device is refused.
    varendo::VarendoWindows& start(bool show = true, std::shared_ptr<varendo::WaveService> wave = {});
    varendo::VarendoWindows& windows() { return *windows_; }

    // Messages shown while the folder's windows ran.
    QStringList messages;
    // Questions asked, and how the learner answers them (true: the first choice,
    // such as 重试); without an answer every question is declined.
    QStringList questions;
    std::function<bool(const QString& question)> answer;
    // Documents the windows asked the desktop to open (no program is started).
    QStringList opened;

private:
    QTemporaryDir dir_;
    QString previousCwd_;
    std::unique_ptr<varendo::VarendoWindows> windows_;
};
