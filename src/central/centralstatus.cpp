#include "centralstatus.h"

#include "bilingual.h"

#include <QStringList>

namespace {

constexpr Bilingual kPrefix{u"中心库：", u"central: "};
constexpr Bilingual kUpToDate{u"已是最新", u"up to date"};
constexpr Bilingual kUnreachable{u"无法连接", u"unreachable"};
constexpr Bilingual kRefusing{u"服务器出错", u"server error"};
constexpr Bilingual kPasswordRefused{u"服务器拒绝了密码", u"the server refused the password"};
constexpr Bilingual kMissing{u"日文件缺失", u"day files missing"};
constexpr Bilingual kNameShared{u"工位名称已被另一台电脑使用",
                                u"desk name used by another installation"};
constexpr Bilingual kSeparator{u"，", u", "};

QString Waiting(int count, Language language)
{
    return QString::number(count) + Bilingual{u" 条待发送", u" waiting"}.in(language);
}

QString SetAside(int count, Language language)
{
    const Bilingual refused = count == 1 ? Bilingual{u" 条被拒收", u" reading refused"}
                                         : Bilingual{u" 条被拒收", u" readings refused"};
    return QString::number(count) + refused.in(language);
}

} // namespace

QString CentralStatusText(const CentralStatus &status, Language language)
{
    QStringList parts;
    if (status.missing > 0)
        parts.append(kMissing.in(language));
    if (status.nameShared)
        parts.append(kNameShared.in(language));
    if (status.link == CentralStatus::Link::PasswordRefused)
        parts.append(kPasswordRefused.in(language));
    if (status.link == CentralStatus::Link::Unreachable ||
        status.link == CentralStatus::Link::Refusing) {
        QString part = status.link == CentralStatus::Link::Unreachable ? kUnreachable.in(language)
                                                                       : kRefusing.in(language);
        if (!status.reason.isEmpty())
            part += QStringLiteral(" (") + status.reason + u')';
        parts.append(part);
    }
    if (status.setAside > 0)
        parts.append(SetAside(status.setAside, language));
    if (status.waiting > 0)
        parts.append(Waiting(status.waiting, language));
    if (parts.isEmpty())
        parts.append(kUpToDate.in(language));
    return kPrefix.in(language) + parts.join(kSeparator.in(language));
}
