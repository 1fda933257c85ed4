// varendo-course: make, list and check lesson databases, and scramble texts.
//
//   varendo-course encode [--key KEY]     UTF-8 text on stdin -> scrambled hex on stdout
//   varendo-course decode [--key KEY]     scrambled hex on stdin -> UTF-8 text on stdout
//   varendo-course build SOURCE -o FILE [--program-dir DIR] [--force]
//   varendo-course list FILE
//   varendo-course check FILE --media DIR
//
// Without --key the empty key is used (the cipher's inner key); lesson columns use
// the column key "Rom_Ka572".
#include "course_database.h"
#include "course_source.h"

#include "common/gbk_text.h"
#include "common/varendo_error.h"
#include "database/content_cipher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

using namespace varendo;

namespace {

int usage()
{
    std::fputs("usage:\n"
               "  varendo-course encode [--key KEY]\n"
               "  varendo-course decode [--key KEY]\n"
               "  varendo-course build SOURCE -o FILE [--program-dir DIR] [--force]\n"
               "  varendo-course list FILE\n"
               "  varendo-course check FILE --media DIR\n",
               stderr);
    return 2;
}

void fail(const QString& message)
{
    std::fprintf(stderr, "varendo-course: %s\n", message.toUtf8().constData());
}

QByteArray readStdin()
{
    std::string all((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    return QByteArray::fromStdString(all);
}

void writeStdout(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int encode(const QByteArray& key)
{
    // Stateless: a character cut off at the end is an error too, not left pending.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(readStdin());
    if (utf8.hasError()) {
        fail(QStringLiteral("输入不是有效的 UTF-8 文本"));
        return 1;
    }
    if (!fitsGbk(text)) {
        fail(QStringLiteral("输入含有 GBK 编码无法表示的字符"));
        return 1;
    }
    writeStdout(EncodeText(toGbk(text), key));
    writeStdout("\n");
    return 0;
}

int decode(const QByteArray& key)
{
    const QByteArray cipher = readStdin().trimmed();
    try {
        writeStdout(fromGbk(DecodeText(cipher, key)).toUtf8());
    } catch (const CipherError& e) {
        fail(e.message());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();

    // Options with a value, and flags.
    auto take = [&args](const QString& name, QString* value) {
        const qsizetype i = args.indexOf(name);
        if (i < 0)
            return true;
        if (i + 1 >= args.size())
            return false;
        *value = args[i + 1];
        args.remove(i, 2);
        return true;
    };
    auto flag = [&args](const QString& name) { return args.removeAll(name) > 0; };

    try {
        if (command == QLatin1String("encode") || command == QLatin1String("decode")) {
            QString key;
            if (!take(QStringLiteral("--key"), &key) || !args.isEmpty())
                return usage();
            const QByteArray keyBytes = key.toLatin1();
            return command == QLatin1String("encode") ? encode(keyBytes) : decode(keyBytes);
        }
        if (command == QLatin1String("build")) {
            QString output, programDir;
            const bool force = flag(QStringLiteral("--force"));
            if (!take(QStringLiteral("-o"), &output) || !take(QStringLiteral("--program-dir"), &programDir)
                || output.isEmpty() || args.size() != 1)
                return usage();
            if (programDir.isEmpty())
                programDir = QFileInfo(output).absolutePath();
            if (!programDir.endsWith(QLatin1Char('/')))
                programDir += QLatin1Char('/');
            const auto lessons = course::readCourseSource(args[0]);
            course::buildDatabase(lessons, output, programDir, force);
            std::printf("%s: %lld lesson rows\n", output.toUtf8().constData(), qlonglong(lessons.size()));
            return 0;
        }
        if (command == QLatin1String("list")) {
            if (args.size() != 1)
                return usage();
            for (const QString& line : course::listDatabase(args[0]))
                std::printf("%s\n", line.toUtf8().constData());
            return 0;
        }
        if (command == QLatin1String("check")) {
            QString media;
            if (!take(QStringLiteral("--media"), &media) || media.isEmpty() || args.size() != 1)
                return usage();
            int rows = 0;
            const QStringList problems = course::checkDatabase(args[0], media, &rows);
            for (const QString& p : problems)
                std::printf("%s\n", p.toUtf8().constData());
            std::printf("%d lesson rows checked, %lld problems\n", rows, qlonglong(problems.size()));
            return problems.isEmpty() ? 0 : 1;
        }
    } catch (const course::SourceError& e) {
        fail(e.text());
        return 1;
    } catch (const VarendoError& e) {
        fail(e.message());
        return 1;
    }
    return usage();
}
