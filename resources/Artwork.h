// The program's icon and pictures, built into the executable.
#pragma once

#include <QIcon>
#include <QString>

namespace tolv::artwork {

inline const QString IconPath = QStringLiteral(":/tolv.ico");
inline const QString MakerPath = QStringLiteral(":/maker.jpg");
inline const QString EmblemPath = QStringLiteral(":/emblem.jpg");
inline const QString ProductPath = QStringLiteral(":/product.jpg");

// The program's own icon, also the main window's.
QIcon appIcon();

} // namespace tolv::artwork
