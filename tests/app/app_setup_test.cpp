#include "app/application_setup.h"

#include <QCoreApplication>
#include <QDir>
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
