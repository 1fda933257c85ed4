#include "desktop/desktop_entry.h"

#include "common/varendo_error.h"
#include "common/whole_file.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace varendo::desktop {

namespace {

// A value of type string: backslashes and control characters are escaped, and a
// leading blank, which readers would trim, is kept as "\s".
QString stringValue(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QLatin1String("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString keyLine(const char* key, const QString& value)
{
    return QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
}

} // namespace

QString execArgument(const QString& argument)
{
    // Every argument is quoted: that is always allowed, and needs no list of the
    // characters that would otherwise require it. Inside the quotes '"', '`', '$'
    // and '\' take a backslash; '%' is doubled so it is not read as a field code.
    QString quoted(QLatin1Char('"'));
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString desktopEntryText(const DesktopEntry& entry)
{
    QStringList exec;
    for (const QString& argument : entry.command)
        exec << execArgument(argument);
    QString text = QStringLiteral("[Desktop Entry]\n");
    text += keyLine("Type", QStringLiteral("Application"));
    text += keyLine("Name", stringValue(entry.name));
    text += keyLine("Comment", stringValue(entry.comment));
    // The quoting above comes first; the string escapes then apply to the whole line.
    text += keyLine("Exec", stringValue(exec.join(QLatin1Char(' '))));
    text += keyLine("Path", stringValue(entry.workingFolder));
    if (!entry.icon.isEmpty())
        text += keyLine("Icon", stringValue(entry.icon));
    text += keyLine("Terminal", QStringLiteral("false"));
    text += keyLine("Categories", QStringLiteral("Education;Languages;"));
    // The windows' class, so a task bar shows them under this entry.
    text += keyLine("StartupWMClass", QStringLiteral("varendo"));
    return text;
}

void writeDesktopEntry(const QString& path, const DesktopEntry& entry)
{
    const auto fail = [&path](const QString& reason) {
        throw VarendoError(QStringLiteral("无法写入快捷方式“%1”：%2").arg(path, reason));
    };
    QString reason;
    if (!writeFileWhole(path, desktopEntryText(entry).toUtf8(), &reason))
        fail(reason);
    constexpr QFile::Permissions kRunnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                             | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!QFile::setPermissions(path, kRunnable))
        fail(QStringLiteral("不能设为可执行"));
}

void markTrusted(const QString& path)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess trust;
    trust.setProcessChannelMode(QProcess::MergedChannels);
    trust.start(gio, {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
    // Without a metadata store gio fails at once; its answer changes nothing here.
    if (trust.waitForStarted(2000) && !trust.waitForFinished(3000)) {
        trust.kill();
        trust.waitForFinished(1000);
    }
}

} // namespace varendo::desktop
