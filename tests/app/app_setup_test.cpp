#include "app/application_setup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Startup, TheProgramFolderIsTheExecutablesWhateverTheWorkingFolder)
{
    QTemporaryDir elsewhere;
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    const QString folder = varendo::executableFolder();
    QDir::setCurrent(before);
    EXPECT_EQ(folder, QCoreApplication::applicationDirPath() + "/");
}

// Qt's own dialogs speak the program's language: a message box's button and the
// file dialog's labels are Chinese once the application is set up.
TEST(Startup, QtsOwnDialogsAndButtonsAreChinese)
{
    varendo::setUpApplication(*qApp);
    QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), QStringLiteral("保存完成！"), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QFileDialog dialog(nullptr, QStringLiteral("打开"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto labels = dialog.findChildren<QLabel*>();
    QStringList texts;
    for (const QLabel* label : labels)
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("文件类型(&T):")) || texts.contains(QStringLiteral("文件类型：")))
        << texts.join(" | ").toStdString();
}
