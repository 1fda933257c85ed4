#pragma once
// The lesson notes window: the lessons that have notes, and an editor for the
// notes of one lesson.
#include "study/lesson_notes.h"

#include <QWidget>

class QAction;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;
namespace varendo { struct VarendoWindows; }

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    void FormShow(QObject* sender);
    void FormResize(QObject* sender);
    void lst1Click(QObject* sender);
    void btn2Click(QObject* sender);
    void btn3Click(QObject* sender);
    void btn4Click(QObject* sender);
    void A1Click(QObject* sender);
    void C1Click(QObject* sender);
    void N2Click(QObject* sender);

    // Puts a lesson's notes in the editor; the caption names that lesson. Without a
    // lesson the editor is empty and saves nothing.
    void editNotes(const std::optional<varendo::study::LessonNotes>& notes);
    // The main window loaded a lesson: the editor turns to its notes, unless it
    // holds unsaved notes (of this lesson or another), which stay under their own
    // lesson's name until they are saved or reloaded.
    void followLesson(const varendo::study::LessonNotes& notes);
    // The lesson whose notes the editor shows (id -1 when none).
    const varendo::study::NotedLesson& editedLesson() const { return edited_; }

    QGroupBox* grp5 = nullptr;
    QPlainTextEdit* mmo1 = nullptr;
    QPushButton* btn2 = nullptr;
    QPushButton* btn3 = nullptr;
    QPushButton* btn4 = nullptr;
    QGroupBox* grp1 = nullptr;
    QListWidget* lst1 = nullptr;
    QMenu* pm1 = nullptr;
    QAction *A1 = nullptr, *C1 = nullptr, *N1 = nullptr, *N2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildList();
    // The lesson selected in the main window's lesson list, read from the database.
    std::optional<varendo::study::LessonNotes> mainWindowLesson();
    // Shows or hides the main window's marker when its lesson's notes changed.
    void markMainWindow(qint64 id, bool hasNotes);

    // The editor's caption and text always belong to this lesson: only editNotes sets them.
    varendo::study::NotedLesson edited_;
    bool placed_ = false;
};
