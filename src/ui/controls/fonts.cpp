#include "fonts.h"

#include <QStringList>

void InstallFontSubstitutes()
{
#ifdef Q_OS_WIN
    const QString cjk = QStringLiteral("Microsoft YaHei");
    QFont::insertSubstitutions(kFaceArial, {cjk});
    QFont::insertSubstitutions(kFaceDialog, {QStringLiteral("Segoe UI"), cjk});
    QFont::insertSubstitutions(kFaceHeiti, {QStringLiteral("SimHei"), cjk});
    QFont::insertSubstitutions(kFaceKaiti,
                               {QStringLiteral("KaiTi"), QStringLiteral("STKaiti"), cjk});
#else
    const QString latin = QStringLiteral("Liberation Sans");
    const QString cjkSans = QStringLiteral("Noto Sans CJK SC");
    const QString cjkScript = QStringLiteral("AR PL UKai CN");
    QFont::insertSubstitutions(kFaceArial, {latin, cjkSans});
    QFont::insertSubstitutions(kFaceDialog, {latin, cjkSans});
    QFont::insertSubstitutions(kFaceHeiti, {cjkSans, latin});
    QFont::insertSubstitutions(kFaceKaiti, {cjkScript, cjkSans, latin});
#endif
}

QFont PointFont(const QString &face, qreal pointSize)
{
    QFont font(face);
    font.setPointSizeF(pointSize);
    return font;
}
