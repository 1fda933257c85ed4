#include "app/application_setup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <malloc.h>

namespace varendo {

VarendoApplication::VarendoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VarendoApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    boxes_.guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void setUpApplication(QApplication& app)
{
    // The C library gives each new thread that allocates a heap of its own, up to
    // eight per core. Every pipeline starts streaming threads, so over the first
    // minutes of use the program kept adding heaps, each holding freed memory: 6 MB
    // more after ten minutes of lessons, recordings and loops. Two heaps serve a
    // program that mostly waits on the learner; the limit holds for every heap made
    // after this, and only the first few threads exist yet.
    mallopt(M_ARENA_MAX, 2);
    // No display name: the desktop would append it to every window's title.
    app.setApplicationName(QStringLiteral("varendo"));
    // The applications menu entry the program adds is "varendo.desktop"; its windows
    // carry the same icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("varendo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/varendo.svg")));
    // Qt's own dialogs (file, folder, font, colour, input) and the message boxes'
    // buttons speak Chinese as the rest of the program does, whatever the desktop's
    // language. Without the translation installed they stay English, nothing else.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* qtChinese = new QTranslator(&app);
    if (qtChinese->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtChinese);
    else
        delete qtChinese;
    // The lesson font the course names is a Windows font; a CJK font stands in for it.
    const QStringList cjk{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), cjk);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), cjk);
    // Latin text in DejaVu Sans, Chinese in the first CJK family installed. Missing
    // families are passed over when text is drawn; asking the font database which
    // exist would load all of it before the window shows.
    QFont base = app.font();
    base.setFamilies(QStringList{QStringLiteral("DejaVu Sans")} + cjk);
    base.setPointSize(9);
    app.setFont(base);
}

QString executableFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace varendo
