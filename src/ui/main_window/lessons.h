#pragma once
// Lessons and the lesson database: opening the database, the settings row, the
// choice of book and lesson, and the four lesson panes.
#include "database/dataset.h"
#include "ui/main_window/part.h"

#include <QColor>
#include <QString>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QObject;
class QPlainTextEdit;

class TLessonsPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- Lesson database
    void dfcreat();
    void getset();
    // Tells the learner once when nothing can be kept in the program folder.
    void warnIfReadOnly();
    // The lesson font and background on the four lesson panes and the notes editor.
    void styleLessonPanes();
    // A fresh query on the main query's connection, for a handler's own result set.
    std::unique_ptr<varendo::db::Query> newQuery() const;
    // The main query; an error when the database could not be opened.
    varendo::db::Query& mainQuery();
    // The open lesson database; an error when it could not be opened.
    const varendo::db::ConnectionPtr& database() const;

    // ---- Book and lesson choice, lesson display
    // Selects the book and lesson the learner starts at, without loading it.
    void chooseStartLesson();
    // Shows the selected lesson's texts without playing it.
    void showSelectedLesson();
    void getkbs(const QString& book);
    // Loads a lesson into the panes, the notes window and timingList; returns the
    // path of its media file for the current playback format.
    QString getkcs(const QString& book, const QString& lesson);
    void getkcnr();
    void cbb1Change(QObject* sender);
    void rzchcklst1Change(QObject* sender);
    void cbb1KeyPress(QObject* sender, QChar& key);
    void rzchcklst1KeyPress(QObject* sender, QChar& key);
    void N7Click(QObject* sender);
    void N8Click(QObject* sender);
    void F2Click(QObject* sender);

    // ---- State
    QString videoDir;
    QString audioDir;
    // The folders the settings row holds, which the settings dialog shows; at start
    // they may differ from those in force when the audio folder lacks the course.
    QString chosenVideoDir;
    QString chosenAudioDir;
    qint64 shownLessonId = -1; // row of the lesson in the panes; -1 before the first
    bool readOnlyFolderTold = false; // the start told that the program folder takes no files
    varendo::db::ConnectionPtr con1;
    std::unique_ptr<varendo::db::Query> qry1;

    // ---- Controls: the lesson panes
    QGroupBox* grp7 = nullptr;
    QPlainTextEdit* rzm1 = nullptr;
    QGroupBox* grp5 = nullptr;
    QPlainTextEdit* mmo1 = nullptr;
    QLabel* lbl1 = nullptr;
    QGroupBox* grp8 = nullptr;
    QPlainTextEdit* rzm2 = nullptr;
    QGroupBox* grp2 = nullptr;
    QPlainTextEdit* rzm3 = nullptr;

    // ---- Controls: book and lesson choice
    QGroupBox* grp6 = nullptr;
    QComboBox* cbb1 = nullptr;
    QComboBox* rzchcklst1 = nullptr;
    QGroupBox* grp3 = nullptr;
    QLabel* img1 = nullptr;

    // ---- The panes' pop-up menu (its other items belong to the parts that handle them)
    QMenu* pm4 = nullptr;
    QMenu* S1 = nullptr;
    QAction *N7 = nullptr, *N8 = nullptr, *F2 = nullptr;
    QAction *N6 = nullptr, *N5 = nullptr, *N11 = nullptr, *N13 = nullptr;

protected:
    void connectLessonHandlers();

private:
    void requireDatabase() const;
    void openDatabase();
    // A hidden pane's text is drawn in its background colour.
    QColor paneTextColour(QPlainTextEdit* pane) const;
    void togglePaneText(QAction* item, QPlainTextEdit* pane);
};
