#include "ui/message_box.h"

#include "common/program_title.h"
#include "common/varendo_error.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace varendo {
namespace {

MessageSink& sink()
{
    static MessageSink s;
    return s;
}

void show(const QString& text, bool isError)
{
    if (sink()) {
        sink()(text, isError);
        return;
    }
    QMessageBox box(isError ? QMessageBox::Critical : QMessageBox::Information, kProgramTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void ShowError(const QString& text)
{
    show(text, true);
}

void ShowMessage(const QString& text)
{
    show(text, false);
}

void setMessageSink(MessageSink s)
{
    sink() = std::move(s);
}

void guarded(const std::function<void()>& handler)
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
