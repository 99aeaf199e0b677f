// The type faces the window asks for by name, and where they come from on this system.
#pragma once

#include <QFont>
#include <QString>

inline const QString kFaceArial = QStringLiteral("Arial");
inline const QString kFaceHeiti = QStringLiteral("黑体"); // a bold-looking sans-serif CJK face
inline const QString kFaceKaiti = QStringLiteral("楷体"); // a brush-script CJK face
inline const QString kFaceDialog = QStringLiteral("MS Shell Dlg");

// Maps the face names above onto installed fonts, with a CJK fallback so that Chinese text
// renders in every face. Call once before the first window is created. On Linux: Liberation
// Sans, Noto Sans CJK SC, AR PL UKai. On Windows Arial and MS Shell Dlg exist, but SimHei and
// KaiTi come only with the Chinese language features: Microsoft YaHei, on every Windows since
// Vista, stands in for them.
void InstallFontSubstitutes();

// A font by face name and point size, all other attributes default.
QFont PointFont(const QString &face, qreal pointSize);
