#include "app/application_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace varendo {

void setUpApplication(QApplication& app)
{
    app.setApplicationName(QStringLiteral("varendo"));
    app.setApplicationDisplayName(QStringLiteral("Varendo英语视频辅助学习工具"));
    // The lesson font the course names is a Windows font; a CJK font stands in for it.
    const QStringList cjk{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), cjk);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), cjk);
    QFont base = app.font();
    for (const QString& family : cjk) {
        if (QFontDatabase::hasFamily(family)) {
            base.setFamilies({QStringLiteral("DejaVu Sans"), family});
            break;
        }
    }
    base.setPointSize(9);
    app.setFont(base);
}

} // namespace varendo
