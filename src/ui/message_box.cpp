#include "ui/message_box.h"

#include "common/program_title.h"
#include "common/varendo_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

namespace varendo {

MessageBoxes::MessageBoxes(MessageSink sink, QuestionSink questions)
    : sink_(std::move(sink)), questions_(std::move(questions))
{
}

bool MessageBoxes::AskRetry(const QString& text) const
{
    if (questions_)
        return questions_(text);
    if (sink_) {
        sink_(text, true);
        return false;
    }
    QMessageBox box(QMessageBox::Warning, kProgramTitle, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(retry);
    box.exec();
    return box.clickedButton() == retry;
}

void MessageBoxes::show(const QString& text, bool isError) const
{
    if (sink_) {
        sink_(text, isError);
        return;
    }
    QMessageBox box(isError ? QMessageBox::Critical : QMessageBox::Information, kProgramTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void MessageBoxes::ShowError(const QString& text) const
{
    show(text, true);
}

void MessageBoxes::ShowMessage(const QString& text) const
{
    show(text, false);
}

void MessageBoxes::guarded(const std::function<void()>& handler) const
{
    try {
        handler();
    } catch (const VarendoError& e) {
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("程序内部发生未知错误，当前操作已中止。"));
    }
}

} // namespace varendo
