#pragma once
// Answering the modal dialogs a window opens while a test drives it.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace varendo::test {

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
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
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

// What the learner types into an open file dialog's name field.
inline void typeFileName(QDialog* dialog, const QString& path)
{
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
}

} // namespace varendo::test
