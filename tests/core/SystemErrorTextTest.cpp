#include "core/SystemErrorText.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cerrno>

namespace sorvel::test {
namespace {

bool hasLatinLetter(const QString& text) {
    for (const QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            return true;
    }
    return false;
}

TEST(SystemErrorText, TheCommonFailuresOfFilesReadInChinese) {
    EXPECT_EQ(SystemErrorText::describe(ENOENT), QStringLiteral("文件或文件夹不存在"));
    EXPECT_EQ(SystemErrorText::describe(EACCES), QStringLiteral("没有权限"));
    EXPECT_EQ(SystemErrorText::describe(EPERM), QStringLiteral("没有权限"));
    EXPECT_EQ(SystemErrorText::describe(ENOSPC), QStringLiteral("磁盘空间不足"));
    EXPECT_EQ(SystemErrorText::describe(EROFS), QStringLiteral("磁盘是只读的"));
}

TEST(SystemErrorText, EveryValueGetsAChineseTextAndUnlistedOnesKeepTheirNumber) {
    EXPECT_EQ(SystemErrorText::describe(EHOSTDOWN), QStringLiteral("系统错误（错误码 %1）").arg(EHOSTDOWN));
    EXPECT_EQ(SystemErrorText::describe(-7), QStringLiteral("系统错误（错误码 -7）"));
    QSet<QString> listed;
    for (int error = 0; error < 140; ++error) {
        const QString text = SystemErrorText::describe(error);
        EXPECT_FALSE(text.isEmpty()) << error;
        EXPECT_FALSE(hasLatinLetter(text)) << error << ": " << text.toStdString();
        if (!text.contains(QStringLiteral("错误码")))
            listed.insert(text);
        else
            EXPECT_TRUE(text.contains(QString::number(error))) << error;
    }
    // Different causes read differently; only the few true synonyms share a text.
    EXPECT_GE(listed.size(), 20);
}

} // namespace
} // namespace sorvel::test
