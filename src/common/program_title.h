#pragma once
#include <QString>

namespace varendo {

// The program's title, as its windows and message boxes show it.
inline const QString kProgramTitle = QStringLiteral("Varendo英语视频辅助学习工具");

} // namespace varendo
