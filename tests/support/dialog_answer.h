#pragma once
// Answering the modal dialogs a window opens while a test drives it.
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace varendo::test {

// A file name typed into a file dialog (typeFileName). Typing there clears what
// was selected in the file list only while the field has the focus, which a dialog
// on the offscreen platform need not give it; and a file still selected in the list
// wins over the typed name. In a slow run the folder finished loading with the
// proposed file selected, and the dialog accepted that file instead of the typed
// one. So the selection is cleared as typing would, again just before accepting.
inline const char* const kTypedFileName = "varendoTypedFileName";

inline void applyTypedFileName(QDialog* dialog)
{
    const QString path = dialog->property(kTypedFileName).toString();
    if (path.isEmpty())
        return;
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>())
        if (view->selectionModel())
            view->selectionModel()->clearSelection();
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
}

// What the learner types into an open file dialog's name field.
inline void typeFileName(QDialog* dialog, const QString& path)
{
    dialog->setProperty(kTypedFileName, path);
    applyTypedFileName(dialog);
}

// Answers the next dialog the window opens (file, folder or input dialog):
// answer sees it as it was opened and fills it in; it is then accepted. A
// question asked on the way (replace the file?) is answered yes and kept.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(QDialog*)> answer) : answer_(std::move(answer))
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                questions << box->text();
                box->done(QMessageBox::Yes);
            } else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && !answered_) {
                answered_ = true;
                answer_(dialog);
                QTimer::singleShot(0, dialog, [dialog] {
                    applyTypedFileName(dialog);
                    dialog->setProperty(kTypedFileName, QVariant()); // the dialog may open again
                    dialog->accept();
                });
            }
        });
        poll_.start(20);
    }
    QStringList questions;
    bool answered() const { return answered_; }

private:
    std::function<void(QDialog*)> answer_;
    bool answered_ = false;
    QTimer poll_;
};

} // namespace varendo::test
